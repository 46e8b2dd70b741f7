// Multi-volume sets: joining base + NNN + extension volumes into one
// temporary archive, its failures, and extraction from a set.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>

#include "ArchiveTestKit.h"
#include "fake_engine/FakeEngine.h"

namespace tintaro::test {
namespace {

// Entries whose data straddles the volume boundaries.
ZipBytes SetEntries() {
  ZipBytes z;
  for (int i = 0; i < 5; ++i) {
    std::string data;
    for (int k = 0; k < 700 + 97 * i; ++k) data += static_cast<char>('A' + (k * 7 + i) % 26);
    z.Add("folder/part" + std::to_string(i) + ".bmp", data);
  }
  z.Comment("set comment");
  return z;
}

// Writes the volumes as base + NNN + ".zip" and returns the last one's path.
std::string WriteSet(const TempFolder& dir, const std::vector<Bytes>& volumes, const std::string& base = "set") {
  std::string last;
  for (size_t i = 0; i < volumes.size(); ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%03zu.zip", base.c_str(), i + 1);
    last = dir.Write(name, volumes[i]);
  }
  return last;
}

Bytes ReadEntry(zip_t* za, const std::string& name) {
  zip_file_t* f = zip_fopen(za, name.c_str(), 0);
  if (f == nullptr) return {};
  Bytes out;
  uint8_t buf[4096];
  zip_int64_t got;
  while ((got = zip_fread(f, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + got);
  zip_fclose(f);
  return out;
}

TEST(ReadSpan, JoinsThreeVolumesIntoOneArchiveThatListsAndOpensWithItsData) {
  TempFolder dir;
  TempFolder temp;
  const ZipBytes z = SetEntries();
  const std::vector<Bytes> volumes = z.BuildSpanned(2000);
  ASSERT_EQ(volumes.size(), 3u);
  const std::string last = WriteSet(dir, volumes);
  struct timespec times[2] = {{0, UTIME_OMIT}, {1'500'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, last.c_str(), times, 0), 0);

  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetZipFilename(last);
  EXPECT_EQ(r.zip.LastDiskNr(), 2);
  r.log.clear();
  std::string joined = temp.Path();
  ASSERT_EQ(r.zip.ReadSpan(last, joined), 0) << r.zip.Message;
  EXPECT_FALSE(r.zip.Busy());
  EXPECT_EQ(std::filesystem::path(joined).parent_path(), temp.Path());
  EXPECT_EQ(std::filesystem::path(joined).filename().string().rfind("zip", 0), 0u);
  EXPECT_EQ(std::filesystem::path(joined).extension(), ".zip");
  EXPECT_EQ(temp.Names().size(), 1u);
  struct stat st;
  ASSERT_EQ(::stat(joined.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1'500'000'000);

  // Events: totals first, one entry at a time, the end last.
  ASSERT_GE(r.log.size(), 4u);
  EXPECT_EQ(r.log[0], "progress:3::5");
  EXPECT_EQ(r.log[2], "message:0:Copying: folder\\part0.bmp");
  EXPECT_EQ(r.log.back(), "progress:2::0");
  EXPECT_EQ(r.Count("progress:0:folder\\part"), 5);
  EXPECT_EQ(r.Count("message:0:Copying: "), 5);

  // The joined file is a plain archive: no warnings, entries where it says.
  RecordedArchive check;
  check.zip.Unattended = true;
  check.zip.ErrCode = 0;
  check.zip.SetZipFilename(joined);
  EXPECT_EQ(check.zip.ErrCode, 0) << check.zip.Message;
  EXPECT_EQ(check.zip.LastDiskNr(), 0);
  EXPECT_EQ(check.zip.ZipComment(), "set comment");
  ASSERT_EQ(check.zip.DirEntries().size(), 5u);
  const Bytes out = ReadFileBytes(joined);
  int64_t bytesReported = 0;
  for (const std::string& line : r.Lines("progress:1::")) bytesReported += std::stoll(line.substr(12));
  EXPECT_EQ(bytesReported, static_cast<int64_t>(GetU32(out, out.size() - 22 - 11 + 16)));
  for (const ZipDirEntry& e : check.zip.DirEntries()) {
    EXPECT_EQ(GetU32(out, e.LocalHeaderOffset), 0x04034b50u);
    EXPECT_EQ(e.StartDisk, 0);
  }
  int error = 0;
  zip_t* za = zip_open(joined.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  ASSERT_NE(za, nullptr) << error;
  for (const ZipEntrySpec& e : z.Entries()) EXPECT_EQ(ReadEntry(za, e.name), e.data) << e.name;
  zip_discard(za);
}

TEST(ReadSpan, FailuresAreNumberedAndLeaveNoJoinedFileBehind) {
  TempFolder dir;
  TempFolder temp;
  const std::vector<Bytes> volumes = SetEntries().BuildSpanned(2000);
  ASSERT_EQ(volumes.size(), 3u);
  auto join = [&](const std::string& archive, const std::string& folder, int expectedCode) {
    RecordedArchive r;
    r.zip.Unattended = true;
    std::string path = folder;
    EXPECT_EQ(r.zip.ReadSpan(archive, path), -7);
    EXPECT_EQ(r.zip.ErrCode, expectedCode) << r.zip.Message;
    EXPECT_EQ(path, "");
    EXPECT_FALSE(r.zip.Busy());
    EXPECT_TRUE(temp.Names().empty());
    return r.zip.Message;
  };
  const std::string last = WriteSet(dir, volumes);
  join(last, temp.Path() + "/missing", 11027);
  EXPECT_EQ(join(dir.File("set001.zip"), temp.Path(), 11037),
            "This is the first disk in a backup set,\nplease insert the last disk of this set");
  EXPECT_EQ(join(dir.File("set002.zip"), temp.Path(), 11038),
            "This is the 2th disk in a backup set,\nplease insert the last disk of this set");

  std::filesystem::rename(dir.File("set002.zip"), dir.File("moved.zip"));
  join(last, temp.Path(), 11001);
  std::filesystem::rename(dir.File("moved.zip"), dir.File("set002.zip"));

  Bytes first = volumes[0];
  PutU32(first, 4, 0x04034b51);
  dir.Write("set001.zip", first);
  join(last, temp.Path(), 11014);
  first = volumes[0];
  PutU32(first, 0, 0x04034b50);
  dir.Write("set001.zip", first);
  join(last, temp.Path(), 11031);
  dir.Write("set001.zip", volumes[0]);

  // Data that claims more than the whole set holds.
  first = volumes[0];
  PutU32(first, 4 + 18, 0x7FFFFFFF);
  dir.Write("set001.zip", first);
  join(last, temp.Path(), 11021);
}

class SetExtraction : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = ::dlopen(FAKE_ENGINE_DIR "/libunzeng.so", RTLD_NOW);
    ASSERT_NE(handle_, nullptr);
    reinterpret_cast<FakeEngineResetFn*>(::dlsym(handle_, "FakeEngineReset"))(152, 5);
    record_ = reinterpret_cast<FakeEngineRecordFn*>(::dlsym(handle_, "FakeEngineRecord"));
  }
  void TearDown() override { ::dlclose(handle_); }
  void* handle_ = nullptr;
  FakeEngineRecordFn* record_ = nullptr;
};

TEST_F(SetExtraction, TheEngineGetsTheJoinedFileWhichIsGoneAfterwards) {
  TempFolder dir;
  TempFolder temp;
  const std::string last = WriteSet(dir, SetEntries().BuildSpanned(2000));
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.TempDir = temp.Path() + "/";
  r.zip.SetDLLDirectory(FAKE_ENGINE_DIR);
  r.zip.SetZipFilename(last);
  r.zip.Extract();
  const FakeRecord& rec = *record_();
  EXPECT_EQ(rec.Calls, 1);
  EXPECT_TRUE(rec.ArchiveReadable);
  const std::filesystem::path sent(rec.ArchivePath);
  EXPECT_EQ(sent.parent_path(), temp.Path());
  EXPECT_EQ(sent.extension(), ".zip");
  EXPECT_EQ(r.zip.SuccessCount(), 5);
  EXPECT_FALSE(r.zip.Busy());
  EXPECT_TRUE(temp.Names().empty());
  EXPECT_EQ(dir.Names().size(), 3u);
}

TEST_F(SetExtraction, AFailedJoinEndsExtractWithoutCallingTheEngine) {
  TempFolder dir;
  TempFolder temp;
  const std::string last = WriteSet(dir, SetEntries().BuildSpanned(2000));
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.TempDir = temp.Path();
  r.zip.SetDLLDirectory(FAKE_ENGINE_DIR);
  r.zip.SetZipFilename(last);
  std::filesystem::remove(dir.File("set001.zip"));
  r.zip.Extract();
  EXPECT_EQ(record_()->Calls, 0);
  EXPECT_EQ(r.zip.ErrCode, 11001);
  EXPECT_FALSE(r.zip.Busy());
  EXPECT_FALSE(r.zip.EngineLoaded());
  EXPECT_TRUE(temp.Names().empty());
}

TEST_F(SetExtraction, ExtractStaysBusyWhileTheEngineRunsAfterAJoin) {
  TempFolder dir;
  TempFolder temp;
  const std::string last = WriteSet(dir, SetEntries().BuildSpanned(2000));
  FakeStep step{};
  step.Action = 1;
  reinterpret_cast<FakeEngineScriptFn*>(::dlsym(handle_, "FakeEngineScript"))(&step, 1);
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.TempDir = temp.Path();
  r.zip.SetDLLDirectory(FAKE_ENGINE_DIR);
  r.zip.SetZipFilename(last);
  bool busyInside = false;
  r.zip.OnProgress = [&](TZipArchive* zip, ProgressType type, const std::string&, int64_t) {
    if (type == ProgrNewEntry && record_()->Calls == 1) {
      busyInside = zip->Busy();
      zip->Extract();
    }
  };
  r.zip.Extract();
  EXPECT_TRUE(busyInside);
  EXPECT_EQ(record_()->Calls, 1);
  EXPECT_TRUE(temp.Names().empty());
}

TEST_F(SetExtraction, AListingFromAPendingEventLeavesTheRunningJoinAlone) {
  TempFolder dir;
  TempFolder temp;
  const std::string last = WriteSet(dir, SetEntries().BuildSpanned(2000));
  const std::string other = dir.Write("other.zip", ZipBytes().Add("x.bmp", "x").Build());
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.TempDir = temp.Path();
  r.zip.SetDLLDirectory(FAKE_ENGINE_DIR);
  r.zip.SetZipFilename(last);
  // Every volume switch lets pending events run; the second one lists
  // another archive while the join is half way through the set.
  int pending = 0;
  r.zip.Host.ProcessPendingEvents = [&] {
    if (++pending == 2) r.zip.SetZipFilename(other);
  };
  r.zip.Extract();
  EXPECT_GE(pending, 2);
  EXPECT_EQ(r.zip.DirEntries().size(), 1u);
  EXPECT_EQ(r.zip.ErrCode, 0);
  EXPECT_EQ(record_()->Calls, 1);
  EXPECT_EQ(r.zip.SuccessCount(), 5);
  EXPECT_TRUE(temp.Names().empty());
}

}  // namespace
}  // namespace tintaro::test
