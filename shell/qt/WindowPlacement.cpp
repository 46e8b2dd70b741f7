// The main window's placement.
#include "shell/qt/WindowPlacement.h"

#include <algorithm>

namespace tintaro::qt {

QRect FittedClientGeometry(const QSize& outer, const QMargins& frame, const QRect& available) {
  const QSize frameExtra(frame.left() + frame.right(), frame.top() + frame.bottom());
  // Never larger than the screen can show.
  const QSize size = outer.boundedTo(available.size());
  QPoint corner(available.x() + (available.width() - size.width()) / 2,
                available.y() + (available.height() - size.height()) / 2);
  corner.setX(std::max(corner.x(), available.x()));
  corner.setY(std::max(corner.y(), available.y()));
  return QRect(corner + QPoint(frame.left(), frame.top()), (size - frameExtra).expandedTo(QSize(1, 1)));
}

std::optional<QPoint> BesidePosition(const QRect& mainFrame, const QSize& size, const QRect& available) {
  const int top = std::clamp(mainFrame.top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
  const QRect right(QPoint(mainFrame.right() + 1, top), size);
  if (available.contains(right)) return right.topLeft();
  const QRect left(QPoint(mainFrame.left() - size.width(), top), size);
  if (available.contains(left)) return left.topLeft();
  return std::nullopt;
}

}  // namespace tintaro::qt
