// Archives built to be expensive or to show libzip another directory than the
// engine's, a named pipe in the archive's place, passwords that pass the
// one-byte check, and names libzip would rewrite.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <zip.h>

#include <cstdio>

#include "EngineHarness.h"
#include "support/LittleEndian.h"
#include "support/ZipBytes.h"

namespace tintaro::test {
namespace {

namespace fs = std::filesystem;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void Append(Bytes& out, const std::string& more) { out.insert(out.end(), more.begin(), more.end()); }

// Runs `body` in a child process that is killed after `seconds`: a run that
// hangs or takes minutes fails the test instead of stalling the suite.
template <class F>
bool FinishesInChild(unsigned seconds, F body) {
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(seconds);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(EngineTest, ThousandsOfEndRecordsCostOneReadingOfTheDirectory) {
  ZipBytes zip;
  for (int i = 0; i < 65535; ++i) zip.Add(ZipEntrySpec{.name = "e" + std::to_string(i)});
  ZipLayout layout;
  Bytes bytes = zip.Build(&layout);
  bytes.resize(layout.endOffset);
  // Each record takes the ones before it for part of its directory, so
  // every one of them is a candidate that names all 65535 entries.
  for (uint32_t k = 0; k < 3000; ++k)
    Append(bytes, EndRecord(0, 0, 0xFFFF, 0xFFFF, static_cast<uint32_t>(layout.centralSize + 22 * k),
                            static_cast<uint32_t>(layout.centralStart), 0));
  WriteFileBytes(ArchivePath(), bytes);
  EXPECT_TRUE(FinishesInChild(60, [&] {
    Exec(ArchivePath(), {.test = true});
    return true;
  }));
}

// Every entry of `entries` as a central header pointing at `offsets[i]`.
Bytes Directory(const std::vector<ZipEntrySpec>& entries, const std::vector<size_t>& offsets, uint16_t method,
                uint32_t crc, uint32_t packed, uint32_t size) {
  Bytes out;
  for (size_t i = 0; i < entries.size(); ++i) {
    AppendU32LE(out, 0x02014b50);
    AppendU32LE(out, 0x0014'0314);  // made by Unix 2.0, needs 2.0
    AppendU16LE(out, 0);
    AppendU16LE(out, method);
    AppendU32LE(out, 0x5A8C6000);
    AppendU32LE(out, crc);
    AppendU32LE(out, packed);
    AppendU32LE(out, size);
    AppendU16LE(out, static_cast<uint32_t>(entries[i].name.size()));
    for (int k = 0; k < 4; ++k) AppendU16LE(out, 0);
    AppendU32LE(out, 0100644u << 16);
    AppendU32LE(out, static_cast<uint32_t>(offsets[i]));
    Append(out, entries[i].name);
  }
  return out;
}

TEST_F(EngineTest, LibzipIsShownOnlyTheDirectoryTheEngineChecked) {
  // One deflate stream of 100000 zeros, copied for eight entries.
  const std::string zeros(100000, '\0');
  Bytes packed = ZipWriter().Add("z", zeros).Bytes();
  const uint32_t packedSize = GetU32(packed, 18), crc = GetU32(packed, 14);
  const size_t dataAt = 30 + GetU16(packed, 26) + GetU16(packed, 28);
  packed = Bytes(packed.begin() + dataAt, packed.begin() + dataAt + packedSize);
  std::vector<ZipEntrySpec> entries;
  std::vector<size_t> own, shared;
  Bytes bytes;
  for (int i = 0; i < 8; ++i) {
    entries.push_back({.name = "e" + std::to_string(i)});
    own.push_back(bytes.size());
    shared.push_back(0);
    AppendU32LE(bytes, 0x04034b50);
    AppendU32LE(bytes, 0x00000014);
    AppendU16LE(bytes, 8);
    AppendU32LE(bytes, 0x5A8C6000);
    AppendU32LE(bytes, crc);
    AppendU32LE(bytes, packedSize);
    AppendU32LE(bytes, 100000);
    AppendU32LE(bytes, 2);  // name length 2, no extra
    Append(bytes, entries.back().name);
    Append(bytes, packed);
  }
  // An earlier directory that points every entry at the first stream, then
  // the engine's, whose end record says the entries lie on other volumes.
  const Bytes early = Directory(entries, shared, 8, crc, packedSize, 100000);
  const Bytes late = Directory(entries, own, 8, crc, packedSize, 100000);
  const size_t earlyAt = bytes.size();
  Append(bytes, early);
  Append(bytes, EndRecord(0, 0, 8, 8, static_cast<uint32_t>(early.size()), static_cast<uint32_t>(earlyAt), 0));
  const size_t lateAt = bytes.size();
  Append(bytes, late);
  Append(bytes, EndRecord(0, 0, 0, 8, static_cast<uint32_t>(late.size()), static_cast<uint32_t>(lateAt), 0));
  WriteFileBytes(ArchivePath(), bytes);
  EXPECT_EQ(Exec(ArchivePath()), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeUnsupported).size(), 1u);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out"}));

  // A zip64 record counting otherwise than the 16-bit count that the
  // archive component lists.
  ZipLayout layout;
  Bytes wide = ZipBytes().Add("one", "1").Add("two", "2").Add("three", "3").Build(&layout);
  wide.resize(layout.endOffset);
  const size_t recordAt = wide.size();
  AppendU32LE(wide, 0x06064b50);
  Append(wide, Bytes{44, 0, 0, 0, 0, 0, 0, 0, 45, 0, 45, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  for (uint64_t v : {uint64_t{3}, uint64_t{3}, uint64_t{layout.centralSize}, uint64_t{layout.centralStart}}) {
    AppendU32LE(wide, static_cast<uint32_t>(v));
    AppendU32LE(wide, static_cast<uint32_t>(v >> 32));
  }
  AppendU32LE(wide, 0x07064b50);
  AppendU32LE(wide, 0);
  AppendU32LE(wide, static_cast<uint32_t>(recordAt));
  AppendU32LE(wide, 0);
  AppendU32LE(wide, 1);
  Append(wide, EndRecord(0, 0, 0xFFFF, 0xFFFF, static_cast<uint32_t>(layout.centralSize), 0xFFFFFFFF, 0));
  WriteFileBytes(ArchivePath(), wide);
  EXPECT_EQ(Exec(ArchivePath()), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeDamaged).size(), 1u);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out"}));
}

TEST_F(EngineTest, ANamedPipeInTheArchivesPlaceIsRefusedWithoutBlocking) {
  ASSERT_EQ(mkfifo(ArchivePath("pipe.zip").c_str(), 0600), 0);
  EXPECT_TRUE(FinishesInChild(10, [&] {
    return Exec(ArchivePath("pipe.zip")) == 0 && MessagesWithCode(UnzCodeOpenFailed).size() == 1;
  }));
}

TEST_F(EngineTest, AWrongPasswordThatPassesTheCheckByteIsReportedAsAPasswordFailure) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i * 7919 % 1000) + "\n";
  ZipWriter().AddEncrypted("secret.txt", text, ZIP_EM_TRAD_PKWARE, "secret").WriteTo(ArchivePath());
  // About one wrong password in 256 passes the check byte.
  std::string wrong;
  zip_t* za = zip_open(ArchivePath().c_str(), ZIP_RDONLY, nullptr);
  ASSERT_NE(za, nullptr);
  for (int i = 0; i < 100000 && wrong.empty(); ++i) {
    const std::string guess = "guess" + std::to_string(i);
    if (zip_file_t* f = zip_fopen_index_encrypted(za, 0, 0, guess.c_str())) {
      zip_fclose(f);
      wrong = guess;
    }
  }
  zip_discard(za);
  ASSERT_FALSE(wrong.empty());
  EXPECT_EQ(Exec(ArchivePath(), {.password = wrong}), 0);
  EXPECT_EQ(MessagesWithCode(UnzCodeBadPassword).size(), 1u);
  EXPECT_EQ(MessagesWithCode(UnzCodeDamaged).size(), 0u);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out"}));
}

TEST_F(EngineTest, UnicodePathFieldsAreAcceptedAndTheStoredNameKept) {
  // Unicode Path extra field: version 1, CRC of the stored name, new name.
  const std::string stored = "stored.bmp";
  Bytes unicode;
  AppendU16LE(unicode, 0x7075);
  AppendU16LE(unicode, 5 + 9);
  unicode.push_back(1);
  AppendU32LE(unicode, Crc32Of(ToBytes(stored)));
  Append(unicode, std::string("other.bmp"));
  Bytes bytes = ZipBytes()
                    .Add({.name = stored, .data = ToBytes("picture"), .hostOS = 3, .extra = unicode})
                    .Add({.name = "del\x7F.txt", .data = ToBytes("x"), .hostOS = 3})
                    .Build();
  WriteFileBytes(ArchivePath(), bytes);
  EXPECT_EQ(Exec(ArchivePath()), 1);
  EXPECT_EQ(Read(stored), "picture");
  EXPECT_EQ(Actions(UnzActionNewEntry).at(0).text, stored);
  // DEL is a control byte like the others: the entry is skipped.
  EXPECT_EQ(MessagesWithCode(UnzCodeUnsafeEntry).size(), 1u);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"a.zip", "out", "out/stored.bmp"}));
}

}  // namespace
}  // namespace tintaro::test
