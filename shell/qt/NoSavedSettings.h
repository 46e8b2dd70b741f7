// The program keeps no settings between runs, but Qt's own widgets do (the
// open dialog saves its history and sidebar to QtProject.conf when it
// closes). This points Qt's per-user settings at a place where no file can
// ever be made.
#pragma once

namespace tintaro::qt {

// Call once, before any window exists.
void WriteNoSettings();

}  // namespace tintaro::qt
