// libFuzzer entry for the BMP decoder: any input either decodes or raises one
// of the decoder's own failure kinds.
#include <cstddef>
#include <cstdint>

#include "core/picture/Dib.h"
#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "PictureChecks.h"

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
    tintaro::fuzz::CheckDecodedPicture(picture, tintaro::PictureKind::Bitmap);
  } catch (const tintaro::EInvalidGraphic&) {
  } catch (const tintaro::EReadError&) {
  }
  return 0;
}
