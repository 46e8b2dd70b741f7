// The help window; links between help pages stay inside it, web links open
// in the desktop's browser.
#include "shell/qt/HelpWindow.h"

#include <QFileInfo>
#include <QUrl>

#include "shell/qt/Dialogs.h"
#include "shell/qt/Icons.h"

namespace tintaro::qt {

HelpWindow::HelpWindow() {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Tintaro Help"));
  setWindowIcon(ProgramIcon());
  setOpenExternalLinks(true);
  resize(640, 560);
}

void HelpWindow::ShowTopic(const QString& helpDir, const QString& topic) {
  const QString index = helpDir + QStringLiteral("/index.html");
  if (QFileInfo(index).isFile()) {
    QUrl url = QUrl::fromLocalFile(index);
    url.setFragment(topic);
    setSource(url);
    // setSource does not scroll when the page is already shown.
    scrollToAnchor(topic);
  } else {
    setPlainText(QStringLiteral("The help file cannot be found:\n%1").arg(index));
  }
  ShowInFront(this, placed_);
}

}  // namespace tintaro::qt
