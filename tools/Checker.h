// Opening a puzzle archive the way the game does (our directory reader, our
// engine, our picture loader and solution reader) to describe it and to find
// every fault a player would meet, then playing its solution headlessly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "tools/PuzzleFiles.h"

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
  Picture picture;               // as extracted, unpainted
  // One line per fault, without the file name.
  std::vector<std::string> faults;
  bool played = false;  // the headless play ended in the congratulation
};

// Lists, extracts into a fresh temporary folder (removed again), loads and
// examines the archive. With `play`, also paints every target through the
// game's rules and requires the congratulation. `engineDir` is where
// libunzeng.so lies ("" for the system's search).
Inspection InspectArchive(const std::string& path, const std::string& engineDir, bool play);

}  // namespace tintaro::tools
