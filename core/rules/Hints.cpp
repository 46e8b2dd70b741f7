// Hints never count as moves: they live only in HintsUsed, and every replay
// paints TargetPoints 0 ... HintsUsed - 1 red again.
#include "core/rules/Hints.h"

#include "core/rules/Disturbance.h"
#include "core/Game.h"
#include "core/Messages.h"
#include "core/rules/Moves.h"
#include "core/rules/TableAccess.h"

namespace tintaro {

namespace {

constexpr int kFlashMs = 30;

}  // namespace

void HintButtonClick(Game& game) {
  PuzzleState& s = game.state;
  GameUi& ui = game.ui;
  // Withheld hints refuse the player but not Give Up or the intro.
  if (s.HintsAvailable && s.HintsDisabled && !s.AutoSolve) {
    ui.ShowMessage(msg::kHintsNotAvailable);
    ui.SetTimerEnabled(GameTimer::Timer2, true);
    return;
  }
  // No readable solution, or none allowed: also ends an automatic chain.
  if (!s.HintsAvailable || s.SolutionDisabled) {
    ui.ShowMessage(msg::kHintsNotAvailable);
    s.AutoSolve = false;
    ui.SetTimerEnabled(GameTimer::Timer2, true);
    return;
  }
  if (!s.IntroPending && s.AskBeforeHint && !s.AutoSolve && !s.HintsDisabled && game.surface.IsShown() &&
      !s.Finished) {
    // Yes means the player wants to go on alone: ask again next time.
    if (ui.AskYesNo(msg::kSolveYourself)) return;
  }
  s.AskBeforeHint = false;
  if (s.HintsUsed > s.LastTargetIndex || s.Finished) return FinishHints(game);
  if (s.HintsUsed >= s.HintLimit && !s.HintsDisabled && !s.AutoSolve) {
    ui.ShowMessage(msg::kHintLimit);
    return;
  }
  // Counted before the row is read, so a row past the table still uses a hint.
  const int32_t i = s.HintsUsed;
  ++s.HintsUsed;
  const PointRecord& target = TargetAt(s, i);
  s.HintPointX = target.X;
  s.HintPointY = target.Y;
  game.surface.FillToBlack(s.HintPointX, s.HintPointY, kWhite);
  ui.SetTimerEnabled(GameTimer::Timer1, true);
  ui.SetTimerInterval(GameTimer::Timer1, kFlashMs);
}

void Timer1Timer(Game& game) {
  game.ui.SetTimerEnabled(GameTimer::Timer1, false);
  // A second hint before this tick moved the point on; only the newer turns red.
  game.surface.FillToBlack(game.state.HintPointX, game.state.HintPointY, kRed);
  if (game.state.AutoSolve) HintButtonClick(game);
}

void FinishHints(Game& game) {
  PuzzleState& s = game.state;
  s.Finished = true;
  if (s.IntroPending) {
    // The demonstration is over: welcome the player and keep it colourful.
    game.ui.ShowAboutBox();
    s.IntroPending = false;
    s.WelcomeMode = true;
    FlashingMode(game);
  } else {
    if (!ReloadOrLosePicture(game)) return;
    // Only the hinted targets: the player's own moves are not replayed.
    for (int32_t j = 0; j < s.HintsUsed; ++j) {
      const PointRecord& target = TargetAt(s, j);
      game.surface.FillToBlack(target.X, target.Y, kRed);
    }
    game.ui.ShowMessage(msg::kThatIsIt);
  }
  DisableAndGrey(game.ui, kPlayButtons);
}

void GiveupButtonClick(Game& game) {
  PuzzleState& s = game.state;
  GameUi& ui = game.ui;
  if (s.SolutionDisabled) return ui.ShowMessage(msg::kSolutionNotAvailable);
  if (s.Finished) return ui.ShowMessage(msg::kThatIsIt);
  ui.Beep();
  // No disturbance while the question is open.
  ui.SetTimerEnabled(GameTimer::Timer2, false);
  if (!ui.AskYesNo(msg::kReallyGiveUp)) {
    ui.SetTimerEnabled(GameTimer::Timer2, true);
    return;
  }
  s.AutoSolve = true;
  s.HintsUsed = 0;
  // Clears the player's painting from the screen; MoveLog stays as it is.
  if (!ReloadOrLosePicture(game)) return;
  DisableAndGrey(ui, kPlayButtons);
  if (!s.Finished) HintButtonClick(game);
}

void ClueButtonClick(Game& game) {
  if (game.state.ClueAvailable && !game.state.PicturePath.empty()) {
    game.ui.ShowClueWindow();
  } else {
    game.ui.ShowMessage(msg::kClueNotAvailable);
  }
}

}  // namespace tintaro
