// Builds solution files byte by byte: 12-byte little-endian records of three
// signed 32-bit integers, plus raw bytes for files cut short or padded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tintaro::test {

class SolutionBuilder {
 public:
  SolutionBuilder& Record(int32_t x, int32_t y, int32_t kind);
  // The header: last target index, last stray index, and 0 when an option
  // record follows.
  SolutionBuilder& Header(int32_t lastTarget, int32_t lastStray, int32_t kind = 1) {
    return Record(lastTarget, lastStray, kind);
  }
  SolutionBuilder& Option(int32_t hints, int32_t mode) { return Record(hints, mode, 0); }
  SolutionBuilder& Target(int32_t x, int32_t y) { return Record(x, y, 1); }
  SolutionBuilder& Stray(int32_t x, int32_t y, int32_t kind = 0) { return Record(x, y, kind); }
  SolutionBuilder& Raw(const std::vector<uint8_t>& bytes);
  // Drops the last n bytes (a file cut short).
  SolutionBuilder& Truncate(size_t n);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  // Writes the bytes to `path`, replacing the file.
  void WriteTo(const std::string& path) const;

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace tintaro::test
