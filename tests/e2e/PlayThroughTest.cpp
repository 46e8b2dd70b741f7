// Plays the program from start to end through its real main window: the
// intro to its greeting, then every bundled puzzle solved by clicks on its
// targets, Give Up on one puzzle and on the one that withholds its solution,
// and the mode-locked puzzles through their disturbances. The window runs over
// a copy of the program folder the build assembled, so what is tested is what
// ships.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/Messages.h"
#include "shell/qt/Dialogs.h"
#include "shell/qt/PictureView.h"
#include "shell/qt/TTintaro.h"

using namespace tintaro;
using namespace tintaro::qt;

namespace {

constexpr int kIntroTimeoutMs = 60'000;
constexpr int kGiveUpTimeoutMs = 120'000;

bool CopyFolder(const QString& from, const QString& to) {
  QDir source(from);
  if (!QDir().mkpath(to)) return false;
  for (const QFileInfo& entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString target = to + "/" + entry.fileName();
    if (entry.isDir() ? !CopyFolder(entry.filePath(), target) : !QFile::copy(entry.filePath(), target)) return false;
  }
  return true;
}

}  // namespace

class PlayThroughTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  // The intro solves itself and hands over to the About box's greeting.
  void introPlaysToTheGreeting();
  // Every bundled puzzle is solved by clicking its targets, with a score of
  // 0 % for a solution found without hints.
  void everyPuzzleIsSolvedByClicks();
  // Give Up plays a puzzle to its end; a puzzle that withholds its solution
  // refuses with its own message. One of each: the playback is slow.
  void giveUpFinishesOrIsRefused();
  // The Crazy-only and Insane-only puzzles keep flooding while the player
  // paints, and no failure reaches the error box.
  void modeLockedPuzzlesDisturbThroughABurst();

 private:
  void Load(const QString& puzzle);
  void ClickAt(int x, int y);
  // Clicks every target that is not red, round after round: in Crazy and
  // Insane mode a flood may recolour a painted target between clicks.
  void SolveByClicks();
  QStringList Puzzles() const;
  bool SawBox(const QString& text) const;

  QTemporaryDir dir_;
  QString programDir_;
  std::unique_ptr<TTintaro> window_;
  std::unique_ptr<TAboutBox> clue_;
  std::unique_ptr<TOkCanclDlg> hintLimit_;
  std::unique_ptr<TOptions> options_;
  std::unique_ptr<TAboutBoxTRO> about_;
  // Every box the program showed, as "Caption: text".
  QStringList boxes_;
  int errorBoxes_ = 0;
  QString nextFile_;
};

void PlayThroughTest::initTestCase() {
  QVERIFY(dir_.isValid());
  // Only what ships: not a previous run's TTMP or log.
  programDir_ = dir_.path() + "/Tintaro";
  QVERIFY(QDir().mkpath(programDir_));
  for (const char* file : {"libunzeng.so", "TRO3.trz"}) {
    QVERIFY2(QFile::copy(QString(PROGRAM_DIR) + "/" + file, programDir_ + "/" + file), file);
  }
  QVERIFY(CopyFolder(QString(PROGRAM_DIR) + "/Puzzles", programDir_ + "/Puzzles"));
  QVERIFY2(Puzzles().size() >= 15, "the build made fewer than 15 puzzles");

  window_ = std::make_unique<TTintaro>((programDir_ + "/tintaro").toStdString(), std::vector<std::string>{});
  window_->runBox = [this](QMessageBox& box) {
    boxes_ << box.windowTitle() + ": " + box.text();
    if (box.icon() == QMessageBox::Critical) ++errorBoxes_;
    return box.standardButtons().testFlag(QMessageBox::Yes) ? int(QMessageBox::Yes) : int(QMessageBox::Ok);
  };
  window_->runOpenDialog = [this](QFileDialog&) -> std::optional<QString> { return nextFile_; };
  clue_ = std::make_unique<TAboutBox>(window_.get());
  hintLimit_ = std::make_unique<TOkCanclDlg>(window_.get());
  options_ = std::make_unique<TOptions>(window_.get());
  about_ = std::make_unique<TAboutBoxTRO>(window_.get());
  window_->AttachWindows(clue_.get(), hintLimit_.get(), options_.get(), about_.get());
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void PlayThroughTest::cleanupTestCase() {
  if (!window_) return;
  window_->close();
  // Closing deleted what the last puzzle extracted.
  QVERIFY(QDir(programDir_ + "/TTMP").entryList(QDir::Files).isEmpty());
  QCOMPARE(errorBoxes_, 0);
  QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QStringList PlayThroughTest::Puzzles() const {
  // The packs are sub-folders of Puzzles.
  QStringList paths;
  QDirIterator it(programDir_ + "/Puzzles", {"*.tro"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) paths << it.next();
  paths.sort();
  return paths;
}

bool PlayThroughTest::SawBox(const QString& text) const {
  for (const QString& box : boxes_) {
    if (box.contains(text)) return true;
  }
  return false;
}

void PlayThroughTest::Load(const QString& puzzle) {
  nextFile_ = puzzle;
  boxes_.clear();
  QTest::mouseClick(window_->Button(TTintaro::LoadTool), Qt::LeftButton);
  const PuzzleState& s = window_->Shell().State();
  QVERIFY2(!s.Finished, qPrintable(puzzle + " did not open: " + boxes_.join(" | ")));
  QVERIFY(s.HintsAvailable);
  QVERIFY(window_->Image1()->isVisible());
  QVERIFY(window_->windowTitle().endsWith(QFileInfo(puzzle).fileName()));
}

void PlayThroughTest::ClickAt(int x, int y) {
  // Scroll the point into view first, as a player would on a large picture:
  // the pointer reaches only what the scroll box shows.
  PictureView* view = window_->Image1();
  window_->ScrollBox1()->ensureVisible(view->x() + x, view->y() + y, 20, 20);
  QTest::mouseMove(view, QPoint(x, y));
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(x, y));
}

void PlayThroughTest::SolveByClicks() {
  const PuzzleState& s = window_->Shell().State();
  for (int round = 0; round < 20 && !s.Finished; ++round) {
    for (int i = 0; i <= s.LastTargetIndex && !s.Finished; ++i) {
      const PointRecord& t = (*s.TargetPoints)[i];
      if (window_->Shell().Surface().PixelAt(t.X, t.Y) != kRed) ClickAt(t.X, t.Y);
    }
  }
}

void PlayThroughTest::introPlaysToTheGreeting() {
  const PuzzleState& s = window_->Shell().State();
  QVERIFY(QTest::qWaitFor([&] { return s.WelcomeMode; }, kIntroTimeoutMs));
  QVERIFY(!s.IntroPending);
  QVERIFY(s.Finished);
  QVERIFY(about_->isVisible());
  // The solved intro goes on flashing its regions.
  QVERIFY(window_->TimerEnabled(GameTimer::Timer2));
  QCOMPARE(window_->TimerInterval(GameTimer::Timer2), 500);
  // The greeting follows the About box's OK.
  boxes_.clear();
  window_->Shell().AboutOkButtonClick();
  QVERIFY(SawBox("Welcome!"));
}

void PlayThroughTest::everyPuzzleIsSolvedByClicks() {
  for (const QString& puzzle : Puzzles()) {
    Load(puzzle);
    const PuzzleState& s = window_->Shell().State();
    SolveByClicks();
    QVERIFY2(s.Finished, qPrintable(puzzle + " was not solved: " + boxes_.join(" | ")));
    QVERIFY2(SawBox("CONGRATULATIONS!"), qPrintable(puzzle));
    QCOMPARE(s.ScorePercent, 0);
    QVERIFY(SawBox("Hints Used 0%"));
    QVERIFY(!window_->Button(TTintaro::HintTool)->isEnabled());
    QVERIFY(window_->Button(TTintaro::ClueTool)->isEnabled());
  }
}

void PlayThroughTest::giveUpFinishesOrIsRefused() {
  bool finished = false, refused = false;
  for (const QString& puzzle : Puzzles()) {
    if (finished && refused) break;
    Load(puzzle);
    const PuzzleState& s = window_->Shell().State();
    if (s.SolutionDisabled ? refused : finished) continue;
    QTest::mouseClick(window_->Button(TTintaro::GiveupTool), Qt::LeftButton);
    if (s.SolutionDisabled) {
      QVERIFY2(SawBox(msg::kSolutionNotAvailable), qPrintable(puzzle));
      QVERIFY2(!s.Finished, qPrintable(puzzle));
      refused = true;
      continue;
    }
    QVERIFY2(SawBox(msg::kReallyGiveUp), qPrintable(puzzle + ": " + boxes_.join(" | ")));
    QVERIFY2(QTest::qWaitFor([&] { return s.Finished && !window_->TimerEnabled(GameTimer::Timer1); },
                             kGiveUpTimeoutMs),
             qPrintable(puzzle + " was not played to its end"));
    for (int i = 0; i <= s.LastTargetIndex; ++i) {
      const PointRecord& t = (*s.TargetPoints)[i];
      QVERIFY2(window_->Shell().Surface().PixelAt(t.X, t.Y) == kRed, qPrintable(puzzle));
    }
    finished = true;
  }
  QVERIFY(finished);
  QVERIFY2(refused, "the bundled set lacks a puzzle that withholds its solution");
}

void PlayThroughTest::modeLockedPuzzlesDisturbThroughABurst() {
  int locked = 0;
  for (const QString& puzzle : Puzzles()) {
    Load(puzzle);
    const PuzzleState& s = window_->Shell().State();
    if (!s.CrazyOnly && !s.InsaneOnly) continue;
    ++locked;
    QVERIFY(window_->TimerEnabled(GameTimer::Timer2));
    QCOMPARE(window_->SelectedMode(), s.CrazyOnly ? PlayMode::Crazy : PlayMode::Insane);
    // A paint move starts a Crazy burst; Insane floods from the start. The
    // burst count carries over from earlier puzzles, and a move near the end
    // of a burst floods once or twice and falls quiet, so move again until a
    // burst is under way with most of its floods to come.
    // Floods may already run while the moves are delivered, so they count
    // from before the first move; each move is one fill of its own. Every
    // move paints the same target: a puzzle of few targets would otherwise
    // be solved, and fall quiet, before its burst got under way.
    const uint64_t before = window_->Shell().Surface().Revision();
    const PointRecord& first = (*s.TargetPoints)[0];
    int moves = 0;
    do {
      ClickAt(first.X, first.Y);
    } while (++moves < 10 && s.CrazyOnly && !(s.MovedSinceDisturb && s.DisturbCount < 20));
    QVERIFY2(!s.Finished, qPrintable(puzzle + " was solved by one target"));
    QTest::qWait(1500);
    QVERIFY2(window_->Shell().Surface().Revision() > before + moves + 5, qPrintable(puzzle + " was not disturbed"));
    // The player can still finish the puzzle over the floods.
    SolveByClicks();
    QVERIFY2(s.Finished, qPrintable(puzzle + " could not be finished under its mode"));
  }
  QVERIFY2(locked >= 2, "the bundled set lacks a Crazy-only and an Insane-only puzzle");
}

QTEST_MAIN(PlayThroughTest)
#include "PlayThroughTest.moc"
