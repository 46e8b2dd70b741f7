// Shared set-up of the shell's tests: a program folder holding a copy of the
// real engine, a shell driven through the fake window system with its timers
// wired, and puzzle archives built from a small two-box drawing.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ArchiveTestKit.h"
#include "core/rules/Disturbance.h"
#include "core/rules/Hints.h"
#include "shell/TintaroShell.h"
#include "shell/TopLevel.h"
#include "support/BmpBuilder.h"
#include "support/FakeShellUi.h"
#include "support/SolutionBuilder.h"
#include "support/ZipWriter.h"

namespace tintaro::test {

// 24 x 16, white, two boxes outlined in black; their insides are the targets.
inline constexpr int kPicWidth = 24, kPicHeight = 16;
inline constexpr int kTargetA[2] = {6, 6}, kTargetB[2] = {16, 6};

inline std::string AsText(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

inline std::string TwoBoxBmp() {
  std::vector<uint32_t> px(kPicWidth * kPicHeight, 0xFFFFFF);
  for (int left : {2, 12}) {
    for (int i = 0; i <= 8; ++i) {
      px[2 * kPicWidth + left + i] = px[10 * kPicWidth + left + i] = 0;
      px[(2 + i) * kPicWidth + left] = px[(2 + i) * kPicWidth + left + 8] = 0;
    }
  }
  return AsText(BuildBmp(kPicWidth, kPicHeight, px));
}

inline std::string TwoTargetSolution() {
  return AsText(SolutionBuilder().Header(1, 0).Target(kTargetA[0], kTargetA[1]).Target(kTargetB[0], kTargetB[1])
                    .Stray(0, 0).Bytes());
}

inline std::string ClueBmp() { return AsText(BuildBmp(4, 2, std::vector<uint32_t>(8, 0x00FF00))); }

// Sets an environment variable for the life of the object.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~EnvVar() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class ShellTest : public ::testing::Test {
 public:
  ShellTest() {
    ui.core.OnTimer(GameTimer::Timer1, [this] { RunTopLevel(ui, [this] { Timer1Timer(shell.GameContext()); }); });
    ui.core.OnTimer(GameTimer::Timer2, [this] { RunTopLevel(ui, [this] { Timer2Timer(shell.GameContext()); }); });
    ui.onClose = [this] { shell.FormClose(); };
    ui.onDeleteExtracted = [this] { shell.DeleteExtractedFiles(); };
  }
  ~ShellTest() override { shell.Archive().UnloadEngine(); }

  void CopyEngine() {
    std::filesystem::copy_file(ENGINE_PATH, program.File("libunzeng.so"),
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::string Exe() const { return program.File("tintaro"); }
  std::string Work() const { return program.File("TTMP"); }
  std::string WorkFile(const std::string& name) const { return Work() + "/" + name; }

  // FormCreate and the first activation, as the program starts.
  void Start(const std::vector<std::string>& args = {}, bool withEngine = true) {
    if (withEngine) CopyEngine();
    shell.FormCreate(Exe(), args);
    RunTopLevel(ui, [this] { shell.FormActivate(); });
  }
  void WriteIntro(const std::string& solution = TwoTargetSolution()) {
    ASSERT_TRUE(ZipWriter().Add("TRO3.bmp", TwoBoxBmp()).Add("TRO3.trs", solution).Comment("intro")
                    .WriteTo(program.File("TRO3.trz")));
  }
  // A Load with the dialog answering `path` (or Cancel).
  void Load(std::optional<std::string> path) {
    ui.openAnswers.push_back(std::move(path));
    RunTopLevel(ui, [this] { shell.LoadButtonClick(); });
  }
  std::string Puzzle(const std::string& file, const ZipWriter& zip) {
    const std::string path = files.File(file);
    EXPECT_TRUE(zip.WriteTo(path));
    return path;
  }
  static ZipWriter GoodPuzzle(const std::string& base) {
    ZipWriter z;
    z.Add(base + ".bmp", TwoBoxBmp()).Add(base + ".trs", TwoTargetSolution()).Add("spi" + base + ".bmp", ClueBmp());
    return z;
  }
  std::vector<std::string> WorkNames() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Work())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Events from the first that starts with `prefix` on.
  std::vector<std::string> EventsFrom(const std::string& prefix) const {
    auto it = std::find_if(ui.events.begin(), ui.events.end(),
                           [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    return {it, ui.events.end()};
  }

  TempFolder program;
  TempFolder files;
  FakeShellUi ui;
  TintaroShell shell{ui};
  PuzzleState& state = shell.State();
};

}  // namespace tintaro::test
