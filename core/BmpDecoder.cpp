// Placeholder until the decoder is written: refuses every file.
#include "core/Errors.h"
#include "core/PictureDecoders.h"

namespace tintaro {
void DecodeBmp(std::span<const uint8_t>, Picture&) { throw EInvalidGraphic(kBitmapNotValid); }
}  // namespace tintaro
