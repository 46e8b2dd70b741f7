// libzip-backed archive builder for tests and seed corpora.
#include "support/ZipWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tintaro::test {

ZipWriter& ZipWriter::Add(const std::string& name, const std::string& data, Method method) {
  Entry e;
  e.name = name;
  e.data = data;
  e.method = method;
  entries_.push_back(std::move(e));
  return *this;
}

ZipWriter& ZipWriter::AddFolder(const std::string& name) {
  Entry e;
  e.name = name;
  e.folder = true;
  e.mode = 040755;
  entries_.push_back(std::move(e));
  return *this;
}

ZipWriter& ZipWriter::AddEncrypted(const std::string& name, const std::string& data, uint16_t encryption,
                                   const std::string& password) {
  Add(name, data);
  entries_.back().encryption = encryption;
  entries_.back().password = password;
  return *this;
}

ZipWriter& ZipWriter::AddSymlink(const std::string& name, const std::string& target) {
  Add(name, target, Method::Store);
  entries_.back().mode = 0120777;
  return *this;
}

ZipWriter& ZipWriter::Mode(uint32_t unixMode) {
  entries_.back().mode = unixMode;
  return *this;
}

ZipWriter& ZipWriter::DosHost() {
  entries_.back().host = ZIP_OPSYS_DOS;
  return *this;
}

ZipWriter& ZipWriter::Time(time_t mtime) {
  entries_.back().mtime = mtime;
  return *this;
}

ZipWriter& ZipWriter::Comment(const std::string& archiveComment) {
  comment_ = archiveComment;
  return *this;
}

bool ZipWriter::WriteTo(const std::string& path, std::string* error) const {
  int code = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + (za ? zip_strerror(za) : std::to_string(code));
    if (za) zip_discard(za);
    return false;
  };
  if (!za) return fail("zip_open");
  for (const Entry& e : entries_) {
    zip_int64_t index;
    if (e.folder) {
      index = zip_dir_add(za, e.name.c_str(), ZIP_FL_ENC_GUESS);
    } else {
      zip_source_t* src = zip_source_buffer(za, e.data.data(), e.data.size(), 0);
      if (!src) return fail("zip_source_buffer");
      index = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_GUESS);
      if (index < 0) zip_source_free(src);
    }
    if (index < 0) return fail("add");
    const auto i = static_cast<zip_uint64_t>(index);
    if (!e.folder &&
        zip_set_file_compression(za, i, e.method == Method::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) != 0)
      return fail("compression");
    if (e.encryption != ZIP_EM_NONE && zip_file_set_encryption(za, i, e.encryption, e.password.c_str()) != 0)
      return fail("encryption");
    const uint32_t attributes = e.host == ZIP_OPSYS_UNIX ? (e.mode << 16) : (e.folder ? 0x10 : 0x20);
    if (zip_file_set_external_attributes(za, i, 0, e.host, attributes) != 0) return fail("attributes");
    // libzip 1.7.3 derives the traditional encryption's check byte from the
    // source's own time, so an encrypted entry keeps that time.
    if (e.encryption == ZIP_EM_NONE && zip_file_set_mtime(za, i, e.mtime, 0) != 0) return fail("mtime");
  }
  if (!comment_.empty() &&
      zip_set_archive_comment(za, comment_.data(), static_cast<zip_uint16_t>(comment_.size())) != 0)
    return fail("comment");
  if (zip_close(za) != 0) return fail("zip_close");
  return true;
}

std::vector<uint8_t> ZipWriter::Bytes() const {
  char path[] = "/tmp/tintaro-zipwriter-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  close(fd);
  std::vector<uint8_t> bytes;
  if (WriteTo(path)) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  unlink(path);
  return bytes;
}

int PatchAll(std::vector<uint8_t>& bytes, const std::string& from, const std::string& to) {
  if (from.empty() || from.size() != to.size() || bytes.size() < from.size()) return 0;
  int count = 0;
  for (size_t i = 0; i + from.size() <= bytes.size(); ++i) {
    if (std::memcmp(bytes.data() + i, from.data(), from.size()) == 0) {
      std::memcpy(bytes.data() + i, to.data(), to.size());
      ++count;
      i += from.size() - 1;
    }
  }
  return count;
}

std::vector<size_t> CentralHeaderOffsets(const std::vector<uint8_t>& bytes) {
  std::vector<size_t> out;
  for (size_t i = 0; i + 4 <= bytes.size(); ++i)
    if (GetU32(bytes, i) == 0x02014b50) out.push_back(i);
  return out;
}

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t v) {
  bytes.at(at) = static_cast<uint8_t>(v);
  bytes.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  PutU16(bytes, at, static_cast<uint16_t>(v));
  PutU16(bytes, at + 2, static_cast<uint16_t>(v >> 16));
}

uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes.at(at)) | (static_cast<uint32_t>(bytes.at(at + 1)) << 8) |
         (static_cast<uint32_t>(bytes.at(at + 2)) << 16) | (static_cast<uint32_t>(bytes.at(at + 3)) << 24);
}

}  // namespace tintaro::test
