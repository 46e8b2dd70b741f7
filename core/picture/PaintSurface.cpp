// The paint surface: picture loading with the format table, pixel reads and
// the border fill.
#include "core/picture/PaintSurface.h"

#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include "core/Errors.h"
#include "core/picture/FileBytes.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureFormats.h"
#include "core/PuzzleState.h"

namespace tintaro {

namespace {

// A file too large to read whole is refused as that format's invalid picture.
[[noreturn]] void ThrowTooLarge(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: throw EInvalidGraphic(kBitmapNotValid);
    case PictureFormat::Icon: throw EInvalidGraphic(kIconNotValid);
    case PictureFormat::Wmf:
    case PictureFormat::Emf: throw EInvalidGraphic(kMetafileNotValid);
    case PictureFormat::Jpeg: break;
  }
  throw EJPEG("JPEG error #" + std::to_string(static_cast<int>(JERR_IMAGE_TOO_BIG)));
}

}  // namespace

void PaintSurface::LoadPicture(const std::string& path) {
  const PictureFormatRow& row = PictureFormatFor(path);
  // Runs on every way out, the failures included.
  struct Trim {
    PaintSurface* surface;
    ~Trim() { surface->TrimBuffers(); }
  } trim{this};
  switch (ReadWholeFile(path, fileBytes_)) {
    case ReadFileResult::Ok: break;
    case ReadFileResult::CannotOpen: throw EFOpenError("Cannot open file " + path);
    case ReadFileResult::TooLarge: ThrowTooLarge(row.format);
    case ReadFileResult::ReadFailed: throw EReadError(kStreamReadError);
  }
  DecodePicture(row.format, fileBytes_, spare_);
  std::swap(picture_, spare_);
  hasPicture_ = true;
  if (picture_.width > 0 && picture_.height > 0) {
    controlWidth_ = picture_.width;
    controlHeight_ = picture_.height;
  }
  ++revision_;
}

void PaintSurface::PrepareReload() {
  const size_t pixels = picture_.pixels.size();
  if (spare_.pixels.capacity() >= pixels) return;
  if (static_cast<int64_t>(pixels * sizeof(uint32_t)) > KeptBufferBytes()) return;
  spare_.pixels.assign(pixels, 0);
}

int64_t PaintSurface::KeptBufferBytes() {
  return LimitFromEnvironment("TINTARO_PICTURE_SPARE_PIXELS", kKeptSparePixels) * int64_t{sizeof(uint32_t)};
}

void PaintSurface::TrimBuffers() {
  const int64_t keptBytes = KeptBufferBytes();
  if (static_cast<int64_t>(spare_.pixels.capacity() * sizeof(uint32_t)) > keptBytes) {
    std::vector<uint32_t>().swap(spare_.pixels);
    spare_.width = spare_.height = 0;
  }
  if (static_cast<int64_t>(fileBytes_.capacity()) > keptBytes) std::vector<uint8_t>().swap(fileBytes_);
}

size_t PaintSurface::HeldBytes() const {
  return (picture_.pixels.capacity() + spare_.pixels.capacity()) * sizeof(uint32_t) + fileBytes_.capacity();
}

void PaintSurface::ReloadPicture(const PuzzleState& state) {
  LoadPicture(state.PicturePath);
  ShowPicture();
}

void PaintSurface::PrepareForPixels() {
  if (!hasPicture_) {
    picture_.Reset(PictureKind::Bitmap, controlWidth_, controlHeight_);
    std::fill(picture_.pixels.begin(), picture_.pixels.end(), kWhite);
    hasPicture_ = true;
    ++revision_;
  }
  if (picture_.kind != PictureKind::Bitmap) {
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  }
}

uint32_t PaintSurface::PixelAt(int x, int y) {
  PrepareForPixels();
  if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return kNoColour;
  return picture_.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture_.width) + x];
}

void PaintSurface::FillToBlack(int x, int y, uint32_t colour) {
  PrepareForPixels();
  filler_.Fill(picture_.pixels.data(), picture_.width, picture_.height, x, y, colour & 0x00FFFFFFu);
  ++revision_;
}

}  // namespace tintaro
