#include "shell/qt/ApplicationSetup.h"

#include <QApplication>
#include <QProxyStyle>
#include <QSettings>
#include <QString>

#include "shell/qt/Icons.h"

namespace tintaro::qt {
namespace {

// Dialog and message-box buttons carry their words only; without a desktop's
// own theme the fallback style would put arrows and ticks on them.
class PlainDialogButtons : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

void NameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("Tintaro"));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
}

void SetUpApplication() {
  NameApplication();
  // Task bars match the window to its launcher by this name (Wayland's app
  // id); under X11 the window's class is the application name, which the
  // desktop entry names as its StartupWMClass.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.tintaro.Tintaro"));
  QApplication::setWindowIcon(ProgramIcon());
  QApplication::setStyle(new PlainDialogButtons);
  // /dev/null is not a folder, so nothing can be created below it: writes
  // fail quietly and reads find nothing.
  const QString nowhere = QStringLiteral("/dev/null");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

}  // namespace tintaro::qt
