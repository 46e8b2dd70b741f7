// The disturbance modes and the handlers that drive them.
#include "core/rules/Disturbance.h"

#include <algorithm>

#include "core/Game.h"
#include "core/Messages.h"
#include "core/rules/Random.h"
#include "core/rules/TableAccess.h"

namespace tintaro {

namespace {

constexpr int kShortestInterval = 10;
constexpr int kFlashingInterval = 500;
// A burst ends after the step taken with the count above this.
constexpr int32_t kLastCrazyCount = 25;

uint32_t PaletteEntry(const Game& game, int32_t c) {
  return game.state.DisturbPalette[static_cast<size_t>(c) % game.state.DisturbPalette.size()];
}

}  // namespace

void Disturb(Game& game) {
  SeedRandom(game);
  const uint32_t colour = PaletteEntry(game, RandomBelow(game, 16));
  // y is drawn before x; both from the window, not the picture.
  const int32_t y = RandomBelow(game, game.ui.WindowHeight());
  const int32_t x = RandomBelow(game, game.ui.WindowWidth());
  game.surface.FillToBlack(x, y, colour);
  game.ui.SetTimerEnabled(GameTimer::Timer2, true);
  const int current = game.ui.TimerInterval(GameTimer::Timer2);
  game.ui.SetTimerInterval(GameTimer::Timer2, std::max(kShortestInterval, current >> 1));
}

void CrazyMode(Game& game) {
  PuzzleState& s = game.state;
  if (s.ArchivePath.empty() || !s.MovedSinceDisturb) return;
  if (s.DisturbCount > kLastCrazyCount) {
    // The last flood of the burst still happens below.
    s.MovedSinceDisturb = false;
    s.DisturbCount = 0;
  }
  Disturb(game);
  ++s.DisturbCount;
}

void InsaneMode(Game& game) {
  if (game.state.ArchivePath.empty()) return;
  Disturb(game);
}

void FlashingMode(Game& game) {
  PuzzleState& s = game.state;
  if (s.ArchivePath.empty()) return;
  SeedRandom(game);
  for (int64_t i = 0; i <= s.LastTargetIndex; ++i) {
    const uint32_t colour = PaletteEntry(game, RandomBelow(game, 16));
    const PointRecord& target = TargetAt(s, static_cast<int32_t>(i));
    game.surface.FillToBlack(target.X, target.Y, colour);
  }
  game.ui.SetTimerEnabled(GameTimer::Timer2, true);
  game.ui.SetTimerInterval(GameTimer::Timer2, kFlashingInterval);
}

void Timer2Timer(Game& game) {
  if (game.ui.SelectedMode() == PlayMode::Crazy && !game.state.Finished) CrazyMode(game);
  if (game.ui.SelectedMode() == PlayMode::Insane && !game.state.Finished) InsaneMode(game);
  if (game.state.WelcomeMode) FlashingMode(game);
}

void OptionsButtonClick(Game& game) {
  PuzzleState& s = game.state;
  if (s.Finished) return game.ui.ShowMessage(msg::kThatIsIt);
  if (s.NormalOnly) return game.ui.ShowMessage(msg::kNormalOnly);
  if (s.CrazyOnly) return game.ui.ShowMessage(msg::kCrazyOnly);
  if (s.InsaneOnly) return game.ui.ShowMessage(msg::kInsaneOnly);
  // Cancel keeps whatever the player left selected; only OK acts at once.
  if (!game.ui.ShowOptionsDialog()) return;
  s.DisturbCount = 1;
  if (game.ui.SelectedMode() == PlayMode::Crazy) CrazyMode(game);
  if (game.ui.SelectedMode() == PlayMode::Insane) InsaneMode(game);
}

}  // namespace tintaro
