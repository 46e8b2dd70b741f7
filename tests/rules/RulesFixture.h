// Shared set-up of the rules tests: a game after its first activation, with a
// scratch folder for picture and solution files and the timers wired to
// their handlers.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/rules/Disturbance.h"
#include "core/Game.h"
#include "core/rules/Hints.h"
#include "core/picture/PaintSurface.h"
#include "core/PuzzleState.h"
#include "core/rules/Moves.h"
#include "support/BmpBuilder.h"
#include "support/FakeUi.h"

namespace tintaro::test {

class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tintaro_rules_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct Point {
  int32_t x;
  int32_t y;
};

// The standard drawing: 24 x 16, white, four boxes outlined in black. Box
// interiors are regions A to D; everything outside them, with (1, 1), is the
// background.
struct Box {
  int left, top, right, bottom;  // the outline, inclusive
};
inline constexpr int kDrawingWidth = 24;
inline constexpr int kDrawingHeight = 16;
inline constexpr Box kBoxes[] = {{3, 3, 9, 9}, {11, 3, 17, 9}, {3, 11, 9, 14}, {11, 11, 17, 14}};
inline constexpr Point kA{6, 6}, kB{14, 6}, kC{6, 12}, kD{14, 12}, kBackground{21, 2};
inline constexpr uint32_t kMaroon = 0x000080;

inline std::vector<uint32_t> DrawBoxes(int width, int height, std::initializer_list<Box> boxes) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xFFFFFF);
  for (const Box& b : boxes) {
    for (int x = b.left; x <= b.right; ++x) {
      pixels[static_cast<size_t>(b.top) * width + x] = 0;
      pixels[static_cast<size_t>(b.bottom) * width + x] = 0;
    }
    for (int y = b.top; y <= b.bottom; ++y) {
      pixels[static_cast<size_t>(y) * width + b.left] = 0;
      pixels[static_cast<size_t>(y) * width + b.right] = 0;
    }
  }
  return pixels;
}

inline std::vector<uint32_t> StandardDrawing() {
  return DrawBoxes(kDrawingWidth, kDrawingHeight, {kBoxes[0], kBoxes[1], kBoxes[2], kBoxes[3]});
}

// The drawing with the regions of the given points filled (on a copy).
inline std::vector<uint32_t> Painted(std::vector<uint32_t> pixels, int width,
                                     std::initializer_list<std::pair<Point, uint32_t>> fills) {
  for (const auto& [p, colour] : fills) {
    // Box interiors are rectangles here, so a flood is a rectangle fill.
    for (const Box& b : kBoxes) {
      if (p.x > b.left && p.x < b.right && p.y > b.top && p.y < b.bottom) {
        for (int y = b.top + 1; y < b.bottom; ++y)
          for (int x = b.left + 1; x < b.right; ++x) pixels[static_cast<size_t>(y) * width + x] = colour;
      }
    }
  }
  return pixels;
}

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() {
    ResetAtWindowCreation(state);
    PrepareFirstActivation(state, ui);
    state.IntroPending = false;
    ui.OnTimer(GameTimer::Timer1, [this] { Timer1Timer(game); });
    ui.OnTimer(GameTimer::Timer2, [this] { Timer2Timer(game); });
  }

  // What a successful Load leaves behind, without the archive.
  void LoadReset() {
    ResetForLoad(state, ui);
    state.ArchivePath = folder.File("puzzle.tro");
    ui.buttonChanges.clear();
    ui.events.clear();
  }

  // Writes the picture as the puzzle's extracted BMP and loads it.
  void UsePicture(int width, int height, const std::vector<uint32_t>& pixels) {
    WriteFileBytes(folder.File("pic.bmp"), BuildBmp(width, height, pixels));
    state.PicturePath = folder.File("pic.bmp");
    surface.LoadPicture(state.PicturePath);
    surface.ShowPicture();
  }

  // A loaded puzzle on the standard drawing: targets A and B, stray C.
  void UseStandardPuzzle() {
    LoadReset();
    UsePicture(kDrawingWidth, kDrawingHeight, StandardDrawing());
    (*state.TargetPoints)[0] = {kA.x, kA.y, 1};
    (*state.TargetPoints)[1] = {kB.x, kB.y, 1};
    (*state.StrayPoints)[0] = {kC.x, kC.y, 0};
    state.LastTargetIndex = 1;
    state.LastStrayIndex = 0;
    state.HintLimit = 2;
  }

  uint32_t At(Point p) { return surface.PixelAt(p.x, p.y); }
  const std::vector<uint32_t>& Pixels() const { return surface.CurrentPicture().pixels; }
  void Paint(Point p) {
    MouseMoveXY(game, p.x, p.y);
    Image1MouseClick(game);
  }
  void Press(MouseButton button, Point p) { Image1MouseDown(game, button, p.x, p.y); }
  const PointRecord& Move(int i) const { return (*state.MoveLog)[i]; }

  ScratchFolder folder;
  PuzzleState state;
  PaintSurface surface;
  FakeUi ui;
  Game game{state, surface, ui};
};

}  // namespace tintaro::test
