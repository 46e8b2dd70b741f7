// The diagnostic log writes straight to its descriptor: a crash or a kill
// after an entry was flushed loses nothing.
#include "shell/DiagnosticLog.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
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
  // Whatever was planted under the log's name (a link, a FIFO, a device) is
  // refused before anything is emptied: no link is followed, no open blocks.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
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
  if (::fdatasync(fd_) != 0) Fail("Cannot flush the log", errno);
}

void DiagnosticLog::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace tintaro
