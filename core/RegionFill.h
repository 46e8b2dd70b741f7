// The border fill: recolours the 4-connected region of non-black pixels
// around a seed, bounded by pure black and the picture's edge.
#pragma once

#include <cstdint>
#include <vector>

namespace tintaro {

class RegionFiller {
 public:
  // Fills the region of (x, y) in a width x height picture with `colour`.
  // Does nothing when (x, y) is outside the picture or black. Time is
  // proportional to the region; the scratch stack is kept between calls.
  void Fill(uint32_t* pixels, int width, int height, int x, int y, uint32_t colour);

 private:
  struct Span {
    int left;
    int right;  // inclusive
    int y;
    int parentY;
  };
  std::vector<Span> stack_;
};

}  // namespace tintaro
