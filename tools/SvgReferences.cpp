// Scans with the same XML reader, set up the same way, that Qt's SVG handler
// uses, so entities are expanded and names are seen exactly as it sees them.
#include "tools/SvgReferences.h"

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QImageReader>
#include <QXmlStreamReader>

#include <algorithm>
#include <vector>

namespace tintaro::tools {

namespace {

constexpr const char* kLinksOut = "refers to another file; an SVG drawing must hold its pictures inline";

bool RasterPicture(const QByteArray& bytes) {
  return bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.startsWith("\xff\xd8\xff") || bytes.startsWith("GIF87a") ||
         bytes.startsWith("GIF89a") || bytes.startsWith("BM");
}

// Pixels of an inline picture as its header declares them; 0 when it
// declares no size.
double DeclaredPixels(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  const QSize size = QImageReader(&buffer).size();
  return size.isValid() ? static_cast<double>(size.width()) * size.height() : 0;
}

// `pixels` gets the inline picture's size, `ref` the element linked to.
std::string LinkFault(QStringView link, double& pixels, QString& ref) {
  const QString value = link.trimmed().toString();
  if (value.startsWith(u'#')) {
    ref = value.mid(1);
    return "";
  }
  if (!value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) return kLinksOut;
  // Qt decodes what follows the last "base64," and guesses its format from
  // the bytes, whatever type the URL claims.
  const qsizetype at = value.lastIndexOf(QLatin1String("base64,"));
  if (at < 0) return "an inline picture that is not base64";
  const QByteArray bytes = QByteArray::fromBase64(value.mid(at + 7).toLatin1());
  if (!RasterPicture(bytes)) return "an inline picture that is not PNG, JPEG, GIF or BMP";
  pixels = DeclaredPixels(bytes);
  if (pixels <= 0) return "an inline picture whose size cannot be read";
  return "";
}

// url(...) in styles and presentation attributes may only point into the
// document; an @import would fetch a style sheet.
// `refs` gets the ids linked to.
std::string StyleFault(QStringView text, std::vector<QString>* refs = nullptr) {
  if (text.contains(QLatin1String("@import"), Qt::CaseInsensitive)) return kLinksOut;
  for (qsizetype at = text.indexOf(QLatin1String("url("), 0, Qt::CaseInsensitive); at >= 0;
       at = text.indexOf(QLatin1String("url("), at + 4, Qt::CaseInsensitive)) {
    const QStringView rest = text.mid(at + 4).trimmed();
    const QStringView target = rest.startsWith(u'"') || rest.startsWith(u'\'') ? rest.mid(1) : rest;
    if (!target.startsWith(u'#')) return kLinksOut;
    if (refs) {
      qsizetype end = 1;
      while (end < target.size() && !target[end].isSpace() && target[end] != u')' && target[end] != u'"' &&
             target[end] != u'\'')
        ++end;
      refs->push_back(target.mid(1, end - 1).toString());
    }
  }
  return "";
}

// One element of the drawing: what it holds, links to, and draws itself.
struct Element {
  std::vector<int> parts;  // its child elements, then the elements it links to
  std::vector<QString> links;
  double pixels = 0;       // of its inline picture
};

// Elements and picture pixels drawn for `root`, every link followed as the
// renderer follows it: a <use> draws what it names each time, so a few
// kilobytes can name a drawing a billion times over. A link back into its
// own chain counts nothing (the renderer draws no cycle).
std::pair<double, double> DrawnWork(std::vector<Element>& elements, const QHash<QString, int>& ids, int root) {
  for (Element& e : elements)
    for (const QString& link : e.links)
      if (const auto at = ids.constFind(link); at != ids.constEnd()) e.parts.push_back(at.value());
  enum : uint8_t { kNew, kOpen, kDone };
  std::vector<uint8_t> state(elements.size(), kNew);
  std::vector<double> count(elements.size(), 0), pixels(elements.size(), 0);
  // Depth-first without recursion: nesting may run as deep as the file is long.
  std::vector<std::pair<int, bool>> stack{{root, false}};
  while (!stack.empty()) {
    const auto [at, finish] = stack.back();
    stack.pop_back();
    const Element& e = elements[static_cast<size_t>(at)];
    if (!finish) {
      if (state[static_cast<size_t>(at)] != kNew) continue;
      state[static_cast<size_t>(at)] = kOpen;
      stack.push_back({at, true});
      for (int part : e.parts)
        if (state[static_cast<size_t>(part)] == kNew) stack.push_back({part, false});
      continue;
    }
    double c = 1, p = e.pixels;
    for (int part : e.parts)
      if (state[static_cast<size_t>(part)] == kDone) {
        c += count[static_cast<size_t>(part)];
        p += pixels[static_cast<size_t>(part)];
      }
    count[static_cast<size_t>(at)] = c;
    pixels[static_cast<size_t>(at)] = p;
    state[static_cast<size_t>(at)] = kDone;
  }
  return {count[static_cast<size_t>(root)], pixels[static_cast<size_t>(root)]};
}

}  // namespace

std::string SvgReferenceFault(const std::string& svgText) {
  QXmlStreamReader xml(QByteArray::fromRawData(svgText.data(), static_cast<qsizetype>(svgText.size())));
  xml.setNamespaceProcessing(false);
  std::vector<Element> elements;
  QHash<QString, int> ids;
  std::vector<int> open;  // the elements not yet ended, innermost last
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement: {
        const int at = static_cast<int>(elements.size());
        // What <defs> holds is drawn only where it is linked to.
        if (!open.empty() && xml.name() != QLatin1String("defs"))
          elements[static_cast<size_t>(open.back())].parts.push_back(at);
        open.push_back(at);
        elements.emplace_back();
        for (const QXmlStreamAttribute& a : xml.attributes()) {
          Element& e = elements.back();
          std::string fault;
          if (a.qualifiedName().endsWith(QLatin1String("href"), Qt::CaseInsensitive)) {
            double pixels = 0;
            QString ref;
            fault = LinkFault(a.value(), pixels, ref);
            e.pixels += pixels;
            if (!ref.isEmpty()) e.links.push_back(ref);
          }
          if (fault.empty()) fault = StyleFault(a.value(), &e.links);
          if (!fault.empty()) return fault;
          if (a.qualifiedName() == QLatin1String("id")) ids.insert(a.value().toString(), at);
        }
        break;
      }
      case QXmlStreamReader::EndElement:
        if (!open.empty()) open.pop_back();
        break;
      case QXmlStreamReader::Characters:
        if (std::string fault = StyleFault(xml.text()); !fault.empty()) return fault;
        break;
      case QXmlStreamReader::DTD:
        for (const QXmlStreamEntityDeclaration& e : xml.entityDeclarations())
          if (!e.systemId().isEmpty() || !e.publicId().isEmpty()) return kLinksOut;
        break;
      case QXmlStreamReader::ProcessingInstruction:
        if (xml.processingInstructionTarget().compare(QLatin1String("xml-stylesheet"), Qt::CaseInsensitive) == 0)
          return kLinksOut;
        break;
      default:
        break;
    }
  }
  if (xml.hasError()) return "not a well-formed SVG drawing (" + xml.errorString().toStdString() + ")";
  if (elements.empty()) return "";
  double decoded = 0;  // once for each picture, drawn or not
  for (const Element& e : elements) decoded += e.pixels;
  const auto [drawn, pixels] = DrawnWork(elements, ids, 0);
  if (drawn > static_cast<double>(kMaxSvgDrawnElements))
    return "draws more than " + std::to_string(kMaxSvgDrawnElements / 1'000'000) +
           " million elements (counting every one a <use> repeats)";
  if (std::max(decoded, pixels) > static_cast<double>(kMaxSvgPicturePixels))
    return "its inline pictures hold more than " + std::to_string(kMaxSvgPicturePixels >> 20) +
           " megapixels together (counting every one a <use> repeats)";
  return "";
}

}  // namespace tintaro::tools
