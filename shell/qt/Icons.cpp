// Renders the SVG pictures compiled into the program's resources.
#include "shell/qt/Icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace tintaro::qt {
namespace {

// ImageList1 in index order; the toolbar table refers to these numbers.
constexpr const char* kImageListFiles[kImageListCount] = {
    ":/icons/clue.svg", ":/icons/giveup.svg", ":/icons/repaint.svg", ":/icons/load.svg",
    ":/icons/hint.svg", ":/icons/help.svg",   ":/icons/options.svg", ":/icons/about.svg",
};

// A parsed drawing drawn into exactly `pixels`.
QImage RenderPixels(QSvgRenderer& renderer, QSize pixels) {
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  painter.end();
  return image;
}

QImage RenderPixels(const QString& resource, QSize pixels) {
  QSvgRenderer renderer(resource);
  return RenderPixels(renderer, pixels);
}

QImage Render(const QString& resource, QSize size, qreal dpr) {
  QImage image = RenderPixels(resource, QSize(static_cast<int>(std::ceil(size.width() * dpr)),
                                              static_cast<int>(std::ceil(size.height() * dpr))));
  image.setDevicePixelRatio(dpr);
  return image;
}

// A toolbar picture drawn when Qt first asks for it at a pixel size, so
// start-up draws only what the toolbar shows, at the screen's own density.
class ToolIconEngine : public QIconEngine {
 public:
  ToolIconEngine(int index, bool greyed) : index_(index), greyed_(greyed) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const QSize pixels = actualSize(size, mode, QIcon::Off);
    if (pixels.isEmpty() || index_ < 0 || index_ >= kImageListCount) return {};
    const bool grey = greyed_ || mode == QIcon::Disabled;
    const auto key = std::make_tuple(pixels.width(), pixels.height(), grey);
    if (auto it = pixmaps_.find(key); it != pixmaps_.end()) return it->second;
    const QImage image = RenderPixels(QString::fromLatin1(kImageListFiles[index_]), pixels);
    return pixmaps_.emplace(key, QPixmap::fromImage(grey ? Greyed(image) : image)).first->second;
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    QPixmap picture = pixmap(QSize(static_cast<int>(std::ceil(rect.width() * dpr)),
                                   static_cast<int>(std::ceil(rect.height() * dpr))),
                             mode, state);
    picture.setDevicePixelRatio(dpr);
    painter->drawPixmap(rect, picture);
  }

  // Square, as drawn.
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = qMin(size.width(), size.height());
    return QSize(side, side);
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(kToolImageSide, kToolImageSide)};
  }

  QString key() const override { return QStringLiteral("tintaro-tool"); }
  QIconEngine* clone() const override { return new ToolIconEngine(*this); }

 private:
  int index_;
  bool greyed_;
  std::map<std::tuple<int, int, bool>, QPixmap> pixmaps_;
};

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

QIcon ToolIcon(int index, bool greyed) { return QIcon(new ToolIconEngine(index, greyed)); }

QIcon ProgramIcon() {
  // Every window asks for it; it is parsed and drawn once.
  static const std::vector<QImage> sizes = [] {
    QSvgRenderer renderer(QStringLiteral(":/icons/tintaro.svg"));
    std::vector<QImage> images;
    for (int side : {16, 32, 48, 64, 128}) images.push_back(RenderPixels(renderer, QSize(side, side)));
    return images;
  }();
  QIcon icon;
  for (const QImage& image : sizes) icon.addPixmap(QPixmap::fromImage(image));
  return icon;
}

QImage ProductPicture(QSize size, qreal devicePixelRatio) {
  return Render(QStringLiteral(":/icons/product.svg"), size, devicePixelRatio);
}

}  // namespace tintaro::qt
