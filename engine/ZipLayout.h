// The engine's own reading of an archive's layout: where the archive starts
// in the file, the raw central directory entries, and each entry's byte range,
// which libzip does not expose and which the overlap check needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tintaro::engine {

struct LayoutEntry {
  std::string rawName;         // exactly NameLength bytes, NULs included
  uint16_t versionMadeBy = 0;  // host system in the high byte
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t externalAttributes = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint64_t localOffset = 0;    // relative to the archive's start
  // [rangeStart, rangeEnd): local header, name, extra and data.
  uint64_t rangeStart = 0;
  uint64_t rangeEnd = 0;
  bool rangeValid = false;     // the local header was read and fits
  bool overlaps = false;       // shares bytes with another entry's range

  bool NameIsUtf8() const { return (flags & 0x0800) != 0; }
  uint8_t HostSystem() const { return static_cast<uint8_t>(versionMadeBy >> 8); }
};

enum class LayoutResult { Ok, NotAnArchive, Damaged, TooLarge, ReadFailed, MultiVolume };

struct ZipLayout {
  uint64_t prefix = 0;  // bytes in front of the archive proper
  // The central directory the entries were read from, relative to the
  // archive's start; libzip is shown this directory and no other.
  uint64_t cdOffset = 0;
  uint64_t cdSize = 0;
  std::vector<LayoutEntry> entries;
};

// Central directories larger than this are refused (about a million entries).
inline constexpr uint64_t kMaxCentralDirectoryBytes = uint64_t{64} << 20;

// Reads the layout of the archive in the open file `fd` of `fileSize` bytes.
// Every length is checked against the file before it is read or allocated.
// The archive component lists the 16-bit entry count of the end record, so a
// zip64 record that counts otherwise, or a directory beyond 4 GiB, is refused
// as damaged or too large rather than read differently; an end record naming
// another volume, or fewer entries on this one, is refused as multi-volume.
LayoutResult ReadZipLayout(int fd, uint64_t fileSize, ZipLayout& layout);

}  // namespace tintaro::engine
