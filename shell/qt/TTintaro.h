// The main window: toolbar, scroll box and Image1, the two timers, and the
// Qt side of everything the shell and the game core ask of the windows. Every
// call from Qt into a handler passes the event-loop edge (RunTopLevel).
#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/ShellUi.h"
#include "shell/TintaroShell.h"

class QFileDialog;
class QMessageBox;
class QMimeData;
class QScrollArea;
class QWindow;

namespace tintaro::qt {

class HelpWindow;
class ProcessRunner;
class PictureView;
class TAboutBox;
class TAboutBoxTRO;
class TOkCanclDlg;
class TOptions;

// A toolbar button that can be drawn greyed ("indeterminate") while it is
// still enabled, as a command that does not apply now.
class ToolButton : public QToolButton {
  Q_OBJECT

 public:
  ToolButton(int imageIndex, QWidget* parent);
  int ImageIndex() const { return imageIndex_; }
  void SetIndeterminate(bool value);
  bool Indeterminate() const { return indeterminate_; }

 private:
  int imageIndex_;
  bool indeterminate_ = false;
  QIcon plain_;
  QIcon greyed_;
};

class TTintaro : public QMainWindow, public ShellUi {
  Q_OBJECT

 public:
  // Toolbar positions, left to right.
  enum Tool { LoadTool, RepaintTool, ClueTool, HintTool, GiveupTool, OptionsTool, HelpTool, AboutTool, ToolCount };

  // Creates the window and runs FormCreate: `executablePath` fixes the
  // program folder, `arguments` are the program's arguments without its name.
  TTintaro(const std::string& executablePath, const std::vector<std::string>& arguments);
  ~TTintaro() override;

  // The four other windows, created after this one.
  void AttachWindows(TAboutBox* clue, TOkCanclDlg* hintLimit, TOptions* options, TAboutBoxTRO* about);

  // Runs one handler at the event-loop edge, then shows what it changed.
  void Invoke(const std::function<void()>& handler);

  TintaroShell& Shell() { return shell_; }
  ToolButton* Button(Tool tool) const { return tools_[tool]; }
  PictureView* Image1() const { return image1_; }
  QScrollArea* ScrollBox1() const { return scrollBox_; }
  QWidget* ToolBar1() const { return toolBar_; }
  QTimer& Timer(GameTimer timer) { return timer == GameTimer::Timer1 ? timer1_.timer : timer2_.timer; }
  // How often FormActivate has run.
  int Activations() const { return activations_; }
  // Ends the program through the normal close as soon as no handler and no
  // extraction is running; open boxes and dialogs are cancelled first.
  void RequestTermination();

  // Seams for tests: how a message box or the open dialog is run. By default
  // they are executed modally; a test may answer them instead.
  std::function<int(QMessageBox&)> runBox;
  std::function<std::optional<QString>(QFileDialog&)> runOpenDialog;
  std::function<std::optional<QString>(QFileDialog&)> runSaveDialog;
  std::function<int(QDialog&)> runDifficultyDialog;
  ProcessRunner& Runner() { return *runner_; }
  // Folder of the HTML help; the program's "help" folder by default.
  QString helpDir;

  // GameUi
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override;
  void SetButtonEnabled(CommandButton button, bool enabled) override;
  bool ButtonEnabled(CommandButton button) const override;
  void SetButtonIndeterminate(CommandButton button, bool indeterminate) override;
  bool ButtonIndeterminate(CommandButton button) const override;
  void SetRepaintDown(bool down) override;
  bool RepaintDown() const override;
  PlayMode SelectedMode() const override;
  void SelectMode(PlayMode mode) override;
  bool ShowOptionsDialog() override;
  void ShowClueWindow() override;
  void HideClueWindow() override;
  void ShowAboutBox() override;
  void HideAboutBox() override;
  void SetTimerEnabled(GameTimer timer, bool enabled) override;
  bool TimerEnabled(GameTimer timer) const override;
  void SetTimerInterval(GameTimer timer, int milliseconds) override;
  int TimerInterval(GameTimer timer) const override;
  int WindowWidth() const override;
  int WindowHeight() const override;
  void DeleteExtractedFiles() override;
  void ProcessPendingEvents() override;
  uint32_t MillisecondsSinceMidnightUtc() const override;

  // ShellUi
  std::optional<std::string> ShowOpenDialog(const std::string& title, const std::string& filter,
                                            const std::string& firstFolder) override;
  std::optional<std::string> ShowSaveDialog(const std::string& title, const std::string& filter,
                                            const std::string& firstFolder,
                                            const std::string& suggestedName) override;
  std::optional<std::string> AskDifficulty(const std::string& name) override;
  void SetCaption(const std::string& caption) override;
  int ScrollBoxWidth() const override;
  int ScrollBoxHeight() const override;
  void SetScrollPositions(int horizontal, int vertical) override;
  void SetImagePosition(int left, int top) override;
  void LoadCluePicture(const std::string& path) override;
  void ClearCluePicture() override;
  void OpenHelp(const std::string& helpFile, const std::string& topic) override;
  void OpenWebPage() override;
  void CloseMainWindow() override;
  void ShowErrorBox(const std::string& text) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // A QTimer restarts on every start() and on every setInterval(); the game's
  // timers must not, so the state is kept here and Qt is told only of changes.
  // An interval of 0 never ticks.
  struct GameTimerSlot {
    QTimer timer;
    bool enabled = false;
    int interval = 0;
    void Apply();
  };

  void BuildToolBar();
  void BuildShortcuts();
  ToolButton* CommandTool(CommandButton button) const;
  int RunBox(QMessageBox& box);
  // Image1's size and visibility, and the scrolled area around it.
  void SyncView();
  void UpdateScrollExtent();
  void OnFocusWindowChanged(QWindow* now);
  bool IsToolWindow(const QWindow* window) const;
  // The design's outer size on the available screen area: at the first
  // showing, and again whenever the window system reports another frame.
  void FitOuterSize();
  void RefitIfFrameChanged();
  QMargins FrameMargins() const;
  void RunFormActivate();
  // The local files a drag carries, when the window would open them now.
  QStringList DroppableFiles(const QMimeData* data) const;

  TintaroShell shell_;
  QWidget* toolBar_ = nullptr;
  std::array<ToolButton*, ToolCount> tools_{};
  QScrollArea* scrollBox_ = nullptr;
  QWidget* canvas_ = nullptr;  // the scrolled area, sized to Image1's extent
  PictureView* image1_ = nullptr;
  GameTimerSlot timer1_;
  GameTimerSlot timer2_;
  QPointer<TAboutBox> clue_;
  QPointer<TOkCanclDlg> hintLimit_;
  QPointer<TOptions> options_;
  QPointer<TAboutBoxTRO> about_;
  std::unique_ptr<HelpWindow> help_;
  std::unique_ptr<ProcessRunner> runner_;
  QPointer<QFileDialog> openDialog_;
  QString lastOpenFolder_;
  QWindow* focusWindow_ = nullptr;
  // The Clue window or the About box lost the focus by being hidden.
  bool toolWindowLeft_ = false;
  int activations_ = 0;
  // Handlers running now, nested ones included.
  int handlerDepth_ = 0;
  std::optional<QMargins> fittedFrame_;
  bool shownOnce_ = false;
  bool closed_ = false;
};

}  // namespace tintaro::qt
