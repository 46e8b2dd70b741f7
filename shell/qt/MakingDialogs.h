// Making a puzzle of a picture, the Qt side: the difficulty dialog and the
// process runner that runs tromake behind a progress dialog the player may
// cancel.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "shell/ToolRunner.h"

class QComboBox;
class QProgressDialog;

namespace tintaro::qt {

// Easy / Medium / Hard, Medium first, with OK and Cancel.
class DifficultyDialog : public QDialog {
  Q_OBJECT

 public:
  DifficultyDialog(const QString& pictureName, QWidget* parent);
  // "easy", "medium" or "hard".
  std::string Difficulty() const;
  QComboBox* Choice() const { return choice_; }

 private:
  QComboBox* choice_;
};

class ProcessRunner : public ToolRunner {
 public:
  explicit ProcessRunner(QWidget* parent) : parent_(parent) {}
  ToolRun Run(const std::string& program, const std::vector<std::string>& arguments, int timeLimitMs,
              const std::string& what) override;

  // Called once the process runs and its progress dialog shows; tests
  // cancel it from here.
  std::function<void(QProgressDialog&)> onShown;

 private:
  QWidget* parent_;
};

}  // namespace tintaro::qt
