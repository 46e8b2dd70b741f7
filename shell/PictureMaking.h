// The path and text rules of making a puzzle of a picture with tromake:
// where tromake is, what the made puzzle is called, the reason of a refusal
// as the player reads it, and the made puzzle's folder.
#pragma once

#include <string>

namespace tintaro {

// tromake beside the game, in the installed layout (the program folder
// /usr/lib/games/tintaro, tromake in /usr/games) or in the build tree
// (build/Tintaro, build/tools/tromake): the first executable file of those;
// "" when there is none. `programDir` has no trailing '/'.
std::string FindTromake(const std::string& programDir);

// The made puzzle's file name for a picture: its name without the
// extension, kept to letters, digits, '-' and '_' as tromake wants, never
// starting with "spi" and never empty, with ".tro".
std::string MadePuzzleName(const std::string& picturePath);

// The one line tromake wrote when it refused, without its "tromake:" and
// the path it names, kept to printable characters and a sane length.
std::string RefusalReason(const std::string& errorOutput, const std::string& picturePath,
                          const std::string& outputPath);

// Makes a fresh folder of unguessable name inside `workDir` for one
// making; "" when it cannot.
std::string MakeMakingFolder(const std::string& workDir);
// Deletes the regular files directly inside `folder` and the folder itself,
// when it is a folder directly inside `workDir` (only such folders are
// made by MakeMakingFolder, and only the making writes into them).
void RemoveMadeFolder(const std::string& workDir, const std::string& folder);

}  // namespace tintaro
