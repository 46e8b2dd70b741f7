// Program start and end: the folders, the log flag, the engine and its check
// on every activation, the first-time set-up with the log, and shut-down.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "core/PuzzleState.h"
#include "shell/ShellMessages.h"
#include "shell/TintaroShell.h"

namespace tintaro {

namespace {

// The archive component's code for an engine library that cannot be loaded.
constexpr int kEngineMissing = 10704;

}  // namespace

TintaroShell::TintaroShell(ShellUi& ui) : ui_(ui), game_{state_, surface_, ui} {
  archive_.OnProgress = [this](TZipArchive*, ProgressType type, const std::string& name, int64_t size) {
    ZipArchive1Progress(type, name, size);
  };
  archive_.OnMessage = [this](TZipArchive*, int code, const std::string& text) { ZipArchive1Message(code, text); };
  archive_.Host.ProcessPendingEvents = [this] { ui_.ProcessPendingEvents(); };
  archive_.Host.ShowMessage = [this](const std::string& text) { ui_.ShowMessage(text); };
}

void TintaroShell::FormCreate(const std::string& executablePath, const std::vector<std::string>& arguments) {
  executablePath_ = executablePath;
  state_.ProgramDir = ProgramDirOf(executablePath);
  state_.LogMode = !arguments.empty() && LowerAsciiLetters(arguments.front()) == "log";
  char cwd[4096];
  startFile_ = FileArgument(arguments, ::getcwd(cwd, sizeof cwd) ? cwd : "");
  const WorkFolders folders = ChooseWorkFolders(state_.ProgramDir, FolderWritable ? FolderWritable : FolderIsWritable);
  state_.WorkDir = folders.workDir;
  logDir_ = folders.logDir;
  scratchDir_ = folders.scratchDir;
  archive_.SetDLLDirectory(state_.ProgramDir);
  archive_.Unattended = true;
  archive_.LoadEngine();
  ResetAtWindowCreation(state_);
}

void TintaroShell::FormActivate() {
  // A window system may report an activation when a box opened by the
  // set-up closes; the set-up must not start again inside itself.
  if (setUpRunning_) return;
  if (archive_.ErrCode == kEngineMissing) {
    ui_.ShowMessage(shellmsg::kEngineMissing);
    // Nothing can be extracted, so the set-up is not tried.
    ui_.CloseMainWindow();
    return;
  }
  if (state_.WorkDir.empty()) {
    // Not even a fresh private folder could be made: nothing can be opened.
    ui_.ShowMessage(shellmsg::kCannotWrite + std::string(kLastResortFolder));
    ui_.CloseMainWindow();
    return;
  }
  if (!state_.IntroPending) return;
  setUpRunning_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{setUpRunning_};
  RunFirstTimeSetUp();
}

void TintaroShell::RunFirstTimeSetUp() {
  PrepareFirstActivation(state_, ui_);
  firstSetUpDone_ = true;
  if (state_.LogMode && !CreateLog()) return;
  if (OpenStartFile()) return;
  state_.HintsUsed = 0;
  state_.ArchivePath = state_.ProgramDir + "/" + shellmsg::kIntroArchive;
  PlayIntro();
}

bool TintaroShell::OpenStartFile() {
  if (startFile_.empty()) return false;
  // Tried once: a later set-up (the intro interrupted) plays the intro.
  const std::string file = std::exchange(startFile_, std::string());
  // The player asked for this puzzle: no demonstration and no About box
  // stand in front of it.
  if (OpenGivenFile(file)) return true;
  // Refused with the Load command's own message: from here the start goes
  // on as if no file had been named, so undo what the load reset changed.
  PuzzleState& s = state_;
  PrepareFirstActivation(s, ui_);
  s.IntroPending = true;
  s.DiskFull = s.ArchiveCorrupt = s.NotAnArchive = false;
  s.WarnStrayOnce = s.AskBeforeHint = false;
  s.LastMove = 0;
  ui_.SetRepaintDown(false);
  // The picture control starts shown; the intro draws in it without showing it.
  surface_.ShowPicture();
  return false;
}

bool TintaroShell::CreateLog() {
  // A repeated set-up (the intro interrupted by an activation) keeps
  // writing to the log it made first instead of emptying it.
  if (log_.IsOpen()) return true;
  if (!log_.Create(logDir_ + "/" + shellmsg::kLogFile)) {
    ui_.ShowMessage(shellmsg::kCannotWrite + logDir_);
    state_.LogMode = false;
    ui_.CloseMainWindow();
    return false;
  }
  log_.Write("CurrentDir: " + state_.ProgramDir);
  log_.Flush();
  log_.Write("\r\nRabDir: " + state_.WorkDir);
  log_.Flush();
  return true;
}

void TintaroShell::WriteLog(std::initializer_list<std::string> entries) {
  for (const std::string& entry : entries) log_.Write(entry);
  log_.Flush();
}

void TintaroShell::DeleteExtractedFiles() {
  DeleteExtractedFile(state_.WorkDir, state_.PicturePath);
  DeleteExtractedFile(state_.WorkDir, state_.SolutionPath);
  DeleteExtractedFile(state_.WorkDir, state_.CluePath);
  extracted_.DeleteAll();
}

void TintaroShell::ExtractIntoWorkDir() {
  extracted_.BeforeExtract(state_.WorkDir);
  struct Record {
    ExtractedFiles& files;
    ~Record() { files.AfterExtract(); }
  } record{extracted_};
  archive_.Extract();
}

void TintaroShell::DeleteExtrasOfPuzzle() {
  extracted_.DeleteAllBut({state_.PicturePath, state_.SolutionPath, state_.CluePath});
}

void TintaroShell::FormClose() {
  if (log_.IsOpen()) log_.Close();
  DeleteExtractedFiles();
  RemoveMadeFolder(state_.WorkDir, std::exchange(madeFolder_, std::string()));
  if (!scratchDir_.empty()) {
    // Only empty folders go: a log written there stays for the player.
    ::rmdir(state_.WorkDir.c_str());
    ::rmdir(scratchDir_.c_str());
  }
  archive_.UnloadEngine();
}

}  // namespace tintaro
