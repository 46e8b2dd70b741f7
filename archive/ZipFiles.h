// Buffered reading and writing of archive files by position, for the
// directory reader and the multi-volume join.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tintaro {

// A regular file opened for reading. Reads come back short at the end of the
// file or on an error; seeking past the end is allowed, before 0 is not.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { Close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Fails for anything but a regular file (a FIFO named like a volume must
  // not block the reader).
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int64_t Size() const { return size_; }
  int64_t Position() const { return pos_; }
  // Modification time of the open file, seconds and nanoseconds.
  int64_t MTimeSec() const { return mtimeSec_; }
  int64_t MTimeNsec() const { return mtimeNsec_; }

  size_t Read(void* dst, size_t n);
  bool Seek(int64_t pos);
  bool Skip(int64_t n) { return Seek(pos_ + n); }
  bool AtEnd() const { return pos_ >= size_; }

 private:
  int fd_ = -1;
  int64_t size_ = 0;
  int64_t pos_ = 0;
  int64_t mtimeSec_ = 0;
  int64_t mtimeNsec_ = 0;
  std::vector<uint8_t> buf_;
  int64_t bufStart_ = 0;
  size_t bufLen_ = 0;
};

// A file created for writing; only a file this process created exclusively.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Close(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `path`, failing when it already exists.
  bool CreateNew(const std::string& path);
  bool Write(const void* src, size_t n);
  int64_t Position() const { return pos_; }
  bool SetMTime(int64_t sec, int64_t nsec);
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  bool Flush();
  int fd_ = -1;
  int64_t pos_ = 0;
  std::vector<uint8_t> buf_;
};

// The file and volume state of one List or one multi-volume join.
struct VolumeState {
  InputFile in;
  std::string readFileName;
  std::string volumeRoot;
  std::string volumeLabel;
  int64_t volumeFree = -1;
  int64_t volumeTotal = -1;
  int diskNr = 0;
  int lastDiskNr = 0;
  bool newVolumeWanted = false;
  std::string rawComment;
  // The end-of-central-directory record found last, and where the archive ends.
  uint8_t endRecord[22] = {};
  int64_t zipEnd = 0;
};

// Makes `state` the current volume state for a scope and restores the outer
// one after it.
class VolumeScope {
 public:
  VolumeScope(VolumeState*& slot, VolumeState& state) : slot_(slot), outer_(std::exchange(slot, &state)) {}
  ~VolumeScope() { slot_ = outer_; }
  VolumeScope(const VolumeScope&) = delete;
  VolumeScope& operator=(const VolumeScope&) = delete;

 private:
  VolumeState*& slot_;
  VolumeState* outer_;
};

}  // namespace tintaro
