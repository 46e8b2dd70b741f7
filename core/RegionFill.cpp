// Scanline border fill with an explicit stack of spans.
#include "core/RegionFill.h"

#include <cstddef>

namespace tintaro {

namespace {

// No picture pixel carries a high byte (the surface masks fill colours to
// 24 bits), so this value marks pixels already taken by the running fill.
constexpr uint32_t kTaken = 0xFF000000u;

inline bool Open(uint32_t pixel) { return pixel != 0 && pixel != kTaken; }

}  // namespace

void RegionFiller::Fill(uint32_t* pixels, int width, int height, int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  const size_t stride = static_cast<size_t>(width);
  if (!Open(pixels[y * stride + x])) return;

  // Pass 1 marks the region span by span; the spans are kept so that pass 2
  // can write the colour. The region may already hold the fill colour in
  // places, so the colour itself cannot tell visited pixels apart.
  std::vector<Span> done;
  stack_.clear();
  auto takeSpan = [&](int sx, int sy, int parentY) {
    uint32_t* row = pixels + sy * stride;
    int left = sx;
    int right = sx;
    while (left > 0 && Open(row[left - 1])) --left;
    while (right + 1 < width && Open(row[right + 1])) ++right;
    for (int i = left; i <= right; ++i) row[i] = kTaken;
    stack_.push_back({left, right, sy, parentY});
    done.push_back({left, right, sy, parentY});
  };
  takeSpan(x, y, y);
  while (!stack_.empty()) {
    const Span span = stack_.back();
    stack_.pop_back();
    for (int ny : {span.y - 1, span.y + 1}) {
      if (ny < 0 || ny >= height) continue;
      const uint32_t* row = pixels + ny * stride;
      for (int i = span.left; i <= span.right; ++i) {
        if (Open(row[i])) takeSpan(i, ny, span.y);
      }
    }
  }
  for (const Span& span : done) {
    uint32_t* row = pixels + span.y * stride;
    for (int i = span.left; i <= span.right; ++i) row[i] = colour;
  }
}

}  // namespace tintaro
