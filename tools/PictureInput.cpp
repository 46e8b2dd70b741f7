// Qt decodes; the declared size is checked first, a JPEG is decoded straight
// to the size it is wanted at, and Qt's allocation limit stops any other
// format that would need too much memory.
#include "tools/PictureInput.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "core/picture/Picture.h"
#include "tools/SourceFiles.h"
#include "tools/SvgReferences.h"

namespace tintaro::tools {

namespace {

// Decoded pixels Qt may allocate for one picture, in MiB: a 64-megapixel
// picture at four bytes a pixel.
constexpr int kAllocationLimitMiB = 256;
constexpr int kMinFittedSide = 16;
constexpr qsizetype kMaxSvgBytes = qsizetype{16} << 20;

QSize Fit(QSizeF size, int maxWidth, int maxHeight) {
  const double scale = std::min(maxWidth / size.width(), maxHeight / size.height());
  return QSize(std::max(1, static_cast<int>(std::lround(size.width() * scale))),
               std::max(1, static_cast<int>(std::lround(size.height() * scale))));
}

bool LooksLikeSvg(const std::string& path, const QByteArray& bytes) {
  const std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  if (tail == ".svg" || tail == ".SVG") return true;
  const QByteArray head = bytes.left(512).trimmed();
  return head.startsWith("<svg") || (head.startsWith("<?xml") && head.contains("<svg"));
}

std::string ReadSvg(const QByteArray& bytes, int maxWidth, int maxHeight, QImage& image) {
  const std::string text(bytes.constData(), static_cast<size_t>(bytes.size()));
  // Qt's renderer reads linked pictures while it parses: vet the text first.
  if (std::string fault = SvgReferenceFault(text); !fault.empty()) return fault;
  QSvgRenderer renderer(bytes);
  if (!renderer.isValid()) return "not a valid SVG drawing";
  const QRectF box = renderer.viewBoxF();
  // Written so that a NaN, which fails every comparison, is refused too.
  if (!(box.width() > 0) || !(box.height() > 0)) return "the SVG drawing has no size";
  const QSize size = Fit(box.size(), maxWidth, maxHeight);
  image = QImage(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  renderer.render(&painter, QRectF(0, 0, size.width(), size.height()));
  return "";
}

// The decoders' own notes would add lines to the one fault line a bad
// picture gets: libjpeg's ("Corrupt JPEG data") come through Qt's messages,
// libpng's errors straight to the error stream, which is closed meanwhile.
void DropDecoderNotes(QtMsgType, const QMessageLogContext&, const QString&) {}

class QuietDecoders {
 public:
  QuietDecoders() : previous_(qInstallMessageHandler(DropDecoderNotes)), saved_(::dup(STDERR_FILENO)) {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietDecoders() {
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
    qInstallMessageHandler(previous_);
  }
  QuietDecoders(const QuietDecoders&) = delete;
  QuietDecoders& operator=(const QuietDecoders&) = delete;

 private:
  QtMessageHandler previous_;
  int saved_;
};

std::string ReadRaster(QByteArray& bytes, int maxWidth, int maxHeight, QImage& image) {
  const QuietDecoders quiet;
  QImageReader::setAllocationLimit(kAllocationLimitMiB);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  if (!reader.canRead()) return "not a picture this program can read (PNG, JPEG, BMP, GIF, WebP or SVG)";
  const QSize declared = reader.size();
  if (declared.isValid()) {
    if (declared.isEmpty()) return "the picture is empty";
    if (!PictureSizeAllowed(declared.width(), declared.height()))
      return std::to_string(declared.width()) + " x " + std::to_string(declared.height()) +
             " pixels: too large (at most 32768 a side and 64 megapixels)";
    // The scaled size is in the stored orientation, before EXIF turns it.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSizeF upright = turned ? QSizeF(declared.height(), declared.width()) : QSizeF(declared);
    const QSize fitted = Fit(upright, maxWidth, maxHeight);
    // Only shrinking saves work; a small picture is enlarged smoothly below.
    if (fitted.width() < upright.width()) reader.setScaledSize(turned ? fitted.transposed() : fitted);
  }
  if (!reader.read(&image)) return "cannot read the picture: " + reader.errorString().toStdString();
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return "the picture is empty";
  return "";
}

}  // namespace

std::string ReadPicture(const std::string& path, int maxWidth, int maxHeight, PictureInput& out) {
  std::string raw;
  if (std::string e = ReadRegularFile(path, kMaxPictureFileBytes, raw); !e.empty()) return e;
  if (raw.empty()) return "the file is empty";
  QByteArray bytes(raw.data(), static_cast<qsizetype>(raw.size()));
  raw.clear();
  raw.shrink_to_fit();
  QImage image;
  const bool svg = LooksLikeSvg(path, bytes);
  // A drawing is parsed whole and drawn element by element: its text is
  // kept to what a drawing needs, so it too is made within seconds.
  if (svg && bytes.size() > kMaxSvgBytes) return "an SVG drawing may be at most 16 MiB";
  const std::string fault = svg ? ReadSvg(bytes, maxWidth, maxHeight, image) : ReadRaster(bytes, maxWidth, maxHeight, image);
  if (!fault.empty()) return fault;
  const QSize fitted = Fit(QSizeF(image.size()), maxWidth, maxHeight);
  if (fitted.width() < kMinFittedSide || fitted.height() < kMinFittedSide)
    return "fitted to the picture area it is " + std::to_string(fitted.width()) + " x " +
           std::to_string(fitted.height()) + ": too narrow to make a puzzle of";
  if (fitted != image.size()) image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  out.opaque.clear();
  if (argb.hasAlphaChannel()) {
    out.opaque.resize(static_cast<size_t>(argb.width()) * static_cast<size_t>(argb.height()));
    size_t clear = 0;
    for (int y = 0; y < argb.height(); ++y) {
      const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
      for (int x = 0; x < argb.width(); ++x) {
        const bool opaque = qAlpha(row[x]) >= 128;
        out.opaque[static_cast<size_t>(y) * static_cast<size_t>(argb.width()) + static_cast<size_t>(x)] = opaque;
        clear += !opaque;
      }
    }
    // A few clear pixels, such as a soft edge, do not make a cut-out.
    if (clear * 100 < out.opaque.size()) out.opaque.clear();
  }
  out.colour = QImage(argb.size(), QImage::Format_RGB888);
  out.colour.fill(Qt::white);
  QPainter painter(&out.colour);
  painter.drawImage(0, 0, argb);
  return "";
}

std::vector<uint8_t> ScaledMask(const std::vector<uint8_t>& mask, QSize from, QSize to) {
  QImage big(from, QImage::Format_Grayscale8);
  for (int y = 0; y < from.height(); ++y) {
    uchar* row = big.scanLine(y);
    for (int x = 0; x < from.width(); ++x)
      row[x] = mask[static_cast<size_t>(y) * static_cast<size_t>(from.width()) + static_cast<size_t>(x)] ? 255 : 0;
  }
  const QImage scaled = big.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  std::vector<uint8_t> out(static_cast<size_t>(to.width()) * static_cast<size_t>(to.height()));
  for (int y = 0; y < to.height(); ++y) {
    const uchar* row = scaled.constScanLine(y);
    for (int x = 0; x < to.width(); ++x)
      out[static_cast<size_t>(y) * static_cast<size_t>(to.width()) + static_cast<size_t>(x)] = row[x] >= 128;
  }
  return out;
}

std::string MaskShapeFault(QSize drawn, QSize picture) {
  const double mask = static_cast<double>(drawn.width()) / drawn.height();
  const double wanted = static_cast<double>(picture.width()) / picture.height();
  if (mask <= wanted * kMaxMaskShapeRatio && mask * kMaxMaskShapeRatio >= wanted) return "";
  char shapes[96];
  std::snprintf(shapes, sizeof shapes, "is %.2f times as wide as high, the picture %.2f", mask, wanted);
  return std::string("the mask ") + shapes + ": draw it over the picture, at its shape";
}

std::string ReadSubjectMask(const std::string& path, int width, int height, std::vector<uint8_t>& mask) {
  PictureInput drawn;
  if (std::string e = ReadPicture(path, width, height, drawn); !e.empty()) return e;
  if (std::string e = MaskShapeFault(drawn.colour.size(), QSize(width, height)); !e.empty()) return e;
  // With transparency the opaque part is the subject, else what is not
  // white. Nearly white counts as white: a mask saved as JPEG is not exact.
  const int w = drawn.colour.width(), h = drawn.colour.height();
  std::vector<uint8_t> marks(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    const uchar* row = drawn.colour.constScanLine(y);
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      const bool white = row[3 * x] > 240 && row[3 * x + 1] > 240 && row[3 * x + 2] > 240;
      marks[i] = drawn.opaque.empty() ? !white : drawn.opaque[i] != 0;
    }
  }
  // Drawn over the picture, the mask has its proportions: stretching only
  // makes up the rounding.
  mask = ScaledMask(marks, QSize(w, h), QSize(width, height));
  return "";
}

}  // namespace tintaro::tools
