// Extraction of a puzzle-sized archive (a 1400 x 1200 24-bit BMP line
// drawing of about 5 MB, its solution file and its clue picture): the
// archive component's Extract through libunzeng.so against a plain loop of
// libzip reads and file writes that does the same.
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ZipArch.h"
#include "bench/Ratio.h"
#include "support/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

// A white picture with black region borders and a little scanner noise, so
// that it deflates like a real puzzle rather than like a blank page.
std::string PuzzleBmp(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t pixelBytes = static_cast<uint32_t>(stride * height);
  std::string bmp(54 + pixelBytes, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 54 + pixelBytes);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = 24;
  put32(34, pixelBytes);
  uint32_t x = 12345;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const bool line = row % 97 < 2 || col % 113 < 2 || (row + col) % 211 < 2;
      x = x * 1103515245u + 12345u;
      const uint8_t noise = static_cast<uint8_t>((x >> 16) & 7);
      const uint8_t v = line ? noise : static_cast<uint8_t>(255 - noise);
      char* p = &bmp[54 + static_cast<size_t>(row) * stride + col * 3];
      p[0] = p[1] = p[2] = static_cast<char>(v);
    }
  }
  return bmp;
}

struct Fixture {
  fs::path root;
  std::string archive;
  fs::path oursDir, anchorDir;
  std::string engineDir;

  Fixture() {
    char pattern[] = "/tmp/tintaro-extract-bench-XXXXXX";
    root = mkdtemp(pattern);
    archive = (root / "puzzle.tro").string();
    std::string solution(12 * 40, '\0');
    for (size_t i = 0; i < solution.size(); ++i) solution[i] = static_cast<char>(i * 7);
    tintaro::test::ZipWriter()
        .Add("puzzle.bmp", PuzzleBmp(1400, 1200))
        .Add("puzzle.trs", solution)
        .Add("spipuzzle.bmp", PuzzleBmp(200, 150))
        .WriteTo(archive);
    oursDir = root / "ours";
    anchorDir = root / "anchor";
    fs::create_directories(oursDir);
    fs::create_directories(anchorDir);
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = '\0';
    engineDir = (fs::path(self).parent_path().parent_path() / "Tintaro").string();
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_ComponentExtract(benchmark::State& state) {
  Fixture& f = Shared();
  tintaro::TZipArchive zip;
  zip.Unattended = true;
  zip.SetDLLDirectory(f.engineDir);
  zip.LoadEngine();
  if (!zip.EngineLoaded()) {
    state.SkipWithError("engine not found");
    return;
  }
  zip.SetZipFilename(f.archive);
  zip.ExtrBaseDir = f.oursDir.string();
  zip.ExtrOptions = {tintaro::ExtrOverWrite};
  for (auto _ : state) {
    zip.Extract();
    if (zip.SuccessCount() != 3) state.SkipWithError("extraction failed");
  }
  zip.UnloadEngine();
}
BENCHMARK(BM_ComponentExtract)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_LibzipLoop(benchmark::State& state) {
  Fixture& f = Shared();
  std::vector<char> buffer(256 * 1024);
  for (auto _ : state) {
    int error = 0;
    zip_t* za = zip_open(f.archive.c_str(), ZIP_RDONLY, &error);
    if (!za) {
      state.SkipWithError("zip_open");
      return;
    }
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
      zip_file_t* file = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
      const int out = open((f.anchorDir / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      zip_int64_t got;
      while ((got = zip_fread(file, buffer.data(), buffer.size())) > 0)
        if (write(out, buffer.data(), static_cast<size_t>(got)) != got) state.SkipWithError("write");
      close(out);
      zip_fclose(file);
    }
    zip_discard(za);
  }
}
BENCHMARK(BM_LibzipLoop)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  return tintaro::bench::RunWithRatios(argc, argv, {{"extract_puzzle", "BM_ComponentExtract/repeats:7", "BM_LibzipLoop/repeats:7"}});
}
