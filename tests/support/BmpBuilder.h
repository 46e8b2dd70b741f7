// Writes BMP files and bare device-independent bitmaps byte by byte, for
// tests, fuzz seeds and benchmarks.
#pragma once

#include "support/TestFiles.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tintaro::test {

// The header kinds by their size in bytes: 12, 40, 52, 56, 108 and 124.
enum class DibHeaderKind { Core12, Info40, Info52, Info56, V4, V5 };

inline constexpr uint32_t kRgb = 0;
inline constexpr uint32_t kRle8 = 1;
inline constexpr uint32_t kRle4 = 2;
inline constexpr uint32_t kBitfields = 3;
inline constexpr uint32_t kAlphaBitfields = 6;

struct BmpOptions {
  int bitsPerPixel = 24;
  DibHeaderKind header = DibHeaderKind::Info40;
  uint32_t compression = kRgb;
  bool topDown = false;  // negative height, rows stored top first
  // Colour table as 0x00BBGGRR colours, written as B, G, R (, 0).
  std::vector<uint32_t> palette;
  // The header's colour count; by default palette.size().
  std::optional<uint32_t> colorsUsed;
  // Red, green, blue, alpha masks: inside the larger headers; with bit-field
  // compression those the header has no room for follow it.
  std::array<uint32_t, 4> masks{};
  uint16_t planes = 1;
  // Raw header fields in place of the ones worked out from the picture.
  std::optional<int32_t> widthField;
  std::optional<int32_t> heightField;
  std::optional<uint32_t> offBits;  // BMP files only
  // Written in place of the encoded pixels when set (run-length streams,
  // short or odd data).
  std::optional<std::vector<uint8_t>> pixelData;
  size_t gapBeforePixels = 0;  // zero bytes between the table and the pixels
};

// `pixels` holds width x height values, row 0 at the top:
//  1, 4, 8 bits: palette indices;  16 bits: raw 16-bit words;
//  24 bits: 0x00BBGGRR colours;    32 bits: 0xAABBGGRR stored as B, G, R, A,
//  or raw 32-bit words with bit fields.
std::vector<uint8_t> BuildDib(int width, int height, const std::vector<uint32_t>& pixels,
                              const BmpOptions& options = {});
// The same with the 14-byte "BM" file header in front.
std::vector<uint8_t> BuildBmp(int width, int height, const std::vector<uint32_t>& pixels,
                              const BmpOptions& options = {});

// Run-length streams of palette indices (row 0 at the top, stored bottom
// row first): repeated runs only, an end of line per row, an end of bitmap.
std::vector<uint8_t> EncodeRle8(int width, int height, const std::vector<uint32_t>& indices);
std::vector<uint8_t> EncodeRle4(int width, int height, const std::vector<uint32_t>& indices);

// Writes the bytes to a file, replacing it; throws std::runtime_error on failure.

}  // namespace tintaro::test
