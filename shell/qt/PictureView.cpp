// Image1 draws straight from the paint surface's buffer: 0x00BBGGRR words are
// the bytes R, G, B, X, which QImage reads as RGBX8888 without converting.
#include "shell/qt/PictureView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <optional>

#include "core/picture/PaintSurface.h"

namespace tintaro::qt {
namespace {

constexpr int kBandRows = 64;

QPoint PicturePoint(const QMouseEvent* event) {
  const QPointF p = event->position();
  return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

std::optional<MouseButton> HandlerButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::Primary;
    case Qt::RightButton:
      return MouseButton::Secondary;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

// Whether the painter draws into pixels with an alpha channel (a translucent
// backing store, a grabbed pixmap) rather than an opaque window surface.
bool TargetHasAlpha(QPainter& painter) {
  QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
  if (!device) return true;
  switch (device->devType()) {
    case QInternal::Image:
      return static_cast<QImage*>(device)->hasAlphaChannel();
    case QInternal::Pixmap:
      return static_cast<QPixmap*>(device)->hasAlphaChannel();
    default:
      return true;
  }
}

}  // namespace

PictureView::PictureView(const PaintSurface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
  setObjectName(QStringLiteral("Image1"));
  setMouseTracking(true);
  // Every exposed pixel is drawn from the buffer or left to the scroll box's
  // background, so Qt need not clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  resize(surface.ControlWidth(), surface.ControlHeight());
  shownRevision_ = surface.Revision();
}

void PictureView::Sync() {
  const QSize size(surface_.ControlWidth(), surface_.ControlHeight());
  if (this->size() != size) resize(size);
  if (isHidden() == surface_.IsShown()) setVisible(surface_.IsShown());
  const void* buffer = surface_.CurrentPicture().pixels.data();
  if (surface_.Revision() != shownRevision_ || buffer != shownBuffer_) {
    shownRevision_ = surface_.Revision();
    shownBuffer_ = buffer;
    update();
  }
}

void PictureView::paintEvent(QPaintEvent* event) {
  const Picture& picture = surface_.CurrentPicture();
  if (!surface_.IsShown() || picture.width <= 0 || picture.height <= 0) return;
  // A view over the surface's own buffer; nothing is copied.
  const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                     static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGBX8888);
  const QRect exposed = event->rect() & image.rect();
  if (exposed.isEmpty()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  // Qt copies the X byte (0 here) into a target's alpha channel, which would
  // leave the picture transparent; opaque black laid behind the drawn pixels
  // sets their alpha and keeps their colour.
  const bool setAlpha = TargetHasAlpha(painter);
  // In bands: Qt hands a fill or conversion of 96 rows or more to a pool of
  // threads, and starting them costs more than the rows of a picture; the
  // intro's first picture would wait for them.
  for (int top = exposed.top(); top <= exposed.bottom(); top += kBandRows) {
    const QRect band(exposed.left(), top, exposed.width(), qMin(kBandRows, exposed.bottom() - top + 1));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(band, image, band);
    if (setAlpha) {
      painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
      painter.fillRect(band, Qt::black);
    }
  }
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = PicturePoint(event);
  if (onMove) onMove(p.x(), p.y());
}

void PictureView::Press(QMouseEvent* event) {
  const std::optional<MouseButton> button = HandlerButton(event->button());
  if (!button) return;
  const QPoint p = PicturePoint(event);
  if (onPress) onPress(*button, p.x(), p.y());
}

void PictureView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) clickPending_ = true;
  Press(event);
}

void PictureView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double-click is a press, but its release is no click.
  if (event->button() == Qt::LeftButton) clickPending_ = false;
  Press(event);
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool click = clickPending_ && rect().contains(PicturePoint(event));
  clickPending_ = false;
  if (click && onClick) onClick();
}

}  // namespace tintaro::qt
