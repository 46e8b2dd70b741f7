// Windows BMP files: the 14-byte file header, then a device-independent bitmap.
#include "core/picture/ByteReader.h"
#include "core/picture/Dib.h"
#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"

namespace tintaro {

namespace {
constexpr size_t kFileHeaderSize = 14;  // "BM", file size, two reserved words, pixel offset
constexpr uint16_t kBmSignature = 0x4D42;
constexpr size_t kOffBitsField = 10;
}  // namespace

void DecodeBmp(std::span<const uint8_t> file, Picture& out) {
  if (file.empty()) {
    out.Reset(PictureKind::Bitmap, 0, 0);
    return;
  }
  if (file.size() < kFileHeaderSize) throw EReadError(kStreamReadError);
  if (LoadU16LE(file.data()) != kBmSignature) throw EInvalidGraphic(kBitmapNotValid);
  const std::span<const uint8_t> dib = file.subspan(kFileHeaderSize);
  // The pixel offset counts from the start of the file; the DIB from its header.
  const uint64_t offBits = LoadU32LE(file.data() + kOffBitsField);
  const uint64_t hint = offBits >= kFileHeaderSize ? offBits - kFileHeaderSize : 0;

  DibLayout layout;
  switch (ReadDibLayout(dib, false, hint, layout)) {
    case DibStatus::Ok: break;
    case DibStatus::HeaderCut:
    case DibStatus::Invalid: throw EInvalidGraphic(kBitmapNotValid);
    case DibStatus::TableCut: throw EReadError(kStreamReadError);
  }
  // The stated offset wins when it lies past the headers and inside the file;
  // writers that leave it 0 or point nowhere get the pixels after the table.
  const uint64_t pixels = hint >= layout.tableOffset && hint <= dib.size() ? hint : layout.tableEnd;
  out.Reset(PictureKind::Bitmap, static_cast<int>(layout.width), static_cast<int>(layout.height));
  DecodeDibPixels(layout, dib.subspan(pixels), out.pixels.data(), false);
}

}  // namespace tintaro
