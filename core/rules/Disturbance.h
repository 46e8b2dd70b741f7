// The disturbance modes: Crazy bursts and Insane floods of random colour, the
// decorative Flashing after the intro, and the Timer2 and Options handlers.
#pragma once

namespace tintaro {

struct Game;

// One random flood: seeds the generator, draws a palette entry, then y from
// the window's outer height and x from its width, fills there, enables Timer2
// and halves its interval down to 10 ms.
void Disturb(Game& game);
// One step of a Crazy burst; acts only after a paint move.
void CrazyMode(Game& game);
// One Insane flood.
void InsaneMode(Game& game);
// Recolours every target region at random and sets Timer2 to 500 ms.
void FlashingMode(Game& game);
void Timer2Timer(Game& game);
void OptionsButtonClick(Game& game);

}  // namespace tintaro
