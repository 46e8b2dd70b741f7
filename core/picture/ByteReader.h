// A cursor over a byte span that checks bounds on every read. Parsers of
// files from outside read through it and never cast structs over bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace tintaro {

inline uint16_t LoadU16LE(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32LE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32LE(const uint8_t* p) { return static_cast<int32_t>(LoadU32LE(p)); }

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Size() const { return bytes_.size(); }
  size_t Offset() const { return offset_; }
  size_t Remaining() const { return bytes_.size() - offset_; }
  bool CanRead(size_t n) const { return n <= Remaining(); }

  // Moves to an absolute offset; false (and no move) beyond the end.
  bool Seek(size_t offset) {
    if (offset > bytes_.size()) return false;
    offset_ = offset;
    return true;
  }
  bool Skip(size_t n) {
    if (!CanRead(n)) return false;
    offset_ += n;
    return true;
  }

  // Each read returns false and consumes nothing when too few bytes remain.
  bool U8(uint8_t& v) {
    if (!CanRead(1)) return false;
    v = bytes_[offset_++];
    return true;
  }
  bool U16(uint16_t& v) {
    if (!CanRead(2)) return false;
    v = LoadU16LE(bytes_.data() + offset_);
    offset_ += 2;
    return true;
  }
  bool U32(uint32_t& v) {
    if (!CanRead(4)) return false;
    v = LoadU32LE(bytes_.data() + offset_);
    offset_ += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool Bytes(size_t n, std::span<const uint8_t>& out) {
    if (!CanRead(n)) return false;
    out = bytes_.subspan(offset_, n);
    offset_ += n;
    return true;
  }
  // The rest of the data from the cursor on, without consuming it.
  std::span<const uint8_t> Rest() const { return bytes_.subspan(offset_); }

 private:
  std::span<const uint8_t> bytes_;
  size_t offset_ = 0;
};

}  // namespace tintaro
