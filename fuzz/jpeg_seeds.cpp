// Writes the JPEG fuzz corpus: small files of every layout the decoder
// knows, made with the tests' builder, plus cut and spliced ones.
#include <cstdio>
#include <string>
#include <vector>

#include "support/JpegBuilder.h"
#include "support/TestFiles.h"

using tintaro::test::BuildJpeg;
using tintaro::test::GradientPixels;
using tintaro::test::JpegOptions;

int main(int argc, char** argv) {
  tintaro::test::SeedCorpus corpus(".jpg");
  const auto write = [&](std::vector<uint8_t> bytes) { corpus.Add(std::move(bytes)); };
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
  return corpus.WriteFromMain(argc, argv);
}
