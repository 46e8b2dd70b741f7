// A person playing a puzzle in a disturbance mode, through the game's own
// handlers on a clock the simulation moves: Timer2 fires at the intervals the
// rules set, the generator is seeded from that clock, and the player paints
// the next target that is not red every half second, for two minutes at most.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/GameUi.h"

namespace tintaro::tools {

inline constexpr int kPlayerClickMs = 500;
inline constexpr int kPlayLimitMs = 120'000;
inline constexpr int kPlayRuns = 100;
inline constexpr uint64_t kDefaultPlaySeed = 1;

// The extracted files of one puzzle, as the game plays them.
struct PlayedFiles {
  std::string archivePath;  // only needs to name something: the rules act only on an open puzzle
  std::string picturePath;
  std::string solutionPath;
};

struct PlayOutcome {
  bool won = false;
  int64_t ms = 0;  // play time at the winning click, or the limit
  bool locked = false;  // the puzzle is locked to the mode played
};

struct PlayReport {
  PlayMode mode = PlayMode::Normal;
  bool locked = false;  // the puzzle is locked to this mode
  int runs = 0;
  int won = 0;
  int64_t medianMs = -1;  // of the won runs; -1 when none was won
};

// One game from the load on, starting at that time of day (ms since
// midnight). A mode other than the puzzle's lock is chosen in the Options
// dialog as if the puzzle had no lock.
PlayOutcome PlayOnce(const PlayedFiles& files, PlayMode mode, uint32_t startOfDayMs);

// `runs` games at times of day drawn from `seed`: the same seed, the same report.
PlayReport PlayMany(const PlayedFiles& files, PlayMode mode, uint64_t seed, int runs = kPlayRuns);

// The modes check plays: the lock when it is Crazy or Insane, then those asked
// for, each once. `lock` is "normal", "crazy", "insane" or "any".
std::vector<PlayMode> ModesToPlay(const std::string& lock, const std::vector<PlayMode>& asked);

// "normal", "crazy", "insane"; and back, for a comma-separated list.
std::string ModeName(PlayMode mode);
std::optional<std::vector<PlayMode>> ParseModes(const std::string& list);

// "insane (locked): won 37 of 100 runs, median 21.5 s to win"
std::string ReportLine(const PlayReport& report);
// A locked Crazy or Insane puzzle won in fewer than half the runs; empty otherwise.
std::string LockFault(const PlayReport& report);

}  // namespace tintaro::tools
