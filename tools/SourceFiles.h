// Reading the files a puzzle source names. Sources are shared like puzzles,
// and whatever they name ends up in an archive meant for other people: a
// source may name only regular files inside its own folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tintaro::tools {

// Empty when a source may name `name`: a relative path with no ".." part.
// Else the fault, without the name.
std::string SourceNameFault(std::string_view name);

// Reads the regular file at `path` whole, at most `limit` bytes. It is opened
// without blocking, so a FIFO or a device is refused rather than waited on.
// Empty on success, else the fault, without the path.
std::string ReadRegularFile(const std::string& path, size_t limit, std::string& out);

// Reads `name` as named by a source in `folder` ("" for the current one):
// the name must pass SourceNameFault, must not be a link, and the file opened
// must lie inside the folder (a linked folder on the way may not lead out).
// Empty on success, else "NAME: fault".
std::string ReadSourceFile(const std::string& folder, const std::string& name, size_t limit, std::string& out);

}  // namespace tintaro::tools
