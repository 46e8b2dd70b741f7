// The solution check, the score announcement and the Repaint command.
#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/rules/SolutionCheck.h"
#include "tests/rules/RulesFixture.h"

namespace tintaro::test {
namespace {

const std::string kWarning =
    "                     WARNING!       \r\n\r\n              You should repaint all        \r\n\r\n"
    "             irrelevant RED contours!       ";
const std::string kKeepGoing =
    "                Keep going!           \r\n\r\n           You're not there yet!            ";

class SolutionCheck : public RulesTest {
 protected:
  void SetUp() override { UseStandardPuzzle(); }
  void Fill(Point p, uint32_t colour) { surface.FillToBlack(p.x, p.y, colour); }
};

TEST_F(SolutionCheck, TargetsAreExaminedBeforeStraysAndWarnSilently) {
  Fill(kC, kRed);  // stray red, targets white
  EXPECT_FALSE(CheckSolution(game));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(state.WarnStrayOnce);
  RepaintButtonClick(game);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kKeepGoing});
}

TEST_F(SolutionCheck, RedStrayWarnsOncePerArming) {
  Fill(kA, kRed);
  Fill(kB, kRed);
  Fill(kC, kRed);
  EXPECT_FALSE(CheckSolution(game));
  EXPECT_FALSE(CheckSolution(game));
  EXPECT_EQ(ui.messages, std::vector<std::string>{kWarning});
  EXPECT_FALSE(state.WarnStrayOnce);
  // Repaint re-arms and shows the warning, not "Keep going".
  ui.SetRepaintDown(false);
  RepaintButtonClick(game);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{kWarning, kWarning}));
  EXPECT_TRUE(ui.RepaintDown());
  Fill(kC, kWhite);
  EXPECT_TRUE(CheckSolution(game));
}

TEST_F(SolutionCheck, OnlyExactRedCountsAndRepaintOnASolvedPictureOnlyPutsTheButtonDown) {
  Fill(kA, kRed);
  Fill(kB, kMaroon);
  EXPECT_FALSE(CheckSolution(game));
  Fill(kB, kRed);
  // A target outside the picture reads -1, never red.
  (*state.TargetPoints)[1] = {kDrawingWidth, 0, 1};
  EXPECT_FALSE(CheckSolution(game));
  (*state.TargetPoints)[1] = {kB.x, kB.y, 1};
  ui.SetRepaintDown(false);
  ui.buttonChanges.clear();
  RepaintButtonClick(game);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(state.Finished);
  EXPECT_EQ(ui.buttonChanges, std::vector<std::string>{"Repaint down 1"});
}

TEST_F(SolutionCheck, ScoreIsTheTruncatedShareOfTheHintLimit) {
  struct Case {
    int32_t used, limit, score;
  };
  for (const Case c : {Case{0, 3, 0}, Case{1, 3, 33}, Case{2, 3, 66}, Case{3, 3, 100}, Case{2, 0, 0},
                       Case{1, -3, -33}, Case{5, -1, -500}}) {
    ui.messages.clear();
    state.HintsUsed = c.used;
    state.HintLimit = c.limit;
    AnnounceSolved(game);
    EXPECT_EQ(state.ScorePercent, c.score);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "         CONGRATULATIONS!       \r\n\r\n                You've got it!        \r\n\r\n"
              "               Hints Used " +
                  std::to_string(c.score) + "%       ");
  }
}

TEST_F(SolutionCheck, AnnouncingEndsThePuzzleAndGreysThePlayButtonsInOrder) {
  bool finishedWhileShown = true;
  ui.whileModal = [&] { finishedWhileShown = state.Finished; };
  AnnounceSolved(game);
  EXPECT_FALSE(finishedWhileShown);  // set after the message closes
  EXPECT_TRUE(state.Finished);
  EXPECT_EQ(ui.buttonChanges,
            (std::vector<std::string>{"Repaint enabled 0", "Hint enabled 0", "Giveup enabled 0", "Options enabled 0",
                                      "Repaint indeterminate 1", "Hint indeterminate 1", "Giveup indeterminate 1",
                                      "Options indeterminate 1"}));
  EXPECT_TRUE(ui.ButtonEnabled(CommandButton::Clue));
}

TEST_F(SolutionCheck, ATargetIndexPastTheTableIsARangeError) {
  for (int i = 0; i < PointTableCapacity; ++i) (*state.TargetPoints)[i] = {kA.x, kA.y, 1};
  Fill(kA, kRed);
  state.LastTargetIndex = 1200;
  EXPECT_THROW(CheckSolution(game), ERangeError);
  // Not reached while a target is missing.
  (*state.TargetPoints)[500] = {kB.x, kB.y, 1};
  EXPECT_FALSE(CheckSolution(game));
  // Nothing to examine on either side counts as solved.
  state.LastTargetIndex = -1;
  state.LastStrayIndex = -5;
  EXPECT_TRUE(CheckSolution(game));
}

}  // namespace
}  // namespace tintaro::test
