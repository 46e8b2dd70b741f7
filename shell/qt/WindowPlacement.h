// Where the main window goes: the design's outer size, frame included,
// centred on the screen's available area and kept inside it, title bar
// first, however large the frame or small the screen.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace tintaro::qt {

// The client-area geometry (what QWidget::setGeometry takes) for a window
// whose frame adds `frame` around the client area.
QRect FittedClientGeometry(const QSize& outer, const QMargins& frame, const QRect& available);

// Where a window of outer size `size` goes beside the main window's frame,
// top edges aligned: to its right, else to its left; nothing when neither
// side of the available area has room.
std::optional<QPoint> BesidePosition(const QRect& mainFrame, const QSize& size, const QRect& available);

}  // namespace tintaro::qt
