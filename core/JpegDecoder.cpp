// Placeholder until the decoder is written: refuses every file.
#include "core/Errors.h"
#include "core/PictureDecoders.h"

namespace tintaro {
void DecodeJpeg(std::span<const uint8_t>, Picture&) { throw EJPEG("JPEG error #1"); }
}  // namespace tintaro
