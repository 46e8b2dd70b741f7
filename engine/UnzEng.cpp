// libunzeng.so: extracts the entries of a zip archive into the current folder
// with libzip, reporting progress and messages through the caller's callback.
//
// The archive is input from outside, so besides libzip's own checks:
//  - names are taken from the engine's own reading of the central directory,
//    and a name with a control byte, an empty, "." or ".." file-name part, or
//    (with folder names) an absolute or ".." component is skipped;
//  - folders are entered with O_NOFOLLOW, and each file is written to a
//    fresh temporary file in its folder, given mode 0644 and renamed over the
//    target only when complete and its CRC checked, so an existing link is
//    replaced rather than followed and a failed entry leaves the old file;
//  - link entries are not created;
//  - entries whose local data overlap another entry's are refused, and each
//    entry may not produce more than its declared size, kEntryLimit bytes, or
//    what is left of kRunLimit for the whole run;
//  - libzip is shown only the directory the engine read (DirectorySource),
//    and while it reads an entry only that entry's bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "archive/UnzEngine.h"
#include "engine/DirectorySource.h"
#include "engine/EntryPath.h"
#include "engine/ZipLayout.h"

#define UNZ_EXPORT extern "C" __attribute__((visibility("default")))

namespace tintaro::engine {
namespace {

constexpr int32_t kEngineVersion = 160;
// One entry may inflate to at most 1 GiB and a whole run to 2 GiB - 1, which
// is also the largest total the callback's 32-bit Size can carry. Puzzle
// archives hold a few pictures of some megabytes. The environment variables
// TINTARO_UNZENG_ENTRY_LIMIT and TINTARO_UNZENG_RUN_LIMIT may lower the
// limits (tests use them), never raise them.
constexpr uint64_t kEntryLimit = uint64_t{1} << 30;
constexpr uint64_t kRunLimit = (uint64_t{1} << 31) - 1;
constexpr size_t kChunk = 256 * 1024;
// Short-form requests carry a pointer and a count; more specifications than
// this are taken as a broken request.
constexpr int32_t kMaxSpecs = 1 << 20;

uint64_t LimitFromEnv(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (*end != '\0') return fallback;
  return std::min<uint64_t>(v, fallback);
}

int32_t Clamp32(uint64_t v) { return static_cast<int32_t>(std::min<uint64_t>(v, INT32_MAX)); }

// Failed writes carry errno in the code's second byte.
int32_t WriteCode(int err) {
  const int32_t kind = (err == ENOSPC || err == EDQUOT || err == EFBIG) ? UnzCodeDiskFull : UnzCodeWriteFailed;
  return kind | (std::min(err, 255) << 8);
}

// Names in messages: control bytes shown as '?'.
std::string Printable(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) {
      Reset();
      fd_ = o.fd_;
      o.fd_ = -1;
    }
    return *this;
  }
  int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

struct ZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

struct EntryFailure {
  int32_t code;
  std::string text;
};

class Run {
 public:
  explicit Run(const UnzRequestCommon& request) : req_(request) {
    std::memset(&info_, 0, sizeof info_);
    info_.OwnerWindow = request.OwnerWindow;
    info_.Caller = request.Caller;
    info_.EngineVersion = kEngineVersion;
    entryLimit_ = LimitFromEnv("TINTARO_UNZENG_ENTRY_LIMIT", kEntryLimit);
    runLimit_ = LimitFromEnv("TINTARO_UNZENG_RUN_LIMIT", kRunLimit);
  }

  int32_t Execute() {
    try {
      Body();
    } catch (const std::bad_alloc&) {
      Message(UnzCodeNoMemory, "Out of memory");
    } catch (const std::exception& e) {
      Message(UnzCodeInternal, "Internal failure: %s", e.what());
    }
    Report(UnzActionEndOfRun, 0, 0, "");
    return written_;
  }

  // An exception thrown by the caller's callback, passed back to the caller
  // once the run has cleaned up.
  std::exception_ptr CallerException() const { return callerException_; }

 private:
  // Calls back; false once the callback has asked to stop.
  bool Report(int32_t action, int32_t code, int32_t size, std::string_view text) {
    if (!req_.Callback || callerException_) return !cancelled_;
    info_.Action = action;
    info_.Code = code;
    info_.Size = size;
    const size_t n = std::min(text.size(), sizeof info_.Text - 1);
    std::memcpy(info_.Text, text.data(), n);
    info_.Text[n] = '\0';
    try {
      if (req_.Callback(&info_) == -1) cancelled_ = true;
    } catch (...) {
      callerException_ = std::current_exception();
      cancelled_ = true;
    }
    return !cancelled_;
  }

  __attribute__((format(printf, 3, 4))) void Message(int32_t code, const char* format, ...) {
    char text[sizeof info_.Text];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Report(UnzActionMessage, code, 0, text);
  }

  bool ReadRequest() {
    const int32_t count = req_.SpecCount;
    if (count < 0 || count > kMaxSpecs) {
      Message(UnzCodeBadRequest, "Bad request: %d file specifications", count);
      return false;
    }
    // The long form's mark sits where the short form keeps its (aligned,
    // never 7) array pointer.
    int32_t mark;
    std::memcpy(&mark, reinterpret_cast<const char*>(&req_) + sizeof(UnzRequestCommon), sizeof mark);
    if (mark == UNZ_FORM_MARK) {
      const auto& longForm = reinterpret_cast<const UnzRequestLong&>(req_);
      // Only the 4096 slots exist; a larger count is cut to them.
      const int32_t n = std::min<int32_t>(count, UNZ_LONG_FORM_SLOTS);
      for (int32_t i = 0; i < n; ++i)
        if (longForm.Specs[i]) specs_.emplace_back(longForm.Specs[i]);
    } else {
      const auto& shortForm = reinterpret_cast<const UnzRequestShort&>(req_);
      if (count > 0 && !shortForm.Specs) {
        Message(UnzCodeBadRequest, "Bad request: no file specification list");
        return false;
      }
      for (int32_t i = 0; i < count; ++i)
        if (shortForm.Specs[i].Spec) specs_.emplace_back(shortForm.Specs[i].Spec);
    }
    if (req_.Password && req_.Password[0]) password_.assign(req_.Password, strnlen(req_.Password, 80));
    return true;
  }

  void Body() {
    if (!ReadRequest()) return;
    if (!req_.ArchivePath || !req_.ArchivePath[0]) {
      Message(UnzCodeBadRequest, "Bad request: no archive path");
      return;
    }
    const std::string path = req_.ArchivePath;
    // Non-blocking, so that a named pipe put in the archive's place cannot
    // hang the open; it is then refused as not a regular file.
    Fd archive(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st;
    if (archive.Get() < 0 || fstat(archive.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
      Message(UnzCodeOpenFailed, "Cannot open the archive %s: %s", Printable(path).c_str(),
              archive.Get() < 0 ? std::strerror(errno) : "not a regular file");
      return;
    }
    switch (ReadZipLayout(archive.Get(), static_cast<uint64_t>(st.st_size), layout_)) {
      case LayoutResult::Ok:
        break;
      case LayoutResult::NotAnArchive:
        Message(UnzCodeNotAnArchive, "Not a zip archive: %s", Printable(path).c_str());
        return;
      case LayoutResult::Damaged:
        Message(UnzCodeDamaged, "Damaged archive directory: %s", Printable(path).c_str());
        return;
      case LayoutResult::TooLarge:
        Message(UnzCodeTooLarge, "Archive directory too large: %s", Printable(path).c_str());
        return;
      case LayoutResult::ReadFailed:
        Message(UnzCodeOpenFailed, "Cannot read the archive %s", Printable(path).c_str());
        return;
      case LayoutResult::MultiVolume:
        Message(UnzCodeUnsupported, "Part of a multi-volume archive: %s", Printable(path).c_str());
        return;
    }
    if (!OpenWithLibzip(archive.Get(), path)) return;
    if (!req_.Test) {
      base_ = Fd(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (base_.Get() < 0) {
        Message(WriteCode(errno), "Cannot open the extraction folder: %s", std::strerror(errno));
        return;
      }
    }
    ExtractAll();
  }

  bool OpenWithLibzip(int fd, const std::string& path) {
    zip_error_t error;
    zip_error_init(&error);
    source_ = std::make_unique<DirectorySource>(fd, layout_);
    zip_source_t* source = source_->Create(&error);
    if (!source) {
      Message(UnzCodeNoMemory, "Cannot read the archive %s", Printable(path).c_str());
      zip_error_fini(&error);
      return false;
    }
    zip_t* za = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!za) {
      zip_source_free(source);
      const int ze = zip_error_code_zip(&error);
      const int32_t code = ze == ZIP_ER_NOZIP       ? UnzCodeNotAnArchive
                           : ze == ZIP_ER_MEMORY    ? UnzCodeNoMemory
                           : ze == ZIP_ER_MULTIDISK ? UnzCodeUnsupported
                                                    : UnzCodeDamaged;
      Message(code, "Cannot open the archive %s: %s", Printable(path).c_str(), zip_error_strerror(&error));
      zip_error_fini(&error);
      return false;
    }
    zip_error_fini(&error);
    zip_.reset(za);
    if (zip_get_num_entries(za, 0) != static_cast<zip_int64_t>(layout_.entries.size())) {
      Message(UnzCodeDamaged, "Damaged archive directory: %s", Printable(path).c_str());
      return false;
    }
    return true;
  }

  // libzip read the same directory bytes, so its entry `index` is ours; its
  // sizes, method and CRC must still say so. The name is not compared: libzip
  // replaces it by a Unicode Path extra field, while the engine keeps the
  // stored name, as the archive component lists it.
  bool SameAsLibzip(const LayoutEntry& e, const zip_stat_t& st) const {
    const zip_uint64_t need = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD;
    // AES entries store method 99 and keep the real one in their extra field.
    const bool aes = e.method == 99 && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
                     (st.encryption_method == ZIP_EM_AES_128 || st.encryption_method == ZIP_EM_AES_192 ||
                      st.encryption_method == ZIP_EM_AES_256);
    return (st.valid & need) == need && st.size == e.uncompressedSize && st.comp_size == e.compressedSize &&
           (st.comp_method == e.method || aes) && (!(st.valid & ZIP_STAT_CRC) || st.crc == e.crc);
  }

  void ExtractAll() {
    NameConverter converter;
    std::vector<std::string> names(layout_.entries.size());
    std::vector<size_t> selected;
    std::vector<bool> specMatched(specs_.size(), false);
    uint64_t totalBytes = 0;
    for (size_t i = 0; i < layout_.entries.size(); ++i) {
      const LayoutEntry& e = layout_.entries[i];
      names[i] = converter.Convert(e.rawName, e.HostSystem(), static_cast<uint8_t>(e.versionMadeBy), e.NameIsUtf8());
      bool take = specs_.empty();
      for (size_t s = 0; s < specs_.size(); ++s) {
        if (WildcardMatch(specs_[s], names[i])) {
          take = true;
          specMatched[s] = true;
        }
      }
      if (!take) continue;
      selected.push_back(i);
      totalBytes += e.uncompressedSize;
      totalBytes = std::min<uint64_t>(totalBytes, INT32_MAX);
    }
    for (size_t s = 0; s < specs_.size(); ++s)
      if (!specMatched[s]) Message(UnzCodeNoMatch, "No entry matches %s", Printable(specs_[s]).c_str());
    if (!Report(UnzActionTotalEntries, 0, Clamp32(selected.size()), "")) return Stopped();
    if (!Report(UnzActionTotalBytes, 0, Clamp32(totalBytes), "")) return Stopped();
    buffer_.resize(kChunk);
    for (size_t i : selected) {
      ExtractOne(i, names[i]);
      if (cancelled_) return Stopped();
    }
  }

  void Stopped() {
    // The callback asked to stop; what was written stays, nothing is half done.
    if (!callerException_) Message(UnzCodeInfo, "Extraction stopped");
  }

  void ExtractOne(size_t index, const std::string& name) {
    const LayoutEntry& e = layout_.entries[index];
    const std::string shown = Printable(name);
    if (HasControlByte(e.rawName)) {
      Message(UnzCodeUnsafeEntry, "Unsafe name skipped: %s", shown.c_str());
      return;
    }
    TargetPath target;
    switch (SplitTarget(name, req_.DirNames != 0, target)) {
      case PathKind::Unsafe:
        Message(UnzCodeUnsafeEntry, "Unsafe name skipped: %s", shown.c_str());
        return;
      case PathKind::Folder:
        if (req_.DirNames && !req_.Test) {
          EntryFailure failure{};
          Fd folder = OpenFolder(target.folders, failure);
          if (folder.Get() < 0) Message(failure.code, "%s: %s", failure.text.c_str(), shown.c_str());
        } else if (!req_.DirNames) {
          Message(UnzCodeInfo, "Folder entry skipped: %s", shown.c_str());
        }
        return;
      case PathKind::File:
        break;
    }
    // Unix hosts keep the file type in the high half of the attributes.
    if (e.HostSystem() == 3 && ((e.externalAttributes >> 16) & S_IFMT) == S_IFLNK) {
      Message(UnzCodeUnsafeEntry, "Link entry not extracted: %s", shown.c_str());
      return;
    }
    zip_stat_t st;
    if (zip_stat_index(zip_.get(), index, 0, &st) != 0 || !SameAsLibzip(e, st) || !e.rangeValid) {
      Message(UnzCodeDamaged, "Damaged entry: %s", shown.c_str());
      return;
    }
    if (e.overlaps) {
      Message(UnzCodeDamaged, "Entry data overlaps another entry: %s", shown.c_str());
      return;
    }
    if (e.uncompressedSize > entryLimit_) {
      Message(UnzCodeTooLarge, "Entry larger than %llu bytes: %s", static_cast<unsigned long long>(entryLimit_),
              shown.c_str());
      return;
    }
    if (e.uncompressedSize > runLimit_ - runBytes_) {
      Message(UnzCodeTooLarge, "Run limit of %llu bytes reached: %s", static_cast<unsigned long long>(runLimit_),
              shown.c_str());
      return;
    }

    Fd folder;
    if (!req_.Test) {
      EntryFailure failure{};
      folder = OpenFolder(target.folders, failure);
      if (folder.Get() < 0) {
        Message(failure.code, "%s: %s", failure.text.c_str(), shown.c_str());
        return;
      }
      if (!MayReplace(folder.Get(), target.leaf, st, shown)) return;
    }
    if (!Report(UnzActionNewEntry, 0, Clamp32(e.uncompressedSize), name)) return;

    // libzip 1.7.3 leaks memory when asked to open an entry whose method it
    // cannot handle, so such entries are refused before it is asked.
    if (((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE &&
         !zip_encryption_method_supported(st.encryption_method, 0)) ||
        ((st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0))) {
      Message(UnzCodeUnsupported, "Unsupported method: %s", shown.c_str());
      return;
    }
    source_->Confine(e.rangeStart, e.rangeEnd);
    zip_file_t* raw = password_.empty() ? zip_fopen_index(zip_.get(), index, 0)
                                        : zip_fopen_index_encrypted(zip_.get(), index, 0, password_.c_str());
    if (!raw) {
      ReportZipError(zip_get_error(zip_.get()), e, shown);
      return;
    }
    std::unique_ptr<zip_file_t, ZipFileCloser> file(raw);
    if (req_.Test) {
      if (Copy(file.get(), -1, e, shown)) {
        ++written_;
        if (req_.Verbose) Message(UnzCodeInfo, "OK: %s", shown.c_str());
      }
      return;
    }
    WriteEntry(folder.Get(), target.leaf, file.get(), e, st, shown);
  }

  // Opens (with folder names, first makes) the folder an entry goes into,
  // never following a link on the way.
  Fd OpenFolder(const std::vector<std::string>& folders, EntryFailure& failure) {
    Fd current(openat(base_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const std::string& part : folders) {
      if (current.Get() < 0) break;
      if (mkdirat(current.Get(), part.c_str(), 0755) != 0 && errno != EEXIST) {
        failure = {WriteCode(errno), std::string("Cannot make a folder (") + std::strerror(errno) + ")"};
        return Fd();
      }
      Fd next(openat(current.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (next.Get() < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
          failure = {UnzCodeUnsafeEntry, "A folder on the path is a link or a file"};
        else
          failure = {WriteCode(errno), std::string("Cannot open a folder (") + std::strerror(errno) + ")"};
        return Fd();
      }
      current = std::move(next);
    }
    if (current.Get() < 0) failure = {WriteCode(errno), "Cannot open the extraction folder"};
    return current;
  }

  // Applies the overwrite, update and freshen options to an existing target.
  bool MayReplace(int folder, const std::string& leaf, const zip_stat_t& st, const std::string& shown) {
    struct stat existing;
    const bool exists = fstatat(folder, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    const bool update = req_.Update != 0;
    const bool freshen = req_.Freshen != 0 && !update;
    if (!exists) {
      if (freshen) Message(UnzCodeInfo, "Not extracted, no file to freshen: %s", shown.c_str());
      return !freshen;
    }
    if (S_ISDIR(existing.st_mode)) {
      Message(WriteCode(EISDIR), "A folder has the entry's name: %s", shown.c_str());
      return false;
    }
    if (update || freshen) {
      // Links and other non-files are always replaced, never compared.
      if (S_ISREG(existing.st_mode) && (st.valid & ZIP_STAT_MTIME) && existing.st_mtime >= st.mtime) {
        Message(UnzCodeInfo, "Existing file is not older: %s", shown.c_str());
        return false;
      }
      return true;
    }
    if (!req_.OverWrite) {
      Message(UnzCodeInfo, "Existing file kept: %s", shown.c_str());
      return false;
    }
    return true;
  }

  void ReportZipError(zip_error_t* error, const LayoutEntry& e, const std::string& shown) {
    const int ze = zip_error_code_zip(error);
    const bool encrypted = (e.flags & 1) != 0;
    switch (ze) {
      case ZIP_ER_NOPASSWD:
        Message(UnzCodeBadPassword, "Password required: %s", shown.c_str());
        break;
      case ZIP_ER_WRONGPASSWD:
        Message(UnzCodeBadPassword, "Wrong password: %s", shown.c_str());
        break;
      case ZIP_ER_COMPNOTSUPP:
      case ZIP_ER_ENCRNOTSUPP:
        Message(UnzCodeUnsupported, "Unsupported method: %s", shown.c_str());
        break;
      case ZIP_ER_MEMORY:
        Message(UnzCodeNoMemory, "Out of memory: %s", shown.c_str());
        break;
      case ZIP_ER_CRC:
      case ZIP_ER_ZLIB:
      case ZIP_ER_COMPRESSED_DATA:
        // A wrong password slips past the one-byte check of the traditional
        // encryption once in 256 tries; the data then fails to inflate or
        // to match its CRC.
        if (encrypted)
          Message(UnzCodeBadPassword, "Wrong password or damaged data: %s", shown.c_str());
        else
          Message(UnzCodeDamaged, "%s: %s", ze == ZIP_ER_CRC ? "CRC error" : zip_error_strerror(error), shown.c_str());
        break;
      default:
        Message(UnzCodeDamaged, "Damaged entry (%s): %s", zip_error_strerror(error), shown.c_str());
        break;
    }
  }

  // Data of an encrypted entry that comes out wrong most likely met a wrong
  // password that passed the one-byte check.
  static int32_t DataCode(const LayoutEntry& e) { return (e.flags & 1) ? UnzCodeBadPassword : UnzCodeDamaged; }

  // Reads the entry to its end (where libzip checks the CRC), writing to
  // `out` unless it is -1. False after a reported failure or a stop.
  bool Copy(zip_file_t* file, int out, const LayoutEntry& e, const std::string& shown) {
    const uint64_t declared = e.uncompressedSize;
    uint64_t done = 0;
    for (;;) {
      // Asking for one byte beyond the declared size shows a longer stream.
      const uint64_t want = std::min<uint64_t>(buffer_.size(), declared - done + 1);
      const zip_int64_t got = zip_fread(file, buffer_.data(), want);
      if (got < 0) {
        ReportZipError(zip_file_get_error(file), e, shown);
        return false;
      }
      if (got == 0) break;
      done += static_cast<uint64_t>(got);
      if (done > declared) {
        Message(DataCode(e), "More data than declared: %s", shown.c_str());
        return false;
      }
      runBytes_ += static_cast<uint64_t>(got);
      if (out >= 0 && !WriteAll(out, buffer_.data(), static_cast<size_t>(got), shown)) return false;
      if (!Report(UnzActionBytes, 0, static_cast<int32_t>(got), "")) return false;
    }
    if (done != declared) {
      Message(DataCode(e), "Less data than declared: %s", shown.c_str());
      return false;
    }
    return true;
  }

  bool WriteAll(int fd, const uint8_t* data, size_t n, const std::string& shown) {
    while (n > 0) {
      const ssize_t put = write(fd, data, n);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        const int err = put < 0 ? errno : ENOSPC;
        Message(WriteCode(err), "Cannot write %s: %s", shown.c_str(), std::strerror(err));
        return false;
      }
      data += put;
      n -= static_cast<size_t>(put);
    }
    return true;
  }

  // A unique temporary name in the target's folder; O_EXCL settles races.
  Fd CreateTemp(int folder, std::string& tempName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
      char name[32];
      std::snprintf(name, sizeof name, ".unzeng-%012llx.tmp",
                    static_cast<unsigned long long>((seed_ >> 16) & 0xFFFFFFFFFFFFULL));
      Fd fd(openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (fd.Get() >= 0 || errno != EEXIST) {
        tempName = name;
        return fd;
      }
    }
    errno = EEXIST;
    return Fd();
  }

  void WriteEntry(int folder, const std::string& leaf, zip_file_t* file, const LayoutEntry& e,
                  const zip_stat_t& st, const std::string& shown) {
    std::string tempName;
    Fd out = CreateTemp(folder, tempName);
    if (out.Get() < 0) {
      const int err = errno;
      Message(WriteCode(err), "Cannot create a file for %s: %s", shown.c_str(), std::strerror(err));
      return;
    }
    // Removes the temporary file on every way out but a completed rename.
    struct TempGuard {
      int folder;
      const std::string& name;
      bool keep = false;
      ~TempGuard() {
        if (!keep) unlinkat(folder, name.c_str(), 0);
      }
    } guard{folder, tempName};
    bool ok = Copy(file, out.Get(), e, shown);
    if (ok) {
      // Plain permissions whatever the archive says; the entry's time so that
      // update and freshen can compare later.
      fchmod(out.Get(), 0644);
      if (st.valid & ZIP_STAT_MTIME) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {st.mtime, 0}};
        futimens(out.Get(), times);
      }
      if (close(out.Release()) != 0) {
        const int err = errno;
        Message(WriteCode(err), "Cannot write %s: %s", shown.c_str(), std::strerror(err));
        ok = false;
      }
    }
    if (ok && renameat(folder, tempName.c_str(), folder, leaf.c_str()) != 0) {
      const int err = errno;
      Message(WriteCode(err), "Cannot replace %s: %s", shown.c_str(), std::strerror(err));
      ok = false;
    }
    if (!ok) return;
    guard.keep = true;
    ++written_;
    if (req_.Verbose) Message(UnzCodeInfo, "Extracted: %s", shown.c_str());
  }

  const UnzRequestCommon& req_;
  UnzCallbackInfo info_;
  bool cancelled_ = false;
  std::exception_ptr callerException_;
  int32_t written_ = 0;
  uint64_t entryLimit_;
  uint64_t runLimit_;
  uint64_t runBytes_ = 0;
  uint64_t seed_ = static_cast<uint64_t>(getpid()) ^ static_cast<uint64_t>(time(nullptr)) << 20 ^
                   reinterpret_cast<uintptr_t>(this);
  std::vector<std::string> specs_;
  std::string password_;
  ZipLayout layout_;
  std::unique_ptr<DirectorySource> source_;  // outlives zip_, which reads through it
  std::unique_ptr<zip_t, ZipCloser> zip_;
  Fd base_;
  std::vector<uint8_t> buffer_;
};

}  // namespace
}  // namespace tintaro::engine

UNZ_EXPORT int32_t GetUnzEngVersion(void) { return tintaro::engine::kEngineVersion; }

UNZ_EXPORT int32_t UnzEngExec(const UnzRequestCommon* request) {
  if (!request) return 0;
  std::exception_ptr callerException;
  int32_t written = 0;
  try {
    tintaro::engine::Run run(*request);
    written = run.Execute();
    callerException = run.CallerException();
  } catch (...) {
    // The engine's own failures never leave it.
    return written;
  }
  // The caller's exception goes back to the caller, which guards the call.
  if (callerException) std::rethrow_exception(callerException);
  return written;
}
