// Feeds arbitrary bytes, as a hostile archive's entry names, to tromake's
// escapers: plain text must reach the terminal without a control character
// and as valid UTF-8; a JSON string must be valid UTF-8 with every control
// character escaped.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/TerminalText.h"

namespace {

// Strict UTF-8 (no overlong forms, surrogates or values above U+10FFFF),
// with no C0 control, DEL or C1 control.
bool SafeUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<uint8_t>(s[i]);
    if (b < 0x20 || b == 0x7F) return false;
    if (b < 0x80) {
      ++i;
      continue;
    }
    const size_t n = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    uint32_t cp = b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<uint8_t>(s[i + k]) & 0xC0) != 0x80) return false;
      cp = cp << 6 | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    }
    const uint32_t min = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || (cp >= 0x80 && cp <= 0x9F)) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  if (!SafeUtf8(tintaro::tools::PrintableText(name))) std::abort();
  const std::string json = tintaro::tools::JsonString(name);
  if (json.size() < 2 || json.front() != '"' || json.back() != '"' || !SafeUtf8(json)) std::abort();
  return 0;
}
