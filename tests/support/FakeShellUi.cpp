// The scripted window system of the shell's tests.
#include "support/FakeShellUi.h"

namespace tintaro::test {

void FakeShellUi::RunModal() {
  ++core.modalDepth;
  if (core.whileModal) core.whileModal();
  --core.modalDepth;
}

void FakeShellUi::HideAboutBox() {
  // Logged: whether the Load command hid the box is part of its order.
  core.HideAboutBox();
  events.push_back("about hidden");
}

std::optional<std::string> FakeShellUi::ShowOpenDialog(const std::string& title, const std::string& filter,
                                                       const std::string& firstFolder) {
  events.push_back("open dialog: " + title + " | " + filter + " | " + firstFolder);
  RunModal();
  if (openAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = openAnswers.front();
  openAnswers.pop_front();
  return answer;
}

std::optional<std::string> FakeShellUi::ShowSaveDialog(const std::string& title, const std::string& filter,
                                                       const std::string& firstFolder,
                                                       const std::string& suggestedName) {
  events.push_back("save dialog: " + title + " | " + filter + " | " + firstFolder + " | " + suggestedName);
  RunModal();
  if (saveAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

std::optional<std::string> FakeShellUi::AskDifficulty(const std::string& name) {
  events.push_back("difficulty: " + name);
  RunModal();
  if (difficultyAnswers.empty()) return std::string("medium");
  std::optional<std::string> answer = difficultyAnswers.front();
  difficultyAnswers.pop_front();
  return answer;
}

void FakeShellUi::SetCaption(const std::string& text) {
  caption = text;
  events.push_back("caption: " + text);
}

void FakeShellUi::SetScrollPositions(int horizontal, int vertical) {
  events.push_back("scroll " + std::to_string(horizontal) + " " + std::to_string(vertical));
}

void FakeShellUi::SetImagePosition(int left, int top) {
  imageLeft = left;
  imageTop = top;
  events.push_back("image at " + std::to_string(left) + " " + std::to_string(top));
}

void FakeShellUi::LoadCluePicture(const std::string& path) {
  events.push_back("clue picture: " + path);
  clueSurface.LoadPicture(path);
}

void FakeShellUi::ClearCluePicture() {
  events.push_back("clue cleared");
  clueSurface = PaintSurface();
}

void FakeShellUi::OpenHelp(const std::string& helpFile, const std::string& topic) {
  events.push_back("help: " + helpFile + " " + topic);
}

void FakeShellUi::OpenWebPage() { events.push_back("web page"); }

void FakeShellUi::CloseMainWindow() {
  closed = true;
  events.push_back("close");
  if (onClose) onClose();
}

void FakeShellUi::ShowErrorBox(const std::string& text) {
  errorBoxes.push_back(text);
  events.push_back("error box: " + text);
  RunModal();
}

}  // namespace tintaro::test
