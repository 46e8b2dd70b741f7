// The help window: the program's HTML help, shipped in its folder, shown in
// a text browser at a topic anchor.
#pragma once

#include <QTextBrowser>
#include <QUrl>

namespace tintaro::qt {

class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  HelpWindow();
  // Opens `helpDir`/index.html at the anchor `topic`; a missing file is
  // reported inside the window, as a help viewer would. The first time it
  // opens beside `mainWindow` when the screen has room there.
  void ShowTopic(const QString& helpDir, const QString& topic, const QWidget* mainWindow);
  // Shows one page of the help folder, as ShowTopic does.
  void ShowPage(const QString& file, const QWidget* mainWindow);

 private:
  void ShowBeside(const QWidget* mainWindow);

  bool placed_ = false;
};

}  // namespace tintaro::qt
