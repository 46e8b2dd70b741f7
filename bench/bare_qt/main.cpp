// The start-up benchmark's anchor: the least a Qt Widgets program does to
// show one window of the main window's size with a picture painted in it.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

constexpr int kWindowWidth = 661;
constexpr int kWindowHeight = 571;
constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 200;
constexpr int kCell = 20;

// Black grid lines on white, like a puzzle picture: the benchmark knows the
// frame is painted when it sees the black pixels.
QImage GridPicture() {
  QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < kPictureHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kPictureWidth; ++x) {
      if (x % kCell == 0 || y % kCell == 0) row[x] = qRgb(0, 0, 0);
    }
  }
  return image;
}

class PictureWindow : public QWidget {
 public:
  PictureWindow() : picture_(GridPicture()) {
    setWindowTitle(QStringLiteral("Bare Qt"));
    resize(kWindowWidth, kWindowHeight);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
  }

 private:
  QImage picture_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PictureWindow window;
  window.show();
  return QApplication::exec();
}
