// The path rules of the shell: folder part, file-name part and extension of
// a path, the program's folder from the executable's path, the work folder
// with its per-user fallback, and deleting what was extracted.
#pragma once

#include <functional>
#include <string>

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

// The folder of the executable without a trailing '/'; "" for an executable
// in "/", so that ProgramDir + "/TTMP" still names a folder.
std::string ProgramDirOf(const std::string& executablePath);

// Whether the process may create files in a folder. Tests replace it,
// because root passes every permission check.
using WritableCheck = std::function<bool(const std::string& folder)>;
bool FolderIsWritable(const std::string& folder);

// Where the extracted files and, when it is not the program folder, the log go.
struct WorkFolders {
  std::string workDir;
  // The log's folder: ProgramDir, or the per-user folder when that is used.
  std::string logDir;
};

// ProgramDir + "/TTMP" when it is a folder that can be written or can be
// made; else ProgramDir when it can be written; else the per-user folder
// $XDG_CACHE_HOME/tintaro (or ~/.cache/tintaro), made with its parents;
// ProgramDir when even that fails.
WorkFolders ChooseWorkFolders(const std::string& programDir, const WritableCheck& writable);

// Deletes `path` only when it is a regular file (not a link, not a folder)
// directly inside `workDir`; failures are ignored.
void DeleteExtractedFile(const std::string& workDir, const std::string& path);

}  // namespace tintaro
