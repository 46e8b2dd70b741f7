// Reading a device-independent bitmap (header, masks, colour table, pixel
// rows), shared by the BMP decoder and the icon decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tintaro {

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;
inline constexpr uint32_t kBiAlphaBitfields = 6;

inline constexpr uint32_t kCoreHeaderSize = 12;
inline constexpr uint32_t kInfoHeaderSize = 40;

// What a DIB header says about its pixels. Offsets are from the start of the
// DIB (the header's size field).
struct DibLayout {
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // rows of the colour image, always positive
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  // Red, green, blue and alpha masks for 16 and 32 bits per pixel; a zero
  // mask gives 0 for its channel.
  std::array<uint32_t, 4> masks{};
  uint64_t tableOffset = 0;  // just past the header and any masks after it
  uint64_t tableEntries = 0;  // as declared; only the first 2^bitCount are used
  uint32_t entrySize = 4;     // 3 for core headers
  uint64_t tableEnd = 0;      // where the pixels follow when nothing says otherwise
  // Colour table as 0x00BBGGRR. Indices past the declared table read black.
  std::array<uint32_t, 256> palette{};

  // Bytes per stored row of an uncompressed picture (rows pad to 4 bytes).
  uint64_t Stride() const { return (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4; }
  bool Compressed() const { return compression == kBiRle8 || compression == kBiRle4; }
};

enum class DibStatus {
  Ok,
  HeaderCut,  // the data ends inside the header or its masks
  Invalid,    // a field this decoder cannot or will not accept (sizes included)
  TableCut,   // the data ends inside the declared colour table
};

// Reads the header, masks and colour table of the DIB at the start of `dib`.
// `iconImage`: the declared height covers the colour image and the AND mask
// below it, so the picture has half as many rows. `pixelOffsetHint` is where
// an outer header says the pixels begin (0 if nothing says): a core header's
// table is taken to end there when it is shorter than the full table.
DibStatus ReadDibLayout(std::span<const uint8_t> dib, bool iconImage, uint64_t pixelOffsetHint,
                        DibLayout& layout);

// Decodes the pixel data into width x height pixels at `out`, row 0 at the
// top. Rows the data does not reach, and pixels a compressed stream skips or
// never reaches, take the value of zero bits (palette entry 0 for
// palettised pictures). `keepAlpha` keeps the alpha channel of 32-bit
// pictures in the high byte; otherwise the high byte is 0.
void DecodeDibPixels(const DibLayout& layout, std::span<const uint8_t> data, uint32_t* out,
                     bool keepAlpha);

}  // namespace tintaro
