// The scripted window system of the tests.
#include "support/FakeUi.h"

namespace tintaro::test {

void FakeUi::RunModal() {
  if (whileModal) whileModal();
}

void FakeUi::ShowMessage(const std::string& text) {
  shown.push_back("message: " + text);
  messages.push_back(text);
  RunModal();
}

bool FakeUi::AskYesNo(const std::string& text) {
  shown.push_back("question: " + text);
  RunModal();
  if (answers.empty()) return true;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

bool FakeUi::ShowOptionsDialog() {
  shown.push_back("options");
  RunModal();
  if (optionsAnswers.empty()) return true;
  const OptionsAnswer answer = optionsAnswers.front();
  optionsAnswers.pop_front();
  if (answer.ok) mode = answer.mode;
  return answer.ok;
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
  if (enabled) ++t.restarts;
}

void FakeUi::SetTimerInterval(GameTimer timer, int milliseconds) {
  TimerState& t = timers[timer];
  if (t.interval == milliseconds) return;
  t.interval = milliseconds;
  if (t.enabled) ++t.restarts;
}

}  // namespace tintaro::test
