// Builds well-formed zip archives for tests with libzip's writer: stored and
// deflated files, folders, encrypted files, link entries and chosen hosts,
// modes and times; plus helpers that patch the bytes of a built archive.
#pragma once

#include "support/TestFiles.h"

#include <zip.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tintaro::test {

class ZipWriter {
 public:
  enum class Method { Store, Deflate };

  // Each Add returns the writer so that entries chain; the setters below
  // apply to the entry added last.
  ZipWriter& Add(const std::string& name, const std::string& data, Method method = Method::Deflate);
  ZipWriter& AddFolder(const std::string& name);
  // `encryption` is ZIP_EM_TRAD_PKWARE or one of the ZIP_EM_AES_* methods.
  ZipWriter& AddEncrypted(const std::string& name, const std::string& data, uint16_t encryption,
                          const std::string& password);
  // A Unix link entry: the data is the link's target.
  ZipWriter& AddSymlink(const std::string& name, const std::string& target);

  ZipWriter& Mode(uint32_t unixMode);  // full st_mode, file type included
  ZipWriter& DosHost();                // stored by an MS-DOS host
  ZipWriter& Time(time_t mtime);
  ZipWriter& Comment(const std::string& archiveComment);

  // Writes the archive to `path`; false (and a message in `error`) on failure.
  bool WriteTo(const std::string& path, std::string* error = nullptr) const;
  // The archive's bytes, written through a temporary file.
  std::vector<uint8_t> Bytes() const;

 private:
  struct Entry {
    std::string name;
    std::string data;
    bool folder = false;
    Method method = Method::Deflate;
    uint16_t encryption = ZIP_EM_NONE;
    std::string password;
    uint8_t host = ZIP_OPSYS_UNIX;
    uint32_t mode = 0100644;
    time_t mtime = 1'600'000'000;
  };
  std::vector<Entry> entries_;
  std::string comment_;
};


// Replaces every occurrence of `from` by `to` (same length) and returns the
// number replaced: a name appears once in its local and once in its central
// header, so patching a unique marker patches both.
int PatchAll(std::vector<uint8_t>& bytes, const std::string& from, const std::string& to);

// Offsets of every central header (signature PK\1\2), in directory order.
std::vector<size_t> CentralHeaderOffsets(const std::vector<uint8_t>& bytes);

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t v);
void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v);
uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at);

}  // namespace tintaro::test
