// Writes the seed corpus of the solution reader's fuzz target: the files of
// the reader's tests, built with the tests' SolutionBuilder.
#include <cstdio>
#include <string>
#include <vector>

#include "support/SolutionBuilder.h"
#include "support/TestFiles.h"

using tintaro::test::SolutionBuilder;

int main(int argc, char** argv) {
  std::vector<SolutionBuilder> seeds;
  seeds.push_back(SolutionBuilder().Header(-1, -1, 5));
  seeds.push_back(SolutionBuilder().Header(2, 1, 7).Target(1, 1).Stray(2, 2).Target(3, 3).Target(5, 5).Stray(6, 6, 9));
  seeds.push_back(SolutionBuilder().Header(1, 1, 0).Option(2, -4).Target(1, 1).Stray(6, 6));
  seeds.push_back(SolutionBuilder().Header(0, 0, 0).Option(0, -2).Target(1, 1).Stray(6, 6));
  seeds.push_back(SolutionBuilder().Header(0, 0, 0).Option(-1, -3).Target(1, 1).Stray(6, 6).Truncate(5));
  seeds.push_back(SolutionBuilder().Header(-3, 1, 1));
  seeds.push_back(SolutionBuilder().Header(0x7FFFFFFF, 0, 1).Target(1, 1));
  SolutionBuilder many;
  many.Header(1000, -1, 1);
  for (int i = 0; i <= 1000; ++i) many.Target(i % 8, i % 7);
  seeds.push_back(many);
  SolutionBuilder beyond;
  beyond.Header(1200, -1190, 0).Option(5, 0);
  for (int i = 0; i < 11; ++i) beyond.Target(i % 8, 1);
  seeds.push_back(beyond);
  tintaro::test::SeedCorpus corpus(".trs");
  for (const SolutionBuilder& seed : seeds) corpus.Add(seed.Bytes());
  return corpus.WriteFromMain(argc, argv);
}
