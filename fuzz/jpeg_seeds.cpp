// Writes the JPEG fuzz corpus: small files of every layout the decoder
// knows, made with the tests' builder, plus cut and spliced ones.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/JpegBuilder.h"

using tintaro::test::BuildJpeg;
using tintaro::test::GradientPixels;
using tintaro::test::JpegOptions;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  int count = 0;
  const auto write = [&](const std::vector<uint8_t>& bytes) {
    const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(count++) + ".jpg";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  const std::vector<JpegOptions> layouts = {
      {},
      {.progressive = true},
      {.greyscale = true},
      {.progressive = true, .greyscale = true},
      {.cmyk = true},
      {.progressive = true, .cmyk = true},
      {.quality = 30, .subsample = true},
      {.progressive = true, .subsample = true},
      {.twoComponents = true},
  };
  for (const JpegOptions& options : layouts) {
    for (const auto& [width, height] : {std::pair{8, 8}, std::pair{17, 9}, std::pair{40, 24}}) {
      write(BuildJpeg(width, height, GradientPixels(width, height), options));
    }
  }
  const std::vector<uint8_t> baseline = BuildJpeg(32, 32, GradientPixels(32, 32));
  const tintaro::test::ScanData scan = tintaro::test::FirstScanData(baseline);
  write({baseline.begin(), baseline.begin() + static_cast<std::ptrdiff_t>((scan.begin + scan.end) / 2)});
  write({baseline.begin(), baseline.begin() + static_cast<std::ptrdiff_t>(scan.begin)});
  const std::vector<uint8_t> progressive = BuildJpeg(32, 32, GradientPixels(32, 32), {.progressive = true});
  write(tintaro::test::RepeatFirstScan(progressive, 3));
  write(tintaro::test::RepeatFirstScan(progressive, 300));
  std::printf("%d seeds\n", count);
  return 0;
}
