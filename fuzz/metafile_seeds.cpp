// Writes the metafile fuzz corpus: WMF with and without the placeable
// header, and EMF, made with the tests' builder.
#include <cstdio>
#include <string>
#include <vector>

#include "support/MetafileBuilder.h"
#include "support/TestFiles.h"

using tintaro::test::BuildEmf;
using tintaro::test::BuildWmf;
using tintaro::test::EmfOptions;
using tintaro::test::WmfOptions;

int main(int argc, char** argv) {
  tintaro::test::SeedCorpus corpus;
  const auto write = [&](std::vector<uint8_t> bytes) { corpus.Add(std::move(bytes)); };
  WmfOptions wmf;
  write(BuildWmf(wmf));
  wmf.windowExt = std::pair<int16_t, int16_t>{120, 80};
  write(BuildWmf(wmf));
  wmf.placeable = false;
  write(BuildWmf(wmf));
  wmf.version = 0x0100;
  wmf.type = 2;
  write(BuildWmf(wmf));
  wmf.windowExt.reset();
  wmf.endRecord = false;
  write(BuildWmf(wmf));

  EmfOptions emf;
  write(BuildEmf(emf));
  emf.headerSize = 88;
  write(BuildEmf(emf));
  emf.frame[2] = emf.frame[0];
  write(BuildEmf(emf));
  return corpus.WriteFromMain(argc, argv);
}
