// Device-independent bitmap reading: header checks, colour table, and the row
// converters for every bit depth and the two run-length encodings.
#include "core/picture/Dib.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/picture/ByteReader.h"
#include "core/picture/Picture.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TINTARO_DIB_X86 1
#endif

namespace tintaro {

namespace {

// Info header field offsets (the core header keeps 16-bit sizes instead).
constexpr size_t kInfoWidth = 4;
constexpr size_t kInfoHeight = 8;
constexpr size_t kInfoPlanes = 12;
constexpr size_t kInfoBitCount = 14;
constexpr size_t kInfoCompression = 16;
constexpr size_t kInfoColorsUsed = 32;
constexpr size_t kInfoMasks = 40;  // red, green, blue in 52+ byte headers, alpha in 56+

bool BitCountKnown(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// One channel of a bit-field pixel scaled to 0..255, whatever the mask's width.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  uint32_t operator()(uint32_t v) const {
    if (max == 0) return 0;
    return static_cast<uint32_t>((((v & mask) >> shift) * 255 + max / 2) / max);
  }
};

struct RowContext {
  const DibLayout* layout;
  size_t width;
  bool keepAlpha;
  Channel red, green, blue, alpha;
};

void Row1(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  const uint32_t* pal = c.layout->palette.data();
  size_t x = 0;
  for (; x + 8 <= c.width; x += 8) {
    const unsigned b = *src++;
    for (int i = 0; i < 8; ++i) dst[x + i] = pal[(b >> (7 - i)) & 1];
  }
  if (x < c.width) {
    const unsigned b = *src;
    for (int i = 0; x < c.width; ++i, ++x) dst[x] = pal[(b >> (7 - i)) & 1];
  }
}

void Row4(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  const uint32_t* pal = c.layout->palette.data();
  size_t x = 0;
  for (; x + 2 <= c.width; x += 2) {
    const unsigned b = *src++;
    dst[x] = pal[b >> 4];
    dst[x + 1] = pal[b & 15];
  }
  if (x < c.width) dst[x] = pal[*src >> 4];
}

void Row8(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  const uint32_t* pal = c.layout->palette.data();
  size_t x = 0;
  for (; x + 4 <= c.width; x += 4) {
    dst[x] = pal[src[x]];
    dst[x + 1] = pal[src[x + 1]];
    dst[x + 2] = pal[src[x + 2]];
    dst[x + 3] = pal[src[x + 3]];
  }
  for (; x < c.width; ++x) dst[x] = pal[src[x]];
}

void Row16(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  for (size_t x = 0; x < c.width; ++x) {
    const uint32_t v = LoadU16LE(src + 2 * x);
    uint32_t p = c.red(v) | (c.green(v) << 8) | (c.blue(v) << 16);
    if (c.keepAlpha) p |= c.alpha(v) << 24;
    dst[x] = p;
  }
}

void Row32Fields(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  for (size_t x = 0; x < c.width; ++x) {
    const uint32_t v = LoadU32LE(src + 4 * x);
    uint32_t p = c.red(v) | (c.green(v) << 8) | (c.blue(v) << 16);
    if (c.keepAlpha) p |= c.alpha(v) << 24;
    dst[x] = p;
  }
}

// Stored B, G, R, X; wanted R, G, B in the low three bytes.
void Row32(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  const uint32_t keep = c.keepAlpha ? 0xFF000000u : 0;
  for (size_t x = 0; x < c.width; ++x) {
    const uint32_t v = LoadU32LE(src + 4 * x);
    dst[x] = (__builtin_bswap32(v) >> 8) | (v & keep);
  }
}

void Row24Tail(const uint8_t* src, uint32_t* dst, size_t from, size_t to) {
  for (size_t x = from; x < to; ++x) {
    const uint8_t* p = src + 3 * x;
    dst[x] = p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
  }
}

void Row24(const RowContext& c, const uint8_t* src, uint32_t* dst) {
  // Reading 4 bytes per pixel is safe on all but the row's last pixel.
  size_t x = 0;
  if (c.width > 1) {
    for (; x + 1 < c.width; ++x) {
      uint32_t v;
      std::memcpy(&v, src + 3 * x, 4);
      dst[x] = __builtin_bswap32(v) >> 8;
    }
  }
  Row24Tail(src, dst, x, c.width);
}

#ifdef TINTARO_DIB_X86
// 16 pixels from exactly 48 bytes per step: no read past the row.
__attribute__((target("ssse3"))) void Row24Ssse3(const RowContext& c, const uint8_t* src,
                                                 uint32_t* dst) {
  const __m128i shuffle = _mm_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128);
  size_t x = 0;
  for (; x + 16 <= c.width; x += 16) {
    const uint8_t* s = src + 3 * x;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32));
    __m128i* o = reinterpret_cast<__m128i*>(dst + x);
    _mm_storeu_si128(o, _mm_shuffle_epi8(a, shuffle));
    _mm_storeu_si128(o + 1, _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), shuffle));
    _mm_storeu_si128(o + 2, _mm_shuffle_epi8(_mm_alignr_epi8(d, b, 8), shuffle));
    _mm_storeu_si128(o + 3, _mm_shuffle_epi8(_mm_srli_si128(d, 4), shuffle));
  }
  Row24Tail(src, dst, x, c.width);
}

bool HaveSsse3() {
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
}
#endif

using RowFn = void (*)(const RowContext&, const uint8_t*, uint32_t*);

RowFn PickRow(const DibLayout& l) {
  const bool fields = l.compression == kBiBitfields || l.compression == kBiAlphaBitfields;
  switch (l.bitCount) {
    case 1: return Row1;
    case 4: return Row4;
    case 8: return Row8;
    case 16: return Row16;
    case 24:
#ifdef TINTARO_DIB_X86
      if (HaveSsse3()) return Row24Ssse3;
#endif
      return Row24;
    default: return fields ? Row32Fields : Row32;
  }
}

// Where file row `r` (in stored order) lands in a top-down picture.
inline size_t DestRow(const DibLayout& l, int64_t r) {
  return static_cast<size_t>(l.topDown ? r : l.height - 1 - r);
}

void DecodeRows(const DibLayout& l, std::span<const uint8_t> data, uint32_t* out, bool keepAlpha) {
  const size_t width = static_cast<size_t>(l.width);
  const size_t stride = static_cast<size_t>(l.Stride());
  RowContext c{&l, width, keepAlpha, Channel(l.masks[0]), Channel(l.masks[1]),
               Channel(l.masks[2]), Channel(l.masks[3])};
  const RowFn row = PickRow(l);
  const uint32_t zero = l.bitCount <= 8 ? l.palette[0] : 0;
  const size_t fullRows = std::min<size_t>(data.size() / stride, static_cast<size_t>(l.height));
  for (size_t r = 0; r < fullRows; ++r) row(c, data.data() + r * stride, out + DestRow(l, r) * width);
  if (fullRows == static_cast<size_t>(l.height)) return;
  size_t r = fullRows;
  if (const size_t partial = data.size() - fullRows * stride; partial > 0) {
    // The row the data ends in: its missing bytes read as zero bits.
    std::vector<uint8_t> padded(stride, 0);
    std::memcpy(padded.data(), data.data() + r * stride, partial);
    row(c, padded.data(), out + DestRow(l, r) * width);
    ++r;
  }
  for (; r < static_cast<size_t>(l.height); ++r) {
    uint32_t* dst = out + DestRow(l, r) * width;
    std::fill(dst, dst + width, zero);
  }
}

// RLE8 and RLE4: runs and literal groups clipped to the row they start in;
// nothing is written outside the picture, whatever the stream says.
void DecodeRle(const DibLayout& l, std::span<const uint8_t> data, uint32_t* out) {
  const size_t width = static_cast<size_t>(l.width);
  const int64_t height = l.height;
  std::fill(out, out + width * static_cast<size_t>(height), l.palette[0]);
  const bool four = l.compression == kBiRle4;
  const uint32_t* pal = l.palette.data();
  const uint8_t* d = data.data();
  const size_t n = data.size();
  size_t pos = 0;
  uint64_t x = 0;
  int64_t y = 0;
  while (pos + 2 <= n && y < height) {
    const unsigned count = d[pos];
    const unsigned value = d[pos + 1];
    pos += 2;
    uint32_t* row = out + DestRow(l, y) * width;
    if (count > 0) {
      const uint64_t end = std::min<uint64_t>(x + count, width);
      if (four) {
        const uint32_t colours[2] = {pal[value >> 4], pal[value & 15]};
        for (uint64_t i = x; i < end; ++i) row[i] = colours[(i - x) & 1];
      } else {
        std::fill(row + std::min<uint64_t>(x, width), row + end, pal[value]);
      }
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta: move right and up (down the stored order)
        if (pos + 2 > n) return;
        x += d[pos];
        y += d[pos + 1];
        pos += 2;
        break;
      default: {  // a literal group of `value` pixels, padded to 16 bits
        const size_t bytes = four ? (value + 1) / 2 : value;
        const size_t have = std::min(bytes, n - pos);
        for (unsigned i = 0; i < value; ++i) {
          const size_t byte = four ? i / 2 : i;
          if (byte >= have) break;
          const unsigned index = four ? ((i & 1) ? d[pos + byte] & 15 : d[pos + byte] >> 4) : d[pos + byte];
          if (x + i < width) row[x + i] = pal[index];
        }
        x += value;
        pos += std::min(bytes + (bytes & 1), n - pos);
        break;
      }
    }
  }
}

}  // namespace

DibStatus ReadDibLayout(std::span<const uint8_t> dib, bool iconImage, uint64_t pixelOffsetHint,
                        DibLayout& l) {
  l = DibLayout{};
  ByteReader in(dib);
  uint32_t headerSize;
  if (!in.U32(headerSize)) return DibStatus::HeaderCut;
  if (headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) return DibStatus::Invalid;
  if (headerSize > dib.size()) return DibStatus::HeaderCut;
  const uint8_t* h = dib.data();
  l.headerSize = headerSize;
  uint16_t planes;
  uint32_t colorsUsed = 0;
  int64_t declaredHeight;
  if (headerSize == kCoreHeaderSize) {
    l.width = LoadU16LE(h + 4);
    declaredHeight = LoadU16LE(h + 6);
    planes = LoadU16LE(h + 8);
    l.bitCount = LoadU16LE(h + 10);
    l.entrySize = 3;
  } else {
    l.width = LoadI32LE(h + kInfoWidth);
    declaredHeight = LoadI32LE(h + kInfoHeight);
    planes = LoadU16LE(h + kInfoPlanes);
    l.bitCount = LoadU16LE(h + kInfoBitCount);
    l.compression = LoadU32LE(h + kInfoCompression);
    colorsUsed = LoadU32LE(h + kInfoColorsUsed);
  }
  if (planes != 1 || !BitCountKnown(l.bitCount)) return DibStatus::Invalid;
  // Negative heights are stored top row first; int64 keeps INT32_MIN sane.
  l.topDown = declaredHeight < 0;
  l.height = declaredHeight < 0 ? -declaredHeight : declaredHeight;
  if (iconImage) l.height /= 2;
  if (l.width <= 0 || l.height <= 0 || !PictureSizeAllowed(l.width, l.height)) return DibStatus::Invalid;

  uint64_t afterHeader = headerSize;
  switch (l.compression) {
    case kBiRgb:
      if (l.bitCount == 16) l.masks = {0x7C00, 0x03E0, 0x001F, 0};
      if (l.bitCount == 32) l.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
      break;
    case kBiRle8:
      if (l.bitCount != 8) return DibStatus::Invalid;
      break;
    case kBiRle4:
      if (l.bitCount != 4) return DibStatus::Invalid;
      break;
    case kBiBitfields:
    case kBiAlphaBitfields: {
      if (l.bitCount != 16 && l.bitCount != 32) return DibStatus::Invalid;
      const unsigned count = l.compression == kBiAlphaBitfields ? 4 : 3;
      if (headerSize >= kInfoMasks + 4 * count) {
        for (unsigned i = 0; i < count; ++i) l.masks[i] = LoadU32LE(h + kInfoMasks + 4 * i);
      } else if (headerSize >= kInfoMasks + 12 && count == 4) {
        // A 52-byte header holds three masks; the alpha one follows it.
        if (headerSize + 4 > dib.size()) return DibStatus::HeaderCut;
        for (unsigned i = 0; i < 3; ++i) l.masks[i] = LoadU32LE(h + kInfoMasks + 4 * i);
        l.masks[3] = LoadU32LE(h + headerSize);
        afterHeader += 4;
      } else {
        if (headerSize + 4 * count > dib.size()) return DibStatus::HeaderCut;
        for (unsigned i = 0; i < count; ++i) l.masks[i] = LoadU32LE(h + headerSize + 4 * i);
        afterHeader += 4 * count;
      }
      // Version 4 and 5 headers carry an alpha mask whatever the compression says.
      if (headerSize >= kInfoMasks + 16) l.masks[3] = LoadU32LE(h + kInfoMasks + 12);
      break;
    }
    default:
      return DibStatus::Invalid;
  }

  const uint64_t fullTable = l.bitCount <= 8 ? uint64_t{1} << l.bitCount : 0;
  if (headerSize == kCoreHeaderSize) {
    l.tableEntries = fullTable;
    // Some writers store a shorter table and say so only by where the pixels start.
    if (pixelOffsetHint > afterHeader && pixelOffsetHint < afterHeader + fullTable * 3)
      l.tableEntries = (pixelOffsetHint - afterHeader) / 3;
  } else {
    l.tableEntries = colorsUsed != 0 ? colorsUsed : fullTable;
  }
  l.tableOffset = afterHeader;
  l.tableEnd = afterHeader + l.tableEntries * l.entrySize;
  if (l.tableEnd > dib.size()) return DibStatus::TableCut;
  const uint64_t used = std::min(l.tableEntries, fullTable);
  for (uint64_t i = 0; i < used; ++i) {
    const uint8_t* e = h + afterHeader + i * l.entrySize;
    l.palette[i] = e[2] | (e[1] << 8) | (static_cast<uint32_t>(e[0]) << 16);
  }
  return DibStatus::Ok;
}

void DecodeDibPixels(const DibLayout& layout, std::span<const uint8_t> data, uint32_t* out,
                     bool keepAlpha) {
  if (layout.Compressed()) {
    DecodeRle(layout, data, out);
  } else {
    DecodeRows(layout, data, out, keepAlpha);
  }
}

}  // namespace tintaro
