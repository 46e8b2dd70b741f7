// Writing a puzzle archive: the 24-bit BMP picture, the solution records and
// a zip whose bytes depend on nothing but its contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "tools/PuzzleSource.h"

namespace tintaro::tools {

struct SolutionOptions {
  // Written as the option record when set: hint setting X and mode setting Y.
  bool hasOptionRecord = false;
  int32_t hintSetting = 0;
  int32_t modeSetting = 0;
};

struct SeedPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// The option record for a source's hint and mode settings; none when both
// are left at their defaults.
SolutionOptions OptionsFor(const PuzzleSource& source, int targets);

std::vector<uint8_t> EncodeBmp24(const Picture& picture);

// Header, the optional option record, every target (kind 1) then every
// stray (kind 0), each a 12-byte little-endian record.
std::vector<uint8_t> EncodeSolution(const std::vector<SeedPoint>& targets, const std::vector<SeedPoint>& strays,
                                    const SolutionOptions& options);

struct ArchiveEntry {
  std::string name;
  std::vector<uint8_t> data;
};

// Writes the entries, deflated, in the given order with one fixed time, to a
// temporary file of unguessable name beside `path` and renames it into
// place. An existing `path` that is not a regular file (or a link to one) is
// refused. Empty on success, else the fault.
std::string WriteArchive(const std::string& path, const std::vector<ArchiveEntry>& entries);

}  // namespace tintaro::tools
