// The builder: drawing, regions, targets and strays, seed points, options,
// clue, archive. Regions that a player could not click well are repaired in
// the drawing (gaps closed, crumbs blacked out) before any point is chosen.
#include "tools/Builder.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <set>
#include <span>

#include "core/Errors.h"
#include "core/picture/FileBytes.h"
#include "core/picture/PictureFormats.h"
#include "tools/ClueFrame.h"
#include "tools/DistanceMap.h"
#include "tools/Mosaic.h"
#include "tools/PuzzleFiles.h"
#include "tools/Regions.h"
#include "tools/Render.h"
#include "tools/SourceFiles.h"

namespace tintaro::tools {

namespace {

constexpr size_t kMaxInputBytes = size_t{64} << 20;
// Fewer than the move log's 997 entries, so every target can be painted by hand.
constexpr size_t kMaxTargets = 996;

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

// A file the source names, and the folder the source lies in.
struct NamedFile {
  std::string folder;
  std::string name;
};

std::string LoadBmp(const NamedFile& file, Picture& out) {
  std::string bytes;
  if (std::string e = ReadSourceFile(file.folder, file.name, kMaxFileBytes, bytes); !e.empty()) return e;
  try {
    DecodePicture(PictureFormat::Bmp,
                  std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), out);
  } catch (const Exception& e) {
    return file.name + ": " + e.what();
  }
  if (out.width <= 0 || out.height <= 0) return file.name + ": empty picture";
  return "";
}

bool Dark(uint32_t c) {
  // The same mid-grey cut as for vector drawings.
  const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return (r * 299 + g * 587 + b * 114) / 1000 < 128;
}

struct Drawn {
  Picture picture;
  std::vector<uint8_t> hidden;  // may be empty
};

std::string FileText(const BuildRequest& rq, const std::string& name, std::string& error) {
  std::string text;
  error = ReadSourceFile(rq.baseDir, name, kMaxInputBytes, text);
  return text;
}

NamedFile Resolve(const BuildRequest& rq, const std::string& name) { return {rq.baseDir, name}; }

// A figure among figures is drawn as its silhouette: the thin gaps an
// icon's engraving leaves inside it would cut slivers too thin to click.
// Holes wide enough to hold a cell (a cup's handle) stay.
void FillThinHoles(std::vector<uint8_t>& mask, int w, int h) {
  constexpr float kThin = 7;  // a hole no wider than twice this is filled
  const size_t ww = static_cast<size_t>(w), n = mask.size();
  const std::vector<float> d = DistanceToMarked(mask, w, h);
  // Each hole: the pixels outside the figure that the picture's edge cannot reach.
  std::vector<uint8_t> seen(n, 0);
  std::vector<size_t> hole, stack;
  for (size_t start = 0; start < n; ++start) {
    if (mask[start] || seen[start]) continue;
    hole.clear();
    bool open = false;
    float widest = 0;
    seen[start] = 1;
    stack.push_back(start);
    while (!stack.empty()) {
      const size_t i = stack.back();
      stack.pop_back();
      hole.push_back(i);
      widest = std::max(widest, d[i]);
      const size_t x = i % ww, y = i / ww;
      open = open || x == 0 || y == 0 || x + 1 == ww || static_cast<int>(y) + 1 == h;
      for (const size_t j : {x > 0 ? i - 1 : i, x + 1 < ww ? i + 1 : i, y > 0 ? i - ww : i, i + ww < n ? i + ww : i})
        if (!mask[j] && !seen[j]) {
          seen[j] = 1;
          stack.push_back(j);
        }
    }
    if (!open && widest <= kThin)
      for (const size_t i : hole) mask[i] = 1;
  }
}

std::string DecoyMasks(const BuildRequest& rq, int w, int h, std::vector<std::vector<uint8_t>>& masks) {
  masks.clear();
  const bool given = rq.figureSvgTexts.size() == rq.source.figures.size();
  for (size_t k = 0; k < rq.source.figures.size(); ++k) {
    const FigureSource& figure = rq.source.figures[k];
    std::string error;
    const std::string svg = given ? rq.figureSvgTexts[k] : FileText(rq, figure.file, error);
    if (!error.empty()) return error;
    masks.emplace_back();
    if (std::string e = RenderSvgMask(svg, w, h, masks.back(), figure.place); !e.empty()) return figure.file + ": " + e;
    FillThinHoles(masks.back(), w, h);
  }
  return "";
}

// The hidden picture as a mask of the picture's size (1 = hidden); empty
// when the source hides none.
std::string HiddenMask(const BuildRequest& rq, int w, int h, std::vector<uint8_t>& hidden) {
  const PuzzleSource& s = rq.source;
  if (!rq.hiddenMask.empty()) {
    if (rq.hiddenMask.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) return "the hidden mask must be the picture's size";
    hidden = rq.hiddenMask;
  } else if (!rq.hiddenSvgText.empty() || EndsWithNoCase(s.hidden, ".svg")) {
    std::string error;
    const std::string svg = rq.hiddenSvgText.empty() ? FileText(rq, s.hidden, error) : rq.hiddenSvgText;
    if (!error.empty()) return error;
    if (std::string e = RenderSvgMask(svg, w, h, hidden, s.place); !e.empty()) return s.hidden + ": " + e;
    if (!s.figures.empty()) FillThinHoles(hidden, w, h);
  } else if (!s.hidden.empty()) {
    Picture mask;
    if (std::string e = LoadBmp(Resolve(rq, s.hidden), mask); !e.empty()) return e;
    if (mask.width != w || mask.height != h) return s.hidden + ": the mask must be the picture's size";
    hidden.resize(mask.pixels.size());
    for (size_t i = 0; i < mask.pixels.size(); ++i) hidden[i] = mask.pixels[i] != kWhite ? 1 : 0;
  }
  return "";
}

// Without `withHidden` the hidden picture is left out: the drawing the same
// source makes when nothing is hidden in it.
std::string MakeDrawing(const BuildRequest& rq, bool withHidden, Drawn& d) {
  const PuzzleSource& s = rq.source;
  int w = s.width.value_or(0), h = s.height.value_or(0);
  Picture lines;
  bool haveLines = false;
  if (rq.drawingPicture.width > 0) {
    lines = rq.drawingPicture;
    w = lines.width;
    h = lines.height;
    haveLines = true;
  } else if (!s.drawing.empty()) {
    if (EndsWithNoCase(s.drawing, ".bmp")) {
      if (std::string e = LoadBmp(Resolve(rq, s.drawing), lines); !e.empty()) return e;
      if (s.width && (lines.width != w || lines.height != h))
        return s.drawing + ": the picture is " + std::to_string(lines.width) + " x " + std::to_string(lines.height) +
               ", not the 'size' given";
      w = lines.width;
      h = lines.height;
      for (uint32_t& c : lines.pixels) c = Dark(c) ? kBlack : kWhite;
    } else {
      std::string error;
      const std::string svg = FileText(rq, s.drawing, error);
      if (!error.empty()) return error;
      std::vector<uint8_t> mask;
      if (std::string e = RenderSvgMask(svg, w, h, mask); !e.empty()) return s.drawing + ": " + e;
      lines.Reset(PictureKind::Bitmap, w, h);
      for (size_t i = 0; i < mask.size(); ++i) lines.pixels[i] = mask[i] ? kBlack : kWhite;
    }
    haveLines = true;
  }
  if (w < kMinSide || h < kMinSide || w > kMaxSide || h > kMaxSide)
    return "the picture must be " + std::to_string(kMinSide) + " ... " + std::to_string(kMaxSide) + " pixels a side";

  // Nothing hidden: the mosaic and the classification see an empty mask.
  if (withHidden)
    if (std::string e = HiddenMask(rq, w, h, d.hidden); !e.empty()) return e;

  if (s.mosaicCells) {
    MosaicSpec spec;
    spec.width = w;
    spec.height = h;
    spec.mask = &d.hidden;
    spec.cells = *s.mosaicCells;
    spec.seed = s.seed;
    spec.lineWidth = s.lineWidth;
    spec.decoys = s.decoys;
    spec.traceShare = s.tracedPercent / 100.0;
    spec.detail = s.detail;
    if (std::string e = DecoyMasks(rq, w, h, spec.figures); !e.empty()) return e;
    d.picture = DrawMosaic(spec);
    // A drawing given as well adds its lines on top.
    if (haveLines)
      for (size_t i = 0; i < lines.pixels.size(); ++i)
        if (lines.pixels[i] == kBlack) d.picture.pixels[i] = kBlack;
  } else {
    d.picture = std::move(lines);
  }
  return "";
}

struct Classified {
  RegionMap map;
  std::vector<int32_t> targets;  // region indices
  std::vector<int32_t> strays;
};

// Which regions are targets: those mostly inside the hidden mask, and those
// holding a target point. The background (the region of pixel 1,1) never is.
std::string Classify(const PuzzleSource& s, const Drawn& d, Classified& c) {
  c.map = FindRegions(d.picture);
  c.targets.clear();
  c.strays.clear();
  const int32_t background = c.map.At(1, 1);
  std::vector<int64_t> inside(c.map.regions.size(), 0);
  if (!d.hidden.empty())
    for (size_t i = 0; i < d.hidden.size(); ++i)
      if (d.hidden[i] && c.map.label[i] >= 0) ++inside[static_cast<size_t>(c.map.label[i])];
  std::vector<uint8_t> isTarget(c.map.regions.size(), 0);
  for (size_t r = 0; r < c.map.regions.size(); ++r)
    if (inside[r] * 2 > c.map.regions[r].area && static_cast<int32_t>(r) != background) isTarget[r] = 1;
  for (const SourcePoint& p : s.targets) {
    const int32_t r = c.map.At(p.x, p.y);
    if (r < 0) return "target " + std::to_string(p.x) + "," + std::to_string(p.y) + " lies on a black line";
    if (r == background)
      return "target " + std::to_string(p.x) + "," + std::to_string(p.y) + " lies in the background (pixel 1,1's region)";
    isTarget[static_cast<size_t>(r)] = 1;
  }
  for (size_t r = 0; r < c.map.regions.size(); ++r)
    if (isTarget[r]) c.targets.push_back(static_cast<int32_t>(r));
  if (s.strayChoice == StrayChoice::AllOthers) {
    for (size_t r = 0; r < c.map.regions.size(); ++r)
      if (!isTarget[r] && static_cast<int32_t>(r) != background) c.strays.push_back(static_cast<int32_t>(r));
  } else if (s.strayChoice == StrayChoice::Listed) {
    std::set<int32_t> seen;
    for (const SourcePoint& p : s.strays) {
      const int32_t r = c.map.At(p.x, p.y);
      const std::string at = std::to_string(p.x) + "," + std::to_string(p.y);
      if (r < 0) return "stray " + at + " lies on a black line";
      if (isTarget[static_cast<size_t>(r)]) return "stray " + at + " lies in a target region";
      if (seen.insert(r).second) c.strays.push_back(r);
    }
  }
  return "";
}

// Closes one-pixel gaps inside play regions and blacks out target crumbs
// too small to click. True when the drawing changed.
bool Repair(const Classified& c, Drawn& d) {
  bool changed = false;
  const std::vector<std::vector<int64_t>> gaps = JoiningGaps(d.picture, c.map);
  for (const auto* list : {&c.targets, &c.strays})
    for (int32_t r : *list)
      for (int64_t g : gaps[static_cast<size_t>(r)]) {
        d.picture.pixels[static_cast<size_t>(g)] = kBlack;
        changed = true;
      }
  if (changed) return true;
  for (int32_t r : c.targets) {
    if (c.map.regions[static_cast<size_t>(r)].maxSquare >= kMinClickSide) continue;
    const RegionInfo& info = c.map.regions[static_cast<size_t>(r)];
    for (int y = info.minY; y <= info.maxY; ++y)
      for (int x = info.minX; x <= info.maxX; ++x)
        if (c.map.At(x, y) == r) d.picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(c.map.width) + static_cast<size_t>(x)] = kBlack;
    changed = true;
  }
  return changed;
}

std::vector<SeedPoint> Seeds(const Classified& c, const std::vector<int32_t>& regions) {
  std::vector<SeedPoint> out;
  for (int32_t r : regions) out.push_back({c.map.regions[static_cast<size_t>(r)].seedX, c.map.regions[static_cast<size_t>(r)].seedY});
  return out;
}

// Hints and the auto-play reveal targets band by band, top to bottom (or
// left to right), each band in reading order.
void Order(std::vector<SeedPoint>& points, TargetOrder order, int w, int h) {
  const int rowBand = std::max(1, h / 8), columnBand = std::max(1, w / 12);
  std::stable_sort(points.begin(), points.end(), [&](const SeedPoint& a, const SeedPoint& b) {
    if (order == TargetOrder::Columns)
      return std::pair(a.x / columnBand, a.y) < std::pair(b.x / columnBand, b.y);
    return std::pair(a.y / rowBand, a.x) < std::pair(b.y / rowBand, b.x);
  });
}

std::string MakeClue(const BuildRequest& rq, const Drawn& d, const Classified& c, Picture& clue) {
  const PuzzleSource& s = rq.source;
  const int w = d.picture.width, h = d.picture.height;
  if (rq.cluePicture.width > 0) {
    clue = rq.cluePicture;
    return "";
  }
  if (!s.clue.empty()) {
    if (EndsWithNoCase(s.clue, ".bmp")) return LoadBmp(Resolve(rq, s.clue), clue);
    std::string error;
    const std::string svg = FileText(rq, s.clue, error);
    if (!error.empty()) return error;
    if (!s.clueFrame) {
      if (std::string e = RenderSvgPicture(svg, s.clueWidth, s.clueHeight, clue); !e.empty()) return s.clue + ": " + e;
      return "";
    }
    // Drawn where the hidden shape lies, in the picture's frame.
    const ClueRect r = FramedPictureRect(s.clueWidth, s.clueHeight, w, h);
    Picture inner;
    std::vector<uint8_t> figure;
    if (std::string e = RenderSvgFigure(svg, r.w, r.h, s.place, inner, figure); !e.empty()) return s.clue + ": " + e;
    clue = ComposeFramedClue(s.clueWidth, s.clueHeight, inner, figure, /*fadeRest=*/false);
    return "";
  }
  if (!d.hidden.empty()) {
    clue = MaskClue(d.hidden, w, h, s.clueWidth, s.clueHeight);
    return "";
  }
  // Target points only: the targets' own shape, small.
  std::vector<uint8_t> mask(c.map.label.size(), 0);
  std::set<int32_t> targets(c.targets.begin(), c.targets.end());
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = targets.count(c.map.label[i]) ? 1 : 0;
  clue = MaskClue(mask, w, h, s.clueWidth, s.clueHeight);
  return "";
}

// The drawing with its regions classified and repaired until nothing is
// left to repair.
std::string DrawAndClassify(const BuildRequest& rq, bool withHidden, Drawn& d, Classified& c) {
  if (std::string e = MakeDrawing(rq, withHidden, d); !e.empty()) return e;
  for (int round = 0;; ++round) {
    if (std::string e = Classify(rq.source, d, c); !e.empty()) return e;
    if (round == 8 || !Repair(c, d)) return "";
  }
}

}  // namespace

std::string FigureMasks(const BuildRequest& rq, int w, int h, std::vector<uint8_t>& hidden,
                        std::vector<std::vector<uint8_t>>& decoys) {
  if (std::string e = HiddenMask(rq, w, h, hidden); !e.empty()) return e;
  return DecoyMasks(rq, w, h, decoys);
}

std::string DrawPuzzle(const BuildRequest& rq, bool withHidden, Picture& out) {
  Drawn d;
  Classified c;
  if (std::string e = DrawAndClassify(rq, withHidden, d, c); !e.empty()) return e;
  out = std::move(d.picture);
  return "";
}

BuildReport BuildPuzzle(const BuildRequest& rq, const std::string& outputPath) {
  BuildReport report;
  const PuzzleSource& s = rq.source;
  const std::string name = s.name.empty() ? rq.name : s.name;
  Drawn d;
  Classified c;
  if ((report.error = DrawAndClassify(rq, /*withHidden=*/true, d, c)); !report.error.empty()) return report;
  if (c.targets.empty())
    return {"no region lies mostly inside the hidden picture (" + rq.noTargetsAdvice + ")", 0, 0};
  if (c.targets.size() > kMaxTargets)
    return {std::to_string(c.targets.size()) + " targets: at most 996 can be painted within the move limit", 0, 0};
  if (c.strays.size() > 1000)
    return {std::to_string(c.strays.size()) + " strays: at most 1000 (use fewer regions or 'strays none')", 0, 0};
  for (int32_t r : c.targets)
    if (c.map.regions[static_cast<size_t>(r)].maxSquare < kMinClickSide)
      return {"a target region at " + std::to_string(c.map.regions[static_cast<size_t>(r)].seedX) + "," +
                  std::to_string(c.map.regions[static_cast<size_t>(r)].seedY) + " is too small to click (under 8 x 8)",
              0, 0};

  std::vector<SeedPoint> targets = Seeds(c, c.targets), strays = Seeds(c, c.strays);
  Order(targets, s.order, d.picture.width, d.picture.height);
  Order(strays, TargetOrder::Rows, d.picture.width, d.picture.height);
  Picture clue;
  if ((report.error = MakeClue(rq, d, c, clue)); !report.error.empty()) return report;

  std::vector<ArchiveEntry> entries;
  entries.push_back({name + ".bmp", EncodeBmp24(d.picture)});
  entries.push_back({name + ".trs", EncodeSolution(targets, strays, OptionsFor(s, static_cast<int>(targets.size())))});
  entries.push_back({"spi" + name + ".bmp", EncodeBmp24(clue)});
  report.error = WriteArchive(outputPath, entries);
  report.targets = static_cast<int>(targets.size());
  report.strays = static_cast<int>(strays.size());
  return report;
}

std::vector<std::string> BuiltinShapeNames() { return {"heart", "star", "circle", "diamond", "moon", "drop", "arrow", "cross"}; }

std::string BuiltinShapeSvg(const std::string& name) {
  std::string path;
  if (name == "heart") path = "M50 88 C20 66 6 50 6 32 C6 18 17 8 29 8 C38 8 46 14 50 22 C54 14 62 8 71 8 C83 8 94 18 94 32 C94 50 80 66 50 88 Z";
  else if (name == "star") path = "M50 5 L61 38 L95 38 L68 58 L78 92 L50 72 L22 92 L32 58 L5 38 L39 38 Z";
  else if (name == "circle") path = "M50 8 A42 42 0 1 1 49.9 8 Z";
  else if (name == "diamond") path = "M50 5 L88 50 L50 95 L12 50 Z";
  else if (name == "moon") path = "M62 6 A44 44 0 1 0 94 70 A36 36 0 1 1 62 6 Z";
  else if (name == "drop") path = "M50 5 C62 30 82 46 82 64 A32 32 0 0 1 18 64 C18 46 38 30 50 5 Z";
  else if (name == "arrow") path = "M8 38 L56 38 L56 16 L94 50 L56 84 L56 62 L8 62 Z";
  else if (name == "cross") path = "M36 8 L64 8 L64 36 L92 36 L92 64 L64 64 L64 92 L36 92 L36 64 L8 64 L8 36 L36 36 Z";
  else return "";
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 100\"><path d=\"" + path + "\" fill=\"black\"/></svg>";
}

void PlaceBuiltinFigures(const std::string& shape, int decoys, BuildRequest& rq) {
  PuzzleSource& s = rq.source;
  SplitMix rng(s.seed * 0x9E3779B97F4A7C15ull + 23);
  std::vector<std::string> others;
  for (const std::string& name : BuiltinShapeNames())
    if (name != shape) others.push_back(name);
  // The figures sit on a ring round the middle, overlapping; the hidden one
  // takes a place at random, so neither its place nor its size tells it apart.
  const int count = 1 + std::clamp(decoys, 0, static_cast<int>(others.size()));
  const int hiddenAt = static_cast<int>(rng.Next() % static_cast<uint64_t>(count));
  const double turn = rng.Unit() * 2 * std::numbers::pi;
  const double w = s.width.value_or(600), h = s.height.value_or(400);
  for (int k = 0; k < count; ++k) {
    const double angle = turn + 2 * std::numbers::pi * k / count;
    const double scale = count == 1 ? 0.7 : 0.5 + 0.08 * rng.Unit();
    const double radius = count == 1 ? 0 : 0.2;
    Placement place{scale, std::clamp(0.5 + radius * h / w * std::cos(angle), scale * h / w / 2 + 0.02, 1 - scale * h / w / 2 - 0.02),
                    std::clamp(0.5 + radius * std::sin(angle), scale / 2 + 0.02, 1 - scale / 2 - 0.02)};
    if (k == hiddenAt) {
      s.place = place;
      continue;
    }
    const size_t pick = static_cast<size_t>(rng.Next() % others.size());
    s.figures.push_back({others[pick] + ".svg", place});
    rq.figureSvgTexts.push_back(BuiltinShapeSvg(others[pick]));
    others.erase(others.begin() + static_cast<std::ptrdiff_t>(pick));
  }
}

}  // namespace tintaro::tools
