// Turning an entry's stored name into a safe place under the extraction
// folder, its display form, and matching names against specifications.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tintaro::engine {

// True when the stored name holds a NUL, another control character or DEL.
bool HasControlByte(std::string_view raw);

// Converts names stored by MS-DOS style hosts from code page 437 to UTF-8,
// as the archive component lists them; other names pass unchanged. The
// converter is opened at the first name that needs it: opening it loads a
// character-set module, which plain ASCII names never need.
class NameConverter {
 public:
  NameConverter() = default;
  ~NameConverter();
  NameConverter(const NameConverter&) = delete;
  NameConverter& operator=(const NameConverter&) = delete;

  std::string Convert(std::string_view raw, uint8_t hostSystem, uint8_t hostVersion, bool utf8Flag);

 private:
  bool opened_ = false;
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

enum class PathKind { File, Folder, Unsafe };

struct TargetPath {
  std::vector<std::string> folders;  // with folder names: each folder to enter
  std::string leaf;                  // the file name; empty for a folder entry
};

// Without folder names only the part after the last '/' or '\' is kept. With
// them every component is kept, but an absolute name or a ".." component is
// unsafe. A file-name part of "." or ".." is unsafe in both cases.
PathKind SplitTarget(std::string_view name, bool dirNames, TargetPath& out);

// Wildcard match of a whole name: '*' any run of characters, '?' one
// character, letters compared without regard to ASCII case, and '/' and '\'
// taken as the same character.
bool WildcardMatch(std::string_view spec, std::string_view name);

}  // namespace tintaro::engine
