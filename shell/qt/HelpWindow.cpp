// The help window; links between help pages stay inside it, web links open
// in the desktop's browser.
#include "shell/qt/HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QUrl>

#include "shell/qt/Dialogs.h"
#include "shell/qt/Icons.h"
#include "shell/qt/WindowPlacement.h"

namespace tintaro::qt {

HelpWindow::HelpWindow() {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Tintaro Help"));
  setWindowIcon(ProgramIcon());
  setOpenExternalLinks(true);
  resize(640, 560);
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, &QWidget::close);
  }
}

void HelpWindow::ShowTopic(const QString& helpDir, const QString& topic, const QWidget* mainWindow) {
  const QString index = helpDir + QStringLiteral("/index.html");
  ShowPage(index, mainWindow);
  if (QFileInfo(index).isFile()) {
    // setSource does not scroll when the page is already shown.
    scrollToAnchor(topic);
  }
}

void HelpWindow::ShowPage(const QString& file, const QWidget* mainWindow) {
  if (QFileInfo(file).isFile()) {
    setSource(QUrl::fromLocalFile(file));
  } else {
    setPlainText(QStringLiteral("The help file cannot be found:\n%1").arg(file));
  }
  ShowBeside(mainWindow);
}

void HelpWindow::ShowBeside(const QWidget* mainWindow) {
  if (!placed_ && mainWindow) {
    const QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QSize frame = frameGeometry().size();
    if (const auto corner = screen ? BesidePosition(mainWindow->frameGeometry(), frame, screen->availableGeometry())
                                   : std::nullopt) {
      placed_ = true;
      move(*corner);
    }
  }
  // Without room beside the game it opens centred.
  ShowInFront(this, placed_);
}

}  // namespace tintaro::qt
