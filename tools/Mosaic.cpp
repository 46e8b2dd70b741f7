// Mosaic drawing: sites on a jittered grid, a smooth warp of the plane for
// curved borders, nearest-site cells (split by the mask when the outline is
// traced), small pieces merged, then every pixel near a change of piece
// turned black.
#include "tools/Mosaic.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/Pieces.h"
#include "tools/Regions.h"

namespace tintaro::tools {

uint64_t SplitMix::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int FrameWidth(int lineWidth) { return std::max(4, lineWidth + 2); }


Picture DrawLabelBorders(int w, int h, const std::vector<int32_t>& labels, int lineWidth) {
  Picture picture;
  picture.Reset(PictureKind::Bitmap, w, h);
  const int lo = lineWidth / 2, hi = lineWidth - lineWidth / 2;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      bool line = false;
      for (int dy = -lo; dy <= hi && !line; ++dy)
        for (int dx = -lo; dx <= hi && !line; ++dx) {
          const int ax = x + dx, ay = y + dy;
          if (ax < 0 || ay < 0 || ax >= w || ay >= h) continue;
          line = labels[static_cast<size_t>(ay) * static_cast<size_t>(w) + static_cast<size_t>(ax)] != labels[i];
        }
      picture.pixels[i] = line ? kBlack : kWhite;
    }
  return picture;
}

void MarkShapeSides(const std::vector<uint8_t>& mask, double share, uint64_t seed, const std::vector<int32_t>& siteOf,
                    int32_t sites, std::vector<int32_t>& key) {
  std::vector<int64_t> inside(static_cast<size_t>(sites), 0), area(static_cast<size_t>(sites), 0);
  for (size_t i = 0; i < siteOf.size(); ++i) {
    if (siteOf[i] < 0) continue;
    ++area[static_cast<size_t>(siteOf[i])];
    inside[static_cast<size_t>(siteOf[i])] += mask[i] ? 1 : 0;
  }
  std::vector<int32_t> crossed;
  for (int32_t s = 0; s < sites; ++s)
    if (inside[static_cast<size_t>(s)] > 0 && inside[static_cast<size_t>(s)] < area[static_cast<size_t>(s)])
      crossed.push_back(s);
  // Fisher-Yates, then the first share of them.
  SplitMix rng(seed * 0x9E3779B97F4A7C15ull + 5);
  for (size_t k = crossed.size(); k > 1; --k)
    std::swap(crossed[k - 1], crossed[static_cast<size_t>(rng.Next() % k)]);
  std::vector<uint8_t> traced(static_cast<size_t>(sites), 0);
  const size_t count = static_cast<size_t>(std::ceil(share * static_cast<double>(crossed.size()) - 1e-9));
  for (size_t k = 0; k < count && k < crossed.size(); ++k) traced[static_cast<size_t>(crossed[k])] = 1;
  for (size_t i = 0; i < siteOf.size(); ++i) {
    const int32_t s = siteOf[i];
    if (s < 0) continue;
    const bool in = traced[static_cast<size_t>(s)] ? mask[i] != 0
                                                   : 2 * inside[static_cast<size_t>(s)] > area[static_cast<size_t>(s)];
    key[i] |= in ? 1 : 0;
  }
}

Picture DrawMosaic(const MosaicSpec& spec) {
  const int w = spec.width, h = spec.height;
  const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
  const int frame = FrameWidth(spec.lineWidth);
  const int innerW = std::max(1, w - 2 * frame), innerH = std::max(1, h - 2 * frame);
  SplitMix rng(spec.seed * 0x2545F4914F6CDD1Dull + 17);

  int cols = std::max(1, static_cast<int>(std::lround(std::sqrt(double(spec.cells) * innerW / innerH))));
  int rows = std::max(1, static_cast<int>(std::lround(double(spec.cells) / cols)));
  const double cw = double(innerW) / cols, ch = double(innerH) / rows;
  // Sites on a jittered grid; a grid cell in the middle ellipse holds a finer
  // grid of detail x detail sites. Grid cell g's sites are first[g] ... first[g + 1] - 1.
  const int detail = std::clamp(spec.detail, 1, 3);
  std::vector<double> sx, sy;
  std::vector<int32_t> first(static_cast<size_t>(cols * rows) + 1, 0);
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < cols; ++i) {
      const double ex = (i + 0.5) / cols - 0.5, ey = (j + 0.5) / rows - 0.5;
      const int k = ex * ex + ey * ey < 0.42 * 0.42 ? detail : 1;
      for (int b = 0; b < k; ++b)
        for (int a = 0; a < k; ++a) {
          sx.push_back(frame + (i + (a + 0.5 + 0.7 * (rng.Unit() - 0.5)) / k) * cw);
          sy.push_back(frame + (j + (b + 0.5 + 0.7 * (rng.Unit() - 0.5)) / k) * ch);
        }
      first[static_cast<size_t>(j * cols + i) + 1] = static_cast<int32_t>(sx.size());
    }
  // Two gentle waves bend the straight cell borders into curves.
  const double amp = 0.12 * std::min(cw, ch);
  const double twoPi = 2 * std::numbers::pi;
  const double fx = twoPi / (1.7 * ch), fy = twoPi / (1.9 * cw);
  const double px = rng.Unit() * twoPi, py = rng.Unit() * twoPi;

  // Decoys: circles and boxes at random, each between a tenth and a quarter
  // of the picture's shorter side across.
  struct Decoy {
    bool circle;
    double cx, cy, rx, ry;
  };
  std::vector<Decoy> decoys;
  const double shorter = std::min(innerW, innerH);
  for (int k = 0; k < std::clamp(spec.decoys, 0, 16); ++k) {
    Decoy d;
    d.circle = rng.Unit() < 0.5;
    d.rx = shorter * (0.05 + 0.08 * rng.Unit());
    d.ry = d.circle ? d.rx : shorter * (0.05 + 0.08 * rng.Unit());
    d.cx = frame + rng.Unit() * innerW;
    d.cy = frame + rng.Unit() * innerH;
    decoys.push_back(d);
  }

  // Key per pixel: the site, which decoys and figures cover it, and the side
  // of the hidden shape in the lowest bit (set below); -1 for the frame.
  const bool haveMask = spec.mask && spec.mask->size() == n;
  std::vector<const std::vector<uint8_t>*> figures;
  for (const std::vector<uint8_t>& f : spec.figures)
    if (f.size() == n && decoys.size() + figures.size() < 16) figures.push_back(&f);
  const int32_t figureBits = static_cast<int32_t>(((1u << figures.size()) - 1) << decoys.size());
  const double traceShare = haveMask ? std::clamp(spec.traceShare, 0.0, 1.0) : 0.0;
  std::vector<int32_t> key(n);
  std::vector<int32_t> siteOf(n, -1);
  // The warp moves x by a wave along y and y by a wave along x.
  std::vector<double> shiftX(static_cast<size_t>(h)), shiftY(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) shiftX[static_cast<size_t>(y)] = amp * std::sin(y * fx + px);
  for (int x = 0; x < w; ++x) shiftY[static_cast<size_t>(x)] = amp * std::sin(x * fy + py);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      if (x < frame || y < frame || x >= w - frame || y >= h - frame) {
        key[i] = -1;
        continue;
      }
      const double wx = x + shiftX[static_cast<size_t>(y)];
      const double wy = y + shiftY[static_cast<size_t>(x)];
      const int gi = std::clamp(static_cast<int>((wx - frame) / cw), 0, cols - 1);
      const int gj = std::clamp(static_cast<int>((wy - frame) / ch), 0, rows - 1);
      double best = 1e300;
      int32_t site = 0;
      for (int j = std::max(0, gj - 2); j <= std::min(rows - 1, gj + 2); ++j)
        for (int k = std::max(0, gi - 2); k <= std::min(cols - 1, gi + 2); ++k) {
          const size_t g = static_cast<size_t>(j * cols + k);
          for (int32_t s = first[g]; s < first[g + 1]; ++s) {
            const size_t u = static_cast<size_t>(s);
            const double d = (sx[u] - wx) * (sx[u] - wx) + (sy[u] - wy) * (sy[u] - wy);
            if (d < best) {
              best = d;
              site = s;
            }
          }
        }
      int32_t covered = 0;
      for (size_t k = 0; k < decoys.size(); ++k) {
        const Decoy& d = decoys[k];
        const double ux = (x - d.cx) / d.rx, uy = (y - d.cy) / d.ry;
        if (d.circle ? ux * ux + uy * uy < 1 : std::abs(ux) < 1 && std::abs(uy) < 1) covered |= 1 << k;
      }
      for (size_t k = 0; k < figures.size(); ++k)
        if ((*figures[k])[i]) covered |= 1 << (decoys.size() + k);
      siteOf[i] = site;
      key[i] = (site << 16 | covered) << 1;
    }
  }
  if (traceShare > 0) MarkShapeSides(*spec.mask, traceShare, spec.seed, siteOf, static_cast<int32_t>(sx.size()), key);

  // Merge pieces whose largest square is too small to leave a clickable
  // region once the lines are drawn, into the neighbour (on the same side of
  // a traced outline and of every figure's) that shares the longest border
  // with them. The sides are fixed per pixel, since merging rewrites keys.
  const int minSide = 8 + 2 * spec.lineWidth + 4;
  std::vector<int32_t> sides(n, 0);
  for (size_t i = 0; i < n; ++i)
    if (key[i] >= 0) sides[i] = ((key[i] >> 1) & figureBits) << 1 | (key[i] & 1);
  std::vector<int32_t> comp;
  // Where figures cross, a sliver between two outlines may have no
  // neighbour on all its sides. Left alone it would be blacked out as a
  // crumb; rather, a second pass lets such slivers merge across any line,
  // hidden or decoy alike, so no outline's style differs from another's.
  const int crumbSide = kMinClickSide + spec.lineWidth + 3;
  const int passes = figures.empty() ? 1 : 2;
  // One round of merges; false when nothing was left to merge.
  auto mergeSmallPieces = [&](bool relaxed) {
    const int32_t count = LabelPieces(w, h, key, comp);
    std::vector<int32_t> side(n, 0), best(static_cast<size_t>(count), 0), compSides(static_cast<size_t>(count));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
        if (comp[i] < 0) continue;
        int32_t s = 1;
        const size_t ww = static_cast<size_t>(w);
        if (x > 0 && y > 0 && comp[i - 1] == comp[i] && comp[i - ww] == comp[i] && comp[i - ww - 1] == comp[i])
          s = 1 + std::min({side[i - 1], side[i - ww], side[i - ww - 1]});
        side[i] = s;
        best[static_cast<size_t>(comp[i])] = std::max(best[static_cast<size_t>(comp[i])], s);
        compSides[static_cast<size_t>(comp[i])] = sides[i];
      }
    // Shared border lengths of each small piece with its neighbours.
    std::vector<std::vector<std::pair<int32_t, int64_t>>> border(static_cast<size_t>(count));
    auto touch = [&](size_t a, size_t b) {
      const int32_t ca = comp[a], cb = comp[b];
      // The frame is in no piece and takes none.
      if (ca == cb || ca < 0 || cb < 0) return;
      for (const std::pair<int32_t, int32_t>& pair : {std::pair{ca, cb}, std::pair{cb, ca}}) {
        const int32_t small = pair.first, other = pair.second;
        if (best[static_cast<size_t>(small)] >= (relaxed ? crumbSide : minSide)) continue;
        if (!relaxed && compSides[static_cast<size_t>(other)] != compSides[static_cast<size_t>(small)]) continue;
        auto& list = border[static_cast<size_t>(small)];
        auto it = std::find_if(list.begin(), list.end(), [other](const auto& e) { return e.first == other; });
        if (it == list.end()) list.push_back({other, 1});
        else ++it->second;
      }
    };
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
        if (x + 1 < w) touch(i, i + 1);
        if (y + 1 < h) touch(i, i + static_cast<size_t>(w));
      }
    UnionFind uf(static_cast<size_t>(count));
    bool merged = false;
    for (int32_t c = 0; c < count; ++c) {
      const auto& list = border[static_cast<size_t>(c)];
      if (list.empty()) continue;
      const auto target = std::max_element(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return a.second < b.second || (a.second == b.second && a.first > b.first);
      });
      const int32_t ra = uf.Find(c), rb = uf.Find(target->first);
      if (ra != rb) {
        uf.parent[static_cast<size_t>(ra)] = rb;
        merged = true;
      }
    }
    if (!merged) return false;
    // A merged group shares its root piece's key, so the next labelling joins it.
    for (size_t i = 0; i < n; ++i)
      if (key[i] >= 0) key[i] = uf.Find(comp[i]) * 2 + (relaxed ? 0 : key[i] & 1);
    return true;
  };
  for (int pass = 0; pass < passes; ++pass)
    for (int round = 0; round < 8 && mergeSmallPieces(pass == 1); ++round) {
    }
  LabelPieces(w, h, key, comp);

  Picture picture = DrawLabelBorders(w, h, comp, spec.lineWidth);
  // Lines can still pinch off crumbs too small to click. Blacking them out
  // here, whichever side of the shape they lie on, keeps the builder's repair
  // from doing it for the targets alone and so drawing part of the outline.
  const RegionMap map = FindRegions(picture);
  const int32_t background = map.At(1, 1);
  for (size_t i = 0; i < n; ++i) {
    const int32_t r = map.label[i];
    if (r >= 0 && r != background && map.regions[static_cast<size_t>(r)].maxSquare < kMinClickSide)
      picture.pixels[i] = kBlack;
  }
  return picture;
}

}  // namespace tintaro::tools
