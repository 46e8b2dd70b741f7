// Opening a file without the dialog: the FILE of the command line in place
// of the intro, and files dropped on the window, refused while a hint flash
// or an extraction runs.
#include "ShellFixture.h"
#include "shell/ShellMessages.h"

namespace tintaro::test {
namespace {

using namespace shellmsg;

TEST(ShellPaths, TheFileArgumentFollowsAnOptionalLog) {
  const struct {
    std::vector<std::string> args;
    std::string file;
  } cases[] = {
      {{}, ""},
      {{"log"}, ""},
      {{"LoG", "a.tro"}, "/home/p/a.tro"},
      {{"a.tro", "log"}, "/home/p/a.tro"},
      {{"a.tro", "b.tro"}, "/home/p/a.tro"},
      {{"/x/a.tro"}, "/x/a.tro"},
      {{"sub/a.tro"}, "/home/p/sub/a.tro"},
      {{"log", "-style"}, ""},
      {{"--"}, ""},
      {{"logs"}, "/home/p/logs"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileArgument(c.args, "/home/p"), c.file) << ::testing::PrintToString(c.args);
  }
  EXPECT_EQ(FileArgument({"a.tro"}, "/"), "/a.tro");
  EXPECT_TRUE(IsPictureFile("/p/Photo.JPEG"));
  EXPECT_TRUE(IsPictureFile("x.svg"));
  EXPECT_FALSE(IsPictureFile("x.tro"));
  EXPECT_FALSE(IsPictureFile("png"));
}

// One more program start beside the test's own.
// One more program start beside the test's own, from the window's start:
// the five command buttons off and greyed, the plain caption.
struct ProgramRun : ShellTest {
  ProgramRun() {
    DisableAndGrey(ui, kAllCommandButtons);
    ui.SetCaption(shellmsg::kCaption);
  }
  void TestBody() override {}
};

// What a start leaves once its intro has ended.
std::string AfterIntro(ShellTest& t) {
  t.ui.core.Advance(1000);
  const PuzzleState& s = t.state;
  std::string out;
  for (bool flag : {s.IntroPending, s.WelcomeMode, s.AutoSolve, s.Finished, s.WarnStrayOnce, s.AskBeforeHint,
                    s.DiskFull, s.ArchiveCorrupt, s.NotAnArchive, t.ui.core.aboutShown, t.ui.core.RepaintDown(),
                    t.shell.Surface().IsShown(), t.ui.core.TimerEnabled(GameTimer::Timer2)}) {
    out += flag ? '1' : '0';
  }
  for (CommandButton b : {CommandButton::Repaint, CommandButton::Clue, CommandButton::Hint}) {
    out += t.ui.core.ButtonEnabled(b) ? 'E' : 'e';
    out += t.ui.core.ButtonIndeterminate(b) ? 'I' : 'i';
  }
  out += " " + std::to_string(s.HintsUsed) + " " + std::to_string(s.LastMove) + " " + s.PicturePath + " " +
         t.ui.caption;
  for (const std::string& name : t.WorkNames()) out += " " + name;
  // Program folders differ only in their names.
  const std::string folder = t.program.Path();
  for (size_t at; (at = out.find(folder)) != std::string::npos;) out.replace(at, folder.size(), "PROGRAM");
  return out;
}

TEST(OpenGivenFile, AFileOnTheCommandLineOpensInPlaceOfTheIntroOrIsRefusedAndTheIntroPlays) {
  ProgramRun plain;
  plain.WriteIntro();
  plain.Start();
  const std::string plainStart = AfterIntro(plain);
  const struct {
    const char* name;
    std::function<std::string(ShellTest&)> file;
    std::vector<std::string> messages;  // empty when the puzzle opens
  } cases[] = {
      {"puzzle", [](ShellTest& t) { return t.Puzzle("good.tro", ShellTest::GoodPuzzle("good")); }, {}},
      {"missing", [](ShellTest& t) { return t.files.File("absent.tro"); }, {kCorrupted}},
      {"not a puzzle", [](ShellTest& t) { return t.files.Write("notes.txt", ToBytes("hello")); }, {kNotAPuzzle}},
      {"not a zip", [](ShellTest& t) { return t.files.Write("plain.tro", ToBytes(std::string(99, 'z'))); },
       {kNotAPuzzle}},
      {"picture", [](ShellTest& t) { return t.files.Write("photo.png", ToBytes("png")); },
       {kTromakeMissing}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRun t;
    t.WriteIntro();
    const std::string file = c.file(t);
    t.Start({"log", file});
    EXPECT_EQ(t.ui.core.messages, c.messages);
    EXPECT_TRUE(t.ui.errorBoxes.empty());
    if (c.messages.empty()) {
      EXPECT_EQ(t.ui.caption, kCaptionWithFile + std::string("good.tro"));
      EXPECT_TRUE(t.shell.Surface().IsShown());
      EXPECT_FALSE(t.state.IntroPending || t.state.WelcomeMode || t.ui.core.aboutShown);
      EXPECT_TRUE(t.ui.core.ButtonEnabled(CommandButton::Hint));
      EXPECT_TRUE(t.ui.core.RepaintDown());
      EXPECT_EQ(t.WorkNames(), std::vector<std::string>{"good.bmp"});
      const std::string log = AsText(ReadFileBytes(t.program.File("TRO.log")));
      EXPECT_NE(log.find("\r\nOpen CurrentFile: " + file + "\r\n ErrCode: 0"), std::string::npos) << log;
      EXPECT_EQ(log.find("TRO3"), std::string::npos) << log;
    } else {
      EXPECT_EQ(AfterIntro(t), plainStart);
    }
    t.shell.FormClose();
  }
}

TEST_F(ShellTest, ADropOpensTheFirstFileOrIsRefusedAsTheLoadButtonWouldBe) {
  WriteIntro();
  Start();
  const std::string first = Puzzle("first.tro", GoodPuzzle("first"));
  const std::string second = Puzzle("second.tro", GoodPuzzle("second"));
  const std::string photo = files.Write("photo.JPG", ToBytes("jpeg"));

  // The intro's hint chain is running: the drop does nothing at all.
  ASSERT_TRUE(ui.core.TimerEnabled(GameTimer::Timer1));
  const size_t eventsBefore = ui.events.size();
  shell.FilesDropped({first});
  EXPECT_EQ(ui.events.size(), eventsBefore);
  EXPECT_TRUE(state.IntroPending);
  ui.core.Advance(1000);
  ASSERT_TRUE(state.WelcomeMode);

  shell.FilesDropped({first, second, photo});
  EXPECT_EQ(ui.core.messages, std::vector<std::string>{OnlyFirstDropped(3, "first.tro")});
  EXPECT_EQ(ui.caption, kCaptionWithFile + std::string("first.tro"));
  EXPECT_FALSE(state.WelcomeMode);
  EXPECT_EQ(WorkNames(), std::vector<std::string>{"first.bmp"});

  // A picture with no tromake to make it a puzzle is refused before the load
  // reset: the puzzle and its red cell stay.
  shell.GameContext().state.AskBeforeHint = false;
  HintButtonClick(shell.GameContext());
  ui.core.Advance(100);
  ASSERT_EQ(shell.Surface().PixelAt(kTargetA[0], kTargetA[1]), kRed);
  ui.core.messages.clear();
  shell.FilesDropped({photo});
  EXPECT_EQ(ui.core.messages, std::vector<std::string>{kTromakeMissing});
  EXPECT_EQ(shell.Surface().PixelAt(kTargetA[0], kTargetA[1]), kRed);
  EXPECT_EQ(state.PicturePath, WorkFile("first.bmp"));
  EXPECT_EQ(state.HintsUsed, 1);

  // A drop while a hint flashes, or while an extraction lets events through,
  // is ignored; the flash lands on the puzzle it belongs to.
  ui.core.messages.clear();
  HintButtonClick(shell.GameContext());
  shell.FilesDropped({second});
  EXPECT_EQ(state.PicturePath, WorkFile("first.bmp"));
  ui.core.Advance(100);
  EXPECT_EQ(shell.Surface().PixelAt(kTargetB[0], kTargetB[1]), kRed);
  int nested = 0;
  ui.whilePending = [&] {
    if (nested++ == 0) shell.FilesDropped({first});
  };
  shell.FilesDropped({second});
  ui.whilePending = nullptr;
  EXPECT_GT(nested, 0);
  EXPECT_TRUE(ui.core.messages.empty());
  EXPECT_EQ(ui.caption, kCaptionWithFile + std::string("second.tro"));
  EXPECT_EQ(shell.Surface().PixelAt(kTargetA[0], kTargetA[1]), kWhite);
  EXPECT_EQ(WorkNames(), std::vector<std::string>{"second.bmp"});
}

}  // namespace
}  // namespace tintaro::test
