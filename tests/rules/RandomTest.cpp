// The random generator: seeding from the clock and the exact draws.
#include <gtest/gtest.h>

#include "core/rules/Random.h"
#include "tests/rules/RulesFixture.h"

namespace tintaro::test {
namespace {

class Random : public RulesTest {};

TEST_F(Random, NoonSeedDrawsTealThenRow244ThenColumn509) {
  ui.clockMs = ((12 * 60 + 0) * 60 + 0) * 1000;
  SeedRandom(game);
  EXPECT_EQ(game.RandomState, 43'200'000u);
  const int32_t c = RandomBelow(game, 16);
  EXPECT_EQ(c, 6);
  EXPECT_EQ(state.DisturbPalette[c], 0x808000u);  // entry 7, teal
  EXPECT_EQ(RandomBelow(game, ui.WindowHeight()), 244);
  EXPECT_EQ(RandomBelow(game, ui.WindowWidth()), 509);
}

TEST_F(Random, EachDrawStepsTheStateAndTakesTheTopOfTheProduct) {
  game.RandomState = 0;
  EXPECT_EQ(RandomBelow(game, 0), 0);
  EXPECT_EQ(game.RandomState, 1u);  // stepped even for 0
  EXPECT_EQ(RandomBelow(game, 16), static_cast<int32_t>((1u * 134775813u + 1u) >> 28));
  game.RandomState = 0xFFFFFFFFu;
  // 0xFFFFFFFF * 134775813 + 1 wraps to 0xF7F77BFC.
  EXPECT_EQ(RandomBelow(game, 1 << 16), 0xF7F7);
  EXPECT_EQ(game.RandomState, 0xF7F77BFCu);
  EXPECT_EQ(RandomBelow(game, -5), 0);
  // Two seeds in the same millisecond give the same numbers.
  ui.clockMs = 86'399'999;
  SeedRandom(game);
  const int32_t first = RandomBelow(game, 1000);
  SeedRandom(game);
  EXPECT_EQ(RandomBelow(game, 1000), first);
}

}  // namespace
}  // namespace tintaro::test
