// A picture chosen, given or dropped: tromake makes a puzzle of it in a
// folder of its own inside the work folder, and the made puzzle takes the
// Load command's road. The puzzle in play is reset only once the made one
// exists, so a refused or cancelled making leaves it as it was.
#include <cstdio>
#include <filesystem>

#include "shell/ShellMessages.h"
#include "shell/TintaroShell.h"

namespace tintaro {

bool TintaroShell::MakeAndLoad(const std::string& picture) {
  const std::string name = FileNamePart(picture);
  const std::string tromake = FindTromake(state_.ProgramDir);
  if (tromake.empty() || toolRunner_ == nullptr) {
    ui_.ShowMessage(shellmsg::kTromakeMissing);
    return false;
  }
  const std::optional<std::string> difficulty = ui_.AskDifficulty(name);
  if (!difficulty) return false;
  const std::string folder = MakeMakingFolder(state_.WorkDir);
  if (folder.empty()) {
    ui_.ShowMessage(shellmsg::kNoWorkFolder);
    return false;
  }
  const std::string output = folder + "/" + MadePuzzleName(picture);
  making_ = true;
  const ToolRun run = toolRunner_->Run(tromake, {"picture", picture, "-o", output, "--difficulty", *difficulty},
                                       kMakeTimeLimitMs, shellmsg::kMakingPuzzle + name);
  making_ = false;
  std::error_code error;
  const bool made = run.end == ToolRun::End::Exited && run.exitCode == 0 &&
                    std::filesystem::is_regular_file(std::filesystem::symlink_status(output, error));
  if (!made) {
    // Whatever the killed or refusing tool left (its temporary file too)
    // goes with the folder made for it.
    RemoveMadeFolder(state_.WorkDir, folder);
    switch (run.end) {
      case ToolRun::End::Cancelled:
        break;
      case ToolRun::End::TimedOut:
        ui_.ShowMessage(shellmsg::MakingTooLong(name, kMakeTimeLimitMs / 1000));
        break;
      case ToolRun::End::NotStarted:
        ui_.ShowMessage(shellmsg::MakingRefused(name, shellmsg::kMakingNotStarted));
        break;
      case ToolRun::End::Exited: {
        const std::string reason = RefusalReason(run.errorOutput, picture, output);
        ui_.ShowMessage(shellmsg::MakingRefused(name, reason.empty() ? shellmsg::kMakingFailed : reason));
        break;
      }
    }
    return false;
  }
  if (!LoadChosenFile(output, folder)) return false;
  OfferToSave(output);
  return true;
}

void TintaroShell::OfferToSave(const std::string& madeArchive) {
  if (!ui_.AskYesNo(shellmsg::kOfferSave)) return;
  const std::optional<std::string> target =
      ui_.ShowSaveDialog(shellmsg::kSaveTitle, shellmsg::kSaveFilter, "", FileNamePart(madeArchive));
  if (!target || target->empty()) return;
  const std::string& path = *target;
  std::error_code error;
  // Never onto the made archive itself, which the next Load deletes.
  if (std::filesystem::equivalent(path, madeArchive, error)) return;
  std::filesystem::copy_file(madeArchive, path, std::filesystem::copy_options::overwrite_existing, error);
  if (error) ui_.ShowMessage(shellmsg::SaveFailed(path));
}

}  // namespace tintaro
