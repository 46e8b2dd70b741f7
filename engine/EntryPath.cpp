// Name rules of the engine: control bytes, code page 437 names, the target
// path under the extraction folder, and wildcard specifications.
#include "engine/EntryPath.h"

#include <cerrno>

namespace tintaro::engine {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char FoldCase(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (c == '\\') return '/';
  return c;
}

}  // namespace

bool HasControlByte(std::string_view raw) {
  for (char c : raw) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return true;
  }
  return false;
}

NameConverter::~NameConverter() {
  if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
}

std::string NameConverter::Convert(std::string_view raw, uint8_t hostSystem, uint8_t hostVersion,
                                   bool utf8Flag) {
  // The hosts whose names are in the OEM code page: MS-DOS, OS/2 HPFS and
  // Windows NTFS as written by version 5.0 tools.
  const bool oem = hostSystem == 0 || hostSystem == 6 || (hostSystem == 11 && hostVersion == 50);
  bool high = false;
  for (char c : raw) high |= static_cast<unsigned char>(c) >= 0x80;
  if (utf8Flag || !oem || !high) return std::string(raw);
  if (!opened_) {
    opened_ = true;
    cd_ = iconv_open("UTF-8", "CP437");
  }
  if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(raw);
  // Each code page 437 byte becomes at most 3 UTF-8 bytes.
  std::string out(raw.size() * 3, '\0');
  char* in = const_cast<char*>(raw.data());
  size_t inLeft = raw.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd_, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) return std::string(raw);
  out.resize(out.size() - outLeft);
  return out;
}

PathKind SplitTarget(std::string_view name, bool dirNames, TargetPath& out) {
  out.folders.clear();
  out.leaf.clear();
  if (name.empty()) return PathKind::Unsafe;
  size_t lastSep = std::string_view::npos;
  for (size_t i = 0; i < name.size(); ++i)
    if (IsSeparator(name[i])) lastSep = i;
  const std::string_view leaf = lastSep == std::string_view::npos ? name : name.substr(lastSep + 1);
  if (leaf == "." || leaf == "..") return PathKind::Unsafe;
  if (!dirNames) {
    if (leaf.empty()) return PathKind::Folder;
    out.leaf = leaf;
    return PathKind::File;
  }
  if (IsSeparator(name[0])) return PathKind::Unsafe;
  const std::string_view folderPart = lastSep == std::string_view::npos ? std::string_view{} : name.substr(0, lastSep);
  size_t start = 0;
  bool first = true;
  while (start <= folderPart.size() && !folderPart.empty()) {
    size_t end = start;
    while (end < folderPart.size() && !IsSeparator(folderPart[end])) ++end;
    const std::string_view part = folderPart.substr(start, end - start);
    if (part == "..") return PathKind::Unsafe;
    // A drive-letter name such as "C:" is absolute where it came from.
    if (first && part.size() == 2 && part[1] == ':') return PathKind::Unsafe;
    if (!part.empty() && part != ".") out.folders.emplace_back(part);
    first = false;
    start = end + 1;
  }
  if (first && leaf.size() == 2 && leaf[1] == ':') return PathKind::Unsafe;
  if (leaf.empty()) return PathKind::Folder;
  out.leaf = leaf;
  return PathKind::File;
}

bool WildcardMatch(std::string_view spec, std::string_view name) {
  size_t s = 0, n = 0;
  size_t starSpec = std::string_view::npos, starName = 0;
  // Greedy with one backtrack point: linear in practice, never exponential.
  while (n < name.size()) {
    if (s < spec.size() && spec[s] == '*') {
      starSpec = s++;
      starName = n;
    } else if (s < spec.size() && (spec[s] == '?' || FoldCase(spec[s]) == FoldCase(name[n]))) {
      ++s;
      ++n;
    } else if (starSpec != std::string_view::npos) {
      s = starSpec + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (s < spec.size() && spec[s] == '*') ++s;
  return s == spec.size();
}

}  // namespace tintaro::engine
