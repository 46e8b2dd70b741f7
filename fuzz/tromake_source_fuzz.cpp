// Feeds arbitrary text to tromake's puzzle source parser: every input must
// end in a source within the documented limits or in one error line.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/PuzzleSource.h"
#include "tools/SourceFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tintaro::tools;
  const ParseResult r = ParsePuzzleSource(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!r.source) {
    // A refusal says why, on one line.
    if (r.error.empty() || r.error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  const PuzzleSource& s = *r.source;
  if (s.width && (*s.width < kMinSide || *s.width > kMaxSide || *s.height < kMinSide || *s.height > kMaxSide))
    std::abort();
  if (s.mosaicCells && (*s.mosaicCells < 1 || *s.mosaicCells > kMaxCells)) std::abort();
  if (s.targets.size() > kMaxPoints || s.strays.size() > kMaxPoints) std::abort();
  if (s.lineWidth < 1 || s.lineWidth > kMaxLineWidth || s.decoys < 0 || s.decoys > kMaxDecoys) std::abort();
  // No accepted name may leave the source's folder.
  for (const std::string* name : {&s.drawing, &s.hidden, &s.clue})
    if (!name->empty() && !SourceNameFault(*name).empty()) std::abort();
  return 0;
}
