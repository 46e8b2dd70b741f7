// Writes the seed corpus of the directory reader's fuzz target.
#include "ArchiveSeeds.h"

int main(int argc, char** argv) {
  tintaro::test::SeedCorpus corpus;
  for (auto& seed : tintaro::fuzz::ArchiveSeeds()) corpus.Add(std::move(seed));
  return corpus.WriteFromMain(argc, argv);
}
