// One UTF-8 decoder serves both escapers, so plain and JSON output agree on
// which characters are dangerous.
#include "tools/TerminalText.h"

#include <cstdint>
#include <cstdio>

namespace tintaro::tools {

namespace {

// Decodes one strict UTF-8 sequence at `i` (no overlong forms, surrogates or
// values above U+10FFFF). Returns its length, or 0 when the byte starts none.
size_t DecodeUtf8(std::string_view s, size_t i, uint32_t& cp) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t b0 = byte(i);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t length = 0;
  uint32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) length = 2, cp = b0 & 0x1F, min = 0x80;
  else if ((b0 & 0xF0) == 0xE0) length = 3, cp = b0 & 0x0F, min = 0x800;
  else if ((b0 & 0xF8) == 0xF0) length = 4, cp = b0 & 0x07, min = 0x10000;
  else return 0;
  if (i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

// Characters a terminal acts on or that reorder or break the line around
// them: C0, DEL, C1, the bidirectional marks, embeddings and isolates, the
// line and paragraph separators, and the byte-order mark.
bool Unprintable(uint32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x061C || cp == 0x200E || cp == 0x200F ||
         (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069) || cp == 0xFEFF;
}

std::string Hex(const char* format, unsigned value) {
  char buffer[12];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    const size_t length = DecodeUtf8(text, i, cp);
    if (length == 0 || (length == 1 && Unprintable(cp))) {
      out += Hex("\\x%02x", static_cast<uint8_t>(text[i]));
      ++i;
      continue;
    }
    if (Unprintable(cp)) out += Hex("\\u%04x", cp);
    else if (cp == '\\') out += "\\\\";
    else out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    const size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (cp == '"' || cp == '\\') out += '\\', out += static_cast<char>(cp);
    else if (Unprintable(cp)) out += Hex("\\u%04x", cp);
    else out.append(text.substr(i, length));
    i += length;
  }
  return out + "\"";
}

}  // namespace tintaro::tools
