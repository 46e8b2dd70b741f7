// Benchmarks of the picture view (Image1) on the offscreen platform: drawing
// the visible part of a huge picture against a picture the viewport's size,
// and one paint click from the mouse event to the finished repaint against a
// plain drawImage of the viewport.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/Ratio.h"
#include "core/Game.h"
#include "core/PuzzleState.h"
#include "core/picture/PaintSurface.h"
#include "core/rules/Moves.h"
#include "shell/qt/PictureView.h"
#include "support/BmpBuilder.h"
#include "support/FakeUi.h"

namespace {

using namespace tintaro;

constexpr int kViewportWidth = 653;
constexpr int kViewportHeight = 491;
constexpr int kCell = 16;  // 15 x 15 white cells between black lines
constexpr int kMargin = 32;

// A grid of cells inside a white margin (the background holds (1, 1)).
std::vector<uint32_t> Grid(int side) {
  std::vector<uint32_t> pixels(static_cast<size_t>(side) * side, kWhite);
  for (int y = kMargin; y <= side - kMargin; ++y)
    for (int x = kMargin; x <= side - kMargin; ++x)
      if ((x - kMargin) % kCell == 0 || (y - kMargin) % kCell == 0) pixels[static_cast<size_t>(y) * side + x] = kBlack;
  return pixels;
}

std::string TempPicture(int side) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tintaro_view_bench_" + std::to_string(side) + ".bmp")).string();
  test::WriteFileBytes(path, test::BuildBmp(side, side, Grid(side)));
  return path;
}

// A puzzle as the Load command leaves it, shown in a view.
struct ViewGame {
  PuzzleState state;
  PaintSurface surface;
  test::FakeUi ui;
  Game game{state, surface, ui};
  std::unique_ptr<qt::PictureView> view;
  QImage target{kViewportWidth, kViewportHeight, QImage::Format_RGB32};  // a window's backing store

  explicit ViewGame(int side) {
    ResetAtWindowCreation(state);
    PrepareFirstActivation(state, ui);
    ResetForLoad(state, ui);
    state.IntroPending = false;
    state.ArchivePath = "bench.tro";
    state.PicturePath = TempPicture(side);
    surface.LoadPicture(state.PicturePath);
    // One target far away, so every check runs and fails.
    (*state.TargetPoints)[0] = {side - kMargin - kCell / 2, side - kMargin - kCell / 2, 1};
    state.LastTargetIndex = 0;
    ui.SetRepaintDown(true);
    view = std::make_unique<qt::PictureView>(surface, nullptr);
    view->onMove = [this](int x, int y) { MouseMoveXY(game, x, y); };
    view->onPress = [this](MouseButton b, int x, int y) { Image1MouseDown(game, b, x, y); };
    view->onClick = [this] { Image1MouseClick(game); };
    view->Sync();
  }

  // The view's repaint of the part the viewport shows.
  void Render(const QRect& visible) { view->render(&target, QPoint(), QRegion(visible)); }
};

QRect Viewport(int side) {
  // Scrolled to the middle of a large picture.
  const int left = side > kViewportWidth ? side / 2 : 0;
  const int top = side > kViewportHeight ? side / 2 : 0;
  return {left, top, kViewportWidth, kViewportHeight};
}

void BM_RenderAfterFill(benchmark::State& st) {
  const int side = static_cast<int>(st.range(0));
  ViewGame g(side);
  const QRect visible = Viewport(side);
  g.surface.FillToBlack(visible.x() + kCell + 3, visible.y() + kCell + 3, kRed);
  g.view->Sync();
  for (auto _ : st) {
    g.Render(visible);
    benchmark::DoNotOptimize(g.target.constBits());
  }
}
BENCHMARK(BM_RenderAfterFill)->Arg(4096)->Arg(kViewportWidth)->Unit(benchmark::kMicrosecond);

// Press and release on a cell, the paint move and its check, then the repaint.
void BM_PaintClick2048(benchmark::State& st) {
  constexpr int side = 2048;
  ViewGame g(side);
  const QRect visible = Viewport(side);
  const QPointF cell(visible.x() + kMargin % kCell + kCell * 5 + 8, visible.y() + kMargin % kCell + kCell * 5 + 8);
  const QPointF local = cell;
  for (auto _ : st) {
    st.PauseTiming();
    g.surface.FillToBlack(static_cast<int>(cell.x()), static_cast<int>(cell.y()), kWhite);
    g.state.LastMove = -1;
    g.view->Sync();
    st.ResumeTiming();
    QMouseEvent move(QEvent::MouseMove, local, local, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QMouseEvent press(QEvent::MouseButtonPress, local, local, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, local, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g.view.get(), &move);
    QCoreApplication::sendEvent(g.view.get(), &press);
    QCoreApplication::sendEvent(g.view.get(), &release);
    g.view->Sync();
    g.Render(visible);
    benchmark::DoNotOptimize(g.target.constBits());
  }
  if (g.surface.PixelAt(static_cast<int>(cell.x()), static_cast<int>(cell.y())) != kRed) st.SkipWithError("no paint");
}
BENCHMARK(BM_PaintClick2048)->Unit(benchmark::kMicrosecond);

// The anchor: a plain drawImage of the viewport's part of the same picture.
void BM_PlainDrawImage2048(benchmark::State& st) {
  constexpr int side = 2048;
  ViewGame g(side);
  const QRect visible = Viewport(side);
  const Picture& p = g.surface.CurrentPicture();
  const QImage image(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4,
                     QImage::Format_RGBX8888);
  for (auto _ : st) {
    QPainter painter(&g.target);
    painter.drawImage(QRect(QPoint(), visible.size()), image, visible);
    painter.end();
    benchmark::DoNotOptimize(g.target.constBits());
  }
}
BENCHMARK(BM_PlainDrawImage2048)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return tintaro::bench::RunWithRatios(
      argc, argv,
      {{"view_render_4096_vs_viewport", "BM_RenderAfterFill/4096", "BM_RenderAfterFill/653"},
       {"view_paint_click_2048_vs_drawimage", "BM_PaintClick2048", "BM_PlainDrawImage2048"}});
}
