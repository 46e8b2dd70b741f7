// A byte builder for zip structures in tests and fuzz seeds: stored entries
// with chosen host bytes, flags, extras and comments, archive comments,
// multi-volume sets, and helpers to break what was built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/ZipWriter.h"

namespace tintaro::test {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string& text);
uint32_t Crc32Of(const Bytes& data);
// PutU16, PutU32 and GetU32 come with the libzip writer's helpers.
uint16_t GetU16(const Bytes& b, size_t at);
Bytes Concat(const Bytes& a, const Bytes& b);
Bytes Repeat(uint8_t value, size_t count);

struct ZipEntrySpec {
  std::string name;
  Bytes data;          // stored as it is (method 0)
  uint8_t version = 20;
  uint8_t hostOS = 0;  // 0 MS-DOS, 3 Unix, 6 OS/2 HPFS, 11 NTFS
  uint16_t flags = 0;
  Bytes extra;
  std::string comment;
  uint32_t externalAttributes = 0;
  uint32_t dosDateTime = 0x5A8C6000;  // 2025-04-12 12:00:00
};

// Where the parts of a built archive lie.
struct ZipLayout {
  std::vector<size_t> localOffsets;
  std::vector<size_t> centralOffsets;
  size_t centralStart = 0;
  size_t centralSize = 0;
  size_t endOffset = 0;
};

class ZipBytes {
 public:
  ZipBytes& Add(ZipEntrySpec entry);
  ZipBytes& Add(const std::string& name, const std::string& data);
  ZipBytes& Comment(std::string comment);
  const std::vector<ZipEntrySpec>& Entries() const { return entries_; }

  // A single-file archive: local headers with data, central directory, end record.
  Bytes Build(ZipLayout* layout = nullptr) const;

  // A multi-volume set as a spanning writer lays it out: the set starts with
  // the span marker; headers and the end record never straddle volumes, file
  // data does. Each volume holds at most `volumeSize` bytes unless a single
  // header is larger.
  std::vector<Bytes> BuildSpanned(size_t volumeSize) const;

 private:
  Bytes LocalHeader(const ZipEntrySpec& e) const;
  Bytes CentralHeader(const ZipEntrySpec& e, uint32_t localOffset, uint16_t disk) const;
  std::vector<ZipEntrySpec> entries_;
  std::string comment_;
};

// A 22-byte end record with the given fields.
Bytes EndRecord(uint16_t thisDisk, uint16_t startDisk, uint16_t entriesHere, uint16_t totalEntries,
                uint32_t directorySize, uint32_t directoryOffset, uint16_t commentLength);

}  // namespace tintaro::test
