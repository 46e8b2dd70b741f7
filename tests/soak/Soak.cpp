// A long headless run of the real main window: Insane mode on the largest
// unlocked puzzle at 10 ms ticks, with paint and unpaint moves (each unpaint
// reloads the picture and replays every move) between the floods. Reports
// the resident memory after warm-up and at the end, and every step that took
// longer than its tick.
//   soak_tintaro PROGRAM_DIR [TICKS] [MOVES]
// The loads mode instead loads the first bundled puzzle COUNT times through
// the Load button and the real, modal open dialog, and reports the resident
// memory as the Loads go on.
//   soak_tintaro PROGRAM_DIR loads [COUNT]
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/rules/Disturbance.h"
#include "core/rules/Moves.h"
#include "shell/qt/Dialogs.h"
#include "shell/qt/TTintaro.h"

using namespace tintaro;
using namespace tintaro::qt;

namespace {

constexpr int kTickMs = 10;
constexpr int kWarmUpTicks = 1000;
// How long the open dialog stays up in the loads mode: long enough to be
// shown, list its folder and paint.
constexpr int kDialogShownMs = 150;

// Every bundled puzzle, in the pack folders below Puzzles, by path.
QStringList BundledPuzzles(const QString& programDir) {
  QStringList paths;
  QDirIterator it(programDir + "/Puzzles", {"*.tro"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) paths << it.next();
  paths.sort();
  return paths;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Times each Timer2 step: the timer event arrives here before the window's
// handler runs, and the handler has finished when the next event filter call
// or the after-tick slot sees it.
class StepClock : public QObject {
 public:
  QElapsedTimer clock;
  qint64 stepStartNs = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) stepStartNs = clock.nsecsElapsed();
    return false;
  }
};

// Loads one puzzle `count` times as a player does: the Load button opens the
// modal open dialog, which is answered by choosing the file in it.
int RunLoads(TTintaro& window, const QString& puzzle, long count) {
  const long reportAt[] = {1, 10, 20, 25, 50, 100, 150, 200, 400, 1000};
  std::printf("puzzle %s\nresident memory KiB: start %ld\n", qPrintable(puzzle), ResidentKiB());
  for (long load = 1; load <= count; ++load) {
    bool answered = false;
    // Runs inside the dialog's own event loop.
    QTimer::singleShot(kDialogShownMs, &window, [&] {
      auto* dialog = window.findChild<QFileDialog*>();
      if (!dialog) return;
      // Typed into the file name box, as a player does; selectFile leaves a
      // box that has the focus alone.
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (!name) return;
      name->setText(puzzle);
      static_cast<QDialog*>(dialog)->accept();  // as the Open button does
      answered = true;
    });
    window.Button(TTintaro::LoadTool)->click();
    QApplication::processEvents();
    if (!answered || window.Shell().State().Finished) {
      std::fprintf(stderr, "load %ld: the puzzle did not open\n", load);
      return 1;
    }
    if (load == count || std::find(std::begin(reportAt), std::end(reportAt), load) != std::end(reportAt)) {
      std::printf("after %ld Loads: %ld\n", load, ResidentKiB());
      std::fflush(stdout);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: soak_tintaro PROGRAM_DIR [TICKS] [MOVES] | PROGRAM_DIR loads [COUNT]\n");
    return 2;
  }
  const QString programDir = QString::fromLocal8Bit(argv[1]);
  const bool loadsMode = argc > 2 && std::string(argv[2]) == "loads";
  const long ticks = argc > 2 && !loadsMode ? std::stol(argv[2]) : 100'000;
  const long moves = argc > 3 && !loadsMode ? std::stol(argv[3]) : 10'000;

  TTintaro window((programDir + "/tintaro").toStdString(), {});
  int errorBoxes = 0, limitBoxes = 0;
  window.runBox = [&](QMessageBox& box) {
    if (box.icon() == QMessageBox::Critical) {
      ++errorBoxes;
      std::fprintf(stderr, "error box: %s\n", qPrintable(box.text()));
    }
    if (box.text().contains("limit")) ++limitBoxes;
    return int(QMessageBox::Ok);
  };
  QString nextFile;
  if (!loadsMode) window.runOpenDialog = [&](QFileDialog&) -> std::optional<QString> { return nextFile; };
  TAboutBox clue(&window);
  TOkCanclDlg hintLimit(&window);
  TOptions options(&window);
  TAboutBoxTRO about(&window);
  window.AttachWindows(&clue, &hintLimit, &options, &about);
  window.show();
  QApplication::processEvents();
  if (loadsMode) {
    const QStringList puzzles = BundledPuzzles(programDir);
    if (puzzles.isEmpty()) {
      std::fprintf(stderr, "soak: no puzzle in %s/Puzzles\n", qPrintable(programDir));
      return 1;
    }
    const int result = RunLoads(window, puzzles.first(), argc > 3 ? std::stol(argv[3]) : 200);
    window.close();
    return result == 0 && errorBoxes == 0 ? 0 : 1;
  }

  // The largest puzzle that does not lock its mode.
  TintaroShell& shell = window.Shell();
  const PuzzleState& s = shell.State();
  QString largest;
  long largestArea = 0;
  for (const QString& puzzle : BundledPuzzles(programDir)) {
    nextFile = puzzle;
    window.Invoke([&] { shell.LoadButtonClick(); });
    const long area = long{shell.Surface().Width()} * shell.Surface().Height();
    if (!s.Finished && !s.CrazyOnly && !s.InsaneOnly && !s.NormalOnly && area > largestArea) {
      largest = nextFile;
      largestArea = area;
    }
  }
  if (largest.isEmpty()) {
    std::fprintf(stderr, "soak: no unlocked puzzle in %s/Puzzles\n", qPrintable(programDir));
    return 1;
  }
  nextFile = largest;
  window.Invoke([&] { shell.LoadButtonClick(); });
  std::printf("puzzle %s, %d x %d, %d targets\n", qPrintable(largest), shell.Surface().Width(),
              shell.Surface().Height(), s.LastTargetIndex + 1);

  StepClock steps;
  steps.clock.start();
  window.Timer(GameTimer::Timer2).installEventFilter(&steps);
  window.SelectMode(PlayMode::Insane);
  window.Invoke([&] { InsaneMode(shell.GameContext()); });

  long tick = 0, movesDone = 0, lateSteps = 0, lateMoves = 0, unpaints = 0;
  qint64 longestStepNs = 0, longestMoveNs = 0;
  long warmRss = -1;
  Game& game = shell.GameContext();
  const long moveEvery = std::max(1L, ticks / std::max(1L, moves));
  QObject::connect(&window.Timer(GameTimer::Timer2), &QTimer::timeout, &window, [&] {
    const qint64 stepNs = steps.clock.nsecsElapsed() - steps.stepStartNs;
    longestStepNs = std::max(longestStepNs, stepNs);
    if (stepNs > kTickMs * 1'000'000LL) ++lateSteps;
    ++tick;
    if (tick == kWarmUpTicks) warmRss = ResidentKiB();
    if (movesDone < moves && tick % moveEvery == 0) {
      // Alternate: paint a target, then press the secondary button on it,
      // which cancels the move and replays the others.
      const PointRecord& t = (*s.TargetPoints)[(movesDone / 2) % (s.LastTargetIndex + 1)];
      const qint64 start = steps.clock.nsecsElapsed();
      if (movesDone % 2 == 0) {
        window.Invoke([&] {
          MouseMoveXY(game, t.X, t.Y);
          Image1MouseClick(game);
        });
      } else {
        if (shell.Surface().PixelAt(t.X, t.Y) == kRed) ++unpaints;
        window.Invoke([&] { Image1MouseDown(game, MouseButton::Secondary, t.X, t.Y); });
      }
      const qint64 moveNs = steps.clock.nsecsElapsed() - start;
      longestMoveNs = std::max(longestMoveNs, moveNs);
      if (moveNs > kTickMs * 1'000'000LL) {
        ++lateMoves;
        if (getenv("SOAK_VERBOSE")) std::printf("late move %ld: %.2f ms\n", movesDone, moveNs / 1e6);
      }
      ++movesDone;
    }
    if (s.Finished) {
      // A move solved the puzzle by chance: open it again and go on.
      window.Invoke([&] { shell.LoadButtonClick(); });
      window.SelectMode(PlayMode::Insane);
      window.Invoke([&] { InsaneMode(game); });
    }
    if (tick >= ticks) QApplication::quit();
  });
  const long startRss = ResidentKiB();
  QElapsedTimer wall;
  wall.start();
  QApplication::exec();
  const long endRss = ResidentKiB();
  std::printf("ticks %ld in %.1f s (%.2f ms a tick)\n", tick, wall.elapsed() / 1000.0,
              double(wall.elapsed()) / std::max(1L, tick));
  std::printf("moves %ld (unpaints on red %ld, move-limit boxes %d), longer than %d ms: %ld, longest %.2f ms\n",
              movesDone, unpaints, limitBoxes, kTickMs, lateMoves, longestMoveNs / 1e6);
  std::printf("steps longer than %d ms: %ld; longest step %.2f ms\n", kTickMs, lateSteps, longestStepNs / 1e6);
  std::printf("resident memory KiB: start %ld, after warm-up %ld, end %ld, growth after warm-up %ld\n", startRss,
              warmRss, endRss, endRss - warmRss);
  std::printf("error boxes %d\n", errorBoxes);
  window.close();
  return errorBoxes == 0 ? 0 : 1;
}
