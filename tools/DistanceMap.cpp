#include "tools/DistanceMap.h"

#include <algorithm>

namespace tintaro::tools {

std::vector<float> DistanceToMarked(const std::vector<uint8_t>& marked, int w, int h) {
  constexpr float kFar = 1e9f;
  const size_t ww = static_cast<size_t>(w);
  std::vector<float> d(marked.size());
  for (size_t i = 0; i < d.size(); ++i) d[i] = marked[i] ? 0.f : kFar;
  auto at = [&](int x, int y) -> float& { return d[static_cast<size_t>(y) * ww + static_cast<size_t>(x)]; };
  // Steps of 3 along a row or column and 4 across a corner, divided by 3 at the end.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float& v = at(x, y);
      if (x > 0) v = std::min(v, at(x - 1, y) + 3);
      if (y > 0) v = std::min(v, at(x, y - 1) + 3);
      if (x > 0 && y > 0) v = std::min(v, at(x - 1, y - 1) + 4);
      if (x + 1 < w && y > 0) v = std::min(v, at(x + 1, y - 1) + 4);
    }
  for (int y = h - 1; y >= 0; --y)
    for (int x = w - 1; x >= 0; --x) {
      float& v = at(x, y);
      if (x + 1 < w) v = std::min(v, at(x + 1, y) + 3);
      if (y + 1 < h) v = std::min(v, at(x, y + 1) + 3);
      if (x + 1 < w && y + 1 < h) v = std::min(v, at(x + 1, y + 1) + 4);
      if (x > 0 && y + 1 < h) v = std::min(v, at(x - 1, y + 1) + 4);
    }
  for (float& v : d) v /= 3;
  return d;
}

}  // namespace tintaro::tools
