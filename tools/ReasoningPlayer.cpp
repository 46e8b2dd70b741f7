// The clue's figure is a small picture; its outline is sampled as the
// midpoints between figure and non-figure pixels, and a placement is scored
// by how close those points fall to black pixels of the drawing, first
// loosely, then more and more strictly, as an eye settles an overlay.
#include "tools/ReasoningPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/ClueFrame.h"
#include "tools/DistanceMap.h"
#include "tools/Mosaic.h"
#include "tools/Regions.h"

namespace tintaro::tools {

namespace {

// Where the figure is put: a shift in pixels and a scale about its centre.
struct Pose {
  double dx = 0, dy = 0, k = 1;
};

struct Point {
  double x, y;
};

class Overlay {
 public:
  Overlay(const ClueFigure& figure, int w, int h) : f_(figure), w_(w), h_(h) {
    const double aw = f_.area.w, ah = f_.area.h;
    if (f_.framed) {
      sx_ = w / aw;
      sy_ = h / ah;
    } else {
      sx_ = sy_ = std::min(w / aw, h / ah);
      ox_ = (w - aw * sx_) / 2;
      oy_ = (h - ah * sy_) / 2;
    }
    double mx = 0, my = 0;
    int64_t n = 0;
    for (int v = 0; v < f_.area.h; ++v)
      for (int u = 0; u < f_.area.w; ++u)
        if (In(u, v)) {
          mx += u + 0.5, my += v + 0.5, ++n;
          minU_ = std::min(minU_, u), maxU_ = std::max(maxU_, u);
          minV_ = std::min(minV_, v), maxV_ = std::max(maxV_, v);
        }
    centre_ = Nominal(mx / std::max<int64_t>(n, 1), my / std::max<int64_t>(n, 1));
    for (int v = 0; v < f_.area.h; ++v)
      for (int u = 0; u < f_.area.w; ++u) {
        if (u + 1 < f_.area.w && In(u, v) != In(u + 1, v)) outline_.push_back(Nominal(u + 1, v + 0.5));
        if (v + 1 < f_.area.h && In(u, v) != In(u, v + 1)) outline_.push_back(Nominal(u + 0.5, v + 1));
      }
  }

  const std::vector<Point>& Outline() const { return outline_; }

  // The picture pixels the placed figure can cover: outside them Inside()
  // is false, so painting and comparing need look nowhere else.
  struct Box {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive
  };
  Box Bounds(const Pose& p) const {
    if (maxU_ < minU_) return {};
    // A clue pixel blends with its neighbours: one more on every side.
    const Point a = Place(Nominal(minU_ - 1, minV_ - 1), p), b = Place(Nominal(maxU_ + 2, maxV_ + 2), p);
    return {std::max(0, static_cast<int>(std::floor(a.x)) - 1), std::max(0, static_cast<int>(std::floor(a.y)) - 1),
            std::min(w_ - 1, static_cast<int>(std::ceil(b.x)) + 1), std::min(h_ - 1, static_cast<int>(std::ceil(b.y)) + 1)};
  }

  Point Place(Point nominal, const Pose& p) const {
    return {centre_.x + p.k * (nominal.x - centre_.x) + p.dx, centre_.y + p.k * (nominal.y - centre_.y) + p.dy};
  }

  // Whether the picture pixel (x, y) lies inside the placed figure, with the
  // clue's pixels blended so the outline is smooth rather than blocky.
  bool Inside(int x, int y, const Pose& p) const {
    const double nx = centre_.x + (x + 0.5 - p.dx - centre_.x) / p.k;
    const double ny = centre_.y + (y + 0.5 - p.dy - centre_.y) / p.k;
    const double u = (nx - ox_) / sx_ - 0.5, v = (ny - oy_) / sy_ - 0.5;
    const int u0 = static_cast<int>(std::floor(u)), v0 = static_cast<int>(std::floor(v));
    const double fu = u - u0, fv = v - v0;
    const double value = (1 - fu) * (1 - fv) * In(u0, v0) + fu * (1 - fv) * In(u0 + 1, v0) +
                         (1 - fu) * fv * In(u0, v0 + 1) + fu * fv * In(u0 + 1, v0 + 1);
    return value >= 0.5;
  }

 private:
  int In(int u, int v) const {
    if (u < 0 || v < 0 || u >= f_.area.w || v >= f_.area.h) return 0;
    return f_.mask[static_cast<size_t>(v) * static_cast<size_t>(f_.area.w) + static_cast<size_t>(u)];
  }
  Point Nominal(double u, double v) const { return {ox_ + u * sx_, oy_ + v * sy_}; }

  const ClueFigure& f_;
  int w_, h_;
  double sx_ = 1, sy_ = 1, ox_ = 0, oy_ = 0;
  Point centre_{0, 0};
  int minU_ = 1 << 30, maxU_ = -1, minV_ = 1 << 30, maxV_ = -1;  // the figure's pixels in the clue
  std::vector<Point> outline_;
};

std::vector<float> DistanceToLines(const Picture& picture) {
  std::vector<uint8_t> black(picture.pixels.size());
  for (size_t i = 0; i < black.size(); ++i) black[i] = picture.pixels[i] == kBlack;
  return DistanceToMarked(black, picture.width, picture.height);
}

class Reasoner {
 public:
  Reasoner(const Picture& picture, const ClueFigure& figure, const std::vector<SeedPoint>& targets)
      : picture_(picture), overlay_(figure, picture.width, picture.height), map_(FindRegions(picture)),
        distance_(DistanceToLines(picture)) {
    background_ = map_.At(1, 1);
    isTarget_.assign(map_.regions.size(), 0);
    for (const SeedPoint& t : targets)
      if (const int32_t r = map_.At(t.x, t.y); r >= 0) isTarget_[static_cast<size_t>(r)] = 1;
  }

  // How well the placed outline sits on drawn lines: 1 when every point lies
  // on one, falling to 0 at `reach` pixels away.
  double LineFit(const Pose& p, double reach) const {
    const auto& outline = overlay_.Outline();
    if (outline.empty()) return 0;
    double sum = 0;
    for (const Point& q : outline) {
      const Point at = overlay_.Place(q, p);
      const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
      if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) continue;
      const double d = distance_[static_cast<size_t>(y) * static_cast<size_t>(picture_.width) + static_cast<size_t>(x)];
      sum += std::max(0.0, 1 - d / reach);
    }
    return sum / static_cast<double>(outline.size());
  }

  // Steps each of shift and scale while the score improves, coarse to fine.
  template <typename Score>
  Pose Settle(Pose p, Score score, double shift, double scale) const {
    double best = score(p);
    for (; shift >= 0.5; shift /= 2, scale /= 2) {
      for (bool moved = true; moved;) {
        moved = false;
        for (int axis = 0; axis < 3; ++axis)
          for (int sign : {-1, 1}) {
            Pose q = p;
            (axis == 0 ? q.dx : axis == 1 ? q.dy : q.k) += sign * (axis == 2 ? scale : shift);
            if (q.k < 0.5 || q.k > 2) continue;
            if (const double s = score(q); s > best + 1e-9) {
              best = s, p = q, moved = true;
            }
          }
      }
    }
    return p;
  }

  Pose Align(Pose p) const {
    for (double reach : {16.0, 6.0, 2.5})
      p = Settle(p, [&](const Pose& q) { return LineFit(q, reach); }, 8, 0.04);
    return p;
  }

  // Regions painted: those mostly inside the placed figure.
  std::vector<uint8_t> Paint(const Pose& p) const {
    std::vector<int64_t> inside(map_.regions.size(), 0);
    const Overlay::Box box = overlay_.Bounds(p);
    for (int y = box.y0; y <= box.y1; ++y)
      for (int x = box.x0; x <= box.x1; ++x)
        if (const int32_t r = map_.At(x, y); r >= 0 && overlay_.Inside(x, y, p)) ++inside[static_cast<size_t>(r)];
    std::vector<uint8_t> painted(map_.regions.size(), 0);
    for (size_t r = 0; r < painted.size(); ++r)
      painted[r] = static_cast<int32_t>(r) != background_ && inside[r] * 2 > map_.regions[r].area;
    return painted;
  }

  int Wrong(const std::vector<uint8_t>& painted) const {
    int wrong = 0;
    for (size_t r = 0; r < painted.size(); ++r) wrong += painted[r] != isTarget_[r];
    return wrong;
  }

  // Intersection over union of the placed figure and the target regions,
  // over the pixels that are not lines, every `step`-th row and column.
  double Iou(const Pose& p, int step) const {
    // Red outside the figure's box counts once, from a count made once per step.
    int64_t& red = redOnGrid_[static_cast<size_t>(step)];
    if (red < 0) red = RedOnGrid(0, 0, picture_.width - 1, picture_.height - 1, step);
    const Overlay::Box box = overlay_.Bounds(p);
    int64_t both = 0, in = 0;
    for (int y = (box.y0 + step - 1) / step * step; y <= box.y1; y += step)
      for (int x = (box.x0 + step - 1) / step * step; x <= box.x1; x += step) {
        const int32_t r = map_.At(x, y);
        if (r < 0 || !overlay_.Inside(x, y, p)) continue;
        ++in;
        both += isTarget_[static_cast<size_t>(r)] != 0;
      }
    const int64_t either = red + in - both;
    return either ? static_cast<double>(both) / static_cast<double>(either) : 0;
  }

  int Targets() const { return static_cast<int>(std::count(isTarget_.begin(), isTarget_.end(), 1)); }

 private:
  int64_t RedOnGrid(int x0, int y0, int x1, int y1, int step) const {
    int64_t red = 0;
    for (int y = y0; y <= y1; y += step)
      for (int x = x0; x <= x1; x += step)
        if (const int32_t r = map_.At(x, y); r >= 0) red += isTarget_[static_cast<size_t>(r)] != 0;
    return red;
  }

  const Picture& picture_;
  Overlay overlay_;
  RegionMap map_;
  std::vector<float> distance_;
  int32_t background_ = -1;
  std::vector<uint8_t> isTarget_;
  mutable std::vector<int64_t> redOnGrid_ = std::vector<int64_t>(3, -1);  // by step: 1 or 2
};

// The clue as a person sees it: the Clue window shows it in a 129-pixel
// box, so a larger one holds nothing more to read, only more work for a
// hostile archive to ask for. Sampled down to fit kClueReadSide.
constexpr int kClueReadSide = 256;

Picture ClueAsSeen(const Picture& clue) {
  if (clue.width <= kClueReadSide && clue.height <= kClueReadSide) return clue;
  const double scale = std::max(clue.width, clue.height) / static_cast<double>(kClueReadSide);
  const int w = std::max(1, static_cast<int>(clue.width / scale)), h = std::max(1, static_cast<int>(clue.height / scale));
  Picture small;
  small.Reset(PictureKind::Bitmap, w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t sx = std::min(static_cast<size_t>(clue.width) - 1, static_cast<size_t>((x + 0.5) * scale));
      const size_t sy = std::min(static_cast<size_t>(clue.height) - 1, static_cast<size_t>((y + 0.5) * scale));
      small.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
          clue.pixels[sy * static_cast<size_t>(clue.width) + sx];
    }
  return small;
}

}  // namespace

ReasoningReport ReasonOut(const Picture& picture, const Picture& clue, const std::vector<SeedPoint>& targets,
                          int tries, uint64_t seed) {
  ReasoningReport report;
  report.tries = tries;
  const ClueFigure figure = ReadClueFigure(ClueAsSeen(clue));
  Reasoner reasoner(picture, figure, targets);
  report.targets = reasoner.Targets();
  report.clueReadable = figure.Count() >= 4;
  if (!report.clueReadable || tries <= 0) {
    report.medianWrong = report.targets;
    return report;
  }
  // A person's guess: a few per cent off in position and in size.
  SplitMix rng(seed * 0x9E3779B97F4A7C15ull + 11);
  auto spread = [&rng](double range) { return (2 * rng.Unit() - 1) * range; };
  std::vector<int> wrong;
  Pose bestFit;
  double bestScore = -1;
  for (int t = 0; t < tries; ++t) {
    Pose guess{spread(0.03 * picture.width), spread(0.03 * picture.height), 1 + spread(0.05)};
    const Pose settled = reasoner.Align(guess);
    wrong.push_back(reasoner.Wrong(reasoner.Paint(settled)));
    report.reasonedOut += wrong.back() == 0;
    if (const double s = reasoner.LineFit(settled, 2.5); s > bestScore) bestScore = s, bestFit = settled;
  }
  std::sort(wrong.begin(), wrong.end());
  const size_t n = wrong.size();
  report.medianWrong = n % 2 ? wrong[n / 2] : (wrong[n / 2 - 1] + wrong[n / 2]) / 2.0;
  // Recognisable: the figure, placed as well as it can be on the red area.
  const Pose onRed = reasoner.Settle(bestFit, [&](const Pose& q) { return reasoner.Iou(q, 2); }, 4, 0.02);
  report.iou = reasoner.Iou(onRed, 1);
  return report;
}

namespace {

std::string Fixed(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string Cells(double v) { return v == std::floor(v) ? Fixed(v, 0) : Fixed(v, 1); }

}  // namespace

std::vector<std::string> ReasoningLines(const ReasoningReport& r) {
  return {"reasoned out: " + std::to_string(r.reasonedOut) + " of " + std::to_string(r.tries) + " tries, " +
              Cells(r.medianWrong) + " cells wrong (median)",
          "recognisable: IoU " + Fixed(r.iou, 2)};
}

std::vector<std::string> ReasoningFaults(const ReasoningReport& r, const ReasoningLimits& limits) {
  std::vector<std::string> faults;
  if (!r.clueReadable) {
    faults.push_back("the clue shows no figure for a player to look for");
    return faults;
  }
  if (r.medianWrong > limits.maxWrongShare * r.targets)
    faults.push_back("a player reasoning from the drawing and the clue gets " + Cells(r.medianWrong) + " cells wrong of " +
                     std::to_string(r.targets) + " targets (median), more than " +
                     Fixed(limits.maxWrongShare * 100, 0) + " %: the drawing does not show where the clue's figure lies");
  if (r.iou < limits.minIou)
    faults.push_back("solved, its red area matches the clue's figure at IoU " + Fixed(r.iou, 2) + ", under " +
                     Fixed(limits.minIou, 2) + ": the solved picture does not show the figure");
  return faults;
}

}  // namespace tintaro::tools
