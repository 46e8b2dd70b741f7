// What every run sets up before its first window: the program's names, the
// desktop file it belongs to, its icon, and no settings file.
#pragma once

namespace tintaro::qt {

// Name and version, as --help and --version show them.
void NameApplication();

// NameApplication, the desktop file name and icon, dialog buttons without
// icons, and Qt's per-user
// settings pointed where no file can be made: the program keeps no settings
// between runs, but Qt's open dialog saves its history to QtProject.conf
// when it closes. Call once the QApplication exists.
void SetUpApplication();

}  // namespace tintaro::qt
