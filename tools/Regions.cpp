// Region finding on the picture's pixels with plain breadth-first searches;
// the pictures are at most a few million pixels, searched a handful of times.
#include "tools/Regions.h"

#include <algorithm>

namespace tintaro::tools {

namespace {

// A part of a region cut off by a gap counts when it holds this many pixels;
// smaller pockets are corners of the drawing, not places to paint.
constexpr int64_t kMinPartPixels = 9;

bool Black(const Picture& p, int x, int y) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return true;  // the edge bounds like a line
  return p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)] == kBlack;
}

}  // namespace

RegionMap FindRegions(const Picture& picture) {
  RegionMap map;
  map.width = picture.width;
  map.height = picture.height;
  const size_t w = static_cast<size_t>(picture.width);
  const size_t count = w * static_cast<size_t>(picture.height);
  map.label.assign(count, -1);
  std::vector<size_t> queue;
  for (size_t start = 0; start < count; ++start) {
    if (picture.pixels[start] == kBlack || map.label[start] != -1) continue;
    const int32_t id = static_cast<int32_t>(map.regions.size());
    RegionInfo info;
    info.minX = info.maxX = static_cast<int>(start % w);
    info.minY = info.maxY = static_cast<int>(start / w);
    queue.assign(1, start);
    map.label[start] = id;
    for (size_t head = 0; head < queue.size(); ++head) {
      const size_t i = queue[head];
      const int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
      ++info.area;
      info.minX = std::min(info.minX, x);
      info.maxX = std::max(info.maxX, x);
      info.minY = std::min(info.minY, y);
      info.maxY = std::max(info.maxY, y);
      const int nx[4] = {x - 1, x + 1, x, x};
      const int ny[4] = {y, y, y - 1, y + 1};
      for (int k = 0; k < 4; ++k) {
        if (Black(picture, nx[k], ny[k])) continue;
        const size_t j = static_cast<size_t>(ny[k]) * w + static_cast<size_t>(nx[k]);
        if (map.label[j] != -1) continue;
        map.label[j] = id;
        queue.push_back(j);
      }
    }
    map.regions.push_back(info);
  }
  // Largest square ending at each pixel, within one region.
  std::vector<int32_t> side(count, 0);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const size_t i = static_cast<size_t>(y) * w + static_cast<size_t>(x);
      const int32_t id = map.label[i];
      if (id < 0) continue;
      int32_t s = 1;
      if (x > 0 && y > 0 && map.label[i - 1] == id && map.label[i - w] == id && map.label[i - w - 1] == id)
        s = 1 + std::min({side[i - 1], side[i - w], side[i - w - 1]});
      side[i] = s;
      RegionInfo& r = map.regions[static_cast<size_t>(id)];
      if (s > r.maxSquare) {
        r.maxSquare = s;
        r.seedX = x - (s - 1) / 2;
        r.seedY = y - (s - 1) / 2;
      }
    }
  }
  return map;
}

bool IsGapPixel(const Picture& picture, int x, int y) {
  if (Black(picture, x, y)) return false;
  return (Black(picture, x - 1, y) && Black(picture, x + 1, y)) ||
         (Black(picture, x, y - 1) && Black(picture, x, y + 1));
}

std::vector<std::vector<int64_t>> JoiningGaps(const Picture& picture, const RegionMap& map) {
  const size_t w = static_cast<size_t>(picture.width);
  std::vector<std::vector<int64_t>> gapsOf(map.regions.size());
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (IsGapPixel(picture, x, y))
        gapsOf[static_cast<size_t>(map.At(x, y))].push_back(static_cast<int64_t>(y) * picture.width + x);

  std::vector<std::vector<int64_t>> joining(map.regions.size());
  std::vector<int32_t> part(map.label.size(), -1);
  std::vector<uint8_t> isGap(map.label.size(), 0);
  std::vector<size_t> queue;
  for (size_t id = 0; id < map.regions.size(); ++id) {
    if (gapsOf[id].empty()) continue;
    for (int64_t g : gapsOf[id]) isGap[static_cast<size_t>(g)] = 1;
    // Split the region without its gap pixels and count the parts that matter.
    const RegionInfo& r = map.regions[id];
    int bigParts = 0;
    int32_t nextPart = 0;
    for (int y = r.minY; y <= r.maxY; ++y) {
      for (int x = r.minX; x <= r.maxX; ++x) {
        const size_t start = static_cast<size_t>(y) * w + static_cast<size_t>(x);
        if (map.label[start] != static_cast<int32_t>(id) || isGap[start] || part[start] != -1) continue;
        queue.assign(1, start);
        part[start] = nextPart;
        for (size_t head = 0; head < queue.size(); ++head) {
          const size_t i = queue[head];
          const int px = static_cast<int>(i % w), py = static_cast<int>(i / w);
          const int nx[4] = {px - 1, px + 1, px, px};
          const int ny[4] = {py, py, py - 1, py + 1};
          for (int k = 0; k < 4; ++k) {
            if (map.At(nx[k], ny[k]) != static_cast<int32_t>(id)) continue;
            const size_t j = static_cast<size_t>(ny[k]) * w + static_cast<size_t>(nx[k]);
            if (isGap[j] || part[j] != -1) continue;
            part[j] = nextPart;
            queue.push_back(j);
          }
        }
        ++nextPart;
        if (static_cast<int64_t>(queue.size()) >= kMinPartPixels) ++bigParts;
      }
    }
    if (bigParts >= 2) {
      // Only the gap pixels that touch two different parts do the joining.
      for (int64_t g : gapsOf[id]) {
        const int gx = static_cast<int>(g % picture.width), gy = static_cast<int>(g / picture.width);
        int32_t seen = -1;
        bool joins = false;
        const int nx[4] = {gx - 1, gx + 1, gx, gx};
        const int ny[4] = {gy, gy, gy - 1, gy + 1};
        for (int k = 0; k < 4; ++k) {
          if (map.At(nx[k], ny[k]) != static_cast<int32_t>(id)) continue;
          const int32_t p = part[static_cast<size_t>(ny[k]) * w + static_cast<size_t>(nx[k])];
          if (p < 0) continue;
          if (seen >= 0 && p != seen) joins = true;
          seen = p;
        }
        if (joins) joining[id].push_back(g);
      }
      // A gap wider than one pixel along the line joins through runs of gap
      // pixels; keep the whole run when no single pixel touches both sides.
      if (joining[id].empty()) joining[id] = gapsOf[id];
    }
    for (int64_t g : gapsOf[id]) isGap[static_cast<size_t>(g)] = 0;
  }
  return joining;
}

int OutlineShare::Percent() const {
  return boundary == 0 ? 0 : static_cast<int>((givenAway * 100 + boundary - 1) / boundary);
}

OutlineShare MeasureGivenAway(const RegionMap& map, const std::vector<uint8_t>& isTarget, const Picture& without) {
  const int w = map.width, h = map.height;
  const size_t count = map.label.size();
  // Owner region per pixel: a breadth-first spread from every region at once.
  std::vector<int32_t> owner = map.label;
  std::vector<size_t> queue;
  for (size_t i = 0; i < count; ++i)
    if (owner[i] >= 0) queue.push_back(i);
  for (size_t head = 0; head < queue.size(); ++head) {
    const size_t i = queue[head];
    const int x = static_cast<int>(i % static_cast<size_t>(w)), y = static_cast<int>(i / static_cast<size_t>(w));
    const int nx[4] = {x - 1, x + 1, x, x};
    const int ny[4] = {y, y, y - 1, y + 1};
    for (int k = 0; k < 4; ++k) {
      if (nx[k] < 0 || ny[k] < 0 || nx[k] >= w || ny[k] >= h) continue;
      const size_t j = static_cast<size_t>(ny[k]) * static_cast<size_t>(w) + static_cast<size_t>(nx[k]);
      if (owner[j] >= 0) continue;
      owner[j] = owner[i];
      queue.push_back(j);
    }
  }
  auto target = [&](size_t i) {
    return owner[i] >= 0 && static_cast<size_t>(owner[i]) < isTarget.size() && isTarget[static_cast<size_t>(owner[i])];
  };
  const bool comparable = without.width == w && without.height == h;
  OutlineShare share;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      if (map.label[i] >= 0 || owner[i] < 0) continue;
      const int nx[4] = {x - 1, x + 1, x, x};
      const int ny[4] = {y, y, y - 1, y + 1};
      bool boundary = false;
      for (int k = 0; k < 4 && !boundary; ++k)
        if (nx[k] >= 0 && ny[k] >= 0 && nx[k] < w && ny[k] < h)
          boundary = target(static_cast<size_t>(ny[k]) * static_cast<size_t>(w) + static_cast<size_t>(nx[k])) != target(i);
      if (!boundary) continue;
      ++share.boundary;
      if (!comparable || without.pixels[i] != kBlack) ++share.givenAway;
    }
  return share;
}

int64_t CountGreyEdgePixels(const Picture& picture) {
  int64_t count = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t c = picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) +
                                        static_cast<size_t>(x)];
      if (c == kBlack || c == kWhite) continue;
      // Smoothing a black line leaves greys, or darker shades of the colour
      // beside it; a light colour of its own is a region's fill.
      const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
      if (!(r == g && g == b) && r * 299 + g * 587 + b * 114 >= 128 * 1000) continue;
      bool besideBlack = false;
      for (int dy = -1; dy <= 1 && !besideBlack; ++dy)
        for (int dx = -1; dx <= 1 && !besideBlack; ++dx)
          if ((dx || dy) && x + dx >= 0 && y + dy >= 0 && x + dx < picture.width && y + dy < picture.height &&
              Black(picture, x + dx, y + dy))
            besideBlack = true;
      if (besideBlack) ++count;
    }
  }
  return count;
}

}  // namespace tintaro::tools
