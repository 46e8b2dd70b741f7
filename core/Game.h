// The context every rule handler works on: the puzzle state, the picture, the
// window system and the program's one random generator.
#pragma once

#include <cstdint>

#include "core/GameUi.h"
#include "core/picture/PaintSurface.h"
#include "core/PuzzleState.h"

namespace tintaro {

struct Game {
  PuzzleState& state;
  PaintSurface& surface;
  GameUi& ui;
  // One generator for the whole run (SeedRandom, RandomBelow).
  uint32_t RandomState = 0;
};

inline constexpr CommandButton kPlayButtons[] = {CommandButton::Repaint, CommandButton::Hint,
                                                 CommandButton::Giveup, CommandButton::Options};
inline constexpr CommandButton kAllCommandButtons[] = {CommandButton::Repaint, CommandButton::Clue,
                                                       CommandButton::Hint, CommandButton::Giveup,
                                                       CommandButton::Options};

// Disables the buttons in order, then greys them in the same order.
template <size_t N>
void DisableAndGrey(GameUi& ui, const CommandButton (&buttons)[N]) {
  for (CommandButton b : buttons) ui.SetButtonEnabled(b, false);
  for (CommandButton b : buttons) ui.SetButtonIndeterminate(b, true);
}

}  // namespace tintaro
