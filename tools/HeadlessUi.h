// A window system that shows nothing: the checker plays a puzzle's solution
// through the game's own rules and reads back the messages they showed.
#pragma once

#include <string>
#include <vector>

#include "core/GameUi.h"

namespace tintaro::tools {

class HeadlessUi : public GameUi {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  // No to every question: the player would rather solve alone.
  bool AskYesNo(const std::string&) override { return false; }
  void Beep() override {}
  // The checker's temporary folder goes whole once the puzzle is checked.
  void DeleteExtractedFiles() override {}
  void SetButtonEnabled(CommandButton, bool) override {}
  bool ButtonEnabled(CommandButton) const override { return true; }
  void SetButtonIndeterminate(CommandButton, bool) override {}
  bool ButtonIndeterminate(CommandButton) const override { return false; }
  void SetRepaintDown(bool down) override { repaintDown_ = down; }
  bool RepaintDown() const override { return repaintDown_; }
  PlayMode SelectedMode() const override { return mode_; }
  void SelectMode(PlayMode mode) override { mode_ = mode; }
  bool ShowOptionsDialog() override { return false; }
  void ShowClueWindow() override {}
  void HideClueWindow() override {}
  void ShowAboutBox() override {}
  void HideAboutBox() override {}
  void SetTimerEnabled(GameTimer t, bool on) override { enabled_[static_cast<int>(t)] = on; }
  bool TimerEnabled(GameTimer t) const override { return enabled_[static_cast<int>(t)]; }
  void SetTimerInterval(GameTimer t, int ms) override { interval_[static_cast<int>(t)] = ms; }
  int TimerInterval(GameTimer t) const override { return interval_[static_cast<int>(t)]; }
  // The main window's outer size as laid out; the random floods aim inside it.
  int WindowWidth() const override { return 661; }
  int WindowHeight() const override { return 571; }
  void ProcessPendingEvents() override {}
  // A fixed noon, so a check of the same file always plays the same game.
  uint32_t MillisecondsSinceMidnightUtc() const override { return 43'200'000; }

  std::vector<std::string> messages;

 private:
  bool repaintDown_ = true;
  PlayMode mode_ = PlayMode::Normal;
  bool enabled_[2] = {false, false};
  int interval_[2] = {1000, 100};
};

}  // namespace tintaro::tools
