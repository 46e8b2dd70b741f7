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
  if (volumeRoot_.empty() || ::statvfs(volumeRoot_.c_str(), &vfs) != 0) {
    volumeFree_ = volumeTotal_ = -1;
    return;
  }
  volumeFree_ = static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
  volumeTotal_ = static_cast<int64_t>(vfs.f_blocks) * static_cast<int64_t>(vfs.f_frsize);
}

bool TZipArchive::VolumePresent() {
  volumeLabel_.clear();
  volumeFree_ = volumeTotal_ = -1;
  if (volumeRoot_.empty() || volumeRoot_[0] != '/') throw EZipArchive(11003, volumeRoot_);
  struct statvfs vfs;
  if (::statvfs(volumeRoot_.c_str(), &vfs) != 0) return false;
  // Linux volumes carry no label the reader could ask for.
  QueryVolumeSpace();
  return volumeTotal_ >= 0;
}

bool TZipArchive::VolumePartName(DriveType type) {
  const std::string number = VolumeNumberText(diskNr_);
  if (type == DriveType::Removable) return volumeLabel_ == "PKBACK# " + number;
  // Only the file-name part is renamed: base + NNN + extension.
  const size_t slash = readFileName_.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = readFileName_.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = readFileName_.size();
  const size_t from = dot - nameStart >= 3 ? dot - 3 : nameStart;
  readFileName_.replace(from, dot - from, number);
  return true;
}

DriveType TZipArchive::AskForVolume() {
  if (Host.ProcessPendingEvents) Host.ProcessPendingEvents();
  const DriveType type = DriveTypeOfRoot();
  std::optional<bool> answer = true;
  while ((answer == true && !VolumePresent()) || newVolumeWanted_) {
    if (type == DriveType::Fixed) {
      newVolumeWanted_ = false;
      break;
    }
    if (Unattended) throw EZipArchive(11025, true);
    std::string text;
    bool stopIcon = false;
    if (diskNr_ < 0) {
      text = LoadMessageText(11033, "Please insert last disk in set");
      stopIcon = true;
    } else {
      const std::string args[] = {std::to_string(diskNr_ + 1), std::to_string(lastDiskNr_ + 1)};
      text = FormatMessageText(LoadMessageText(11034, "Please insert disk volume %.1d of %.1d"), args);
    }
    const std::string root[] = {volumeRoot_};
    text += FormatMessageText(LoadMessageText(11035, "\r\nin drive: %s"), root);
    answer = Host.AskOkCancel ? Host.AskOkCancel(text, stopIcon) : std::nullopt;
    newVolumeWanted_ = false;
    if (!answer.has_value()) break;
  }
  if (!answer.has_value()) throw EZipArchive(11006, true);
  if (!*answer) throw EZipArchive(11007, false);
  return type;
}

void TZipArchive::SwitchVolume(int n) {
  in_->Close();
  diskNr_ = n;
  bool attempted = false;
  for (;;) {
    if (attempted) {
      if (DriveTypeOfRoot() == DriveType::Fixed) throw EZipArchive(11001, true);
      ReportMessage(11001);
    }
    newVolumeWanted_ = true;
    DriveType type;
    do {
      type = AskForVolume();
    } while (!VolumePartName(type));
    attempted = true;
    if (in_->Open(readFileName_)) return;
  }
}

}  // namespace tintaro
