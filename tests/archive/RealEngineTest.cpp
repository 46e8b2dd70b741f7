// The component with the real engine library of this build: extraction of a
// puzzle-like archive, an archive with data in front, a joined set, and the
// engine renamed away.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "ArchiveTestKit.h"
#include "support/ZipWriter.h"

#ifdef REAL_ENGINE_PATH

namespace tintaro::test {
namespace {

std::string RealEngineDir() { return std::filesystem::path(REAL_ENGINE_PATH).parent_path(); }

std::string Text(const std::string& path) {
  const Bytes b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

TEST(RealEngine, ExtractWritesEveryEntryUnderItsOwnNameIntoExtrBaseDir) {
  TempFolder dir;
  TempFolder work;
  const std::string picture(20000, 'p');
  const std::string archive = dir.File("puzzle.tro");
  ASSERT_TRUE(ZipWriter()
                  .Add("pics/puzzle.bmp", picture)
                  .Add("puzzle.trs", "solution")
                  .Add("spipuzzle.bmp", "clue", ZipWriter::Method::Store)
                  .WriteTo(archive));
  dir.Write("stale", ToBytes("x"));
  std::filesystem::copy_file(dir.File("stale"), work.File("puzzle.trs"));
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetDLLDirectory(RealEngineDir());
  r.zip.LoadEngine();
  ASSERT_TRUE(r.zip.EngineLoaded());
  EXPECT_GE(r.zip.EngineVersion(), 152);
  r.zip.ErrCode = 0;
  r.zip.SetZipFilename(archive);
  r.zip.ExtrBaseDir = work.Path();
  r.zip.ExtrOptions = {ExtrOverWrite};
  r.zip.Extract();
  EXPECT_EQ(r.zip.SuccessCount(), 3) << r.zip.Message;
  EXPECT_EQ(r.zip.ErrCode, 0) << r.zip.Message;
  EXPECT_EQ(work.Names(), (std::vector<std::string>{"puzzle.bmp", "puzzle.trs", "spipuzzle.bmp"}));
  EXPECT_EQ(Text(work.File("puzzle.bmp")), picture);
  EXPECT_EQ(Text(work.File("puzzle.trs")), "solution");
  EXPECT_EQ(r.Count("progress:0:pics\\puzzle.bmp:"), 1);
  r.zip.UnloadEngine();
}

TEST(RealEngine, AnArchiveWithDataInFrontExtractsAsItLists) {
  TempFolder dir;
  TempFolder work;
  const Bytes archive = ZipWriter().Add("a.bmp", std::string(3000, 'a')).Add("a.trs", "s").Bytes();
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetDLLDirectory(RealEngineDir());
  r.zip.SetZipFilename(dir.Write("front.tro", Concat(Repeat(0xCC, 1000), archive)));
  EXPECT_EQ(r.zip.ErrCode, 10203);
  r.zip.ExtrBaseDir = work.Path();
  r.zip.ExtrOptions = {ExtrOverWrite};
  r.zip.Extract();
  EXPECT_EQ(r.zip.SuccessCount(), 2) << r.zip.Message;
  EXPECT_EQ(Text(work.File("a.bmp")), std::string(3000, 'a'));
}

TEST(RealEngine, AThreeVolumeSetIsJoinedAndExtracted) {
  TempFolder dir;
  TempFolder temp;
  TempFolder work;
  ZipBytes z;
  z.Add("set.bmp", std::string(5000, 'b')).Add("set.trs", std::string(300, 's')).Add("spiset.bmp", "clue");
  const std::vector<Bytes> volumes = z.BuildSpanned(2200);
  ASSERT_EQ(volumes.size(), 3u);
  std::string last;
  for (size_t i = 0; i < volumes.size(); ++i) last = dir.Write("vol00" + std::to_string(i + 1) + ".tro", volumes[i]);
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetDLLDirectory(RealEngineDir());
  r.zip.TempDir = temp.Path();
  r.zip.ErrCode = 0;
  r.zip.SetZipFilename(last);
  ASSERT_EQ(r.zip.LastDiskNr(), 2);
  r.zip.ExtrBaseDir = work.Path();
  r.zip.ExtrOptions = {ExtrOverWrite};
  r.zip.Extract();
  EXPECT_EQ(r.zip.SuccessCount(), 3) << r.zip.Message;
  EXPECT_EQ(Text(work.File("set.bmp")), std::string(5000, 'b'));
  EXPECT_EQ(Text(work.File("spiset.bmp")), "clue");
  EXPECT_TRUE(temp.Names().empty());
}

TEST(RealEngine, AnEngineRenamedAwayGives10704) {
  TempFolder dir;
  std::filesystem::copy_file(REAL_ENGINE_PATH, dir.File("libunzeng.so"));
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.ErrCode = 0;
  r.zip.SetDLLDirectory(dir.Path());
  r.zip.LoadEngine();
  EXPECT_TRUE(r.zip.EngineLoaded());
  EXPECT_EQ(r.zip.ErrCode, 0);
  r.zip.UnloadEngine();
  std::filesystem::rename(dir.File("libunzeng.so"), dir.File("libunzeng.so.away"));
  r.zip.LoadEngine();
  EXPECT_FALSE(r.zip.EngineLoaded());
  EXPECT_EQ(r.zip.ErrCode, 10704);
}

}  // namespace
}  // namespace tintaro::test

#endif
