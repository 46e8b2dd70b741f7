// Writes icon and cursor resource files byte by byte for tests and fuzz seeds.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/BmpBuilder.h"

namespace tintaro::test {

struct IconImage {
  int width = 1;
  int height = 1;
  // As for BuildDib: palette indices, raw words or colours, row 0 at the top.
  std::vector<uint32_t> pixels;
  BmpOptions dib;  // bit depth, palette, header kind; the height field doubles
  // width x height values of 0 or 1, row 0 at the top; empty means all 0.
  std::vector<uint8_t> andMask;
  // When set, stored as the image's bytes instead of a DIB (PNG and junk).
  std::optional<std::vector<uint8_t>> rawData;
  // Directory fields in place of the ones worked out from the image.
  std::optional<uint32_t> sizeField;
  std::optional<uint32_t> offsetField;
  uint16_t bitCountField = 0;
};

// The image's bytes as stored: DIB with doubled height, then the AND mask.
std::vector<uint8_t> BuildIconImage(const IconImage& image);

// type 1 is an icon, 2 a cursor; `countField` overrides the image count.
std::vector<uint8_t> BuildIcon(const std::vector<IconImage>& images, uint16_t type = 1,
                               std::optional<uint16_t> countField = std::nullopt, uint16_t reserved = 0);

// The first bytes of a PNG file: enough for a decoder to recognise one.
std::vector<uint8_t> PngStub(int width, int height);

}  // namespace tintaro::test
