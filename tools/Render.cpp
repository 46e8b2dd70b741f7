// Qt does the drawing; everything leaves here as plain Picture pixels.
#include "tools/Render.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

#include "tools/ClueFrame.h"
#include "tools/Regions.h"

#include "tools/SvgReferences.h"

namespace tintaro::tools {

namespace {

// Where the drawing's view box lands in a w x h picture: scaled to fit and
// centred, or placed.
QRectF TargetRect(const QRectF& box, int w, int h, const Placement& place) {
  if (!place.IsSet()) {
    const double scale = std::min(w / box.width(), h / box.height());
    return {(w - box.width() * scale) / 2, (h - box.height() * scale) / 2, box.width() * scale, box.height() * scale};
  }
  const double scale = place.scale * h / std::max(box.width(), box.height());
  const double bw = box.width() * scale, bh = box.height() * scale;
  return {place.x * w - bw / 2, place.y * h - bh / 2, bw, bh};
}

// Renders into a w x h image, white (RGB32) or clear (ARGB32), the drawing
// scaled to fit and centred, or placed.
std::string Draw(const std::string& svgText, int w, int h, bool smooth, QImage& image, const Placement& place = {},
                 bool clear = false) {
  // Qt's renderer reads linked pictures while it parses: vet the text first.
  if (std::string fault = SvgReferenceFault(svgText); !fault.empty()) return fault;
  QSvgRenderer renderer(QByteArray(svgText.data(), static_cast<qsizetype>(svgText.size())));
  if (!renderer.isValid()) return "not a valid SVG drawing";
  const QRectF box = renderer.viewBoxF();
  // Written so that a NaN, which fails every comparison, is refused too.
  if (!(box.width() > 0) || !(box.height() > 0)) return "the SVG drawing has no size";
  image = QImage(w, h, clear ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  image.fill(clear ? Qt::transparent : Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, smooth);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  renderer.render(&painter, TargetRect(box, w, h, place));
  painter.end();
  return "";
}

uint32_t PixelOf(QRgb c) {
  return static_cast<uint32_t>(qRed(c)) | static_cast<uint32_t>(qGreen(c)) << 8 | static_cast<uint32_t>(qBlue(c)) << 16;
}

}  // namespace

std::string RenderSvgMask(const std::string& svgText, int w, int h, std::vector<uint8_t>& mask, const Placement& place) {
  QImage image;
  if (std::string e = Draw(svgText, w, h, false, image, place); !e.empty()) return e;
  mask.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x)
      mask[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = qGray(row[x]) < 128 ? 1 : 0;
  }
  return "";
}

std::string RenderSvgPicture(const std::string& svgText, int w, int h, Picture& out) {
  QImage image;
  if (std::string e = Draw(svgText, w, h, true, image); !e.empty()) return e;
  out.Reset(PictureKind::Bitmap, w, h);
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x)
      out.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = PixelOf(row[x]);
  }
  return "";
}

std::string RenderSvgFigure(const std::string& svgText, int w, int h, const Placement& place, Picture& out,
                            std::vector<uint8_t>& figure) {
  QImage image;
  if (std::string e = Draw(svgText, w, h, true, image, place, /*clear=*/true); !e.empty()) return e;
  out.Reset(PictureKind::Bitmap, w, h);
  figure.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      // Half covered or more is the figure, in its own colour (ARGB32 is not
      // premultiplied); the rest stays white, so the figure's edge is sharp.
      figure[i] = qAlpha(row[x]) >= 128 ? 1 : 0;
      out.pixels[i] = figure[i] ? PixelOf(row[x]) : kWhite;
    }
  }
  return "";
}

Picture MaskClue(const std::vector<uint8_t>& mask, int mw, int mh, int w, int h) {
  const ClueRect r = FramedPictureRect(w, h, mw, mh);
  Picture inner;
  inner.Reset(PictureKind::Bitmap, r.w, r.h);
  std::vector<uint8_t> figure(inner.pixels.size(), 0);
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      const size_t sx = std::min<size_t>(static_cast<size_t>(mw) - 1, static_cast<size_t>((x + 0.5) * mw / r.w));
      const size_t sy = std::min<size_t>(static_cast<size_t>(mh) - 1, static_cast<size_t>((y + 0.5) * mh / r.h));
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(r.w) + static_cast<size_t>(x);
      figure[i] = mask[sy * static_cast<size_t>(mw) + sx];
      inner.pixels[i] = 0x606060;
    }
  return ComposeFramedClue(w, h, inner, figure, /*fadeRest=*/false);
}

void PaintSolved(Picture& picture, const std::vector<SeedPoint>& targets) {
  const RegionMap map = FindRegions(picture);
  std::vector<uint8_t> red(map.regions.size(), 0);
  for (const SeedPoint& t : targets)
    if (const int32_t r = map.At(t.x, t.y); r >= 0) red[static_cast<size_t>(r)] = 1;
  for (size_t i = 0; i < picture.pixels.size(); ++i)
    if (map.label[i] >= 0 && red[static_cast<size_t>(map.label[i])]) picture.pixels[i] = kRed;
}

Picture SolvedPicture(const Picture& picture, const std::vector<SeedPoint>& targets) {
  Picture solved = picture;
  PaintSolved(solved, targets);
  return solved;
}

QImage ImageOf(const Picture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  for (int y = 0; y < picture.height; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t c = picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) +
                                        static_cast<size_t>(x)];
      row[x] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
  }
  return image;
}

std::string SavePng(const Picture& picture, const std::string& path) {
  if (!ImageOf(picture).save(QString::fromStdString(path), "PNG")) return "cannot write the PNG file";
  return "";
}

}  // namespace tintaro::tools
