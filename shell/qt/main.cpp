// Program entry: the application, its five windows in their order, the loop.
#include <QApplication>
#include <QCoreApplication>
#include <QCommandLineParser>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "shell/qt/ApplicationSetup.h"
#include "shell/qt/Dialogs.h"
#include "shell/qt/TTintaro.h"
#include "shell/qt/TerminationSignals.h"

namespace {

// --help and --version answer without a display: they run before the
// window system is reached.
void AnswerHelpOrVersion(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  tintaro::qt::NameApplication();
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Tintaro, a colour puzzle.\n\n"
                     "With a FILE, the game opens that puzzle (a .tro file) at once, in place\n"
                     "of its demonstration and About box. A FILE that is missing, unreadable\n"
                     "or not a puzzle gets the Load command's message, and the game then\n"
                     "starts as without it. A picture (PNG, JPEG, WebP, GIF, BMP, SVG) is\n"
                     "made into a puzzle with tromake, after asking how hard it should be.\n"
                     "A file dropped on the window opens the same way."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("log"),
                               QStringLiteral("In any letter case, as the first argument: write the diagnostic "
                                              "log TRO.log in the program folder."),
                               QStringLiteral("[log]"));
  parser.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("A puzzle (.tro) to open in place of the demonstration."),
                               QStringLiteral("[FILE]"));
  // Every other argument keeps its meaning for the game, which reads only
  // "log" and FILE, so unknown options are no error here.
  parser.parse(QCoreApplication::arguments());
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(version)) parser.showVersion();
}

bool AsksHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help" || a == "-h" || a == "-?" || a == "--help-all" || a == "--version" || a == "-v") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksHelpOrVersion(argc, argv)) AnswerHelpOrVersion(argc, argv);

  QApplication app(argc, argv);
  tintaro::qt::SetUpApplication();

  std::error_code error;
  const std::string executable = std::filesystem::read_symlink("/proc/self/exe", error).string();
  // What the window system left of the arguments, without the program's name.
  const std::vector<std::string> arguments(argv + 1, argv + argc);

  tintaro::qt::TTintaro window(executable, arguments);
  tintaro::qt::TAboutBox clue(&window);
  tintaro::qt::TOkCanclDlg hintLimit(&window);
  tintaro::qt::TOptions options(&window);
  tintaro::qt::TAboutBoxTRO about(&window);
  window.AttachWindows(&clue, &hintLimit, &options, &about);
  tintaro::qt::TerminationSignals terminationSignals;
  QObject::connect(&terminationSignals, &tintaro::qt::TerminationSignals::Received, &window,
                   &tintaro::qt::TTintaro::RequestTermination);
  window.show();
  return QApplication::exec();
}
