// The size a JPEG or metafile declares in its header, read without decoding
// or allocating the picture, so callers (and the fuzz targets) can weigh a
// file before paying for it.
#pragma once

#include <cstdint>
#include <span>

namespace tintaro {

struct DeclaredSize {
  int64_t width = 0;
  int64_t height = 0;
};

// The frame size of a JPEG file; a 0-byte file is 0 x 0. Raises EJPEG where
// DecodeJpeg would refuse the header. The size cap is not applied here.
DeclaredSize JpegDeclaredSize(std::span<const uint8_t> file);

// The pixel size DecodeMetafile gives a WMF or EMF file. Raises
// EInvalidGraphic "Metafile is not valid" for a header that is not a
// metafile's. The size cap is not applied here.
DeclaredSize MetafileDeclaredSize(std::span<const uint8_t> file);

}  // namespace tintaro
