// The reader of a puzzle's solution file: target and stray seed points and
// the per-puzzle options, in 12-byte little-endian records.
#pragma once

#include <cstddef>
#include <string>

namespace tintaro {

struct Game;

inline constexpr size_t kSolutionRecordSize = 12;

enum class SolutionReadResult {
  Read,
  // The file is missing, unreadable, cut short or could not be closed;
  // HintsAvailable is now false and what was read so far stays.
  IoFailure,
};

// Reads the file at `path` into the game's state. A file with more than 1000
// points of one kind raises ERangeError ("Range check error") after the first
// 1000 are stored; nothing else escapes. A mode lock in the option record
// selects Crazy or Insane and starts it at once.
SolutionReadResult ReadSolutionFile(Game& game, const std::string& path);

}  // namespace tintaro
