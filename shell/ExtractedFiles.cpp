// Finding and deleting what an extraction wrote.
#include "shell/ExtractedFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "shell/ShellPaths.h"

namespace tintaro {

namespace {

// The regular files directly in `folder`, by name, with their inodes.
std::map<std::string, ino_t> RegularFiles(const std::string& folder) {
  std::map<std::string, ino_t> files;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return files;
  while (const dirent* entry = ::readdir(dir)) {
    struct stat st;
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      files.emplace(entry->d_name, st.st_ino);
  }
  ::closedir(dir);
  return files;
}

}  // namespace

void ExtractedFiles::BeforeExtract(const std::string& workDir) {
  workDir_ = workDir;
  before_ = RegularFiles(workDir);
}

void ExtractedFiles::AfterExtract() {
  for (const auto& [name, inode] : RegularFiles(workDir_)) {
    const auto old = before_.find(name);
    if (old == before_.end() || old->second != inode) paths_.insert(workDir_ + "/" + name);
  }
  before_.clear();
}

void ExtractedFiles::DeleteAllBut(const std::set<std::string>& keep) {
  for (auto it = paths_.begin(); it != paths_.end();) {
    if (keep.count(*it) != 0) {
      ++it;
      continue;
    }
    DeleteExtractedFile(workDir_, *it);
    it = paths_.erase(it);
  }
}

}  // namespace tintaro
