// The archive component's events: the progress event names the puzzle
// picture, the message event logs and sets the archive error flags.
#include "shell/TintaroShell.h"

namespace tintaro {

namespace {

// The component's codes for an archive it cannot read or extract.
bool ComponentCodeIsCorrupt(int code) {
  switch (code) {
    case 10102: case 10201: case 10202: case 10203: case 10501: case 11015:
      return true;
    default:
      return false;
  }
}

// The engine's codes (low byte) for entries it could not turn into files
// because of the archive itself: damaged data or CRC, no directory, no
// memory, an unsupported method, encryption, a size beyond its limits, an
// unreadable archive file. Without a flag the Load would go on with some
// files missing and mislead the player.
bool EngineCodeIsCorrupt(int code) {
  switch (code) {
    case 2: case 3: case 4: case 7: case 8: case 9: case 12:
      return true;
    default:
      return false;
  }
}

constexpr int kDiskFullCode = 14;
constexpr int kNotAnArchiveCode = 11036;

}  // namespace

void TintaroShell::ZipArchive1Progress(ProgressType progrType, const std::string& filename, int64_t) {
  if (progrType != ProgrNewEntry) return;
  // Both tests look at the file-name part, so a folder name such as
  // "pics\" cannot hide the "spi" of a clue picture.
  const std::string name = EntryFileNamePart(filename);
  if (ExtensionOf(name) != ".bmp") return;
  if (LowerAsciiLetters(name.substr(0, 3)) == "spi") return;
  state_.PictureEntryName = name;
}

void TintaroShell::ZipArchive1Message(int, const std::string& message) {
  // The event's own code is 0 for the component's messages; the property
  // holds the number.
  const int code = archive_.ErrCode;
  if (LogOn()) {
    WriteLog({"\r\nMessage Filename: " + state_.ArchivePath, "\r\n ErrCode: " + std::to_string(code) + "  " + message});
  }
  if (code == 0) return;
  if (code == kDiskFullCode) {
    state_.DiskFull = true;
  } else if (code == kNotAnArchiveCode) {
    state_.NotAnArchive = true;
  } else if (ComponentCodeIsCorrupt(code) || EngineCodeIsCorrupt(code)) {
    state_.ArchiveCorrupt = true;
  }
}

}  // namespace tintaro
