// The solution check reads only pixels: hinted and painted regions count alike.
#include "core/rules/SolutionCheck.h"

#include <string>

#include "core/Game.h"
#include "core/Messages.h"
#include "core/rules/TableAccess.h"

namespace tintaro {

bool CheckSolution(Game& game) {
  PuzzleState& s = game.state;
  // Targets first: a missing target fails silently, before any stray is seen.
  for (int64_t i = 0; i <= s.LastTargetIndex; ++i) {
    const PointRecord& target = TargetAt(s, static_cast<int32_t>(i));
    if (game.surface.PixelAt(target.X, target.Y) != kRed) return false;
  }
  for (int64_t i = 0; i <= s.LastStrayIndex; ++i) {
    const PointRecord& stray = StrayAt(s, static_cast<int32_t>(i));
    if (game.surface.PixelAt(stray.X, stray.Y) == kRed) {
      if (s.WarnStrayOnce) game.ui.ShowMessage(msg::kStrayWarning);
      s.WarnStrayOnce = false;
      return false;
    }
  }
  return true;
}

void AnnounceSolved(Game& game) {
  PuzzleState& s = game.state;
  // Integer division truncates toward zero, as the score always has.
  s.ScorePercent = s.HintLimit == 0
                       ? 0
                       : static_cast<int32_t>(int64_t{s.HintsUsed} * 100 / int64_t{s.HintLimit});
  game.ui.ShowMessage(msg::kCongratulations + std::to_string(s.ScorePercent) + msg::kCongratulationsEnd);
  s.Finished = true;
  DisableAndGrey(game.ui, kPlayButtons);
}

void RepaintButtonClick(Game& game) {
  PuzzleState& s = game.state;
  s.WarnStrayOnce = true;
  // Still armed after a failed check means a target is missing, not a stray red.
  if (!CheckSolution(game) && s.WarnStrayOnce) game.ui.ShowMessage(msg::kKeepGoing);
  game.ui.SetRepaintDown(true);
}

}  // namespace tintaro
