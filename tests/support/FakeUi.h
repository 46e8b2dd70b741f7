// A scripted stand-in for the window system: records what the core asks of
// it, in order, and answers questions from a script. While a "modal box" is
// open it runs the test's hook, which may fire timer ticks as the real window
// system does. Timers run on a simulated clock that only Advance moves.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/GameUi.h"

namespace tintaro::test {

const char* Name(CommandButton button);
const char* Name(GameTimer timer);
const char* Name(PlayMode mode);

class FakeUi : public GameUi {
 public:
  struct TimerState {
    bool enabled = false;
    int interval = 1000;
    int restarts = 0;  // times the countdown was (re)started
    int64_t dueMs = 0;  // simulated time of the next tick while enabled
  };

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override;

  void SetButtonEnabled(CommandButton button, bool enabled) override;
  bool ButtonEnabled(CommandButton button) const override { return Button(button).enabled; }
  void SetButtonIndeterminate(CommandButton button, bool value) override;
  bool ButtonIndeterminate(CommandButton button) const override { return Button(button).indeterminate; }
  void SetRepaintDown(bool down) override;
  bool RepaintDown() const override { return repaintDown; }

  PlayMode SelectedMode() const override { return mode; }
  void SelectMode(PlayMode m) override;
  bool ShowOptionsDialog() override;

  void ShowClueWindow() override;
  void HideClueWindow() override { clueShown = false; }
  void ShowAboutBox() override;
  void HideAboutBox() override { aboutShown = false; }

  void SetTimerEnabled(GameTimer timer, bool enabled) override;
  bool TimerEnabled(GameTimer timer) const override { return Timer(timer).enabled; }
  void SetTimerInterval(GameTimer timer, int milliseconds) override;
  int TimerInterval(GameTimer timer) const override { return Timer(timer).interval; }
  const TimerState& Timer(GameTimer timer) const;

  int WindowWidth() const override { return windowWidth; }
  int WindowHeight() const override { return windowHeight; }
  void DeleteExtractedFiles() override { Record("delete extracted files"); }
  void ProcessPendingEvents() override { ++pendingEventRuns; }
  // clockMs plus the simulated time that has passed, wrapped at midnight.
  uint32_t MillisecondsSinceMidnightUtc() const override;

  // The handler a timer's tick runs (set by the test).
  void OnTimer(GameTimer timer, std::function<void()> handler);
  // Delivers one tick now if the timer is enabled, as the window system would
  // (also from inside a modal box); returns whether it ran. A repeating timer
  // counts its next interval from now.
  bool Tick(GameTimer timer);
  // Moves the simulated clock on by `ms`, delivering every tick that falls
  // due on the way, earliest first (Timer1 first on a tie).
  void Advance(int64_t ms);
  int64_t NowMs() const { return nowMs; }
  // Ticks delivered so far per timer.
  int ticks(GameTimer timer) const;

  // Everything shown, in order: "message: TEXT", "question: TEXT", "options".
  std::vector<std::string> shown;
  std::vector<std::string> messages;
  // Button changes in order: "Hint enabled 0", "Hint indeterminate 1",
  // "Repaint down 1". Every call is recorded, also one that changes nothing.
  std::vector<std::string> buttonChanges;
  // Every request in order: messages, questions, beeps, button changes,
  // timer changes ("Timer2 enabled 1", "Timer2 interval 50"), windows,
  // mode selections, ticks ("tick Timer1").
  std::vector<std::string> events;
  // Answers to questions, front first; Yes when the script is empty.
  std::deque<bool> answers;
  // The Options dialog's results, front first; OK without a change when the
  // script is empty. The player's choice stays selected even on Cancel.
  struct OptionsAnswer {
    bool ok = true;
    std::optional<PlayMode> mode;
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
  int modalDepth = 0;  // boxes open right now

 private:
  struct ButtonState {
    bool enabled = true;
    bool indeterminate = false;
  };
  ButtonState Button(CommandButton button) const;
  void RunModal();
  void Record(const std::string& event) { events.push_back(event); }

  std::map<CommandButton, ButtonState> buttons;
  std::map<GameTimer, TimerState> timers;
  std::map<GameTimer, std::function<void()>> handlers;
  std::map<GameTimer, int> tickCounts;
  int64_t nowMs = 0;
};

}  // namespace tintaro::test
