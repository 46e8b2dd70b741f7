// Path rules and the choice of the work folder.
#include "shell/ShellPaths.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tintaro {

namespace {

// The folder itself as the system names it: "" stands for the root.
std::string SystemName(const std::string& folder) { return folder.empty() ? "/" : folder; }

std::string PerUserFolder() {
  // The XDG rules ignore a relative cache path.
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/tintaro";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/tintaro";
  return "";
}

}  // namespace

std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string FileNamePart(const std::string& path) { return path.substr(FolderPart(path).size()); }

std::string EntryFileNamePart(const std::string& name) {
  const size_t end = name.find_last_of("/\\");
  return end == std::string::npos ? name : name.substr(end + 1);
}

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : name.substr(dot);
}

bool IsPictureFile(const std::string& path) {
  const std::string ext = LowerAsciiLetters(ExtensionOf(path));
  for (const char* picture : {".png", ".jpg", ".jpeg", ".webp", ".gif", ".bmp", ".svg"}) {
    if (ext == picture) return true;
  }
  return false;
}

std::string FileArgument(const std::vector<std::string>& arguments, const std::string& currentDir) {
  size_t i = 0;
  if (!arguments.empty() && LowerAsciiLetters(arguments.front()) == "log") i = 1;
  if (i >= arguments.size()) return "";
  const std::string& file = arguments[i];
  if (file.empty() || file.front() == '-') return "";
  if (file.front() == '/' || currentDir.empty()) return file;
  return currentDir + (currentDir.back() == '/' ? "" : "/") + file;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  return path.substr(0, path.size() - ExtensionOf(path).size()) + extension;
}

std::string LowerAsciiLetters(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string ProgramDirOf(const std::string& executablePath) {
  std::string dir = FolderPart(executablePath);
  // The root keeps no separator at all: "" + "/TTMP" is "/TTMP".
  while (!dir.empty() && dir.back() == '/') dir.pop_back();
  return dir;
}

bool FolderIsWritable(const std::string& folder) { return ::access(SystemName(folder).c_str(), W_OK | X_OK) == 0; }

bool IsPrivateFolder(const std::string& folder) {
  struct stat st;
  return ::lstat(SystemName(folder).c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

namespace {

// `folder`, made with mode 0700 when it is missing, if it is then private.
bool MakePrivateFolder(const std::string& folder, const WritableCheck& writable) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return IsPrivateFolder(folder) && writable(folder);
}

// A private folder `base` + "/TTMP" below a private `base`: the log stays in
// `base`, the puzzles' files go one level down.
bool UsePrivateBase(const std::string& base, const WritableCheck& writable, WorkFolders& out) {
  if (!MakePrivateFolder(base, writable) || !MakePrivateFolder(base + "/TTMP", writable)) return false;
  out.workDir = base + "/TTMP";
  out.logDir = base;
  return true;
}

std::string FreshFolderTemplate() {
  // A runtime folder is the user's own by definition; use it only when it is.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) return std::string(runtime) + "/tintaro-XXXXXX";
  return std::string(kLastResortFolder) + "/tintaro-XXXXXX";
}

}  // namespace

WorkFolders ChooseWorkFolders(const std::string& programDir, const WritableCheck& writable) {
  WorkFolders out;
  const std::string ttmp = programDir + "/TTMP";
  struct stat st;
  const bool ttmpMissing = ::lstat(ttmp.c_str(), &st) != 0 && errno == ENOENT;
  // One level only: the program folder itself must already be there.
  if ((ttmpMissing && writable(programDir) && MakePrivateFolder(ttmp, writable)) ||
      (IsPrivateFolder(ttmp) && writable(ttmp))) {
    out.workDir = ttmp;
    out.logDir = programDir;
    return out;
  }
  const std::string own = PerUserFolder();
  if (!own.empty()) {
    std::error_code ec;
    // The XDG rules make missing base folders private.
    if (!std::filesystem::exists(FolderPart(own), ec)) {
      std::filesystem::create_directories(FolderPart(own), ec);
      ::chmod(FolderPart(own).c_str(), 0700);
    }
    if (UsePrivateBase(own, writable, out)) return out;
  }
  std::string fresh = FreshFolderTemplate();
  if (::mkdtemp(fresh.data()) != nullptr) {
    out.scratchDir = fresh;
    if (UsePrivateBase(fresh, writable, out)) return out;
    ::rmdir(fresh.c_str());
    out.scratchDir.clear();
  }
  return out;
}

void DeleteExtractedFile(const std::string& workDir, const std::string& path) {
  if (path.empty() || FolderPart(path) != workDir + "/") return;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
}

}  // namespace tintaro
