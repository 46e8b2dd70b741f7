// The three resets of the puzzle state.
#include <gtest/gtest.h>

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

TEST(PuzzleState, LoadResetDeletesOnlyThePreviousPuzzlesFiles) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "tintaro_state_reset";
  fs::remove_all(dir);
  fs::create_directories(dir / "folder.bmp");
  std::ofstream(dir / "p.bmp") << "x";
  std::ofstream(dir / "keep.txt") << "x";
  PuzzleState state;
  test::FakeUi ui;
  state.PicturePath = (dir / "p.bmp").string();
  state.SolutionPath = (dir / "missing.trs").string();
  state.CluePath = (dir / "folder.bmp").string();
  ResetForLoad(state, ui);
  EXPECT_FALSE(fs::exists(dir / "p.bmp"));
  EXPECT_TRUE(fs::exists(dir / "keep.txt"));
  EXPECT_TRUE(fs::is_directory(dir / "folder.bmp"));
  fs::remove_all(dir);
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
