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

}  // namespace tintaro::qt
