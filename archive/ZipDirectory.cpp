// The directory reader: finds the end-of-central-directory record and walks
// the central directory into DirEntries.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "archive/ZipArch.h"
#include "archive/ZipFiles.h"
#include "archive/ZipFormat.h"
#include "core/picture/ByteReader.h"

namespace tintaro {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Runs a host event so that nothing it throws leaves the component.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

}  // namespace

bool TZipArchive::FindEndOfCentralDir(bool raiseErrors) {
  vol_->rawComment.clear();
  if (!vol_->in.Open(vol_->readFileName)) {
    if (raiseErrors) throw EZipArchive(11001, true);
    ReportMessage(11002);
    return false;
  }
  int volumeNumber = 0;
  if (vol_->volumeLabel.rfind("PKBACK# ", 0) == 0) {
    const std::string digits = vol_->volumeLabel.substr(8, 3);
    if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      volumeNumber = std::stoi(digits);
  }
  uint8_t head[8];
  const bool firstVolume = vol_->in.Read(head, 8) == 8 && LoadU32LE(head) == kSpanMarkerSig &&
                           LoadU32LE(head + 4) == kLocalHeaderSig;

  try {
    const int64_t length = vol_->in.Size();
    if (length >= kEndRecordSize) {
      vol_->zipEnd = length;
      if (vol_->in.Seek(length - kEndRecordSize) && vol_->in.Read(vol_->endRecord, kEndRecordSize) == kEndRecordSize &&
          LoadU32LE(vol_->endRecord) == kEndRecordSig)
        return true;

      // The record sits before a comment of up to 65535 bytes.
      const int64_t window = std::min<int64_t>(length, kMaxComment + kEndRecordSize);
      if (!vol_->in.Seek(length - window)) throw EZipArchive(11008, true);
      std::vector<uint8_t> bytes(static_cast<size_t>(window));
      if (vol_->in.Read(bytes.data(), bytes.size()) != bytes.size()) throw EZipArchive(11011, true);
      for (int64_t i = window - kEndRecordSize - 1; i >= 0; --i) {
        const uint8_t* p = bytes.data() + i;
        if (LoadU32LE(p) != kEndRecordSig) continue;
        std::memcpy(vol_->endRecord, p, kEndRecordSize);
        const uint16_t commentLength = LoadU16LE(vol_->endRecord + 20);
        const int64_t end = i + kEndRecordSize + commentLength;
        if (end != window) {
          vol_->zipEnd = length + (end - window);
          // Zeros that only pad the file to a 512-byte boundary are no garbage.
          const bool padding = length % 512 == 0 && vol_->zipEnd <= length && length < vol_->zipEnd + 512 &&
                               std::all_of(bytes.begin() + end, bytes.end(), [](uint8_t b) { return b == 0; });
          if (!padding) ReportMessage(10204);
        }
        if (commentLength > 0) {
          const size_t start = static_cast<size_t>(i) + kEndRecordSize;
          const size_t take = std::min<size_t>(commentLength, bytes.size() - start);
          const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(start);
          const auto last = std::find(first, first + static_cast<std::ptrdiff_t>(take), uint8_t{0});
          vol_->rawComment.assign(first, last);
        }
        return true;
      }
    }
  } catch (...) {
    if (raiseErrors) throw;
    return false;
  }

  if (!raiseErrors) return false;
  if (!firstVolume && volumeNumber != 0) throw EZipArchive(11038, volumeNumber);
  if (!firstVolume) throw EZipArchive(11036, true);
  if (volumeNumber == 1) throw EZipArchive(11037, true);
  throw EZipArchive(11045, true);
}

void TZipArchive::List() {
  dirEntries_.clear();
  rawComment_.clear();
  if (!IsRegularFile(zipFilename_)) {
    if (OnDirUpdate) Guarded([&] { OnDirUpdate(this); });
    return;
  }
  VolumeState state;
  const VolumeScope scope(vol_, state);
  ShowBusyCursor(true);
  bool failed = false;
  try {
    vol_->readFileName = zipFilename_;
    vol_->volumeRoot = VolumeRootOf(zipFilename_);
    if (!VolumePresent()) throw EZipArchive(11004, vol_->volumeRoot);
    FindEndOfCentralDir(true);
    rawComment_ = vol_->rawComment;
    const uint16_t thisDisk = LoadU16LE(vol_->endRecord + 4);
    const uint16_t startDisk = LoadU16LE(vol_->endRecord + 6);
    const uint16_t totalEntries = LoadU16LE(vol_->endRecord + 10);
    const uint32_t directorySize = LoadU32LE(vol_->endRecord + 12);
    const uint32_t statedOffset = LoadU32LE(vol_->endRecord + 16);
    const uint16_t commentLength = LoadU16LE(vol_->endRecord + 20);
    lastDiskNr_ = vol_->lastDiskNr = thisDisk;
    // The open file is the volume that holds the end record.
    vol_->diskNr = thisDisk;

    int64_t position = 0;
    if (startDisk == thisDisk) {
      // Trust where the record is, not what it says: data in front of the
      // archive shifts every stated offset.
      position = vol_->zipEnd - int64_t{directorySize} - kEndRecordSize - commentLength;
      if (position != int64_t{statedOffset}) ReportMessage(10203);
    } else {
      SwitchVolume(startDisk);
      position = statedOffset;
    }
    if (!vol_->in.Seek(position)) throw EZipArchive(10201, true);

    // Every header takes at least 46 bytes of the file.
    dirEntries_.reserve(std::min<size_t>(totalEntries, static_cast<size_t>(vol_->in.Size() / kCentralHeaderSize)));
    std::string name;
    for (unsigned n = 0; n < totalEntries; ++n) {
      uint8_t h[kCentralHeaderSize];
      while (vol_->in.Read(h, kCentralHeaderSize) < kCentralHeaderSize) {
        if (vol_->diskNr >= vol_->lastDiskNr) throw EZipArchive(11013, true);
        SwitchVolume(vol_->diskNr + 1);
      }
      if (LoadU32LE(h) != kCentralHeaderSig) throw EZipArchive(11015, true);
      ZipDirEntry e;
      e.MadeByVersion = h[4];
      e.HostOS = h[5];
      e.NeededVersion = LoadU16LE(h + 6);
      e.Flags = LoadU16LE(h + 8);
      e.Method = LoadU16LE(h + 10);
      e.DosDateTime = LoadU32LE(h + 12);
      e.Crc32 = LoadU32LE(h + 16);
      e.CompressedSize = LoadU32LE(h + 20);
      e.UncompressedSize = LoadU32LE(h + 24);
      e.NameLength = LoadU16LE(h + 28);
      e.ExtraLength = LoadU16LE(h + 30);
      e.CommentLength = LoadU16LE(h + 32);
      e.StartDisk = LoadU16LE(h + 34);
      e.InternalAttributes = LoadU16LE(h + 36);
      e.ExternalAttributes = LoadU32LE(h + 38);
      e.LocalHeaderOffset = LoadU32LE(h + 42);

      name.resize(e.NameLength);
      if (vol_->in.Read(name.data(), name.size()) != name.size()) throw EZipArchive(11017, true);
      lastHostOS_ = e.HostOS;
      lastVersion_ = e.MadeByVersion;
      lastFlags_ = e.Flags;
      e.FileName = SlashToBackslash(OemToAnsiName(name));
      dirEntries_.push_back(std::move(e));
      const ZipDirEntry& added = dirEntries_.back();
      if (!vol_->in.Skip(added.ExtraLength)) throw EZipArchive(10201, true);
      if (added.CommentLength > 0) {
        std::string comment(added.CommentLength, '\0');
        if (vol_->in.Read(comment.data(), comment.size()) != comment.size()) throw EZipArchive(11022, true);
        dirEntries_.back().FileComment = OemToAnsiName(comment);
      }
    }
    lastDiskNr_ = vol_->lastDiskNr = thisDisk;
  } catch (const EZipArchive& e) {
    failed = true;
    Guarded([&] { ReportException(e); });
  } catch (const std::bad_alloc&) {
    failed = true;
    Guarded([&] { ReportMessage(10103); });
  } catch (...) {
    failed = true;
    Guarded([&] { ReportMessage(10202); });
  }
  ShowBusyCursor(false);
  vol_->in.Close();
  if (failed) zipFilename_.clear();
  if (OnDirUpdate) Guarded([&] { OnDirUpdate(this); });
}

}  // namespace tintaro
