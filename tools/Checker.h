// Opening a puzzle archive the way the game does (our directory reader, our
// engine, our picture loader and solution reader) to describe it and to find
// every fault a player would meet, then playing its solution headlessly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "tools/PlaySimulation.h"
#include "tools/PuzzleFiles.h"
#include "tools/ReasoningPlayer.h"

namespace tintaro::tools {

struct EntryInfo {
  std::string name;
  uint32_t size = 0;
  uint32_t compressedSize = 0;
};

struct Inspection {
  std::vector<EntryInfo> entries;
  std::string pictureName;  // empty when the archive holds none
  bool hasSolution = false;
  bool hasClue = false;
  int width = 0, height = 0;
  int clueWidth = 0, clueHeight = 0;
  bool solutionRead = false;
  std::vector<SeedPoint> targets, strays;
  // The option record's effect, as the game reads it.
  int32_t hintLimit = 0;
  bool hintsWithheld = false, solutionWithheld = false;
  std::string modeLock = "any";  // "normal", "crazy", "insane" or "any"
  Picture picture;               // as extracted, unpainted; empty when not decoded
  // One line per fault, without the file name.
  std::vector<std::string> faults;
  bool played = false;  // the headless play ended in the congratulation
  std::vector<PlayReport> plays;  // the simulated player's games, one report per mode
  Picture clue;                   // as extracted, when it loads
  bool reasoned = false;          // the reasoning player tried it
  ReasoningReport reasoning;
};

// What check asks of the simulated player besides the puzzle's locked mode.
struct PlayRequest {
  std::vector<PlayMode> modes;
  uint64_t seed = kDefaultPlaySeed;
};

// Lists, extracts into a fresh temporary folder (removed again), loads and
// examines the archive. With `play`, also paints every target through the
// game's rules and requires the congratulation, and lets the reasoning
// player try it from its drawing and clue; with `simulate` too, plays it
// as a person would in its locked Crazy or Insane mode (which must be won in
// at least half the runs) and in the modes asked. `engineDir` is where
// libunzeng.so lies ("" for the system's search).
// Without `pixels` (describing only), the picture's and the clue's sizes are
// read from their headers and nothing that needs their pixels is checked; a
// picture larger than the picture area is checked (with `play`) so too, as
// no player could see it whole anyway.
Inspection InspectArchive(const std::string& path, const std::string& engineDir, bool play,
                          const PlayRequest* simulate = nullptr, bool pixels = true);

}  // namespace tintaro::tools
