// Makes WMF (with or without the placeable header) and EMF files byte by
// byte, with every header field adjustable so tests can break one at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tintaro::test {

struct WmfOptions {
  bool placeable = true;
  // Placeable header: bounding box in units of unitsPerInch.
  int16_t left = 0, top = 0, right = 1440, bottom = 720;
  uint16_t unitsPerInch = 1440;
  bool breakChecksum = false;
  // The 18-byte header.
  uint16_t type = 1;
  uint16_t headerWords = 9;
  uint16_t version = 0x0300;
  // Records: a drawing record first (so a scan must step over it), then
  // SETWINDOWEXT when given (width, height), then the end record.
  std::optional<std::pair<int16_t, int16_t>> windowExt = std::nullopt;
  bool endRecord = true;
};

std::vector<uint8_t> BuildWmf(const WmfOptions& options = {});

struct EmfOptions {
  int32_t bounds[4] = {0, 0, 99, 49};     // left, top, right, bottom (pixels, inclusive)
  int32_t frame[4] = {0, 0, 2540, 1270};  // 0.01 mm: 1 x 0.5 inch
  uint32_t type = 1;
  uint32_t signature = 0x464D4520;
  uint32_t headerSize = 108;                         // the common size with pixel-format fields
  std::optional<uint32_t> totalSize = std::nullopt;  // default: the real file size
};

// An EMF of a header record and an end record.
std::vector<uint8_t> BuildEmf(const EmfOptions& options = {});

}  // namespace tintaro::test
