// Path rules and the choice of the work folder.
#include "shell/ShellPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tintaro {

namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

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

WorkFolders ChooseWorkFolders(const std::string& programDir, const WritableCheck& writable) {
  const std::string ttmp = programDir + "/TTMP";
  if (IsFolder(ttmp) && writable(ttmp)) return {ttmp, programDir};
  if (writable(programDir)) {
    // One level only: the program folder itself must already be there.
    if (::mkdir(ttmp.c_str(), 0777) == 0) return {ttmp, programDir};
    return {programDir, programDir};
  }
  // An installed program run by a user who may not write beside it.
  const std::string own = PerUserFolder();
  std::error_code ec;
  if (!own.empty()) {
    std::filesystem::create_directories(own, ec);
    if (IsFolder(own) && writable(own)) return {own, own};
  }
  return {programDir, programDir};
}

void DeleteExtractedFile(const std::string& workDir, const std::string& path) {
  if (path.empty() || FolderPart(path) != workDir + "/") return;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
}

}  // namespace tintaro
