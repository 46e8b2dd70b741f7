// Everything the game core asks of the window system. The Qt window
// implements it; tests use a scripted fake. Modal boxes keep delivering timer
// ticks while they are open, as the real window system does.
#pragma once

#include <cstdint>
#include <string>

namespace tintaro {

enum class CommandButton { Repaint, Clue, Hint, Giveup, Options };
enum class PlayMode { Normal, Crazy, Insane };
enum class GameTimer { Timer1, Timer2 };

class GameUi {
 public:
  virtual ~GameUi() = default;

  // A modal box captioned "Tintaro" with one OK button and no icon.
  virtual void ShowMessage(const std::string& text) = 0;
  // A modal Yes/No box captioned "Confirm"; true only when Yes is chosen.
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void Beep() = 0;

  virtual void SetButtonEnabled(CommandButton button, bool enabled) = 0;
  virtual bool ButtonEnabled(CommandButton button) const = 0;
  virtual void SetButtonIndeterminate(CommandButton button, bool indeterminate) = 0;
  virtual bool ButtonIndeterminate(CommandButton button) const = 0;
  // The down state of the Repaint toggle: the Repaint command is on.
  virtual void SetRepaintDown(bool down) = 0;
  virtual bool RepaintDown() const = 0;

  // The Options dialog's three radio buttons.
  virtual PlayMode SelectedMode() const = 0;
  virtual void SelectMode(PlayMode mode) = 0;
  // Shows the Options dialog modally; true when it was closed with OK.
  virtual bool ShowOptionsDialog() = 0;

  // Non-modal windows: these return at once.
  virtual void ShowClueWindow() = 0;
  virtual void HideClueWindow() = 0;
  virtual void ShowAboutBox() = 0;
  virtual void HideAboutBox() = 0;

  // Setting the value a timer already has changes nothing; a new interval
  // restarts the countdown of an enabled timer.
  virtual void SetTimerEnabled(GameTimer timer, bool enabled) = 0;
  virtual bool TimerEnabled(GameTimer timer) const = 0;
  virtual void SetTimerInterval(GameTimer timer, int milliseconds) = 0;
  virtual int TimerInterval(GameTimer timer) const = 0;

  // The main window's outer size (661 x 571 as laid out).
  virtual int WindowWidth() const = 0;
  virtual int WindowHeight() const = 0;

  // The load reset's request to delete what the last extraction left in the
  // work folder, the previous puzzle's files included: the side that
  // extracted them knows which files it wrote.
  virtual void DeleteExtractedFiles() = 0;

  // Lets pending window events run (long archive work calls it).
  virtual void ProcessPendingEvents() = 0;

  // The time of day in UTC, in milliseconds since midnight (0 ... 86399999).
  virtual uint32_t MillisecondsSinceMidnightUtc() const = 0;
};

}  // namespace tintaro
