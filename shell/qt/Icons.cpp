// Renders the SVG pictures compiled into the program's resources.
#include "shell/qt/Icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>
#include <cmath>

namespace tintaro::qt {
namespace {

// ImageList1 in index order; the toolbar table refers to these numbers.
constexpr const char* kImageListFiles[kImageListCount] = {
    ":/icons/clue.svg", ":/icons/giveup.svg", ":/icons/repaint.svg", ":/icons/load.svg",
    ":/icons/hint.svg", ":/icons/help.svg",   ":/icons/options.svg", ":/icons/about.svg",
};

QImage Render(const QString& resource, QSize size, qreal dpr) {
  const QSize pixels(static_cast<int>(std::ceil(size.width() * dpr)),
                     static_cast<int>(std::ceil(size.height() * dpr)));
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(resource);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  painter.end();
  image.setDevicePixelRatio(dpr);
  return image;
}

// The pixel densities worth a pre-rendered copy: plain, the screens' own,
// and double for a dense screen that appears later.
QList<qreal> Densities() {
  QList<qreal> list{1.0, 2.0};
  for (const QScreen* screen : QGuiApplication::screens()) {
    const qreal dpr = screen->devicePixelRatio();
    if (!list.contains(dpr)) list.append(dpr);
  }
  return list;
}

}  // namespace

QImage ImageListEntry(int index, QSize size, qreal devicePixelRatio) {
  if (index < 0 || index >= kImageListCount) return {};
  return Render(QString::fromLatin1(kImageListFiles[index]), size, devicePixelRatio);
}

QImage Greyed(const QImage& image) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb p = row[x];
      // Grey, lightened towards white and half transparent: readable as the
      // same picture, plainly not active.
      const int grey = qGray(p);
      const int light = 128 + grey / 2;
      row[x] = qRgba(light, light, light, qAlpha(p) / 2);
    }
  }
  out = out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  out.setDevicePixelRatio(image.devicePixelRatio());
  return out;
}

QIcon ToolIcon(int index, bool greyed) {
  QIcon icon;
  for (qreal dpr : Densities()) {
    const QImage image = ImageListEntry(index, QSize(kToolImageSide, kToolImageSide), dpr);
    const QPixmap plain = QPixmap::fromImage(greyed ? Greyed(image) : image);
    const QPixmap grey = QPixmap::fromImage(Greyed(image));
    icon.addPixmap(plain, QIcon::Normal);
    icon.addPixmap(plain, QIcon::Active);
    icon.addPixmap(grey, QIcon::Disabled);
  }
  return icon;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int side : {16, 32, 48, 64, 128}) {
    icon.addPixmap(QPixmap::fromImage(Render(QStringLiteral(":/icons/tintaro.svg"), QSize(side, side), 1.0)));
  }
  return icon;
}

QImage ProductPicture(QSize size, qreal devicePixelRatio) {
  return Render(QStringLiteral(":/icons/product.svg"), size, devicePixelRatio);
}

}  // namespace tintaro::qt
