// What another user or a puzzle may have planted: the work folder's choice,
// links, FIFOs and devices under the log's name, an archive that tries to
// replace the engine or the running log.
#include <sys/stat.h>
#include <unistd.h>

#include "ShellFixture.h"
#include "shell/ShellMessages.h"

namespace tintaro::test {
namespace {

using namespace shellmsg;

constexpr uid_t kOtherUser = 54321;

struct FolderCase {
  const char* name;
  // What lies in the program folder P, the cache folder C (XDG_CACHE_HOME)
  // and the runtime folder R before the start.
  std::function<void(const TempFolder& p, const TempFolder& c)> plant;
  bool programWritable;
  bool xdg;
  // Work folder: "P/TTMP", "C/tintaro/TTMP", "H/.cache/tintaro/TTMP" (HOME
  // is the cache folder too) or "R" for a fresh folder in the runtime folder.
  const char* workDir;
  bool needsRoot = false;
};

void Chown(const std::string& path) { ASSERT_EQ(::lchown(path.c_str(), kOtherUser, kOtherUser), 0); }

TEST(WorkFolder, OnlyAPrivateFolderIsUsedAndNeverTheProgramFolder) {
  const FolderCase cases[] = {
      {"made", [](auto&, auto&) {}, true, true, "P/TTMP"},
      {"existing", [](auto& p, auto&) { ::mkdir(p.File("TTMP").c_str(), 0700); }, true, true, "P/TTMP"},
      {"plain file", [](auto& p, auto&) { p.Write("TTMP", ToBytes("x")); }, true, true, "C/tintaro/TTMP"},
      {"dangling link", [](auto& p, auto&) { ::symlink("/nowhere", p.File("TTMP").c_str()); }, true, true,
       "C/tintaro/TTMP"},
      {"link to a folder", [](auto& p, auto& c) { ::symlink(c.Path().c_str(), p.File("TTMP").c_str()); }, true,
       true, "C/tintaro/TTMP"},
      {"writable by others", [](auto& p, auto&) {
         ::mkdir(p.File("TTMP").c_str(), 0700);
         ::chmod(p.File("TTMP").c_str(), 0777);
       }, true, true, "C/tintaro/TTMP"},
      {"writable by its group", [](auto& p, auto&) {
         ::mkdir(p.File("TTMP").c_str(), 0700);
         ::chmod(p.File("TTMP").c_str(), 0770);
       }, true, true, "C/tintaro/TTMP"},
      {"another user's", [](auto& p, auto&) {
         ::mkdir(p.File("TTMP").c_str(), 0700);
         Chown(p.File("TTMP"));
       }, true, true, "C/tintaro/TTMP", true},
      {"read-only program folder", [](auto&, auto&) {}, false, true, "C/tintaro/TTMP"},
      {"read-only, HOME", [](auto&, auto&) {}, false, false, "H/.cache/tintaro/TTMP"},
      {"cache folder is a link", [](auto&, auto& c) {
         ::mkdir(c.File("mine").c_str(), 0700);
         ::symlink(c.File("mine").c_str(), c.File("tintaro").c_str());
       }, false, true, "R"},
      {"cache folder writable by others", [](auto&, auto& c) {
         ::mkdir(c.File("tintaro").c_str(), 0700);
         ::chmod(c.File("tintaro").c_str(), 0777);
       }, false, true, "R"},
      {"cache folder another user's", [](auto&, auto& c) {
         ::mkdir(c.File("tintaro").c_str(), 0700);
         Chown(c.File("tintaro"));
       }, false, true, "R", true},
      {"its TTMP a link", [](auto&, auto& c) {
         ::mkdir(c.File("tintaro").c_str(), 0700);
         ::symlink(c.Path().c_str(), c.File("tintaro/TTMP").c_str());
       }, false, true, "R"},
  };
  for (const FolderCase& c : cases) {
    if (c.needsRoot && ::geteuid() != 0) continue;
    TempFolder p, cache, runtime;
    ::chmod(runtime.Path().c_str(), 0700);
    EnvVar xdg("XDG_CACHE_HOME", c.xdg ? cache.Path().c_str() : nullptr);
    EnvVar home("HOME", cache.Path().c_str());
    EnvVar run("XDG_RUNTIME_DIR", runtime.Path().c_str());
    c.plant(p, cache);
    FakeShellUi fake;
    TintaroShell s(fake);
    // Root passes every permission check, so the test says which folder is closed.
    s.FolderWritable = [&](const std::string& f) { return c.programWritable || f != p.Path(); };
    s.FormCreate(p.File("tintaro"), {"log"});

    const std::string work = s.State().WorkDir;
    std::string expected = c.workDir;
    if (expected == "R") {
      // tintaro-XXXXXX/TTMP in the runtime folder.
      expected = work;
      EXPECT_EQ(work.rfind(runtime.Path() + "/tintaro-", 0), 0u) << c.name << ": " << work;
    } else {
      expected = (expected[0] == 'P' ? p.Path() : cache.Path()) + expected.substr(1);
    }
    EXPECT_EQ(work, expected) << c.name;
    EXPECT_TRUE(IsPrivateFolder(work)) << c.name;
    EXPECT_TRUE(IsPrivateFolder(FolderPart(work))) << c.name;
    // The log is never where the archive's entries land.
    EXPECT_EQ(s.LogDir() + "/TTMP", work) << c.name;
    EXPECT_NE(work, p.Path()) << c.name;

    s.FormClose();
    // A folder made for this run goes with it; any other stays.
    EXPECT_EQ(std::filesystem::exists(work), c.workDir[0] != 'R') << c.name;
  }
}

TEST_F(ShellTest, AnArchiveCannotReplaceTheEngineWhenTTMPIsUnusable) {
  TempFolder cache;
  EnvVar xdg("XDG_CACHE_HOME", cache.Path().c_str());
  program.Write("TTMP", ToBytes("a plain file"));
  Start();
  const Bytes engine = ReadFileBytes(program.File("libunzeng.so"));
  Load(Puzzle("evil.tro", GoodPuzzle("evil").Add("pics/libunzeng.so", "attack").Add("tintaro", "attack")));
  EXPECT_EQ(ReadFileBytes(program.File("libunzeng.so")), engine);
  EXPECT_FALSE(FileExists(program.File("tintaro")));
  EXPECT_EQ(state.WorkDir, cache.Path() + "/tintaro/TTMP");
  EXPECT_FALSE(state.Finished);
}

TEST_F(ShellTest, AnythingButAPlainFileUnderTheLogsNameIsRefusedUntouched) {
  TempFolder elsewhere;
  const std::string victim = elsewhere.Write("victim", ToBytes("precious"));
  const std::string log = program.File("TRO.log");
  struct Case {
    const char* name;
    std::function<void()> plant;
  } cases[] = {
      {"link to a file", [&] { ::symlink(victim.c_str(), log.c_str()); }},
      {"dangling link", [&] { ::symlink(elsewhere.File("new").c_str(), log.c_str()); }},
      {"link to /dev/full", [&] { ::symlink("/dev/full", log.c_str()); }},
      {"FIFO", [&] { ::mkfifo(log.c_str(), 0600); }},
      {"hard link", [&] { ::link(victim.c_str(), log.c_str()); }},
  };
  CopyEngine();
  for (const Case& c : cases) {
    std::filesystem::remove(log);
    c.plant();
    FakeShellUi fake;
    TintaroShell s(fake);
    s.FormCreate(Exe(), {"log"});
    // A FIFO without a reader would block here for ever.
    RunTopLevel(fake, [&] { s.FormActivate(); });
    EXPECT_EQ(fake.core.messages, std::vector<std::string>{kCannotWrite + program.Path()}) << c.name;
    EXPECT_TRUE(fake.closed) << c.name;
    EXPECT_TRUE(fake.errorBoxes.empty()) << c.name;
    EXPECT_EQ(AsText(ReadFileBytes(victim)), "precious") << c.name;
    EXPECT_FALSE(FileExists(elsewhere.File("new"))) << c.name;
    s.Archive().UnloadEngine();
  }
}

TEST_F(ShellTest, AnEntryNamedLikeTheLogLeavesTheRunningLogAlone) {
  TempFolder cache;
  EnvVar xdg("XDG_CACHE_HOME", cache.Path().c_str());
  // The installed layout: the program folder is closed, the log goes to
  // the per-user folder.
  shell.FolderWritable = [&](const std::string& f) { return f != program.Path(); };
  Start({"log"});
  const std::string path = Puzzle("log.tro", GoodPuzzle("log").Add("TRO.log", "forged"));
  Load(path);
  const std::string log = AsText(ReadFileBytes(shell.LogDir() + "/TRO.log"));
  EXPECT_EQ(log.rfind("CurrentDir: " + program.Path() + "\r\nRabDir: " + state.WorkDir, 0), 0u) << log;
  EXPECT_NE(log.find("\r\nOpen CurrentFile: " + path), std::string::npos) << log;
}

}  // namespace
}  // namespace tintaro::test
