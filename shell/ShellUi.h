// Everything the application shell asks of the windows, beyond what the game
// core asks: the open dialog, the caption, the scroll box, the Clue window's
// picture, help and the web page, closing the program and the top-level
// error box. The Qt main window implements it; tests use a scripted fake.
#pragma once

#include <optional>
#include <string>

#include "core/GameUi.h"

namespace tintaro {

class ShellUi : public GameUi {
 public:
  // The modal open dialog. `filter` is in the "Name|*.ext|Name|*.*" form;
  // an empty `firstFolder` lets the dialog choose (the folder used last).
  // Returns the chosen file's full path, or nothing when cancelled. A typed
  // name need not exist.
  virtual std::optional<std::string> ShowOpenDialog(const std::string& title, const std::string& filter,
                                                    const std::string& firstFolder) = 0;

  // The modal save dialog, asking before it replaces a file. An empty
  // `firstFolder` lets the window choose (the player's pictures or home).
  // Returns the chosen full path, or nothing when cancelled.
  virtual std::optional<std::string> ShowSaveDialog(const std::string& title, const std::string& filter,
                                                    const std::string& firstFolder,
                                                    const std::string& suggestedName) = 0;
  // Asks how hard a puzzle made of the picture `name` should be: "easy",
  // "medium" (the default) or "hard"; nothing when cancelled.
  virtual std::optional<std::string> AskDifficulty(const std::string& name) = 0;

  virtual void SetCaption(const std::string& caption) = 0;

  // ScrollBox1: its outer size, and its horizontal and vertical positions.
  virtual int ScrollBoxWidth() const = 0;
  virtual int ScrollBoxHeight() const = 0;
  virtual void SetScrollPositions(int horizontal, int vertical) = 0;
  // Image1's top-left corner inside the scroll box; its size follows the
  // paint surface's control size.
  virtual void SetImagePosition(int left, int top) = 0;

  // Loads the picture at `path` into the Clue window's own surface with the
  // same loader as the puzzle picture, so it raises the same failure kinds.
  virtual void LoadCluePicture(const std::string& path) = 0;
  // Empties the Clue window, so a Load that fails before its clue shows no
  // other puzzle's clue.
  virtual void ClearCluePicture() = 0;

  // Opens the program's help at a topic; whether it opens is not reported.
  virtual void OpenHelp(const std::string& helpFile, const std::string& topic) = 0;
  // Asks the desktop to open the product page; the result is not checked.
  virtual void OpenWebPage() = 0;

  // Closes the main window, which ends the program once the running handler
  // returns. FormClose runs as part of the close.
  virtual void CloseMainWindow() = 0;

  // The top-level error box: error icon, captioned "Tintaro", one OK.
  virtual void ShowErrorBox(const std::string& text) = 0;
};

}  // namespace tintaro
