// The diagnostic log writes straight to its descriptor: a crash or a kill
// after an entry was flushed loses nothing.
#include "shell/DiagnosticLog.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "core/Errors.h"

namespace tintaro {

namespace {

[[noreturn]] void Fail(const char* what, int err) {
  throw EInOutError(std::string(what) + ": " + std::strerror(err));
}

}  // namespace

DiagnosticLog::~DiagnosticLog() { Close(); }

bool DiagnosticLog::Create(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

void DiagnosticLog::Write(const std::string& text) {
  if (fd_ < 0) return;
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write the log", errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
}

void DiagnosticLog::Flush() {
  if (fd_ < 0) return;
  // A log that was pointed at a device or a pipe cannot be synced; its bytes
  // have been handed over all the same.
  if (::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS) Fail("Cannot flush the log", errno);
}

void DiagnosticLog::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace tintaro
