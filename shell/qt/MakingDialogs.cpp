#include "shell/qt/MakingDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>
#include <QVBoxLayout>

namespace tintaro::qt {

namespace {

constexpr const char* kDifficulties[] = {"easy", "medium", "hard"};
// How long a process may take to start or to die once killed.
constexpr int kProcessWaitMs = 5000;

}  // namespace

DifficultyDialog::DifficultyDialog(const QString& pictureName, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DifficultyDialog"));
  setWindowTitle(QStringLiteral("Make a Puzzle"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Make a puzzle of %1.\nHow hard should it be?").arg(pictureName), this);
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  choice_ = new QComboBox(this);
  choice_->addItems({QStringLiteral("Easy"), QStringLiteral("Medium"), QStringLiteral("Hard")});
  choice_->setCurrentIndex(1);
  layout->addWidget(choice_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

std::string DifficultyDialog::Difficulty() const {
  const int index = choice_->currentIndex();
  return kDifficulties[index >= 0 && index < 3 ? index : 1];
}

ToolRun ProcessRunner::Run(const std::string& program, const std::vector<std::string>& arguments,
                           int timeLimitMs, const std::string& what) {
  ToolRun result;
  QProcess process;
  process.setProgram(QString::fromStdString(program));
  QStringList args;
  for (const std::string& a : arguments) args << QString::fromStdString(a);
  process.setArguments(args);
  process.setStandardOutputFile(QProcess::nullDevice());
  process.start();
  if (!process.waitForStarted(kProcessWaitMs)) {
    process.kill();
    process.waitForFinished(kProcessWaitMs);
    return result;
  }

  QProgressDialog dialog(QString::fromStdString(what) + QStringLiteral("..."), QStringLiteral("Cancel"), 0, 0,
                         parent_);
  dialog.setWindowTitle(QStringLiteral("Tintaro"));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);

  QEventLoop loop;
  bool cancelled = false;
  bool timedOut = false;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    loop.quit();
  });
  const auto cancel = [&] {
    cancelled = true;
    loop.quit();
  };
  QObject::connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
  // A termination request rejects the modal dialog in front.
  QObject::connect(&dialog, &QDialog::rejected, &loop, cancel);
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  limit.start(timeLimitMs);
  dialog.show();
  if (onShown) onShown(dialog);
  if (process.state() != QProcess::NotRunning && !cancelled) loop.exec();
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished(kProcessWaitMs);
  }
  dialog.hide();
  result.errorOutput = process.readAllStandardError().toStdString();
  if (cancelled) {
    result.end = ToolRun::End::Cancelled;
  } else if (timedOut) {
    result.end = ToolRun::End::TimedOut;
  } else {
    result.end = ToolRun::End::Exited;
    // A crash is no success, whatever its code.
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  return result;
}

}  // namespace tintaro::qt
