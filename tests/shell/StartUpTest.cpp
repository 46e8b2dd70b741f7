// Start-up and shut-down: the folders and the log flag, the engine check,
// the log's exact bytes, the intro played to its end or failing into the
// welcome state, and the files deleted when the window closes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "ShellFixture.h"
#include "shell/ShellMessages.h"

namespace tintaro::test {
namespace {

using namespace shellmsg;

TEST(ShellPaths, ProgramDirAndTheEdgesOfThePathRules) {
  EXPECT_EQ(ProgramDirOf("/usr/games/tintaro"), "/usr/games");
  EXPECT_EQ(ProgramDirOf("/tintaro"), "");
  EXPECT_EQ(ProgramDirOf("/opt/t//tintaro"), "/opt/t");
  EXPECT_EQ(ReplaceExtension("/w.d/pic", ".trs"), "/w.d/pic.trs");
  EXPECT_EQ(EntryFileNamePart("pics\\..\\x.bmp"), "x.bmp");
  EXPECT_EQ(LowerAsciiLetters("LoG\xC4"), "log\xC4");
}

TEST_F(ShellTest, WithoutTheEngineTheProgramSaysSoAndCloses) {
  WriteIntro();
  Start({}, false);
  EXPECT_EQ(ui.events, (std::vector<std::string>{std::string("message: ") + kEngineMissing, "close"}));
  // The set-up never ran: nothing was extracted.
  EXPECT_TRUE(WorkNames().empty());
}

TEST_F(ShellTest, ALogThatCannotBeMadeEndsTheProgram) {
  ::mkdir(program.File("TRO.log").c_str(), 0755);
  WriteIntro();
  Start({"log"});
  EXPECT_EQ(ui.core.messages, std::vector<std::string>{kCannotWrite + program.Path()});
  EXPECT_TRUE(ui.closed);
  EXPECT_FALSE(state.LogMode);
  EXPECT_TRUE(WorkNames().empty());
}

TEST_F(ShellTest, TheLogOfAnIntroAndOnePuzzleHoldsEveryEntryInOrder) {
  WriteIntro();
  Start({"log"});
  ui.core.Advance(1000);
  ZipWriter puzzle = GoodPuzzle("good");
  puzzle.AddFolder("pics/");
  const std::string path = Puzzle("good.tro", puzzle);
  Load(path);
  // Read while the log is still open: every entry is already in the file.
  const std::string p = program.Path();
  EXPECT_EQ(AsText(ReadFileBytes(program.File("TRO.log"))),
            "CurrentDir: " + p + "\r\nRabDir: " + p + "/TTMP" +
                "\r\nTRO3 TempDir: \r\n ZipFileName: " + p + "/TRO3.trz\r\n ExtrBaseDir: " + p +
                "/TTMP\r\n DLLDirectory: " + p +
                "\r\n Password: \r\n SFXCaption: Self-extracting Archive\r\n SFXCommandLine: "
                "\r\n SFXDefaultDir: \r\n SFXPath: SfxStub.bin\r\n ZipComment: intro"
                "\r\nOpen CurrentFile: " + path + "\r\n ErrCode: 0" +
                "\r\nMessage Filename: " + path + "\r\n ErrCode: 0  Folder entry skipped: pics\\");
}

TEST_F(ShellTest, TheIntroPlaysItselfThenWelcomesUntilAPuzzleIsLoaded) {
  WriteIntro();
  ::mkdir(program.File("Puzzles").c_str(), 0755);
  Start();
  EXPECT_EQ(state.HintsUsed, 1);
  EXPECT_TRUE(state.AutoSolve);
  ui.core.Advance(100);
  EXPECT_FALSE(state.IntroPending);
  EXPECT_TRUE(state.WelcomeMode);
  EXPECT_TRUE(ui.core.aboutShown);
  EXPECT_EQ(state.HintsUsed, 2);
  EXPECT_EQ(ui.core.TimerInterval(GameTimer::Timer2), 500);
  EXPECT_TRUE(ui.core.TimerEnabled(GameTimer::Timer2));
  EXPECT_TRUE(ui.core.messages.empty());
  EXPECT_EQ(WorkNames(), (std::vector<std::string>{"TRO3.bmp", "TRO3.trs"}));
  // The intro is never reloaded, so it holds no spare picture.
  const PaintSurface& surface = shell.Surface();
  EXPECT_LT(surface.HeldBytes(), 2u * surface.Width() * surface.Height() * sizeof(uint32_t));
  // Flashing recolours the targets, never the lines.
  ui.core.Advance(2000);
  EXPECT_EQ(shell.Surface().PixelAt(2, 2), 0u);
  EXPECT_TRUE(ui.errorBoxes.empty());

  shell.AboutOkButtonClick();
  EXPECT_EQ(ui.core.messages, std::vector<std::string>{kWelcome});
  Load(Puzzle("good.tro", GoodPuzzle("good")));
  EXPECT_EQ(EventsFrom("open dialog").front(),
            "open dialog: Load Puzzle | Tintaro Puzzle|*.tro|Picture|*.png;*.jpg;*.jpeg;*.webp;*.gif;*.bmp;*.svg|All Files|*.* | " + program.Path() + "/Puzzles/");
  EXPECT_FALSE(state.WelcomeMode);
  EXPECT_FALSE(ui.core.TimerEnabled(GameTimer::Timer2));
  EXPECT_EQ(WorkNames(), std::vector<std::string>{"good.bmp"});
  shell.AboutOkButtonClick();
  EXPECT_EQ(ui.core.messages.size(), 1u);
  // After an accepted Load the dialog picks its own folder.
  Load(std::nullopt);
  EXPECT_EQ(ui.events.back(), "open dialog: Load Puzzle | Tintaro Puzzle|*.tro|Picture|*.png;*.jpg;*.jpeg;*.webp;*.gif;*.bmp;*.svg|All Files|*.* | ");
}

TEST_F(ShellTest, CancellingTheDialogDuringTheIntroHidesThePictureAndStopsAfterTheCurrentHint) {
  WriteIntro();
  Start();
  Load(std::nullopt);
  EXPECT_EQ(EventsFrom("open dialog").front(),
            "open dialog: Load Puzzle | Tintaro Puzzle|*.tro|Picture|*.png;*.jpg;*.jpeg;*.webp;*.gif;*.bmp;*.svg|All Files|*.* | " + program.Path() + "/");
  ui.core.Advance(1000);
  EXPECT_EQ(state.HintsUsed, 1);
  EXPECT_EQ(shell.Surface().PixelAt(kTargetA[0], kTargetA[1]), 0x0000FFu);
  EXPECT_EQ(shell.Surface().PixelAt(kTargetB[0], kTargetB[1]), 0xFFFFFFu);
  EXPECT_FALSE(shell.Surface().IsShown());
  EXPECT_FALSE(state.IntroPending);
  EXPECT_FALSE(state.WelcomeMode);
}

TEST_F(ShellTest, AnIntroThatCannotBePlayedLeadsToTheWelcomeState) {
  const std::string bmp = TwoBoxBmp();
  struct Case {
    const char* name;
    std::function<void()> write;
  } cases[] = {
      {"missing", [] {}},
      {"not a zip", [&] { program.Write("TRO3.trz", ToBytes("no zip here")); }},
      {"no picture", [&] { ZipWriter().Add("other.bmp", bmp).WriteTo(program.File("TRO3.trz")); }},
      {"cut short", [&] { ZipWriter().Add("TRO3.bmp", bmp.substr(0, 30)).WriteTo(program.File("TRO3.trz")); }},
      {"not a picture", [&] { ZipWriter().Add("TRO3.bmp", "text").WriteTo(program.File("TRO3.trz")); }},
      {"a folder", [&] { ::mkdir(program.File("TRO3.trz").c_str(), 0755); }},
  };
  CopyEngine();
  for (const Case& c : cases) {
    std::filesystem::remove_all(program.File("TRO3.trz"));
    FakeShellUi fake;
    TintaroShell s(fake);
    c.write();
    s.FormCreate(Exe(), {});
    RunTopLevel(fake, [&] { s.FormActivate(); });
    EXPECT_TRUE(fake.core.messages.empty()) << c.name;
    EXPECT_TRUE(fake.errorBoxes.empty()) << c.name;
    EXPECT_TRUE(fake.core.aboutShown) << c.name;
    EXPECT_TRUE(s.State().WelcomeMode) << c.name;
    EXPECT_FALSE(s.State().IntroPending) << c.name;
    s.Archive().UnloadEngine();
  }
}

TEST_F(ShellTest, AnIntroWithoutItsSolutionStopsAndAnActivationInsideTheSetUpDoesNothing) {
  WriteIntro("short");
  int nested = 0;
  ui.core.whileModal = [&] {
    ++nested;
    shell.FormActivate();
  };
  Start();
  EXPECT_EQ(ui.core.messages, std::vector<std::string>{"Sorry, Hints are not available for this puzzle"});
  EXPECT_EQ(nested, 1);
  EXPECT_TRUE(state.IntroPending);
  EXPECT_FALSE(state.WelcomeMode);
  EXPECT_FALSE(ui.core.aboutShown);
  // A later activation runs the set-up again.
  ui.core.whileModal = nullptr;
  shell.FormActivate();
  EXPECT_EQ(ui.core.messages.size(), 2u);
}

TEST_F(ShellTest, ClosingDeletesExactlyTheThreeExtractedFiles) {
  Start();
  // Solution cut short and clue not a picture: all three stay after the Load.
  Load(Puzzle("k.tro", ZipWriter().Add("k.bmp", TwoBoxBmp()).Add("k.trs", "cut").Add("spik.bmp", "junk")));
  files.Write("outside", ToBytes("keep"));
  files.Write("target", ToBytes("keep"));
  program.Write("TTMP/other.txt", ToBytes("keep"));
  ASSERT_EQ(WorkNames(), (std::vector<std::string>{"k.bmp", "k.trs", "other.txt", "spik.bmp"}));
  shell.FormClose();
  EXPECT_EQ(WorkNames(), std::vector<std::string>{"other.txt"});

  // A link, a folder or a file outside the work folder is never deleted.
  ::symlink(files.File("target").c_str(), WorkFile("link.bmp").c_str());
  ::mkdir(WorkFile("dir.bmp").c_str(), 0755);
  state.PicturePath = WorkFile("link.bmp");
  state.SolutionPath = WorkFile("dir.bmp");
  state.CluePath = files.File("outside");
  shell.FormClose();
  EXPECT_EQ(WorkNames(), (std::vector<std::string>{"dir.bmp", "link.bmp", "other.txt"}));
  EXPECT_TRUE(FileExists(files.File("outside")));
  EXPECT_TRUE(FileExists(files.File("target")));
}

}  // namespace
}  // namespace tintaro::test
