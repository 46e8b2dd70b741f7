// Paint clicks, unpaint presses, undo by replay, the move limit and a picture
// file that disappears under a running puzzle.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "core/Errors.h"
#include "core/rules/Moves.h"
#include "tests/rules/RulesFixture.h"

namespace tintaro::test {
namespace {

const std::string kFinished =
    "            That is it, folks!           \r\n\r\n           Load new Puzzle!            ";
const std::string kLimit =
    "         You have exceeded the limit       \r\n\r\n               of trials and errors.         \r\n\r\n"
    "                Please start over!           ";
const std::string kReload = "            Please reload the Puzzle file            ";
const std::vector<std::string> kPlayButtonsGreyed = {
    "Repaint enabled 0",       "Hint enabled 0",          "Giveup enabled 0",         "Options enabled 0",
    "Repaint indeterminate 1", "Hint indeterminate 1",    "Giveup indeterminate 1",   "Options indeterminate 1"};
const std::vector<std::string> kCommandButtonsGreyed = {
    "Repaint enabled 0",     "Clue enabled 0",          "Hint enabled 0",          "Giveup enabled 0",
    "Options enabled 0",     "Repaint indeterminate 1", "Clue indeterminate 1",    "Hint indeterminate 1",
    "Giveup indeterminate 1", "Options indeterminate 1"};

class Moves : public RulesTest {
 protected:
  void SetUp() override { UseStandardPuzzle(); }
  std::vector<uint32_t> Drawing(std::initializer_list<std::pair<Point, uint32_t>> fills) {
    return Painted(StandardDrawing(), kDrawingWidth, fills);
  }
};

TEST_F(Moves, ClickPaintsWhereThePointerWasLastReportedAndLogsTheMove) {
  MouseMoveXY(game, kA.x, kA.y);
  MouseMoveXY(game, kD.x, kD.y);
  Image1MouseClick(game);
  EXPECT_TRUE(Pixels() == Drawing({{kD, kRed}}));
  EXPECT_EQ(state.LastMove, 0);
  EXPECT_EQ(Move(0).X, kD.x);
  EXPECT_EQ(Move(0).Kind, MoveLive);
  EXPECT_TRUE(state.MovedSinceDisturb);
  // A black pixel and an already red region still log live moves.
  Paint({3, 3});
  Paint(kD);
  EXPECT_EQ(state.LastMove, 2);
  EXPECT_EQ(Move(1).Kind, MoveLive);
  EXPECT_EQ(Move(2).Kind, MoveLive);
  EXPECT_TRUE(Pixels() == Drawing({{kD, kRed}}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Moves, ClicksDoNothingWithRepaintOffOrWithoutAnArchive) {
  ui.SetRepaintDown(false);
  Paint(kA);
  state.ArchivePath.clear();
  ui.SetRepaintDown(true);
  Paint(kA);
  EXPECT_EQ(state.LastMove, -1);
  EXPECT_EQ(At(kA), kWhite);
}

TEST_F(Moves, ALeakIntoTheBackgroundIsUndoneByReplay) {
  state.HintsUsed = 1;  // target A was hinted
  Paint(kD);
  Paint(kBackground);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kD, kRed}}));
  EXPECT_EQ(Move(0).Kind, MoveLive);
  EXPECT_EQ(Move(1).Kind, MoveCancelled);
  EXPECT_EQ(state.LastMove, 1);
}

TEST_F(Moves, LeakUndoKeepsADisturbedMoveButAnUnpaintCancelsIt) {
  Paint(kD);
  surface.FillToBlack(kD.x, kD.y, kMaroon);  // a disturbance recolours D
  Paint(kBackground);
  EXPECT_EQ(Move(0).Kind, MoveLive);
  EXPECT_EQ(At(kD), kRed);

  surface.FillToBlack(kD.x, kD.y, kMaroon);
  Paint(kA);
  Press(MouseButton::Secondary, kA);  // unpaint elsewhere
  EXPECT_EQ(Move(0).Kind, MoveCancelled);
  EXPECT_EQ(Move(2).Kind, MoveCancelled);
  EXPECT_TRUE(Pixels() == StandardDrawing());

  // A disturbance that whitens a region lets a leak cancel its move too.
  Paint(kB);
  surface.FillToBlack(kB.x, kB.y, kWhite);
  Paint(kBackground);
  EXPECT_EQ(Move(3).Kind, MoveCancelled);
}

TEST_F(Moves, UnpaintCancelsEveryMoveThatNoLongerReadsRedIncludingBlackPixelMoves) {
  Paint({3, 3});  // on the outline
  Paint(kD);
  Paint(kBackground);  // leak: the outline move stays live
  EXPECT_EQ(Move(0).Kind, MoveLive);
  state.HintsUsed = 1;  // A is hinted
  surface.FillToBlack(kA.x, kA.y, kRed);
  Press(MouseButton::Secondary, kA);  // a hinted target comes back red
  EXPECT_EQ(Move(0).Kind, MoveCancelled);
  EXPECT_EQ(Move(1).Kind, MoveLive);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kD, kRed}}));
  Press(MouseButton::Secondary, kD);
  EXPECT_EQ(Move(1).Kind, MoveCancelled);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}}));
}

TEST_F(Moves, PressesOffRedOrWithOtherButtonsOnlyRunTheCheck) {
  surface.FillToBlack(kA.x, kA.y, kRed);
  surface.FillToBlack(kB.x, kB.y, kRed);
  // Not red: nothing at all, although the picture is solved.
  Press(MouseButton::Secondary, kD);
  Press(MouseButton::Primary, {-1, INT_MAX});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(state.Finished);
  // A primary press on red announces before any paint; Timer2 keeps running.
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  Press(MouseButton::Middle, kA);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].rfind("         CONGRATULATIONS!", 0), 0u);
  EXPECT_TRUE(state.Finished);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(At(kA), kRed);
}

TEST_F(Moves, PressOnRedWithRepaintOffChecksAndCrazyLockRestartsTheBurst) {
  ui.SetRepaintDown(false);
  surface.FillToBlack(kC.x, kC.y, kRed);
  state.CrazyOnly = true;
  state.MovedSinceDisturb = false;
  state.DisturbCount = 3;
  Press(MouseButton::Secondary, kC);
  EXPECT_EQ(At(kC), kRed);  // not unpainted
  EXPECT_TRUE(state.MovedSinceDisturb);
  EXPECT_EQ(state.DisturbCount, 4);
}

TEST_F(Moves, SolvingClickStopsTimer2BeforeAnnouncingAndCrazyStillFollows) {
  Paint(kA);
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  ui.mode = PlayMode::Crazy;
  state.DisturbCount = 1;
  ui.events.clear();
  ui.buttonChanges.clear();
  Paint(kB);
  ASSERT_GE(ui.events.size(), 2u);
  EXPECT_EQ(ui.events[0], "Timer2 enabled 0");
  EXPECT_EQ(ui.events[1].rfind("message:          CONGRATULATIONS!", 0), 0u);
  EXPECT_EQ(ui.buttonChanges, kPlayButtonsGreyed);
  // CrazyMode ran after the announcement and started Timer2 again.
  EXPECT_EQ(state.DisturbCount, 2);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
}

TEST_F(Moves, FinishedPuzzleRefusesClicksAndPressesWithTheirOwnButtonRules) {
  state.Finished = true;
  Paint(kA);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kFinished});
  EXPECT_EQ(ui.buttonChanges, kPlayButtonsGreyed);
  EXPECT_EQ(state.LastMove, -1);
  ui.buttonChanges.clear();
  surface.FillToBlack(kA.x, kA.y, kRed);
  Press(MouseButton::Secondary, kA);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{kFinished, kFinished}));
  EXPECT_TRUE(ui.buttonChanges.empty());
  EXPECT_EQ(At(kA), kRed);
}

TEST_F(Moves, The997thClickIsKeptAndThe998thStartsTheLogOver) {
  state.HintsUsed = 1;
  for (int i = 0; i < 997; ++i) Paint(kD);
  EXPECT_EQ(state.LastMove, 996);
  EXPECT_EQ(Move(996).Kind, MoveLive);
  EXPECT_TRUE(ui.messages.empty());
  ui.mode = PlayMode::Crazy;
  state.DisturbCount = 1;
  Paint(kA);  // the 998th
  EXPECT_EQ(ui.messages, std::vector<std::string>{kLimit});
  EXPECT_EQ(state.LastMove, -1);
  for (int i = 0; i < PointTableCapacity; ++i) ASSERT_EQ(Move(i).Kind, MoveEmpty) << i;
  EXPECT_EQ(Move(996).X, 0);
  EXPECT_TRUE(Pixels() == StandardDrawing());  // no hinted target repainted
  EXPECT_EQ(state.HintsUsed, 1);
  EXPECT_EQ(state.DisturbCount, 1);  // no Crazy step
  Paint(kB);
  EXPECT_EQ(state.LastMove, 0);
  EXPECT_EQ(Move(0).X, kB.x);
}

TEST_F(Moves, DeletedPictureFileEndsThePuzzleAtTheNextUndo) {
  Paint(kA);
  std::filesystem::remove(state.PicturePath);
  ui.mode = PlayMode::Crazy;
  state.DisturbCount = 1;
  bool hiddenWhileShown = false;
  ui.whileModal = [&] { hiddenWhileShown = !surface.IsShown(); };
  Paint(kBackground);
  EXPECT_TRUE(hiddenWhileShown);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kReload});
  EXPECT_TRUE(state.Finished);
  EXPECT_TRUE(state.PicturePath.empty());
  EXPECT_EQ(ui.buttonChanges, kCommandButtonsGreyed);
  EXPECT_EQ(state.DisturbCount, 1);  // the handler ended there
  EXPECT_EQ(Move(1).Kind, MoveCancelled);
}

TEST_F(Moves, DeletedPictureFileAlsoEndsAnUnpaintAndTheMoveLimit) {
  Paint(kA);
  std::filesystem::remove(state.PicturePath);
  Press(MouseButton::Secondary, kA);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kReload});
  EXPECT_FALSE(surface.IsShown());

  UseStandardPuzzle();
  ui.messages.clear();
  for (int i = 0; i < 997; ++i) Paint(kD);
  std::filesystem::remove(state.PicturePath);
  Paint(kD);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{kLimit, kReload}));
  EXPECT_EQ(state.LastMove, -1);
  EXPECT_TRUE(state.Finished);
}

TEST_F(Moves, AnUnreadablePictureIsNotCaughtByTheMoveHandlers) {
  Paint(kA);
  WriteFileBytes(state.PicturePath, std::vector<uint8_t>{'X', 'Y', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
  EXPECT_THROW(Paint(kBackground), EInvalidGraphic);
  EXPECT_FALSE(state.Finished);
}

TEST_F(Moves, PointerPositionsAnywhereInInt32AreHarmless) {
  for (Point p : {Point{INT_MIN, INT_MIN}, Point{INT_MAX, 0}, Point{0, INT_MAX}, Point{-1, 5}}) {
    Paint(p);
    Press(MouseButton::Secondary, p);
  }
  EXPECT_EQ(state.LastMove, 3);
  EXPECT_TRUE(Pixels() == StandardDrawing());
}

}  // namespace
}  // namespace tintaro::test
