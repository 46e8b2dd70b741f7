// Image1: shows a paint surface's pixels one picture pixel per logical pixel
// and reports the pointer and the buttons in picture coordinates.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

#include "core/rules/Moves.h"

namespace tintaro {
class PaintSurface;
}

namespace tintaro::qt {

class PictureView : public QWidget {
  Q_OBJECT

 public:
  PictureView(const PaintSurface& surface, QWidget* parent);

  // Filled in by the main window; each runs one handler.
  std::function<void(int x, int y)> onMove;
  std::function<void(MouseButton button, int x, int y)> onPress;
  std::function<void()> onClick;

  // Follows the surface after a handler ran: size, visibility, and a repaint
  // when its pixels changed.
  void Sync();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Press(QMouseEvent* event);

  const PaintSurface& surface_;
  uint64_t shownRevision_ = 0;
  const void* shownBuffer_ = nullptr;
  // A left press that may still end as a click (not the second press of a
  // double-click).
  bool clickPending_ = false;
};

}  // namespace tintaro::qt
