// The path rules of the shell: folder part, file-name part and extension of
// a path, the program's folder from the executable's path, the choice of a
// private work folder, and deleting what was extracted.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tintaro {

// Everything up to and including the last '/'; "" when there is none.
std::string FolderPart(const std::string& path);
// Everything after the last '/'.
std::string FileNamePart(const std::string& path);
// The file-name part of an archive entry's name: '/' and '\' both end the
// folder part, so no entry can name a path outside the work folder.
std::string EntryFileNamePart(const std::string& name);
// The file-name part from its last dot on, dot included; "" without a dot.
std::string ExtensionOf(const std::string& path);
// Replaces the extension, or appends `extension` when there is none.
std::string ReplaceExtension(const std::string& path, const std::string& extension);
// Lower-cases the letters A to Z only; other bytes stay.
std::string LowerAsciiLetters(std::string text);
// Whether the extension, in any letter case, names a picture a player may
// hope to open (PNG, JPEG, WebP, GIF, BMP, SVG) rather than a puzzle.
bool IsPictureFile(const std::string& path);

// The FILE of "tintaro [log] [FILE]": the first argument, or the second
// after "log"; an argument that begins with '-' is an option, not a file.
// A relative name is made absolute against `currentDir`. "" when none.
std::string FileArgument(const std::vector<std::string>& arguments, const std::string& currentDir);

// The folder of the executable without a trailing '/'; "" for an executable
// in "/", so that ProgramDir + "/TTMP" still names a folder.
std::string ProgramDirOf(const std::string& executablePath);

// Whether the process may create files in a folder. Tests replace it,
// because root passes every permission check.
using WritableCheck = std::function<bool(const std::string& folder)>;
bool FolderIsWritable(const std::string& folder);

// Where the extracted files and the log go. The work folder is never the
// log's folder, so no archive entry can replace the running log.
struct WorkFolders {
  // "" when no private folder could be found or made.
  std::string workDir;
  std::string logDir;
  // A fresh folder made for this run only (the work folder's parent);
  // shut-down removes it again. "" when none was made.
  std::string scratchDir;
};

// Where a fresh private folder is made when no other can be used.
inline constexpr const char* kLastResortFolder = "/tmp";

// A real folder (not a link) owned by this user that no one else may write.
bool IsPrivateFolder(const std::string& folder);

// The first private folder of: ProgramDir + "/TTMP" (made with mode 0700
// when the program folder can be written); the per-user folder
// $XDG_CACHE_HOME/tintaro (or ~/.cache/tintaro) with its own "TTMP"; a fresh
// folder under $XDG_RUNTIME_DIR or /tmp with its own "TTMP". The program
// folder itself is never used: an entry could replace the engine there.
WorkFolders ChooseWorkFolders(const std::string& programDir, const WritableCheck& writable);

// Deletes `path` only when it is a regular file (not a link, not a folder)
// directly inside `workDir`; failures are ignored.
void DeleteExtractedFile(const std::string& workDir, const std::string& path);

}  // namespace tintaro
