// The failure kinds of the game core. Each carries the message that the
// top-level error box shows when no handler catches it.
#pragma once

#include <stdexcept>
#include <string>

namespace tintaro {

// Base of every failure the program raises on purpose.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A file cannot be opened for reading.
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

// Picture data that cannot be decoded, or an unknown picture extension.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// libjpeg refused the data; a kind of invalid picture.
class EJPEG : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

// The data ends inside a header or table that must be read whole.
class EReadError : public Exception {
 public:
  using Exception::Exception;
};

// An operation that needs a bitmap met another kind of picture.
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// An index outside a fixed table; no handler catches it, so it reaches the
// top-level error box.
class ERangeError : public Exception {
 public:
  using Exception::Exception;
};

// A record or text file failed to open, read or close.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kBitmapNotValid = "Bitmap image is not valid";
inline constexpr const char* kIconNotValid = "Icon image is not valid";
inline constexpr const char* kMetafileNotValid = "Metafile is not valid";
inline constexpr const char* kRangeCheckError = "Range check error";

// The text of the top-level error box: the failure's message, with a full
// stop added when its last character sorts after ".".
inline std::string TopLevelErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace tintaro
