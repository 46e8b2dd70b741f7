// The main window's command logic without a window: start-up folders and the
// engine check, the diagnostic log, the Load command and the intro, the
// archive component's event handlers, the About box's commands and
// shut-down. It owns the puzzle state, the paint surface and the archive
// component; the Qt window turns its events into calls of these handlers.
#pragma once

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/ZipArch.h"
#include "core/Game.h"
#include "core/PuzzleState.h"
#include "core/picture/PaintSurface.h"
#include "shell/DiagnosticLog.h"
#include "shell/ExtractedFiles.h"
#include "shell/PictureMaking.h"
#include "shell/ShellPaths.h"
#include "shell/ShellUi.h"
#include "shell/ToolRunner.h"

namespace tintaro {

class TintaroShell {
 public:
  explicit TintaroShell(ShellUi& ui);
  TintaroShell(const TintaroShell&) = delete;
  TintaroShell& operator=(const TintaroShell&) = delete;

  // Main window created: ProgramDir from `executablePath` (the program
  // passes the target of /proc/self/exe), LogMode from the first of
  // `arguments` (the program's arguments without its name), WorkDir, the
  // archive component and the engine.
  void FormCreate(const std::string& executablePath, const std::vector<std::string>& arguments);
  // Each activation of the main window: the engine check, then the
  // first-time set-up (log, intro) while IntroPending is set. Re-entry while
  // the set-up runs does nothing.
  void FormActivate();
  // The main window closes: the log, the extracted files, the engine.
  void FormClose();
  // Deletes the puzzle's files and every other file the last extraction
  // wrote, and only those: what the load reset asks for.
  void DeleteExtractedFiles();

  void LoadButtonClick();
  // Whether a file may be opened without the dialog now: the first-time
  // set-up has made the tables, and no extraction or hint flash is running.
  bool CanOpenNow() const;
  // Files dropped on the main window: the first is opened as the Load
  // command would open it, and the player is told when others were left.
  void FilesDropped(const std::vector<std::string>& paths);
  // The FILE of the command line ("" when none); opened at the first
  // activation in place of the intro.
  const std::string& StartFile() const { return startFile_; }
  void HelpButtonClick();
  void AboutButtonClick();
  // Centres Image1 in ScrollBox1.
  void FormResize();

  // The About box's buttons.
  void AboutOkButtonClick();
  void AboutHelpButtonClick();
  void AboutWebButtonClick();

  // The archive component's events.
  void ZipArchive1Progress(ProgressType progrType, const std::string& filename, int64_t fileSize);
  void ZipArchive1Message(int errCode, const std::string& message);

  PuzzleState& State() { return state_; }
  PaintSurface& Surface() { return surface_; }
  TZipArchive& Archive() { return archive_; }
  // The context of the core's rule handlers (moves, hints, timers, options).
  Game& GameContext() { return game_; }
  bool FirstTimeSetUpRunning() const { return setUpRunning_; }
  // The folder "TRO.log" is made in: ProgramDir, or the private folder whose
  // "TTMP" is the work folder. Never the work folder itself.
  const std::string& LogDir() const { return logDir_; }
  // Every file extracted and not yet deleted.
  const std::set<std::string>& ExtractedPaths() const { return extracted_.Paths(); }

  // Runs tromake to make a puzzle of a picture; the window sets it. Without
  // one no picture can be made.
  void SetToolRunner(ToolRunner* runner) { toolRunner_ = runner; }
  // The folder holding the made puzzle in play ("" when none): a folder of
  // its own in the work folder, removed at the next Load or at shut-down.
  const std::string& MadeFolder() const { return madeFolder_; }
  // How long tromake may take.
  static constexpr int kMakeTimeLimitMs = 30000;

  // Decides which folders may be written when the work folder is chosen
  // (set before FormCreate). Tests replace it, since root may write anywhere.
  WritableCheck FolderWritable = FolderIsWritable;

 private:
  void RunFirstTimeSetUp();
  bool CreateLog();
  void PlayIntro();
  void EnterWelcomeState();
  void WriteIntroSettingsToLog();
  // The Load command from the load reset on, for a chosen file; true when
  // the puzzle was loaded.
  // `madeFolder` is the folder of a puzzle just made of a picture, which
  // the Load takes over from the previous one.
  bool LoadChosenFile(const std::string& chosen, const std::string& madeFolder = "");
  // Makes a puzzle of the picture with tromake and loads it; the puzzle in
  // play stays untouched until the made one is there.
  bool MakeAndLoad(const std::string& picture);
  void OfferToSave(const std::string& madeArchive);
  // The Load command without its dialog, after the refusals of CanOpenNow
  // and of a picture.
  bool OpenGivenFile(const std::string& path);
  // The start file in place of the intro; false when it was refused.
  bool OpenStartFile();
  void RefuseLoad(const char* text);
  void RefuseArchive();
  void LoadClue();
  // Extract into WorkDir, recording every file written.
  void ExtractIntoWorkDir();
  // After a Load or the intro: every extracted file but the picture, its
  // solution and its clue is deleted.
  void DeleteExtrasOfPuzzle();
  bool LogOn() const { return state_.LogMode && log_.IsOpen(); }
  // Writes the entries and puts them on disk.
  void WriteLog(std::initializer_list<std::string> entries);

  ShellUi& ui_;
  PuzzleState state_;
  PaintSurface surface_;
  TZipArchive archive_;
  Game game_;
  DiagnosticLog log_;
  std::string executablePath_;
  std::string logDir_;
  // A folder made for this run only; removed at shut-down.
  std::string scratchDir_;
  ExtractedFiles extracted_;
  bool setUpRunning_ = false;
  bool firstSetUpDone_ = false;
  std::string startFile_;
  ToolRunner* toolRunner_ = nullptr;
  std::string madeFolder_;
  // tromake runs: its progress dialog lets events through.
  bool making_ = false;
};

}  // namespace tintaro
