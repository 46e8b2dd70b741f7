// A mosaic line drawing over a hidden shape: irregular cells with gently
// curved borders. By default the cells know nothing of the shape, so no line
// tells where it lies; traced, they are cut along its outline so that the
// shape is exactly a union of regions. No Qt: the shape arrives as a mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/picture/Picture.h"

namespace tintaro::tools {

struct MosaicSpec {
  int width = 0;
  int height = 0;
  // width * height values, row 0 at the top: 1 inside the hidden shape.
  // Only a traced outline reads it; null or empty is all outside.
  const std::vector<uint8_t>* mask = nullptr;
  int cells = 20;
  uint32_t seed = 1;
  int lineWidth = 2;
  // Outlines of random circles and boxes drawn across the mosaic, so that
  // the hidden shape's smooth outline is not the only one (at most 16).
  int decoys = 0;
  // Other figures' masks (width * height values, 1 inside), outlined across
  // the mosaic exactly as a traced hidden shape is: every cell they cross is
  // cut along them, and no piece merges across them. At most 16 with the
  // decoys.
  std::vector<std::vector<uint8_t>> figures;
  // Share of the cells the mask's outline crosses that are cut along it, 0
  // to 1 (easy puzzles only: every cut draws part of the answer). The others
  // stay whole, so the player still has to work out where the shape runs.
  double traceShare = 0;
  // Cells in the middle of the picture, where a centred shape mostly lies,
  // are split detail x detail: finer where it matters, yet the same with or
  // without the shape (1 ... 3).
  int detail = 1;
};

// The white ring inside the picture's edge that holds pixel (1, 1): the
// game's background, outside every cell.
int FrameWidth(int lineWidth);

// Black lines `lineWidth` wide wherever neighbouring pixels carry different
// labels (w * h values, row 0 at the top), white everywhere else.
Picture DrawLabelBorders(int w, int h, const std::vector<int32_t>& labels, int lineWidth);

// Sets the lowest bit of each pixel's key to its side of the shape (mask 1
// inside) in the cells cut along the outline: `share` (0 to 1) of the cells
// the outline crosses, picked by `seed`. Every other cell takes the side
// most of it lies on, whole, so a piece too small to click can still merge
// into it from the same side. `siteOf` holds each pixel's cell, below
// `sites`, or -1 where the pixel is in no cell.
void MarkShapeSides(const std::vector<uint8_t>& mask, double share, uint64_t seed, const std::vector<int32_t>& siteOf,
                    int32_t sites, std::vector<int32_t>& key);

// A black-on-white drawing. Pieces too small to click are merged into a
// neighbour (on the same side of a traced outline, or of the shape for a
// whole cell once any is traced).
Picture DrawMosaic(const MosaicSpec& spec);

// The program's small deterministic generator (splitmix64).
class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

 private:
  uint64_t state_;
};

}  // namespace tintaro::tools
