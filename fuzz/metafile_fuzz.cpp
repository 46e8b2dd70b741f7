// libFuzzer target: the metafile decoder over arbitrary bytes, as either
// extension.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"
#include "PictureChecks.h"

namespace {

// A few header bytes can declare a picture of a gigabyte of white pixels;
// the fuzzer learns nothing from painting it.
constexpr int64_t kMaxFuzzPixels = int64_t{1} << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tintaro;
  const std::span<const uint8_t> file(data, size);
  static Picture picture;
  DeclaredSize declared;
  try {
    declared = MetafileDeclaredSize(file);
    if (declared.width * declared.height > kMaxFuzzPixels) return 0;
    DecodeMetafile(file, size % 2 == 1, picture);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::CheckDecodedPicture(picture, PictureKind::Metafile);
  if (picture.width != declared.width || picture.height != declared.height) __builtin_trap();
  for (uint32_t pixel : picture.pixels) {
    if (pixel != kWhite) __builtin_trap();
  }
  return 0;
}
