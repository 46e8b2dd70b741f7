#include "shell/PictureMaking.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "shell/ShellPaths.h"

namespace tintaro {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

constexpr size_t kMaxReason = 300;
constexpr size_t kMaxName = 40;

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::string FindTromake(const std::string& programDir) {
  for (const char* relative : {"/tromake", "/../../../games/tromake", "/../tools/tromake"}) {
    const std::string path = programDir + relative;
    if (IsExecutableFile(path)) return path;
  }
  return "";
}

std::string MadePuzzleName(const std::string& picturePath) {
  std::string name = FileNamePart(picturePath);
  const std::string extension = ExtensionOf(name);
  name.resize(name.size() - extension.size());
  for (char& c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    if (!plain) c = '_';
  }
  if (name.size() > kMaxName) name.resize(kMaxName);
  if (name.empty() || StartsWith(LowerAsciiLetters(name), "spi")) name = "my_" + name;
  return name + ".tro";
}

std::string RefusalReason(const std::string& errorOutput, const std::string& picturePath,
                          const std::string& outputPath) {
  // The last line that says anything: tromake ends with its one reason.
  std::string line;
  size_t end = errorOutput.size();
  while (line.empty() && end > 0) {
    const size_t start = errorOutput.rfind('\n', end - 1);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    line = errorOutput.substr(from, end - from);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    end = start == std::string::npos ? 0 : start;
  }
  if (StartsWith(line, "tromake: ")) line.erase(0, 9);
  for (const std::string& path : {picturePath, outputPath}) {
    if (!path.empty() && StartsWith(line, path + ": ")) line.erase(0, path.size() + 2);
  }
  std::string reason;
  for (char c : line) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) reason += c;
  }
  if (reason.size() > kMaxReason) reason = reason.substr(0, kMaxReason) + "...";
  return reason;
}

std::string MakeMakingFolder(const std::string& workDir) {
  if (workDir.empty()) return "";
  std::string pattern = workDir + "/made-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) return "";
  return buffer.data();
}

void RemoveMadeFolder(const std::string& workDir, const std::string& folder) {
  if (workDir.empty() || folder.empty() || FolderPart(folder) != workDir + "/" ||
      !StartsWith(FileNamePart(folder), "made-")) {
    return;
  }
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(folder + "/" + name);
    }
    ::closedir(dir);
  }
  for (const std::string& path : names) DeleteExtractedFile(folder, path);
  ::rmdir(folder.c_str());
}

}  // namespace tintaro
