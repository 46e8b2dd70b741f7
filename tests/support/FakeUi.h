// A scripted stand-in for the window system: records what the core asks of
// it and answers questions from a script. While a "modal box" is open it runs
// the test's hook, which may fire timer ticks as the real window system does.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/GameUi.h"

namespace tintaro::test {

class FakeUi : public GameUi {
 public:
  struct TimerState {
    bool enabled = false;
    int interval = 1000;
    int restarts = 0;  // times the countdown was (re)started
  };

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override { ++beeps; }

  void SetButtonEnabled(CommandButton button, bool enabled) override { buttons[button].enabled = enabled; }
  bool ButtonEnabled(CommandButton button) const override { return Button(button).enabled; }
  void SetButtonIndeterminate(CommandButton button, bool value) override { buttons[button].indeterminate = value; }
  bool ButtonIndeterminate(CommandButton button) const override { return Button(button).indeterminate; }
  void SetRepaintDown(bool down) override { repaintDown = down; }
  bool RepaintDown() const override { return repaintDown; }

  PlayMode SelectedMode() const override { return mode; }
  void SelectMode(PlayMode m) override { mode = m; }
  bool ShowOptionsDialog() override;

  void ShowClueWindow() override { clueShown = true; }
  void HideClueWindow() override { clueShown = false; }
  void ShowAboutBox() override { aboutShown = true; }
  void HideAboutBox() override { aboutShown = false; }

  void SetTimerEnabled(GameTimer timer, bool enabled) override;
  bool TimerEnabled(GameTimer timer) const override { return Timer(timer).enabled; }
  void SetTimerInterval(GameTimer timer, int milliseconds) override;
  int TimerInterval(GameTimer timer) const override { return Timer(timer).interval; }
  const TimerState& Timer(GameTimer timer) const;

  int WindowWidth() const override { return windowWidth; }
  int WindowHeight() const override { return windowHeight; }
  void ProcessPendingEvents() override { ++pendingEventRuns; }
  uint32_t MillisecondsSinceMidnightUtc() const override { return clockMs; }

  // Everything shown, in order: "message: TEXT", "question: TEXT", "options".
  std::vector<std::string> shown;
  std::vector<std::string> messages;
  // Answers to questions, front first; Yes when the script is empty.
  std::deque<bool> answers;
  // The Options dialog's results (and the mode chosen in it), front first.
  struct OptionsAnswer {
    bool ok = true;
    PlayMode mode = PlayMode::Normal;
  };
  std::deque<OptionsAnswer> optionsAnswers;
  // Runs while any modal box is open.
  std::function<void()> whileModal;

  int beeps = 0;
  bool repaintDown = false;
  PlayMode mode = PlayMode::Normal;
  bool clueShown = false;
  bool aboutShown = false;
  int windowWidth = 661;
  int windowHeight = 571;
  int pendingEventRuns = 0;
  uint32_t clockMs = 0;

 private:
  struct ButtonState {
    bool enabled = true;
    bool indeterminate = false;
  };
  ButtonState Button(CommandButton button) const;
  void RunModal();

  std::map<CommandButton, ButtonState> buttons;
  std::map<GameTimer, TimerState> timers;
};

}  // namespace tintaro::test
