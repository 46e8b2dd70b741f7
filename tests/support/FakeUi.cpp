// The scripted window system of the tests.
#include "support/FakeUi.h"

#include <algorithm>

namespace tintaro::test {

const char* Name(CommandButton button) {
  switch (button) {
    case CommandButton::Repaint: return "Repaint";
    case CommandButton::Clue: return "Clue";
    case CommandButton::Hint: return "Hint";
    case CommandButton::Giveup: return "Giveup";
    case CommandButton::Options: return "Options";
  }
  return "?";
}

const char* Name(GameTimer timer) { return timer == GameTimer::Timer1 ? "Timer1" : "Timer2"; }

const char* Name(PlayMode mode) {
  switch (mode) {
    case PlayMode::Normal: return "Normal";
    case PlayMode::Crazy: return "Crazy";
    case PlayMode::Insane: return "Insane";
  }
  return "?";
}

void FakeUi::RunModal() {
  ++modalDepth;
  if (whileModal) whileModal();
  --modalDepth;
}

void FakeUi::ShowMessage(const std::string& text) {
  shown.push_back("message: " + text);
  messages.push_back(text);
  Record("message: " + text);
  RunModal();
}

bool FakeUi::AskYesNo(const std::string& text) {
  shown.push_back("question: " + text);
  Record("question: " + text);
  RunModal();
  if (answers.empty()) return true;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakeUi::Beep() {
  ++beeps;
  Record("beep");
}

void FakeUi::SetButtonEnabled(CommandButton button, bool enabled) {
  buttons[button].enabled = enabled;
  buttonChanges.push_back(std::string(Name(button)) + " enabled " + (enabled ? "1" : "0"));
  Record(buttonChanges.back());
}

void FakeUi::SetButtonIndeterminate(CommandButton button, bool value) {
  buttons[button].indeterminate = value;
  buttonChanges.push_back(std::string(Name(button)) + " indeterminate " + (value ? "1" : "0"));
  Record(buttonChanges.back());
}

void FakeUi::SetRepaintDown(bool down) {
  repaintDown = down;
  buttonChanges.push_back(std::string("Repaint down ") + (down ? "1" : "0"));
  Record(buttonChanges.back());
}

void FakeUi::SelectMode(PlayMode m) {
  mode = m;
  Record(std::string("mode ") + Name(m));
}

bool FakeUi::ShowOptionsDialog() {
  shown.push_back("options");
  Record("options");
  RunModal();
  if (optionsAnswers.empty()) return true;
  const OptionsAnswer answer = optionsAnswers.front();
  optionsAnswers.pop_front();
  if (answer.mode) mode = *answer.mode;
  return answer.ok;
}

void FakeUi::ShowClueWindow() {
  clueShown = true;
  Record("clue shown");
}

void FakeUi::ShowAboutBox() {
  aboutShown = true;
  Record("about shown");
}

FakeUi::ButtonState FakeUi::Button(CommandButton button) const {
  auto it = buttons.find(button);
  return it == buttons.end() ? ButtonState{} : it->second;
}

const FakeUi::TimerState& FakeUi::Timer(GameTimer timer) const {
  static const TimerState kDefault;
  auto it = timers.find(timer);
  return it == timers.end() ? kDefault : it->second;
}

void FakeUi::SetTimerEnabled(GameTimer timer, bool enabled) {
  TimerState& t = timers[timer];
  if (t.enabled == enabled) return;
  t.enabled = enabled;
  Record(std::string(Name(timer)) + " enabled " + (enabled ? "1" : "0"));
  if (enabled) {
    ++t.restarts;
    t.dueMs = nowMs + t.interval;
  }
}

void FakeUi::SetTimerInterval(GameTimer timer, int milliseconds) {
  TimerState& t = timers[timer];
  if (t.interval == milliseconds) return;
  t.interval = milliseconds;
  Record(std::string(Name(timer)) + " interval " + std::to_string(milliseconds));
  if (t.enabled) {
    ++t.restarts;
    t.dueMs = nowMs + t.interval;
  }
}

uint32_t FakeUi::MillisecondsSinceMidnightUtc() const {
  constexpr int64_t kDayMs = 86'400'000;
  return static_cast<uint32_t>((int64_t{clockMs} + nowMs) % kDayMs);
}

void FakeUi::OnTimer(GameTimer timer, std::function<void()> handler) { handlers[timer] = std::move(handler); }

int FakeUi::ticks(GameTimer timer) const {
  auto it = tickCounts.find(timer);
  return it == tickCounts.end() ? 0 : it->second;
}

bool FakeUi::Tick(GameTimer timer) {
  TimerState& t = timers[timer];
  if (!t.enabled) return false;
  t.dueMs = nowMs + t.interval;
  ++tickCounts[timer];
  Record(std::string("tick ") + Name(timer));
  if (auto it = handlers.find(timer); it != handlers.end() && it->second) it->second();
  return true;
}

void FakeUi::Advance(int64_t ms) {
  const int64_t end = nowMs + ms;
  for (;;) {
    std::optional<GameTimer> next;
    int64_t due = end + 1;
    for (GameTimer timer : {GameTimer::Timer1, GameTimer::Timer2}) {
      const TimerState& t = Timer(timer);
      if (t.enabled && t.dueMs < due) {
        due = t.dueMs;
        next = timer;
      }
    }
    if (!next) break;
    nowMs = std::max(nowMs, due);
    Tick(*next);
  }
  nowMs = end;
}

}  // namespace tintaro::test
