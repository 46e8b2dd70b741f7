// Whether the picture on screen solves the puzzle, the score announcement,
// and the Repaint command.
#pragma once

namespace tintaro {

struct Game;

// True when every target pixel is red and no stray pixel is. The first red
// stray shows the stray warning once per arming of WarnStrayOnce.
bool CheckSolution(Game& game);
// Shows the score, ends the puzzle and greys the play buttons.
void AnnounceSolved(Game& game);
void RepaintButtonClick(Game& game);

}  // namespace tintaro
