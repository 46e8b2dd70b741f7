// The picture size cap and the limits that tests and fuzz targets may lower.
#include "core/picture/Picture.h"

#include <algorithm>
#include <cstdlib>

namespace tintaro {

int64_t LimitFromEnvironment(const char* name, int64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (*end != '\0' || v < 0) return fallback;
  return std::min<int64_t>(v, fallback);
}

int64_t MaxPicturePixels() { return LimitFromEnvironment("TINTARO_PICTURE_MAX_PIXELS", kMaxPicturePixels); }

}  // namespace tintaro
