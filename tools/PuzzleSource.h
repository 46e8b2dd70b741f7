// The puzzle source: a small line-based text file that names a puzzle's
// drawing, hidden picture, strays, options and clue. Parsed without Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintaro::tools {

struct SourcePoint {
  int32_t x = 0;
  int32_t y = 0;
};

enum class HintSetting { Default, Limit, Withheld, SolutionWithheld };
enum class ModeLock { None, Normal, Crazy, Insane };
enum class TargetOrder { Rows, Columns };
enum class StrayChoice { AllOthers, Listed, None };

// Limits that keep a hostile source from asking for absurd work.
inline constexpr int kMinSide = 16;
inline constexpr int kMaxSide = 4096;
inline constexpr int kMaxCells = 1000;
inline constexpr int kMaxLineWidth = 8;
inline constexpr int kMaxDecoys = 16;
// Decoy figures and decoy circles share the mosaic's 16 cover bits.
inline constexpr int kMaxFigures = 12;
inline constexpr int kMaxDetail = 3;
inline constexpr int kMaxPoints = 1000;
inline constexpr size_t kMaxSourceBytes = 1 << 20;

// Where an SVG shape is drawn in the picture: its longer side SCALE of the
// picture's height, its centre at the fractions X, Y of the picture.
// Unset (scale 0): scaled to fit and centred.
struct Placement {
  double scale = 0;
  double x = 0.5, y = 0.5;
  bool IsSet() const { return scale > 0; }
};

// Another figure's outline drawn across the mosaic like the hidden one's.
struct FigureSource {
  std::string file;  // .svg
  Placement place;
};

struct PuzzleSource {
  std::string name;                  // picture base name; empty: the output's
  std::optional<int> width, height;  // picture size
  std::string drawing;               // line drawing (.bmp or .svg), may be empty
  std::optional<int> mosaicCells;    // a mosaic drawn over the hidden shape
  uint32_t seed = 1;
  int lineWidth = 2;
  int decoys = 0;
  int tracedPercent = 0;             // of the cells the hidden outline crosses, cut along it
  int detail = 1;                    // cells in the middle 1/N^2 of the usual size
  std::string hidden;                // mask (.bmp) or shape (.svg)
  Placement place;                   // of an SVG hidden shape and clue
  std::vector<FigureSource> figures; // decoy figures, outlined like the hidden one
  std::vector<SourcePoint> targets;  // seed points of target regions
  std::vector<SourcePoint> strays;
  StrayChoice strayChoice = StrayChoice::AllOthers;
  HintSetting hints = HintSetting::Default;
  int hintLimit = 0;
  ModeLock mode = ModeLock::None;
  TargetOrder order = TargetOrder::Rows;
  std::string clue;                  // .bmp or .svg; empty: the hidden shape, small
  int clueWidth = 160, clueHeight = 120;
  // The clue shows the whole picture's frame with the figure in its place.
  bool clueFrame = false;
};

// The outcome of parsing: the source, or the first fault as "line N: ...".
struct ParseResult {
  std::optional<PuzzleSource> source;
  std::string error;
};

ParseResult ParsePuzzleSource(std::string_view text);

}  // namespace tintaro::tools
