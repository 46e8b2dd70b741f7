// The four small windows beside the main window: the Options dialog, the
// Clue window, the About box and the Hint Limit dialog. Each is created once
// at start-up and lives, shown or hidden, until the program ends.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

#include "core/GameUi.h"
#include "core/picture/PaintSurface.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace tintaro::qt {

// Sets a window's client area to a fixed size, without minimise or maximise.
void FixClientSize(QWidget* window, int width, int height);

// Options: the player's mode. Its radio buttons are the mode the rules read.
class TOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TOptions(QWidget* parent);
  PlayMode SelectedMode() const;
  void SelectMode(PlayMode mode);
  // Modal; true for OK, false when closed by the close box.
  bool Run();
  void setVisible(bool visible) override;

  QGroupBox* RadioGroup1;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QRadioButton* RadioButton3;
  QPushButton* OKBtn;

 private:
  bool placed_ = false;
};

// Draws a picture stretched over the whole control.
class StretchedPicture : public QWidget {
 public:
  explicit StretchedPicture(QWidget* parent) : QWidget(parent) {}
  void SetImage(const QImage& image);
  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// The Clue window: the puzzle's clue picture, stretched to 129 x 129.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent);
  // Same loader and failure kinds as the puzzle picture; on failure the
  // previous clue stays.
  void LoadPicture(const std::string& path);
  // Shows without waiting; centred on `mainWindow` the first time.
  void ShowBeside(const QWidget* mainWindow);

  QFrame* Panel1;
  StretchedPicture* ProgramIcon;
  QPushButton* OKButton;

 private:
  PaintSurface surface_;
  bool placed_ = false;
};

// The About box, which also greets the player after the intro.
class TAboutBoxTRO : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBoxTRO(QWidget* parent);
  // Shows without waiting; centred on the desktop the first time.
  void ShowCentred();
  // Escape and the window manager's close do what OK does.
  void reject() override;
  void setVisible(bool visible) override;

  // The shell's handlers, run by the main window at its event boundary.
  std::function<void()> onOk, onWeb, onHelp;

  QFrame* Panel1;
  StretchedPicture* ProgramIcon;
  QLabel* Label1;
  QLabel* Label2;
  QPushButton* OKButton;
  QPushButton* WebButton;
  QPushButton* HelpButton;

 private:
  bool placed_ = false;
};

// The Hint Limit dialog: created with the others and never shown by any
// command.
class TOkCanclDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TOkCanclDlg(QWidget* parent);

  // The number field, made when the dialog is first shown or the field is
  // asked for: an edit field lays out its text as it is made, and that first
  // text would load the font database before the game's first picture, which
  // needs none.
  QLineEdit* Edit1();
  void setVisible(bool visible) override;

  QFrame* Bevel1;
  QLabel* Label1;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 private:
  QLineEdit* edit1_ = nullptr;
};

// Moves a window so its frame is centred on the screen's available area.
void CentreOnScreen(QWidget* window);
// Shows a non-modal window in front, centred on the screen the first time
// only, so it reopens where the player left it.
void ShowInFront(QWidget* window, bool& placed);

}  // namespace tintaro::qt
