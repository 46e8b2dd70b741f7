// Buffered positional file access for the archive component.
#include "archive/ZipFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tintaro {

namespace {
constexpr size_t kBufferSize = 256 * 1024;
}

bool InputFile::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = st.st_size;
  mtimeSec_ = st.st_mtim.tv_sec;
  mtimeNsec_ = st.st_mtim.tv_nsec;
  pos_ = 0;
  bufLen_ = 0;
  bufStart_ = 0;
  return true;
}

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  bufLen_ = 0;
}

bool InputFile::Seek(int64_t pos) {
  if (fd_ < 0 || pos < 0) return false;
  pos_ = pos;
  return true;
}

size_t InputFile::Read(void* dst, size_t n) {
  if (fd_ < 0) return 0;
  auto* out = static_cast<uint8_t*>(dst);
  size_t done = 0;
  while (done < n) {
    // Serve from the buffer when it covers the position.
    if (pos_ >= bufStart_ && pos_ < bufStart_ + static_cast<int64_t>(bufLen_)) {
      size_t at = static_cast<size_t>(pos_ - bufStart_);
      size_t take = std::min(n - done, bufLen_ - at);
      std::memcpy(out + done, buf_.data() + at, take);
      done += take;
      pos_ += static_cast<int64_t>(take);
      continue;
    }
    if (n - done >= kBufferSize) {
      ssize_t got = ::pread(fd_, out + done, n - done, pos_);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
      pos_ += got;
      continue;
    }
    // No larger than the file: a small archive does not write a quarter of
    // a megabyte of fresh memory to read a few kilobytes.
    const size_t wanted = static_cast<size_t>(std::clamp<int64_t>(size_, 1, static_cast<int64_t>(kBufferSize)));
    if (buf_.size() < wanted) buf_.resize(wanted);
    ssize_t got = ::pread(fd_, buf_.data(), buf_.size(), pos_);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      bufLen_ = 0;
      break;
    }
    bufStart_ = pos_;
    bufLen_ = static_cast<size_t>(got);
  }
  return done;
}

bool OutputFile::CreateNew(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  pos_ = 0;
  buf_.clear();
  buf_.reserve(kBufferSize);
  return fd_ >= 0;
}

bool OutputFile::Flush() {
  size_t done = 0;
  while (done < buf_.size()) {
    ssize_t put = ::write(fd_, buf_.data() + done, buf_.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  buf_.clear();
  return true;
}

bool OutputFile::Write(const void* src, size_t n) {
  if (fd_ < 0) return false;
  const auto* in = static_cast<const uint8_t*>(src);
  if (buf_.size() + n > kBufferSize && !Flush()) return false;
  if (n >= kBufferSize) {
    size_t done = 0;
    while (done < n) {
      ssize_t put = ::write(fd_, in + done, n - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += static_cast<size_t>(put);
    }
  } else {
    buf_.insert(buf_.end(), in, in + n);
  }
  pos_ += static_cast<int64_t>(n);
  return true;
}

bool OutputFile::SetMTime(int64_t sec, int64_t nsec) {
  if (fd_ < 0 || !Flush()) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = sec;
  times[1].tv_nsec = nsec;
  return ::futimens(fd_, times) == 0;
}

bool OutputFile::Close() {
  if (fd_ < 0) return true;
  bool ok = Flush();
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  buf_.clear();
  return ok;
}

}  // namespace tintaro
