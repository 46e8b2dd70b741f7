// Hint with its checks in order, the 30 ms flash, Give Up, Clue and the end
// of the intro's demonstration.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Errors.h"
#include "core/rules/Hints.h"
#include "tests/rules/RulesFixture.h"

namespace tintaro::test {
namespace {

const std::string kFinished =
    "            That is it, folks!           \r\n\r\n           Load new Puzzle!            ";
const std::string kQuestion = "question: Wouldn't it be nice to solve the puzzle all by yourself?";
const std::string kNoHints = "Sorry, Hints are not available for this puzzle";
const std::string kHintLimit =
    "          Limit of Hints is over!       \r\n\r\n               From now on         \r\n\r\n"
    "           you're on your own!       ";
const std::vector<std::string> kPlayButtonsGreyed = {
    "Repaint enabled 0",       "Hint enabled 0",       "Giveup enabled 0",       "Options enabled 0",
    "Repaint indeterminate 1", "Hint indeterminate 1", "Giveup indeterminate 1", "Options indeterminate 1"};

class Hints : public RulesTest {
 protected:
  void SetUp() override { UseStandardPuzzle(); }
  std::vector<uint32_t> Drawing(std::initializer_list<std::pair<Point, uint32_t>> fills) {
    return Painted(StandardDrawing(), kDrawingWidth, fills);
  }
  // Three targets: A, B, D; stray C.
  void ThreeTargets() {
    (*state.TargetPoints)[2] = {kD.x, kD.y, 1};
    state.LastTargetIndex = 2;
    state.HintLimit = 3;
  }
};

TEST_F(Hints, FirstHintAsksYesKeepsAskingNoGivesAFlashThenRed) {
  ui.answers = {true};
  HintButtonClick(game);
  EXPECT_EQ(ui.shown, std::vector<std::string>{kQuestion});
  EXPECT_EQ(state.HintsUsed, 0);
  EXPECT_TRUE(state.AskBeforeHint);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer1));

  ui.answers = {false};
  HintButtonClick(game);
  EXPECT_EQ(ui.shown, (std::vector<std::string>{kQuestion, kQuestion}));
  EXPECT_FALSE(state.AskBeforeHint);
  EXPECT_EQ(state.HintsUsed, 1);
  EXPECT_EQ(state.HintPointX, kA.x);
  surface.FillToBlack(kA.x, kA.y, kMaroon);
  const int restarts = ui.Timer(GameTimer::Timer1).restarts;
  ui.Advance(10);
  HintButtonClick(game);  // the flash timer has not fired yet: B goes white too
  EXPECT_EQ(ui.shown.size(), 2u);  // not asked again
  EXPECT_TRUE(Pixels() == Drawing({{kA, kMaroon}, {kB, kWhite}}));
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer1));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer1), 30);
  EXPECT_EQ(ui.Timer(GameTimer::Timer1).restarts, restarts);  // the second hint kept the schedule
  ui.Advance(19);
  EXPECT_EQ(At(kB), kWhite);
  ui.Advance(1);
  // Only the newer point turns red; the earlier region waits for a replay.
  EXPECT_TRUE(Pixels() == Drawing({{kA, kMaroon}, {kB, kRed}}));
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer1));
  Paint(kBackground);  // a leak replays the hinted targets
  EXPECT_EQ(At(kA), kRed);
}

TEST_F(Hints, TheQuestionIsSkippedForHiddenPicturesAndFinishedPuzzles) {
  surface.HidePicture();
  HintButtonClick(game);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(state.HintsUsed, 1);

  UseStandardPuzzle();
  state.Finished = true;
  HintButtonClick(game);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kFinished});  // FinishHints, no question
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(Hints, HintLimitStopsThePlayerButNotGiveUp) {
  ThreeTargets();
  state.HintLimit = 2;
  state.AskBeforeHint = false;
  HintButtonClick(game);
  ui.Advance(30);
  HintButtonClick(game);
  ui.Advance(30);
  HintButtonClick(game);
  HintButtonClick(game);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{kHintLimit, kHintLimit}));
  EXPECT_EQ(state.HintsUsed, 2);
  EXPECT_EQ(At(kD), kWhite);

  ui.answers = {true};
  GiveupButtonClick(game);
  ui.Advance(200);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kB, kRed}, {kD, kRed}}));
  EXPECT_EQ(ui.messages.back(), kFinished);
}

TEST_F(Hints, DisabledHintsRefuseThePlayerAndSwitchTimer2OnButGiveUpPlaysAll) {
  state.HintsDisabled = true;
  HintButtonClick(game);
  EXPECT_EQ(ui.shown, std::vector<std::string>{"message: " + kNoHints});
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(state.HintsUsed, 0);

  ui.answers = {true};
  GiveupButtonClick(game);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer2));
  ui.Advance(100);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kB, kRed}}));
  EXPECT_TRUE(state.Finished);
}

TEST_F(Hints, DisabledSolutionRefusesGiveUpAndHintsAndStopsAChain) {
  state.SolutionDisabled = true;
  GiveupButtonClick(game);
  state.AutoSolve = true;
  HintButtonClick(game);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Sorry, Solution is not available for this puzzle", kNoHints}));
  EXPECT_FALSE(state.AutoSolve);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.beeps, 0);

  // An unreadable solution file refuses the same way.
  UseStandardPuzzle();
  ui.messages.clear();
  state.HintsAvailable = false;
  state.HintsDisabled = true;
  HintButtonClick(game);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoHints});
}

TEST_F(Hints, HintAfterEveryTargetReloadsShowsOnlyTheTargetsAndGreysThePlayButtons) {
  state.AskBeforeHint = false;
  Paint(kD);
  HintButtonClick(game);
  ui.Advance(30);
  HintButtonClick(game);
  ui.Advance(30);
  EXPECT_FALSE(state.Finished);
  ui.buttonChanges.clear();
  HintButtonClick(game);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kB, kRed}}));  // D, the player's, is gone
  EXPECT_EQ(ui.messages, std::vector<std::string>{kFinished});
  EXPECT_EQ(ui.buttonChanges, kPlayButtonsGreyed);
  EXPECT_TRUE(state.Finished);
  EXPECT_EQ(Move(0).Kind, MoveLive);
}

TEST_F(Hints, GiveUpAnsweredNoRestartsTimer2AndChangesNothing) {
  Paint(kD);
  ui.SetTimerEnabled(GameTimer::Timer2, true);
  bool timer2DuringQuestion = true;
  ui.whileModal = [&] { timer2DuringQuestion = ui.TimerEnabled(GameTimer::Timer2); };
  ui.answers = {false};
  ui.events.clear();
  GiveupButtonClick(game);
  EXPECT_FALSE(timer2DuringQuestion);
  EXPECT_EQ(ui.events, (std::vector<std::string>{"beep", "Timer2 enabled 0",
                                                 "question: Are you really giving up?", "Timer2 enabled 1"}));
  EXPECT_TRUE(Pixels() == Drawing({{kD, kRed}}));
  EXPECT_FALSE(state.AutoSolve);
}

TEST_F(Hints, GiveUpAnsweredYesPlaysEveryTargetWithItsFlash) {
  ThreeTargets();
  Paint(kC);
  state.HintsUsed = 1;
  ui.answers = {true};
  ui.buttonChanges.clear();
  GiveupButtonClick(game);
  EXPECT_EQ(ui.buttonChanges, kPlayButtonsGreyed);
  EXPECT_TRUE(state.AutoSolve);
  EXPECT_EQ(state.HintsUsed, 1);  // restarted from the first target
  EXPECT_TRUE(Pixels() == Drawing({{kA, kWhite}}));  // the player's painting is gone
  ui.Advance(30);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}}));
  ui.Advance(30);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kB, kRed}}));
  EXPECT_TRUE(ui.messages.empty());
  ui.Advance(30);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kFinished});
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}, {kB, kRed}, {kD, kRed}}));
  EXPECT_EQ(ui.ticks(GameTimer::Timer1), 3);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(state.ScorePercent, 0);  // no score for a given-up puzzle
  // Finished now: Give Up refuses without asking.
  GiveupButtonClick(game);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{kFinished, kFinished}));
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(Hints, GiveUpOnADeletedPictureLosesThePuzzle) {
  std::filesystem::remove(state.PicturePath);
  ui.answers = {true};
  GiveupButtonClick(game);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"            Please reload the Puzzle file            "});
  EXPECT_TRUE(state.Finished);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer1));
  EXPECT_FALSE(ui.ButtonEnabled(CommandButton::Clue));
}

TEST_F(Hints, LoadingDuringAChainLetsThePendingFlashFinishAndStops) {
  state.AskBeforeHint = false;
  ui.answers = {true};
  GiveupButtonClick(game);
  state.AutoSolve = false;  // the Load command, before its dialog
  ui.Advance(200);
  EXPECT_TRUE(Pixels() == Drawing({{kA, kRed}}));
  EXPECT_EQ(state.HintsUsed, 1);
}

TEST_F(Hints, AHintOnABlackPixelOrOffThePictureStillCounts) {
  (*state.TargetPoints)[0] = {3, 3, 1};
  (*state.TargetPoints)[1] = {-7, 1 << 30, 1};
  state.AskBeforeHint = false;
  HintButtonClick(game);
  ui.Advance(30);
  HintButtonClick(game);
  ui.Advance(30);
  EXPECT_EQ(state.HintsUsed, 2);
  EXPECT_TRUE(Pixels() == StandardDrawing());
}

TEST_F(Hints, ATargetPastTheTableIsARangeErrorAfterTheHintWasCounted) {
  state.LastTargetIndex = 1500;
  state.AutoSolve = true;
  state.HintsUsed = 999;
  HintButtonClick(game);
  EXPECT_EQ(state.HintsUsed, 1000);
  EXPECT_THROW(HintButtonClick(game), ERangeError);
  EXPECT_EQ(state.HintsUsed, 1001);
  // Every later replay meets the same row and refuses the same way.
  EXPECT_THROW(Paint(kBackground), ERangeError);
}

TEST_F(Hints, ClueOpensWhileAvailableEvenAfterThePuzzleEnds) {
  state.Finished = true;
  ClueButtonClick(game);
  EXPECT_TRUE(ui.clueShown);
  ui.clueShown = false;
  state.ClueAvailable = false;
  ClueButtonClick(game);
  state.ClueAvailable = true;
  state.PicturePath.clear();
  ClueButtonClick(game);
  EXPECT_FALSE(ui.clueShown);
  EXPECT_EQ(ui.messages, std::vector<std::string>(2, "Sorry, Clue is not available for this puzzle"));
}

TEST_F(Hints, IntroChainEndsWithAboutBoxWelcomeAndFlashing) {
  ui.SetTimerInterval(GameTimer::Timer2, 100);
  state.IntroPending = true;
  state.AutoSolve = true;
  state.AskBeforeHint = false;
  HintButtonClick(game);
  ui.buttonChanges.clear();
  ui.Advance(60);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(ui.aboutShown);
  EXPECT_FALSE(state.IntroPending);
  EXPECT_TRUE(state.WelcomeMode);
  EXPECT_TRUE(state.Finished);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 500);
  EXPECT_EQ(ui.buttonChanges, kPlayButtonsGreyed);
  // Flashing recolours the targets with palette colours, never red.
  ui.Advance(500);
  EXPECT_NE(At(kA), kRed);
  EXPECT_NE(At(kA), kBlack);
}

}  // namespace
}  // namespace tintaro::test
