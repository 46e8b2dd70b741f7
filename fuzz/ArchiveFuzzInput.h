// How the archive fuzz targets turn one input into archive files: the input
// is one archive, or the volumes of a multi-volume set separated by
// kVolumeSeparator, written as f001.zip, f002.zip, ... into a folder.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tintaro::fuzz {

inline constexpr std::string_view kVolumeSeparator = "#VOLUME#";

inline std::vector<std::string_view> SplitVolumes(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = all.find(kVolumeSeparator, start);
    if (at == std::string_view::npos || parts.size() == 8) break;
    parts.push_back(all.substr(start, at - start));
    start = at + kVolumeSeparator.size();
  }
  parts.push_back(all.substr(start));
  return parts;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes the input's volumes into `folder`; returns the path to list (the
// last volume).
inline std::string WriteArchiveFiles(const std::string& folder, const uint8_t* data, size_t size) {
  const auto parts = SplitVolumes(data, size);
  if (parts.size() == 1) {
    WriteFile(folder + "/f.zip", parts[0]);
    return folder + "/f.zip";
  }
  std::string last;
  for (size_t i = 0; i < parts.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/f%03zu.zip", i + 1);
    last = folder + name;
    WriteFile(last, parts[i]);
  }
  return last;
}

// Joins volumes into one input the way the targets split them.
inline std::vector<uint8_t> JoinVolumes(const std::vector<std::vector<uint8_t>>& volumes) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < volumes.size(); ++i) {
    if (i > 0) out.insert(out.end(), kVolumeSeparator.begin(), kVolumeSeparator.end());
    out.insert(out.end(), volumes[i].begin(), volumes[i].end());
  }
  return out;
}

inline std::string MakeTempFolder(const char* prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return "";
  return pattern;
}

// Removes a folder and its contents when the fuzzer exits normally.
struct RemoveAtExit {
  explicit RemoveAtExit(std::string folder) : path(std::move(folder)) {}
  ~RemoveAtExit() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

}  // namespace tintaro::fuzz
