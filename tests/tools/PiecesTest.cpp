// tromake's parts against simple references: regions and their largest
// squares, the mosaic's promise that the hidden shape is a union of regions,
// and what the game's own loader and reader make of the files it writes.
#include <gtest/gtest.h>

#include <random>

#include "archive/ArchiveTestKit.h"
#include "core/Game.h"
#include "core/picture/PaintSurface.h"
#include "core/rules/SolutionFile.h"
#include "support/FakeUi.h"
#include "tools/Mosaic.h"
#include "tools/PuzzleFiles.h"
#include "tools/PuzzleSource.h"
#include "tools/Regions.h"

namespace tintaro::test {
namespace {

using tools::FindRegions;
using tools::RegionMap;

Picture RandomPicture(std::mt19937& rng, int w, int h, int blackPercent) {
  Picture p;
  p.Reset(PictureKind::Bitmap, w, h);
  for (uint32_t& c : p.pixels) c = static_cast<int>(rng() % 100) < blackPercent ? kBlack : kWhite;
  return p;
}

// Labels by repeated sweeps that spread the smallest pixel index to
// 4-neighbours until nothing changes: slow, but obviously right.
std::vector<int64_t> ReferenceLabels(const Picture& p) {
  std::vector<int64_t> l(p.pixels.size(), -1);
  for (size_t i = 0; i < l.size(); ++i)
    if (p.pixels[i] != kBlack) l[i] = static_cast<int64_t>(i);
  for (bool changed = true; changed;) {
    changed = false;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const size_t i = static_cast<size_t>(y * p.width + x);
        if (l[i] < 0) continue;
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) continue;
          const int64_t o = l[static_cast<size_t>(ny * p.width + nx)];
          if (o >= 0 && o < l[i]) l[i] = o, changed = true;
        }
      }
  }
  return l;
}

bool SquareInside(const RegionMap& m, int32_t region, int left, int top, int side) {
  for (int y = top; y < top + side; ++y)
    for (int x = left; x < left + side; ++x)
      if (m.At(x, y) != region) return false;
  return true;
}

TEST(Regions, MatchAReferenceFillAndFindTheLargestSquareAroundTheSeed) {
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    const Picture p = RandomPicture(rng, 5 + round % 17, 4 + round % 13, 20 + round % 30);
    const RegionMap m = FindRegions(p);
    const std::vector<int64_t> ref = ReferenceLabels(p);
    for (size_t i = 0; i < ref.size(); ++i)
      for (size_t j = i + 1; j < ref.size(); ++j)
        ASSERT_EQ(ref[i] >= 0 && ref[i] == ref[j], m.label[i] >= 0 && m.label[i] == m.label[j]) << round;
    for (size_t r = 0; r < m.regions.size(); ++r) {
      const tools::RegionInfo& info = m.regions[r];
      const int s = info.maxSquare;
      // The seed is the centre of a largest square (down-right of the middle
      // for even sides), and that square lies in the region...
      EXPECT_TRUE(SquareInside(m, static_cast<int32_t>(r), info.seedX - s / 2, info.seedY - s / 2, s));
      // ...and no larger square does anywhere.
      for (int y = 0; y + s < p.height; ++y)
        for (int x = 0; x + s < p.width; ++x)
          ASSERT_FALSE(SquareInside(m, static_cast<int32_t>(r), x, y, s + 1)) << round;
    }
  }
}

TEST(Mosaic, ATracedHiddenShapeIsAUnionOfRegionsAndTheFrameHoldsPixelOneOne) {
  const int w = 240, h = 160;
  std::vector<uint8_t> disc(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) disc[static_cast<size_t>(y * w + x)] = (x - 120) * (x - 120) + (y - 80) * (y - 80) < 60 * 60;
  for (int lineWidth : {1, 2, 3}) {
    for (uint32_t seed : {1u, 2u, 3u}) {
      tools::MosaicSpec spec{w, h, &disc, 25, seed, lineWidth, static_cast<int>(seed) * 3};
      spec.traceShare = 1;
      const Picture p = tools::DrawMosaic(spec);
      const RegionMap m = FindRegions(p);
      std::vector<int> inside(m.regions.size()), outside(m.regions.size());
      for (size_t i = 0; i < disc.size(); ++i)
        if (m.label[i] >= 0) ++(disc[i] ? inside : outside)[static_cast<size_t>(m.label[i])];
      for (size_t r = 0; r < m.regions.size(); ++r)
        EXPECT_TRUE(inside[r] == 0 || outside[r] == 0) << "seed " << seed << " line " << lineWidth;
      const int32_t frame = m.At(1, 1);
      ASSERT_GE(frame, 0);
      EXPECT_EQ(inside[static_cast<size_t>(frame)], 0);
      EXPECT_EQ(m.regions[static_cast<size_t>(frame)].minX, 0);
      EXPECT_EQ(m.regions[static_cast<size_t>(frame)].maxX, w - 1);
    }
  }
}

// Three columns of 40 x 20 split by two-pixel lines at x = 13, 14 and 26, 27:
// each line pixel belongs to the region on its side.
TEST(Regions, TheGivenAwayShareCountsTheTargetBoundaryMissingWithoutTheHiddenPicture) {
  auto Columns = [](bool secondLine) {
    Picture p;
    p.Reset(PictureKind::Bitmap, 40, 20);
    std::fill(p.pixels.begin(), p.pixels.end(), kWhite);
    for (int y = 0; y < 20; ++y)
      for (int x : {13, 14, 26, 27})
        if (x < 26 || secondLine) p.pixels[static_cast<size_t>(y * 40 + x)] = kBlack;
    return p;
  };
  const RegionMap map = FindRegions(Columns(true));
  ASSERT_EQ(map.regions.size(), 3u);
  struct Case {
    std::vector<uint8_t> isTarget;
    int64_t boundary, givenAway;
    int percent;
  };
  const Case cases[] = {
      {{0, 1, 0}, 80, 40, 50},  // the middle: both lines border it, one only drawn for it
      {{1, 0, 0}, 40, 0, 0},    // the left: its one line is drawn anyway
      {{0, 0, 1}, 40, 40, 100},
      {{1, 1, 1}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const tools::OutlineShare share = tools::MeasureGivenAway(map, c.isTarget, Columns(false));
    EXPECT_EQ(share.boundary, c.boundary);
    EXPECT_EQ(share.givenAway, c.givenAway);
    EXPECT_EQ(share.Percent(), c.percent);
  }
  const tools::OutlineShare oneOfThree{3, 1};
  EXPECT_EQ(oneOfThree.Percent(), 34);  // rounded up, so a single pixel never reads as 0 %
}

TEST(PuzzleFiles, TheGamesLoaderReadsBackEveryPixelWhateverTheRowPadding) {
  TempFolder dir;
  std::mt19937 rng(3);
  for (int w = 1; w <= 5; ++w) {
    Picture p;
    p.Reset(PictureKind::Bitmap, w, 3);
    for (uint32_t& c : p.pixels) c = rng() & 0xFFFFFF;
    const std::vector<uint8_t> bytes = tools::EncodeBmp24(p);
    PaintSurface surface;
    surface.LoadPicture(dir.Write("p.bmp", bytes));
    EXPECT_EQ(surface.CurrentPicture().pixels, p.pixels) << w;
  }
}

TEST(PuzzleFiles, TheGamesReaderTakesEachSourceSettingAsMeant) {
  struct Case {
    const char* lines;
    int32_t hintLimit;
    bool hintsDisabled, solutionDisabled, normal, crazy, insane;
  };
  const Case cases[] = {
      {"", 3, false, false, false, false, false},
      {"hints 2\n", 2, false, false, false, false, false},
      {"hints withheld\n", -1, true, false, false, false, false},
      {"solution withheld\n", 0, false, true, false, false, false},
      {"mode normal\n", 3, false, false, true, false, false},
      {"mode crazy\n", 3, false, false, false, true, false},
      {"hints 7\nmode insane\n", 7, false, false, false, false, true},
  };
  TempFolder dir;
  const std::vector<tools::SeedPoint> targets = {{5, 5}, {9, 9}, {12, 2}}, strays = {{1, 7}};
  for (const Case& c : cases) {
    const tools::ParseResult parsed =
        tools::ParsePuzzleSource(std::string("size 100 100\ndrawing d.svg\ntarget 5 5\n") + c.lines);
    ASSERT_TRUE(parsed.source) << parsed.error;
    const std::string path =
        dir.Write("p.trs", tools::EncodeSolution(targets, strays, tools::OptionsFor(*parsed.source, 3)));
    PuzzleState state;
    FakeUi ui;
    PaintSurface surface;
    Game game{state, surface, ui};
    PrepareFirstActivation(state, ui);
    state.ArchivePath = "p.tro";
    ASSERT_EQ(ReadSolutionFile(game, path), SolutionReadResult::Read) << c.lines;
    EXPECT_EQ(state.LastTargetIndex, 2);
    EXPECT_EQ(state.LastStrayIndex, 0);
    EXPECT_EQ((*state.TargetPoints)[2].X, 12);
    EXPECT_EQ(state.HintLimit, c.hintLimit) << c.lines;
    EXPECT_EQ(state.HintsDisabled, c.hintsDisabled) << c.lines;
    EXPECT_EQ(state.SolutionDisabled, c.solutionDisabled) << c.lines;
    EXPECT_EQ(state.NormalOnly, c.normal) << c.lines;
    EXPECT_EQ(state.CrazyOnly, c.crazy) << c.lines;
    EXPECT_EQ(state.InsaneOnly, c.insane) << c.lines;
  }
}

}  // namespace
}  // namespace tintaro::test
