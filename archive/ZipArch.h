// The archive component TZipArchive: lists a zip archive's central directory,
// reports every problem as a numbered message, and extracts through the unzip
// engine that it loads at run time.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Errors.h"

namespace tintaro {

enum AddOptsEnum {
  AddDirNames, AddRecurseDirs, AddMove, AddFreshen, AddUpdate, AddZipTime, AddForceDOS,
  AddHiddenFiles, AddEncrypt, AddSeparateDirs, AddDiskSpan, AddDiskSpanErase,
};
enum ExtrOptsEnum { ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrUpdate, ExtrTest };
enum SFXOptsEnum { SFXAskCmdLine, SFXAskFiles, SFXAutoRun, SFXHideOverWriteBox, SFXCheckSize };
enum OvrOpts { OvrConfirm, OvrAlways, OvrNever };
enum CodePageOpts { cpAuto, cpNone, cpOEM };
enum DeleteOpts { htdFinal, htdAllowUndo };

// The kind of a progress report.
enum ProgressType {
  ProgrNewEntry = 0,
  ProgrBytes = 1,
  ProgrEndOfRun = 2,
  ProgrTotalEntries = 3,
  ProgrTotalBytes = 4,
};

// A set of enumeration values (at most 32 of them).
template <class E>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }
  constexpr bool Contains(E v) const { return (bits_ >> static_cast<unsigned>(v)) & 1u; }
  constexpr EnumSet& Include(E v) {
    bits_ |= 1u << static_cast<unsigned>(v);
    return *this;
  }
  constexpr EnumSet& Exclude(E v) {
    bits_ &= ~(1u << static_cast<unsigned>(v));
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const EnumSet&) const = default;

 private:
  uint32_t bits_ = 0;
};

// One central directory entry. The first sixteen fields are the 42 bytes of
// the central file header that follow its signature, unchanged.
struct ZipDirEntry {
  uint8_t MadeByVersion = 0;
  uint8_t HostOS = 0;
  uint16_t NeededVersion = 0;
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint32_t DosDateTime = 0;
  uint32_t Crc32 = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t NameLength = 0;
  uint16_t ExtraLength = 0;
  uint16_t CommentLength = 0;
  uint16_t StartDisk = 0;
  uint16_t InternalAttributes = 0;
  uint32_t ExternalAttributes = 0;
  uint32_t LocalHeaderOffset = 0;
  std::string FileName;     // converted, '/' replaced by a backslash
  std::string FileComment;  // converted; empty when there is none
};

// A numbered failure of the archive component, raised inside an operation and
// caught at its edge.
class EZipArchive : public Exception {
 public:
  EZipArchive(int id, bool showToUser);
  EZipArchive(int id, int n);
  EZipArchive(int id, const std::string& s);
  EZipArchive(int id, const char* s) : EZipArchive(id, std::string(s)) {}

  int MessageId;
  bool ShowToUser;
};

class TZipArchive;

using TNotifyEvent = std::function<void(TZipArchive* sender)>;
using TMessageEvent = std::function<void(TZipArchive* sender, int errCode, const std::string& message)>;
using TProgressEvent =
    std::function<void(TZipArchive* sender, ProgressType progrType, const std::string& filename, int64_t fileSize)>;

// What the component needs from the window system. Every hook may be empty:
// then no box is shown, no events run and the cursor is left alone.
struct ZipArchiveHost {
  // A modal box with one OK button, captioned with the application title.
  std::function<void(const std::string& text)> ShowMessage;
  // A modal OK/Cancel box (stop icon when asked); true for OK, nullopt when
  // the box cannot be shown.
  std::function<std::optional<bool>(const std::string& text, bool stopIcon)> AskOkCancel;
  // Lets the pending window events run.
  std::function<void()> ProcessPendingEvents;
  std::function<void(bool busy)> SetBusyCursor;
};

enum class DriveType { Fixed, Removable };

class OutputFile;
struct VolumeState;

class TZipArchive {
 public:
  explicit TZipArchive(uintptr_t ownerWindow = 0);
  ~TZipArchive();
  TZipArchive(const TZipArchive&) = delete;
  TZipArchive& operator=(const TZipArchive&) = delete;

  // Published properties, with their defaults.
  bool Verbose = false;
  bool Trace = false;
  int AddCompLevel = 9;
  EnumSet<AddOptsEnum> AddOptions;
  std::string ExtrBaseDir;
  EnumSet<ExtrOptsEnum> ExtrOptions;
  EnumSet<SFXOptsEnum> SFXOptions{SFXCheckSize};
  std::vector<std::string> FSpecArgs;
  bool Unattended = false;
  const std::string& ZipFilename() const { return zipFilename_; }
  void SetZipFilename(const std::string& path);  // runs List
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password);  // kept to 255 characters
  std::string SFXPath = "SfxStub.bin";
  const std::string& DLLDirectory() const { return dllDirectory_; }
  void SetDLLDirectory(const std::string& dir);  // drops one trailing separator
  OvrOpts SFXOverWriteMode = OvrConfirm;
  std::string SFXCaption = "Self-extracting Archive";
  std::string SFXDefaultDir;
  std::string SFXCommandLine;
  std::string TempDir;
  int KeepFreeOnDisk1 = 0;
  int MaxVolumeSize = 0;
  int MinFreeVolumeSize = 65536;
  bool ConfirmErase = true;
  CodePageOpts CodePage = cpAuto;
  DeleteOpts HowToDelete = htdAllowUndo;
  std::string VersionInfo() const { return "1.52"; }
  void SetVersionInfo(const std::string&) {}
  TNotifyEvent OnDirUpdate;
  TProgressEvent OnProgress;
  TMessageEvent OnMessage;

  ZipArchiveHost Host;

  // Public state.
  int ErrCode = 0;
  std::string Message;
  std::string ZipComment() const;
  const std::vector<ZipDirEntry>& DirEntries() const { return dirEntries_; }
  uintptr_t OwnerWindow() const { return ownerWindow_; }
  int LastDiskNr() const { return lastDiskNr_; }
  int SuccessCount() const { return successCount_; }
  int EngineErrCode() const { return engineErrCode_; }
  bool Busy() const { return busy_; }
  bool EngineLoaded() const { return engineHandle_ != nullptr; }
  // Set by the host to ask the engine to stop.
  bool CancelRequested = false;

  void List();
  void Extract();
  void LoadEngine();
  void UnloadEngine();
  int EngineVersion();
  // Joins the volumes of a multi-volume archive into one new file in the
  // folder `tempPath`; 0 and the file's path in `tempPath` on success.
  int ReadSpan(const std::string& archivePath, std::string& tempPath);

  void ReportMessage(int number);
  void ReportException(const EZipArchive& e);

  std::string OemToAnsiName(const std::string& text) const;
  static std::string SlashToBackslash(std::string text);

  // Engine callback entry; public only so that the C callback can reach it.
  int HandleEngineCallback(int action, int code, int64_t size, const char* text, size_t textCapacity);

 private:
  bool FindEndOfCentralDir(bool raiseErrors);
  bool VolumePresent();
  void QueryVolumeSpace();
  void SwitchVolume(int n);
  bool VolumePartName(DriveType type);
  DriveType AskForVolume();
  DriveType DriveTypeOfRoot() const;
  void ShowBusyCursor(bool busy);
  void CopyJoinedData(OutputFile& out, uint64_t length, int failure, bool reportBytes);
  void Progress(ProgressType type, const std::string& name, int64_t size);

  std::string zipFilename_;
  std::string password_;
  std::string dllDirectory_;
  std::vector<ZipDirEntry> dirEntries_;
  uintptr_t ownerWindow_ = 0;

  // The file and volume state of the running List or join. Each brings its
  // own, so a List run from a pending event during a join leaves the join's
  // file and volume numbers alone.
  VolumeState* vol_ = nullptr;
  int lastDiskNr_ = 0;
  std::string rawComment_;
  uint8_t lastHostOS_ = 0;
  uint8_t lastVersion_ = 0;
  uint16_t lastFlags_ = 0;

  // Engine state.
  void* engineHandle_ = nullptr;
  void* engineExec_ = nullptr;
  void* engineVersion_ = nullptr;
  int successCount_ = 0;
  int engineErrCode_ = 0;
  bool busy_ = false;
  bool callbackFailed_ = false;
};

// The mount point that holds `path` (the folder of a file), or "" when it
// cannot be worked out.
std::string VolumeRootOf(const std::string& path);

}  // namespace tintaro
