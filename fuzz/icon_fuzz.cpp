// libFuzzer entry for the icon decoder: any input either decodes or raises
// one of the decoder's own failure kinds.
#include <cstddef>
#include <cstdint>

#include "core/picture/ByteReader.h"
#include "core/picture/Dib.h"
#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "PictureChecks.h"

// Skips files listing any image above 4M pixels: legal up to the size cap,
// but each costs seconds of memory traffic; the unit tests cover the cap.
bool Huge(const uint8_t* data, size_t size) {
  if (size < 6) return false;
  const size_t count = tintaro::LoadU16LE(data + 4);
  for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= size; ++i) {
    const size_t offset = tintaro::LoadU32LE(data + 6 + 16 * i + 12);
    if (offset >= size) continue;
    tintaro::DibLayout layout;
    if (tintaro::ReadDibLayout({data + offset, size - offset}, true, 0, layout) != tintaro::DibStatus::HeaderCut &&
        layout.width * layout.height > (int64_t{1} << 22))
      return true;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tintaro::Picture picture;
  if (Huge(data, size)) return -1;
  try {
    tintaro::DecodeIcon({data, size}, picture);
    tintaro::fuzz::CheckDecodedPicture(picture, tintaro::PictureKind::Icon);
  } catch (const tintaro::EInvalidGraphic&) {
  } catch (const tintaro::EReadError&) {
  }
  return 0;
}
