// Scans with the same XML reader, set up the same way, that Qt's SVG handler
// uses, so entities are expanded and names are seen exactly as it sees them.
#include "tools/SvgReferences.h"

#include <QByteArray>
#include <QXmlStreamReader>

namespace tintaro::tools {

namespace {

constexpr const char* kLinksOut = "refers to another file; an SVG drawing must hold its pictures inline";

bool RasterPicture(const QByteArray& bytes) {
  return bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.startsWith("\xff\xd8\xff") || bytes.startsWith("GIF87a") ||
         bytes.startsWith("GIF89a") || bytes.startsWith("BM");
}

std::string LinkFault(QStringView link) {
  const QString value = link.trimmed().toString();
  if (value.startsWith(u'#')) return "";
  if (!value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) return kLinksOut;
  // Qt decodes what follows the last "base64," and guesses its format from
  // the bytes, whatever type the URL claims.
  const qsizetype at = value.lastIndexOf(QLatin1String("base64,"));
  if (at < 0) return "an inline picture that is not base64";
  const QByteArray bytes = QByteArray::fromBase64(value.mid(at + 7).toLatin1());
  if (!RasterPicture(bytes)) return "an inline picture that is not PNG, JPEG, GIF or BMP";
  return "";
}

// url(...) in styles and presentation attributes may only point into the
// document; an @import would fetch a style sheet.
std::string StyleFault(QStringView text) {
  if (text.contains(QLatin1String("@import"), Qt::CaseInsensitive)) return kLinksOut;
  for (qsizetype at = text.indexOf(QLatin1String("url("), 0, Qt::CaseInsensitive); at >= 0;
       at = text.indexOf(QLatin1String("url("), at + 4, Qt::CaseInsensitive)) {
    const QStringView rest = text.mid(at + 4).trimmed();
    const QStringView target = rest.startsWith(u'"') || rest.startsWith(u'\'') ? rest.mid(1) : rest;
    if (!target.startsWith(u'#')) return kLinksOut;
  }
  return "";
}

}  // namespace

std::string SvgReferenceFault(const std::string& svgText) {
  QXmlStreamReader xml(QByteArray::fromRawData(svgText.data(), static_cast<qsizetype>(svgText.size())));
  xml.setNamespaceProcessing(false);
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement:
        for (const QXmlStreamAttribute& a : xml.attributes()) {
          std::string fault;
          if (a.qualifiedName().endsWith(QLatin1String("href"), Qt::CaseInsensitive)) fault = LinkFault(a.value());
          if (fault.empty()) fault = StyleFault(a.value());
          if (!fault.empty()) return fault;
        }
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
  return "";
}

}  // namespace tintaro::tools
