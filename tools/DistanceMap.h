// How far each pixel lies from the nearest marked one, in pixels: the 3-4
// chamfer approximation of the Euclidean distance, in two passes. The
// reasoning player measures how near a placed outline runs to drawn lines,
// the camouflage measure whether an outline is drawn, the builder how wide a
// hole in a figure is. No Qt.
#pragma once

#include <cstdint>
#include <vector>

namespace tintaro::tools {

// `marked` holds w * h values, row 0 at the top; a marked pixel is at 0.
// Without any mark every pixel is far (above any picture's size).
std::vector<float> DistanceToMarked(const std::vector<uint8_t>& marked, int w, int h);

}  // namespace tintaro::tools
