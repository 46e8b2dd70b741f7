// A libzip source that shows libzip only the directory the engine chose.
#include "engine/DirectorySource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tintaro::engine {
namespace {

constexpr uint64_t kGap = 20;  // where libzip would look for a zip64 locator
constexpr uint64_t kEndSize = 22;
constexpr uint64_t kCommentSize = 65535;

void PutU16(uint8_t* p, uint64_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint64_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

}  // namespace

DirectorySource::DirectorySource(int fd, const ZipLayout& layout)
    : fd_(fd),
      prefix_(layout.prefix),
      directoryEnd_(layout.cdOffset + layout.cdSize),
      size_(directoryEnd_ + kGap + kEndSize + kCommentSize) {
  // ReadZipLayout guarantees a count below 65536 and offsets below 4 GiB.
  uint8_t* e = endRecord_;
  PutU32(e, 0x06054b50);
  PutU16(e + 8, layout.entries.size());
  PutU16(e + 10, layout.entries.size());
  PutU32(e + 12, layout.cdSize);
  PutU32(e + 16, layout.cdOffset);
  PutU16(e + 20, kCommentSize);
  zip_error_init(&error_);
}

zip_source_t* DirectorySource::Create(zip_error_t* error) { return zip_source_function_create(&Callback, this, error); }

zip_int64_t DirectorySource::Read(uint8_t* out, uint64_t len) {
  len = std::min(len, size_ - std::min(position_, size_));
  if (len == 0) return 0;
  if (position_ < allowStart_ || position_ + len > allowEnd_) {
    zip_error_set(&error_, ZIP_ER_INCONS, 0);
    return -1;
  }
  uint64_t done = 0;
  while (done < len) {
    const uint64_t at = position_ + done;
    const uint8_t* synthetic = nullptr;
    uint64_t run = 0;
    if (at < directoryEnd_) {
      run = std::min(len - done, directoryEnd_ - at);
      const ssize_t got = pread(fd_, out + done, run, static_cast<off_t>(prefix_ + at));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        zip_error_set(&error_, ZIP_ER_READ, got < 0 ? errno : EIO);
        return -1;
      }
      done += static_cast<uint64_t>(got);
      continue;
    }
    const uint64_t endAt = directoryEnd_ + kGap;
    if (at >= endAt && at < endAt + kEndSize) {
      synthetic = endRecord_ + (at - endAt);
      run = std::min(len - done, endAt + kEndSize - at);
      std::memcpy(out + done, synthetic, run);
    } else {
      // The gap and the comment are zeros.
      run = std::min(len - done, at < endAt ? endAt - at : size_ - at);
      std::memset(out + done, 0, run);
    }
    done += run;
  }
  position_ += len;
  return static_cast<zip_int64_t>(len);
}

zip_int64_t DirectorySource::Callback(void* self, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* s = static_cast<DirectorySource*>(self);
  switch (cmd) {
    case ZIP_SOURCE_OPEN:
      s->position_ = 0;
      return 0;
    case ZIP_SOURCE_READ:
      return s->Read(static_cast<uint8_t*>(data), len);
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* st = static_cast<zip_stat_t*>(data);
      if (len < sizeof *st) return -1;
      zip_stat_init(st);
      st->size = s->size_;
      st->valid |= ZIP_STAT_SIZE;
      return sizeof *st;
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&s->error_, data, len);
    case ZIP_SOURCE_SEEK: {
      const zip_int64_t to =
          zip_source_seek_compute_offset(s->position_, s->size_, data, len, &s->error_);
      if (to < 0) return -1;
      s->position_ = static_cast<uint64_t>(to);
      return 0;
    }
    case ZIP_SOURCE_TELL:
      return static_cast<zip_int64_t>(s->position_);
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                            ZIP_SOURCE_SUPPORTS, -1);
    default:
      zip_error_set(&s->error_, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace tintaro::engine
