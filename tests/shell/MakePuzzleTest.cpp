// A picture made into a puzzle by tromake: where tromake is found, how its
// refusal reads, and the shell's making with a scripted process, which must
// leave the puzzle in play alone until the made one is there and leave
// nothing of a failed making behind.
#include <sys/stat.h>

#include <fstream>

#include "ShellFixture.h"
#include "shell/ShellMessages.h"

namespace tintaro::test {
namespace {

using namespace shellmsg;
namespace fs = std::filesystem;

constexpr uint32_t kRed = 0x0000FF;

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteExecutable(const std::string& path, mode_t mode = 0755) {
  fs::create_directories(FolderPart(path));
  WriteAll(path, ToBytes("#!/bin/false\n"));
  ::chmod(path.c_str(), mode);
}

TEST(PictureMaking, TromakeIsFoundBesideTheGameInstalledOrInTheBuildTree) {
  const struct {
    const char* name;
    std::string programDir;  // below the root
    std::string tromake;     // below the root; "" for none
    mode_t mode;
    bool found;
  } cases[] = {
      {"beside", "/opt/tintaro", "/opt/tintaro/tromake", 0755, true},
      {"installed", "/usr/lib/games/tintaro", "/usr/games/tromake", 0755, true},
      {"build tree", "/build/Tintaro", "/build/tools/tromake", 0755, true},
      {"not executable", "/opt/tintaro", "/opt/tintaro/tromake", 0644, false},
      {"a folder", "/opt/tintaro", "", 0755, false},
      {"elsewhere", "/opt/tintaro", "/opt/bin/tromake", 0755, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder root;
    fs::create_directories(root.Path() + c.programDir);
    if (c.tromake.empty()) {
      fs::create_directories(root.Path() + c.programDir + "/tromake");
    } else {
      WriteExecutable(root.Path() + c.tromake, c.mode);
    }
    const std::string found = FindTromake(root.Path() + c.programDir);
    // Root may run anything that has some execute bit; 0644 has none.
    if (c.found) {
      EXPECT_EQ(fs::canonical(found), fs::canonical(root.Path() + c.tromake));
    } else {
      EXPECT_EQ(found, "");
    }
  }
}

TEST(PictureMaking, TheRefusalReadsWithoutTheToolsNameAndPaths) {
  const std::string pic = "/home/p/My: photo.png", out = "/w/made-1/My__photo.tro";
  const struct {
    std::string errorOutput;
    std::string reason;
  } cases[] = {
      {"tromake: /home/p/My: photo.png: the picture is nearly all one colour\n", "the picture is nearly all one colour"},
      {"tromake: /w/made-1/My__photo.tro: cannot write\n", "cannot write"},
      {"tromake: some other: thing\n", "some other: thing"},
      {"progress\ntromake: /home/p/My: photo.png: too small\n\n", "too small"},
      {"tromake: bad\r\n", "bad"},
      {"", ""},
      {"tromake: a\x1b[31mred\x07\n", "a[31mred"},
      {"tromake: " + std::string(500, 'x'), std::string(300, 'x') + "..."},
  };
  for (const auto& c : cases) EXPECT_EQ(RefusalReason(c.errorOutput, pic, out), c.reason) << c.errorOutput;
}

TEST(PictureMaking, TheMadePuzzleIsNamedAfterThePictureAsTromakeAllows) {
  const struct {
    const char* picture;
    const char* name;
  } cases[] = {
      {"/p/cat.png", "cat.tro"},         {"/p/My Cat (2).JPEG", "My_Cat__2_.tro"}, {"/p/.png", "my_.tro"},
      {"/p/spider.png", "my_spider.tro"}, {"/p/Spi.gif", "my_Spi.tro"},           {"/p/é.svg", "__.tro"},
  };
  for (const auto& c : cases) EXPECT_EQ(MadePuzzleName(c.picture), c.name) << c.picture;
  EXPECT_EQ(MadePuzzleName("/p/" + std::string(99, 'a') + ".png"), std::string(40, 'a') + ".tro");
}

// tromake as the runner is told to behave; every call is recorded.
class FakeRunner : public ToolRunner {
 public:
  ToolRun Run(const std::string& program, const std::vector<std::string>& arguments, int timeLimitMs,
              const std::string& what) override {
    calls.push_back(arguments);
    this->program = program;
    limit = timeLimitMs;
    this->what = what;
    return behave(arguments.at(3));
  }
  std::function<ToolRun(const std::string& output)> behave;
  std::vector<std::vector<std::string>> calls;
  std::string program, what;
  int limit = 0;
};

struct MakeTest : ShellTest {
  MakeTest() {
    WriteIntro();
    WriteExecutable(program.File("tromake"));
    shell.SetToolRunner(&runner);
    Start();
    ui.core.Advance(1000);
    photo = files.Write("photo.png", ToBytes("png"));
    // A puzzle in play with a red cell from a hint.
    Load(Puzzle("first.tro", GoodPuzzle("first")));
    shell.GameContext().state.AskBeforeHint = false;
    HintButtonClick(shell.GameContext());
    ui.core.Advance(100);
    ui.core.messages.clear();
  }
  // Writes `bytes` at the output and a leftover temporary file beside it,
  // as tromake does while it runs, then ends as told.
  static std::function<ToolRun(const std::string&)> Writes(const Bytes& bytes, ToolRun::End end, int code,
                                                          const std::string& err = "") {
    return [=](const std::string& output) {
      WriteAll(output, bytes);
      WriteAll(FolderPart(output) + ".tromake-tmp-Xy12", ToBytes("partial"));
      return ToolRun{end, code, err};
    };
  }
  void ExpectFirstPuzzleKept() {
    EXPECT_EQ(shell.Surface().PixelAt(kTargetA[0], kTargetA[1]), kRed);
    EXPECT_EQ(state.PicturePath, WorkFile("first.bmp"));
    EXPECT_EQ(state.HintsUsed, 1);
    EXPECT_EQ(ui.caption, kCaptionWithFile + std::string("first.tro"));
    EXPECT_EQ(WorkNames(), std::vector<std::string>{"first.bmp"});
    EXPECT_EQ(shell.MadeFolder(), "");
  }

  FakeRunner runner;
  std::string photo;
};

TEST_F(MakeTest, AFailedMakingLeavesThePuzzleInPlayAndNothingInTheWorkFolder) {
  const Bytes half = ToBytes("PK half");
  const struct {
    const char* name;
    std::function<ToolRun(const std::string&)> behave;
    std::vector<std::string> messages;
  } cases[] = {
      {"refused",
       Writes({}, ToolRun::End::Exited, 1, "tromake: " + files.File("photo.png") + ": no subject to find\n"),
       {MakingRefused("photo.png", "no subject to find")}},
      {"cancelled", Writes(half, ToolRun::End::Cancelled, -1), {}},
      {"timed out", Writes(half, ToolRun::End::TimedOut, -1), {MakingTooLong("photo.png", 30)}},
      {"crashed after writing", Writes(half, ToolRun::End::Exited, -1), {MakingRefused("photo.png", kMakingFailed)}},
      {"not started", [](const std::string&) { return ToolRun{}; }, {MakingRefused("photo.png", kMakingNotStarted)}},
      // Success claimed with no archive written is no success.
      {"no output", [](const std::string&) { return ToolRun{ToolRun::End::Exited, 0, ""}; },
       {MakingRefused("photo.png", kMakingFailed)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    runner.behave = c.behave;
    ui.core.messages.clear();
    // Both ways in: the open dialog's picture, and a drop.
    ui.openAnswers.push_back(photo);
    RunTopLevel(ui, [this] { shell.LoadButtonClick(); });
    EXPECT_EQ(ui.core.messages, c.messages);
    ExpectFirstPuzzleKept();
    ui.core.messages.clear();
    shell.FilesDropped({photo});
    EXPECT_EQ(ui.core.messages, c.messages);
    ExpectFirstPuzzleKept();
  }
  EXPECT_EQ(runner.calls.size(), 12u);
  EXPECT_EQ(runner.limit, TintaroShell::kMakeTimeLimitMs);
  EXPECT_TRUE(ui.errorBoxes.empty());
}

TEST_F(MakeTest, NoTromakeOrACancelledDifficultyRunsNothing) {
  runner.behave = Writes({}, ToolRun::End::Exited, 1);
  ui.difficultyAnswers.push_back(std::nullopt);
  shell.FilesDropped({photo});
  EXPECT_TRUE(ui.core.messages.empty());
  ExpectFirstPuzzleKept();

  fs::remove(program.File("tromake"));
  const size_t asked = std::count_if(ui.events.begin(), ui.events.end(),
                                     [](const std::string& e) { return e.rfind("difficulty:", 0) == 0; });
  shell.FilesDropped({photo});
  EXPECT_EQ(ui.core.messages, std::vector<std::string>{kTromakeMissing});
  EXPECT_EQ(std::count_if(ui.events.begin(), ui.events.end(),
                          [](const std::string& e) { return e.rfind("difficulty:", 0) == 0; }),
            static_cast<long>(asked));
  ExpectFirstPuzzleKept();
  EXPECT_TRUE(runner.calls.empty());
}

TEST_F(MakeTest, AMadePuzzleLoadsCanBeSavedAndGoesAtTheNextLoadAndAtTheEnd) {
  Bytes made;
  ASSERT_TRUE(GoodPuzzle("photo").WriteTo(files.File("made.tro")));
  made = ReadFileBytes(files.File("made.tro"));
  runner.behave = [&](const std::string& output) {
    WriteAll(output, made);
    return ToolRun{ToolRun::End::Exited, 0, "photo.tro: 24 x 16, 2 targets\n"};
  };
  ui.difficultyAnswers.push_back("hard");
  const std::string kept = files.File("kept.tro");
  ui.saveAnswers.push_back(kept);
  ui.openAnswers.push_back(photo);
  RunTopLevel(ui, [this] { shell.LoadButtonClick(); });

  ASSERT_EQ(runner.calls.size(), 1u);
  const std::string folder = shell.MadeFolder();
  ASSERT_EQ(FolderPart(folder), Work() + "/");
  EXPECT_EQ(runner.program, program.File("tromake"));
  EXPECT_EQ(runner.calls[0], (std::vector<std::string>{"picture", photo, "-o", folder + "/photo.tro",
                                                       "--difficulty", "hard"}));
  EXPECT_EQ(runner.what, kMakingPuzzle + std::string("photo.png"));
  EXPECT_TRUE(ui.core.messages.empty());
  EXPECT_EQ(ui.caption, kCaptionWithFile + std::string("photo.tro"));
  EXPECT_EQ(shell.Surface().PixelAt(kTargetA[0], kTargetA[1]), 0xFFFFFFu);
  EXPECT_EQ(state.HintsUsed, 0);
  EXPECT_EQ(WorkNames(), (std::vector<std::string>{FileNamePart(folder), "photo.bmp"}));
  EXPECT_EQ(ReadFileBytes(kept), made);
  EXPECT_NE(std::find(ui.events.begin(), ui.events.end(),
                      "save dialog: " + std::string(kSaveTitle) + " | " + kSaveFilter + " |  | photo.tro"),
            ui.events.end());

  // A second making replaces the first's folder; not keeping it asks no path.
  ui.core.answers.push_back(false);
  shell.FilesDropped({photo});
  const std::string second = shell.MadeFolder();
  EXPECT_NE(second, folder);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(WorkNames(), (std::vector<std::string>{FileNamePart(second), "photo.bmp"}));

  // The next puzzle's Load takes the made archive away; so does the end.
  Load(Puzzle("next.tro", GoodPuzzle("next")));
  EXPECT_FALSE(fs::exists(second));
  EXPECT_EQ(shell.MadeFolder(), "");
  EXPECT_EQ(WorkNames(), std::vector<std::string>{"next.bmp"});
  shell.FilesDropped({photo});
  ASSERT_TRUE(fs::exists(shell.MadeFolder()));
  const std::string third = shell.MadeFolder();
  // A file the program did not make, in the work folder, stays.
  const std::string foreign = WorkFile("made-foreign");
  WriteAll(foreign, ToBytes("mine"));
  shell.FormClose();
  EXPECT_FALSE(fs::exists(third));
  EXPECT_TRUE(fs::exists(foreign));
}

}  // namespace
}  // namespace tintaro::test
