// Whole-file reads with POSIX calls, so a folder or a missing file is told
// apart from a read that fails half way.
#include "core/picture/FileBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintaro {

ReadFileResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  if (path.empty()) return ReadFileResult::CannotOpen;
  // Non-blocking, so that opening a named pipe cannot hang the game; such a
  // file is refused below as not a regular file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ReadFileResult::CannotOpen;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ReadFileResult::CannotOpen;
  }
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  if (size > kMaxFileBytes) {
    ::close(fd);
    return ReadFileResult::TooLarge;
  }
  bytes.resize(size);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, bytes.data() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the file shrank or the read failed
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (done < size) {
    bytes.resize(done);
    return ReadFileResult::ReadFailed;
  }
  return ReadFileResult::Ok;
}

}  // namespace tintaro
