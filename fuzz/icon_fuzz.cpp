// libFuzzer entry for the icon decoder: any input either decodes or raises
// one of the decoder's own failure kinds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "PictureChecks.h"

// Pictures up to the size cap are legal even from tiny files (rows past the
// data are zero bits), but each huge one costs seconds of memory traffic, so
// the cap is lowered rather than such files skipped.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TINTARO_PICTURE_MAX_PIXELS", "4194304", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tintaro::Picture picture;
  try {
    tintaro::DecodeIcon({data, size}, picture);
    tintaro::fuzz::CheckDecodedPicture(picture, tintaro::PictureKind::Icon);
  } catch (const tintaro::EInvalidGraphic&) {
  } catch (const tintaro::EReadError&) {
  }
  return 0;
}
