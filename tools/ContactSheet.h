// A picture of many puzzles at once: each unsolved and solved side by side,
// scaled down, with its name underneath. Needs a QGuiApplication.
#pragma once

#include <string>
#include <vector>

#include "core/picture/Picture.h"

namespace tintaro::tools {

struct SheetEntry {
  std::string name;
  Picture unsolved;
  Picture solved;
};

inline constexpr int kSheetThumbWidth = 200;
inline constexpr int kSheetThumbHeight = 150;
inline constexpr int kSheetGap = 8;
inline constexpr int kSheetMargin = 16;
inline constexpr int kSheetCaptionHeight = 24;
inline constexpr int kSheetMaxColumns = 16;

// The entries row by row, `columns` pairs to a row, written as a PNG. Empty
// on success, else the fault.
std::string SaveContactSheet(const std::vector<SheetEntry>& entries, int columns, const std::string& path);

}  // namespace tintaro::tools
