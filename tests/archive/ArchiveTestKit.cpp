// Temporary folders, file helpers and the recording component for the
// archive tests.
#include "ArchiveTestKit.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tintaro::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ziparch-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Extract leaves the process in its ExtrBaseDir; never stay in a removed folder.
  const std::string cwd = std::filesystem::current_path(ec).string();
  if (!ec && cwd.rfind(path_, 0) == 0) std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = File(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

RecordedArchive::RecordedArchive() {
  zip.Host.ShowMessage = [this](const std::string& text) { log.push_back("box:" + text); };
  zip.OnMessage = [this](TZipArchive* sender, int code, const std::string& text) {
    if (sender != &zip) log.push_back("wrong sender");
    log.push_back("message:" + std::to_string(code) + ":" + text);
  };
  zip.OnProgress = [this](TZipArchive* sender, ProgressType type, const std::string& name, int64_t size) {
    if (sender != &zip) log.push_back("wrong sender");
    log.push_back("progress:" + std::to_string(type) + ":" + name + ":" + std::to_string(size));
  };
  zip.OnDirUpdate = [this](TZipArchive* sender) {
    if (sender != &zip) log.push_back("wrong sender");
    log.push_back("dirupdate");
  };
}

std::vector<std::string> RecordedArchive::Lines(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& line : log)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

}  // namespace tintaro::test
