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
  // Narrow enough to fit beside the game on a common wide screen.
  resize(560, 600);
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
  const QScreen* screen = mainWindow && mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
  if (!placed_ && mainWindow && screen) {
    placed_ = true;
    const QSize decoration = mainWindow->frameGeometry().size() - mainWindow->size();
    move(BesidePosition(mainWindow->frameGeometry(), OuterSize(size(), frameGeometry().size(), decoration),
                        screen->availableGeometry()));
  }
  ShowInFront(this, placed_);
}

}  // namespace tintaro::qt
