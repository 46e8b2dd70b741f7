// A colouring page of a photo: its cells are the photo's own regions
// (OpenCV's SLICO superpixels), drawn as pure black lines on white inside
// the game's background frame. The cells come from the photo alone, so no
// line tells where a subject lies, unless the outline is asked to be traced.
#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

#include "core/picture/Picture.h"

namespace tintaro::tools {

struct CellSpec {
  int cells = 120;     // about this many
  uint32_t seed = 1;   // shifts the cells' grid: another seed, other cells
  int lineWidth = 2;
  // Cut some of the cells along this mask's outline too (easy puzzles: each
  // cut draws part of the answer). Null: the cells know nothing of any
  // subject.
  const std::vector<uint8_t>* trace = nullptr;
  // The share of the cells the outline crosses that are cut along it.
  double traceShare = 0.3;
};

// `colour` is Format_RGB888. Every region but the frame holds an 8 x 8
// square and no region is joined to itself through a one-pixel gap.
Picture DrawPictureCells(const QImage& colour, const CellSpec& spec);

}  // namespace tintaro::tools
