// The intro: the demonstration puzzle "TRO3.trz" extracted from the program
// folder and solved by the hint chain, or the welcome state without it.
#include <sys/stat.h>

#include "core/Errors.h"
#include "core/rules/Hints.h"
#include "core/rules/SolutionFile.h"
#include "shell/ShellMessages.h"
#include "shell/TintaroShell.h"

namespace tintaro {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

void TintaroShell::EnterWelcomeState() {
  extracted_.DeleteAll();
  state_.IntroPending = false;
  state_.WelcomeMode = true;
  ui_.ShowAboutBox();
}

void TintaroShell::PlayIntro() {
  PuzzleState& s = state_;
  // A folder of that name is no intro either.
  if (!IsRegularFile(s.ArchivePath)) return EnterWelcomeState();

  archive_.ErrCode = 0;
  archive_.Unattended = true;
  try {
    archive_.SetZipFilename(s.ArchivePath);
    archive_.ExtrBaseDir = s.WorkDir;
    archive_.ExtrOptions = {ExtrOverWrite};
    ExtractIntoWorkDir();
  } catch (...) {
    ui_.ShowMessage(shellmsg::kExtractFailed);
  }
  if (LogOn()) WriteIntroSettingsToLog();

  s.PicturePath = s.WorkDir + "/" + shellmsg::kIntroPicture;
  if (archive_.SuccessCount() < 1 || s.DiskFull) {
    s.ArchivePath.clear();
    s.SolutionPath.clear();
    s.PicturePath.clear();
  }
  try {
    surface_.LoadPicture(s.PicturePath);
  } catch (const EInvalidGraphic&) {
    return EnterWelcomeState();
  } catch (const EFOpenError&) {
    // The picture was listed but not written, or the archive lacks it.
    return EnterWelcomeState();
  } catch (const EReadError&) {
    // A picture cut short.
    return EnterWelcomeState();
  }

  s.SolutionPath = ReplaceExtension(s.PicturePath, ".trs");
  s.CluePath = s.WorkDir + "/spi" + FileNamePart(s.PicturePath);
  // A solution that cannot be read leaves HintsAvailable false, and the
  // first hint then refuses and ends the intro where it stands.
  ReadSolutionFile(game_, s.SolutionPath);
  DeleteExtrasOfPuzzle();
  s.AutoSolve = true;
  if (!s.Finished) HintButtonClick(game_);
}

void TintaroShell::WriteIntroSettingsToLog() {
  const TZipArchive& a = archive_;
  WriteLog({"\r\nTRO3 TempDir: " + a.TempDir, "\r\n ZipFileName: " + a.ZipFilename(),
            "\r\n ExtrBaseDir: " + a.ExtrBaseDir, "\r\n DLLDirectory: " + a.DLLDirectory(),
            "\r\n Password: " + a.Password(), "\r\n SFXCaption: " + a.SFXCaption,
            "\r\n SFXCommandLine: " + a.SFXCommandLine, "\r\n SFXDefaultDir: " + a.SFXDefaultDir,
            "\r\n SFXPath: " + a.SFXPath, "\r\n ZipComment: " + a.ZipComment()});
}

}  // namespace tintaro
