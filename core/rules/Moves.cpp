// Paint and unpaint moves. Nothing is undone in place: the picture is
// reloaded from its file and the surviving moves and hints are painted again.
#include "core/rules/Moves.h"

#include "core/rules/Disturbance.h"
#include "core/Errors.h"
#include "core/Game.h"
#include "core/Messages.h"
#include "core/rules/SolutionCheck.h"
#include "core/rules/TableAccess.h"

namespace tintaro {

namespace {

// Pixel (1, 1) lies in the background; red there means a fill leaked out.
constexpr int32_t kBackgroundProbeX = 1;
constexpr int32_t kBackgroundProbeY = 1;

// The 998th accepted click: start the log over on a clean picture.
void MoveLimitReached(Game& game) {
  PuzzleState& s = game.state;
  game.ui.ShowMessage(msg::kMoveLimit);
  s.LastMove = -1;
  if (s.MoveLog) s.MoveLog->fill(PointRecord{});
  ReloadOrLosePicture(game);
}

// Cancels each live move whose point now reads anything but red (after an
// unpaint) or reads white (after a leak). The scan covers the whole log, not
// only the region just filled.
void CancelMoves(Game& game, bool cancelUnlessRed) {
  PuzzleState& s = game.state;
  for (int32_t j = 0; j <= s.LastMove; ++j) {
    PointRecord& move = MoveAt(s, j);
    if (move.Kind != MoveLive) continue;
    const uint32_t pixel = game.surface.PixelAt(move.X, move.Y);
    if (cancelUnlessRed ? pixel != kRed : pixel == kWhite) move.Kind = MoveCancelled;
  }
}

}  // namespace

void MouseMoveXY(Game& game, int32_t x, int32_t y) {
  game.state.LastMouseX = x;
  game.state.LastMouseY = y;
}

bool ReloadOrLosePicture(Game& game) {
  try {
    game.surface.ReloadPicture(game.state);
  } catch (const EFOpenError&) {
    PictureLost(game);
    return false;
  }
  return true;
}

void PictureLost(Game& game) {
  game.surface.HidePicture();
  game.ui.ShowMessage(msg::kReloadPuzzle);
  game.state.Finished = true;
  game.state.PicturePath.clear();
  DisableAndGrey(game.ui, kAllCommandButtons);
}

bool ReplayMoves(Game& game) {
  PuzzleState& s = game.state;
  if (!ReloadOrLosePicture(game)) return false;
  for (int32_t j = 0; j <= s.LastMove; ++j) {
    const PointRecord& move = MoveAt(s, j);
    if (move.Kind == MoveLive) game.surface.FillToBlack(move.X, move.Y, kRed);
  }
  for (int32_t k = 0; k < s.HintsUsed; ++k) {
    const PointRecord& target = TargetAt(s, k);
    game.surface.FillToBlack(target.X, target.Y, kRed);
  }
  return true;
}

void Image1MouseClick(Game& game) {
  PuzzleState& s = game.state;
  if (s.Finished) {
    game.ui.ShowMessage(msg::kThatIsIt);
    DisableAndGrey(game.ui, kPlayButtons);
    return;
  }
  // Only Image1's events are routed here, so the sender needs no test.
  if (!game.ui.RepaintDown() || s.ArchivePath.empty() || s.Finished) return;
  game.surface.FillToBlack(s.LastMouseX, s.LastMouseY, kRed);
  s.MovedSinceDisturb = true;
  ++s.LastMove;
  if (s.LastMove >= MoveLogLimit) return MoveLimitReached(game);
  MoveAt(s, s.LastMove) = PointRecord{s.LastMouseX, s.LastMouseY, MoveLive};

  if (game.surface.PixelAt(kBackgroundProbeX, kBackgroundProbeY) == kRed) {
    // Whiten the background so the leaking move reads white and is cancelled.
    game.surface.FillToBlack(kBackgroundProbeX, kBackgroundProbeY, kWhite);
    CancelMoves(game, /*cancelUnlessRed=*/false);
    if (!ReplayMoves(game)) return;
  }
  if (CheckSolution(game)) {
    game.ui.SetTimerEnabled(GameTimer::Timer2, false);
    AnnounceSolved(game);
  }
  // Crazy reacts to every paint move, solved or not.
  if (game.ui.SelectedMode() == PlayMode::Crazy) CrazyMode(game);
}

void Image1MouseDown(Game& game, MouseButton button, int32_t x, int32_t y) {
  PuzzleState& s = game.state;
  if (game.surface.PixelAt(x, y) != kRed) return;
  if (s.Finished) return game.ui.ShowMessage(msg::kThatIsIt);
  if (game.ui.RepaintDown() && button == MouseButton::Secondary && !s.ArchivePath.empty() &&
      !s.Finished) {
    game.surface.FillToBlack(x, y, kWhite);
    CancelMoves(game, /*cancelUnlessRed=*/true);
    if (!ReplayMoves(game)) return;
  }
  // Any press on red runs the check; Timer2 is left running here.
  if (CheckSolution(game)) return AnnounceSolved(game);
  if (s.CrazyOnly) {
    s.MovedSinceDisturb = true;
    CrazyMode(game);
  }
}

}  // namespace tintaro
