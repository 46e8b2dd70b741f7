// The program's own pictures: the toolbar's image list, the program icon and
// the About box's product picture, rendered from SVG at the screen's pixel
// density.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

namespace tintaro::qt {

inline constexpr int kImageListCount = 8;
inline constexpr int kToolImageSide = 39;

// ImageList1: entry `index` rendered at `size` logical pixels.
QImage ImageListEntry(int index, QSize size, qreal devicePixelRatio);
// A toolbar icon; `greyed` draws it as a command that does not apply now.
QIcon ToolIcon(int index, bool greyed);
QIcon ProgramIcon();
QImage ProductPicture(QSize size, qreal devicePixelRatio);

// A washed-out grey copy, as a disabled button draws its picture.
QImage Greyed(const QImage& image);

}  // namespace tintaro::qt
