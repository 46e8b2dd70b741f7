// Measures the border fill against OpenCV's flood fill and against a plain
// write of the same bytes, on line drawings and a lineless picture.
#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/Ratio.h"
#include "core/picture/Picture.h"
#include "core/picture/RegionFill.h"

namespace {

using tintaro::kBlack;
using tintaro::kRed;
using tintaro::kWhite;

constexpr int kGrid = 16;  // grid line every 16 px: cells of 15 x 15
constexpr int kReplayMoves = 997;
constexpr int kReplayHints = 1000;

struct Point {
  int x;
  int y;
};

// Lineless: one region, the whole picture. Lines: a drawing of 15 x 15 cells
// cut by strokes. Maze: the same with a gap in every cell wall, so one fill
// from a corner winds through nearly the whole picture in short runs.
enum class Drawing { Lineless, Lines, Maze };

struct Scene {
  int width = 0;
  int height = 0;
  Drawing drawing = Drawing::Lineless;
  std::vector<uint32_t> clean;
  Point cell{};              // the centre of a 15 x 15 cell with no stroke in it
  std::vector<Point> undo;   // 997 + 1000 seeds in random cells
};

uint32_t RandomNonBlack(std::mt19937& random) {
  for (;;) {
    const uint32_t c = random() & 0xFFFFFFu;
    if (c != 0) return c;
  }
}

// White with 2% random non-black pixels; with lines, a black grid every 16 px
// and random one-pixel diagonal black strokes.
Scene MakeScene(int width, int height, Drawing drawing) {
  const bool lines = drawing != Drawing::Lineless;
  Scene s;
  s.width = width;
  s.height = height;
  s.drawing = drawing;
  std::mt19937 random(static_cast<uint32_t>(width * 31 + height + static_cast<int>(drawing)));
  s.clean.assign(static_cast<size_t>(width) * height, kWhite);
  auto at = [&](int x, int y) -> uint32_t& { return s.clean[static_cast<size_t>(y) * width + x]; };
  for (uint32_t& p : s.clean) {
    if (random() % 100 < 2) p = RandomNonBlack(random);
  }
  if (lines) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (x % kGrid == 0 || y % kGrid == 0) at(x, y) = kBlack;
      }
    }
    const int strokes = width * height / 4096;
    for (int i = 0; i < strokes; ++i) {
      int x = static_cast<int>(random() % width);
      int y = static_cast<int>(random() % height);
      const int dy = random() % 2 ? 1 : -1;
      const int length = 8 + static_cast<int>(random() % 57);
      for (int k = 0; k < length && x < width && y >= 0 && y < height; ++k, ++x, y += dy) at(x, y) = kBlack;
    }
  }
  if (drawing == Drawing::Maze) {
    for (int cy = 0; cy < height / kGrid; ++cy) {
      for (int cx = 0; cx < width / kGrid; ++cx) {
        if (cy > 0) at(cx * kGrid + 1 + static_cast<int>(random() % (kGrid - 1)), cy * kGrid) = kWhite;
        if (cx > 0) at(cx * kGrid, cy * kGrid + 1 + static_cast<int>(random() % (kGrid - 1))) = kWhite;
      }
    }
  }
  // The single-cell benchmark uses the clean cell nearest the centre.
  const int cellsX = width / kGrid;
  const int cellsY = height / kGrid;
  s.cell = {width / 2, height / 2};
  for (int r = 0; lines && r < std::max(cellsX, cellsY); ++r) {
    bool found = false;
    for (int cy = cellsY / 2 - r; cy <= cellsY / 2 + r && !found; ++cy) {
      for (int cx = cellsX / 2 - r; cx <= cellsX / 2 + r && !found; ++cx) {
        if (cx < 0 || cy < 0 || cx >= cellsX || cy >= cellsY) continue;
        bool clear = true;
        for (int y = cy * kGrid + 1; y < (cy + 1) * kGrid && clear; ++y) {
          for (int x = cx * kGrid + 1; x < (cx + 1) * kGrid && clear; ++x) clear = at(x, y) != kBlack;
        }
        if (clear) {
          s.cell = {cx * kGrid + kGrid / 2, cy * kGrid + kGrid / 2};
          found = true;
        }
      }
    }
    if (found) break;
  }
  // Replay seeds: random points inside random cells (some land on a stroke,
  // and such a fill changes nothing, as in the game).
  for (int i = 0; i < kReplayMoves + kReplayHints; ++i) {
    const int cx = static_cast<int>(random() % cellsX);
    const int cy = static_cast<int>(random() % cellsY);
    s.undo.push_back({cx * kGrid + 1 + static_cast<int>(random() % (kGrid - 1)),
                      cy * kGrid + 1 + static_cast<int>(random() % (kGrid - 1))});
  }
  return s;
}

const Scene& SceneFor(int width, int height, Drawing drawing) {
  static std::vector<std::unique_ptr<Scene>> scenes;
  for (const auto& s : scenes) {
    if (s->width == width && s->height == height && s->drawing == drawing) return *s;
  }
  scenes.push_back(std::make_unique<Scene>(MakeScene(width, height, drawing)));
  return *scenes.back();
}

// ---- the two fillers, behind one shape so each measurement is written once.

struct OursFiller {
  int width;
  int height;
  tintaro::RegionFiller filler;

  OursFiller(const std::vector<uint32_t>&, int w, int h) : width(w), height(h) {}
  void Fill(uint32_t* pixels, int x, int y, uint32_t colour) {
    filler.Fill(pixels, width, height, x, y, colour);
  }
};

// OpenCV: mask-only flood fill. The mask is kept between fills with 1 on
// every black pixel, so OpenCV never compares colours (its image is a
// constant 8-bit plane); the colour is then written where the mask says, and
// those marks are reset in the same pass.
struct CvFiller {
  int width;
  int height;
  cv::Mat plane;  // constant: every neighbour is within the zero range
  cv::Mat mask;   // (H+2) x (W+2), 1 on black pixels

  CvFiller(const std::vector<uint32_t>& pixels, int w, int h)
      : width(w), height(h), plane(h, w, CV_8UC1, cv::Scalar(0)), mask(h + 2, w + 2, CV_8UC1, cv::Scalar(0)) {
    for (int y = 0; y < h; ++y) {
      uint8_t* m = mask.ptr<uint8_t>(y + 1) + 1;
      for (int x = 0; x < w; ++x) m[x] = pixels[static_cast<size_t>(y) * w + x] == kBlack ? 1 : 0;
    }
  }

  void Fill(uint32_t* pixels, int x, int y, uint32_t colour) {
    cv::Rect rect;
    const int filled = cv::floodFill(plane, mask, cv::Point(x, y), cv::Scalar(), &rect, cv::Scalar(), cv::Scalar(),
                                     4 | cv::FLOODFILL_MASK_ONLY | (2 << 8));
    if (filled == 0) return;
    for (int ry = rect.y; ry < rect.y + rect.height; ++ry) {
      uint8_t* m = mask.ptr<uint8_t>(ry + 1) + 1;
      uint32_t* row = pixels + static_cast<size_t>(ry) * width;
      for (int rx = rect.x; rx < rect.x + rect.width; ++rx) {
        if (m[rx] == 2) {
          row[rx] = colour;
          m[rx] = 0;
        }
      }
    }
  }
};

// Fills one region over and over in alternating colours: the whole picture
// from (1, 1), or one grid cell of the line drawing.
template <class Filler, Drawing drawing>
void RepeatedFill(benchmark::State& state, int width, int height) {
  const Scene& scene = SceneFor(width, height, drawing);
  const Point seed = drawing == Drawing::Lines ? scene.cell : Point{1, 1};
  std::vector<uint32_t> pixels = scene.clean;
  Filler filler(pixels, width, height);
  filler.Fill(pixels.data(), seed.x, seed.y, kRed);
  uint32_t colour = kWhite;
  for (auto _ : state) {
    filler.Fill(pixels.data(), seed.x, seed.y, colour);
    colour ^= kWhite ^ kRed;
    benchmark::ClobberMemory();
  }
}

// The undo pattern: the clean picture copied back, then 997 + 1000 fills.
template <class Filler>
void Undo(benchmark::State& state, int width, int height) {
  const Scene& scene = SceneFor(width, height, Drawing::Lines);
  std::vector<uint32_t> pixels = scene.clean;
  Filler filler(pixels, width, height);
  for (auto _ : state) {
    std::memcpy(pixels.data(), scene.clean.data(), pixels.size() * sizeof(uint32_t));
    for (const Point& p : scene.undo) filler.Fill(pixels.data(), p.x, p.y, kRed);
    benchmark::ClobberMemory();
  }
}

// ---- the floor: writing the region's bytes and nothing else.

void FloorWhole(benchmark::State& state, int width, int height) {
  std::vector<uint32_t> pixels = SceneFor(width, height, Drawing::Lineless).clean;
  int value = 0xFF;
  for (auto _ : state) {
    std::memset(pixels.data(), value, pixels.size() * sizeof(uint32_t));
    value ^= 0x80;
    benchmark::ClobberMemory();
  }
}

inline void WriteCell(uint32_t* pixels, int width, Point p, int value) {
  const int left = p.x / kGrid * kGrid + 1;
  const int top = p.y / kGrid * kGrid + 1;
  for (int y = top; y < top + kGrid - 1; ++y) {
    std::memset(pixels + static_cast<size_t>(y) * width + left, value, (kGrid - 1) * sizeof(uint32_t));
  }
}

void FloorCell(benchmark::State& state, int width, int height) {
  const Scene& scene = SceneFor(width, height, Drawing::Lines);
  std::vector<uint32_t> pixels = scene.clean;
  int value = 0xFF;
  for (auto _ : state) {
    WriteCell(pixels.data(), width, scene.cell, value);
    value ^= 0x80;
    benchmark::ClobberMemory();
  }
}

void FloorUndo(benchmark::State& state, int width, int height) {
  const Scene& scene = SceneFor(width, height, Drawing::Lines);
  std::vector<uint32_t> pixels = scene.clean;
  for (auto _ : state) {
    std::memcpy(pixels.data(), scene.clean.data(), pixels.size() * sizeof(uint32_t));
    for (const Point& p : scene.undo) WriteCell(pixels.data(), width, p, 0x7F);
    benchmark::ClobberMemory();
  }
}

}  // namespace

int main(int argc, char** argv) {
  using Fn = void (*)(benchmark::State&, int, int);
  struct Kind {
    const char* name;
    Fn ours;
    Fn opencv;
    Fn floor;
  };
  const Kind kinds[] = {
      {"whole", RepeatedFill<OursFiller, Drawing::Lineless>, RepeatedFill<CvFiller, Drawing::Lineless>, FloorWhole},
      {"cell", RepeatedFill<OursFiller, Drawing::Lines>, RepeatedFill<CvFiller, Drawing::Lines>, FloorCell},
      // The floor here writes the whole picture, a little more than the maze.
      {"maze", RepeatedFill<OursFiller, Drawing::Maze>, RepeatedFill<CvFiller, Drawing::Maze>, FloorWhole},
      {"undo", Undo<OursFiller>, Undo<CvFiller>, FloorUndo},
  };
  const std::pair<int, int> sizes[] = {{1024, 768}, {4096, 4096}};
  std::vector<tintaro::bench::Comparison> comparisons;
  for (const Kind& kind : kinds) {
    for (auto [w, h] : sizes) {
      const std::string size = std::to_string(w) + "x" + std::to_string(h);
      const std::string base = std::string(kind.name) + "/" + size;
      benchmark::RegisterBenchmark(("ours/" + base).c_str(), kind.ours, w, h);
      benchmark::RegisterBenchmark(("opencv/" + base).c_str(), kind.opencv, w, h);
      benchmark::RegisterBenchmark(("floor/" + base).c_str(), kind.floor, w, h);
      comparisons.push_back({std::string(kind.name) + "_" + size + "_vs_opencv", "ours/" + base, "opencv/" + base});
      comparisons.push_back({std::string(kind.name) + "_" + size + "_vs_floor", "ours/" + base, "floor/" + base});
    }
  }
  return tintaro::bench::RunWithRatios(argc, argv, comparisons);
}
