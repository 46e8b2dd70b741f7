// The archive as libzip is allowed to see it: the engine's own reading of the
// entries and central directory, closed by an end record of the engine's
// making, so that libzip finds exactly one directory, the engine's.
#pragma once

#include <zip.h>

#include <cstdint>

#include "engine/ZipLayout.h"

namespace tintaro::engine {

// Shown to libzip as: the archive's bytes up to the end of the chosen central
// directory, 20 zero bytes (no zip64 locator can be read there), an end record
// naming that directory, and a comment of 65535 zero bytes. libzip looks for
// end records only in the last 65557 bytes (plus 20 for a locator), which
// then hold just the one; its open reads the directory once.
class DirectorySource {
 public:
  DirectorySource(int fd, const ZipLayout& layout);
  ~DirectorySource() { zip_error_fini(&error_); }
  DirectorySource(const DirectorySource&) = delete;
  DirectorySource& operator=(const DirectorySource&) = delete;

  // A libzip source over this object, which must outlive it; nullptr on
  // failure with `error` set.
  zip_source_t* Create(zip_error_t* error);

  // From here on, reads outside [start, end) of the archive fail, so that
  // libzip reading an entry cannot touch another entry's bytes.
  void Confine(uint64_t start, uint64_t end) {
    allowStart_ = start;
    allowEnd_ = end;
  }

 private:
  static zip_int64_t Callback(void* self, void* data, zip_uint64_t len, zip_source_cmd_t cmd);
  zip_int64_t Read(uint8_t* out, uint64_t len);

  int fd_;
  uint64_t prefix_;
  uint64_t directoryEnd_;  // where the gap before our end record starts
  uint64_t size_;
  uint8_t endRecord_[22] = {};
  uint64_t position_ = 0;
  uint64_t allowStart_ = 0;
  uint64_t allowEnd_ = UINT64_MAX;
  zip_error_t error_;
};

}  // namespace tintaro::engine
