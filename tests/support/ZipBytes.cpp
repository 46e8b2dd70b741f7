// Builds zip archives byte by byte, including layouts no writer library
// would produce.
#include "support/ZipBytes.h"
#include "support/LittleEndian.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace tintaro::test {

namespace {

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}

void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
void Append(Bytes& b, const std::string& more) { b.insert(b.end(), more.begin(), more.end()); }

}  // namespace

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

uint32_t Crc32Of(const Bytes& data) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (uint8_t b : data) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint16_t GetU16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8)); }

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  Append(out, b);
  return out;
}

Bytes Repeat(uint8_t value, size_t count) { return Bytes(count, value); }

ZipBytes& ZipBytes::Add(ZipEntrySpec entry) {
  entries_.push_back(std::move(entry));
  return *this;
}

ZipBytes& ZipBytes::Add(const std::string& name, const std::string& data) {
  ZipEntrySpec e;
  e.name = name;
  e.data = ToBytes(data);
  return Add(std::move(e));
}

ZipBytes& ZipBytes::Comment(std::string comment) {
  comment_ = std::move(comment);
  return *this;
}

Bytes ZipBytes::LocalHeader(const ZipEntrySpec& e) const {
  Bytes b;
  AppendU32LE(b, 0x04034b50);
  AppendU16LE(b, e.version);
  AppendU16LE(b, e.flags);
  AppendU16LE(b, 0);  // stored
  AppendU32LE(b, e.dosDateTime);
  AppendU32LE(b, Crc32Of(e.data));
  AppendU32LE(b, static_cast<uint32_t>(e.data.size()));
  AppendU32LE(b, static_cast<uint32_t>(e.data.size()));
  AppendU16LE(b, static_cast<uint16_t>(e.name.size()));
  AppendU16LE(b, static_cast<uint16_t>(e.extra.size()));
  Append(b, e.name);
  Append(b, e.extra);
  return b;
}

Bytes ZipBytes::CentralHeader(const ZipEntrySpec& e, uint32_t localOffset, uint16_t disk) const {
  Bytes b;
  AppendU32LE(b, 0x02014b50);
  b.push_back(e.version);
  b.push_back(e.hostOS);
  AppendU16LE(b, 20);
  AppendU16LE(b, e.flags);
  AppendU16LE(b, 0);
  AppendU32LE(b, e.dosDateTime);
  AppendU32LE(b, Crc32Of(e.data));
  AppendU32LE(b, static_cast<uint32_t>(e.data.size()));
  AppendU32LE(b, static_cast<uint32_t>(e.data.size()));
  AppendU16LE(b, static_cast<uint16_t>(e.name.size()));
  AppendU16LE(b, static_cast<uint16_t>(e.extra.size()));
  AppendU16LE(b, static_cast<uint16_t>(e.comment.size()));
  AppendU16LE(b, disk);
  AppendU16LE(b, 0);
  AppendU32LE(b, e.externalAttributes);
  AppendU32LE(b, localOffset);
  Append(b, e.name);
  Append(b, e.extra);
  Append(b, e.comment);
  return b;
}

Bytes EndRecord(uint16_t thisDisk, uint16_t startDisk, uint16_t entriesHere, uint16_t totalEntries,
                uint32_t directorySize, uint32_t directoryOffset, uint16_t commentLength) {
  Bytes b;
  AppendU32LE(b, 0x06054b50);
  AppendU16LE(b, thisDisk);
  AppendU16LE(b, startDisk);
  AppendU16LE(b, entriesHere);
  AppendU16LE(b, totalEntries);
  AppendU32LE(b, directorySize);
  AppendU32LE(b, directoryOffset);
  AppendU16LE(b, commentLength);
  return b;
}

Bytes ZipBytes::Build(ZipLayout* layout) const {
  ZipLayout l;
  Bytes out;
  for (const ZipEntrySpec& e : entries_) {
    l.localOffsets.push_back(out.size());
    Append(out, LocalHeader(e));
    Append(out, e.data);
  }
  l.centralStart = out.size();
  for (size_t i = 0; i < entries_.size(); ++i) {
    l.centralOffsets.push_back(out.size());
    Append(out, CentralHeader(entries_[i], static_cast<uint32_t>(l.localOffsets[i]), 0));
  }
  l.centralSize = out.size() - l.centralStart;
  l.endOffset = out.size();
  const auto count = static_cast<uint16_t>(entries_.size());
  Append(out, EndRecord(0, 0, count, count, static_cast<uint32_t>(l.centralSize),
                        static_cast<uint32_t>(l.centralStart), static_cast<uint16_t>(comment_.size())));
  Append(out, comment_);
  if (layout) *layout = l;
  return out;
}

std::vector<Bytes> ZipBytes::BuildSpanned(size_t volumeSize) const {
  if (volumeSize == 0) throw std::invalid_argument("volume size 0");
  std::vector<Bytes> volumes(1);
  // Places a piece that must stay whole; returns its disk and offset there.
  auto whole = [&](const Bytes& piece) {
    if (!volumes.back().empty() && volumes.back().size() + piece.size() > volumeSize) volumes.emplace_back();
    std::pair<uint16_t, uint32_t> at{static_cast<uint16_t>(volumes.size() - 1),
                                     static_cast<uint32_t>(volumes.back().size())};
    Append(volumes.back(), piece);
    return at;
  };
  auto split = [&](const Bytes& piece) {
    size_t done = 0;
    while (done < piece.size()) {
      if (volumes.back().size() >= volumeSize) volumes.emplace_back();
      const size_t take = std::min(piece.size() - done, volumeSize - volumes.back().size());
      volumes.back().insert(volumes.back().end(), piece.begin() + done, piece.begin() + done + take);
      done += take;
    }
  };
  Bytes marker;
  AppendU32LE(marker, 0x08074b50);
  whole(marker);
  std::vector<std::pair<uint16_t, uint32_t>> locals;
  for (const ZipEntrySpec& e : entries_) {
    locals.push_back(whole(LocalHeader(e)));
    split(e.data);
  }
  std::pair<uint16_t, uint32_t> start{};
  size_t directorySize = 0;
  uint16_t onLast = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Bytes header = CentralHeader(entries_[i], locals[i].second, locals[i].first);
    const auto before = volumes.size();
    auto at = whole(header);
    if (i == 0) start = at;
    onLast = volumes.size() != before ? 1 : static_cast<uint16_t>(onLast + 1);
    directorySize += header.size();
  }
  Bytes end = EndRecord(0, start.first, onLast, static_cast<uint16_t>(entries_.size()),
                        static_cast<uint32_t>(directorySize), start.second, static_cast<uint16_t>(comment_.size()));
  Append(end, comment_);
  const auto before = volumes.size();
  whole(end);
  if (volumes.size() != before) onLast = 0;
  Bytes& last = volumes.back();
  const size_t endAt = last.size() - end.size();
  PutU16(last, endAt + 4, static_cast<uint16_t>(volumes.size() - 1));
  PutU16(last, endAt + 8, onLast);
  return volumes;
}

}  // namespace tintaro::test
