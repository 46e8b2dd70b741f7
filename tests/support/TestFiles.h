// Writing test input to disk, for tests, fuzz seed writers and benchmarks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tintaro::test {

// Writes the bytes to `path`, replacing it; throws std::runtime_error on failure.
void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

// A fuzz target's seed corpus, collected in memory and written as
// seedN + extension into the folder named by the program's first argument.
class SeedCorpus {
 public:
  explicit SeedCorpus(std::string extension = "") : extension_(std::move(extension)) {}
  void Add(std::vector<uint8_t> bytes) { seeds_.push_back(std::move(bytes)); }
  size_t Size() const { return seeds_.size(); }
  // The exit code of a seed writer's main.
  int WriteFromMain(int argc, char** argv) const;

 private:
  std::string extension_;
  std::vector<std::vector<uint8_t>> seeds_;
};

}  // namespace tintaro::test
