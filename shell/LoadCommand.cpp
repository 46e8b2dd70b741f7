// The Load command: the open dialog, the load reset, the archive's
// directory and extraction, then the picture, its solution and its clue.
// A file named on the command line or dropped on the window takes the same
// road without the dialog.
#include <sys/stat.h>

#include "core/Errors.h"
#include "core/Game.h"
#include "core/PuzzleState.h"
#include "core/rules/SolutionFile.h"
#include "shell/ShellMessages.h"
#include "shell/TintaroShell.h"

namespace tintaro {

namespace {

constexpr int kNotAnArchiveCode = 11036;
constexpr int kOutOfMemoryCode = 10103;
// The engine's own code for memory it could not get.
constexpr int kEngineNoMemory = 4;

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void TintaroShell::LoadButtonClick() {
  PuzzleState& s = state_;
  // The extraction lets pending clicks run; a second Load in the middle of
  // one would delete and reset what the first is still filling.
  if (archive_.Busy() || making_) return;
  std::string firstFolder;
  if (s.IntroPending || s.WelcomeMode) {
    surface_.HidePicture();
    const std::string programFolder = FolderPart(executablePath_);
    const std::string puzzles = programFolder + "Puzzles/";
    firstFolder = IsFolder(puzzles) ? puzzles : programFolder;
  }
  PrepareLoadCommand(s, ui_);
  const std::optional<std::string> chosen =
      ui_.ShowOpenDialog(shellmsg::kOpenTitle, shellmsg::kOpenFilter, firstFolder);
  if (!chosen) return;
  if (IsPictureFile(*chosen)) {
    MakeAndLoad(*chosen);
    return;
  }
  LoadChosenFile(*chosen);
}

bool TintaroShell::CanOpenNow() const {
  // A hint's flash still due would land on the next puzzle's picture: the
  // Load button's dialog outlasts it, a file opened at once does not.
  return firstSetUpDone_ && !archive_.Busy() && !making_ && !ui_.TimerEnabled(GameTimer::Timer1);
}

bool TintaroShell::OpenGivenFile(const std::string& path) {
  if (!CanOpenNow()) return false;
  if (IsPictureFile(path)) {
    PrepareLoadCommand(state_, ui_);
    return MakeAndLoad(path);
  }
  PrepareLoadCommand(state_, ui_);
  return LoadChosenFile(path);
}

void TintaroShell::FilesDropped(const std::vector<std::string>& paths) {
  if (paths.empty() || !CanOpenNow()) return;
  if (paths.size() > 1) ui_.ShowMessage(shellmsg::OnlyFirstDropped(paths.size(), FileNamePart(paths.front())));
  OpenGivenFile(paths.front());
}

bool TintaroShell::LoadChosenFile(const std::string& chosen, const std::string& madeFolder) {
  PuzzleState& s = state_;
  // The reset asks the window system to delete the last puzzle's files,
  // which hands the request to DeleteExtractedFiles.
  ResetForLoad(s, ui_);
  // The last made puzzle's archive goes with the rest of its files.
  if (madeFolder_ != madeFolder) RemoveMadeFolder(s.WorkDir, madeFolder_);
  madeFolder_ = madeFolder;
  ui_.ClearCluePicture();
  archive_.ErrCode = 0;

  s.ArchivePath = chosen;
  archive_.SetZipFilename(s.ArchivePath);
  if (LogOn()) {
    WriteLog({"\r\nOpen CurrentFile: " + s.ArchivePath, "\r\n ErrCode: " + std::to_string(archive_.ErrCode)});
  }
  if (ExtensionOf(s.ArchivePath) != ".tro" || archive_.ErrCode == kNotAnArchiveCode) {
    RefuseLoad(shellmsg::kNotAPuzzle);
    archive_.ErrCode = 0;
    return false;
  }

  archive_.Unattended = true;
  archive_.ExtrBaseDir = s.WorkDir;
  archive_.ExtrOptions = {ExtrOverWrite};
  ExtractIntoWorkDir();
  // However the Load ends, even by a failure no handler catches, nothing the
  // archive held stays but what the puzzle still needs.
  struct Tidy {
    TintaroShell& shell;
    ~Tidy() { shell.DeleteExtrasOfPuzzle(); }
  } tidy{*this};
  if (s.DiskFull || s.ArchiveCorrupt || s.NotAnArchive) {
    RefuseArchive();
    return false;
  }

  s.PicturePath = s.WorkDir + "/" + EntryFileNamePart(s.PictureEntryName);
  try {
    surface_.LoadPicture(s.PicturePath);
  } catch (const EFOpenError&) {
    RefuseLoad(shellmsg::kNotAPuzzle);
    return false;
  } catch (const EInvalidGraphic&) {
    // Not a picture at all, or a path without a file name: no puzzle either.
    RefuseLoad(shellmsg::kNotAPuzzle);
    return false;
  } catch (const EReadError&) {
    RefuseLoad(shellmsg::kNotAPuzzle);
    return false;
  }
  surface_.PrepareReload();
  surface_.ShowPicture();
  ui_.SetCaption(shellmsg::kCaptionWithFile + FileNamePart(s.ArchivePath));
  ui_.SetScrollPositions(0, 0);
  FormResize();

  s.SolutionPath = ReplaceExtension(s.PicturePath, ".trs");
  s.CluePath = s.WorkDir + "/spi" + FileNamePart(s.PicturePath);
  if (ReadSolutionFile(game_, s.SolutionPath) == SolutionReadResult::Read) {
    DeleteExtractedFile(s.WorkDir, s.SolutionPath);
  }
  LoadClue();
  return true;
}

void TintaroShell::LoadClue() {
  try {
    ui_.LoadCluePicture(state_.CluePath);
  } catch (const EFOpenError&) {
    state_.ClueAvailable = false;
    return;
  } catch (const EInvalidGraphic&) {
    // A clue that is not a picture is no clue; the file goes at the next Load.
    state_.ClueAvailable = false;
    return;
  } catch (const EReadError&) {
    state_.ClueAvailable = false;
    return;
  }
  DeleteExtractedFile(state_.WorkDir, state_.CluePath);
}

void TintaroShell::RefuseLoad(const char* text) {
  surface_.HidePicture();
  // No file is the puzzle's now: the Load's guard deletes all it extracted.
  state_.PicturePath.clear();
  state_.SolutionPath.clear();
  state_.CluePath.clear();
  ui_.ShowMessage(text);
  state_.Finished = true;
  ui_.SetCaption(shellmsg::kCaption);
  DisableAndGrey(ui_, kAllCommandButtons);
}

void TintaroShell::RefuseArchive() {
  PuzzleState& s = state_;
  surface_.HidePicture();
  extracted_.DeleteAll();
  s.SolutionPath.clear();
  s.PicturePath.clear();
  ui_.SetCaption(shellmsg::kCaption);
  const int code = archive_.ErrCode;
  if (s.NotAnArchive) {
    ui_.ShowMessage(shellmsg::kNotAPuzzle);
  } else if (s.DiskFull) {
    ui_.ShowMessage(shellmsg::kDiskFull);
  } else if (code == kOutOfMemoryCode || code == kEngineNoMemory) {
    ui_.ShowMessage(shellmsg::kNoMemory);
  } else {
    ui_.ShowMessage(shellmsg::kCorrupted);
  }
  s.Finished = true;
  DisableAndGrey(ui_, kAllCommandButtons);
}

}  // namespace tintaro
