// The program's one random generator: a 32-bit linear congruential generator
// reseeded from the time of day.
#pragma once

#include <cstdint>

namespace tintaro {

struct Game;

inline constexpr uint32_t kRandomMultiplier = 134775813;  // 0x08088405

// Advances `state` and maps it onto 0 ... n - 1 (0 when n is 0) by taking the
// upper half of the 64-bit product, so small n use the state's top bits.
inline uint32_t NextRandomBelow(uint32_t& state, uint32_t n) {
  state = state * kRandomMultiplier + 1;
  return static_cast<uint32_t>((static_cast<uint64_t>(state) * n) >> 32);
}

// RandomState := milliseconds since midnight UTC, from the window system's clock.
void SeedRandom(Game& game);
// A number from 0 to n - 1; a negative n counts as 0.
int32_t RandomBelow(Game& game, int32_t n);

}  // namespace tintaro
