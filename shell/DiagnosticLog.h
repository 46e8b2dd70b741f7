// "TRO.log": created afresh when the first argument is "log", entries
// separated by CR LF with no line break at the end, each entry on disk as
// soon as it is flushed.
#pragma once

#include <string>

namespace tintaro {

class DiagnosticLog {
 public:
  DiagnosticLog() = default;
  ~DiagnosticLog();
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  // Creates `path`, replacing an older regular file; false when it cannot be
  // made or something else (a link, a FIFO, a device, a hard-linked file)
  // has that name.
  bool Create(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Appends the text as it is (callers put "\r\n" in front of every entry
  // but the first). Raises EInOutError when the write fails.
  void Write(const std::string& text);
  // Puts what was written on disk. Raises EInOutError when that fails.
  void Flush();
  void Close();

 private:
  int fd_ = -1;
};

}  // namespace tintaro
