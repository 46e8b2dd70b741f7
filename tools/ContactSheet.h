// A picture of many puzzles at once: each unsolved and solved side by side,
// scaled down, with its name underneath. Needs a QGuiApplication.
#pragma once

#include <string>
#include <vector>

#include <QImage>

#include "core/picture/Picture.h"
#include "tools/PuzzleFiles.h"

namespace tintaro::tools {

// One puzzle on the sheet: its name and its two thumbnails, made as each
// archive is read so that no full picture is kept for the sheet.
struct SheetEntry {
  std::string name;
  QImage unsolved;
  QImage solved;
};

inline constexpr int kSheetThumbWidth = 200;
inline constexpr int kSheetThumbHeight = 150;
inline constexpr int kSheetGap = 8;
inline constexpr int kSheetMargin = 16;
inline constexpr int kSheetCaptionHeight = 24;
inline constexpr int kSheetMaxColumns = 16;

// The puzzle's picture and the same with its targets red, each scaled to fit
// a thumbnail. Works on `picture` in place.
SheetEntry MakeSheetEntry(const std::string& name, Picture& picture, const std::vector<SeedPoint>& targets);

// The entries row by row, `columns` pairs to a row, written as a PNG. Empty
// on success, else the fault.
std::string SaveContactSheet(const std::vector<SheetEntry>& entries, int columns, const std::string& path);

}  // namespace tintaro::tools
