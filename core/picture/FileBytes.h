// Reading a whole file into a reused buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tintaro {

// Files larger than this are not read whole (an 8192 x 8192 32-bit BMP fits).
inline constexpr uint64_t kMaxFileBytes = (uint64_t{1} << 28) + (uint64_t{1} << 20);

enum class ReadFileResult { Ok, CannotOpen, TooLarge, ReadFailed };

// Reads the regular file at `path` into `bytes` (resized to the file's size;
// capacity is kept between calls). Folders and other non-files cannot be opened.
ReadFileResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

}  // namespace tintaro
