// Seeding and drawing of the program's random generator.
#include "core/rules/Random.h"

#include "core/Game.h"

namespace tintaro {

void SeedRandom(Game& game) { game.RandomState = game.ui.MillisecondsSinceMidnightUtc(); }

int32_t RandomBelow(Game& game, int32_t n) {
  const uint32_t range = n < 0 ? 0u : static_cast<uint32_t>(n);
  return static_cast<int32_t>(NextRandomBelow(game.RandomState, range));
}

}  // namespace tintaro
