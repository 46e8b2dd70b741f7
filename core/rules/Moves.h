// The player's hand: pointer movement, the paint click and the unpaint press
// on the picture, with undo by reloading the picture and replaying.
#pragma once

#include <cstdint>

namespace tintaro {

struct Game;

// Buttons numbered as the window system delivers them.
enum class MouseButton : int { Primary = 0, Secondary = 1, Middle = 2 };

// The paint log keeps moves only below this index.
inline constexpr int32_t MoveLogLimit = 997;

void MouseMoveXY(Game& game, int32_t x, int32_t y);
// A primary click: paints red where the pointer was last reported.
void Image1MouseClick(Game& game);
// Any press; a secondary press on a red region returns it to its drawn look.
void Image1MouseDown(Game& game, MouseButton button, int32_t x, int32_t y);

// Reloads the picture and paints every live move, then every hinted target.
// False when the picture file was gone: PictureLost has run and the calling
// handler must end.
bool ReplayMoves(Game& game);
// The picture file cannot be reloaded: hide it, tell the player, end the puzzle.
void PictureLost(Game& game);
// ReloadPicture, running PictureLost when the file cannot be opened. Other
// failures of the reload are not caught.
bool ReloadOrLosePicture(Game& game);

}  // namespace tintaro
