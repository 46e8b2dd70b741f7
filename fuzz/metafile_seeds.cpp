// Writes the metafile fuzz corpus: WMF with and without the placeable
// header, and EMF, made with the tests' builder.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/MetafileBuilder.h"

using tintaro::test::BuildEmf;
using tintaro::test::BuildWmf;
using tintaro::test::EmfOptions;
using tintaro::test::WmfOptions;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  int count = 0;
  const auto write = [&](const std::vector<uint8_t>& bytes) {
    const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(count++);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
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
  std::printf("%d seeds\n", count);
  return 0;
}
