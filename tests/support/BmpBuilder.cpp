// Byte-by-byte BMP writer for tests, seeds and benchmarks.
#include "support/BmpBuilder.h"
#include "support/LittleEndian.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace tintaro::test {

namespace {


uint32_t HeaderSize(DibHeaderKind kind) {
  switch (kind) {
    case DibHeaderKind::Core12: return 12;
    case DibHeaderKind::Info40: return 40;
    case DibHeaderKind::Info52: return 52;
    case DibHeaderKind::Info56: return 56;
    case DibHeaderKind::V4: return 108;
    case DibHeaderKind::V5: return 124;
  }
  return 40;
}

// Rows in stored order, each padded to 4 bytes.
std::vector<uint8_t> EncodeRows(int width, int height, const std::vector<uint32_t>& pixels,
                                const BmpOptions& o) {
  const size_t stride = (static_cast<size_t>(width) * o.bitsPerPixel + 31) / 32 * 4;
  std::vector<uint8_t> out;
  out.reserve(stride * height);
  for (int i = 0; i < height; ++i) {
    const int y = o.topDown ? i : height - 1 - i;
    const uint32_t* row = pixels.data() + static_cast<size_t>(y) * width;
    std::vector<uint8_t> bytes(stride, 0);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = row[x];
      switch (o.bitsPerPixel) {
        case 1: bytes[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8)); break;
        case 4: bytes[x / 2] |= static_cast<uint8_t>((v & 15) << (x % 2 ? 0 : 4)); break;
        case 8: bytes[x] = static_cast<uint8_t>(v); break;
        case 16:
          bytes[2 * x] = static_cast<uint8_t>(v);
          bytes[2 * x + 1] = static_cast<uint8_t>(v >> 8);
          break;
        case 24:
          bytes[3 * x] = static_cast<uint8_t>(v >> 16);
          bytes[3 * x + 1] = static_cast<uint8_t>(v >> 8);
          bytes[3 * x + 2] = static_cast<uint8_t>(v);
          break;
        case 32:
          if (o.compression == kBitfields || o.compression == kAlphaBitfields) {
            for (int k = 0; k < 4; ++k) bytes[4 * x + k] = static_cast<uint8_t>(v >> (8 * k));
          } else {
            bytes[4 * x] = static_cast<uint8_t>(v >> 16);
            bytes[4 * x + 1] = static_cast<uint8_t>(v >> 8);
            bytes[4 * x + 2] = static_cast<uint8_t>(v);
            bytes[4 * x + 3] = static_cast<uint8_t>(v >> 24);
          }
          break;
        default: throw std::invalid_argument("BuildDib: no encoder for this bit depth");
      }
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::vector<uint8_t> EncodeRle(int width, int height, const std::vector<uint32_t>& indices, bool four) {
  std::vector<uint8_t> out;
  for (int i = 0; i < height; ++i) {
    const uint32_t* row = indices.data() + static_cast<size_t>(height - 1 - i) * width;
    for (int x = 0; x < width;) {
      int run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(static_cast<uint8_t>(four ? (row[x] & 15) * 0x11 : row[x]));
      x += run;
    }
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(0);
  out.push_back(1);
  return out;
}

}  // namespace

std::vector<uint8_t> BuildDib(int width, int height, const std::vector<uint32_t>& pixels,
                              const BmpOptions& o) {
  const uint32_t size = HeaderSize(o.header);
  const bool core = o.header == DibHeaderKind::Core12;
  std::vector<uint8_t> pixelBytes;
  if (o.pixelData) {
    pixelBytes = *o.pixelData;
  } else {
    if (pixels.size() != static_cast<size_t>(width) * height)
      throw std::invalid_argument("BuildDib: pixel count differs from width x height");
    pixelBytes = EncodeRows(width, height, pixels, o);
  }
  const int32_t widthField = o.widthField.value_or(width);
  const int32_t heightField = o.heightField.value_or(o.topDown ? -height : height);

  std::vector<uint8_t> b;
  AppendU32LE(b, size);
  if (core) {
    AppendU16LE(b, static_cast<uint32_t>(widthField));
    AppendU16LE(b, static_cast<uint32_t>(heightField));
    AppendU16LE(b, o.planes);
    AppendU16LE(b, o.bitsPerPixel);
  } else {
    AppendU32LE(b, static_cast<uint32_t>(widthField));
    AppendU32LE(b, static_cast<uint32_t>(heightField));
    AppendU16LE(b, o.planes);
    AppendU16LE(b, o.bitsPerPixel);
    AppendU32LE(b, o.compression);
    AppendU32LE(b, static_cast<uint32_t>(pixelBytes.size()));
    AppendU32LE(b, 2835);  // 72 dpi
    AppendU32LE(b, 2835);
    AppendU32LE(b, o.colorsUsed.value_or(static_cast<uint32_t>(o.palette.size())));
    AppendU32LE(b, 0);
    // Masks inside the larger headers, then zeros for colour space fields.
    for (int i = 0; i < 4 && b.size() < size; ++i) AppendU32LE(b, o.masks[i]);
    while (b.size() < size) b.push_back(0);
    // Masks the header has no room for follow it.
    if (o.compression == kBitfields || o.compression == kAlphaBitfields) {
      const uint32_t inside = std::min<uint32_t>(4, (size - 40) / 4);
      const uint32_t needed = o.compression == kAlphaBitfields ? 4 : 3;
      for (uint32_t i = inside; i < needed; ++i) AppendU32LE(b, o.masks[i]);
    }
  }
  for (uint32_t c : o.palette) {
    b.push_back(static_cast<uint8_t>(c >> 16));
    b.push_back(static_cast<uint8_t>(c >> 8));
    b.push_back(static_cast<uint8_t>(c));
    if (!core) b.push_back(0);
  }
  b.insert(b.end(), o.gapBeforePixels, 0);
  b.insert(b.end(), pixelBytes.begin(), pixelBytes.end());
  return b;
}

std::vector<uint8_t> BuildBmp(int width, int height, const std::vector<uint32_t>& pixels,
                              const BmpOptions& o) {
  const std::vector<uint8_t> dib = BuildDib(width, height, pixels, o);
  const size_t pixelBytes = o.pixelData ? o.pixelData->size()
                                        : (static_cast<size_t>(width) * o.bitsPerPixel + 31) / 32 * 4 * height;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  AppendU32LE(b, static_cast<uint32_t>(14 + dib.size()));
  AppendU32LE(b, 0);
  AppendU32LE(b, o.offBits.value_or(static_cast<uint32_t>(14 + dib.size() - pixelBytes)));
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

std::vector<uint8_t> EncodeRle8(int width, int height, const std::vector<uint32_t>& indices) {
  return EncodeRle(width, height, indices, false);
}
std::vector<uint8_t> EncodeRle4(int width, int height, const std::vector<uint32_t>& indices) {
  return EncodeRle(width, height, indices, true);
}

}  // namespace tintaro::test
