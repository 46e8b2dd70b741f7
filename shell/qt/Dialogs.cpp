// Layout and behaviour of the four small windows, at the positions and sizes
// they were designed with (logical pixels).
#include "shell/qt/Dialogs.h"

#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "shell/qt/Icons.h"

namespace tintaro::qt {
namespace {

// The designed text size of the dialogs (an 8 point face at 96 dots per inch).
constexpr int kDialogFontPixels = 11;

// A fixed dialog frame with a close button only. A title bar with no button
// at all is no request under X11 (window managers then draw every button),
// so the Clue window and the About box get the close button too, and closing
// them does what their OK does.
constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

QFont DialogFont(bool bold) {
  QFont font = QGuiApplication::font();
  font.setPixelSize(kDialogFontPixels);
  font.setBold(bold);
  return font;
}

template <typename W, typename... Args>
W* Place(QWidget* parent, int x, int y, int width, int height, Args&&... args) {
  W* widget = new W(std::forward<Args>(args)..., parent);
  widget->setGeometry(x, y, width, height);
  return widget;
}

QFrame* BevelPanel(QWidget* parent, int x, int y, int width, int height) {
  auto* panel = Place<QFrame>(parent, x, y, width, height);
  // Raised inside a lowered edge.
  panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setMidLineWidth(0);
  return panel;
}

}  // namespace

void FixClientSize(QWidget* window, int width, int height) { window->setFixedSize(width, height); }

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  // A window's position is its frame's top-left corner.
  const QSize frame = window->frameGeometry().size();
  window->move(screen->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void ShowInFront(QWidget* window, bool& placed) {
  if (!placed) {
    placed = true;
    CentreOnScreen(window);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

// ---- Options

TOptions::TOptions(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setObjectName(QStringLiteral("Options"));
  setWindowTitle(QStringLiteral("Options"));
  setFont(DialogFont(true));
  FixClientSize(this, 311, 213);
  setModal(true);
  // A frame only: the options are the dialog's own children, drawn over it.
  // Its title comes when the dialog is first shown.
  RadioGroup1 = Place<QGroupBox>(this, 64, 32, 185, 121);
  RadioButton1 = Place<QRadioButton>(this, 120, 56, 105, 17, QStringLiteral("Normal"));
  RadioButton2 = Place<QRadioButton>(this, 120, 88, 73, 17, QStringLiteral("Crazy"));
  RadioButton3 = Place<QRadioButton>(this, 120, 120, 113, 17, QStringLiteral("Insane"));
  OKBtn = Place<QPushButton>(this, 128, 168, 81, 25, QStringLiteral("Ok"));
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  RadioButton1->setChecked(true);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

PlayMode TOptions::SelectedMode() const {
  if (RadioButton3->isChecked()) return PlayMode::Insane;
  if (RadioButton2->isChecked()) return PlayMode::Crazy;
  return PlayMode::Normal;
}

void TOptions::SelectMode(PlayMode mode) {
  QRadioButton* button = mode == PlayMode::Crazy ? RadioButton2 : mode == PlayMode::Insane ? RadioButton3 : RadioButton1;
  button->setChecked(true);
}

void TOptions::setVisible(bool visible) {
  // A group box measures its title as the title is set, and that would be
  // the first text laid out: it loads the font database, which the game's
  // first picture does not need.
  if (visible) RadioGroup1->setTitle(QStringLiteral("Mode"));
  QDialog::setVisible(visible);
}

bool TOptions::Run() {
  if (!placed_) {
    placed_ = true;
    CentreOnScreen(this);
  }
  // The checked option stays whatever the result: it is the game's mode.
  return exec() == QDialog::Accepted;
}

// ---- Clue window

void StretchedPicture::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void StretchedPicture::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(rect(), image_);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("Clue"));
  setFont(DialogFont(false));
  FixClientSize(this, 161, 183);
  Panel1 = BevelPanel(this, 8, 8, 145, 145);
  ProgramIcon = Place<StretchedPicture>(Panel1, 8, 8, 129, 129);
  OKButton = Place<QPushButton>(this, 56, 160, 58, 21, QStringLiteral("OK"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QWidget::hide);
}

void TAboutBox::LoadPicture(const std::string& path) {
  surface_.LoadPicture(path);
  const Picture& picture = surface_.CurrentPicture();
  // The window keeps its own opaque copy (the X byte of the surface's pixels
  // is 0, not the 255 that Qt expects).
  ProgramIcon->SetImage(QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                               picture.height, static_cast<qsizetype>(picture.width) * 4,
                               QImage::Format_RGBX8888)
                            .convertToFormat(QImage::Format_RGB32));
}

void TAboutBox::ShowBeside(const QWidget* mainWindow) {
  if (!placed_ && mainWindow) {
    placed_ = true;
    const QRect main = mainWindow->frameGeometry();
    move(main.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  show();
  raise();
  activateWindow();
}

// ---- About box

TAboutBoxTRO::TAboutBoxTRO(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setObjectName(QStringLiteral("AboutBoxTRO"));
  setWindowTitle(QStringLiteral("About Tintaro!"));
  setFont(DialogFont(false));
  FixClientSize(this, 368, 239);
  Panel1 = BevelPanel(this, 8, 24, 145, 129);
  // The product picture is drawn when the box is first shown.
  ProgramIcon = Place<StretchedPicture>(Panel1, 8, 8, 129, 113);
  Label1 = Place<QLabel>(this, 192, 48, 112, 20, QStringLiteral("Tintaro! 1.0"));
  QFont title = font();
  title.setPixelSize(16);
  title.setBold(true);
  Label1->setFont(title);
  Label2 = Place<QLabel>(this, 192, 96, 103, 39,
                         QStringLiteral("\u00A9 2026 Tintaro developers. MIT licence."));
  Label2->setWordWrap(true);
  Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  OKButton = Place<QPushButton>(this, 40, 200, 75, 25, QStringLiteral("OK"));
  WebButton = Place<QPushButton>(this, 152, 200, 75, 25, QStringLiteral("WWW"));
  HelpButton = Place<QPushButton>(this, 256, 200, 75, 25, QStringLiteral("Help"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] {
    if (onOk) onOk();
  });
  connect(WebButton, &QPushButton::clicked, this, [this] {
    if (onWeb) onWeb();
  });
  connect(HelpButton, &QPushButton::clicked, this, [this] {
    if (onHelp) onHelp();
  });
}

void TAboutBoxTRO::ShowCentred() { ShowInFront(this, placed_); }

void TAboutBoxTRO::setVisible(bool visible) {
  // The product picture's lettering is the first text the program would
  // lay out; drawn at start-up, it would load the font database before the
  // game's first picture.
  if (visible && ProgramIcon->Image().isNull()) {
    ProgramIcon->SetImage(ProductPicture(ProgramIcon->size(), devicePixelRatioF()));
  }
  QDialog::setVisible(visible);
}

void TAboutBoxTRO::reject() {
  // The greeting follows every closing of the box, however it is closed.
  if (onOk) onOk();
  else hide();
}

// ---- Hint Limit

TOkCanclDlg::TOkCanclDlg(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setObjectName(QStringLiteral("OkCanclDlg"));
  setWindowTitle(QStringLiteral("Hint Limit"));
  setFont(DialogFont(false));
  FixClientSize(this, 311, 213);
  Bevel1 = Place<QFrame>(this, 8, 8, 297, 153);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Label1 = Place<QLabel>(this, 56, 32, 195, 20, QStringLiteral("Specify Number of Hints"));
  QFont title = font();
  title.setPixelSize(16);
  title.setBold(true);
  Label1->setFont(title);
  Label1->setAlignment(Qt::AlignCenter);
  // A palette, not a style sheet: a style sheet puts a style of its own on
  // the label and parses and polishes at once.
  QPalette red = Label1->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  Label1->setPalette(red);
  OKBtn = Place<QPushButton>(this, 71, 180, 75, 25, QStringLiteral("OK"));
  CancelBtn = Place<QPushButton>(this, 151, 180, 75, 25, QStringLiteral("Cancel"));
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* TOkCanclDlg::Edit1() {
  if (!edit1_) {
    edit1_ = Place<QLineEdit>(this, 144, 104, 33, 21, QStringLiteral("0"));
    edit1_->setValidator(new QIntValidator(0, 999, edit1_));
    // Between the label and the buttons, in stacking and in tab order, as if
    // made in its turn.
    edit1_->stackUnder(OKBtn);
    QWidget::setTabOrder(edit1_, OKBtn);
    QWidget::setTabOrder(OKBtn, CancelBtn);
  }
  return edit1_;
}

void TOkCanclDlg::setVisible(bool visible) {
  if (visible) Edit1();
  QDialog::setVisible(visible);
}

}  // namespace tintaro::qt
