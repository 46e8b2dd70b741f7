// Start-up and memory of the real program against a bare Qt Widgets program,
// both started as a player would start them, on a private Xvfb screen:
// the time from process start to the first frame that shows the intro's
// picture, and the resident memory once the greeting (the About box) shows.
// The anchor shows one window of the main window's size with a painted
// 300 x 200 picture; its memory is read at that first frame.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/Ratio.h"
#include "bench/ScreenWatch.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace tintaro::bench;

constexpr int kLaunches = 9;

struct Program {
  const char* name;
  // Copied with the program folder beside it, or run where it was built.
  fs::path folder;
  fs::path executable;
  WatchSpec spec;
};

// The intro's picture has thousands of pure black line pixels (17,558); the
// toolbar has none. The anchor's grid has 5,850.
const Program kTintaro{"tintaro", TINTARO_PROGRAM_DIR, "tintaro",
                       {"Tintaro! - Revolutionary Color Puzzle", 2000, "About Tintaro!"}};
const Program kBareQt{"bare_qt", {}, BARE_QT_PROGRAM, {"Bare Qt", 2000, ""}};

std::unique_ptr<VirtualScreen> screen;
std::unique_ptr<WindowWatch> watch;
std::map<std::string, std::vector<double>> residentKib;
std::map<std::string, std::vector<double>> processorMs;

// A private folder for one launch: the copy of the program folder, and a
// home, caches and a runtime folder that no earlier run has touched.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "tintaro_startup_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (const char* sub : {"home/.cache", "home/.config", "home/.local/share", "runtime"}) {
      fs::create_directories(root_ / sub);
    }
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
};

std::vector<std::string> Environment(const Scratch& scratch) {
  const std::map<std::string, std::string> overrides{
      {"DISPLAY", screen->Display()},
      {"QT_QPA_PLATFORM", "xcb"},
      {"HOME", (scratch.Root() / "home").string()},
      {"XDG_CACHE_HOME", (scratch.Root() / "home/.cache").string()},
      {"XDG_CONFIG_HOME", (scratch.Root() / "home/.config").string()},
      {"XDG_DATA_HOME", (scratch.Root() / "home/.local/share").string()},
      {"XDG_RUNTIME_DIR", (scratch.Root() / "runtime").string()},
  };
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string key = entry.substr(0, entry.find('='));
    if (!overrides.count(key) && key.rfind("QT_", 0) != 0) env.push_back(entry);
  }
  for (const auto& [key, value] : overrides) env.push_back(key + "=" + value);
  return env;
}

std::string Tail(const fs::path& file) {
  std::ifstream in(file);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > 600 ? text.substr(text.size() - 600) : text;
}

void Stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

struct Launch {
  double firstFrameSeconds;
  double greetingSeconds;
  double processorMs;
  long residentKib;
};

Launch LaunchOnce(const Program& program) {
  Scratch scratch;
  fs::path executable = program.executable;
  if (!program.folder.empty()) {
    const fs::path copy = scratch.Root() / "Tintaro";
    fs::copy(program.folder, copy, fs::copy_options::recursive);
    executable = copy / program.executable;
  }
  std::vector<std::string> env = Environment(scratch);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = executable.string();
  char* argv[] = {path.data(), nullptr};

  const fs::path output = scratch.Root() / "output.txt";
  const std::string home = (scratch.Root() / "home").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addchdir_np(&actions, home.c_str());

  watch->Clear();
  pid_t pid = -1;
  const Clock::time_point start = Clock::now();
  const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + path);
  WatchResult seen;
  try {
    seen = watch->Wait(pid, program.spec);
  } catch (const std::exception& e) {
    Stop(pid);
    throw std::runtime_error(std::string(e.what()) + "; its output: " + Tail(output));
  }
  Stop(pid);
  auto seconds = [&](Clock::time_point t) { return std::chrono::duration<double>(t - start).count(); };
  return {seconds(seen.firstFrame), seconds(seen.greeting), seen.processorMs, seen.residentKib};
}

void BM_Startup(benchmark::State& state, const Program* program) {
  try {
    // The first start of each fills the system's caches (libraries, fonts).
    static std::map<std::string, bool> warm;
    if (!warm[program->name]) {
      LaunchOnce(*program);
      warm[program->name] = true;
    }
    for (auto _ : state) {
      const Launch launch = LaunchOnce(*program);
      state.SetIterationTime(launch.firstFrameSeconds);
      state.counters["greeting_ms"] = launch.greetingSeconds * 1e3;
      state.counters["cpu_ms"] = launch.processorMs;
      state.counters["rss_kib"] = static_cast<double>(launch.residentKib);
      processorMs[program->name].push_back(launch.processorMs);
      residentKib[program->name].push_back(static_cast<double>(launch.residentKib));
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}
BENCHMARK_CAPTURE(BM_Startup, tintaro, &kTintaro)
    ->Iterations(1)
    ->Repetitions(kLaunches)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_Startup, bare_qt, &kBareQt)
    ->Iterations(1)
    ->Repetitions(kLaunches)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  // The two programs' starts alternate, so a busy moment on the machine
  // falls on both alike.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  if (!fs::is_regular_file(fs::path(TINTARO_PROGRAM_DIR) / "TRO3.trz")) {
    std::fprintf(stderr, "startup_bench: no intro in %s; build the whole tree first\n", TINTARO_PROGRAM_DIR);
    return 1;
  }
  try {
    screen = std::make_unique<VirtualScreen>();
    watch = std::make_unique<WindowWatch>(screen->Display());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    return 1;
  }
  const int status = RunWithRatios(count, args.data(),
                                   {{"startup_first_frame_vs_bare_qt",
                                     "BM_Startup/tintaro/iterations:1/repeats:9/manual_time",
                                     "BM_Startup/bare_qt/iterations:1/repeats:9/manual_time"}});
  // These keep the columns but not the unit: the processor time the whole
  // process had used at its first frame (less swayed by other work on the
  // machine than the elapsed time), in ns; the memory in KiB.
  const auto print = [](const char* name, const std::vector<double>& ours, const std::vector<double>& anchor,
                        double scale) {
    const double o = Median(ours) * scale, a = Median(anchor) * scale;
    if (o > 0 && a > 0) std::printf("ratio %s %.0f %.0f %.3f\n", name, o, a, o / a);
  };
  print("startup_cpu_vs_bare_qt", processorMs["tintaro"], processorMs["bare_qt"], 1e6);
  print("greeting_rss_kib_vs_bare_qt", residentKib["tintaro"], residentKib["bare_qt"], 1);
  watch.reset();
  screen.reset();
  return status;
}
