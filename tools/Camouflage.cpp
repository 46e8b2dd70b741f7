#include "tools/Camouflage.h"

#include <algorithm>
#include <cmath>

#include "tools/DistanceMap.h"

namespace tintaro::tools {

namespace {

std::string Percent(double share) { return std::to_string(static_cast<int>(std::lround(share * 100))) + " %"; }

}  // namespace

double OutlineOnLines(const std::vector<uint8_t>& mask, const Picture& drawing) {
  const int w = drawing.width, h = drawing.height;
  if (mask.size() != drawing.pixels.size()) return 0;
  std::vector<uint8_t> black(drawing.pixels.size());
  for (size_t i = 0; i < black.size(); ++i) black[i] = drawing.pixels[i] == kBlack;
  const std::vector<float> distance = DistanceToMarked(black, w, h);
  auto in = [&](int x, int y) { return mask[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] != 0; };
  int64_t outline = 0, drawn = 0;
  // The picture's edge is no outline: a figure cut off there shows none.
  for (int y = 1; y + 1 < h; ++y)
    for (int x = 1; x + 1 < w; ++x) {
      if (!in(x, y) || (in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1))) continue;
      ++outline;
      // Within two pixels either way: 8/3 is the chamfer's (2, 2).
      drawn += distance[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] <= 8.f / 3 + 1e-4f;
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
