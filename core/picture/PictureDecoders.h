// The picture decoders. Each decodes a whole file held in memory into `out`,
// reusing its buffer, and raises the failure kinds of core/Errors.h. On
// failure `out` is left in an unspecified state: callers decode into a spare.
#pragma once

#include <cstdint>
#include <span>

#include "core/picture/Picture.h"

namespace tintaro {

// Windows BMP: file header, then a device-independent bitmap.
void DecodeBmp(std::span<const uint8_t> file, Picture& out);

// Icon and cursor resource files: the largest image of the file.
void DecodeIcon(std::span<const uint8_t> file, Picture& out);

// WMF (with or without the placeable header) and EMF: validates the header
// and gives the picture the metafile's own size.
void DecodeMetafile(std::span<const uint8_t> file, bool enhanced, Picture& out);

// JPEG through libjpeg; a 0-byte file is an empty picture.
void DecodeJpeg(std::span<const uint8_t> file, Picture& out);

}  // namespace tintaro
