// A whole Load of a 1024 x 768 puzzle through the shell (list, extract,
// picture, solution, clue) against its floor: the same three entries
// inflated into memory with plain libzip calls. Also the intro's set-up from
// window creation up to its first hint.
#include <unistd.h>
#include <zip.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Ratio.h"
#include "shell/TintaroShell.h"
#include "support/BmpBuilder.h"
#include "support/FakeShellUi.h"
#include "support/SolutionBuilder.h"
#include "support/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

// A line drawing: a grid of black-bordered cells with a little scanner noise
// in the white, so that it deflates like a real puzzle.
std::string DrawingBmp(int width, int height) {
  std::vector<uint32_t> px(static_cast<size_t>(width) * height);
  uint32_t x = 12345;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      x = x * 1103515245u + 12345u;
      const bool line = row % 64 < 2 || col % 64 < 2;
      const uint32_t v = line ? 0 : 0xFF - ((x >> 16) & 1);
      px[static_cast<size_t>(row) * width + col] = line ? 0 : v | v << 8 | v << 16;
    }
  }
  const std::vector<uint8_t> bmp = tintaro::test::BuildBmp(width, height, px);
  return std::string(bmp.begin(), bmp.end());
}

std::string CellSolution(int width, int height) {
  tintaro::test::SolutionBuilder s;
  const int cells = (width / 64) * (height / 64);
  s.Header(cells / 2 - 1, 0);
  for (int i = 0; i < cells / 2; ++i) s.Target((i * 2 % (width / 64)) * 64 + 32, (i * 2 / (width / 64)) * 64 + 32);
  s.Stray(1, 1);
  const auto& b = s.Bytes();
  return std::string(b.begin(), b.end());
}

struct Fixture {
  fs::path root;
  std::string archive;
  std::string engine;

  Fixture() {
    char pattern[] = "/tmp/tintaro-load-bench-XXXXXX";
    root = mkdtemp(pattern);
    const std::string picture = DrawingBmp(1024, 768);
    const std::string solution = CellSolution(1024, 768);
    archive = (root / "puzzle.tro").string();
    tintaro::test::ZipWriter()
        .Add("puzzle.bmp", picture)
        .Add("puzzle.trs", solution)
        .Add("spipuzzle.bmp", DrawingBmp(129, 129))
        .WriteTo(archive);
    // The program folder: the engine and the intro beside the executable.
    fs::create_directories(root / "program");
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = '\0';
    engine = (fs::path(self).parent_path().parent_path() / "Tintaro" / "libunzeng.so").string();
    fs::copy_file(engine, root / "program" / "libunzeng.so");
    tintaro::test::ZipWriter().Add("TRO3.bmp", picture).Add("TRO3.trs", solution).WriteTo(
        (root / "program" / "TRO3.trz").string());
  }
  ~Fixture() {
    std::error_code ec;
    fs::current_path("/tmp", ec);
    fs::remove_all(root, ec);
  }
  std::string Exe() const { return (root / "program" / "tintaro").string(); }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_ShellLoad(benchmark::State& state) {
  Fixture& f = Shared();
  tintaro::test::FakeShellUi ui;
  tintaro::TintaroShell shell(ui);
  // As the window does: the load reset's deletion goes to the shell.
  ui.onDeleteExtracted = [&] { shell.DeleteExtractedFiles(); };
  shell.FormCreate(f.Exe(), {});
  // No intro: the Load starts from the welcome state.
  shell.State().IntroPending = false;
  for (auto _ : state) {
    ui.openAnswers.push_back(f.archive);
    shell.LoadButtonClick();
    if (shell.State().Finished || !shell.State().ClueAvailable || !shell.State().HintsAvailable)
      state.SkipWithError("load failed");
    ui.events.clear();
  }
  shell.FormClose();
}
BENCHMARK(BM_ShellLoad)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_LibzipInflateFloor(benchmark::State& state) {
  Fixture& f = Shared();
  std::vector<std::vector<char>> out(3);
  for (auto _ : state) {
    int error = 0;
    zip_t* za = zip_open(f.archive.c_str(), ZIP_RDONLY, &error);
    if (!za) return state.SkipWithError("zip_open");
    for (zip_uint64_t i = 0; i < 3; ++i) {
      zip_stat_t st;
      zip_stat_index(za, i, 0, &st);
      out[i].resize(st.size);
      zip_file_t* file = zip_fopen_index(za, i, 0);
      if (zip_fread(file, out[i].data(), st.size) != static_cast<zip_int64_t>(st.size)) state.SkipWithError("read");
      zip_fclose(file);
    }
    zip_discard(za);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_LibzipInflateFloor)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_IntroToFirstHint(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    tintaro::test::FakeShellUi ui;
    tintaro::TintaroShell shell(ui);
    shell.FormCreate(f.Exe(), {});
    shell.FormActivate();
    if (shell.State().HintsUsed != 1) state.SkipWithError("no first hint");
    state.PauseTiming();
    shell.FormClose();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_IntroToFirstHint)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  return tintaro::bench::RunWithRatios(
      argc, argv,
      {{"load_puzzle_1024x768", "BM_ShellLoad/repeats:7", "BM_LibzipInflateFloor/repeats:7"},
       {"intro_to_first_hint", "BM_IntroToFirstHint/repeats:7", "BM_LibzipInflateFloor/repeats:7"}});
}
