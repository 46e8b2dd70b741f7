// The event loop's edge: a failure that no handler catches ends the handler
// and is shown in the top-level error box; the program goes on.
#pragma once

#include <functional>

#include "shell/ShellUi.h"

namespace tintaro {

void RunTopLevel(ShellUi& ui, const std::function<void()>& handler);

}  // namespace tintaro
