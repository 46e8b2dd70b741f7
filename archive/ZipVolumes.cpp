// Volumes: where an archive lives, whether that storage is there, and moving
// between the volumes of a multi-volume set. Every Linux volume is fixed
// storage, so the prompts for removable disks are never shown here.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "archive/ZipArch.h"
#include "archive/ZipFiles.h"
#include "archive/ZipText.h"

namespace tintaro {

namespace {

std::string VolumeNumberText(int diskNr) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", diskNr + 1);
  return digits;
}

}  // namespace

std::string VolumeRootOf(const std::string& path) {
  if (path.empty()) return "";
  const size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  char* real = ::realpath(folder.c_str(), nullptr);
  if (real == nullptr) return "";
  std::string dir = real;
  std::free(real);
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) return "";
  const dev_t device = st.st_dev;
  // Walk up while the parent is still on the same device.
  while (dir != "/") {
    const size_t cut = dir.rfind('/');
    std::string parent = cut == 0 ? "/" : dir.substr(0, cut);
    if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
    dir = parent;
  }
  return dir;
}

DriveType TZipArchive::DriveTypeOfRoot() const { return DriveType::Fixed; }

void TZipArchive::QueryVolumeSpace() {
  struct statvfs vfs;
  if (vol_->volumeRoot.empty() || ::statvfs(vol_->volumeRoot.c_str(), &vfs) != 0) {
    vol_->volumeFree = vol_->volumeTotal = -1;
    return;
  }
  vol_->volumeFree = static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
  vol_->volumeTotal = static_cast<int64_t>(vfs.f_blocks) * static_cast<int64_t>(vfs.f_frsize);
}

bool TZipArchive::VolumePresent() {
  vol_->volumeLabel.clear();
  vol_->volumeFree = vol_->volumeTotal = -1;
  if (vol_->volumeRoot.empty() || vol_->volumeRoot[0] != '/') throw EZipArchive(11003, vol_->volumeRoot);
  struct statvfs vfs;
  if (::statvfs(vol_->volumeRoot.c_str(), &vfs) != 0) return false;
  // Linux volumes carry no label the reader could ask for.
  QueryVolumeSpace();
  return vol_->volumeTotal >= 0;
}

bool TZipArchive::VolumePartName(DriveType type) {
  const std::string number = VolumeNumberText(vol_->diskNr);
  if (type == DriveType::Removable) return vol_->volumeLabel == "PKBACK# " + number;
  // Only the file-name part is renamed: base + NNN + extension.
  const size_t slash = vol_->readFileName.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = vol_->readFileName.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = vol_->readFileName.size();
  const size_t from = dot - nameStart >= 3 ? dot - 3 : nameStart;
  vol_->readFileName.replace(from, dot - from, number);
  return true;
}

DriveType TZipArchive::AskForVolume() {
  if (Host.ProcessPendingEvents) Host.ProcessPendingEvents();
  const DriveType type = DriveTypeOfRoot();
  std::optional<bool> answer = true;
  while ((answer == true && !VolumePresent()) || vol_->newVolumeWanted) {
    if (type == DriveType::Fixed) {
      vol_->newVolumeWanted = false;
      break;
    }
    if (Unattended) throw EZipArchive(11025, true);
    std::string text;
    bool stopIcon = false;
    if (vol_->diskNr < 0) {
      text = LoadMessageText(11033, "Please insert last disk in set");
      stopIcon = true;
    } else {
      const std::string args[] = {std::to_string(vol_->diskNr + 1), std::to_string(vol_->lastDiskNr + 1)};
      text = FormatMessageText(LoadMessageText(11034, "Please insert disk volume %.1d of %.1d"), args);
    }
    const std::string root[] = {vol_->volumeRoot};
    text += FormatMessageText(LoadMessageText(11035, "\r\nin drive: %s"), root);
    answer = Host.AskOkCancel ? Host.AskOkCancel(text, stopIcon) : std::nullopt;
    vol_->newVolumeWanted = false;
    if (!answer.has_value()) break;
  }
  if (!answer.has_value()) throw EZipArchive(11006, true);
  if (!*answer) throw EZipArchive(11007, false);
  return type;
}

void TZipArchive::SwitchVolume(int n) {
  vol_->in.Close();
  vol_->diskNr = n;
  bool attempted = false;
  for (;;) {
    if (attempted) {
      if (DriveTypeOfRoot() == DriveType::Fixed) throw EZipArchive(11001, true);
      ReportMessage(11001);
    }
    vol_->newVolumeWanted = true;
    DriveType type;
    do {
      type = AskForVolume();
    } while (!VolumePartName(type));
    attempted = true;
    if (vol_->in.Open(vol_->readFileName)) return;
  }
}

}  // namespace tintaro
