// Source files are opened with POSIX calls: O_NONBLOCK so a FIFO cannot hang
// the build, O_NOFOLLOW so a link is refused, and the descriptor's own path
// in /proc to learn where the file opened really lies.
#include "tools/SourceFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace tintaro::tools {

namespace {

namespace fs = std::filesystem;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

std::string ReadOpened(int fd, size_t limit, std::string& out) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return "cannot read";
  if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? "is a folder, not a file" : "not a regular file";
  out.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return "cannot read";
    if (n == 0) return "";
    if (out.size() + static_cast<size_t>(n) > limit)
      return "larger than " + std::to_string(limit >> 20) + " MiB";
    out.append(buffer, static_cast<size_t>(n));
  }
}

bool Inside(const fs::path& file, const fs::path& folder) {
  auto f = file.begin();
  for (auto d = folder.begin(); d != folder.end(); ++d, ++f)
    if (f == file.end() || *f != *d) return false;
  return f != file.end();
}

}  // namespace

std::string SourceNameFault(std::string_view name) {
  if (name.empty()) return "no file name";
  if (name.front() == '/') return "an absolute path: a source names files relative to its own folder";
  for (size_t start = 0; start <= name.size();) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return "'..' leads out of the source's folder";
    start = end + 1;
  }
  return "";
}

std::string ReadRegularFile(const std::string& path, size_t limit, std::string& out) {
  const Descriptor fd(::open(path.c_str(), kOpenFlags));
  if (fd.Get() < 0) return "cannot open";
  return ReadOpened(fd.Get(), limit, out);
}

std::string ReadSourceFile(const std::string& folder, const std::string& name, size_t limit, std::string& out) {
  if (std::string fault = SourceNameFault(name); !fault.empty()) return name + ": " + fault;
  const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
  const Descriptor fd(::open((base / name).c_str(), kOpenFlags | O_NOFOLLOW));
  if (fd.Get() < 0)
    return name + (errno == ELOOP ? ": a link; a source names regular files inside its own folder" : ": cannot open");
  std::error_code ec;
  const fs::path opened = fs::canonical("/proc/self/fd/" + std::to_string(fd.Get()), ec);
  const fs::path inside = ec ? fs::path() : fs::canonical(base, ec);
  if (ec) return name + ": cannot open";
  if (!Inside(opened, inside)) return name + ": lies outside the source's folder";
  if (std::string fault = ReadOpened(fd.Get(), limit, out); !fault.empty()) return name + ": " + fault;
  return "";
}

}  // namespace tintaro::tools
