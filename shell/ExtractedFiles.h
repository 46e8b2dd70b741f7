// The files one extraction wrote into the work folder. The engine writes
// each entry to a fresh file and renames it into place, so every file it
// wrote shows up as a name with a new inode; comparing the folder before and
// after finds them all, whatever names the archive used.
#pragma once

#include <sys/types.h>

#include <map>
#include <set>
#include <string>

namespace tintaro {

class ExtractedFiles {
 public:
  // Remembers what `workDir` holds before an extraction into it.
  void BeforeExtract(const std::string& workDir);
  // Adds every regular file that is new or replaced since BeforeExtract.
  void AfterExtract();

  // Deletes every recorded file but those in `keep`, and forgets them.
  void DeleteAllBut(const std::set<std::string>& keep);
  void DeleteAll() { DeleteAllBut({}); }
  const std::set<std::string>& Paths() const { return paths_; }

 private:
  std::string workDir_;
  std::map<std::string, ino_t> before_;
  std::set<std::string> paths_;
};

}  // namespace tintaro
