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

QPoint BesidePosition(const QRect& mainFrame, const QSize& size, const QRect& available) {
  const int top = std::clamp(mainFrame.top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
  const int roomRight = available.right() - mainFrame.right();
  const int roomLeft = mainFrame.left() - available.left();
  if (roomRight >= size.width()) return QPoint(mainFrame.right() + 1, top);
  if (roomLeft >= size.width()) return QPoint(mainFrame.left() - size.width(), top);
  const int left = roomRight >= roomLeft ? available.right() + 1 - size.width() : available.left();
  return QPoint(std::max(left, available.left()), top);
}

QSize OuterSize(const QSize& client, const QSize& frame, const QSize& decoration) {
  return frame == client ? client + decoration : frame;
}

}  // namespace tintaro::qt
