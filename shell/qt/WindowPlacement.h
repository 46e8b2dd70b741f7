// Where the main window goes: the design's outer size, frame included,
// centred on the screen's available area and kept inside it, title bar
// first, however large the frame or small the screen.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tintaro::qt {

// The client-area geometry (what QWidget::setGeometry takes) for a window
// whose frame adds `frame` around the client area.
QRect FittedClientGeometry(const QSize& outer, const QMargins& frame, const QRect& available);

// Where a window of outer size `size` goes beside the main window's frame,
// top edges aligned: to its right, else to its left; when neither side of
// the available area has room, against the screen edge of the wider side,
// so that as much of the game as possible stays in view.
QPoint BesidePosition(const QRect& mainFrame, const QSize& size, const QRect& available);

// The outer size of a window of client size `client` whose frame reads
// `frame`: before a window is first shown the window system has not framed
// it and its frame is its client area, so the decoration the main window
// got (`decoration`, its frame less its client area) is added.
QSize OuterSize(const QSize& client, const QSize& frame, const QSize& decoration);

}  // namespace tintaro::qt
