// A decoded picture: 32-bit 0x00BBGGRR pixels in one contiguous buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tintaro {

enum class PictureKind { Bitmap, Jpeg, Icon, Metafile };

inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kWhite = 0xFFFFFF;
inline constexpr uint32_t kRed = 0x0000FF;
inline constexpr uint32_t kNoColour = 0xFFFFFFFF;  // -1: a pixel outside the picture

// Decoders refuse pictures larger than this many pixels on either side or in
// all, with their format's "not valid" message. 8192 x 8192 is allowed: a
// puzzle many screens large, at 256 MiB of pixels, so that the current
// picture, the one being decoded and the decoder's work fit in 768 MiB.
inline constexpr int64_t kMaxPictureSide = 32768;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// The pixel cap in force: kMaxPicturePixels, or less when the environment
// variable TINTARO_PICTURE_MAX_PIXELS says so (the fuzz targets lower it).
int64_t MaxPicturePixels();

inline bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width >= 0 && height >= 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= MaxPicturePixels();
}

// Reads a limit from the environment variable `name`: a decimal number that
// may lower `fallback`, never raise it.
int64_t LimitFromEnvironment(const char* name, int64_t fallback);

struct Picture {
  PictureKind kind = PictureKind::Bitmap;
  int width = 0;
  int height = 0;
  // width * height pixels, row 0 at the top. The vector keeps its capacity
  // across decodes so a reload of the same picture allocates nothing.
  std::vector<uint32_t> pixels;

  // Sets the size and makes room for width * height pixels. The contents are
  // unspecified: decoders write every pixel.
  void Reset(PictureKind newKind, int newWidth, int newHeight) {
    kind = newKind;
    width = newWidth;
    height = newHeight;
    pixels.resize(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight));
  }
};

}  // namespace tintaro
