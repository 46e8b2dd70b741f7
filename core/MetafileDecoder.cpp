// Placeholder until the decoder is written: refuses every file.
#include "core/Errors.h"
#include "core/PictureDecoders.h"

namespace tintaro {
void DecodeMetafile(std::span<const uint8_t>, bool, Picture&) { throw EInvalidGraphic(kMetafileNotValid); }
}  // namespace tintaro
