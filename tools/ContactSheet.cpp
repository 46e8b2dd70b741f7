// Qt lays the sheet out: smooth scaling keeps thin lines visible as grey
// rather than dropping them, and the names need a font.
#include "tools/ContactSheet.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <algorithm>

#include "tools/Render.h"

namespace tintaro::tools {

namespace {

constexpr int kPairWidth = 2 * kSheetThumbWidth + kSheetGap;
constexpr int kCellWidth = kPairWidth + kSheetMargin;
constexpr int kCellHeight = kSheetThumbHeight + kSheetCaptionHeight + kSheetMargin;

// Scaled to fit a thumbnail (never enlarged). The pixels are shown to Qt
// where they lie: a copy of a large picture would cost as much again.
QImage Thumb(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const double scale = std::min({1.0, double(kSheetThumbWidth) / picture.width, double(kSheetThumbHeight) / picture.height});
  const int w = std::max(1, static_cast<int>(picture.width * scale + 0.5));
  const int h = std::max(1, static_cast<int>(picture.height * scale + 0.5));
  const QImage view(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                    static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGBX8888);
  return view.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

// Centred in its box, framed in grey.
void DrawThumb(QPainter& painter, const QImage& thumb, int left, int top) {
  if (thumb.isNull()) return;
  const int w = thumb.width(), h = thumb.height();
  const int x = left + (kSheetThumbWidth - w) / 2, y = top + (kSheetThumbHeight - h) / 2;
  painter.drawImage(x, y, thumb);
  painter.setPen(QColor(160, 160, 160));
  painter.drawRect(x - 1, y - 1, w + 1, h + 1);
}

}  // namespace

SheetEntry MakeSheetEntry(const std::string& name, Picture& picture, const std::vector<SeedPoint>& targets) {
  SheetEntry entry{name, Thumb(picture), {}};
  PaintSolved(picture, targets);
  entry.solved = Thumb(picture);
  return entry;
}

std::string SaveContactSheet(const std::vector<SheetEntry>& entries, int columns, const std::string& path) {
  if (entries.empty()) return "no puzzles to show";
  const int perRow = std::clamp(columns, 1, kSheetMaxColumns);
  const int used = std::min(perRow, static_cast<int>(entries.size()));
  const int rows = (static_cast<int>(entries.size()) + perRow - 1) / perRow;
  QImage sheet(kSheetMargin + used * kCellWidth, kSheetMargin + rows * kCellHeight, QImage::Format_RGB32);
  sheet.fill(QColor(236, 236, 236));
  QPainter painter(&sheet);
  QFont font = painter.font();
  font.setPixelSize(kSheetCaptionHeight * 2 / 3);
  painter.setFont(font);
  for (size_t i = 0; i < entries.size(); ++i) {
    const int left = kSheetMargin + static_cast<int>(i) % perRow * kCellWidth;
    const int top = kSheetMargin + static_cast<int>(i) / perRow * kCellHeight;
    DrawThumb(painter, entries[i].unsolved, left, top);
    DrawThumb(painter, entries[i].solved, left + kSheetThumbWidth + kSheetGap, top);
    painter.setPen(Qt::black);
    painter.drawText(QRect(left, top + kSheetThumbHeight, kPairWidth, kSheetCaptionHeight),
                     Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(entries[i].name));
  }
  painter.end();
  // A palette (greys and reds are all there is) makes the file much smaller.
  const QImage indexed = sheet.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  if (!indexed.save(QString::fromStdString(path), "PNG")) return "cannot write the PNG file";
  return "";
}

}  // namespace tintaro::tools
