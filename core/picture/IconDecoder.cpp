// Icon and cursor resource files: a directory of images, of which the largest
// DIB image is decoded and shown over white.
//
// The file is refused with "Icon image is not valid" when the header does not
// name an icon (type 1) or cursor (type 2) with a reserved word of 0, when it
// lists no images, when an image's data starts inside the directory or past
// the end of the file, when any listed DIB image has a header this decoder
// refuses, or when every image is PNG-compressed (PNG images are passed over
// in favour of the DIB ones). A directory cut short by the end of the file is
// "Stream read error", as for any table that must be read whole. Image data
// that runs past the end of the file is taken as far as it goes.
#include <algorithm>
#include <cstring>

#include "core/picture/ByteReader.h"
#include "core/picture/Dib.h"
#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"

namespace tintaro {

namespace {

constexpr size_t kIconHeaderSize = 6;  // reserved, type, count
constexpr size_t kDirEntrySize = 16;   // sizes, colours, planes, bits, byte count, offset
constexpr size_t kEntryBytesField = 8;
constexpr size_t kEntryOffsetField = 12;
constexpr uint16_t kTypeIcon = 1;
constexpr uint16_t kTypeCursor = 2;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void NotValid() { throw EInvalidGraphic(kIconNotValid); }

uint8_t Blend(uint32_t colour, int shift, uint32_t alpha) {
  const uint32_t c = (colour >> shift) & 0xFF;
  return static_cast<uint8_t>((c * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Shows the decoded colour image over white: by its alpha channel when it
// has one, otherwise white wherever the AND mask has a 1.
void ApplyMask(const DibLayout& l, std::span<const uint8_t> image, Picture& out) {
  const size_t width = static_cast<size_t>(l.width);
  const size_t height = static_cast<size_t>(l.height);
  uint32_t* px = out.pixels.data();
  const size_t count = width * height;
  const bool alpha = l.bitCount == 32 && std::any_of(px, px + count, [](uint32_t p) { return (p >> 24) != 0; });
  if (alpha) {
    for (size_t i = 0; i < count; ++i) {
      const uint32_t p = px[i];
      const uint32_t a = p >> 24;
      px[i] = Blend(p, 0, a) | (Blend(p, 8, a) << 8) | (static_cast<uint32_t>(Blend(p, 16, a)) << 16);
    }
    return;
  }
  for (size_t i = 0; i < count; ++i) px[i] &= 0x00FFFFFF;
  // Where a compressed image ends is not known, so it goes without a mask.
  if (l.Compressed()) return;
  const uint64_t maskStart = l.tableEnd + l.Stride() * l.height;
  const size_t maskStride = (width + 31) / 32 * 4;
  for (size_t r = 0; r < height; ++r) {
    const uint64_t rowStart = maskStart + r * maskStride;
    if (rowStart >= image.size()) break;  // a missing mask shows the colours
    const uint8_t* bits = image.data() + rowStart;
    const size_t have = std::min<uint64_t>(maskStride, image.size() - rowStart);
    uint32_t* row = px + (l.topDown ? r : height - 1 - r) * width;
    for (size_t x = 0; x < width && x / 8 < have; ++x)
      if (bits[x / 8] & (0x80 >> (x % 8))) row[x] = 0xFFFFFF;
  }
}

}  // namespace

void DecodeIcon(std::span<const uint8_t> file, Picture& out) {
  ByteReader in(file);
  uint16_t reserved, type, count;
  if (!in.U16(reserved) || !in.U16(type) || !in.U16(count)) throw EReadError(kStreamReadError);
  if (reserved != 0 || (type != kTypeIcon && type != kTypeCursor) || count == 0) NotValid();
  const uint64_t directoryEnd = kIconHeaderSize + uint64_t{kDirEntrySize} * count;
  if (directoryEnd > file.size()) throw EReadError(kStreamReadError);

  bool found = false;
  DibLayout best;
  std::span<const uint8_t> bestImage;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* entry = file.data() + kIconHeaderSize + kDirEntrySize * i;
    const uint64_t bytes = LoadU32LE(entry + kEntryBytesField);
    const uint64_t offset = LoadU32LE(entry + kEntryOffsetField);
    if (offset < directoryEnd || offset >= file.size()) NotValid();
    const std::span<const uint8_t> image = file.subspan(offset, std::min<uint64_t>(bytes, file.size() - offset));
    if (image.size() >= sizeof kPngSignature && std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0)
      continue;
    DibLayout layout;
    if (ReadDibLayout(image, true, 0, layout) != DibStatus::Ok) NotValid();
    const int64_t area = layout.width * layout.height;
    if (!found || area > best.width * best.height ||
        (area == best.width * best.height && layout.bitCount > best.bitCount)) {
      best = layout;
      bestImage = image;
      found = true;
    }
  }
  if (!found) NotValid();
  out.Reset(PictureKind::Icon, static_cast<int>(best.width), static_cast<int>(best.height));
  DecodeDibPixels(best, bestImage.subspan(best.tableEnd), out.pixels.data(), true);
  ApplyMask(best, bestImage, out);
}

}  // namespace tintaro
