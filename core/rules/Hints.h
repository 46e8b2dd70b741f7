// Hint, Give Up and Clue: the next target shown with a white flash then
// painted red, the whole solution played by itself, and the clue picture.
#pragma once

namespace tintaro {

struct Game;

void HintButtonClick(Game& game);
// The end of a hint's 30 ms flash; chains the next hint while auto-solving.
void Timer1Timer(Game& game);
// The end of a hint chain or of a finished puzzle (the intro's end included).
void FinishHints(Game& game);
void GiveupButtonClick(Game& game);
void ClueButtonClick(Game& game);

}  // namespace tintaro
