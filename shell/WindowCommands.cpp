// The main window's Help and About commands, the About box's buttons and the
// centring of the picture in the scroll box.
#include <algorithm>

#include "shell/ShellMessages.h"
#include "shell/TintaroShell.h"

namespace tintaro {

void TintaroShell::HelpButtonClick() { ui_.OpenHelp(shellmsg::kHelpFile, shellmsg::kHelpTopic); }

void TintaroShell::AboutButtonClick() { ui_.ShowAboutBox(); }

void TintaroShell::FormResize() {
  // Integer division truncates toward zero, as the layout rule asks.
  const int left = std::max(0, (ui_.ScrollBoxWidth() - surface_.ControlWidth()) / 2);
  const int top = std::max(0, (ui_.ScrollBoxHeight() - surface_.ControlHeight()) / 2);
  ui_.SetImagePosition(left, top);
}

void TintaroShell::AboutOkButtonClick() {
  ui_.HideAboutBox();
  // Until a puzzle is accepted every closing of the box greets again.
  if (state_.WelcomeMode) ui_.ShowMessage(shellmsg::kWelcome);
}

void TintaroShell::AboutHelpButtonClick() { ui_.OpenHelp(shellmsg::kAboutHelpFile, shellmsg::kHelpTopic); }

void TintaroShell::AboutWebButtonClick() { ui_.OpenWebPage(); }

}  // namespace tintaro
