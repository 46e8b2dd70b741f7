// A player who reasons a puzzle out from what a person sees: the drawing and
// the clue, never the solution. It reads the clue's figure and where the clue
// says it lies, places it over the drawing with a person's error of a few per
// cent in position and size, nudges it until its outline sits on drawn lines,
// and paints every region mostly inside it. No Qt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "tools/PuzzleFiles.h"

namespace tintaro::tools {

struct ReasoningReport {
  int tries = 0;
  int reasonedOut = 0;     // tries that painted exactly the targets
  double medianWrong = 0;  // targets left white and other regions painted, median over the tries
  int targets = 0;
  // The solved red area against the clue's figure at its best placement.
  double iou = 0;
  bool clueReadable = false;  // the clue shows a figure at all
};

inline constexpr int kReasoningTries = 24;

// What a fair puzzle must let the reasoning player do.
struct ReasoningLimits {
  double maxWrongShare = 0.15;  // median cells wrong, of the targets
  double minIou = 0.85;
};

// "reasoned out: N of M tries, K cells wrong (median)" and "recognisable: IoU X".
std::vector<std::string> ReasoningLines(const ReasoningReport& report);
// One line per limit the puzzle falls short of.
std::vector<std::string> ReasoningFaults(const ReasoningReport& report, const ReasoningLimits& limits);

ReasoningReport ReasonOut(const Picture& picture, const Picture& clue, const std::vector<SeedPoint>& targets,
                          int tries = kReasoningTries, uint64_t seed = 1);

}  // namespace tintaro::tools
