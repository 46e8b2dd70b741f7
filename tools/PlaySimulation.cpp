// The simulated player. Nothing here imitates a rule: the floods, the paint
// and the check are the core's handlers, and only time is ours to move.
#include "tools/PlaySimulation.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/Game.h"
#include "core/Messages.h"
#include "core/picture/PaintSurface.h"
#include "core/PuzzleState.h"
#include "core/rules/Disturbance.h"
#include "core/rules/Moves.h"
#include "core/rules/SolutionFile.h"
#include "core/rules/TableAccess.h"
#include "tools/HeadlessUi.h"
#include "tools/PuzzleFiles.h"
#include "tools/Regions.h"

namespace tintaro::tools {

namespace {

namespace fs = std::filesystem;

constexpr int64_t kDayMs = 86'400'000;

// The headless window system with a clock: the time of day is the run's start
// plus the play time, and Timer2 keeps the countdown a real timer keeps.
class ClockedUi : public HeadlessUi {
 public:
  explicit ClockedUi(uint32_t startOfDayMs) : start_(startOfDayMs) {}

  void SetTimerEnabled(GameTimer t, bool on) override {
    if (t == GameTimer::Timer2 && on && !TimerEnabled(t)) due_ = now + TimerInterval(t);
    HeadlessUi::SetTimerEnabled(t, on);
  }
  // A new interval restarts the countdown; the same one changes nothing.
  void SetTimerInterval(GameTimer t, int ms) override {
    const bool restart = t == GameTimer::Timer2 && ms != TimerInterval(t) && TimerEnabled(t);
    HeadlessUi::SetTimerInterval(t, ms);
    if (restart) due_ = now + ms;
  }
  // The player picks `chosen` and presses OK.
  bool ShowOptionsDialog() override {
    SelectMode(chosen);
    return true;
  }
  uint32_t MillisecondsSinceMidnightUtc() const override {
    return static_cast<uint32_t>((int64_t{start_} + now) % kDayMs);
  }

  // When Timer2 fires next, if it runs.
  std::optional<int64_t> Timer2Due() const {
    if (!TimerEnabled(GameTimer::Timer2)) return std::nullopt;
    return due_;
  }
  // The tick is delivered: the countdown starts over before the handler runs.
  void Timer2Fires() { due_ = now + TimerInterval(GameTimer::Timer2); }

  int64_t now = 0;
  PlayMode chosen = PlayMode::Normal;

 private:
  uint32_t start_;
  int64_t due_ = 0;
};

// The Options dialog's choice, made as a player would on an unlocked puzzle.
void ChooseMode(Game& game, ClockedUi& ui, PlayMode mode) {
  PuzzleState& s = game.state;
  s.NormalOnly = s.CrazyOnly = s.InsaneOnly = false;
  ui.chosen = mode;
  OptionsButtonClick(game);
}

bool LockedTo(const PuzzleState& s, PlayMode mode) {
  return (mode == PlayMode::Normal && s.NormalOnly) || (mode == PlayMode::Crazy && s.CrazyOnly) ||
         (mode == PlayMode::Insane && s.InsaneOnly);
}

bool Congratulated(const HeadlessUi& ui) {
  const std::string congratulation = msg::kCongratulations;
  return std::any_of(ui.messages.begin(), ui.messages.end(),
                     [&](const std::string& m) { return m.rfind(congratulation, 0) == 0; });
}

// SplitMix64: a well-mixed 64-bit value from any counter, the same everywhere.
uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Only the target regions can change a game's outcome: no flood is red, and
// the rules ask nothing of a stray or the background but whether it is red.
// So the player gets the picture with every other pixel black. Each target
// region keeps its exact extent, and a flood that lands elsewhere meets black
// and costs nothing, where it would otherwise fill a whole region. Written
// beside the picture; empty when it cannot be.
std::string WriteTargetsOnly(const PlayedFiles& files) {
  PuzzleState state;
  HeadlessUi ui;
  PaintSurface surface;
  Game game{state, surface, ui};
  PrepareFirstActivation(state, ui);
  surface.LoadPicture(files.picturePath);
  Picture picture = surface.CurrentPicture();
  ReadSolutionFile(game, files.solutionPath);
  const RegionMap map = FindRegions(picture);
  std::vector<uint8_t> target(map.regions.size(), 0);
  for (int32_t i = 0; i <= state.LastTargetIndex; ++i)
    if (const int32_t r = map.At(TargetAt(state, i).X, TargetAt(state, i).Y); r >= 0)
      target[static_cast<size_t>(r)] = 1;
  for (size_t i = 0; i < picture.pixels.size(); ++i)
    if (map.label[i] < 0 || !target[static_cast<size_t>(map.label[i])]) picture.pixels[i] = kBlack;

  const fs::path folder = fs::path(files.picturePath).parent_path();
  std::string path = (folder.empty() ? fs::path("play-XXXXXX.bmp") : folder / "play-XXXXXX.bmp").string();
  const int fd = mkstemps(path.data(), 4);
  if (fd < 0) return "";
  const std::vector<uint8_t> bytes = EncodeBmp24(picture);
  const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (close(fd) != 0 || !written) {
    std::error_code ignored;
    fs::remove(path, ignored);
    return "";
  }
  return path;
}

// Removes the file when it goes out of scope.
struct FileRemover {
  std::string path;
  ~FileRemover() {
    std::error_code ignored;
    if (!path.empty()) fs::remove(path, ignored);
  }
};

}  // namespace

PlayOutcome PlayOnce(const PlayedFiles& files, PlayMode mode, uint32_t startOfDayMs) {
  PuzzleState state;
  ClockedUi ui(startOfDayMs);
  PaintSurface surface;
  Game game{state, surface, ui};
  // A program just started (Timer2 at 100 ms) and a puzzle loaded in Normal.
  PrepareFirstActivation(state, ui);
  ResetForLoad(state, ui);
  ui.SelectMode(PlayMode::Normal);
  state.ArchivePath = files.archivePath;
  state.PicturePath = files.picturePath;
  state.SolutionPath = files.solutionPath;
  surface.LoadPicture(state.PicturePath);
  surface.ShowPicture();
  ReadSolutionFile(game, state.SolutionPath);
  const bool locked = LockedTo(state, mode);
  if (!locked) ChooseMode(game, ui, mode);

  const int32_t targets = state.LastTargetIndex + 1;
  int32_t next = 0;  // the player works through the targets in turn
  int64_t click = kPlayerClickMs;
  for (;;) {
    const std::optional<int64_t> tick = ui.Timer2Due();
    const bool timer = tick && *tick <= click;
    ui.now = timer ? *tick : click;
    if (ui.now > kPlayLimitMs) return {false, kPlayLimitMs, locked};
    if (timer) {
      ui.Timer2Fires();
      Timer2Timer(game);
      continue;
    }
    click += kPlayerClickMs;
    // The next target in turn that is not red; a flood may have taken one
    // painted before, so the turn wraps round.
    for (int32_t k = 0; k < targets; ++k) {
      const PointRecord& t = TargetAt(state, (next + k) % targets);
      if (surface.PixelAt(t.X, t.Y) == kRed) continue;
      next = (next + k + 1) % targets;
      MouseMoveXY(game, t.X, t.Y);
      Image1MouseClick(game);
      break;
    }
    if (state.Finished) return {Congratulated(ui), ui.now, locked};
  }
}

PlayReport PlayMany(const PlayedFiles& files, PlayMode mode, uint64_t seed, int runs) {
  PlayReport report;
  report.mode = mode;
  report.runs = runs;
  // Without the lighter picture the games are the same, only slower.
  const FileRemover lighter{WriteTargetsOnly(files)};
  PlayedFiles played = files;
  if (!lighter.path.empty()) played.picturePath = lighter.path;
  // Each game has its own state, surface and clock, so the games share the
  // processors; every run's start is drawn from its number, so the report
  // does not depend on which thread played it.
  std::vector<PlayOutcome> outcomes(static_cast<size_t>(std::max(0, runs)));
  std::atomic<size_t> nextRun{0};
  auto play = [&] {
    for (size_t run = nextRun++; run < outcomes.size(); run = nextRun++) {
      const uint64_t draw = Mix(Mix(seed) + static_cast<uint64_t>(run));
      outcomes[run] = PlayOnce(played, mode, static_cast<uint32_t>(draw % kDayMs));
    }
  };
  const size_t workers = std::min<size_t>(outcomes.size(), std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::jthread> threads;
  for (size_t t = 1; t < workers; ++t) threads.emplace_back(play);
  play();
  threads.clear();  // joins them
  std::vector<int64_t> wins;
  for (const PlayOutcome& o : outcomes) {
    report.locked = o.locked;
    if (o.won) wins.push_back(o.ms);
  }
  report.won = static_cast<int>(wins.size());
  if (!wins.empty()) {
    std::sort(wins.begin(), wins.end());
    const size_t mid = wins.size() / 2;
    report.medianMs = wins.size() % 2 ? wins[mid] : (wins[mid - 1] + wins[mid]) / 2;
  }
  return report;
}

std::vector<PlayMode> ModesToPlay(const std::string& lock, const std::vector<PlayMode>& asked) {
  std::vector<PlayMode> modes;
  if (lock == "crazy") modes.push_back(PlayMode::Crazy);
  if (lock == "insane") modes.push_back(PlayMode::Insane);
  for (PlayMode m : asked)
    if (std::find(modes.begin(), modes.end(), m) == modes.end()) modes.push_back(m);
  return modes;
}

std::string ModeName(PlayMode mode) {
  switch (mode) {
    case PlayMode::Normal: return "normal";
    case PlayMode::Crazy: return "crazy";
    case PlayMode::Insane: return "insane";
  }
  return "";
}

std::optional<std::vector<PlayMode>> ParseModes(const std::string& list) {
  std::vector<PlayMode> modes;
  size_t from = 0;
  for (;;) {
    const size_t comma = list.find(',', from);
    const std::string word = list.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    bool known = false;
    for (PlayMode m : {PlayMode::Normal, PlayMode::Crazy, PlayMode::Insane})
      if (word == ModeName(m)) {
        modes.push_back(m);
        known = true;
      }
    if (!known) return std::nullopt;
    if (comma == std::string::npos) return modes;
    from = comma + 1;
  }
}

std::string ReportLine(const PlayReport& r) {
  std::string line = ModeName(r.mode) + (r.locked ? " (locked)" : "") + ": won " + std::to_string(r.won) + " of " +
                     std::to_string(r.runs) + " runs";
  if (r.medianMs >= 0) {
    char median[32];
    std::snprintf(median, sizeof median, "%.1f", static_cast<double>(r.medianMs) / 1000.0);
    line += std::string(", median ") + median + " s to win";
  }
  return line;
}

std::string LockFault(const PlayReport& r) {
  if (!r.locked || r.mode == PlayMode::Normal || 2 * r.won >= r.runs) return "";
  return "locked to " + ModeName(r.mode) + ", it is won in only " + std::to_string(r.won) + " of " +
         std::to_string(r.runs) + " runs by a player who paints the next target every " +
         std::to_string(kPlayerClickMs) + " ms for " + std::to_string(kPlayLimitMs / 60'000) +
         " minutes; at least half must be won";
}

}  // namespace tintaro::tools
