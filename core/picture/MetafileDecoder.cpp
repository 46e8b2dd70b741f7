// The metafile decoder: validates WMF and EMF headers and gives the picture
// the metafile's own size at 96 dpi. Records are not drawn: no game flow
// shows a metafile, so the picture is plain white.
#include <algorithm>
#include <cstdlib>

#include "core/picture/ByteReader.h"
#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"

namespace tintaro {

namespace {

constexpr int64_t kScreenDpi = 96;

// Placeable WMF header: key, handle, bounding box (4 x int16), units per
// inch, reserved, checksum (XOR of the ten words before it). 22 bytes.
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kPlaceableChecksumWords = 10;

// WMF header: type, header size in words (9), version, file size in words,
// object count, largest record, parameter count. 18 bytes, then records of
// size in words (32 bits), function (16 bits), parameters.
constexpr size_t kWmfHeaderSize = 18;
constexpr uint16_t kWmfHeaderWords = 9;
constexpr uint16_t kWmfEof = 0x0000;
constexpr uint16_t kWmfSetWindowExt = 0x020C;  // parameters: height, width
constexpr uint32_t kWmfMinRecordWords = 3;

// EMF header record: type (1), size, rclBounds (4 x int32, device pixels,
// inclusive), rclFrame (4 x int32, 0.01 mm, inclusive) and the " EMF"
// signature at offset 40, file size at 48. 88 bytes at the least.
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmfSignature = 0x464D4520;
constexpr size_t kEmfHeaderMinSize = 88;
constexpr size_t kEmfBoundsOffset = 8;
constexpr size_t kEmfFrameOffset = 24;
constexpr size_t kEmfSignatureOffset = 40;
constexpr size_t kEmfBytesOffset = 48;

[[noreturn]] void NotValid() { throw EInvalidGraphic(kMetafileNotValid); }

// value / unitsPerInch inches at 96 dpi, rounded to the nearest pixel.
int64_t ToPixels(int64_t value, int64_t unitsPerInch) {
  return (std::llabs(value) * kScreenDpi + unitsPerInch / 2) / unitsPerInch;
}

bool IsEmf(std::span<const uint8_t> file) {
  return file.size() >= kEmfHeaderMinSize && LoadU32LE(file.data()) == kEmrHeader &&
         LoadU32LE(file.data() + kEmfSignatureOffset) == kEmfSignature;
}

DeclaredSize EmfSize(std::span<const uint8_t> file) {
  const uint8_t* p = file.data();
  const uint32_t headerSize = LoadU32LE(p + 4);
  const uint32_t totalSize = LoadU32LE(p + kEmfBytesOffset);
  if (headerSize < kEmfHeaderMinSize || headerSize % 4 != 0 || headerSize > file.size() ||
      totalSize < headerSize || totalSize > file.size()) {
    NotValid();
  }
  // The frame is the picture's intended size; a file without a usable one
  // falls back to the bounds, which are already in pixels.
  const int64_t frameWidth = int64_t{LoadI32LE(p + kEmfFrameOffset + 8)} - LoadI32LE(p + kEmfFrameOffset);
  const int64_t frameHeight =
      int64_t{LoadI32LE(p + kEmfFrameOffset + 12)} - LoadI32LE(p + kEmfFrameOffset + 4);
  if (frameWidth > 0 && frameHeight > 0) {
    return {ToPixels(frameWidth, 2540), ToPixels(frameHeight, 2540)};
  }
  const int64_t boundsWidth =
      int64_t{LoadI32LE(p + kEmfBoundsOffset + 8)} - LoadI32LE(p + kEmfBoundsOffset) + 1;
  const int64_t boundsHeight =
      int64_t{LoadI32LE(p + kEmfBoundsOffset + 12)} - LoadI32LE(p + kEmfBoundsOffset + 4) + 1;
  if (boundsWidth > 0 && boundsHeight > 0) return {boundsWidth, boundsHeight};
  return {};
}

// A plain WMF states no size of its own; the first SETWINDOWEXT record,
// taken as pixels, is the nearest thing to one. Without it the picture is
// empty (0 x 0). Scanning stops at the end record or at a record that does
// not fit the file.
DeclaredSize WindowExtent(ByteReader records) {
  while (true) {
    const size_t start = records.Offset();
    uint32_t words = 0;
    uint16_t function = 0;
    if (!records.U32(words) || !records.U16(function)) return {};
    if (function == kWmfEof || words < kWmfMinRecordWords) return {};
    if (function == kWmfSetWindowExt && words >= kWmfMinRecordWords + 2) {
      uint16_t height = 0, width = 0;
      if (!records.U16(height) || !records.U16(width)) return {};
      return {std::abs(int64_t{static_cast<int16_t>(width)}),
              std::abs(int64_t{static_cast<int16_t>(height)})};
    }
    if (!records.Seek(start + uint64_t{words} * 2)) return {};
  }
}

DeclaredSize WmfSize(std::span<const uint8_t> file) {
  ByteReader reader(file);
  uint32_t key = 0;
  const bool placeable = reader.U32(key) && key == kPlaceableKey;
  int64_t boxWidth = 0, boxHeight = 0, unitsPerInch = 0;
  if (placeable) {
    if (file.size() < kPlaceableSize) NotValid();
    uint16_t checksum = 0;
    for (size_t i = 0; i < kPlaceableChecksumWords; ++i) checksum ^= LoadU16LE(file.data() + 2 * i);
    if (checksum != LoadU16LE(file.data() + 2 * kPlaceableChecksumWords)) NotValid();
    const auto box = [&](size_t offset) {
      return int64_t{static_cast<int16_t>(LoadU16LE(file.data() + offset))};
    };
    boxWidth = box(10) - box(6);
    boxHeight = box(12) - box(8);
    unitsPerInch = LoadU16LE(file.data() + 14);
    if (unitsPerInch == 0) NotValid();
    reader.Seek(kPlaceableSize);
  } else {
    reader.Seek(0);
  }
  uint16_t type = 0, headerWords = 0, version = 0;
  if (!reader.CanRead(kWmfHeaderSize) || !reader.U16(type) || !reader.U16(headerWords) ||
      !reader.U16(version)) {
    NotValid();
  }
  if ((type != 1 && type != 2) || headerWords != kWmfHeaderWords ||
      (version != 0x0100 && version != 0x0300)) {
    NotValid();
  }
  if (placeable) return {ToPixels(boxWidth, unitsPerInch), ToPixels(boxHeight, unitsPerInch)};
  reader.Skip(kWmfHeaderSize - 6);
  return WindowExtent(ByteReader(reader.Rest()));
}

}  // namespace

// Either extension accepts either format: the two headers cannot be
// mistaken for each other, and a misnamed metafile is still a metafile.
DeclaredSize MetafileDeclaredSize(std::span<const uint8_t> file) {
  return IsEmf(file) ? EmfSize(file) : WmfSize(file);
}

void DecodeMetafile(std::span<const uint8_t> file, bool /*enhanced*/, Picture& out) {
  const DeclaredSize size = MetafileDeclaredSize(file);
  if (!PictureSizeAllowed(size.width, size.height)) NotValid();
  out.Reset(PictureKind::Metafile, static_cast<int>(size.width), static_cast<int>(size.height));
  std::fill(out.pixels.begin(), out.pixels.end(), kWhite);
}

}  // namespace tintaro
