// libFuzzer entry for the icon decoder: any input either decodes or raises
// one of the decoder's own failure kinds.
#include <cstddef>
#include <cstdint>

#include "core/Errors.h"
#include "core/PictureDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tintaro::Picture picture;
  try {
    tintaro::DecodeIcon({data, size}, picture);
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) __builtin_trap();
    for (uint32_t p : picture.pixels)
      if (p > 0xFFFFFF) __builtin_trap();
  } catch (const tintaro::EInvalidGraphic&) {
  } catch (const tintaro::EReadError&) {
  }
  return 0;
}
