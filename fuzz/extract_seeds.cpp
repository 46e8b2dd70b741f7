// Writes the seed corpus of the listing-and-extraction fuzz target.
#include <cstdio>
#include <string>

#include "ArchiveSeeds.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const auto seeds = tintaro::fuzz::ArchiveSeeds();
  for (size_t i = 0; i < seeds.size(); ++i) {
    const std::string path = std::string(argv[1]) + "/seed" + std::to_string(i);
    if (!tintaro::test::WriteBytes(path, seeds[i])) return 1;
  }
  return 0;
}
