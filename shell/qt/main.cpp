// Program entry: the application, its five windows in their order, the loop.
#include <QApplication>
#include <QCommandLineParser>
#include <filesystem>
#include <system_error>

#include "shell/qt/Dialogs.h"
#include "shell/qt/TTintaro.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tintaro"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Tintaro, a colour puzzle."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("log"),
                               QStringLiteral("In any letter case, as the first argument: write the diagnostic "
                                              "log TRO.log in the program folder."),
                               QStringLiteral("[log]"));
  // Only --help and --version are acted on here; every other argument keeps
  // its meaning for the game, which reads the first one.
  parser.parse(QApplication::arguments());
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

  std::error_code error;
  const std::string executable = std::filesystem::read_symlink("/proc/self/exe", error).string();
  const std::vector<std::string> arguments(argv + 1, argv + argc);

  tintaro::qt::TTintaro window(executable, arguments);
  tintaro::qt::TAboutBox clue(&window);
  tintaro::qt::TOkCanclDlg hintLimit(&window);
  tintaro::qt::TOptions options(&window);
  tintaro::qt::TAboutBoxTRO about(&window);
  window.AttachWindows(&clue, &hintLimit, &options, &about);
  window.show();
  return QApplication::exec();
}
