#include "tools/Camouflage.h"

#include <algorithm>
#include <cmath>

namespace tintaro::tools {

namespace {

std::string Percent(double share) { return std::to_string(static_cast<int>(std::lround(share * 100))) + " %"; }

}  // namespace

double OutlineOnLines(const std::vector<uint8_t>& mask, const Picture& drawing) {
  const int w = drawing.width, h = drawing.height;
  if (mask.size() != drawing.pixels.size()) return 0;
  auto in = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && mask[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
  };
  auto blackNear = [&](int x, int y) {
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        const int ax = x + dx, ay = y + dy;
        if (ax >= 0 && ay >= 0 && ax < w && ay < h &&
            drawing.pixels[static_cast<size_t>(ay) * static_cast<size_t>(w) + static_cast<size_t>(ax)] == kBlack)
          return true;
      }
    return false;
  };
  int64_t outline = 0, drawn = 0;
  // The picture's edge is no outline: a figure cut off there shows none.
  for (int y = 1; y + 1 < h; ++y)
    for (int x = 1; x + 1 < w; ++x) {
      if (!in(x, y) || (in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1))) continue;
      ++outline;
      drawn += blackNear(x, y);
    }
  return outline ? static_cast<double>(drawn) / static_cast<double>(outline) : 0;
}

bool Camouflage::SinglesOut() const {
  if (hidden < 0.5) return false;  // not drawn: nothing to single out
  if (decoys.empty()) return true;
  return hidden > *std::max_element(decoys.begin(), decoys.end()) + kSinglingMargin;
}

std::string Camouflage::Line() const {
  std::string line = std::string("singled out: ") + (SinglesOut() ? "yes" : "no") + ": its outline is drawn at " +
                     Percent(hidden);
  if (decoys.empty()) return line + ", with no decoy figure";
  const auto [lo, hi] = std::minmax_element(decoys.begin(), decoys.end());
  return line + ", the decoy figures' at " + Percent(*lo) + (*lo == *hi ? "" : " to " + Percent(*hi));
}

Camouflage MeasureCamouflage(const std::vector<uint8_t>& hidden, const std::vector<std::vector<uint8_t>>& decoys,
                             const Picture& drawing) {
  Camouflage c;
  c.hidden = OutlineOnLines(hidden, drawing);
  for (const std::vector<uint8_t>& d : decoys) c.decoys.push_back(OutlineOnLines(d, drawing));
  return c;
}

}  // namespace tintaro::tools
