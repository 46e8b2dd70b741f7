// libFuzzer entry for the BMP decoder: any input either decodes or raises one
// of the decoder's own failure kinds.
#include <cstddef>
#include <cstdint>

#include "core/Dib.h"
#include "core/Errors.h"
#include "core/PictureDecoders.h"

// Pictures up to the size cap are legal even from tiny files (rows past the
// data are zero bits), but each huge one costs seconds of memory traffic;
// the unit tests cover the cap, so the fuzzer spends its time elsewhere.
bool Huge(const uint8_t* data, size_t size) {
  tintaro::DibLayout layout;
  return size > 14 && tintaro::ReadDibLayout({data + 14, size - 14}, false, 0, layout) != tintaro::DibStatus::HeaderCut &&
         layout.width * layout.height > (int64_t{1} << 22);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tintaro::Picture picture;  // reused, as the paint surface does
  if (Huge(data, size)) return -1;
  try {
    tintaro::DecodeBmp({data, size}, picture);
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) __builtin_trap();
    for (uint32_t p : picture.pixels)
      if (p > 0xFFFFFF) __builtin_trap();
  } catch (const tintaro::EInvalidGraphic&) {
  } catch (const tintaro::EReadError&) {
  }
  return 0;
}
