// The solution reader: header, option record, points split by kind, and the
// three outcomes of any byte sequence (read, I/O failure, range error).
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "core/Errors.h"
#include "core/rules/SolutionFile.h"
#include "support/SolutionBuilder.h"
#include "tests/rules/RulesFixture.h"

namespace tintaro::test {
namespace {

class SolutionFile : public RulesTest {
 protected:
  SolutionReadResult Read(const SolutionBuilder& file) {
    file.WriteTo(folder.File("p.trs"));
    return ReadSolutionFile(game, folder.File("p.trs"));
  }
  const PointRecord& Target(int i) { return (*state.TargetPoints)[i]; }
  const PointRecord& Stray(int i) { return (*state.StrayPoints)[i]; }
};

TEST_F(SolutionFile, HeaderAloneGivesNoPointsAndNoHints) {
  LoadReset();
  (*state.TargetPoints)[0] = {5, 5, 1};
  EXPECT_EQ(Read(SolutionBuilder().Header(-1, -1, 5)), SolutionReadResult::Read);
  EXPECT_EQ(state.LastTargetIndex, -1);
  EXPECT_EQ(state.LastStrayIndex, -1);
  EXPECT_EQ(state.HintLimit, 0);
  EXPECT_TRUE(state.HintsAvailable);
  EXPECT_EQ(Target(0).X, 5);  // never emptied
}

TEST_F(SolutionFile, PointsAreSplitByKindKeepingFileOrder) {
  LoadReset();
  ASSERT_EQ(Read(SolutionBuilder()
                     .Header(2, 1, 7)
                     .Target(10, 11)
                     .Stray(20, 21, 0)
                     .Target(12, 13)
                     .Target(14, 15)
                     .Stray(22, 23, 9)),
            SolutionReadResult::Read);
  EXPECT_EQ(state.HintLimit, 3);
  EXPECT_EQ(Target(0).X, 10);
  EXPECT_EQ(Target(1).Y, 13);
  EXPECT_EQ(Target(2).X, 14);
  EXPECT_EQ(Target(2).Kind, 1);
  EXPECT_EQ(Stray(0).X, 20);
  EXPECT_EQ(Stray(1).Y, 23);
  EXPECT_EQ(Stray(1).Kind, 9);  // the kind is stored as read
  EXPECT_FALSE(state.SolutionDisabled || state.HintsDisabled || state.CrazyOnly || state.InsaneOnly ||
               state.NormalOnly);
}

TEST_F(SolutionFile, MoreTargetsThanTheHeaderSaysAreStoredButEntriesBeyondStay) {
  LoadReset();
  (*state.StrayPoints)[1] = {77, 78, 3};
  ASSERT_EQ(Read(SolutionBuilder().Header(1, 1, 7).Target(1, 1).Target(2, 2).Target(3, 3).Stray(4, 4)),
            SolutionReadResult::Read);
  EXPECT_EQ(Target(2).X, 3);
  EXPECT_EQ(Stray(0).X, 4);
  EXPECT_EQ(Stray(1).X, 77);
}

TEST_F(SolutionFile, HeaderKindZeroTakesTheFirstPointAsOptionsAndThenRunsShort) {
  LoadReset();
  const SolutionReadResult result =
      Read(SolutionBuilder().Header(1, 1, 0).Record(5, -4, 1).Target(6, 6).Stray(7, 7));
  EXPECT_EQ(result, SolutionReadResult::IoFailure);
  EXPECT_FALSE(state.HintsAvailable);
  EXPECT_EQ(state.HintLimit, 5);
  EXPECT_TRUE(state.NormalOnly);
  // What was read before the end stays.
  EXPECT_EQ(Target(0).X, 6);
  EXPECT_EQ(Stray(0).X, 7);
  EXPECT_EQ(state.LastTargetIndex, 1);
}

TEST_F(SolutionFile, OptionRecordSetsLimitAndFlags) {
  LoadReset();
  ASSERT_EQ(Read(SolutionBuilder().Header(-1, -1, 0).Option(0, 0)), SolutionReadResult::Read);
  EXPECT_TRUE(state.SolutionDisabled);
  EXPECT_FALSE(state.HintsDisabled);
  EXPECT_EQ(state.HintLimit, 0);

  LoadReset();
  ASSERT_EQ(Read(SolutionBuilder().Header(3, -1, 0).Option(7, 0).Target(0, 0).Target(1, 1).Target(2, 2).Target(3, 3)),
            SolutionReadResult::Read);
  EXPECT_EQ(state.HintLimit, 7);
  EXPECT_FALSE(state.SolutionDisabled || state.HintsDisabled || state.NormalOnly);

  LoadReset();
  ASSERT_EQ(Read(SolutionBuilder().Header(-1, -1, 0).Option(-1, -4)), SolutionReadResult::Read);
  EXPECT_TRUE(state.HintsDisabled);
  EXPECT_EQ(state.HintLimit, -1);
  EXPECT_TRUE(state.NormalOnly);
  EXPECT_EQ(ui.mode, PlayMode::Normal);
  EXPECT_FALSE(ui.TimerEnabled(GameTimer::Timer2));
}

TEST_F(SolutionFile, InsaneLockStartsInsaneAtOnceEvenWhenThePointsFail) {
  LoadReset();
  ui.SetTimerInterval(GameTimer::Timer2, 100);
  const SolutionReadResult result = Read(SolutionBuilder().Header(1, 1, 0).Option(-1, -3).Target(1, 1));
  EXPECT_EQ(result, SolutionReadResult::IoFailure);
  EXPECT_TRUE(state.InsaneOnly);
  EXPECT_TRUE(state.HintsDisabled);
  EXPECT_EQ(state.HintLimit, -1);
  EXPECT_EQ(ui.mode, PlayMode::Insane);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 50);  // one disturbance ran
  EXPECT_FALSE(state.HintsAvailable);
}

TEST_F(SolutionFile, CrazyLockSelectsCrazyAndDisturbsOnlyAfterAMove) {
  LoadReset();
  ui.SetTimerInterval(GameTimer::Timer2, 100);
  state.MovedSinceDisturb = false;
  ASSERT_EQ(Read(SolutionBuilder().Header(-1, -1, 0).Option(3, -2)), SolutionReadResult::Read);
  EXPECT_TRUE(state.CrazyOnly);
  EXPECT_EQ(ui.mode, PlayMode::Crazy);
  EXPECT_TRUE(ui.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 100);

  LoadReset();
  state.MovedSinceDisturb = true;
  state.DisturbCount = 4;
  ASSERT_EQ(Read(SolutionBuilder().Header(-1, -1, 0).Option(3, -2)), SolutionReadResult::Read);
  EXPECT_EQ(ui.TimerInterval(GameTimer::Timer2), 50);
  EXPECT_EQ(state.DisturbCount, 5);
}

TEST_F(SolutionFile, FileCutInsideAPointKeepsThePointsBeforeIt) {
  LoadReset();
  const SolutionReadResult result =
      Read(SolutionBuilder().Header(4, 0, 1).Target(1, 1).Target(2, 2).Stray(3, 3).Target(4, 4).Truncate(5));
  EXPECT_EQ(result, SolutionReadResult::IoFailure);
  EXPECT_FALSE(state.HintsAvailable);
  EXPECT_EQ(Target(1).X, 2);
  EXPECT_EQ(Stray(0).X, 3);
  EXPECT_EQ(Target(2).X, 0);  // the cut record was not stored
}

TEST_F(SolutionFile, BytesAfterTheExpectedRecordsAreIgnored) {
  LoadReset();
  EXPECT_EQ(Read(SolutionBuilder().Header(0, -1, 1).Target(9, 9).Target(8, 8).Raw({1, 2, 3})),
            SolutionReadResult::Read);
  EXPECT_EQ(Target(0).X, 9);
  EXPECT_EQ(Target(1).X, 0);
}

TEST_F(SolutionFile, MissingEmptyOrShortFilesOnlyClearHintsAvailable) {
  LoadReset();
  ASSERT_EQ(Read(SolutionBuilder().Header(0, 0, 1).Target(1, 2).Stray(3, 4)), SolutionReadResult::Read);
  const std::string paths[] = {folder.File("missing.trs"), "", folder.File("")};
  for (const std::string& path : paths) {
    state.HintsAvailable = true;
    EXPECT_EQ(ReadSolutionFile(game, path), SolutionReadResult::IoFailure) << path;
    EXPECT_FALSE(state.HintsAvailable);
  }
  for (size_t size : {0, 1, 11}) {
    state.HintsAvailable = true;
    SolutionBuilder short_file;
    short_file.Raw(std::vector<uint8_t>(size, 0x7F));
    EXPECT_EQ(Read(short_file), SolutionReadResult::IoFailure) << size;
    EXPECT_FALSE(state.HintsAvailable);
  }
  // The previous puzzle's values stay in force.
  EXPECT_EQ(state.LastTargetIndex, 0);
  EXPECT_EQ(state.HintLimit, 1);
  EXPECT_EQ(Target(0).Y, 2);
}

TEST_F(SolutionFile, TheThousandAndFirstPointOfAKindIsTheRangeError) {
  for (bool targets : {true, false}) {
    LoadReset();
    SolutionBuilder file;
    file.Header(targets ? 1000 : -1, targets ? -1 : 1000, 1);
    for (int i = 0; i <= 1000; ++i) file.Record(i, i + 1, targets ? 1 : 0);
    (*state.TargetPoints)[999] = {};
    (*state.StrayPoints)[999] = {};
    try {
      Read(file);
      ADD_FAILURE() << "no range error";
    } catch (const ERangeError& e) {
      EXPECT_STREQ(e.what(), "Range check error");
      EXPECT_EQ(TopLevelErrorText(e.what()), "Range check error.");
    }
    const PointTable& table = targets ? *state.TargetPoints : *state.StrayPoints;
    EXPECT_EQ(table[999].X, 999);
    EXPECT_EQ(table[0].Y, 1);
    EXPECT_TRUE(state.HintsAvailable);
  }
}

TEST_F(SolutionFile, ExtremeHeadersWrapIn32BitsAndReadNothingPastTheFile) {
  LoadReset();
  // The count wraps negative: no point records at all.
  EXPECT_EQ(Read(SolutionBuilder().Header(INT_MAX, 0, 1)), SolutionReadResult::Read);
  EXPECT_EQ(state.HintLimit, INT_MIN);
  EXPECT_EQ(Read(SolutionBuilder().Header(-3, 1, 1)), SolutionReadResult::Read);
  EXPECT_EQ(state.HintLimit, -2);
  // A huge count with few records is an early end, not a long read.
  EXPECT_EQ(Read(SolutionBuilder().Header(INT_MAX - 1, 0, 1).Stray(1, 1)), SolutionReadResult::IoFailure);
  EXPECT_EQ(state.LastTargetIndex, INT_MAX - 1);
}

TEST_F(SolutionFile, AFolderOrDeviceIsNotASolutionFile) {
  LoadReset();
  std::filesystem::create_directories(folder.File("dir.trs"));
  EXPECT_EQ(ReadSolutionFile(game, folder.File("dir.trs")), SolutionReadResult::IoFailure);
  state.HintsAvailable = true;
  EXPECT_EQ(ReadSolutionFile(game, "/dev/zero"), SolutionReadResult::IoFailure);
  EXPECT_FALSE(state.HintsAvailable);
}

TEST(TopLevelErrorText, AddsAFullStopOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(TopLevelErrorText("Cannot open file /a/b.bmp"), "Cannot open file /a/b.bmp.");
  EXPECT_EQ(TopLevelErrorText("Done."), "Done.");
  EXPECT_EQ(TopLevelErrorText("Odd-"), "Odd-");
  EXPECT_EQ(TopLevelErrorText("Odd/"), "Odd/.");
  EXPECT_EQ(TopLevelErrorText(""), "");
}

}  // namespace
}  // namespace tintaro::test
