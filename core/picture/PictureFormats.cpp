// The picture format table and the extension rule that picks a decoder.
#include "core/picture/PictureFormats.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"

namespace tintaro {

namespace {

// Rows 5 and 6 stand for the JPEG decoder registering itself at start-up.
constexpr std::array<PictureFormatRow, 6> kRows = {{
    {"wmf", "Metafiles", PictureFormat::Wmf},
    {"emf", "Enhanced Metafiles", PictureFormat::Emf},
    {"ico", "Icons", PictureFormat::Icon},
    {"bmp", "Bitmaps", PictureFormat::Bmp},
    {"jpeg", "JPEG Image File", PictureFormat::Jpeg},
    {"jpg", "JPEG Image File", PictureFormat::Jpeg},
}};

}  // namespace

std::span<const PictureFormatRow> PictureFormatTable() { return kRows; }

std::string PictureExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return {};
  const size_t separator = path.find_last_of("/:");
  if (separator != std::string::npos && separator > dot) return {};
  return path.substr(dot + 1);
}

const PictureFormatRow& PictureFormatFor(const std::string& path) {
  const std::string written = PictureExtension(path);
  std::string lower = written;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (auto row = kRows.rbegin(); row != kRows.rend(); ++row) {
    if (lower == row->extension) return *row;
  }
  throw EInvalidGraphic("Unknown picture file extension (." + written + ")");
}

void DecodePicture(PictureFormat format, std::span<const uint8_t> file, Picture& out) {
  switch (format) {
    case PictureFormat::Wmf: return DecodeMetafile(file, false, out);
    case PictureFormat::Emf: return DecodeMetafile(file, true, out);
    case PictureFormat::Icon: return DecodeIcon(file, out);
    case PictureFormat::Bmp: return DecodeBmp(file, out);
    case PictureFormat::Jpeg: return DecodeJpeg(file, out);
  }
}

}  // namespace tintaro
