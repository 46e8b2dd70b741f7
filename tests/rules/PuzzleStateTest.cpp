// The three resets of the puzzle state.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/PuzzleState.h"
#include "support/FakeUi.h"

namespace tintaro {
namespace {

TEST(PuzzleState, StartsEmptyAndWindowCreationArmsTheIntro) {
  PuzzleState state;
  EXPECT_EQ(state.LastMove, 0);
  EXPECT_FALSE(state.TargetPoints);
  EXPECT_FALSE(state.WarnStrayOnce);
  EXPECT_FALSE(state.AskBeforeHint);
  state.HintsDisabled = state.SolutionDisabled = state.DiskFull = true;
  ResetAtWindowCreation(state);
  EXPECT_TRUE(state.IntroPending);
  EXPECT_FALSE(state.HintsDisabled);
  EXPECT_FALSE(state.SolutionDisabled);
  EXPECT_FALSE(state.DiskFull);
}

TEST(PuzzleState, FirstActivationMakesTablesOnceAndKeepsTheirContents) {
  PuzzleState state;
  test::FakeUi ui;
  PrepareFirstActivation(state, ui);
  ASSERT_TRUE(state.TargetPoints && state.StrayPoints && state.MoveLog);
  EXPECT_EQ((*state.TargetPoints)[999].Kind, 0);
  EXPECT_EQ(state.DisturbPalette[0], 0xFF0000u);
  EXPECT_EQ(state.DisturbPalette[11], 0xFFFFFFu);
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 100);
  EXPECT_TRUE(state.HintsAvailable && state.ClueAvailable);
  // A second activation during the intro repeats the list but keeps the tables.
  (*state.TargetPoints)[5] = {7, 8, 1};
  const PointTable* before = state.TargetPoints.get();
  state.Finished = true;
  state.HintsUsed = 4;
  PrepareFirstActivation(state, ui);
  EXPECT_EQ(state.TargetPoints.get(), before);
  EXPECT_EQ((*state.TargetPoints)[5].X, 7);
  EXPECT_FALSE(state.Finished);
  EXPECT_EQ(state.HintsUsed, 0);
  // Not touched by activation.
  EXPECT_EQ(state.LastMove, 0);
  EXPECT_FALSE(state.WarnStrayOnce);
}

TEST(PuzzleState, LoadResetEmptiesEveryMoveRowAndKeepsCarryOverFields) {
  PuzzleState state;
  test::FakeUi ui;
  PrepareFirstActivation(state, ui);
  state.LastMove = 3;
  (*state.MoveLog)[998] = {1, 2, MoveCancelled};
  state.MovedSinceDisturb = true;
  state.DisturbCount = 12;
  state.LastTargetIndex = 4;
  state.HintLimit = 9;
  state.CrazyOnly = state.Finished = state.WelcomeMode = true;
  ui.SelectMode(PlayMode::Insane);
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  ui.SetButtonEnabled(CommandButton::Hint, false);
  ui.SetButtonIndeterminate(CommandButton::Options, true);

  ResetForLoad(state, ui);
  EXPECT_EQ(state.LastMove, -1);
  EXPECT_EQ((*state.MoveLog)[998].Kind, MoveEmpty);
  EXPECT_EQ((*state.MoveLog)[998].X, 0);
  EXPECT_TRUE(state.MovedSinceDisturb);
  EXPECT_EQ(state.DisturbCount, 12);
  EXPECT_EQ(state.LastTargetIndex, 4);
  EXPECT_EQ(state.HintLimit, 9);
  EXPECT_FALSE(state.CrazyOnly || state.Finished || state.WelcomeMode);
  EXPECT_TRUE(state.WarnStrayOnce && state.AskBeforeHint);
  EXPECT_EQ(ui.SelectedMode(), PlayMode::Normal);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_TRUE(ui.ButtonEnabled(CommandButton::Hint));
  EXPECT_FALSE(ui.ButtonIndeterminate(CommandButton::Options));
  EXPECT_TRUE(ui.RepaintDown());
}

// The core does not know which files an extraction wrote: the reset asks
// the window system, before anything else, and once.
TEST(PuzzleState, LoadResetFirstAsksForThePreviousPuzzlesFilesToBeDeleted) {
  PuzzleState state;
  test::FakeUi ui;
  state.PicturePath = "/work/p.bmp";
  ResetForLoad(state, ui);
  ASSERT_FALSE(ui.events.empty());
  EXPECT_EQ(ui.events.front(), "delete extracted files");
  EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "delete extracted files"), 1);
}

TEST(PuzzleState, LoadCommandClearsIntroAndAutoSolveEvenWhenCancelled) {
  PuzzleState state;
  test::FakeUi ui;
  state.IntroPending = state.AutoSolve = true;
  state.WelcomeMode = true;
  PrepareLoadCommand(state, ui);
  EXPECT_FALSE(state.IntroPending || state.AutoSolve);
  EXPECT_TRUE(state.WelcomeMode);
}

}  // namespace
}  // namespace tintaro
