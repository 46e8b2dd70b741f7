// Tests of the border fill: drawn cases and a randomized comparison with a
// plain breadth-first flood fill, for every kernel this machine can run.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "core/picture/RegionFill.h"

namespace tintaro {
namespace {

constexpr uint32_t kGrey = 0x010101;  // darkest non-black: not a border
constexpr uint32_t kBlue = 0xFF0000;

// A picture drawn as text: '#' black, '.' white, 'r' red, 'g' dark grey,
// 'b' blue. One string per row.
struct Drawn {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

Drawn Draw(const std::vector<std::string>& rows) {
  Drawn d;
  d.height = static_cast<int>(rows.size());
  d.width = static_cast<int>(rows[0].size());
  for (const std::string& row : rows) {
    EXPECT_EQ(static_cast<int>(row.size()), d.width);
    for (char c : row) {
      switch (c) {
        case '#': d.pixels.push_back(kBlack); break;
        case 'r': d.pixels.push_back(kRed); break;
        case 'g': d.pixels.push_back(kGrey); break;
        case 'b': d.pixels.push_back(kBlue); break;
        default: d.pixels.push_back(kWhite); break;
      }
    }
  }
  return d;
}

std::vector<std::string> Text(const Drawn& d) {
  std::vector<std::string> rows;
  for (int y = 0; y < d.height; ++y) {
    std::string row;
    for (int x = 0; x < d.width; ++x) {
      switch (d.pixels[static_cast<size_t>(y * d.width + x)]) {
        case kBlack: row += '#'; break;
        case kRed: row += 'r'; break;
        case kGrey: row += 'g'; break;
        case kBlue: row += 'b'; break;
        case kWhite: row += '.'; break;
        default: row += '?'; break;
      }
    }
    rows.push_back(row);
  }
  return rows;
}

// The reference: breadth-first, one pixel at a time, with its own visited set.
void ReferenceFill(std::vector<uint32_t>& pixels, int width, int height, int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  auto at = [&](int px, int py) -> uint32_t& { return pixels[static_cast<size_t>(py) * width + px]; };
  if (at(x, y) == 0) return;
  std::vector<bool> seen(pixels.size(), false);
  std::deque<std::pair<int, int>> queue{{x, y}};
  seen[static_cast<size_t>(y) * width + x] = true;
  while (!queue.empty()) {
    auto [px, py] = queue.front();
    queue.pop_front();
    at(px, py) = colour;
    const int dx[] = {1, -1, 0, 0};
    const int dy[] = {0, 0, 1, -1};
    for (int k = 0; k < 4; ++k) {
      const int nx = px + dx[k];
      const int ny = py + dy[k];
      if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
      const size_t i = static_cast<size_t>(ny) * width + nx;
      if (seen[i] || pixels[i] == 0) continue;
      seen[i] = true;
      queue.push_back({nx, ny});
    }
  }
}

std::vector<FillKernel> Kernels() {
  std::vector<FillKernel> kernels;
  for (FillKernel k : {FillKernel::Generic, FillKernel::Sse2, FillKernel::Avx2, FillKernel::Best}) {
    if (RegionFiller::KernelSupported(k)) kernels.push_back(k);
  }
  return kernels;
}

std::string KernelName(FillKernel k) {
  switch (k) {
    case FillKernel::Generic: return "generic";
    case FillKernel::Sse2: return "sse2";
    case FillKernel::Avx2: return "avx2";
    case FillKernel::Best: return "best";
  }
  return "?";
}

// Fills the drawn picture at (x, y) with every kernel and checks each result.
void ExpectFill(const std::vector<std::string>& before, int x, int y, uint32_t colour,
                const std::vector<std::string>& after) {
  for (FillKernel kernel : Kernels()) {
    Drawn d = Draw(before);
    RegionFiller filler(kernel);
    filler.Fill(d.pixels.data(), d.width, d.height, x, y, colour);
    EXPECT_EQ(Text(d), after) << "kernel " << KernelName(kernel) << " at (" << x << ", " << y << ")";
  }
}

TEST(RegionFill, BlackSeedsAndSeedsOutsideThePictureChangeNothing) {
  const std::vector<std::string> picture = {
      "..#..",
      ".###.",
      "..#..",
  };
  for (auto [x, y] : std::vector<std::pair<int, int>>{{2, 0}, {2, 1}, {-1, 0}, {0, -1}, {5, 0}, {0, 3}, {-7, -7}}) {
    ExpectFill(picture, x, y, kRed, picture);
  }
}

TEST(RegionFill, DiagonalBlackLinesCloseARegion) {
  ExpectFill(
      {
          "....#.....",
          "...#.#....",
          "..#...#...",
          "...#...#..",
          "....#.#...",
          ".....#....",
      },
      4, 2, kRed,
      {
          "....#.....",
          "...#r#....",
          "..#rrr#...",
          "...#rrr#..",
          "....#r#...",
          ".....#....",
      });
  // From outside, the same outline keeps the fill out.
  ExpectFill(
      {
          ".....",
          "..#..",
          ".#.#.",
          "..#..",
          ".....",
      },
      0, 0, kRed,
      {
          "rrrrr",
          "rr#rr",
          "r#.#r",
          "rr#rr",
          "rrrrr",
      });
}

TEST(RegionFill, AOnePixelGapJoinsTwoRegions) {
  ExpectFill(
      {
          "...#...",
          "...#...",
          ".......",
          "...#...",
      },
      0, 0, kRed,
      {
          "rrr#rrr",
          "rrr#rrr",
          "rrrrrrr",
          "rrr#rrr",
      });
}

TEST(RegionFill, ThePictureEdgeBoundsARegion) {
  ExpectFill(
      {
          "..#....",
          "..#....",
          "###....",
          ".......",
      },
      0, 0, kRed,
      {
          "rr#....",
          "rr#....",
          "###....",
          ".......",
      });
  ExpectFill(
      {
          "..#....",
          "..#....",
          "###....",
          ".......",
      },
      6, 3, kRed,
      {
          "..#rrrr",
          "..#rrrr",
          "###rrrr",
          "rrrrrrr",
      });
}

TEST(RegionFill, MixedColoursBecomeOneAndOnlyPureBlackBounds) {
  // Red, blue and dark grey pixels all belong to the region; the grey line
  // is no border, so both sides fill.
  ExpectFill(
      {
          "r.b.#.",
          "gggg#.",
          ".rr.#.",
          "######",
      },
      1, 0, kWhite,
      {
          "....#.",
          "....#.",
          "....#.",
          "######",
      });
}

TEST(RegionFill, FillingWithTheColourAlreadyThereReachesEverythingBehindIt) {
  // A red bar splits the white area; filling red from one side must still
  // reach the other side through it, and then the whole region is red.
  ExpectFill(
      {
          "......",
          "rrrrrr",
          "......",
          "#.##..",
          ".#....",
      },
      0, 0, kRed,
      {
          "rrrrrr",
          "rrrrrr",
          "rrrrrr",
          "#r##rr",
          ".#rrrr",
      });
  // A region that is all red already stays exactly as it was.
  const std::vector<std::string> red = {
      "rrr#.",
      "r#r#.",
      "rrr##",
  };
  ExpectFill(red, 0, 0, kRed, red);
}

TEST(RegionFill, RegionsWithHolesAndLongRunsMatchTheReference) {
  // Runs longer than any vector block, a hole the fill must go around from
  // both sides, and a colour with a high byte, written as given.
  const int width = 200;
  const int height = 60;
  std::vector<uint32_t> picture(static_cast<size_t>(width) * height, kWhite);
  for (int y = 10; y < 50; ++y) {
    for (int x = 40; x < 160; ++x) {
      if (y == 10 || y == 49 || x == 40 || x == 159) picture[static_cast<size_t>(y) * width + x] = kBlack;
    }
  }
  for (FillKernel kernel : Kernels()) {
    for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {199, 59}, {100, 30}, {39, 30}}) {
      std::vector<uint32_t> ours = picture;
      std::vector<uint32_t> expected = picture;
      RegionFiller filler(kernel);
      filler.Fill(ours.data(), width, height, x, y, 0xAB123456u);
      ReferenceFill(expected, width, height, x, y, 0xAB123456u);
      EXPECT_EQ(ours, expected) << KernelName(kernel) << " seed " << x << "," << y;
    }
  }
}

TEST(RegionFill, AWholePictureSerpentineFillsWithoutRecursion) {
  // One corridor a pixel wide winding through the whole picture: as many
  // spans as rows times turns, and a path far longer than any call stack.
  const int width = 401;
  const int height = 801;
  std::vector<uint32_t> picture(static_cast<size_t>(width) * height, kWhite);
  for (int y = 1; y < height; y += 2) {
    for (int x = 0; x < width; ++x) picture[static_cast<size_t>(y) * width + x] = kBlack;
    const int gap = (y / 2) % 2 == 0 ? width - 1 : 0;
    picture[static_cast<size_t>(y) * width + gap] = kWhite;
  }
  std::vector<uint32_t> expected = picture;
  ReferenceFill(expected, width, height, 0, 0, kRed);
  for (FillKernel kernel : Kernels()) {
    std::vector<uint32_t> ours = picture;
    RegionFiller filler(kernel);
    filler.Fill(ours.data(), width, height, 0, 0, kRed);
    EXPECT_EQ(ours, expected) << KernelName(kernel);
    EXPECT_EQ(ours[static_cast<size_t>(height - 1) * width + width / 2], kRed);
  }
}

TEST(RegionFill, ACombNeedingMoreQueuedRunsThanAllowedStillFillsCompletely) {
  // Every tooth of the comb is a run waiting at once; with room for only a
  // few, the rest are finished by sweeps.
  const int width = 301;
  const int height = 40;
  std::vector<uint32_t> picture(static_cast<size_t>(width) * height, kWhite);
  for (int y = 1; y < height; ++y) {
    for (int x = 1; x < width; x += 2) picture[static_cast<size_t>(y) * width + x] = kBlack;
  }
  for (int x = 2; x < width; x += 4) picture[static_cast<size_t>(height / 2) * width + x] = kBlack;
  std::vector<uint32_t> expected = picture;
  ReferenceFill(expected, width, height, 0, height - 1, kRed);
  for (size_t pending : {size_t{1}, size_t{2}, size_t{7}}) {
    std::vector<uint32_t> ours = picture;
    RegionFiller filler(FillKernel::Best, pending);
    filler.Fill(ours.data(), width, height, 0, height - 1, kRed);
    EXPECT_EQ(ours, expected) << "room for " << pending;
  }
}

TEST(RegionFill, CopiedAndMovedFillersKeepFillingCorrectly) {
  const std::vector<std::string> before = {
      "..#..",
      ".##..",
      "#....",
  };
  const std::vector<std::string> after = {
      "rr#..",
      "r##..",
      "#....",
  };
  RegionFiller used;
  Drawn warm = Draw(before);
  used.Fill(warm.pixels.data(), warm.width, warm.height, 4, 0, kRed);  // leaves marks behind
  RegionFiller copy(used);
  RegionFiller moved(std::move(used));
  RegionFiller assigned;
  assigned = moved;
  for (RegionFiller* filler : {&used, &copy, &moved, &assigned}) {
    Drawn d = Draw(before);
    filler->Fill(d.pixels.data(), d.width, d.height, 0, 0, kRed);
    EXPECT_EQ(Text(d), after);
  }
  used = std::move(moved);
  Drawn d = Draw(before);
  used.Fill(d.pixels.data(), d.width, d.height, 0, 0, kRed);
  EXPECT_EQ(Text(d), after);
}

// Random pictures of many shapes, filled again and again by one filler (so
// its kept scratch must come back clean after each call and survive changes
// of size), and compared pixel for pixel with the reference.
TEST(RegionFill, RandomPicturesMatchABreadthFirstReference) {
  std::mt19937 random(20240613);
  std::vector<std::pair<int, int>> sizes = {{1, 1}, {1, 37}, {37, 1}, {1, 200}, {200, 1}, {2, 2}, {3, 50}};
  for (int w : {4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 128, 129, 130}) {
    sizes.push_back({w, 1 + static_cast<int>(random() % 40)});
  }
  for (int i = 0; i < 12; ++i) sizes.push_back({1 + static_cast<int>(random() % 300), 1 + static_cast<int>(random() % 120)});
  const uint32_t palette[] = {kBlack, kWhite, kRed, kBlue, kGrey, 0x00FFFE};
  struct Setup {
    FillKernel kernel;
    size_t pending;
  };
  std::vector<Setup> setups;
  for (FillKernel kernel : Kernels()) setups.push_back({kernel, RegionFiller::kDefaultMaxPending});
  setups.push_back({FillKernel::Best, 1});
  setups.push_back({FillKernel::Best, 5});
  for (const Setup& setup : setups) {
    const FillKernel kernel = setup.kernel;
    RegionFiller filler(kernel, setup.pending);
    for (auto [width, height] : sizes) {
      for (int density : {0, 15, 35, 50, 65}) {
        std::vector<uint32_t> ours(static_cast<size_t>(width) * height);
        for (uint32_t& p : ours) {
          p = static_cast<int>(random() % 100) < density ? kBlack : palette[1 + random() % 5];
        }
        std::vector<uint32_t> expected = ours;
        for (int fill = 0; fill < 6; ++fill) {
          // Seeds sometimes land outside; colours include black and the
          // colours already in the picture.
          const int x = static_cast<int>(random() % (width + 2)) - 1;
          const int y = static_cast<int>(random() % (height + 2)) - 1;
          const uint32_t colour = palette[random() % 6];
          filler.Fill(ours.data(), width, height, x, y, colour);
          ReferenceFill(expected, width, height, x, y, colour);
          ASSERT_EQ(ours, expected) << KernelName(kernel) << " room " << setup.pending << " " << width << "x" << height << " density "
                                    << density << " fill " << fill << " at " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tintaro
