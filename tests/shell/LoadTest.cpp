// The Load command end to end: each outcome after a first puzzle was
// played, the cancelled dialog, the clue test on the file-name part, the
// archive error flags and the centring of the picture.
#include <fstream>

#include "ShellFixture.h"
#include "shell/ShellMessages.h"

namespace tintaro::test {
namespace {

using namespace shellmsg;

struct LoadCase {
  const char* name;
  std::function<std::string(ShellTest&)> archive;  // path for the dialog, "" for Cancel
  std::vector<std::string> messages;
  bool accepted;
  std::string picture;  // file name of PicturePath when accepted
  bool clue = true;
  std::vector<std::string> workAfter;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadOutcome : public ShellTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadOutcome, EndsInItsStateWithItsMessage) {
  const LoadCase& c = GetParam();
  Start();  // no intro archive: the welcome state
  Load(Puzzle("first.tro", GoodPuzzle("first")));
  ASSERT_FALSE(state.Finished);
  ASSERT_EQ(WorkNames(), std::vector<std::string>{"first.bmp"});
  const std::string path = c.archive(*this);
  ui.core.messages.clear();
  Load(path.empty() ? std::nullopt : std::optional<std::string>(path));

  EXPECT_EQ(ui.core.messages, c.messages);
  EXPECT_TRUE(ui.errorBoxes.empty()) << ui.errorBoxes.front();
  EXPECT_EQ(state.Finished, !c.accepted);
  EXPECT_EQ(shell.Surface().IsShown(), c.accepted);
  EXPECT_EQ(ui.core.ButtonEnabled(CommandButton::Hint), c.accepted);
  EXPECT_EQ(ui.core.ButtonIndeterminate(CommandButton::Clue), !c.accepted);
  if (c.accepted) {
    const std::string shownFile = path.empty() ? "first.tro" : FileNamePart(path);
    EXPECT_EQ(ui.caption, kCaptionWithFile + shownFile);
    EXPECT_EQ(state.PicturePath, WorkFile(c.picture));
    EXPECT_EQ(state.ClueAvailable, c.clue);
    EXPECT_TRUE(state.HintsAvailable);
  } else {
    EXPECT_EQ(ui.caption, kCaption);
    EXPECT_EQ(state.PicturePath, "");
  }
  EXPECT_EQ(WorkNames(), c.workAfter);
}

ZipWriter WithDamagedClue() {
  return ZipWriter().Add("d.bmp", TwoBoxBmp()).Add("d.trs", TwoTargetSolution())
      .Add("spid.bmp", ClueBmp() + "MARKER", ZipWriter::Method::Store);
}

INSTANTIATE_TEST_SUITE_P(
    Shell, LoadOutcome,
    ::testing::Values(
        LoadCase{"Good", [](ShellTest& t) { return t.Puzzle("good.tro", ShellTest::GoodPuzzle("good")); }, {}, true,
                 "good.bmp", true, {"good.bmp"}},
        LoadCase{"UpperCaseExtension",
                 [](ShellTest& t) { return t.Puzzle("puzzle.TRO", ShellTest::GoodPuzzle("good")); },
                 {kNotAPuzzle}, false, "", true, {}},
        LoadCase{"NotAZip",
                 [](ShellTest& t) { return t.files.Write("plain.tro", ToBytes(std::string(200, 'z'))); },
                 {kNotAPuzzle}, false, "", true, {}},
        LoadCase{"MissingFile", [](ShellTest& t) { return t.files.File("absent.tro"); }, {kCorrupted}, false, "",
                 true, {}},
        LoadCase{"OnlySpiPictures",
                 [](ShellTest& t) {
                   return t.Puzzle("spi.tro", ZipWriter().Add("spia.bmp", ClueBmp()).Add("SPIb.bmp", ClueBmp()));
                 },
                 {kNotAPuzzle}, false, "", true, {}},
        LoadCase{"PictureIsNotAPicture",
                 [](ShellTest& t) {
                   return t.Puzzle("junk.tro", ZipWriter().Add("j.bmp", "this is plainly not a bitmap").Add("j.trs", "x"));
                 },
                 {kNotAPuzzle}, false, "", true, {}},
        LoadCase{"DamagedEntry",
                 [](ShellTest& t) {
                   std::vector<uint8_t> bytes = WithDamagedClue().Bytes();
                   EXPECT_EQ(PatchAll(bytes, "MARKER", "MARKEX"), 1);
                   return t.files.Write("damaged.tro", bytes);
                 },
                 {kCorrupted}, false, "", true, {}},
        LoadCase{"MissingClue",
                 [](ShellTest& t) {
                   return t.Puzzle("noclue.tro", ZipWriter().Add("n.bmp", TwoBoxBmp()).Add("n.trs", TwoTargetSolution()));
                 },
                 {}, true, "n.bmp", false, {"n.bmp"}},
        LoadCase{"ClueIsNotAPicture",
                 [](ShellTest& t) {
                   return t.Puzzle("badclue.tro", ZipWriter().Add("c.bmp", TwoBoxBmp())
                                                      .Add("c.trs", TwoTargetSolution()).Add("spic.bmp", "junk"));
                 },
                 {}, true, "c.bmp", false, {"c.bmp", "spic.bmp"}},
        LoadCase{"EntriesInAFolderKeepTheClueOut",
                 [](ShellTest& t) {
                   return t.Puzzle("folder.tro", ZipWriter().Add("pics/sub.bmp", TwoBoxBmp())
                                                     .Add("pics/sub.trs", TwoTargetSolution())
                                                     .Add("pics/spisub.bmp", ClueBmp()));
                 },
                 {}, true, "sub.bmp", true, {"sub.bmp"}},
        LoadCase{"EveryOtherEntryGoes",
                 [](ShellTest& t) {
                   return t.Puzzle("extra.tro", ShellTest::GoodPuzzle("x").Add("readme.txt", "hello")
                                                    .Add("more/y.dat", TwoBoxBmp()).Add(".hidden", "h"));
                 },
                 {}, true, "x.bmp", true, {"x.bmp"}},
        LoadCase{"Cancelled", [](ShellTest&) { return std::string(); }, {}, true, "first.bmp", true,
                 {"first.bmp"}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(ShellTest, AnAcceptedLoadShowsTheFileNameScrollsHomeAndCentresThePicture) {
  Start();
  const std::string path = Puzzle("good.tro", GoodPuzzle("good"));
  Load(path);
  // 24 x 16 in 653 x 491.
  EXPECT_EQ(EventsFrom("caption: "),
            (std::vector<std::string>{"caption: " + std::string(kCaptionWithFile) + "good.tro", "scroll 0 0", "image at 314 237",
                                      "clue picture: " + WorkFile("spigood.bmp")}));
  EXPECT_EQ(ui.clueSurface.Width(), 4);
  // Ready for the unpaints that reload it: a spare of the picture's size.
  const PaintSurface& surface = shell.Surface();
  EXPECT_GE(surface.HeldBytes(), 2u * surface.Width() * surface.Height() * sizeof(uint32_t));
  EXPECT_EQ(state.LastTargetIndex, 1);
  EXPECT_EQ(state.ArchivePath, path);
  EXPECT_EQ(shell.Archive().ErrCode, 0);
}

TEST_F(ShellTest, ALoadClickedWhileAnExtractionRunsIsIgnored) {
  Start();
  const std::string first = Puzzle("good.tro", GoodPuzzle("good"));
  const std::string second = Puzzle("other.tro", GoodPuzzle("other"));
  int clicks = 0;
  ui.whilePending = [&] {
    if (clicks++ == 0) Load(second);
  };
  Load(first);
  EXPECT_EQ(std::count_if(ui.events.begin(), ui.events.end(),
                          [](const std::string& e) { return e.rfind("open dialog", 0) == 0; }),
            1);
  EXPECT_EQ(state.PicturePath, WorkFile("good.bmp"));
  EXPECT_FALSE(state.Finished);
}

TEST_F(ShellTest, FormResizeCentresSmallPicturesAndPinsLargeOnesToTheCorner) {
  struct Case {
    int w, h, left, top;
  } cases[] = {{300, 200, 176, 145}, {800, 600, 0, 0}, {653, 490, 0, 0}, {652, 489, 0, 1}};
  for (const Case& c : cases) {
    files.Write("p.bmp", BuildBmp(c.w, c.h, std::vector<uint32_t>(static_cast<size_t>(c.w) * c.h, 0xFFFFFF)));
    shell.Surface().LoadPicture(files.File("p.bmp"));
    shell.FormResize();
    EXPECT_EQ(std::make_pair(ui.imageLeft, ui.imageTop), std::make_pair(c.left, c.top)) << c.w << "x" << c.h;
  }
}

TEST_F(ShellTest, ArchiveMessagesSetFlagsFromTheComponentsCode) {
  struct Case {
    int code;
    bool diskFull, corrupt, notArchive;
  } cases[] = {
      {0, false, false, false},      {14, true, false, false},     {11036, false, false, true},
      {10102, false, true, false},   {11015, false, true, false},  {2, false, true, false},
      {7, false, true, false},       {12, false, true, false},     {1, false, false, false},
      {10, false, false, false},     {10704, false, false, false},
  };
  for (const Case& c : cases) {
    state.DiskFull = state.ArchiveCorrupt = state.NotAnArchive = false;
    shell.Archive().ErrCode = c.code;
    // The event's own code is ignored.
    shell.ZipArchive1Message(c.code == 0 ? 14 : 0, "text");
    EXPECT_EQ(state.DiskFull, c.diskFull) << c.code;
    EXPECT_EQ(state.ArchiveCorrupt, c.corrupt) << c.code;
    EXPECT_EQ(state.NotAnArchive, c.notArchive) << c.code;
  }
}

TEST_F(ShellTest, ArchiveErrorsChooseTheirMessageInOrder) {
  struct Case {
    bool diskFull, notArchive;
    int code;
    const char* text;
  } cases[] = {{true, true, 14, kNotAPuzzle}, {true, false, 14, kDiskFull}, {false, false, 10103, kNoMemory},
               {false, false, 4, kNoMemory}, {false, false, 2, kCorrupted}};
  Start();
  const std::string path = Puzzle("good.tro", GoodPuzzle("good"));
  for (const Case& c : cases) {
    ui.core.messages.clear();
    // The flags are raised by the extraction's messages.
    shell.Archive().OnProgress = [&](TZipArchive*, ProgressType, const std::string&, int64_t) {
      state.DiskFull = c.diskFull;
      state.NotAnArchive = c.notArchive;
      state.ArchiveCorrupt = !c.diskFull && !c.notArchive;
      shell.Archive().ErrCode = c.code;
    };
    Load(path);
    EXPECT_EQ(ui.core.messages, std::vector<std::string>{c.text});
    EXPECT_TRUE(state.Finished);
    EXPECT_EQ(state.PicturePath, "");
  }
}

TEST_F(ShellTest, AFailureNoHandlerCatchesStillClearsTheClueAndTheExtraFiles) {
  Start();
  Load(Puzzle("first.tro", GoodPuzzle("first")));
  ASSERT_EQ(ui.clueSurface.Width(), 4);
  // 1001 points: the solution reader's table overflows before the clue loads.
  SolutionBuilder big;
  big.Header(1000, -1);
  for (int i = 0; i <= 1000; ++i) big.Target(kTargetA[0], kTargetA[1]);
  const std::string path = Puzzle("big.tro", ZipWriter().Add("b.bmp", TwoBoxBmp()).Add("b.trs", AsText(big.Bytes()))
                                                 .Add("spib.bmp", ClueBmp()).Add("notes.txt", "n"));
  Load(path);
  EXPECT_EQ(ui.errorBoxes, std::vector<std::string>{"Range check error."});
  EXPECT_EQ(ui.clueSurface.Width(), 0);
  EXPECT_EQ(WorkNames(), (std::vector<std::string>{"b.bmp", "b.trs", "spib.bmp"}));
}

// The engine writes an entry to a fresh file and renames it over a file of
// the same name: the player's readme.txt in the work folder is replaced by
// the puzzle's, which is extracted, so it goes after the Load.
TEST_F(ShellTest, AFileReplacedUnderANameAlreadyInTheWorkFolderIsDeletedAfterTheLoad) {
  Start();
  ASSERT_TRUE(std::filesystem::is_directory(Work()));
  std::ofstream(WorkFile("readme.txt")) << "the player's";
  Load(Puzzle("p.tro", GoodPuzzle("p").Add("readme.txt", "the puzzle's")));
  EXPECT_EQ(state.PicturePath, WorkFile("p.bmp"));
  EXPECT_EQ(WorkNames(), std::vector<std::string>{"p.bmp"});
}

TEST_F(ShellTest, ARefusedLoadIsLoggedWithItsCode) {
  Start({"log"});
  const std::string path = files.Write("plain.tro", ToBytes(std::string(200, 'z')));
  Load(path);
  const std::string log = AsText(ReadFileBytes(program.File("TRO.log")));
  const std::string tail = "\r\nOpen CurrentFile: " + path + "\r\n ErrCode: 11036";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail) << log;
}

TEST(TopLevel, AnEscapedFailureBecomesTheErrorBoxAndTheProgramGoesOn) {
  FakeShellUi ui;
  RunTopLevel(ui, [] { throw EFOpenError("Cannot open file /a/b.bmp"); });
  RunTopLevel(ui, [] { throw std::runtime_error("Range check error"); });
  RunTopLevel(ui, [] { throw 7; });
  RunTopLevel(ui, [] {});
  EXPECT_EQ(ui.errorBoxes,
            (std::vector<std::string>{"Cannot open file /a/b.bmp.", "Range check error.", "Unexpected failure."}));
}

}  // namespace
}  // namespace tintaro::test
