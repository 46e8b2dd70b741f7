// The help window: the program's HTML help, shipped in its folder, shown in
// a text browser at a topic anchor.
#pragma once

#include <QTextBrowser>

namespace tintaro::qt {

class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  HelpWindow();
  // Opens `helpDir`/index.html at the anchor `topic`; a missing file is
  // reported inside the window, as a help viewer would.
  void ShowTopic(const QString& helpDir, const QString& topic);

 private:
  bool placed_ = false;
};

}  // namespace tintaro::qt
