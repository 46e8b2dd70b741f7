// Writing test input to disk.
#include "support/TestFiles.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>

namespace tintaro::test {

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

int SeedCorpus::WriteFromMain(int argc, char** argv) const {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  try {
    for (size_t i = 0; i < seeds_.size(); ++i) {
      WriteFileBytes(std::string(argv[1]) + "/seed" + std::to_string(i) + extension_, seeds_[i]);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace tintaro::test
