// Finds the end record, the central directory and every entry's local byte
// range of an archive, trusting no length in the file.
#include "engine/ZipLayout.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <span>

#include "core/picture/ByteReader.h"

namespace tintaro::engine {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;

// End record: 22 bytes + comment. Zip64 locator: 20 bytes. Zip64 end
// record: 56 bytes + extensible data. Central header: 46 bytes + name +
// extra + comment. Local header: 30 bytes + name + extra, then the data.
constexpr uint64_t kEndSize = 22;
constexpr uint64_t kZip64LocatorSize = 20;
constexpr uint64_t kZip64EndSize = 56;
constexpr uint64_t kCentralSize = 46;
constexpr uint64_t kLocalSize = 30;
// The end record's comment is at most 65535 bytes.
constexpr uint64_t kMaxEndSearch = kEndSize + 65535;

bool ReadAt(int fd, uint64_t offset, size_t n, uint8_t* out) {
  size_t done = 0;
  while (done < n) {
    const ssize_t got = pread(fd, out + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

struct EndInfo {
  uint64_t entries = 0;
  uint16_t entries16 = 0;    // the 32-bit record's count, which the listing reads
  bool multiVolume = false;  // disk numbers or the count on this disk say so
  uint64_t cdSize = 0;
  uint64_t cdOffset = 0;
  uint64_t cdEnd = 0;  // file position where the central directory must end
};

// Reads the zip64 end record that the locator at `locatorPos` points to.
// With bytes in front of the archive the stated offset is off by the prefix,
// so the record right before the locator is tried first.
bool ReadZip64End(int fd, uint64_t locatorPos, EndInfo& info) {
  uint8_t loc[kZip64LocatorSize];
  if (locatorPos < kZip64EndSize || !ReadAt(fd, locatorPos, sizeof loc, loc)) return false;
  if (LoadU32LE(loc) != kZip64LocatorSignature) return false;
  uint64_t stated = LoadU32LE(loc + 8) | (uint64_t{LoadU32LE(loc + 12)} << 32);
  const uint64_t candidates[2] = {locatorPos - kZip64EndSize, stated};
  for (uint64_t pos : candidates) {
    if (pos > locatorPos - kZip64EndSize) continue;
    uint8_t rec[kZip64EndSize];
    if (!ReadAt(fd, pos, sizeof rec, rec) || LoadU32LE(rec) != kZip64EndSignature) continue;
    auto u64 = [&](size_t at) { return LoadU32LE(rec + at) | (uint64_t{LoadU32LE(rec + at + 4)} << 32); };
    info.entries = u64(32);
    info.cdSize = u64(40);
    info.cdOffset = u64(48);
    info.cdEnd = pos;
    return true;
  }
  return false;
}

// The directory is plausible when it fits in front of its end record.
bool Plausible(const EndInfo& info) {
  return info.cdSize <= info.cdEnd && info.cdOffset <= info.cdEnd - info.cdSize;
}

LayoutResult FindEnd(int fd, uint64_t fileSize, EndInfo& out) {
  if (fileSize < kEndSize) return LayoutResult::NotAnArchive;
  const uint64_t tailSize = std::min(fileSize, kMaxEndSearch);
  const uint64_t tailStart = fileSize - tailSize;
  std::vector<uint8_t> tail(tailSize);
  if (!ReadAt(fd, tailStart, tail.size(), tail.data())) return LayoutResult::ReadFailed;
  bool sawSignature = false;
  // A record whose comment ends the file is preferred, so that a record-like
  // sequence inside a comment is not taken for the real one; failing that,
  // the last record that fits and describes a plausible directory wins.
  for (bool exact : {true, false}) {
    for (uint64_t i = tailSize - kEndSize + 1; i-- > 0;) {
      const uint8_t* p = tail.data() + i;
      if (LoadU32LE(p) != kEndSignature) continue;
      sawSignature = true;
      const uint64_t pos = tailStart + i;
      const uint64_t recordEnd = pos + kEndSize + LoadU16LE(p + 20);
      if (exact ? recordEnd != fileSize : recordEnd > fileSize) continue;
      EndInfo info;
      info.entries = LoadU16LE(p + 10);
      info.entries16 = LoadU16LE(p + 10);
      info.multiVolume = LoadU16LE(p + 4) != 0 || LoadU16LE(p + 6) != 0 || LoadU16LE(p + 8) != info.entries16;
      info.cdSize = LoadU32LE(p + 12);
      info.cdOffset = LoadU32LE(p + 16);
      info.cdEnd = pos;
      const bool zip64 = info.entries == 0xFFFF || info.cdSize == 0xFFFFFFFF || info.cdOffset == 0xFFFFFFFF;
      if (zip64 && pos >= kZip64LocatorSize) {
        EndInfo wide;
        if (ReadZip64End(fd, pos - kZip64LocatorSize, wide) && Plausible(wide)) {
          wide.entries16 = info.entries16;
          wide.multiVolume = info.multiVolume;
          out = wide;
          return LayoutResult::Ok;
        }
      }
      if (Plausible(info)) {
        out = info;
        return LayoutResult::Ok;
      }
    }
  }
  return sawSignature ? LayoutResult::Damaged : LayoutResult::NotAnArchive;
}

// Fills the sizes and offset that a central header marks as kept in its
// zip64 extra field (id 1), in the fixed order of that field.
bool ApplyZip64Extra(std::span<const uint8_t> extra, LayoutEntry& e, bool wantU, bool wantC, bool wantO) {
  ByteReader r(extra);
  while (r.Remaining() >= 4) {
    uint16_t id = 0, size = 0;
    r.U16(id);
    r.U16(size);
    std::span<const uint8_t> body;
    if (!r.Bytes(size, body)) return false;
    if (id != 0x0001) continue;
    ByteReader z(body);
    auto u64 = [&](uint64_t& v) {
      uint32_t lo, hi;
      if (!z.U32(lo) || !z.U32(hi)) return false;
      v = lo | (uint64_t{hi} << 32);
      return true;
    };
    if (wantU && !u64(e.uncompressedSize)) return false;
    if (wantC && !u64(e.compressedSize)) return false;
    if (wantO && !u64(e.localOffset)) return false;
    return true;
  }
  return !(wantU || wantC || wantO);
}

void MarkOverlaps(std::vector<LayoutEntry>& entries) {
  std::vector<size_t> order;
  order.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].rangeValid) order.push_back(i);
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return entries[a].rangeStart < entries[b].rangeStart; });
  // Sweep in start order, remembering the range that reaches furthest.
  size_t furthest = SIZE_MAX;
  for (size_t i : order) {
    if (furthest != SIZE_MAX && entries[i].rangeStart < entries[furthest].rangeEnd) {
      entries[i].overlaps = true;
      entries[furthest].overlaps = true;
    }
    if (furthest == SIZE_MAX || entries[i].rangeEnd > entries[furthest].rangeEnd) furthest = i;
  }
}

}  // namespace

LayoutResult ReadZipLayout(int fd, uint64_t fileSize, ZipLayout& layout) {
  layout.entries.clear();
  layout.prefix = 0;
  EndInfo end;
  if (LayoutResult r = FindEnd(fd, fileSize, end); r != LayoutResult::Ok) return r;
  if (end.multiVolume) return LayoutResult::MultiVolume;
  // 0xFFFF in the 32-bit record means "see zip64" but is also what the
  // listing reads, so only a zip64 count of exactly that agrees with it.
  if (end.entries != end.entries16) return LayoutResult::Damaged;
  if (end.cdSize > kMaxCentralDirectoryBytes) return LayoutResult::TooLarge;
  // Every header takes at least 46 bytes, which caps the count before reserving.
  if (end.entries > end.cdSize / kCentralSize) return LayoutResult::Damaged;
  layout.prefix = end.cdEnd - end.cdSize - end.cdOffset;
  // libzip is handed the directory behind a 32-bit end record of our own.
  if (end.cdOffset + end.cdSize > UINT32_MAX - 1) return LayoutResult::TooLarge;
  layout.cdOffset = end.cdOffset;
  layout.cdSize = end.cdSize;

  std::vector<uint8_t> cd(end.cdSize);
  if (!ReadAt(fd, layout.prefix + end.cdOffset, cd.size(), cd.data())) return LayoutResult::ReadFailed;
  ByteReader r(cd);
  layout.entries.reserve(end.entries);
  for (uint64_t n = 0; n < end.entries; ++n) {
    std::span<const uint8_t> h;
    if (!r.Bytes(kCentralSize, h) || LoadU32LE(h.data()) != kCentralSignature) return LayoutResult::Damaged;
    LayoutEntry e;
    e.versionMadeBy = LoadU16LE(&h[4]);
    e.flags = LoadU16LE(&h[8]);
    e.method = LoadU16LE(&h[10]);
    e.crc = LoadU32LE(&h[16]);
    e.compressedSize = LoadU32LE(&h[20]);
    e.uncompressedSize = LoadU32LE(&h[24]);
    const uint16_t nameLen = LoadU16LE(&h[28]);
    const uint16_t extraLen = LoadU16LE(&h[30]);
    const uint16_t commentLen = LoadU16LE(&h[32]);
    e.externalAttributes = LoadU32LE(&h[38]);
    e.localOffset = LoadU32LE(&h[42]);
    std::span<const uint8_t> name, extra, comment;
    if (!r.Bytes(nameLen, name) || !r.Bytes(extraLen, extra) || !r.Bytes(commentLen, comment))
      return LayoutResult::Damaged;
    e.rawName.assign(name.begin(), name.end());
    if (!ApplyZip64Extra(extra, e, e.uncompressedSize == 0xFFFFFFFF, e.compressedSize == 0xFFFFFFFF,
                         e.localOffset == 0xFFFFFFFF))
      return LayoutResult::Damaged;
    layout.entries.push_back(std::move(e));
  }

  // Local headers and data lie in front of the central directory.
  uint8_t local[kLocalSize];
  for (LayoutEntry& e : layout.entries) {
    if (e.localOffset > end.cdOffset || end.cdOffset - e.localOffset < kLocalSize) continue;
    if (!ReadAt(fd, layout.prefix + e.localOffset, sizeof local, local)) continue;
    if (LoadU32LE(local) != kLocalSignature) continue;
    const uint64_t dataStart = e.localOffset + kLocalSize + LoadU16LE(local + 26) + LoadU16LE(local + 28);
    if (dataStart > end.cdOffset || e.compressedSize > end.cdOffset - dataStart) continue;
    e.rangeStart = e.localOffset;
    e.rangeEnd = dataStart + e.compressedSize;
    e.rangeValid = true;
  }
  MarkOverlaps(layout.entries);
  return LayoutResult::Ok;
}

}  // namespace tintaro::engine
