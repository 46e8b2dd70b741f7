// The program's manners on the desktop: no settings written, the ending
// signals run the normal close, the About box greets however it is closed,
// and the main window's placement on any screen.
#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QCompleter>
#include <QFileInfo>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QToolButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "shell/qt/Dialogs.h"
#include "shell/qt/PictureView.h"
#include "shell/qt/ApplicationSetup.h"
#include "shell/qt/TTintaro.h"
#include "shell/qt/TerminationSignals.h"
#include "shell/qt/WindowPlacement.h"
#include "support/BmpBuilder.h"
#include "support/SolutionBuilder.h"
#include "support/ZipWriter.h"

using namespace tintaro;
using namespace tintaro::qt;

class DesktopTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir config_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TTintaro> window_;
  std::unique_ptr<TAboutBox> clue_;
  std::unique_ptr<TOkCanclDlg> hintLimit_;
  std::unique_ptr<TOptions> options_;
  std::unique_ptr<TAboutBoxTRO> about_;

  QString Path(const QString& name) const { return dir_->filePath(name); }

  QString WritePuzzle() {
    const std::vector<uint8_t> bmp = test::BuildBmp(20, 20, std::vector<uint32_t>(400, kWhite));
    const std::vector<uint8_t> trs = test::SolutionBuilder().Header(0, -1).Target(10, 10).Bytes();
    const QString path = Path(QStringLiteral("p.tro"));
    test::ZipWriter()
        .Add("p.bmp", std::string(bmp.begin(), bmp.end()))
        .Add("p.trs", std::string(trs.begin(), trs.end()))
        .Add("notes.txt", "n")
        .WriteTo(path.toStdString());
    return path;
  }

 private slots:
  void initTestCase() {
    // Before any settings object exists: Qt reads the folder once.
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    SetUpApplication();
  }

  // The window's class (the application name) is the desktop entry's
  // StartupWMClass, and the desktop file name is the entry's own name.
  void theProgramNamesItsDesktopEntry() {
    QFile entry(QStringLiteral(DESKTOP_ENTRY));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    QVERIFY(text.contains(QStringLiteral("\nStartupWMClass=") + QCoreApplication::applicationName() + "\n"));
    QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"), QFileInfo(entry).fileName());
  }

  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::link(QStringLiteral(ENGINE_PATH), Path(QStringLiteral("libunzeng.so"))));
    window_ = std::make_unique<TTintaro>(Path(QStringLiteral("tintaro")).toStdString(), std::vector<std::string>{});
    clue_ = std::make_unique<TAboutBox>(window_.get());
    hintLimit_ = std::make_unique<TOkCanclDlg>(window_.get());
    options_ = std::make_unique<TOptions>(window_.get());
    about_ = std::make_unique<TAboutBoxTRO>(window_.get());
    window_->AttachWindows(clue_.get(), hintLimit_.get(), options_.get(), about_.get());
    window_->runBox = [](QMessageBox&) { return QMessageBox::Ok; };
  }

  void cleanup() {
    about_.reset();
    options_.reset();
    hintLimit_.reset();
    clue_.reset();
    window_.reset();
    dir_.reset();
  }

  void theOpenDialogLeavesNoSettingsBehind() {
    const QString puzzle = WritePuzzle();
    // The real dialog, shown and accepted, as the player would.
    window_->runOpenDialog = [&](QFileDialog& dialog) -> std::optional<QString> {
      dialog.show();
      dialog.selectFile(puzzle);
      static_cast<QDialog&>(dialog).accept();
      return puzzle;
    };
    window_->Button(TTintaro::LoadTool)->click();
    QVERIFY(window_->Shell().State().PicturePath.ends_with("/p.bmp"));
    // Qt's dialog saves its settings when it is destroyed, with the window.
    cleanup();
    QCOMPARE(QDir(config_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
  }

  void aNameTypedInTheOpenDialogLeavesNoCompletionListOverTheGame() {
    const QString puzzle = WritePuzzle();
    QWidget* list = nullptr;
    // The player types the start of the name, the completion list opens,
    // and Enter takes the name as typed.
    window_->runOpenDialog = [&](QFileDialog& dialog) -> std::optional<QString> {
      dialog.setDirectory(QFileInfo(puzzle).absolutePath());
      dialog.show();
      QLineEdit* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QCompleter* completer = name ? name->completer() : nullptr;
      if (!completer) return std::nullopt;
      list = completer->popup();
      for (int tries = 0; tries < 50 && !list->isVisible(); ++tries) {
        name->clear();
        QTest::keyClicks(name, QFileInfo(puzzle).fileName().left(1));
        QTest::qWait(100);
      }
      if (!list->isVisible()) return std::nullopt;
      static_cast<QDialog&>(dialog).accept();
      return puzzle;
    };
    window_->Button(TTintaro::LoadTool)->click();
    QVERIFY2(list, "the dialog has no completion list");
    QVERIFY(window_->Shell().State().PicturePath.ends_with("/p.bmp"));
    QVERIFY2(!list->isVisible(), "the completion list stays open over the game");
  }

  void theAboutBoxGreetsHoweverItIsClosed() {
    int oks = 0;
    about_->onOk = [&] {
      ++oks;
      about_->hide();
    };
    about_->ShowCentred();
    QTest::keyClick(about_.get(), Qt::Key_Escape);
    QCOMPARE(oks, 1);
    QVERIFY(!about_->isVisible());
    about_->ShowCentred();
    QVERIFY(about_->close());
    QCOMPARE(oks, 2);
    QVERIFY(!about_->isVisible());
  }

  void theMainWindowKeepsItsOuterSizeOnTheScreen() {
    // The help opens beside the game when there is room, else against the
    // edge of the wider side.
    const QRect screen(0, 0, 1280, 1024);
    struct Beside {
      QRect main;
      QSize size;
      QPoint corner;
    } besides[] = {
        {{309, 226, 661, 571}, {300, 400}, QPoint(970, 226)},
        {{309, 226, 661, 571}, {310, 400}, QPoint(970, 226)},
        {{309, 226, 661, 571}, {311, 400}, QPoint(969, 226)},
        {{309, 226, 661, 571}, {900, 400}, QPoint(380, 226)},
        {{400, 226, 661, 571}, {500, 400}, QPoint(0, 226)},
        {{600, 226, 661, 571}, {300, 400}, QPoint(300, 226)},
        {{309, 700, 661, 571}, {300, 400}, QPoint(970, 624)},
    };
    for (const Beside& b : besides) QCOMPARE(BesidePosition(b.main, b.size, screen), b.corner);
    // A game window nearly as wide as the screen, and a help window not yet
    // framed: its outer size takes the main window's decoration, so its
    // frame stays on the screen.
    const QRect wide(31, 37, 1218, 950);
    const QSize decoration(2, 25);
    for (const QSize& frame : {QSize(560, 600), QSize(562, 625)}) {
      const QSize outer = OuterSize(QSize(560, 600), frame, decoration);
      QCOMPARE(outer, QSize(562, 625));
      QCOMPARE(QRect(BesidePosition(wide, outer, screen), outer).right(), screen.right());
    }
    struct Case {
      const char* name;
      QMargins frame;
      QRect available;
      QRect client;
    } cases[] = {
        {"no frame", {}, {0, 0, 1280, 1024}, {309, 226, 661, 571}},
        {"openbox", {1, 20, 1, 5}, {0, 0, 1280, 1024}, {310, 246, 659, 546}},
        {"no side borders", {0, 30, 0, 0}, {0, 0, 1280, 1024}, {309, 256, 661, 541}},
        {"panel on top", {1, 20, 1, 5}, {0, 40, 1280, 984}, {310, 266, 659, 546}},
        // QT_SCALE_FACTOR=2 on 1280 x 1024: the title bar stays on the screen.
        {"small screen", {1, 20, 1, 5}, {0, 0, 640, 512}, {1, 20, 638, 487}},
    };
    for (const Case& c : cases) {
      QCOMPARE(FittedClientGeometry(QSize(661, 571), c.frame, c.available), c.client);
    }
  }
  void theClueWindowLeavesThePictureAsPainted() {
    // A box as large as the window's middle, so the clue covers only part of it.
    constexpr int kW = 300, kH = 200;
    std::vector<uint32_t> pixels(kW * kH, kWhite);
    for (int x = 2; x < kW - 2; ++x) pixels[2 * kW + x] = pixels[(kH - 3) * kW + x] = kBlack;
    for (int y = 2; y < kH - 2; ++y) pixels[y * kW + 2] = pixels[y * kW + kW - 3] = kBlack;
    const std::vector<uint8_t> bmp = test::BuildBmp(kW, kH, pixels);
    const std::vector<uint8_t> trs = test::SolutionBuilder().Header(0, -1).Target(10, 10).Bytes();
    const std::vector<uint8_t> clue = test::BuildBmp(4, 4, std::vector<uint32_t>(16, 0x00FF00));
    const QString path = Path(QStringLiteral("box.tro"));
    test::ZipWriter().Add("box.bmp", std::string(bmp.begin(), bmp.end())).Add("box.trs", std::string(trs.begin(), trs.end()))
        .Add("spibox.bmp", std::string(clue.begin(), clue.end())).WriteTo(path.toStdString());
    window_->show();
    QTRY_VERIFY(about_->isVisible());
    about_->hide();
    window_->runOpenDialog = [&](QFileDialog&) -> std::optional<QString> { return path; };
    window_->Button(TTintaro::LoadTool)->click();
    auto shown = [&](int x, int y) {
      const QPoint p = window_->Image1()->mapTo(window_.get(), QPoint(x, y));
      return window_->screen()->grabWindow(window_->winId(), p.x(), p.y(), 1, 1).toImage().pixelColor(0, 0);
    };
    QTest::mouseMove(window_->Image1(), QPoint(5, 5));
    QTest::mouseClick(window_->Image1(), Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(shown(5, 5), QColor(Qt::red));
    window_->Button(TTintaro::ClueTool)->click();
    QTRY_VERIFY(clue_->isVisible());
    QTest::qWait(300);
    QCOMPARE(shown(5, 5), QColor(Qt::red));
    QCOMPARE(window_->Shell().Surface().PixelAt(5, 5), 0x0000FFu);
  }

  void theToolbarStaysWholeAndTheHelpClosesByKey() {
    window_->show();
    // The first showing greets from the About box, which would keep the focus.
    QTRY_VERIFY(about_->isVisible());
    about_->hide();
    // Every button keeps its designed size, however narrow the window.
    window_->resize(50, 50);
    for (int tool = 0; tool < TTintaro::ToolCount; ++tool)
      QCOMPARE(window_->Button(static_cast<TTintaro::Tool>(tool))->size(), QSize(49, 45));
    const QToolButton* last = window_->Button(TTintaro::AboutTool);
    QVERIFY(last->mapTo(window_.get(), QPoint(last->width(), last->height())).x() <= window_->width());
    QVERIFY(last->isVisibleTo(window_.get()));

    window_->helpDir = dir_->path();
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
      window_->Button(TTintaro::HelpTool)->click();
      QWidget* help = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("HelpWindow")) help = w;
      QVERIFY(help && help->isVisible());
      help->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(help));
      QTest::keySequence(help, keys);
      QVERIFY2(!help->isVisible(), qPrintable(keys.toString()));
    }
  }

  // Last: the close ends the application's event loops for good.
  void anEndingSignalCancelsTheOpenBoxThenClosesAndDeletesTheFiles() {
    // One at a time, but one after another: a destroyed one makes way.
    {
      TerminationSignals first;
      QVERIFY(first.Installed());
    }
    TerminationSignals endings;
    QVERIFY(endings.Installed());
    QSignalSpy received(&endings, &TerminationSignals::Received);
    for (int signalNumber : {SIGHUP, SIGINT}) {
      ::raise(signalNumber);
      QTRY_COMPARE(received.size(), 1);
      QCOMPARE(received.takeFirst().at(0).toInt(), signalNumber);
    }

    connect(&endings, &TerminationSignals::Received, window_.get(), &TTintaro::RequestTermination);
    const QString puzzle = WritePuzzle();
    window_->runOpenDialog = [&](QFileDialog&) -> std::optional<QString> { return puzzle; };
    window_->Button(TTintaro::LoadTool)->click();
    const QDir work(QString::fromStdString(window_->Shell().State().WorkDir));
    QCOMPARE(work.entryList(QDir::Files), QStringList{QStringLiteral("p.bmp")});
    window_->show();
    bool boxReturned = false;
    window_->runBox = [&](QMessageBox& box) {
      ::raise(SIGTERM);
      const int answer = box.exec();
      boxReturned = true;
      return answer;
    };
    // A handler with a box open when the signal comes: the greeting.
    window_->Shell().State().WelcomeMode = true;
    QTimer::singleShot(0, window_.get(), [&] { window_->Invoke([&] { window_->Shell().AboutOkButtonClick(); }); });
    QTRY_VERIFY(boxReturned);
    QTRY_VERIFY(!window_->isVisible());
    QCOMPARE(work.entryList(QDir::Files), QStringList());
  }
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
