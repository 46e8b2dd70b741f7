#include "tools/ClueFrame.h"

#include <algorithm>
#include <numeric>

namespace tintaro::tools {

namespace {

constexpr int kPaleGrey = 191;

int Red(uint32_t c) { return static_cast<int>(c & 0xFF); }
int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
uint32_t Grey(int v) { return static_cast<uint32_t>(v) * 0x010101u; }

}  // namespace

bool IsClueBackground(uint32_t c) { return Red(c) == Green(c) && Green(c) == Blue(c) && Red(c) >= kPaleGrey; }

uint32_t FigureColour(uint32_t c) {
  if (c == kClueFrameColour) return c ^ 0x000100;  // a shade off, never read as the frame
  if (!IsClueBackground(c)) return c;
  // A white or pale part of the figure keeps its look with a faint warm tint.
  const int v = Red(c);
  return static_cast<uint32_t>(v) | static_cast<uint32_t>(v - 6) << 8 | static_cast<uint32_t>(v - 16) << 16;
}

uint32_t FadedColour(uint32_t c) {
  const int luma = (Red(c) * 299 + Green(c) * 587 + Blue(c) * 114) / 1000;
  return Grey(kPaleGrey + luma * (255 - kPaleGrey) / 255);
}

ClueRect FramedPictureRect(int clueW, int clueH, int picW, int picH) {
  const int roomW = std::max(1, clueW - 2), roomH = std::max(1, clueH - 2);
  const double scale = std::min(double(roomW) / picW, double(roomH) / picH);
  const int w = std::clamp(static_cast<int>(picW * scale + 0.5), 1, roomW);
  const int h = std::clamp(static_cast<int>(picH * scale + 0.5), 1, roomH);
  return {1 + (roomW - w) / 2, 1 + (roomH - h) / 2, w, h};
}

Picture ComposeFramedClue(int clueW, int clueH, const Picture& inner, const std::vector<uint8_t>& figure,
                          bool fadeRest) {
  Picture clue;
  clue.Reset(PictureKind::Bitmap, clueW, clueH);
  std::fill(clue.pixels.begin(), clue.pixels.end(), kWhite);
  const ClueRect r{(clueW - inner.width) / 2, (clueH - inner.height) / 2, inner.width, inner.height};
  auto at = [&](int x, int y) -> uint32_t& {
    return clue.pixels[static_cast<size_t>(y) * static_cast<size_t>(clueW) + static_cast<size_t>(x)];
  };
  for (int y = r.y - 1; y <= r.y + r.h; ++y)
    for (int x = r.x - 1; x <= r.x + r.w; ++x) {
      if (x < 0 || y < 0 || x >= clueW || y >= clueH) continue;
      const bool border = x == r.x - 1 || y == r.y - 1 || x == r.x + r.w || y == r.y + r.h;
      if (border) {
        at(x, y) = kClueFrameColour;
        continue;
      }
      const size_t i = static_cast<size_t>(y - r.y) * static_cast<size_t>(r.w) + static_cast<size_t>(x - r.x);
      const uint32_t c = inner.pixels[i];
      at(x, y) = figure[i] ? FigureColour(c) : fadeRest ? FadedColour(c) : kWhite;
    }
  return clue;
}

int64_t ClueFigure::Count() const { return std::accumulate(mask.begin(), mask.end(), int64_t{0}); }

ClueFigure ReadClueFigure(const Picture& clue) {
  ClueFigure out;
  const int w = clue.width, h = clue.height;
  auto px = [&](int x, int y) { return clue.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]; };
  // The frame: the box around the frame-grey pixels, drawn nearly all round.
  int minX = w, minY = h, maxX = -1, maxY = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (px(x, y) == kClueFrameColour) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  if (maxX - minX >= 4 && maxY - minY >= 4) {
    int64_t on = 0, all = 0;
    for (int x = minX; x <= maxX; ++x, all += 2) on += (px(x, minY) == kClueFrameColour) + (px(x, maxY) == kClueFrameColour);
    for (int y = minY; y <= maxY; ++y, all += 2) on += (px(minX, y) == kClueFrameColour) + (px(maxX, y) == kClueFrameColour);
    out.framed = on * 10 >= all * 9;
  }
  out.area = out.framed ? ClueRect{minX + 1, minY + 1, maxX - minX - 1, maxY - minY - 1} : ClueRect{0, 0, w, h};
  out.mask.assign(static_cast<size_t>(out.area.w) * static_cast<size_t>(out.area.h), 0);
  for (int y = 0; y < out.area.h; ++y)
    for (int x = 0; x < out.area.w; ++x)
      out.mask[static_cast<size_t>(y) * static_cast<size_t>(out.area.w) + static_cast<size_t>(x)] =
          IsClueBackground(px(out.area.x + x, out.area.y + y)) ? 0 : 1;
  return out;
}

}  // namespace tintaro::tools
