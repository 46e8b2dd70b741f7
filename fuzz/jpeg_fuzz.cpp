// libFuzzer target: the JPEG decoder over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "PictureChecks.h"

// Large frames decode correctly but slowly (a few bytes can declare the
// largest picture), so the caps are lowered rather than such files skipped:
// the refusals are fuzzed too, and a slow input still shows as a timeout.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TINTARO_PICTURE_MAX_PIXELS", "1048576", 1);
  setenv("TINTARO_JPEG_SCAN_BLOCK_LIMIT", "1048576", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tintaro;
  const std::span<const uint8_t> file(data, size);
  static Picture picture;  // reused across inputs, as the paint surface does
  try {
    DecodeJpeg(file, picture);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::CheckDecodedPicture(picture, PictureKind::Jpeg);
  return 0;
}
