// Shared pieces of the archive component's tests: a temporary folder, file
// writing, and a component whose events and boxes are recorded in order.
#pragma once

#include <string>
#include <vector>

#include "archive/ZipArch.h"
#include "support/ZipBytes.h"

namespace tintaro::test {

// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const Bytes& bytes) const;
  // Names of the files directly in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

Bytes ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

// A component with every event and box recorded as a line in `log`:
// "box:TEXT", "message:ARG:TEXT", "progress:TYPE:NAME:SIZE", "dirupdate".
struct RecordedArchive {
  RecordedArchive();
  TZipArchive zip;
  std::vector<std::string> log;
  std::vector<std::string> Lines(const std::string& prefix) const;
  int Count(const std::string& prefix) const { return static_cast<int>(Lines(prefix).size()); }
};

}  // namespace tintaro::test
