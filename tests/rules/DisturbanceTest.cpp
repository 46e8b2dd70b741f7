// Crazy bursts, Insane floods, Flashing, the Timer2 handler and the Options
// command with its mode locks.
#include <gtest/gtest.h>

#include "core/rules/Random.h"
#include "tests/rules/RulesFixture.h"

namespace tintaro::test {
namespace {

constexpr uint32_t kNoon = 43'200'000;
constexpr uint32_t kUntouched = 0xDEADBEEF;

class Disturbance : public RulesTest {
 protected:
  void SetUp() override {
    UseStandardPuzzle();
    ui.clockMs = kNoon;
    ui.SetTimerInterval(GameTimer::Timer2, 100);
  }
  // Every disturbance reseeds the generator, so a changed state tells that
  // one happened.
  bool TickDisturbs() {
    game.RandomState = kUntouched;
    ui.Tick(GameTimer::Timer2);
    return game.RandomState != kUntouched;
  }
  std::vector<int64_t> TickTimes(int64_t ms) {
    std::vector<int64_t> times;
    ui.OnTimer(GameTimer::Timer2, [&] {
      times.push_back(ui.NowMs());
      Timer2Timer(game);
    });
    ui.Advance(ms);
    return times;
  }
  std::vector<std::string> IntervalChanges() const {
    std::vector<std::string> out;
    for (const std::string& e : ui.events)
      if (e.rfind("Timer2 interval", 0) == 0) out.push_back(e.substr(16));
    return out;
  }
};

TEST_F(Disturbance, NoonDisturbanceFloodsTheRegionAt509x244WithTeal) {
  const Box target{500, 235, 520, 255};
  const std::vector<uint32_t> drawing = DrawBoxes(661, 571, {target, Box{100, 100, 200, 200}});
  UsePicture(661, 571, drawing);
  InsaneMode(game);
  std::vector<uint32_t> expected = drawing;
  for (int y = target.top + 1; y < target.bottom; ++y)
    for (int x = target.left + 1; x < target.right; ++x) expected[static_cast<size_t>(y) * 661 + x] = 0x808000;
  EXPECT_TRUE(Pixels() == expected);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 50);
}

TEST_F(Disturbance, APointBeyondThePictureChangesNothingButStillDrivesTheTimer) {
  const std::vector<uint32_t> before = Pixels();
  InsaneMode(game);  // draws (509, 244) on a 24 x 16 picture
  EXPECT_TRUE(Pixels() == before);
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 50);
  // No archive, no step at all.
  state.ArchivePath.clear();
  game.RandomState = kUntouched;
  InsaneMode(game);
  state.MovedSinceDisturb = true;
  CrazyMode(game);
  FlashingMode(game);
  EXPECT_EQ(game.RandomState, kUntouched);
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 50);
}

TEST_F(Disturbance, CrazyBurstAfterTheOptionsDialogDisturbs26TimesThenFallsQuiet) {
  state.MovedSinceDisturb = true;
  state.DisturbCount = 17;
  ui.optionsAnswers.push_back({true, PlayMode::Crazy});
  game.RandomState = kUntouched;
  OptionsButtonClick(game);
  int disturbances = game.RandomState != kUntouched ? 1 : 0;
  EXPECT_EQ(disturbances, 1);
  for (int i = 0; i < 60; ++i) disturbances += TickDisturbs();
  EXPECT_EQ(disturbances, 26);
  EXPECT_FALSE(state.MovedSinceDisturb);
  EXPECT_EQ(state.DisturbCount, 1);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 10);

  // The next paint move starts the next burst of 26.
  ui.windowWidth = kDrawingWidth;
  ui.windowHeight = kDrawingHeight;
  game.RandomState = kUntouched;
  Paint(kD);
  disturbances = game.RandomState != kUntouched ? 1 : 0;
  for (int i = 0; i < 60; ++i) disturbances += TickDisturbs();
  EXPECT_EQ(disturbances, 26);
}

TEST_F(Disturbance, CrazyChosenWithoutAMoveWaitsForThePlayer) {
  state.MovedSinceDisturb = false;
  ui.optionsAnswers.push_back({true, PlayMode::Crazy});
  game.RandomState = kUntouched;
  OptionsButtonClick(game);
  EXPECT_EQ(game.RandomState, kUntouched);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(state.DisturbCount, 1);
}

TEST_F(Disturbance, InsaneIntervalsHalveFrom100To10AndNeverGrow) {
  ui.optionsAnswers.push_back({true, PlayMode::Insane});
  OptionsButtonClick(game);
  EXPECT_EQ(TickTimes(120), (std::vector<int64_t>{50, 75, 87, 97, 107, 117}));
  EXPECT_EQ(IntervalChanges(), (std::vector<std::string>{"50", "25", "12", "10"}));
}

TEST_F(Disturbance, FromFlashingsHalfSecondCrazyHalvesDownThroughOddIntervals) {
  ui.SetTimerInterval(GameTimer::Timer2, 500);
  ui.events.clear();
  state.MovedSinceDisturb = true;
  state.DisturbCount = 1;
  ui.mode = PlayMode::Crazy;
  for (int i = 0; i < 7; ++i) CrazyMode(game);
  EXPECT_EQ(IntervalChanges(), (std::vector<std::string>{"250", "125", "62", "31", "15", "10"}));
}

TEST_F(Disturbance, FlashingRecoloursEveryTargetEveryHalfSecond) {
  state.WelcomeMode = true;
  state.Finished = true;
  FlashingMode(game);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 500);
  const std::vector<int64_t> times = TickTimes(1000);
  EXPECT_EQ(times, (std::vector<int64_t>{500, 1000}));
  // The last step was seeded at noon + 1000 ms and drew one colour per target.
  uint32_t seed = kNoon + 1000;
  const uint32_t a = state.DisturbPalette[NextRandomBelow(seed, 16)];
  const uint32_t b = state.DisturbPalette[NextRandomBelow(seed, 16)];
  EXPECT_EQ(At(kA), a);
  EXPECT_EQ(At(kB), b);
  EXPECT_TRUE(Pixels() == Painted(StandardDrawing(), kDrawingWidth, {{kA, a}, {kB, b}}));
}

TEST_F(Disturbance, TimerDoesNothingInNormalModeOrOnceThePuzzleIsOver) {
  ui.windowWidth = kDrawingWidth;
  ui.windowHeight = kDrawingHeight;
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  state.MovedSinceDisturb = true;
  EXPECT_FALSE(TickDisturbs());  // Normal
  state.Finished = true;
  ui.mode = PlayMode::Insane;
  EXPECT_FALSE(TickDisturbs());
  ui.mode = PlayMode::Crazy;
  EXPECT_FALSE(TickDisturbs());
  state.Finished = false;
  EXPECT_TRUE(TickDisturbs());
  ui.mode = PlayMode::Insane;
  EXPECT_TRUE(TickDisturbs());
}

TEST_F(Disturbance, OptionsRefusesWhenFinishedOrLockedAndKeepsACancelledChoice) {
  const std::string finished =
      "            That is it, folks!           \r\n\r\n           Load new Puzzle!            ";
  state.Finished = true;
  state.CrazyOnly = true;
  OptionsButtonClick(game);
  state.Finished = false;
  OptionsButtonClick(game);
  state.CrazyOnly = false;
  state.NormalOnly = true;
  OptionsButtonClick(game);
  state.NormalOnly = false;
  state.InsaneOnly = true;
  OptionsButtonClick(game);
  EXPECT_EQ(ui.shown, (std::vector<std::string>{
                          "message: " + finished,
                          "message: This puzzle is supposed to be solved in Crazy Mode only",
                          "message: This puzzle is supposed to be solved in Normal Mode only",
                          "message: This puzzle is supposed to be solved in Insane Mode only"}));

  state.InsaneOnly = false;
  state.DisturbCount = 9;
  ui.optionsAnswers.push_back({false, PlayMode::Insane});
  game.RandomState = kUntouched;
  OptionsButtonClick(game);
  EXPECT_EQ(game.RandomState, kUntouched);
  EXPECT_EQ(state.DisturbCount, 9);
  EXPECT_EQ(ui.mode, PlayMode::Insane);  // and the timer now floods
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  EXPECT_TRUE(TickDisturbs());

  // Normal after OK leaves the timer as it was.
  ui.optionsAnswers.push_back({true, PlayMode::Normal});
  OptionsButtonClick(game);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(state.DisturbCount, 1);
  EXPECT_FALSE(TickDisturbs());
}

TEST_F(Disturbance, InsaneFloodsGoOnWhileAMessageIsOpen) {
  ui.mode = PlayMode::Insane;
  ui.windowWidth = kDrawingWidth;
  ui.windowHeight = kDrawingHeight;
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  int during = 0;
  ui.whileModal = [&] { during += TickDisturbs(); };
  state.HintsAvailable = false;
  HintButtonClick(game);  // refused with a message
  EXPECT_EQ(during, 1);
}

}  // namespace
}  // namespace tintaro::test
