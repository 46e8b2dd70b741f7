// The picture format table: which decoder a file extension selects.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/picture/Picture.h"

namespace tintaro {

enum class PictureFormat { Wmf, Emf, Icon, Bmp, Jpeg };

struct PictureFormatRow {
  const char* extension;  // lower case
  const char* description;
  PictureFormat format;
};

// The six rows in their order; lookups run from the last row to the first.
std::span<const PictureFormatRow> PictureFormatTable();

// The characters after the last full stop of the path's file-name part (the
// part after the last '/' or ':'), as written; empty when there is none.
std::string PictureExtension(const std::string& path);

// The row whose extension equals the lower-cased extension, searching from
// the last row; raises EInvalidGraphic "Unknown picture file extension (.%s)".
const PictureFormatRow& PictureFormatFor(const std::string& path);

// Runs the decoder of the format over file bytes held in memory.
void DecodePicture(PictureFormat format, std::span<const uint8_t> file, Picture& out);

}  // namespace tintaro
