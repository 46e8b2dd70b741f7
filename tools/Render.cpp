// Qt does the drawing; everything leaves here as plain Picture pixels.
#include "tools/Render.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

#include "tools/Regions.h"

#include "tools/SvgReferences.h"

namespace tintaro::tools {

namespace {

// Renders into a white RGB32 image, the drawing scaled to fit and centred.
std::string Draw(const std::string& svgText, int w, int h, bool smooth, QImage& image) {
  // Qt's renderer reads linked pictures while it parses: vet the text first.
  if (std::string fault = SvgReferenceFault(svgText); !fault.empty()) return fault;
  QSvgRenderer renderer(QByteArray(svgText.data(), static_cast<qsizetype>(svgText.size())));
  if (!renderer.isValid()) return "not a valid SVG drawing";
  const QRectF box = renderer.viewBoxF();
  // Written so that a NaN, which fails every comparison, is refused too.
  if (!(box.width() > 0) || !(box.height() > 0)) return "the SVG drawing has no size";
  const double scale = std::min(w / box.width(), h / box.height());
  const QRectF target((w - box.width() * scale) / 2, (h - box.height() * scale) / 2, box.width() * scale,
                      box.height() * scale);
  image = QImage(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, smooth);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  renderer.render(&painter, target);
  painter.end();
  return "";
}

}  // namespace

std::string RenderSvgMask(const std::string& svgText, int w, int h, std::vector<uint8_t>& mask) {
  QImage image;
  if (std::string e = Draw(svgText, w, h, false, image); !e.empty()) return e;
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
      out.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
          static_cast<uint32_t>(qRed(row[x])) | static_cast<uint32_t>(qGreen(row[x])) << 8 |
          static_cast<uint32_t>(qBlue(row[x])) << 16;
  }
  return "";
}

Picture MaskClue(const std::vector<uint8_t>& mask, int mw, int mh, int w, int h) {
  Picture out;
  out.Reset(PictureKind::Bitmap, w, h);
  const double scale = std::max(double(mw) / w, double(mh) / h);
  const double ox = (w - mw / scale) / 2, oy = (h - mh / scale) / 2;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = static_cast<int>((x - ox + 0.5) * scale), sy = static_cast<int>((y - oy + 0.5) * scale);
      const bool in = sx >= 0 && sy >= 0 && sx < mw && sy < mh &&
                      mask[static_cast<size_t>(sy) * static_cast<size_t>(mw) + static_cast<size_t>(sx)];
      out.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = in ? 0x606060 : kWhite;
    }
  return out;
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
