// The reasoning player, the clue's frame and the camouflage measure, on
// mosaics drawn in memory: a figure whose outline is drawn and whose clue
// says where it lies is reasoned out; a mosaic that ignores the figure, or a
// clue that does not say where, is not; an outline drawn alone is singled out.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/Camouflage.h"
#include "tools/ClueFrame.h"
#include "tools/Mosaic.h"
#include "tools/ReasoningPlayer.h"
#include "tools/Regions.h"

namespace tintaro::test {
namespace {

constexpr int kW = 320, kH = 240;

std::vector<uint8_t> Disc(double cx, double cy, double r, int w = kW, int h = kH) {
  std::vector<uint8_t> m(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) m[static_cast<size_t>(y * w + x)] = std::hypot(x + 0.5 - cx, y + 0.5 - cy) < r;
  return m;
}

std::vector<uint8_t> Box(int x0, int y0, int x1, int y1) {
  std::vector<uint8_t> m(static_cast<size_t>(kW * kH));
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) m[static_cast<size_t>(y * kW + x)] = 1;
  return m;
}

// The targets a builder would list: the regions mostly inside the mask.
std::vector<tools::SeedPoint> TargetsOf(const Picture& p, const std::vector<uint8_t>& mask) {
  const tools::RegionMap map = tools::FindRegions(p);
  std::vector<int64_t> inside(map.regions.size(), 0);
  for (size_t i = 0; i < mask.size(); ++i)
    if (mask[i] && map.label[i] >= 0) ++inside[static_cast<size_t>(map.label[i])];
  std::vector<tools::SeedPoint> targets;
  for (size_t r = 0; r < map.regions.size(); ++r)
    if (static_cast<int32_t>(r) != map.At(1, 1) && inside[r] * 2 > map.regions[r].area)
      targets.push_back({map.regions[r].seedX, map.regions[r].seedY});
  return targets;
}

// A clue of `mask` in the picture's frame, as the builder draws it.
Picture FramedClueOf(const std::vector<uint8_t>& mask, int clueW = 129, int clueH = 129) {
  const tools::ClueRect r = tools::FramedPictureRect(clueW, clueH, kW, kH);
  Picture inner;
  inner.Reset(PictureKind::Bitmap, r.w, r.h);
  std::vector<uint8_t> figure(inner.pixels.size());
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      const size_t i = static_cast<size_t>(y * r.w + x);
      figure[i] = mask[static_cast<size_t>((y * kH / r.h) * kW + x * kW / r.w)];
      inner.pixels[i] = 0xF0F0F0;  // a pale figure must still read as the figure
    }
  return tools::ComposeFramedClue(clueW, clueH, inner, figure, /*fadeRest=*/false);
}

Picture Mosaic(const std::vector<uint8_t>& hidden, double traceShare, std::vector<std::vector<uint8_t>> figures = {},
               uint32_t seed = 4) {
  tools::MosaicSpec spec{kW, kH, &hidden, 40, seed, 2, 0};
  spec.traceShare = traceShare;
  spec.figures = std::move(figures);
  return tools::DrawMosaic(spec);
}

TEST(ReasoningPlayer, WorksOutAFigureOnlyWhenTheDrawingAndTheClueShowIt) {
  const std::vector<uint8_t> disc = Disc(190, 110, 62);
  // The same disc, but a clue with no frame: the figure alone, which the
  // rule puts fitted and centred, far from where the disc lies.
  Picture unplaced;
  unplaced.Reset(PictureKind::Bitmap, 64, 64);
  const std::vector<uint8_t> small = Disc(32, 32, 30, 64, 64);
  for (size_t i = 0; i < small.size(); ++i) unplaced.pixels[i] = small[i] ? 0x606060 : kWhite;
  Picture blank;
  blank.Reset(PictureKind::Bitmap, 40, 40);
  std::fill(blank.pixels.begin(), blank.pixels.end(), kWhite);
  // A hostile archive's clue: large, and noise, so every pixel is an edge.
  Picture noise;
  noise.Reset(PictureKind::Bitmap, 3000, 3000);
  for (size_t i = 0; i < noise.pixels.size(); ++i) noise.pixels[i] = (i * 2654435761u) >> 31 ? kBlack : kWhite;
  struct Case {
    const char* what;
    double traceShare;
    Picture clue;
    bool reasoned;
  };
  const Case cases[] = {
      {"traced disc, framed clue", 1, FramedClueOf(disc), true},
      {"traced disc, small framed clue", 1, FramedClueOf(disc, 64, 48), true},
      {"plain mosaic, unplaced clue", 0, unplaced, false},
      {"traced disc, unplaced clue", 1, unplaced, false},
      {"traced disc, blank clue", 1, blank, false},
      {"traced disc, a huge clue of noise", 1, noise, false},
  };
  for (const Case& c : cases) {
    const Picture p = Mosaic(disc, c.traceShare);
    const std::vector<tools::SeedPoint> targets = TargetsOf(p, disc);
    ASSERT_GE(targets.size(), 4u) << c.what;
    const tools::ReasoningReport r = tools::ReasonOut(p, c.clue, targets);
    const bool fair = tools::ReasoningFaults(r, {}).empty();
    EXPECT_EQ(fair, c.reasoned) << c.what << ": " << tools::ReasoningLines(r)[0] << ", " << tools::ReasoningLines(r)[1];
    if (c.reasoned) {
      EXPECT_GE(r.reasonedOut * 2, r.tries) << c.what;
      EXPECT_GE(r.iou, 0.9) << c.what;
    } else {
      EXPECT_LT(r.reasonedOut * 2, r.tries) << c.what;
    }
  }
}

TEST(ClueFrame, ReadsTheFigureAndTheFrameAPersonSees) {
  const std::vector<uint8_t> disc = Disc(80, 60, 40);
  const Picture framed = FramedClueOf(disc);
  const tools::ClueFigure f = tools::ReadClueFigure(framed);
  ASSERT_TRUE(f.framed);
  EXPECT_EQ(f.area.w, tools::FramedPictureRect(129, 129, kW, kH).w);
  // The disc's share of the frame is what it is of the picture.
  const double share = static_cast<double>(f.Count()) / (f.area.w * f.area.h);
  EXPECT_NEAR(share, 3.14159 * 40 * 40 / (kW * kH), 0.01);
  // A frame with a piece missing is no frame; a faded photo is background.
  Picture broken = framed;
  for (int x = 0; x < 60; ++x) broken.pixels[static_cast<size_t>(f.area.y - 1) * 129 + static_cast<size_t>(f.area.x + x)] = kWhite;
  EXPECT_FALSE(tools::ReadClueFigure(broken).framed);
  EXPECT_TRUE(tools::IsClueBackground(tools::FadedColour(0x123456)));
  EXPECT_FALSE(tools::IsClueBackground(tools::FigureColour(kWhite)));
  EXPECT_NE(tools::FigureColour(tools::kClueFrameColour), tools::kClueFrameColour);
}

TEST(Camouflage, AnOutlineDrawnAloneIsSingledOutAndOneAmongDecoysIsNot) {
  const std::vector<uint8_t> hidden = Disc(170, 120, 60);
  const std::vector<std::vector<uint8_t>> decoys = {Disc(110, 90, 55), Box(150, 40, 280, 150)};
  const Picture alone = Mosaic(hidden, 1);
  const Picture among = Mosaic(hidden, 1, decoys);
  const Picture untraced = Mosaic(hidden, 0, decoys);
  struct Case {
    const char* what;
    const Picture& drawing;
    bool singledOut;
  };
  const Case cases[] = {
      {"traced alone: only its outline is drawn", alone, true},
      {"traced among decoys drawn the same way", among, false},
      {"decoys drawn, the figure not", untraced, false},
  };
  for (const Case& c : cases) {
    const tools::Camouflage m = tools::MeasureCamouflage(hidden, decoys, c.drawing);
    EXPECT_EQ(m.SinglesOut(), c.singledOut) << c.what << ": " << m.Line();
  }
  const tools::Camouflage m = tools::MeasureCamouflage(hidden, decoys, among);
  EXPECT_GE(m.hidden, 0.95);
  for (double d : m.decoys) EXPECT_GE(d, 0.95);
  EXPECT_TRUE(tools::MeasureCamouflage(hidden, {}, among).SinglesOut()) << "no decoy to hide among";
}

TEST(Mosaic, FiguresAreCutLikeATracedShapeAndNoBlackBlobIsLeftWhereTheyCross) {
  const std::vector<uint8_t> hidden = Disc(170, 120, 60);
  // The last decoy runs a few pixels beside the hidden outline: thin crescents.
  const std::vector<std::vector<uint8_t>> decoys = {Disc(110, 90, 55), Box(150, 40, 280, 150), Disc(176, 122, 60)};
  for (uint32_t seed : {1u, 2u, 3u}) {
    const Picture p = Mosaic(hidden, 1, decoys, seed);
    const tools::RegionMap map = tools::FindRegions(p);
    // Every region lies on one side of each figure's outline, but for the
    // slivers merged across one where outlines cross: a small share.
    std::vector<const std::vector<uint8_t>*> all{&hidden};
    for (const auto& d : decoys) all.push_back(&d);
    int64_t straddling = 0, pixels = 0;
    for (const auto* mask : all) {
      std::vector<int64_t> in(map.regions.size(), 0);
      for (size_t i = 0; i < mask->size(); ++i)
        if (map.label[i] >= 0) in[static_cast<size_t>(map.label[i])] += (*mask)[i];
      for (size_t r = 0; r < map.regions.size(); ++r) {
        straddling += std::min(in[r], map.regions[r].area - in[r]);
        pixels += map.regions[r].area;
      }
    }
    EXPECT_LT(straddling * 100, pixels) << "seed " << seed;
    // Black beyond the lines themselves: blacked-out crumbs.
    int64_t black = 0, lines = 0;
    for (size_t i = 0; i < p.pixels.size(); ++i) {
      if (p.pixels[i] != kBlack) continue;
      ++black;
      const size_t x = i % kW, y = i / kW;
      const bool thick = x > 2 && y > 2 && x + 3 < kW && y + 3 < kH && p.pixels[i - 3] == kBlack && p.pixels[i + 3] == kBlack &&
                         p.pixels[i - 3 * kW] == kBlack && p.pixels[i + 3 * kW] == kBlack;
      lines += !thick;
    }
    EXPECT_LT((black - lines) * 100, black) << "seed " << seed << ": black blobs";
  }
}

}  // namespace
}  // namespace tintaro::test
