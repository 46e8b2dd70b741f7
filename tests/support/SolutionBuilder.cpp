// Byte-level builder of solution files for tests, seeds and benchmarks.
#include "support/SolutionBuilder.h"
#include "support/TestFiles.h"

#include <fstream>
#include <stdexcept>

namespace tintaro::test {

namespace {

void PutI32(std::vector<uint8_t>& out, int32_t value) {
  const uint32_t u = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(u >> shift));
}

}  // namespace

SolutionBuilder& SolutionBuilder::Record(int32_t x, int32_t y, int32_t kind) {
  PutI32(bytes_, x);
  PutI32(bytes_, y);
  PutI32(bytes_, kind);
  return *this;
}

SolutionBuilder& SolutionBuilder::Raw(const std::vector<uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

SolutionBuilder& SolutionBuilder::Truncate(size_t n) {
  bytes_.resize(n >= bytes_.size() ? 0 : bytes_.size() - n);
  return *this;
}

void SolutionBuilder::WriteTo(const std::string& path) const { WriteFileBytes(path, bytes_); }

}  // namespace tintaro::test
