// The main window and the Qt implementation of the shell's and the core's
// window interface.
#include "shell/qt/TTintaro.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QCloseEvent>
#include <QCompleter>
#include <QDateTime>
#include <QDir>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "core/rules/Disturbance.h"
#include "core/rules/Hints.h"
#include "core/rules/Moves.h"
#include "core/rules/SolutionCheck.h"
#include "shell/TopLevel.h"
#include "shell/qt/Dialogs.h"
#include "shell/qt/HelpWindow.h"
#include "shell/qt/Icons.h"
#include "shell/qt/MakingDialogs.h"
#include "shell/qt/PictureView.h"
#include "shell/qt/WindowPlacement.h"

namespace tintaro::qt {
namespace {

constexpr int kOuterWidth = 661;
constexpr int kOuterHeight = 571;
constexpr int kToolBarHeight = 49;
constexpr int kToolButtonWidth = 49;
constexpr int kToolButtonHeight = 45;
constexpr int kTimer1DesignInterval = 30;
constexpr int kTimer2DesignInterval = 10000;

struct ToolSpec {
  const char* name;
  const char* tip;
  int image;
};

// Left to right; `image` indexes the image list.
constexpr ToolSpec kTools[TTintaro::ToolCount] = {
    {"LoadButton", "Load Puzzle", 3}, {"RepaintButton", "Repaint", 2}, {"ClueButton", "Clue", 0},
    {"HintButton", "Hint", 4},        {"GiveupButton", "Give Up", 1},  {"OptionsButton", "Options", 6},
    {"HelpButton", "Help", 5},        {"AboutButton", "About", 7},
};

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

// The window sizes the scroll box; its own hint would measure the font, the
// first text metrics asked for, and load the font database before the first
// picture, which needs none. The designed size serves as the hint.
class ScrollBox : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  QSize sizeHint() const override { return {kOuterWidth - 8, kOuterHeight - 80}; }
};

// Message texts break lines with CR LF.
QString BoxText(const std::string& text) {
  QString out = FromStd(text);
  out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return out;
}

// "Name|*.ext|Name|*.*" pairs become Qt's "Name (*.ext)" filters; "*.*"
// means every file, dotted or not.
QStringList NameFilters(const std::string& filter) {
  const QStringList parts = FromStd(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return filters;
}

}  // namespace

// ---- ToolButton

ToolButton::ToolButton(int imageIndex, QWidget* parent)
    : QToolButton(parent), imageIndex_(imageIndex), plain_(ToolIcon(imageIndex, false)),
      greyed_(ToolIcon(imageIndex, true)) {
  setIcon(plain_);
  setIconSize(QSize(kToolImageSide, kToolImageSide));
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
}

void ToolButton::SetIndeterminate(bool value) {
  if (indeterminate_ == value) return;
  indeterminate_ = value;
  setIcon(value ? greyed_ : plain_);
}

// ---- Main window

void TTintaro::GameTimerSlot::Apply() {
  if (!enabled || interval <= 0) {
    timer.stop();
  } else if (!timer.isActive() || timer.interval() != interval) {
    timer.start(interval);
  }
}

TTintaro::TTintaro(const std::string& executablePath, const std::vector<std::string>& arguments) : shell_(*this) {
  setObjectName(QStringLiteral("Tintaro"));
  setWindowTitle(QStringLiteral("Tintaro! - Revolutionary Color Puzzle"));
  // The icon is the application's (set before any window): a window's own
  // copy would send the five pictures to the window manager a second time as
  // the window is made.
  helpDir = QCoreApplication::applicationDirPath() + QStringLiteral("/help");
  runner_ = std::make_unique<ProcessRunner>(this);
  shell_.SetToolRunner(runner_.get());

  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildToolBar();
  layout->addWidget(toolBar_);

  scrollBox_ = new ScrollBox(client);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
  scrollBox_->setWidgetResizable(false);
  scrollBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  canvas_ = new QWidget;
  canvas_->setBackgroundRole(QPalette::ToolTipBase);
  scrollBox_->viewport()->setBackgroundRole(QPalette::ToolTipBase);
  scrollBox_->viewport()->setAutoFillBackground(true);
  scrollBox_->setWidget(canvas_);
  layout->addWidget(scrollBox_, 1);
  setCentralWidget(client);

  image1_ = new PictureView(shell_.Surface(), canvas_);
  image1_->onMove = [this](int x, int y) { Invoke([&] { MouseMoveXY(shell_.GameContext(), x, y); }); };
  image1_->onPress = [this](MouseButton button, int x, int y) {
    Invoke([&] { Image1MouseDown(shell_.GameContext(), button, x, y); });
  };
  image1_->onClick = [this] { Invoke([&] { Image1MouseClick(shell_.GameContext()); }); };
  UpdateScrollExtent();

  for (GameTimerSlot* slot : {&timer1_, &timer2_}) slot->timer.setTimerType(Qt::PreciseTimer);
  timer1_.interval = kTimer1DesignInterval;
  timer2_.interval = kTimer2DesignInterval;
  connect(&timer1_.timer, &QTimer::timeout, this, [this] { Invoke([&] { Timer1Timer(shell_.GameContext()); }); });
  connect(&timer2_.timer, &QTimer::timeout, this, [this] { Invoke([&] { Timer2Timer(shell_.GameContext()); }); });

  BuildShortcuts();
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &TTintaro::OnFocusWindowChanged);

  // Files dropped anywhere on the window open as the Load command would.
  setAcceptDrops(true);

  resize(kOuterWidth, kOuterHeight);
  CentreOnScreen(this);
  Invoke([&] { shell_.FormCreate(executablePath, arguments); });
  // The next open dialog starts beside the puzzle the player named.
  if (!shell_.StartFile().empty()) lastOpenFolder_ = QFileInfo(FromStd(shell_.StartFile())).absolutePath();
}

TTintaro::~TTintaro() {
  timer1_.timer.stop();
  timer2_.timer.stop();
}

void TTintaro::BuildToolBar() {
  toolBar_ = new QWidget;
  toolBar_->setObjectName(QStringLiteral("ToolBar1"));
  toolBar_->setFixedHeight(kToolBarHeight);
  // The window never shrinks past its last button.
  toolBar_->setMinimumWidth(ToolCount * kToolButtonWidth);
  // One row that never wraps: the buttons keep their places at any width.
  for (int i = 0; i < ToolCount; ++i) {
    auto* button = new ToolButton(kTools[i].image, toolBar_);
    button->setObjectName(QString::fromLatin1(kTools[i].name));
    button->setToolTip(QString::fromLatin1(kTools[i].tip));
    button->setGeometry(i * kToolButtonWidth, (kToolBarHeight - kToolButtonHeight) / 2, kToolButtonWidth,
                        kToolButtonHeight);
    tools_[i] = button;
  }
  tools_[RepaintTool]->setCheckable(true);
  for (Tool t : {RepaintTool, ClueTool, HintTool, GiveupTool, OptionsTool}) {
    tools_[t]->setEnabled(false);
    tools_[t]->SetIndeterminate(true);
  }
  auto game = [this](void (*handler)(Game&)) {
    return [this, handler] { Invoke([&] { handler(shell_.GameContext()); }); };
  };
  connect(tools_[LoadTool], &QToolButton::clicked, this, [this] { Invoke([&] { shell_.LoadButtonClick(); }); });
  connect(tools_[RepaintTool], &QToolButton::clicked, this, game(&RepaintButtonClick));
  connect(tools_[ClueTool], &QToolButton::clicked, this, game(&ClueButtonClick));
  connect(tools_[HintTool], &QToolButton::clicked, this, game(&HintButtonClick));
  connect(tools_[GiveupTool], &QToolButton::clicked, this, game(&GiveupButtonClick));
  connect(tools_[OptionsTool], &QToolButton::clicked, this, game(&OptionsButtonClick));
  connect(tools_[HelpTool], &QToolButton::clicked, this, [this] { Invoke([&] { shell_.HelpButtonClick(); }); });
  connect(tools_[AboutTool], &QToolButton::clicked, this, [this] { Invoke([&] { shell_.AboutButtonClick(); }); });
}

void TTintaro::BuildShortcuts() {
  // The keys press the buttons, so they obey the buttons' states.
  auto press = [this](Tool tool) { return [this, tool] { tools_[tool]->click(); }; };
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated, this, press(LoadTool));
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, press(HelpTool));
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, &QWidget::close);
}

void TTintaro::AttachWindows(TAboutBox* clue, TOkCanclDlg* hintLimit, TOptions* options, TAboutBoxTRO* about) {
  clue_ = clue;
  hintLimit_ = hintLimit;
  options_ = options;
  about_ = about;
  if (about_) {
    about_->onOk = [this] { Invoke([&] { shell_.AboutOkButtonClick(); }); };
    about_->onWeb = [this] { Invoke([&] { shell_.AboutWebButtonClick(); }); };
    about_->onHelp = [this] { Invoke([&] { shell_.AboutHelpButtonClick(); }); };
  }
}

void TTintaro::Invoke(const std::function<void()>& handler) {
  ++handlerDepth_;
  RunTopLevel(*this, handler);
  --handlerDepth_;
  SyncView();
}

void TTintaro::RequestTermination() {
  if (closed_) return;
  if (QWidget* modal = QApplication::activeModalWidget()) {
    // The handler waiting for the box goes on as if it had been cancelled.
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    else modal->close();
  }
  // Closing inside a handler would unload the engine under a running
  // extraction, or delete files a handler is still reading.
  if (handlerDepth_ > 0 || shell_.Archive().Busy()) {
    QTimer::singleShot(10, this, &TTintaro::RequestTermination);
    return;
  }
  close();
}

void TTintaro::SyncView() {
  image1_->Sync();
  UpdateScrollExtent();
}

void TTintaro::UpdateScrollExtent() {
  // The scrolled area reaches as far as the visible picture does, as a scroll
  // box's range follows its controls.
  const QSize extent = image1_->isVisibleTo(canvas_)
                           ? QSize(image1_->x() + image1_->width(), image1_->y() + image1_->height())
                           : QSize(0, 0);
  if (canvas_->size() != extent) canvas_->resize(extent);
}

// ---- activation

bool TTintaro::IsToolWindow(const QWindow* window) const {
  if (!window) return false;
  return (about_ && about_->windowHandle() == window) || (clue_ && clue_->windowHandle() == window);
}

void TTintaro::OnFocusWindowChanged(QWindow* now) {
  QWindow* before = focusWindow_;
  focusWindow_ = now;
  if (!now) {
    // Hiding the focused Clue window or About box may hand the focus back
    // through "nothing"; that is still a return from it.
    toolWindowLeft_ = IsToolWindow(before) && !before->isVisible();
    return;
  }
  const bool returning = IsToolWindow(before) || (before == nullptr && toolWindowLeft_);
  toolWindowLeft_ = false;
  // Closing a modal box or dialog, or coming back from another program, is
  // no activation.
  if (shownOnce_ && now == windowHandle() && returning) RunFormActivate();
}

void TTintaro::RunFormActivate() {
  if (closed_) return;
  ++activations_;
  Invoke([&] { shell_.FormActivate(); });
}

void TTintaro::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // The first showing is an activation; it runs once the window is up.
  QTimer::singleShot(0, this, [this] {
    FitOuterSize();
    RunFormActivate();
  });
}

QMargins TTintaro::FrameMargins() const {
  const QRect frame = frameGeometry(), client = geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                  frame.bottom() - client.bottom());
}

void TTintaro::FitOuterSize() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  fittedFrame_ = FrameMargins();
  setGeometry(FittedClientGeometry(QSize(kOuterWidth, kOuterHeight), *fittedFrame_, screen->availableGeometry()));
}

void TTintaro::RefitIfFrameChanged() {
  // Some window managers report the frame only after the window is up, or
  // change it later; the design's outer size follows each new frame.
  if (fittedFrame_ && FrameMargins() != *fittedFrame_) FitOuterSize();
}

void TTintaro::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  RefitIfFrameChanged();
  if (shownOnce_ && !closed_) Invoke([&] { shell_.FormResize(); });
}

void TTintaro::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  RefitIfFrameChanged();
}

// ---- drops

QStringList TTintaro::DroppableFiles(const QMimeData* data) const {
  // Refused as the Load button is refused then; a drop inside a running
  // handler would reset the puzzle under it.
  if (closed_ || handlerDepth_ > 0 || !data || !data->hasUrls() || !shell_.CanOpenNow()) return {};
  QStringList files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

void TTintaro::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppableFiles(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TTintaro::dragMoveEvent(QDragMoveEvent* event) {
  // A hint may have started since the drag entered.
  if (DroppableFiles(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TTintaro::dropEvent(QDropEvent* event) {
  const QStringList files = DroppableFiles(event->mimeData());
  if (files.isEmpty()) return event->ignore();
  event->acceptProposedAction();
  std::vector<std::string> paths;
  for (const QString& file : files) paths.push_back(file.toStdString());
  lastOpenFolder_ = QFileInfo(files.constFirst()).absolutePath();
  Invoke([&] { shell_.FilesDropped(paths); });
}

void TTintaro::closeEvent(QCloseEvent* event) {
  // A box of a running handler is still open: the handler must finish first.
  if (event->spontaneous() && QApplication::activeModalWidget()) {
    event->ignore();
    return;
  }
  if (!closed_) {
    Invoke([&] { shell_.FormClose(); });
    closed_ = true;
    timer1_.timer.stop();
    timer2_.timer.stop();
    for (QWidget* w : std::initializer_list<QWidget*>{clue_, about_, help_.get()}) {
      if (w) w->hide();
    }
    QCoreApplication::quit();
  }
  event->accept();
}

// ---- GameUi

int TTintaro::RunBox(QMessageBox& box) {
  // The picture as the handler has left it shows while the box is open.
  SyncView();
  return runBox ? runBox(box) : box.exec();
}

void TTintaro::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tintaro"), BoxText(text), QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  RunBox(box);
}

bool TTintaro::AskYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), BoxText(text),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return RunBox(box) == QMessageBox::Yes;
}

void TTintaro::ShowErrorBox(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Tintaro"), BoxText(text), QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  RunBox(box);
}

void TTintaro::Beep() { QApplication::beep(); }

ToolButton* TTintaro::CommandTool(CommandButton button) const {
  switch (button) {
    case CommandButton::Repaint:
      return tools_[RepaintTool];
    case CommandButton::Clue:
      return tools_[ClueTool];
    case CommandButton::Hint:
      return tools_[HintTool];
    case CommandButton::Giveup:
      return tools_[GiveupTool];
    case CommandButton::Options:
      return tools_[OptionsTool];
  }
  return tools_[RepaintTool];
}

void TTintaro::SetButtonEnabled(CommandButton button, bool enabled) { CommandTool(button)->setEnabled(enabled); }

bool TTintaro::ButtonEnabled(CommandButton button) const {
  return !CommandTool(button)->testAttribute(Qt::WA_ForceDisabled);
}

void TTintaro::SetButtonIndeterminate(CommandButton button, bool indeterminate) {
  CommandTool(button)->SetIndeterminate(indeterminate);
}

bool TTintaro::ButtonIndeterminate(CommandButton button) const { return CommandTool(button)->Indeterminate(); }

void TTintaro::SetRepaintDown(bool down) { tools_[RepaintTool]->setChecked(down); }
bool TTintaro::RepaintDown() const { return tools_[RepaintTool]->isChecked(); }

PlayMode TTintaro::SelectedMode() const { return options_ ? options_->SelectedMode() : PlayMode::Normal; }

void TTintaro::SelectMode(PlayMode mode) {
  if (options_) options_->SelectMode(mode);
}

bool TTintaro::ShowOptionsDialog() {
  SyncView();
  return options_ && options_->Run();
}

void TTintaro::ShowClueWindow() {
  if (clue_) clue_->ShowBeside(this);
}

void TTintaro::HideClueWindow() {
  if (clue_) clue_->hide();
}

void TTintaro::ShowAboutBox() {
  if (about_) about_->ShowCentred();
}

void TTintaro::HideAboutBox() {
  if (about_) about_->hide();
}

void TTintaro::SetTimerEnabled(GameTimer timer, bool enabled) {
  GameTimerSlot& slot = timer == GameTimer::Timer1 ? timer1_ : timer2_;
  slot.enabled = enabled;
  slot.Apply();
}

bool TTintaro::TimerEnabled(GameTimer timer) const {
  return (timer == GameTimer::Timer1 ? timer1_ : timer2_).enabled;
}

void TTintaro::SetTimerInterval(GameTimer timer, int milliseconds) {
  GameTimerSlot& slot = timer == GameTimer::Timer1 ? timer1_ : timer2_;
  slot.interval = milliseconds;
  slot.Apply();
}

int TTintaro::TimerInterval(GameTimer timer) const {
  return (timer == GameTimer::Timer1 ? timer1_ : timer2_).interval;
}

int TTintaro::WindowWidth() const { return frameGeometry().width(); }
int TTintaro::WindowHeight() const { return frameGeometry().height(); }

void TTintaro::DeleteExtractedFiles() { shell_.DeleteExtractedFiles(); }

void TTintaro::ProcessPendingEvents() {
  SyncView();
  // Timers and painting go on; no command can start inside another.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

uint32_t TTintaro::MillisecondsSinceMidnightUtc() const {
  return static_cast<uint32_t>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

// ---- ShellUi

std::optional<std::string> TTintaro::ShowOpenDialog(const std::string& title, const std::string& filter,
                                                    const std::string& firstFolder) {
  // One dialog for the window's life: every new one adds its icons to Qt's
  // pixmap cache under new keys, and the memory grew with every Load.
  if (!openDialog_) {
    openDialog_ = new QFileDialog(this);
    openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name need not exist; the Load command reports what it finds.
    openDialog_->setFileMode(QFileDialog::AnyFile);
    openDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
  }
  QFileDialog& dialog = *openDialog_;
  dialog.setWindowTitle(FromStd(title));
  // Each Load starts, as a new dialog would, at the first filter with no
  // name typed.
  dialog.setNameFilters(NameFilters(filter));
  dialog.selectFile(QString());
  const QString folder = firstFolder.empty() ? lastOpenFolder_ : FromStd(firstFolder);
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  SyncView();
  std::optional<QString> chosen;
  if (runOpenDialog) {
    chosen = runOpenDialog(dialog);
  } else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    chosen = dialog.selectedFiles().constFirst();
  }
  // The dialog lives on, hidden, and so would a completion list still open
  // when Enter took the typed name: it floated over the game and took the
  // player's next click.
  for (const QCompleter* completer : dialog.findChildren<QCompleter*>())
    if (completer->popup()) completer->popup()->hide();
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  lastOpenFolder_ = QFileInfo(*chosen).absolutePath();
  return chosen->toStdString();
}

std::optional<std::string> TTintaro::ShowSaveDialog(const std::string& title, const std::string& filter,
                                                    const std::string& firstFolder,
                                                    const std::string& suggestedName) {
  QFileDialog dialog(this, FromStd(title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilters(NameFilters(filter));
  dialog.setDefaultSuffix(QStringLiteral("tro"));
  QString folder = FromStd(firstFolder);
  if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  dialog.setDirectory(folder);
  dialog.selectFile(FromStd(suggestedName));
  SyncView();
  std::optional<QString> chosen;
  if (runSaveDialog) {
    chosen = runSaveDialog(dialog);
  } else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    chosen = dialog.selectedFiles().constFirst();
  }
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  return chosen->toStdString();
}

std::optional<std::string> TTintaro::AskDifficulty(const std::string& name) {
  DifficultyDialog dialog(FromStd(name), this);
  SyncView();
  const int answer = runDifficultyDialog ? runDifficultyDialog(dialog) : dialog.exec();
  if (answer != QDialog::Accepted) return std::nullopt;
  return dialog.Difficulty();
}

void TTintaro::SetCaption(const std::string& caption) { setWindowTitle(FromStd(caption)); }

int TTintaro::ScrollBoxWidth() const { return scrollBox_->width(); }
int TTintaro::ScrollBoxHeight() const { return scrollBox_->height(); }

void TTintaro::SetScrollPositions(int horizontal, int vertical) {
  SyncView();
  scrollBox_->horizontalScrollBar()->setValue(horizontal);
  scrollBox_->verticalScrollBar()->setValue(vertical);
}

void TTintaro::SetImagePosition(int left, int top) {
  image1_->Sync();
  image1_->move(left, top);
  UpdateScrollExtent();
}

void TTintaro::LoadCluePicture(const std::string& path) {
  if (clue_) clue_->LoadPicture(path);
}

void TTintaro::ClearCluePicture() {
  if (clue_) clue_->ProgramIcon->SetImage(QImage());
}

void TTintaro::OpenHelp(const std::string&, const std::string& topic) {
  // Every help file name the program uses means its own HTML help.
  if (!help_) help_ = std::make_unique<HelpWindow>();
  help_->ShowTopic(helpDir, FromStd(topic), this);
}

void TTintaro::OpenWebPage() {
  const QString page = helpDir + QStringLiteral("/about.html");
  // Without a browser nothing would happen at all; the help window can show
  // the page itself.
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(page))) return;
  if (!help_) help_ = std::make_unique<HelpWindow>();
  help_->ShowPage(page, this);
}

void TTintaro::CloseMainWindow() { close(); }

}  // namespace tintaro::qt
