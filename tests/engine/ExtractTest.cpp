// What the archive component relies on from the engine: where entries land,
// the options, the specifications, the return value and the reports.
#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>

#include "EngineHarness.h"
#include "support/ZipWriter.h"

namespace tintaro::test {
namespace {

namespace fs = std::filesystem;

std::string Pattern(size_t n, int seed) {
  std::string s(n, '\0');
  uint32_t x = 2463534242u + static_cast<uint32_t>(seed);
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>('a' + x % 7);  // compressible, not trivially
  }
  return s;
}

TEST_F(EngineTest, WritesEveryEntryUnderItsFileNameAndReportsInOrder) {
  const std::string pic = Pattern(300000, 1), sol = Pattern(120, 2);
  ZipWriter()
      .Add("dir/pic.bmp", pic)
      .Add("sol.trs", sol, ZipWriter::Method::Store)
      .Add("win\\spipic.bmp", "clue")
      .WriteTo(ArchivePath());
  EXPECT_EQ(Exec(ArchivePath()), 3);
  EXPECT_EQ(Read("pic.bmp"), pic);
  EXPECT_EQ(Read("sol.trs"), sol);
  EXPECT_EQ(Read("spipic.bmp"), "clue");
  EXPECT_FALSE(fs::exists("dir"));
  EXPECT_FALSE(fs::exists("win"));

  ASSERT_GE(reports_.size(), 6u);
  EXPECT_EQ(reports_[0].action, UnzActionTotalEntries);
  EXPECT_EQ(reports_[0].size, 3);
  EXPECT_EQ(reports_[1].action, UnzActionTotalBytes);
  EXPECT_EQ(reports_[1].size, static_cast<int32_t>(pic.size() + sol.size() + 4));
  EXPECT_EQ(reports_.back().action, UnzActionEndOfRun);
  const auto entries = Actions(UnzActionNewEntry);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].text, "dir/pic.bmp");
  EXPECT_EQ(entries[0].size, static_cast<int32_t>(pic.size()));
  EXPECT_EQ(entries[2].text, "win\\spipic.bmp");
  int64_t bytes = 0;
  for (const Report& r : Actions(UnzActionBytes)) bytes += r.size;
  EXPECT_EQ(bytes, static_cast<int64_t>(pic.size() + sol.size() + 4));
  EXPECT_TRUE(MessagesWithCode(2).empty());
  // Nothing besides the three files, no temporary file left.
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out", "out/pic.bmp", "out/sol.trs", "out/spipic.bmp"}));
}

TEST_F(EngineTest, FolderNamesAreKeptOnlyWhenAsked) {
  ZipWriter().AddFolder("d/").Add("d/e/f.txt", "deep").Add("top.txt", "top").WriteTo(ArchivePath());
  EXPECT_EQ(Exec(ArchivePath(), {.dirNames = true}), 2);
  EXPECT_EQ(Read("d/e/f.txt"), "deep");
  EXPECT_EQ(Read("top.txt"), "top");
  fs::remove_all("d");
  EXPECT_EQ(Exec(ArchivePath(), {.overWrite = true}), 2);
  EXPECT_EQ(Read("f.txt"), "deep");
  EXPECT_FALSE(fs::exists("d"));
  // The folder entry is mentioned, not counted.
  ASSERT_EQ(MessagesWithCode(0).size(), 1u);
  EXPECT_NE(MessagesWithCode(0)[0].text.find("d/"), std::string::npos);
}

TEST_F(EngineTest, SpecificationsSelectByWildcardIgnoringCase) {
  ZipWriter().Add("P/Pic.BMP", "p").Add("pic.trs", "s").Add("spipic.bmp", "c").Add("x.txt", "x").WriteTo(ArchivePath());
  EXPECT_EQ(Exec(ArchivePath(), {.specs = {"p\\*.bmp", "?ic.TRS", "nothing*"}}), 2);
  EXPECT_TRUE(fs::exists("Pic.BMP"));
  EXPECT_TRUE(fs::exists("pic.trs"));
  EXPECT_FALSE(fs::exists("spipic.bmp"));
  EXPECT_FALSE(fs::exists("x.txt"));
  EXPECT_EQ(Actions(UnzActionTotalEntries).at(0).size, 2);
  ASSERT_EQ(MessagesWithCode(UnzCodeNoMatch).size(), 1u);
  EXPECT_NE(MessagesWithCode(UnzCodeNoMatch)[0].text.find("nothing*"), std::string::npos);
  // The long form carries the specifications in its slots.
  fs::remove("pic.trs");
  EXPECT_EQ(Exec(ArchivePath(), {.longForm = true, .specs = {"*.txt"}}), 1);
  EXPECT_TRUE(fs::exists("x.txt"));
  EXPECT_FALSE(fs::exists("pic.trs"));
}

TEST_F(EngineTest, ExistingFilesFollowOverwriteUpdateAndFreshen) {
  ZipWriter().Add("old.txt", "new old").Time(1'600'000'000).Add("fresh.txt", "new fresh").Time(1'600'000'000)
      .WriteTo(ArchivePath());
  std::ofstream("old.txt") << "kept";
  EXPECT_EQ(Exec(ArchivePath()), 1);
  EXPECT_EQ(Read("old.txt"), "kept");
  EXPECT_EQ(Read("fresh.txt"), "new fresh");
  EXPECT_EQ(MessagesWithCode(0).size(), 1u);  // the kept file is mentioned, not a failure

  EXPECT_EQ(Exec(ArchivePath(), {.overWrite = true}), 2);
  EXPECT_EQ(Read("old.txt"), "new old");
  EXPECT_EQ(fs::last_write_time("old.txt"), fs::last_write_time("fresh.txt"));

  // Update and freshen replace only files older than the entry.
  std::ofstream("old.txt") << "newer on disk";
  std::ofstream("fresh.txt") << "older on disk";
  const timespec times[2] = {{0, UTIME_OMIT}, {1'500'000'000, 0}};
  utimensat(AT_FDCWD, "fresh.txt", times, 0);
  EXPECT_EQ(Exec(ArchivePath(), {.update = true}), 1);
  EXPECT_EQ(Read("old.txt"), "newer on disk");
  EXPECT_EQ(Read("fresh.txt"), "new fresh");
  fs::remove("fresh.txt");
  EXPECT_EQ(Exec(ArchivePath(), {.freshen = true}), 0);
  EXPECT_FALSE(fs::exists("fresh.txt"));
  EXPECT_EQ(Exec(ArchivePath(), {.update = true}), 1);
  EXPECT_TRUE(fs::exists("fresh.txt"));
}

TEST_F(EngineTest, TestModeChecksEveryEntryAndWritesNothing) {
  std::vector<uint8_t> bytes =
      ZipWriter().Add("good.txt", "fine data").Add("bad.txt", "MARKERdata", ZipWriter::Method::Store).Bytes();
  WriteFileBytes(ArchivePath(), bytes);
  EXPECT_EQ(Exec(ArchivePath(), {.test = true}), 2);
  ASSERT_EQ(PatchAll(bytes, "MARKERdata", "MARKERdatX"), 1);
  WriteFileBytes(ArchivePath(), bytes);
  EXPECT_EQ(Exec(ArchivePath(), {.test = true, .verbose = true}), 1);
  EXPECT_EQ(MessagesWithCode(UnzCodeDamaged).size(), 1u);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out"}));
}

TEST_F(EngineTest, BadCrcLeavesTheOldFileAndNoTemporaryFile) {
  std::vector<uint8_t> bytes = ZipWriter().Add("pic.bmp", "MARKER" + Pattern(5000, 3), ZipWriter::Method::Store).Bytes();
  ASSERT_EQ(PatchAll(bytes, "MARKER", "MARKEX"), 1);
  WriteFileBytes(ArchivePath(), bytes);
  std::ofstream("pic.bmp") << "previous picture";
  EXPECT_EQ(Exec(ArchivePath(), {.overWrite = true}), 0);
  EXPECT_EQ(Read("pic.bmp"), "previous picture");
  ASSERT_EQ(MessagesWithCode(UnzCodeDamaged).size(), 1u);
  EXPECT_NE(MessagesWithCode(UnzCodeDamaged)[0].text.find("CRC"), std::string::npos);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out", "out/pic.bmp"}));
}

TEST_F(EngineTest, PasswordsOpenTraditionalAndAesEntries) {
  ZipWriter()
      .AddEncrypted("trad.txt", "traditional", ZIP_EM_TRAD_PKWARE, "secret")
      .AddEncrypted("aes.txt", "advanced", ZIP_EM_AES_256, "secret")
      .WriteTo(ArchivePath());
  EXPECT_EQ(Exec(ArchivePath()), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeBadPassword).size(), 2u);
  EXPECT_EQ(Exec(ArchivePath(), {.password = "wrong!"}), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeBadPassword).size(), 2u);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out"}));
  EXPECT_EQ(Exec(ArchivePath(), {.password = "secret"}), 2);
  EXPECT_EQ(Read("trad.txt"), "traditional");
  EXPECT_EQ(Read("aes.txt"), "advanced");
}

TEST_F(EngineTest, ExtractedFilesGetPlainPermissions) {
  ZipWriter().Add("run.sh", "#!/bin/sh\n").Mode(0104755).Add("plain", "x").Mode(0100600).WriteTo(ArchivePath());
  const mode_t old = umask(0);
  EXPECT_EQ(Exec(ArchivePath()), 2);
  umask(old);
  EXPECT_EQ(fs::status("run.sh").permissions(), fs::perms(0644));
  EXPECT_EQ(fs::status("plain").permissions(), fs::perms(0644));
}

TEST_F(EngineTest, CallbackStopEndsTheRunWithoutHalfFiles) {
  ZipWriter().Add("first.txt", "one").Add("big.bin", Pattern(2'000'000, 4)).Add("last.txt", "three")
      .WriteTo(ArchivePath());
  answer_ = [](const Report& r) { return r.action == UnzActionBytes && r.size > 3 ? -1 : 0; };
  EXPECT_EQ(Exec(ArchivePath()), 1);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out", "out/first.txt"}));
  EXPECT_EQ(reports_.back().action, UnzActionEndOfRun);
  EXPECT_TRUE(Actions(UnzActionNewEntry).size() == 2u);
}

TEST_F(EngineTest, CallerExceptionComesBackAfterCleanUp) {
  ZipWriter().Add("big.bin", Pattern(1'000'000, 5)).WriteTo(ArchivePath());
  answer_ = [](const Report& r) -> int32_t {
    if (r.action == UnzActionBytes) throw std::runtime_error("host handler failed");
    return 0;
  };
  EXPECT_THROW(Exec(ArchivePath()), std::runtime_error);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out"}));
}

TEST_F(EngineTest, BrokenRequestsAndMissingArchivesGiveMessages) {
  EXPECT_EQ(UnzEngExec(nullptr), 0);
  EXPECT_GE(GetUnzEngVersion(), UNZ_SHORT_FORM_VERSION);
  EXPECT_EQ(Exec(""), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeBadRequest).size(), 1u);
  EXPECT_EQ(Exec(ArchivePath("missing.zip")), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeOpenFailed).size(), 1u);
  for (const std::string& content : {std::string(), std::string("just some text\r\n"), std::string(10, 'x')}) {
    std::ofstream(ArchivePath(), std::ios::binary | std::ios::trunc) << content;
    EXPECT_EQ(Exec(ArchivePath()), 0);
    EXPECT_EQ(MessagesWithCode(UnzCodeNotAnArchive).size(), 1u) << content.size();
    EXPECT_EQ(reports_.back().action, UnzActionEndOfRun);
  }
}

}  // namespace
}  // namespace tintaro::test
