// Where the main window goes: the design's outer size, frame included,
// centred on the screen's available area and kept inside it, title bar
// first, however large the frame or small the screen.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace tintaro::qt {

// The client-area geometry (what QWidget::setGeometry takes) for a window
// whose frame adds `frame` around the client area.
QRect FittedClientGeometry(const QSize& outer, const QMargins& frame, const QRect& available);

}  // namespace tintaro::qt
