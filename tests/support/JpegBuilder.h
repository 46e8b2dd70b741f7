// Makes JPEG files in memory with libjpeg's compressor, and crafts the odd
// files the decoder must refuse by splicing real ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tintaro::test {

struct JpegOptions {
  bool progressive = false;
  bool greyscale = false;  // one component; pixels give their red channel
  bool cmyk = false;       // four components, Adobe-inverted as Photoshop writes
  bool plainInks = false;  // with cmyk: no Adobe marker, inks stored as they are
  int quality = 95;
  bool subsample = false;      // 4:2:0 chroma instead of full resolution
  bool twoComponents = false;  // a colour layout no viewer knows: red and green samples
};

// Compresses width x height pixels of 0x00BBGGRR (row 0 at the top). For
// cmyk each pixel's channels are inked as C = 255 - R, M = 255 - G,
// Y = 255 - B, K = 0, so the file should decode back to the same colour.
std::vector<uint8_t> BuildJpeg(int width, int height, const std::vector<uint32_t>& pixels,
                               const JpegOptions& options = {});

// A picture of width x height with smooth gradients and a few flat blocks,
// easy on JPEG so decoded pixels stay close to the originals.
std::vector<uint32_t> GradientPixels(int width, int height);

// Rewrites the size in the first frame header (SOFn) of a JPEG.
void SetJpegFrameSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height);

// Keeps everything before the first scan, then writes the first scan (its
// tables and entropy data) `count` times and an end marker. Made from a
// progressive file this is a valid header followed by `count` scans.
std::vector<uint8_t> RepeatFirstScan(const std::vector<uint8_t>& jpeg, int count);

// Where the first scan's entropy data begins (just after its SOS header) and
// ends (at the next marker), for cutting a file inside its picture data.
struct ScanData {
  size_t begin = 0;
  size_t end = 0;
};
ScanData FirstScanData(const std::vector<uint8_t>& jpeg);

}  // namespace tintaro::test
