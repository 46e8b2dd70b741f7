// What every decoded picture must satisfy, checked by the decoder fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/picture/Picture.h"

namespace tintaro::fuzz {

// Traps unless the picture has its kind, exactly width x height pixels and
// no pixel with a high byte (every colour is 0x00BBGGRR).
inline void CheckDecodedPicture(const Picture& picture, PictureKind kind) {
  if (picture.kind != kind ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
    __builtin_trap();
  }
  for (uint32_t pixel : picture.pixels) {
    if (pixel >> 24 != 0) __builtin_trap();
  }
}

}  // namespace tintaro::fuzz
