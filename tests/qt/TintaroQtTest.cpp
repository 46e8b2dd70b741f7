// The desktop program's Qt layer: the toolbar, the dialogs' layout, Image1's
// mouse and drawing, real modal boxes with running timers, the timer guards,
// the activation rule and the event-loop edge. The command logic behind the
// handlers is tested in the shell's and the core's own tests.
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <malloc.h>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#define TINTARO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTARO_ASAN 1
#endif
#endif
#ifdef TINTARO_ASAN
#include <sanitizer/allocator_interface.h>
#endif

#include "core/Errors.h"
#include "shell/qt/Dialogs.h"
#include "shell/qt/MakingDialogs.h"
#include "shell/qt/Icons.h"
#include "shell/qt/PictureView.h"
#include "shell/qt/TTintaro.h"
#include "support/BmpBuilder.h"
#include "support/SolutionBuilder.h"
#include "support/ZipWriter.h"

using namespace tintaro;
using namespace tintaro::qt;

namespace {

constexpr uint32_t W = kWhite, K = kBlack;

// 66 x 26: a black frame from (3, 3) to (62, 22) around three regions split
// by the columns 23 and 43; the background outside the frame holds (1, 1).
// The solution's targets are the outer two regions, so painting the middle
// one solves nothing.
constexpr int kWidth = 66, kHeight = 26;
std::vector<uint32_t> ThreeRegions() {
  std::vector<uint32_t> pixels(kWidth * kHeight, W);
  for (int y = 3; y <= 22; ++y) {
    for (int x = 3; x <= 62; ++x) {
      if (y == 3 || y == 22 || x == 3 || x == 23 || x == 43 || x == 62) pixels[y * kWidth + x] = K;
    }
  }
  return pixels;
}

std::string AsString(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// Bytes the program holds from the allocator, in every thread.
long HeapInUse() {
#ifdef TINTARO_ASAN
  return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>(info.uordblks + info.hblkhd);
#endif
}

struct Box {
  QString title, text;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton;
  QMessageBox::StandardButton escapeButton;
};

}  // namespace

class TintaroQtTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TTintaro> window_;
  std::unique_ptr<TAboutBox> clue_;
  std::unique_ptr<TOkCanclDlg> hintLimit_;
  std::unique_ptr<TOptions> options_;
  std::unique_ptr<TAboutBoxTRO> about_;
  std::vector<Box> boxes_;
  QString nextFile_;
  QStringList openDialog_;  // title, first folder, then the filters

  QString Path(const QString& name) const { return dir_->filePath(name); }

  // A puzzle archive with the three-region picture, its solution and a clue.
  QString WritePuzzle() {
    const auto bmp = AsString(test::BuildBmp(kWidth, kHeight, ThreeRegions()));
    const auto trs = AsString(test::SolutionBuilder().Header(1, -1).Target(10, 10).Target(50, 10).Bytes());
    const QString path = Path("three.tro");
    test::ZipWriter().Add("three.bmp", bmp).Add("three.trs", trs).Add("spithree.bmp", bmp).WriteTo(path.toStdString());
    return path;
  }

  void Load(const QString& file) {
    nextFile_ = file;
    window_->Button(TTintaro::LoadTool)->click();
  }

  // What the screen shows at a picture point: the window's pixels as last
  // flushed, which only a repaint of Image1 changes (a grab would paint anew).
  QColor ShownColour(int x, int y) {
    const QPoint p = window_->Image1()->mapTo(window_.get(), QPoint(x, y));
    return window_->screen()->grabWindow(window_->winId(), p.x(), p.y(), 1, 1).toImage().pixelColor(0, 0);
  }

  // The Clue window or the About box has the focus, then the main window.
  void Activate(QWidget* widget) {
    widget->activateWindow();
    QTRY_COMPARE(QGuiApplication::focusWindow(), widget->windowHandle());
  }

  // The five windows of a start with these arguments, up to the first
  // activation.
  void StartWindows(const std::vector<std::string>& arguments) {
    window_ = std::make_unique<TTintaro>(Path("tintaro").toStdString(), arguments);
    clue_ = std::make_unique<TAboutBox>(window_.get());
    hintLimit_ = std::make_unique<TOkCanclDlg>(window_.get());
    options_ = std::make_unique<TOptions>(window_.get());
    about_ = std::make_unique<TAboutBoxTRO>(window_.get());
    window_->AttachWindows(clue_.get(), hintLimit_.get(), options_.get(), about_.get());
    boxes_.clear();
    // Boxes are recorded and answered with their default button.
    window_->runBox = [this](QMessageBox& box) {
      boxes_.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                        box.standardButton(box.defaultButton()), box.standardButton(box.escapeButton())});
      return box.defaultButton() ? int(box.standardButton(box.defaultButton())) : int(QMessageBox::Ok);
    };
    window_->runOpenDialog = [this](QFileDialog& d) -> std::optional<QString> {
      openDialog_ = QStringList{d.windowTitle(), d.directory().absolutePath()} + d.nameFilters();
      return nextFile_;
    };
    window_->show();
    QTRY_COMPARE(window_->Activations(), 1);
  }

  void CloseWindows() {
    window_->close();
    about_.reset();
    options_.reset();
    hintLimit_.reset();
    clue_.reset();
    window_.reset();
  }

  // A picture with a clear subject: a dark disc on a plain light ground.
  QString WriteDiscPicture() {
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 235));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(160, 20, 30));
    painter.drawEllipse(QPoint(100, 75), 50, 50);
    painter.end();
    const QString path = Path("disc.png");
    image.save(path);
    return path;
  }

  // The folders a making left in the work folder.
  QStringList MadeFolders() {
    return QDir(QString::fromStdString(window_->Shell().State().WorkDir)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  }

  QStringList WorkFiles() {
    return QDir(QString::fromStdString(window_->Shell().State().WorkDir)).entryList(QDir::Files);
  }

  // A synthetic drag of `files` entering the window and dropped on the
  // picture; whether the window took the drag.
  bool Drop(const QStringList& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    const QPoint at = window_->ScrollBox1()->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    return drop.isAccepted();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::link(QStringLiteral(ENGINE_PATH), Path("libunzeng.so")));
    QVERIFY(QFile::link(QStringLiteral(TROMAKE_PATH), Path("tromake")));
    StartWindows({});
    // No intro archive here: the first activation greets with the About box.
    QTRY_VERIFY(about_->isVisible());
  }

  void cleanup() {
    CloseWindows();
    dir_.reset();
  }

  // A puzzle named on the command line is open after the first activation,
  // with no About box. (What a refused one leads to is the shell's.)
  void aPuzzleOnTheCommandLineOpensAtTheFirstActivation() {
    const QString puzzle = WritePuzzle();
    CloseWindows();
    boxes_.clear();
    StartWindows({"log", puzzle.toStdString()});
    QTRY_VERIFY(window_->Image1()->isVisible());
    QVERIFY(boxes_.empty());
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tintaro! - Revolutionary Color Puzzle - three.tro"));
    QVERIFY(window_->Button(TTintaro::HintTool)->isEnabled());
    QCOMPARE(WorkFiles(), QStringList{QStringLiteral("three.bmp")});
    QVERIFY(!about_->isVisible());
  }

  // A puzzle dropped on the window loads; while a hint flashes a drop is
  // refused at the door and changes nothing, and once it is over the next
  // drop loads afresh.
  void aDroppedPuzzleLoadsUnlessAHintIsFlashing() {
    const QString puzzle = WritePuzzle();
    QVERIFY(Drop({puzzle}));
    QVERIFY(window_->Image1()->isVisible());
    QVERIFY(!about_->isVisible());
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tintaro! - Revolutionary Color Puzzle - three.tro"));
    QCOMPARE(WorkFiles(), QStringList{QStringLiteral("three.bmp")});

    // "Solve it yourself?" No: the hint goes ahead.
    window_->runBox = [](QMessageBox&) { return int(QMessageBox::No); };
    window_->Button(TTintaro::HintTool)->click();
    QVERIFY(window_->Timer(GameTimer::Timer1).isActive());
    QVERIFY(!Drop({puzzle}));
    QCOMPARE(window_->Shell().State().HintsUsed, 1);
    QTRY_VERIFY(!window_->Timer(GameTimer::Timer1).isActive());
    QVERIFY(Drop({puzzle}));
    QCOMPARE(window_->Shell().State().HintsUsed, 0);
    QCOMPARE(WorkFiles(), QStringList{QStringLiteral("three.bmp")});
  }

  // A picture chosen with the open dialog's picture filter is made into a
  // puzzle by the real tromake and loaded; the made archive can be kept.
  void aPictureChosenInTheOpenDialogIsMadeIntoAPuzzle() {
    const QString picture = WriteDiscPicture();
    nextFile_ = picture;
    QString selectedFilter;
    window_->runOpenDialog = [&](QFileDialog& d) -> std::optional<QString> {
      openDialog_ = d.nameFilters();
      selectedFilter = d.selectedNameFilter();
      return std::exchange(nextFile_, Path("kept.tro"));
    };
    int shownDifficulty = -1;
    window_->runDifficultyDialog = [&](QDialog& d) {
      auto* choice = d.findChild<QComboBox*>();
      if (!choice) return int(QDialog::Rejected);
      shownDifficulty = choice->currentIndex();
      choice->setCurrentIndex(0);
      return int(QDialog::Accepted);
    };
    QString saveFolder;
    window_->runSaveDialog = [&](QFileDialog& d) -> std::optional<QString> {
      saveFolder = d.directory().absolutePath();
      return Path("kept.tro");
    };
    window_->Button(TTintaro::LoadTool)->click();

    QCOMPARE(selectedFilter, QStringLiteral("Tintaro Puzzle (*.tro)"));
    QVERIFY(openDialog_.contains(QStringLiteral("Picture (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.svg)")));
    QCOMPARE(shownDifficulty, 1);
    QVERIFY(window_->Image1()->isVisible());
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tintaro! - Revolutionary Color Puzzle - disc.tro"));
    QVERIFY(window_->Button(TTintaro::HintTool)->isEnabled());
    QCOMPARE(WorkFiles().size(), 1);
    QCOMPARE(MadeFolders().size(), 1);
    const QString made = QString::fromStdString(window_->Shell().MadeFolder()) + QStringLiteral("/disc.tro");
    QVERIFY(QFile::exists(Path("kept.tro")));
    QFile kept(Path("kept.tro")), original(made);
    QVERIFY(kept.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), original.readAll());
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir()) pictures = QDir::homePath();
    QCOMPARE(saveFolder, QDir(pictures).absolutePath());

    // The kept puzzle opens as any other; the made archive goes.
    window_->Button(TTintaro::LoadTool)->click();
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tintaro! - Revolutionary Color Puzzle - kept.tro"));
    QVERIFY(MadeFolders().isEmpty());
    QCOMPARE(WorkFiles().size(), 1);
  }

  // A picture tromake refuses shows its reason; the puzzle in play stays.
  // A making cancelled at once leaves nothing behind.
  void aRefusedOrCancelledMakingKeepsThePuzzleInPlay() {
    const QString puzzle = WritePuzzle();
    Load(puzzle);
    QImage plain(120, 90, QImage::Format_RGB32);
    plain.fill(Qt::white);
    QVERIFY(plain.save(Path("plain.png")));
    window_->runDifficultyDialog = [](QDialog&) { return int(QDialog::Accepted); };
    boxes_.clear();
    QVERIFY(Drop({Path("plain.png")}));
    QCOMPARE(boxes_.size(), size_t(1));
    QVERIFY2(boxes_[0].text.contains(QStringLiteral("one colour")), qPrintable(boxes_[0].text));
    QVERIFY2(!boxes_[0].text.contains(QStringLiteral("tromake:")), qPrintable(boxes_[0].text));
    QVERIFY(!boxes_[0].text.contains(Path("plain.png")));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tintaro! - Revolutionary Color Puzzle - three.tro"));
    QVERIFY(window_->Image1()->isVisible());
    QCOMPARE(WorkFiles(), QStringList{QStringLiteral("three.bmp")});
    QVERIFY(MadeFolders().isEmpty());

    bool shown = false;
    window_->Runner().onShown = [&](QProgressDialog& d) {
      shown = true;
      if (auto* cancel = d.findChild<QPushButton*>()) cancel->click();
    };
    boxes_.clear();
    QVERIFY(Drop({WriteDiscPicture()}));
    window_->Runner().onShown = nullptr;
    QVERIFY(shown);
    QVERIFY(boxes_.empty());
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tintaro! - Revolutionary Color Puzzle - three.tro"));
    QCOMPARE(WorkFiles(), QStringList{QStringLiteral("three.bmp")});
    QVERIFY(MadeFolders().isEmpty());
  }

  // The eight buttons in their order, one row of equal buttons, with their
  // tool tips and pictures; the five commands follow the states a Load and a
  // solve leave.
  void toolbarFollowsLoadAndSolve() {
    const struct {
      const char* name;
      const char* tip;
      int image;
    } expected[] = {{"LoadButton", "Load Puzzle", 3}, {"RepaintButton", "Repaint", 2}, {"ClueButton", "Clue", 0},
                    {"HintButton", "Hint", 4},        {"GiveupButton", "Give Up", 1},  {"OptionsButton", "Options", 6},
                    {"HelpButton", "Help", 5},        {"AboutButton", "About", 7}};
    const QRect bar = window_->ToolBar1()->rect();
    int previousRight = -1;
    for (int i = 0; i < TTintaro::ToolCount; ++i) {
      ToolButton* b = window_->Button(TTintaro::Tool(i));
      QCOMPARE(b->objectName(), QString::fromLatin1(expected[i].name));
      QCOMPARE(b->toolTip(), QString::fromLatin1(expected[i].tip));
      // Left to right in one row, whole on the bar, room for the picture.
      QCOMPARE(b->size(), window_->Button(TTintaro::LoadTool)->size());
      QCOMPARE(b->y(), window_->Button(TTintaro::LoadTool)->y());
      QVERIFY(b->x() > previousRight);
      QVERIFY(bar.contains(b->geometry()));
      QVERIFY(b->width() > b->iconSize().width() && b->height() > b->iconSize().height());
      previousRight = b->geometry().right();
      const QImage shown = b->icon().pixmap(QSize(39, 39), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
      const QImage listed = ImageListEntry(expected[i].image, QSize(39, 39), 1.0);
      QCOMPARE(shown, (b->Indeterminate() ? Greyed(listed) : listed).convertToFormat(QImage::Format_ARGB32));
    }
    QVERIFY(window_->Button(TTintaro::RepaintTool)->isCheckable());

    using States = std::array<int, 5>;  // enabled * 2 + indeterminate, per command
    const CommandButton commands[] = {CommandButton::Repaint, CommandButton::Clue, CommandButton::Hint,
                                      CommandButton::Giveup, CommandButton::Options};
    auto states = [&] {
      States s{};
      for (int i = 0; i < 5; ++i) {
        ToolButton* b = window_->Button(TTintaro::Tool(TTintaro::RepaintTool + i));
        // What the rules read back is what the player sees.
        const bool consistent = window_->ButtonEnabled(commands[i]) == b->isEnabled() &&
                                window_->ButtonIndeterminate(commands[i]) == b->Indeterminate();
        s[i] = consistent ? b->isEnabled() * 2 + b->Indeterminate() : -1;
      }
      return s;
    };
    QCOMPARE(states(), (States{1, 1, 1, 1, 1}));
    QVERIFY(!window_->RepaintDown());
    // Greyed, the button shows the greyed picture, also while enabled.
    QCOMPARE(window_->Button(TTintaro::HintTool)->icon().pixmap(QSize(39, 39), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
             Greyed(ImageListEntry(4, QSize(39, 39), 1.0)).convertToFormat(QImage::Format_ARGB32));

    Load(WritePuzzle());
    // Without a Puzzles folder the first Load starts in the program's folder.
    QCOMPARE(openDialog_, (QStringList{"Load Puzzle", dir_->path(), "Tintaro Puzzle (*.tro)",
                                        "Picture (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.svg)", "All Files (*)"}));
    QCOMPARE(states(), (States{2, 2, 2, 2, 2}));
    QVERIFY(window_->RepaintDown());
    QVERIFY(window_->windowTitle().endsWith(QStringLiteral(" - three.tro")));

    for (QPoint p : {QPoint(10, 10), QPoint(50, 10)}) {
      QTest::mouseMove(window_->Image1(), p);
      QTest::mouseClick(window_->Image1(), Qt::LeftButton, {}, p);
    }
    QVERIFY(window_->Shell().State().Finished);
    QCOMPARE(states(), (States{1, 2, 1, 1, 1}));
  }

  // The four small windows: captions and texts, a fixed size that holds every
  // control whole, side by side without overlap and with its text unclipped,
  // the clue drawn at 129 x 129, and the default buttons.
  void smallWindowsHoldTheirControls() {
    const struct {
      QDialog* dialog;
      const char* caption;
      QStringList texts;  // of the buttons, labels, group boxes and edits, in order
      bool shown;
    } windows[] = {
        {options_.get(), "Options", {"Mode", "Normal", "Crazy", "Insane", "Ok"}, true},
        {clue_.get(), "Clue", {"OK"}, true},
        {about_.get(), "About Tintaro!", {"Tintaro! 1.0", about_->Label2->text(), "OK", "WWW", "Help"}, true},
        {hintLimit_.get(), "Hint Limit", {"Specify Number of Hints", "0", "OK", "Cancel"}, false},
    };
    // The Hint Limit dialog makes its number field when it is first shown or
    // the field is asked for, and puts it in its place among the controls.
    QVERIFY(hintLimit_->findChildren<QLineEdit*>().isEmpty());
    hintLimit_->Edit1();
    for (const auto& w : windows) {
      const QString where = QString::fromLatin1(w.caption);
      // As the player sees them: some texts and pictures come at the first
      // showing.
      if (w.shown) w.dialog->show();
      QCOMPARE(w.dialog->windowTitle(), where);
      QCOMPARE(w.dialog->minimumSize(), w.dialog->maximumSize());
      QStringList texts;
      const QList<QWidget*> controls = w.dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
      for (QWidget* c : controls) {
        const QString name = where + ": " + c->metaObject()->className();
        QVERIFY2(w.dialog->rect().contains(c->geometry()), qPrintable(name));
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(c)) text = b->text();
        if (auto* g = qobject_cast<QGroupBox*>(c)) text = g->title();
        if (auto* e = qobject_cast<QLineEdit*>(c)) text = e->text();
        auto* label = qobject_cast<QLabel*>(c);
        if (label) text = label->text();
        if (!text.isEmpty()) texts << text;
        if (!w.shown) {
          // Never shown by any command: its texts need not fit.
        } else if (label && label->wordWrap()) {
          QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name + " " + text));
        } else if (!text.isEmpty()) {
          QVERIFY2(c->fontMetrics().horizontalAdvance(text) < c->width(), qPrintable(name + " " + text));
          QVERIFY2(c->fontMetrics().height() <= c->height(), qPrintable(name + " " + text));
        }
        // Frames and the group box surround other controls; the rest stand
        // apart.
        if (c->metaObject() == &QFrame::staticMetaObject || qobject_cast<QGroupBox*>(c)) continue;
        for (QWidget* other : controls) {
          if (other == c || other->metaObject() == &QFrame::staticMetaObject || qobject_cast<QGroupBox*>(other)) {
            continue;
          }
          QVERIFY2(!c->geometry().intersects(other->geometry()), qPrintable(name + " " + text));
        }
      }
      QCOMPARE(texts, w.texts);
      if (w.shown) w.dialog->hide();
    }
    // The options sit inside their frame.
    for (QRadioButton* r : {options_->RadioButton1, options_->RadioButton2, options_->RadioButton3}) {
      QVERIFY(options_->RadioGroup1->geometry().contains(r->geometry()));
    }
    QCOMPARE(clue_->ProgramIcon->size(), QSize(129, 129));
    QVERIFY(clue_->Panel1->rect().contains(clue_->ProgramIcon->geometry()));
    QVERIFY(!about_->Label2->text().isEmpty());
    // The product picture, drawn at the box's first showing.
    QCOMPARE(about_->ProgramIcon->Image().size(), QSize(129, 113) * about_->devicePixelRatioF());
    QVERIFY(about_->Label1->font().pixelSize() > about_->font().pixelSize());
    QVERIFY(about_->Label1->font().bold() && options_->font().bold());
    QVERIFY(options_->OKBtn->isDefault() && about_->OKButton->isDefault() && clue_->OKButton->isDefault());
    // Every small window is a fixed dialog without minimise or maximise.
    for (QDialog* dialog : std::initializer_list<QDialog*>{clue_.get(), about_.get(), options_.get(), hintLimit_.get()}) {
      QVERIFY(dialog->windowFlags() & Qt::Dialog);
      QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }
  }

  // The radio buttons are the mode: checking Crazy and closing by the close
  // box keeps Crazy, and SelectMode checks exactly one.
  void optionsCloseBoxKeepsTheCheckedMode() {
    QTimer::singleShot(0, this, [this] {
      options_->RadioButton2->click();
      options_->close();
    });
    QVERIFY(!window_->ShowOptionsDialog());
    QCOMPARE(window_->SelectedMode(), PlayMode::Crazy);
    window_->SelectMode(PlayMode::Insane);
    QVERIFY(options_->RadioButton3->isChecked() && !options_->RadioButton2->isChecked());
  }

  // A click paints the region under the pointer red on screen; a right
  // press on it returns it to white; a double-click's second press is no
  // click.
  void clickPaintsAndRightPressRestores() {
    Load(WritePuzzle());
    PictureView* image = window_->Image1();
    QCOMPARE(image->size(), QSize(kWidth, kHeight));
    const QPoint middle(33, 12);
    QTest::mouseMove(image, middle);
    QTest::mouseClick(image, Qt::LeftButton, {}, middle);
    QTRY_COMPARE(ShownColour(25, 5), QColor(Qt::red));
    QCOMPARE(ShownColour(10, 10), QColor(Qt::white));
    QCOMPARE(ShownColour(23, 5), QColor(Qt::black));

    QTest::mousePress(image, Qt::RightButton, {}, middle);
    QTest::mouseRelease(image, Qt::RightButton, {}, middle);
    QTRY_COMPARE(ShownColour(25, 5), QColor(Qt::white));

    // A click, then the second press arrives as a double-click.
    const int moves = window_->Shell().State().LastMove;
    QTest::mouseClick(image, Qt::LeftButton, {}, middle);
    QTest::mouseDClick(image, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(image, Qt::LeftButton, {}, middle);
    QCOMPARE(window_->Shell().State().LastMove, moves + 1);

    // A press released outside the picture is no click.
    QTest::mousePress(image, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(window_->Shell().State().LastMove, moves + 1);
  }

  // A real message box keeps Timer2 ticking; it is closed by the fourth tick.
  void realMessageBoxKeepsTimer2Ticking() {
    window_->runBox = nullptr;
    int ticks = 0;
    QTimer& timer2 = window_->Timer(GameTimer::Timer2);
    connect(&timer2, &QTimer::timeout, this, [&] {
      if (++ticks == 4) QApplication::activeModalWidget()->close();
    });
    QTimer::singleShot(10000, this, [] {  // a safety net: the test fails on ticks
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    window_->SetTimerInterval(GameTimer::Timer2, 10);
    window_->SetTimerEnabled(GameTimer::Timer2, true);
    window_->ShowMessage("   Tick\r\n   tock   ");
    QCOMPARE(ticks, 4);
    window_->SetTimerEnabled(GameTimer::Timer2, false);
  }

  // Setting what a timer already has does not restart its countdown; a new
  // interval does; an interval of 0 never ticks.
  void timersChangeOnlyOnRealChanges() {
    for (GameTimer t : {GameTimer::Timer1, GameTimer::Timer2}) {
      QTimer& timer = window_->Timer(t);
      window_->SetTimerInterval(t, 5000);
      window_->SetTimerEnabled(t, true);
      QTest::qWait(30);
      const int remaining = timer.remainingTime();
      QVERIFY(remaining >= 0 && remaining < 5000);
      window_->SetTimerEnabled(t, true);
      window_->SetTimerInterval(t, 5000);
      QVERIFY(timer.remainingTime() <= remaining);  // a restart would be back at 5000
      window_->SetTimerInterval(t, 6000);
      QVERIFY(timer.remainingTime() > 5000);
      window_->SetTimerInterval(t, 0);
      QVERIFY(window_->TimerEnabled(t));
      QVERIFY(!timer.isActive());
      window_->SetTimerEnabled(t, false);
      window_->SetTimerInterval(t, 100);
      QVERIFY(!timer.isActive());
    }
  }

  // Message boxes and questions as the player sees them.
  void boxesHaveTheirCaptionsIconsAndButtons() {
    window_->ShowMessage("  One\r\nTwo  ");
    QVERIFY(window_->AskYesNo("Sure?"));
    window_->ShowErrorBox("Broken.");
    QCOMPARE(boxes_.size(), size_t(3));
    QCOMPARE(boxes_[0].title, QStringLiteral("Tintaro"));
    QCOMPARE(boxes_[0].text, QStringLiteral("  One\nTwo  "));
    QCOMPARE(boxes_[0].icon, QMessageBox::NoIcon);
    QCOMPARE(boxes_[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(boxes_[1].title, QStringLiteral("Confirm"));
    QCOMPARE(boxes_[1].icon, QMessageBox::Question);
    QCOMPARE(boxes_[1].defaultButton, QMessageBox::Yes);
    QCOMPARE(boxes_[1].escapeButton, QMessageBox::No);
    QCOMPARE(boxes_[2].icon, QMessageBox::Critical);
    QCOMPARE(boxes_[2].title, QStringLiteral("Tintaro"));
  }

  // Returning from the About box or the Clue window activates the main
  // window; closing a modal box does not.
  void activationComesOnlyFromTheToolWindows() {
    QCOMPARE(window_->Activations(), 1);
    window_->runBox = nullptr;
    QTimer::singleShot(0, this, [] { QApplication::activeModalWidget()->close(); });
    window_->ShowMessage("modal");
    Activate(window_.get());
    QCOMPARE(window_->Activations(), 1);

    Activate(about_.get());
    Activate(window_.get());
    QCOMPARE(window_->Activations(), 2);

    window_->ShowClueWindow();
    Activate(clue_.get());
    Activate(window_.get());
    QCOMPARE(window_->Activations(), 3);
  }

  // Loads through a shown and painted open dialog do not make the program
  // grow: a dialog made for each Load cached its icons in Qt's pixmap cache
  // again under new keys, about 17 kB a Load. What is left is Qt's own, under
  // 2 kB a Load.
  void loadsDoNotGrowTheHeap() {
    const QString puzzle = WritePuzzle();
    window_->runOpenDialog = [&](QFileDialog& d) -> std::optional<QString> {
      d.show();
      // Painted with the folder's entries listed, as the player sees it.
      auto* model = d.findChild<QFileSystemModel*>();
      if (!model || !QTest::qWaitFor([&] { return model->rowCount(model->index(d.directory().absolutePath())) > 0; })) {
        return std::nullopt;
      }
      d.grab();
      d.hide();
      return puzzle;
    };
    auto loads = [&](int count) {
      for (int i = 0; i < count; ++i) {
        window_->Button(TTintaro::LoadTool)->click();
        if (window_->Shell().State().Finished) return false;
      }
      return true;
    };
    QVERIFY(loads(3));
    const long before = HeapInUse();
    constexpr int kLoads = 20;
    QVERIFY(loads(kLoads));
    const long growth = HeapInUse() - before;
    QVERIFY2(growth < kLoads * 5'000, qPrintable(QStringLiteral("%1 bytes more after %2 Loads").arg(growth).arg(kLoads)));
  }

  // A failure no handler catches reaches the error box; the program goes on.
  void uncaughtFailureReachesTheErrorBox() {
    window_->Invoke([] { throw EInOutError("Disk gone"); });
    QCOMPARE(boxes_.size(), size_t(1));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes_[0].text, QStringLiteral("Disk gone."));
    Load(WritePuzzle());
    QVERIFY(window_->Shell().Surface().IsShown());
    QVERIFY(window_->Image1()->isVisible());
  }
};

QTEST_MAIN(TintaroQtTest)
#include "TintaroQtTest.moc"
