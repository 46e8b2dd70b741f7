// SLICO adapts each cell's compactness to the photo's texture, so cells
// follow edges in busy parts and stay round in smooth ones. Cells too thin
// to click once their lines are drawn are merged into the neighbour they
// share most border with, before any subject is known.
#include "tools/Superpixels.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/ximgproc/slic.hpp>

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/Mosaic.h"
#include "tools/Pieces.h"
#include "tools/Regions.h"

namespace tintaro::tools {

namespace {

constexpr int kMergeRounds = 6;
constexpr int kRepairRounds = 8;

// Merges every thin piece into the neighbour (on the same side of a traced
// outline) it shares most border with. False when there was none to merge.
bool MergeThinPieces(int w, int h, const Picture& drawn, const std::vector<int32_t>& side, int32_t count,
                     std::vector<int32_t>& piece) {
  // A piece is thin when none of the regions its lines leave of it holds an
  // 8 x 8 square. A sliver cut off a large piece is not: merging that piece
  // would grow it out of all proportion; the repair blacks the sliver out.
  const RegionMap map = FindRegions(drawn);
  const int32_t background = map.At(1, 1);
  std::vector<int> best(static_cast<size_t>(count), 0);
  for (size_t i = 0; i < piece.size(); ++i) {
    const int32_t r = map.label[i];
    if (r >= 0 && r != background && piece[i] >= 0)
      best[static_cast<size_t>(piece[i])] = std::max(best[static_cast<size_t>(piece[i])], map.regions[static_cast<size_t>(r)].maxSquare);
  }
  std::vector<uint8_t> thin(static_cast<size_t>(count), 0);
  bool any = false;
  for (int32_t p : piece)
    if (p >= 0 && best[static_cast<size_t>(p)] < kMinClickSide && !thin[static_cast<size_t>(p)]) {
      thin[static_cast<size_t>(p)] = 1;
      any = true;
    }
  if (!any) return false;
  std::map<std::pair<int32_t, int32_t>, int> shared;
  auto note = [&](int32_t a, int32_t b) {
    if (a < 0 || b < 0 || a == b || side[static_cast<size_t>(a)] != side[static_cast<size_t>(b)]) return;
    if (thin[static_cast<size_t>(a)]) ++shared[{a, b}];
    if (thin[static_cast<size_t>(b)]) ++shared[{b, a}];
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      if (x + 1 < w) note(piece[i], piece[i + 1]);
      if (y + 1 < h) note(piece[i], piece[i + static_cast<size_t>(w)]);
    }
  std::vector<int32_t> into(static_cast<size_t>(count), -1);
  std::vector<int> most(static_cast<size_t>(count), 0);
  for (const auto& [pair, n] : shared)
    if (n > most[static_cast<size_t>(pair.first)]) {
      most[static_cast<size_t>(pair.first)] = n;
      into[static_cast<size_t>(pair.first)] = pair.second;
    }
  UnionFind uf(static_cast<size_t>(count));
  for (int32_t p = 0; p < count; ++p)
    if (into[static_cast<size_t>(p)] >= 0) uf.parent[static_cast<size_t>(uf.Find(p))] = uf.Find(into[static_cast<size_t>(p)]);
  for (int32_t& p : piece)
    if (p >= 0) p = uf.Find(p);
  return true;
}

// What lines still leave unplayable, repaired for every region alike: the
// one-pixel gaps that join two parts of one closed, crumbs blacked out.
void Repair(Picture& picture) {
  for (int round = 0; round < kRepairRounds; ++round) {
    const RegionMap map = FindRegions(picture);
    const int32_t background = map.At(1, 1);
    bool changed = false;
    const std::vector<std::vector<int64_t>> gaps = JoiningGaps(picture, map);
    for (size_t r = 0; r < gaps.size(); ++r)
      if (static_cast<int32_t>(r) != background)
        for (int64_t g : gaps[r]) {
          picture.pixels[static_cast<size_t>(g)] = kBlack;
          changed = true;
        }
    if (changed) continue;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
      const int32_t r = map.label[i];
      if (r >= 0 && r != background && map.regions[static_cast<size_t>(r)].maxSquare < kMinClickSide) {
        picture.pixels[i] = kBlack;
        changed = true;
      }
    }
    if (!changed) return;
  }
}

// Each border pixel takes the key most common around it: borders that
// wandered pixel by pixel through a texture (wood grain, fur) straighten
// into lines a player can follow.
void SmoothBorders(int w, int h, int frame, std::vector<int32_t>& key) {
  constexpr int kReach = 2;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<int32_t> next = key;
    std::vector<std::pair<int32_t, int>> seen;
    for (int y = frame; y < h - frame; ++y)
      for (int x = frame; x < w - frame; ++x) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
        const int32_t k = key[i];
        if (key[i - 1] == k && key[i + 1] == k && key[i - static_cast<size_t>(w)] == k && key[i + static_cast<size_t>(w)] == k) continue;
        seen.clear();
        for (int dy = -kReach; dy <= kReach; ++dy)
          for (int dx = -kReach; dx <= kReach; ++dx) {
            const int32_t c = key[static_cast<size_t>(y + dy) * static_cast<size_t>(w) + static_cast<size_t>(x + dx)];
            if (c < 0) continue;
            auto it = std::find_if(seen.begin(), seen.end(), [c](const auto& e) { return e.first == c; });
            if (it == seen.end()) seen.push_back({c, 1});
            else ++it->second;
          }
        // Ties keep the pixel's own key, so a border never moves for nothing.
        int best = 0;
        for (const auto& [c, n] : seen)
          if (n > best || (n == best && c == k)) {
            best = n;
            next[i] = c;
          }
      }
    key.swap(next);
  }
}

}  // namespace

Picture DrawPictureCells(const QImage& colour, const CellSpec& spec) {
  const int w = colour.width(), h = colour.height();
  const cv::Mat rgb(h, w, CV_8UC3, const_cast<uchar*>(colour.constBits()), static_cast<size_t>(colour.bytesPerLine()));
  cv::Mat lab;
  cv::GaussianBlur(rgb, lab, cv::Size(3, 3), 0);
  cv::cvtColor(lab, lab, cv::COLOR_RGB2Lab);

  // The seed shifts the grid the cells start from by up to a cell.
  const int side = std::max(kMinClickSide, static_cast<int>(std::lround(std::sqrt(double(w) * h / std::max(1, spec.cells)))));
  SplitMix random(spec.seed);
  const int dx = static_cast<int>(random.Next() % static_cast<uint64_t>(side));
  const int dy = static_cast<int>(random.Next() % static_cast<uint64_t>(side));
  cv::Mat padded;
  cv::copyMakeBorder(lab, padded, dy, 0, dx, 0, cv::BORDER_REFLECT);
  cv::Ptr<cv::ximgproc::SuperpixelSLIC> slic = cv::ximgproc::createSuperpixelSLIC(padded, cv::ximgproc::SLICO, side);
  slic->iterate(10);
  slic->enforceLabelConnectivity(25);
  cv::Mat labels;
  slic->getLabels(labels);

  const int frame = FrameWidth(spec.lineWidth);
  std::vector<int32_t> key(static_cast<size_t>(w) * static_cast<size_t>(h), -1);
  std::vector<int32_t> cellOf(key.size(), -1);
  int32_t cellCount = 0;
  for (int y = frame; y < h - frame; ++y) {
    const int32_t* row = labels.ptr<int32_t>(y + dy);
    for (int x = frame; x < w - frame; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      cellOf[i] = row[x + dx];
      cellCount = std::max(cellCount, row[x + dx] + 1);
      key[i] = row[x + dx] * 2;
    }
  }
  if (spec.trace && spec.trace->size() == key.size())
    MarkShapeSides(*spec.trace, spec.traceShare, spec.seed, cellOf, cellCount, key);
  SmoothBorders(w, h, frame, key);
  std::vector<int32_t> piece;
  const int32_t count = LabelPieces(w, h, key, piece);
  std::vector<int32_t> pieceSide(static_cast<size_t>(count), 0);
  for (size_t i = 0; i < key.size(); ++i)
    if (piece[i] >= 0) pieceSide[static_cast<size_t>(piece[i])] = key[i] & 1;

  Picture picture = DrawLabelBorders(w, h, piece, spec.lineWidth);
  for (int round = 0; round < kMergeRounds && MergeThinPieces(w, h, picture, pieceSide, count, piece); ++round)
    picture = DrawLabelBorders(w, h, piece, spec.lineWidth);
  Repair(picture);
  return picture;
}

}  // namespace tintaro::tools
