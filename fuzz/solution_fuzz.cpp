// Feeds arbitrary bytes to the solution reader as a file, then runs the rules
// that index the tables it filled: any input must end in a read, an I/O
// failure or the range error, never in a crash or a write past a table.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/rules/Disturbance.h"
#include "core/Errors.h"
#include "core/Game.h"
#include "core/rules/Hints.h"
#include "core/rules/Moves.h"
#include "core/rules/SolutionCheck.h"
#include "core/rules/SolutionFile.h"
#include "tools/HeadlessUi.h"

namespace {

using namespace tintaro;

// Answers every question with No and lets no time pass.
using QuietUi = tools::HeadlessUi;

void PutLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// An 8 x 8 24-bit BMP: white with a black cross, so fills stay small.
std::vector<uint8_t> SmallPicture() {
  constexpr int kSide = 8;
  constexpr int kRowBytes = kSide * 3;  // already a multiple of 4
  std::vector<uint8_t> bmp = {'B', 'M'};
  PutLE(bmp, 14 + 40 + kRowBytes * kSide, 4);
  PutLE(bmp, 0, 4);
  PutLE(bmp, 14 + 40, 4);
  PutLE(bmp, 40, 4);
  PutLE(bmp, kSide, 4);
  PutLE(bmp, kSide, 4);
  PutLE(bmp, 1, 2);
  PutLE(bmp, 24, 2);
  for (int i = 0; i < 6; ++i) PutLE(bmp, 0, 4);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const uint8_t v = (x == 4 || y == 4) ? 0 : 0xFF;
      bmp.insert(bmp.end(), {v, v, v});
    }
  return bmp;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

template <typename F>
void ExpectOnlyRangeErrors(F&& step) {
  try {
    step();
  } catch (const ERangeError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = "/tmp/fuzz_solution_" + std::to_string(::getpid());
  static const std::string picture = dir + ".bmp";
  static const std::string solution = dir + ".trs";
  static const bool pictureWritten = [] {
    const std::vector<uint8_t> bmp = SmallPicture();
    return WriteFile(picture, bmp.data(), bmp.size());
  }();
  if (!pictureWritten || !WriteFile(solution, data, size)) return 0;

  PuzzleState state;
  PaintSurface surface;
  QuietUi ui;
  Game game{state, surface, ui};
  PrepareFirstActivation(state, ui);
  ResetForLoad(state, ui);
  state.PicturePath = picture;
  state.ArchivePath = dir + ".tro";
  surface.LoadPicture(picture);
  state.MovedSinceDisturb = true;

  ExpectOnlyRangeErrors([&] { ReadSolutionFile(game, solution); });
  // Every rule that walks the tables the file described.
  ExpectOnlyRangeErrors([&] { CheckSolution(game); });
  ExpectOnlyRangeErrors([&] { FlashingMode(game); });
  state.AutoSolve = true;
  for (int i = 0; i < 4; ++i) {
    ExpectOnlyRangeErrors([&] {
      HintButtonClick(game);
      Timer1Timer(game);
    });
  }
  state.HintsUsed = state.LastTargetIndex > 0 && state.LastTargetIndex < 2000 ? state.LastTargetIndex : 0;
  ExpectOnlyRangeErrors([&] { HintButtonClick(game); });
  ExpectOnlyRangeErrors([&] { ReplayMoves(game); });
  return 0;
}
