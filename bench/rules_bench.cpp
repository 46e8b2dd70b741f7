// Benchmarks of the rules' heaviest events: a paint click that leaks into the
// background (reload from disk and full replay), one Insane and one Crazy
// step on a large picture, and one Flashing step over 1000 targets.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/Ratio.h"
#include "core/rules/Disturbance.h"
#include "core/Game.h"
#include "core/rules/Moves.h"
#include "core/picture/PaintSurface.h"
#include "core/PuzzleState.h"
#include "support/BmpBuilder.h"
#include "support/FakeUi.h"

namespace {

using namespace tintaro;

constexpr int kGridWidth = 1024;
constexpr int kGridHeight = 768;
constexpr int kCell = 16;
constexpr int kMargin = 32;  // the background ring around the grid holds (1, 1)
constexpr int kLiveMoves = 996;
constexpr int kHints = 1000;

// A line drawing: a grid of 16-pixel cells inside a white margin.
std::vector<uint32_t> GridDrawing() {
  std::vector<uint32_t> pixels(static_cast<size_t>(kGridWidth) * kGridHeight, kWhite);
  for (int y = kMargin; y <= kGridHeight - kMargin; ++y)
    for (int x = kMargin; x <= kGridWidth - kMargin; ++x)
      if ((x - kMargin) % kCell == 0 || (y - kMargin) % kCell == 0)
        pixels[static_cast<size_t>(y) * kGridWidth + x] = kBlack;
  return pixels;
}

// The centre of cell n, counted row by row.
PointRecord CellCentre(int n, int32_t kind) {
  const int columns = (kGridWidth - 2 * kMargin) / kCell;
  return {kMargin + (n % columns) * kCell + kCell / 2, kMargin + (n / columns) * kCell + kCell / 2, kind};
}

std::string TempPicture(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  test::WriteFileBytes(path, test::BuildBmp(width, height, pixels));
  return path;
}

// A puzzle opened as the Load command leaves it, its picture in a BMP file.
struct BenchGame {
  PuzzleState state;
  PaintSurface surface;
  test::FakeUi ui;
  Game game{state, surface, ui};

  void Open(const std::string& fileName, int width, int height, const std::vector<uint32_t>& pixels) {
    ResetAtWindowCreation(state);
    PrepareFirstActivation(state, ui);
    ResetForLoad(state, ui);
    state.IntroPending = false;
    state.ArchivePath = "bench.tro";
    state.PicturePath = TempPicture(fileName, width, height, pixels);
    surface.LoadPicture(state.PicturePath);
  }
};

// A game on the grid drawing with 996 live moves and 1000 hinted targets;
// stray 0 lies in a painted cell so every check fails quietly.
struct GridGame : BenchGame {
  GridGame() {
    Open("tintaro_rules_bench_grid.bmp", kGridWidth, kGridHeight, GridDrawing());
    for (int i = 0; i < kLiveMoves; ++i) (*state.MoveLog)[i] = CellCentre(i, MoveLive);
    state.LastMove = kLiveMoves - 1;
    for (int i = 0; i < kHints; ++i) (*state.TargetPoints)[i] = CellCentre(kLiveMoves + i, 1);
    state.LastTargetIndex = kHints - 1;
    state.HintsUsed = kHints;
    (*state.StrayPoints)[0] = CellCentre(0, 0);
    state.LastStrayIndex = 0;
    state.WarnStrayOnce = false;
    ReplayMoves(game);
  }
};

void BM_LeakingClickWithFullReplay(benchmark::State& st) {
  GridGame g;
  for (auto _ : st) {
    MouseMoveXY(g.game, 1, 1);
    Image1MouseClick(g.game);
    // The click was logged at 996 and cancelled; make room for the next one.
    g.state.LastMove = kLiveMoves - 1;
    (*g.state.MoveLog)[kLiveMoves] = PointRecord{};
  }
  if (g.state.Finished || (*g.state.MoveLog)[0].Kind != MoveLive) st.SkipWithError("click did not replay");
}
BENCHMARK(BM_LeakingClickWithFullReplay)->Unit(benchmark::kMillisecond);

// The fills of that click alone: its own red fill, the white undo fill and
// one red fill per live move and hinted target, on the picture in memory.
void BM_SameFillsAlone(benchmark::State& st) {
  GridGame g;
  for (auto _ : st) {
    g.surface.FillToBlack(1, 1, kRed);
    g.surface.FillToBlack(1, 1, kWhite);
    for (int i = 0; i < kLiveMoves; ++i) {
      const PointRecord& m = (*g.state.MoveLog)[i];
      g.surface.FillToBlack(m.X, m.Y, (i & 1) ? kRed : kWhite);
    }
    for (int i = 0; i < kHints; ++i) {
      const PointRecord& t = (*g.state.TargetPoints)[i];
      g.surface.FillToBlack(t.X, t.Y, (i & 1) ? kRed : kWhite);
    }
  }
}
BENCHMARK(BM_SameFillsAlone)->Unit(benchmark::kMillisecond);

constexpr int kBigSide = 2048;

// 2048 x 2048, one region over nearly all of it (a few small boxes aside), and
// a window as large, so the random point almost always lands in that region.
struct BigGame : BenchGame {
  BigGame() {
    std::vector<uint32_t> pixels(static_cast<size_t>(kBigSide) * kBigSide, kWhite);
    for (int b = 0; b < 8; ++b)
      for (int i = 0; i < 20; ++i) {
        const int x0 = 100 + b * 230, y0 = 300 + b * 150;
        pixels[static_cast<size_t>(y0) * kBigSide + x0 + i] = kBlack;
        pixels[static_cast<size_t>(y0 + 19) * kBigSide + x0 + i] = kBlack;
        pixels[static_cast<size_t>(y0 + i) * kBigSide + x0] = kBlack;
        pixels[static_cast<size_t>(y0 + i) * kBigSide + x0 + 19] = kBlack;
      }
    Open("tintaro_rules_bench_big.bmp", kBigSide, kBigSide, pixels);
    ui.windowWidth = kBigSide;
    ui.windowHeight = kBigSide;
    ui.clockMs = 43'200'000;
    ui.SetTimerInterval(GameTimer::Timer2, 10);
  }
};

void BM_InsaneStep2048(benchmark::State& st) {
  BigGame g;
  for (auto _ : st) {
    ++g.ui.clockMs;  // a new point and colour each step, as the clock moves
    InsaneMode(g.game);
  }
}
BENCHMARK(BM_InsaneStep2048)->Unit(benchmark::kMicrosecond);

void BM_CrazyStep2048(benchmark::State& st) {
  BigGame g;
  for (auto _ : st) {
    ++g.ui.clockMs;
    g.state.MovedSinceDisturb = true;
    g.state.DisturbCount = 1;
    CrazyMode(g.game);
  }
}
BENCHMARK(BM_CrazyStep2048)->Unit(benchmark::kMicrosecond);

void BM_BigRegionFillAlone(benchmark::State& st) {
  BigGame g;
  uint32_t colour = 0;
  for (auto _ : st) g.surface.FillToBlack(1000, 1000, (colour++ & 1) ? kWhite : 0x808000);
}
BENCHMARK(BM_BigRegionFillAlone)->Unit(benchmark::kMicrosecond);

void BM_FlashingStep1000Targets(benchmark::State& st) {
  GridGame g;
  g.state.WelcomeMode = true;
  for (auto _ : st) {
    ++g.ui.clockMs;
    FlashingMode(g.game);
  }
}
BENCHMARK(BM_FlashingStep1000Targets)->Unit(benchmark::kMillisecond);

void BM_ThousandTargetFillsAlone(benchmark::State& st) {
  GridGame g;
  uint32_t round = 0;
  for (auto _ : st) {
    ++round;
    for (int i = 0; i < kHints; ++i) {
      const PointRecord& t = (*g.state.TargetPoints)[i];
      g.surface.FillToBlack(t.X, t.Y, ((i + round) & 1) ? 0x808000 : 0xC0C0C0);
    }
  }
}
BENCHMARK(BM_ThousandTargetFillsAlone)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  constexpr double kFrameNs = 16.7e6;
  constexpr double kFastestTickNs = 10e6;
  return tintaro::bench::RunWithRatios(
      argc, argv,
      {
          {"leak_click_vs_same_fills", "BM_LeakingClickWithFullReplay", "BM_SameFillsAlone"},
          {"leak_click_vs_frame", "BM_LeakingClickWithFullReplay", "", kFrameNs},
          {"insane_step_2048_vs_fill", "BM_InsaneStep2048", "BM_BigRegionFillAlone"},
          {"insane_step_2048_vs_10ms_tick", "BM_InsaneStep2048", "", kFastestTickNs},
          {"crazy_step_2048_vs_10ms_tick", "BM_CrazyStep2048", "", kFastestTickNs},
          {"flashing_step_vs_same_fills", "BM_FlashingStep1000Targets", "BM_ThousandTargetFillsAlone"},
          {"flashing_step_vs_frame", "BM_FlashingStep1000Targets", "", kFrameNs},
      });
}
