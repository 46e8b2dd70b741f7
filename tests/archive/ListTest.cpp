// Listing archives: finding the end record, walking the central directory,
// converting names, and the numbered failures and warnings on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ArchiveTestKit.h"
#include "archive/ZipText.h"

namespace tintaro::test {
namespace {

ZipBytes TwoEntries() {
  ZipBytes z;
  z.Add("pic.bmp", "BM picture bytes");
  z.Add("pic.trs", "solution");
  return z;
}

TEST(List, FindsAnArchiveEndingInItsRecordAndReadsEveryHeaderField) {
  TempFolder dir;
  ZipEntrySpec e;
  e.name = "a.txt";
  e.data = ToBytes("hello");
  e.version = 23;
  e.hostOS = 3;
  e.flags = 0x0002;
  e.externalAttributes = 0x81A40000;
  e.comment = "first";
  ZipLayout layout;
  const Bytes bytes = ZipBytes().Add(e).Add("b.txt", "").Build(&layout);
  RecordedArchive r;
  r.zip.ErrCode = 0;
  r.zip.SetZipFilename(dir.Write("t.zip", bytes));

  EXPECT_EQ(r.zip.ErrCode, 0);
  EXPECT_EQ(r.zip.ZipFilename(), dir.File("t.zip"));
  EXPECT_EQ(r.zip.ZipComment(), "");
  EXPECT_EQ(r.log, std::vector<std::string>{"dirupdate"});
  ASSERT_EQ(r.zip.DirEntries().size(), 2u);
  const ZipDirEntry& a = r.zip.DirEntries()[0];
  EXPECT_EQ(a.MadeByVersion, 23);
  EXPECT_EQ(a.HostOS, 3);
  EXPECT_EQ(a.NeededVersion, 20);
  EXPECT_EQ(a.Flags, 0x0002);
  EXPECT_EQ(a.Method, 0);
  EXPECT_EQ(a.DosDateTime, e.dosDateTime);
  EXPECT_EQ(a.Crc32, Crc32Of(e.data));
  EXPECT_EQ(a.CompressedSize, 5u);
  EXPECT_EQ(a.UncompressedSize, 5u);
  EXPECT_EQ(a.NameLength, 5);
  EXPECT_EQ(a.ExtraLength, 0);
  EXPECT_EQ(a.CommentLength, 5);
  EXPECT_EQ(a.ExternalAttributes, 0x81A40000u);
  EXPECT_EQ(a.FileName, "a.txt");
  EXPECT_EQ(a.FileComment, "first");
  EXPECT_EQ(r.zip.DirEntries()[1].FileName, "b.txt");
  EXPECT_EQ(r.zip.DirEntries()[1].LocalHeaderOffset, layout.localOffsets[1]);
  EXPECT_EQ(r.zip.LastDiskNr(), 0);
}

TEST(List, FindsRecordsBeforeCommentsUpToTheLongestAndCutsACommentAtAZeroByte) {
  TempFolder dir;
  const std::string hundred(100, 'c');
  RecordedArchive r;
  r.zip.SetZipFilename(dir.Write("c100.zip", TwoEntries().Comment(hundred).Build()));
  EXPECT_EQ(r.zip.ZipComment(), hundred);
  EXPECT_EQ(r.zip.DirEntries().size(), 2u);

  std::string longest(65535, 'x');
  longest[0] = 'L';
  r.zip.SetZipFilename(dir.Write("c65535.zip", TwoEntries().Comment(longest).Build()));
  EXPECT_EQ(r.zip.ZipComment(), longest);
  EXPECT_EQ(r.zip.DirEntries().size(), 2u);

  r.zip.SetZipFilename(dir.Write("zero.zip", TwoEntries().Comment(std::string("before\0after", 12)).Build()));
  EXPECT_EQ(r.zip.ZipComment(), "before");
  EXPECT_EQ(r.zip.ZipFilename(), dir.File("zero.zip"));
  EXPECT_TRUE(r.Lines("message").empty());

  // The comment is shown in the system's character set.
  r.zip.SetZipFilename(dir.Write("oem.zip", TwoEntries().Comment("\x82t\x82").Build()));
  EXPECT_EQ(r.zip.ZipComment(), "\xC3\xA9t\xC3\xA9");
}

TEST(List, ARecordFurtherFromTheEndThanTheLongestCommentIsNotFound) {
  TempFolder dir;
  // Zero-length comment, then 65536 foreign bytes: the record starts 65558
  // bytes before the end, one byte outside the window.
  const Bytes bytes = Concat(TwoEntries().Build(), Repeat('z', 65536));
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetZipFilename(dir.Write("far.zip", bytes));
  EXPECT_EQ(r.zip.ErrCode, 11036);
  EXPECT_EQ(r.zip.ZipFilename(), "");

  // One byte fewer and it is found, with the garbage warning.
  r.zip.SetZipFilename(dir.Write("near.zip", Concat(TwoEntries().Build(), Repeat('z', 65535))));
  EXPECT_EQ(r.zip.ErrCode, 10204);
  EXPECT_EQ(r.zip.DirEntries().size(), 2u);
}

TEST(List, TextEmptyAndTinyFilesAreNotArchives) {
  TempFolder dir;
  const std::vector<Bytes> inputs = {
      ToBytes("This is a plain text file, long enough to be searched for a record.\n"), Bytes{}, Repeat(7, 10)};
  for (const Bytes& input : inputs) {
    RecordedArchive r;
    r.zip.Unattended = true;
    r.zip.SetZipFilename(dir.Write("not.zip", input));
    EXPECT_EQ(r.zip.ErrCode, 11036) << input.size();
    EXPECT_EQ(r.zip.Message, "This archive is not a valid Zip archive");
    EXPECT_EQ(r.zip.ZipFilename(), "");
    EXPECT_TRUE(r.zip.DirEntries().empty());
    EXPECT_EQ(r.log, (std::vector<std::string>{"message:0:This archive is not a valid Zip archive", "dirupdate"}));
  }
}

TEST(List, ZerosPaddingToA512ByteBoundaryAreAcceptedButOtherTrailingBytesWarn10204) {
  TempFolder dir;
  // Grow the one entry until archive + 300 bytes is a multiple of 512.
  Bytes archive = ZipBytes().Add("p.bmp", "x").Build();
  const size_t grow = (512 - (archive.size() + 300) % 512) % 512;
  archive = ZipBytes().Add("p.bmp", std::string(1 + grow, 'x')).Build();
  ASSERT_EQ((archive.size() + 300) % 512, 0u);

  RecordedArchive padded;
  padded.zip.ErrCode = 0;
  padded.zip.SetZipFilename(dir.Write("pad.zip", Concat(archive, Repeat(0, 300))));
  EXPECT_EQ(padded.zip.ErrCode, 0);
  EXPECT_TRUE(padded.Lines("box").empty());
  EXPECT_EQ(padded.zip.DirEntries().size(), 1u);

  RecordedArchive garbage;
  garbage.zip.ErrCode = 0;
  garbage.zip.SetZipFilename(dir.Write("garbage.zip", Concat(archive, Repeat(0x41, 300))));
  EXPECT_EQ(garbage.zip.ErrCode, 10204);
  EXPECT_EQ(garbage.zip.ZipFilename(), dir.File("garbage.zip"));
  ASSERT_EQ(garbage.zip.DirEntries().size(), 1u);
  EXPECT_EQ(garbage.zip.DirEntries()[0].FileName, "p.bmp");
  // With Unattended false the box comes first, then the event.
  EXPECT_EQ(garbage.log, (std::vector<std::string>{"box:Warning - Garbage at the end of the zipfile!",
                                                   "message:0:Warning - Garbage at the end of the zipfile!",
                                                   "dirupdate"}));

  // Zeros that go past the boundary are garbage too.
  RecordedArchive longer;
  longer.zip.Unattended = true;
  longer.zip.SetZipFilename(dir.Write("long.zip", Concat(archive, Repeat(0, 812))));
  EXPECT_EQ(longer.zip.ErrCode, 10204);
  EXPECT_TRUE(longer.Lines("box").empty());
}

TEST(List, DataInFrontOfTheArchiveWarns10203AndTheEntriesAreStillRight) {
  TempFolder dir;
  ZipLayout layout;
  ZipBytes z;
  z.Add("one.bmp", std::string(40, '1')).Add("two.trs", std::string(12, '2')).Add("spione.bmp", "3");
  const Bytes archive = z.Build(&layout);
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetZipFilename(dir.Write("prefixed.zip", Concat(Repeat(0xEE, 1000), archive)));
  EXPECT_EQ(r.zip.ErrCode, 10203);
  EXPECT_EQ(r.zip.Message, "Warning - Error in zip structure!");
  EXPECT_EQ(r.zip.ZipFilename(), dir.File("prefixed.zip"));
  ASSERT_EQ(r.zip.DirEntries().size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(r.zip.DirEntries()[i].FileName, z.Entries()[i].name);
    EXPECT_EQ(r.zip.DirEntries()[i].Crc32, Crc32Of(z.Entries()[i].data));
    EXPECT_EQ(r.zip.DirEntries()[i].LocalHeaderOffset, layout.localOffsets[i]);
  }
}

TEST(List, AWrongCentralSignatureGives11015AndKeepsTheEntriesReadBeforeIt) {
  TempFolder dir;
  ZipLayout layout;
  Bytes bytes = ZipBytes().Add("a", "1").Add("b", "2").Add("c", "3").Comment("kept").Build(&layout);
  PutU32(bytes, layout.centralOffsets[1], 0x02014b51);
  RecordedArchive r;
  r.zip.SetZipFilename(dir.Write("sig.zip", bytes));
  EXPECT_EQ(r.zip.ErrCode, 11015);
  EXPECT_EQ(r.zip.ZipFilename(), "");
  ASSERT_EQ(r.zip.DirEntries().size(), 1u);
  EXPECT_EQ(r.zip.DirEntries()[0].FileName, "a");
  EXPECT_EQ(r.zip.ZipComment(), "kept");
  EXPECT_EQ(r.log, (std::vector<std::string>{"box:A central header signature is wrong",
                                             "message:0:A central header signature is wrong", "dirupdate"}));
}

TEST(List, ShortHeadersNamesCommentsAndImpossiblePositionsGiveTheirNumbers) {
  TempFolder dir;
  struct Case {
    const char* what;
    int expected;
    size_t kept;
  };
  ZipLayout layout;
  const Bytes good = ZipBytes().Add("a", "1").Add("bb", "2").Build(&layout);
  auto withEnd = [&](uint16_t total, uint32_t size) {
    Bytes b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(layout.endOffset));
    Bytes end = EndRecord(0, 0, total, total, size, static_cast<uint32_t>(layout.centralStart), 0);
    return Concat(b, end);
  };
  // More entries than headers: the third read meets the 22-byte record.
  {
    RecordedArchive r;
    r.zip.Unattended = true;
    r.zip.SetZipFilename(dir.Write("count.zip", withEnd(3, static_cast<uint32_t>(layout.centralSize))));
    EXPECT_EQ(r.zip.ErrCode, 11013);
    EXPECT_EQ(r.zip.DirEntries().size(), 2u);
    EXPECT_EQ(r.zip.ZipFilename(), "");
  }
  // A directory larger than the file puts its start before the file.
  {
    RecordedArchive r;
    r.zip.Unattended = true;
    r.zip.SetZipFilename(dir.Write("before.zip", withEnd(2, 100000)));
    EXPECT_EQ(r.zip.ErrCode, 10201);
  }
  // A name that runs past the end of the file.
  {
    Bytes b = good;
    PutU16(b, layout.centralOffsets[1] + 28, 60000);
    RecordedArchive r;
    r.zip.Unattended = true;
    r.zip.SetZipFilename(dir.Write("name.zip", b));
    EXPECT_EQ(r.zip.ErrCode, 11017);
    EXPECT_EQ(r.zip.DirEntries().size(), 1u);
  }
  // An entry comment that runs past the end of the file; the entry stays.
  {
    Bytes b = good;
    PutU16(b, layout.centralOffsets[1] + 32, 60000);
    RecordedArchive r;
    r.zip.Unattended = true;
    r.zip.SetZipFilename(dir.Write("comment.zip", b));
    EXPECT_EQ(r.zip.ErrCode, 11022);
    ASSERT_EQ(r.zip.DirEntries().size(), 2u);
    EXPECT_EQ(r.zip.DirEntries()[1].FileName, "bb");
  }
  // An entry count far above what the file holds fails on the first short read.
  {
    RecordedArchive r;
    r.zip.Unattended = true;
    r.zip.SetZipFilename(dir.Write("many.zip", withEnd(65535, static_cast<uint32_t>(layout.centralSize))));
    EXPECT_EQ(r.zip.ErrCode, 11013);
    EXPECT_EQ(r.zip.DirEntries().size(), 2u);
  }
}

TEST(List, NamesFromDosHostsAreConvertedFromTheOemSetAndUnixNamesAreNot) {
  TempFolder dir;
  auto entry = [](const std::string& name, uint8_t host, uint8_t version = 20, uint16_t flags = 0) {
    ZipEntrySpec e;
    e.name = name;
    e.hostOS = host;
    e.version = version;
    e.flags = flags;
    e.comment = "\x82";
    return e;
  };
  ZipBytes z;
  z.Add(entry("dir/pic.bmp", 0));
  z.Add(entry("caf\x82.bmp", 0));
  z.Add(entry("caf\x82.bmp", 3));
  z.Add(entry("caf\x82.bmp", 6));
  z.Add(entry("caf\x82.bmp", 11, 50));
  z.Add(entry("caf\x82.bmp", 11, 20));
  z.Add(entry("caf\xC3\xA9.bmp", 0, 20, 1u << 11));
  RecordedArchive r;
  r.zip.SetZipFilename(dir.Write("names.zip", z.Build()));
  ASSERT_EQ(r.zip.DirEntries().size(), 7u);
  const auto& d = r.zip.DirEntries();
  EXPECT_EQ(d[0].FileName, "dir\\pic.bmp");
  EXPECT_EQ(d[1].FileName, "caf\xC3\xA9.bmp");
  EXPECT_EQ(d[1].FileComment, "\xC3\xA9");
  EXPECT_EQ(d[2].FileName, "caf\x82.bmp");
  EXPECT_EQ(d[2].FileComment, "\x82");
  EXPECT_EQ(d[3].FileName, "caf\xC3\xA9.bmp");
  EXPECT_EQ(d[4].FileName, "caf\xC3\xA9.bmp");
  EXPECT_EQ(d[5].FileName, "caf\x82.bmp");
  EXPECT_EQ(d[6].FileName, "caf\xC3\xA9.bmp");

  // cpNone leaves DOS names alone; cpOEM converts even Unix names.
  r.zip.CodePage = cpNone;
  r.zip.List();
  EXPECT_EQ(r.zip.DirEntries()[1].FileName, "caf\x82.bmp");
  r.zip.CodePage = cpOEM;
  r.zip.List();
  EXPECT_EQ(r.zip.DirEntries()[2].FileName, "caf\xC3\xA9.bmp");
  EXPECT_EQ(r.zip.DirEntries()[6].FileName, "caf\xC3\xA9.bmp");
}

TEST(List, AMissingFileOrAFolderLeavesErrCodeAloneAndOnlyFiresDirUpdate) {
  TempFolder dir;
  RecordedArchive r;
  r.zip.SetZipFilename(dir.Write("ok.zip", TwoEntries().Comment("old").Build()));
  ASSERT_EQ(r.zip.DirEntries().size(), 2u);
  r.zip.ErrCode = 4321;
  r.log.clear();
  for (const std::string& path : {dir.File("missing.zip"), dir.Path(), std::string()}) {
    r.zip.SetZipFilename(path);
    EXPECT_EQ(r.zip.ErrCode, 4321);
    EXPECT_EQ(r.zip.ZipFilename(), path);
    EXPECT_TRUE(r.zip.DirEntries().empty());
    EXPECT_EQ(r.zip.ZipComment(), "");
  }
  EXPECT_EQ(r.log, (std::vector<std::string>{"dirupdate", "dirupdate", "dirupdate"}));
}

TEST(List, AFileStartingWithTheSpanMarkerAndNoRecordIsTheFirstOfASet) {
  TempFolder dir;
  Bytes bytes = {0x50, 0x4b, 0x07, 0x08, 0x50, 0x4b, 0x03, 0x04};
  bytes.resize(200, 0x33);
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetZipFilename(dir.Write("first.zip", bytes));
  EXPECT_EQ(r.zip.ErrCode, 11045);
  EXPECT_EQ(r.zip.Message, "This is the first file in a backup set,\nplease choose the last file of this set");
  EXPECT_EQ(r.zip.ZipFilename(), "");
}

TEST(List, TheLastVolumeOfASetListsEntriesWhoseDirectoryStartsOnAnEarlierVolume) {
  TempFolder dir;
  ZipBytes z;
  for (int i = 0; i < 12; ++i) z.Add("entry" + std::to_string(i) + ".bmp", std::string(30, static_cast<char>('a' + i)));
  // Small volumes force the directory across several of them.
  const std::vector<Bytes> volumes = z.BuildSpanned(300);
  ASSERT_GE(volumes.size(), 3u);
  const Bytes& last = volumes.back();
  ASSERT_NE(GetU16(last, last.size() - 22 + 4), GetU16(last, last.size() - 22 + 6));
  std::string lastName;
  for (size_t i = 0; i < volumes.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "set%03zu.zip", i + 1);
    lastName = dir.Write(name, volumes[i]);
  }
  RecordedArchive r;
  r.zip.ErrCode = 0;
  r.zip.SetZipFilename(lastName);
  EXPECT_EQ(r.zip.ErrCode, 0) << r.zip.Message;
  EXPECT_EQ(r.zip.LastDiskNr(), static_cast<int>(volumes.size()) - 1);
  ASSERT_EQ(r.zip.DirEntries().size(), 12u);
  EXPECT_EQ(r.zip.DirEntries()[11].FileName, "entry11.bmp");

  // Without the volume where the directory starts the switch fails with 11001.
  char startName[32];
  std::snprintf(startName, sizeof startName, "set%03d.zip", GetU16(last, last.size() - 22 + 6) + 1);
  std::filesystem::remove(dir.File(startName));
  r.zip.Unattended = true;
  r.zip.SetZipFilename(lastName);
  EXPECT_EQ(r.zip.ErrCode, 11001);
  EXPECT_EQ(r.zip.ZipFilename(), "");
}

TEST(List, NothingAHandlerThrowsEscapesListOrExtract) {
  TempFolder dir;
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.OnMessage = [](TZipArchive*, int, const std::string&) { throw std::runtime_error("handler"); };
  int updates = 0;
  r.zip.OnDirUpdate = [&](TZipArchive*) {
    ++updates;
    throw std::runtime_error("handler");
  };
  const std::string path = dir.Write("g.zip", Concat(TwoEntries().Build(), Repeat(0x41, 10)));
  EXPECT_NO_THROW(r.zip.SetZipFilename(path));
  // The warning's handler failed, so the listing counts as failed.
  EXPECT_EQ(r.zip.ErrCode, 10202);
  EXPECT_EQ(r.zip.ZipFilename(), "");
  EXPECT_EQ(updates, 1);
  EXPECT_NO_THROW(r.zip.Extract());
  EXPECT_EQ(r.zip.ErrCode, 10102);
}

TEST(Volumes, TheVolumeRootOfAPathIsTheMountPointThatHoldsIt) {
  EXPECT_EQ(VolumeRootOf("/proc/self/status"), "/proc");
  EXPECT_EQ(VolumeRootOf("/"), "/");
  TempFolder dir;
  const std::string root = VolumeRootOf(dir.File("a.zip"));
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(std::filesystem::canonical(dir.Path()).string().rfind(root, 0), 0u);
  EXPECT_EQ(VolumeRootOf("/no/such/folder/a.zip"), "");
  EXPECT_EQ(VolumeRootOf(""), "");
}

TEST(Messages, CatalogueLookupAndNumberedExceptionsFormatTheirTexts) {
  EXPECT_EQ(LoadMessageText(10204, "d"), "Warning - Garbage at the end of the zipfile!");
  EXPECT_EQ(LoadMessageText(10106, "default"), "default");
  EXPECT_EQ(EZipArchive(11038, 5).what(),
            std::string("This is the 5th disk in a backup set,\nplease insert the last disk of this set"));
  EXPECT_TRUE(EZipArchive(11038, 5).ShowToUser);
  EXPECT_EQ(EZipArchive(11003, std::string("/mnt")).what(), std::string("Not a valid drive: /mnt"));
  const EZipArchive hidden(11007, false);
  EXPECT_FALSE(hidden.ShowToUser);
  EXPECT_EQ(hidden.MessageId, 11007);
  EXPECT_EQ(EZipArchive(9999, 3).what(),
            std::string("ZipTextXX.res is probably not bound to executable\nMissing String ID is: 9999"));
  const std::string two[] = {"2", "3"};
  EXPECT_EQ(FormatMessageText("Please insert disk volume %.1d of %.1d", two), "Please insert disk volume 2 of 3");
  const std::string one[] = {"x"};
  EXPECT_EQ(FormatMessageText("100% %n %s", one), "100% %n x");

  RecordedArchive r;
  r.zip.ReportMessage(12345);
  EXPECT_EQ(r.zip.ErrCode, 12345);
  EXPECT_EQ(r.log.front(), "box:ZipTextXX.res is probably not bound to executable\nMissing String ID is: 12345");
  // A hidden exception is not boxed but still reported.
  r.log.clear();
  r.zip.ReportException(hidden);
  EXPECT_EQ(r.log, std::vector<std::string>{"message:0:User canceled operation"});
  EXPECT_EQ(r.zip.ErrCode, 11007);
}

TEST(Properties, DllDirectoryDropsOneTrailingSeparatorAndPasswordsKeep255Characters) {
  TZipArchive zip;
  zip.SetDLLDirectory("/opt/tintaro//");
  EXPECT_EQ(zip.DLLDirectory(), "/opt/tintaro/");
  zip.SetPassword(std::string(300, 'p'));
  EXPECT_EQ(zip.Password().size(), 255u);
  zip.SetVersionInfo("9.99");
  EXPECT_EQ(zip.VersionInfo(), "1.52");
}

}  // namespace
}  // namespace tintaro::test
