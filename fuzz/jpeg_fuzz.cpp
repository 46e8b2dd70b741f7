// libFuzzer target: the JPEG decoder over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"
#include "PictureChecks.h"

namespace {

// Large frames decode correctly but slowly (a few bytes can declare a
// 16384 x 16384 picture); the fuzzer learns nothing more from them.
constexpr int64_t kMaxFuzzPixels = int64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tintaro;
  const std::span<const uint8_t> file(data, size);
  static Picture picture;  // reused across inputs, as the paint surface does
  try {
    const DeclaredSize declared = JpegDeclaredSize(file);
    if (declared.width * declared.height > kMaxFuzzPixels) return 0;
    DecodeJpeg(file, picture);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::CheckDecodedPicture(picture, PictureKind::Jpeg);
  return 0;
}
