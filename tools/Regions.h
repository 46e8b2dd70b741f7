// The regions of a line drawing as the game sees them: 4-connected sets of
// pixels that are not pure black, with a seed pixel well inside each, the
// largest square each holds, and the faults that make one hard to play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/picture/Picture.h"

namespace tintaro::tools {

// The smallest square a region the player must click has to hold.
inline constexpr int kMinClickSide = 8;

struct RegionInfo {
  int64_t area = 0;
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
  // Side of the largest square of the region's pixels, and its centre: the
  // seed pixel, as far from the region's border as such a square allows.
  int maxSquare = 0;
  int seedX = 0, seedY = 0;
};

struct RegionMap {
  int width = 0;
  int height = 0;
  std::vector<int32_t> label;  // region index per pixel, -1 on black
  std::vector<RegionInfo> regions;

  // The region at (x, y), or -1 on black or outside the picture.
  int32_t At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return -1;
    return label[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

RegionMap FindRegions(const Picture& picture);

// Pixels through which a region passes between two black pixels (or the
// picture's edge) on opposite sides: a one-pixel gap in a line.
bool IsGapPixel(const Picture& picture, int x, int y);

// For each region: the gap pixels that alone join two parts of it, each part
// holding at least a few pixels. Empty when the region has none.
std::vector<std::vector<int64_t>> JoiningGaps(const Picture& picture, const RegionMap& map);

// The lines between target and other regions, and how many of them only the
// hidden picture drew. Each black pixel belongs to its nearest region (in
// steps through black); a boundary pixel is a black pixel whose region and a
// 4-neighbour's region differ in being a target. It is given away when it is
// white in `without`, the drawing made from the same source hiding nothing.
struct OutlineShare {
  int64_t boundary = 0;
  int64_t givenAway = 0;
  // Given away in percent of the boundary, rounded up: 0 only when none is.
  int Percent() const;
};
OutlineShare MeasureGivenAway(const RegionMap& map, const std::vector<uint8_t>& isTarget, const Picture& without);

// Grey or dark pixels beside a black one: the smoothed edges of a line.
int64_t CountGreyEdgePixels(const Picture& picture);

}  // namespace tintaro::tools
