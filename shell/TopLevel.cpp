// The event loop's edge: whatever a handler lets out becomes the error box.
#include "shell/TopLevel.h"

#include <exception>

#include "core/Errors.h"

namespace tintaro {

void RunTopLevel(ShellUi& ui, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    // tintaro::Exception is a std::exception; both show their message.
    ui.ShowErrorBox(TopLevelErrorText(e.what()));
  } catch (...) {
    // Nothing may unwind into the window system's event loop.
    ui.ShowErrorBox(TopLevelErrorText("Unexpected failure"));
  }
}

}  // namespace tintaro
