// Shared set-up of the rules tests: a game after its first activation, with a
// scratch folder for picture and solution files and the timers wired to
// their handlers.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/Disturbance.h"
#include "core/Game.h"
#include "core/Hints.h"
#include "core/PaintSurface.h"
#include "core/PuzzleState.h"
#include "support/FakeUi.h"

namespace tintaro::test {

class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tintaro_rules_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() {
    ResetAtWindowCreation(state);
    PrepareFirstActivation(state, ui);
    state.IntroPending = false;
    ui.OnTimer(GameTimer::Timer1, [this] { Timer1Timer(game); });
    ui.OnTimer(GameTimer::Timer2, [this] { Timer2Timer(game); });
  }

  // What a successful Load leaves behind, without the archive.
  void LoadReset() {
    ResetForLoad(state, ui);
    state.ArchivePath = folder.File("puzzle.tro");
    ui.buttonChanges.clear();
    ui.events.clear();
  }

  ScratchFolder folder;
  PuzzleState state;
  PaintSurface surface;
  FakeUi ui;
  Game game{state, surface, ui};
};

}  // namespace tintaro::test
