// libFuzzer target: the metafile decoder over arbitrary bytes, as either
// extension.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"
#include "PictureChecks.h"

// A few header bytes can declare the largest picture of white pixels; the
// cap is lowered so that such files are refused quickly rather than skipped.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TINTARO_PICTURE_MAX_PIXELS", "4194304", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tintaro;
  const std::span<const uint8_t> file(data, size);
  static Picture picture;
  DeclaredSize declared;
  try {
    declared = MetafileDeclaredSize(file);
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
