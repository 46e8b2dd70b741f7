#include "shell/qt/NoSavedSettings.h"

#include <QSettings>
#include <QString>

namespace tintaro::qt {

void WriteNoSettings() {
  // /dev/null is not a folder, so nothing can be created below it: writes
  // fail quietly and reads find nothing.
  const QString nowhere = QStringLiteral("/dev/null");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

}  // namespace tintaro::qt
