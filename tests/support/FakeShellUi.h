// The scripted window system of the shell's tests: FakeUi plus the open
// dialog's answers, the caption, the scroll box, a real surface for the Clue
// window's picture, and records of help, web page, close and error boxes,
// all in FakeUi's event log.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "core/picture/PaintSurface.h"
#include "shell/ShellUi.h"
#include "support/FakeUi.h"

namespace tintaro::test {

class FakeShellUi : public ShellUi {
 public:
  // GameUi, answered by the embedded FakeUi so both share one log.
  void ShowMessage(const std::string& text) override { core.ShowMessage(text); }
  bool AskYesNo(const std::string& text) override { return core.AskYesNo(text); }
  void Beep() override { core.Beep(); }
  void SetButtonEnabled(CommandButton b, bool on) override { core.SetButtonEnabled(b, on); }
  bool ButtonEnabled(CommandButton b) const override { return core.ButtonEnabled(b); }
  void SetButtonIndeterminate(CommandButton b, bool on) override { core.SetButtonIndeterminate(b, on); }
  bool ButtonIndeterminate(CommandButton b) const override { return core.ButtonIndeterminate(b); }
  void SetRepaintDown(bool down) override { core.SetRepaintDown(down); }
  bool RepaintDown() const override { return core.RepaintDown(); }
  PlayMode SelectedMode() const override { return core.SelectedMode(); }
  void SelectMode(PlayMode mode) override { core.SelectMode(mode); }
  bool ShowOptionsDialog() override { return core.ShowOptionsDialog(); }
  void ShowClueWindow() override { core.ShowClueWindow(); }
  void HideClueWindow() override { core.HideClueWindow(); }
  void ShowAboutBox() override { core.ShowAboutBox(); }
  void HideAboutBox() override;
  void SetTimerEnabled(GameTimer t, bool on) override { core.SetTimerEnabled(t, on); }
  bool TimerEnabled(GameTimer t) const override { return core.TimerEnabled(t); }
  void SetTimerInterval(GameTimer t, int ms) override { core.SetTimerInterval(t, ms); }
  int TimerInterval(GameTimer t) const override { return core.TimerInterval(t); }
  int WindowWidth() const override { return core.WindowWidth(); }
  int WindowHeight() const override { return core.WindowHeight(); }
  void DeleteExtractedFiles() override {
    core.DeleteExtractedFiles();
    if (onDeleteExtracted) onDeleteExtracted();
  }
  void ProcessPendingEvents() override {
    core.ProcessPendingEvents();
    if (whilePending) whilePending();
  }
  uint32_t MillisecondsSinceMidnightUtc() const override { return core.MillisecondsSinceMidnightUtc(); }

  // ShellUi.
  std::optional<std::string> ShowOpenDialog(const std::string& title, const std::string& filter,
                                            const std::string& firstFolder) override;
  std::optional<std::string> ShowSaveDialog(const std::string& title, const std::string& filter,
                                            const std::string& firstFolder,
                                            const std::string& suggestedName) override;
  std::optional<std::string> AskDifficulty(const std::string& name) override;
  void SetCaption(const std::string& text) override;
  int ScrollBoxWidth() const override { return scrollBoxWidth; }
  int ScrollBoxHeight() const override { return scrollBoxHeight; }
  void SetScrollPositions(int horizontal, int vertical) override;
  void SetImagePosition(int left, int top) override;
  void LoadCluePicture(const std::string& path) override;
  void ClearCluePicture() override;
  void OpenHelp(const std::string& helpFile, const std::string& topic) override;
  void OpenWebPage() override;
  void CloseMainWindow() override;
  void ShowErrorBox(const std::string& text) override;

  // The game core's fake; its `events` is the one log of everything.
  FakeUi core;
  std::vector<std::string>& events = core.events;

  // The open dialog's answers, front first: a path, or nothing for Cancel.
  // An empty script cancels.
  std::deque<std::optional<std::string>> openAnswers;
  // The save dialog's answers, likewise; an empty script cancels.
  std::deque<std::optional<std::string>> saveAnswers;
  // The difficulty dialog's answers; an empty script takes the default.
  std::deque<std::optional<std::string>> difficultyAnswers;
  std::string caption;
  int scrollBoxWidth = 653;
  int scrollBoxHeight = 491;
  int imageLeft = 0, imageTop = 0;
  PaintSurface clueSurface;
  bool closed = false;
  std::vector<std::string> errorBoxes;
  // Runs each time pending events are let through (clicks during an extraction).
  std::function<void()> whilePending;
  // Answers the load reset's request to delete the extracted files, as the
  // window hands it to the shell.
  std::function<void()> onDeleteExtracted;
  // Runs as part of CloseMainWindow, where the window would run FormClose.
  std::function<void()> onClose;

 private:
  void RunModal();
};

}  // namespace tintaro::test
