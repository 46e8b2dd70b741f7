// Puzzle archive writing with libzip. Reproducible output needs a fixed entry
// time, fixed attributes and a fixed compression level.
#include "tools/PuzzleFiles.h"

#include <zip.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace tintaro::tools {

namespace {

// 2001-01-01 12:00 local DOS time is what every entry carries.
constexpr time_t kEntryTime = 978'350'400;

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutRecord(std::vector<uint8_t>& out, int32_t x, int32_t y, int32_t kind) {
  Put(out, static_cast<uint32_t>(x), 4);
  Put(out, static_cast<uint32_t>(y), 4);
  Put(out, static_cast<uint32_t>(kind), 4);
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Picture& picture) {
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(picture.height);
  std::vector<uint8_t> out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  Put(out, 54 + imageBytes, 4);
  Put(out, 0, 4);
  Put(out, 54, 4);
  Put(out, 40, 4);  // information header
  Put(out, static_cast<uint32_t>(picture.width), 4);
  Put(out, static_cast<uint32_t>(picture.height), 4);  // positive: bottom row first
  Put(out, 1, 2);
  Put(out, 24, 2);
  Put(out, 0, 4);  // no compression
  Put(out, imageBytes, 4);
  Put(out, 2835, 4);  // 72 dpi
  Put(out, 2835, 4);
  Put(out, 0, 4);
  Put(out, 0, 4);
  for (int y = picture.height - 1; y >= 0; --y) {
    const size_t row = static_cast<size_t>(y) * static_cast<size_t>(picture.width);
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t c = picture.pixels[row + static_cast<size_t>(x)];
      out.push_back(static_cast<uint8_t>(c >> 16));  // blue
      out.push_back(static_cast<uint8_t>(c >> 8));
      out.push_back(static_cast<uint8_t>(c));
    }
    for (uint32_t pad = static_cast<uint32_t>(picture.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

SolutionOptions OptionsFor(const PuzzleSource& s, int targets) {
  SolutionOptions o;
  o.hasOptionRecord = s.hints != HintSetting::Default || s.mode != ModeLock::None;
  switch (s.hints) {
    case HintSetting::Default: o.hintSetting = targets; break;
    case HintSetting::Limit: o.hintSetting = s.hintLimit; break;
    case HintSetting::Withheld: o.hintSetting = -1; break;
    case HintSetting::SolutionWithheld: o.hintSetting = 0; break;
  }
  switch (s.mode) {
    case ModeLock::None: o.modeSetting = 0; break;
    case ModeLock::Normal: o.modeSetting = -4; break;
    case ModeLock::Crazy: o.modeSetting = -2; break;
    case ModeLock::Insane: o.modeSetting = -3; break;
  }
  return o;
}

std::vector<uint8_t> EncodeSolution(const std::vector<SeedPoint>& targets, const std::vector<SeedPoint>& strays,
                                    const SolutionOptions& options) {
  std::vector<uint8_t> out;
  PutRecord(out, static_cast<int32_t>(targets.size()) - 1, static_cast<int32_t>(strays.size()) - 1,
            options.hasOptionRecord ? 0 : 1);
  if (options.hasOptionRecord) PutRecord(out, options.hintSetting, options.modeSetting, 0);
  for (const SeedPoint& p : targets) PutRecord(out, p.x, p.y, 1);
  for (const SeedPoint& p : strays) PutRecord(out, p.x, p.y, 0);
  return out;
}

namespace {

// The zip made in memory: puzzles are small, and the file is then written
// in one go to a temporary file of our own.
std::string ZipBytes(const std::vector<ArchiveEntry>& entries, std::vector<uint8_t>& out) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  zip_error_fini(&error);
  if (!zip) {
    if (buffer) zip_source_free(buffer);
    return "cannot create the archive";
  }
  zip_source_keep(buffer);  // its bytes are read after the zip is closed
  std::string fault;
  for (const ArchiveEntry& e : entries) {
    zip_source_t* src = zip_source_buffer(zip, e.data.data(), e.data.size(), 0);
    zip_int64_t index = src ? zip_file_add(zip, e.name.c_str(), src, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (src) zip_source_free(src);
      fault = "cannot add " + e.name;
      break;
    }
    const auto i = static_cast<zip_uint64_t>(index);
    // Level 7: line drawings pack about a third larger than at 9, in an
    // eighth of the time, which is most of a puzzle's build time.
    if (zip_set_file_compression(zip, i, ZIP_CM_DEFLATE, 7) != 0 || zip_file_set_mtime(zip, i, kEntryTime, 0) != 0 ||
        zip_file_set_external_attributes(zip, i, 0, ZIP_OPSYS_UNIX, 0100644u << 16) != 0) {
      fault = "cannot set up " + e.name;
      break;
    }
  }
  if (fault.empty() && zip_close(zip) != 0) fault = std::string("cannot write the archive: ") + zip_strerror(zip);
  if (!fault.empty()) {
    zip_discard(zip);
    zip_source_free(buffer);
    return fault;
  }
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(buffer, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || zip_source_open(buffer) != 0) {
    zip_source_free(buffer);
    return "cannot write the archive";
  }
  out.resize(static_cast<size_t>(st.size));
  const zip_int64_t got = zip_source_read(buffer, out.data(), out.size());
  zip_source_close(buffer);
  zip_source_free(buffer);
  if (got != static_cast<zip_int64_t>(out.size())) return "cannot write the archive";
  return "";
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string WriteArchive(const std::string& path, const std::vector<ArchiveEntry>& entries) {
  // Renaming over a device or a FIFO would replace it with a regular file
  // (and as root, /dev/null for everyone). A link to a regular file is
  // replaced, as any file is.
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
    return "exists and is not a regular file: not replaced";
  std::vector<uint8_t> bytes;
  if (std::string fault = ZipBytes(entries, bytes); !fault.empty()) return fault;

  // A name no one can guess and plant first, in the output's own folder so
  // that the rename cannot cross file systems.
  std::string temp = path + ".partXXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return std::string("cannot write the archive: ") + std::strerror(errno);
  // mkstemp makes the file private; a puzzle gets the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  std::string fault;
  if (::fchmod(fd, 0666 & ~mask) != 0 || !WriteAll(fd, bytes)) fault = std::string("cannot write the archive: ") + std::strerror(errno);
  if (::close(fd) != 0 && fault.empty()) fault = std::string("cannot write the archive: ") + std::strerror(errno);
  if (fault.empty() && ::rename(temp.c_str(), path.c_str()) != 0)
    fault = std::string("cannot write the archive: ") + std::strerror(errno);
  if (!fault.empty()) ::unlink(temp.c_str());
  return fault;
}

}  // namespace tintaro::tools
