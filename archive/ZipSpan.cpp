// Joining the volumes of a multi-volume archive (base + NNN + extension)
// into one temporary archive that the engine can extract.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "archive/ZipArch.h"
#include "archive/ZipFiles.h"
#include "archive/ZipFormat.h"
#include "archive/ZipText.h"
#include "core/picture/ByteReader.h"

namespace tintaro {

namespace {

constexpr size_t kCopyChunk = 8192;
constexpr uint16_t kFlagDataDescriptor = 1u << 3;

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The number in the three characters before the file's extension, 0 if none.
int VolumeNumberOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = path.size();
  if (dot - nameStart < 3) return 0;
  int n = 0;
  for (size_t i = dot - 3; i < dot; ++i) {
    if (path[i] < '0' || path[i] > '9') return 0;
    n = n * 10 + (path[i] - '0');
  }
  return n;
}

struct WorkItem {
  std::string name;
  uint32_t compressedSize = 0;
  uint32_t newOffset = 0;
  bool placed = false;
};

}  // namespace

void TZipArchive::Progress(ProgressType type, const std::string& name, int64_t size) {
  if (OnProgress) OnProgress(this, type, name, size);
}

void TZipArchive::CopyJoinedData(OutputFile& out, uint64_t length, int failure, bool reportBytes) {
  uint8_t chunk[kCopyChunk];
  while (length > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(length, kCopyChunk));
    const size_t got = vol_->in.Read(chunk, want);
    if (got > 0) {
      if (!out.Write(chunk, got)) throw EZipArchive(failure, true);
      if (reportBytes) Progress(ProgrBytes, "", static_cast<int64_t>(got));
      length -= got;
    }
    if (got < want) {
      // Data runs on into the next volume; anywhere else a short read is damage.
      if (!vol_->in.AtEnd() || vol_->diskNr >= vol_->lastDiskNr) throw EZipArchive(failure, true);
      SwitchVolume(vol_->diskNr + 1);
    }
  }
}

int TZipArchive::ReadSpan(const std::string& archivePath, std::string& tempPath) {
  // The join's own file and volume state: a List run from a pending event
  // meanwhile works on its own.
  VolumeState state;
  const VolumeScope scope(vol_, state);
  busy_ = true;
  vol_->volumeRoot = VolumeRootOf(archivePath);
  vol_->diskNr = -1;
  vol_->readFileName = archivePath;
  ShowBusyCursor(true);

  OutputFile out;
  std::string outPath;
  std::vector<WorkItem> work;
  int64_t dateSec = 0;
  int64_t dateNsec = 0;
  bool haveDate = false;
  int result = 0;
  try {
    std::string folder = tempPath;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) folder = ".";
    std::string unique = folder + "/zipXXXXXX";
    const int fd = ::mkstemp(unique.data());
    if (fd < 0) throw EZipArchive(11027, true);
    ::close(fd);
    ::unlink(unique.c_str());
    // Created exclusively: a file of that name that appeared meanwhile is
    // someone else's and is neither truncated nor deleted.
    if (!out.CreateNew(unique + ".zip")) throw EZipArchive(11009, true);
    outPath = unique + ".zip";

    // Find the volume that holds the end record.
    for (;;) {
      AskForVolume();
      vol_->newVolumeWanted = true;
      if (FindEndOfCentralDir(false)) break;
      if (DriveTypeOfRoot() == DriveType::Fixed) {
        const int nnn = VolumeNumberOf(vol_->readFileName);
        if (nnn == 1) throw EZipArchive(11037, true);
        throw EZipArchive(11038, nnn);
      }
    }
    dateSec = vol_->in.MTimeSec();
    dateNsec = vol_->in.MTimeNsec();
    haveDate = true;
    uint8_t endRecord[kEndRecordSize];
    std::memcpy(endRecord, vol_->endRecord, kEndRecordSize);
    vol_->lastDiskNr = LoadU16LE(endRecord + 4);
    vol_->diskNr = vol_->lastDiskNr;
    const uint16_t startDisk = LoadU16LE(endRecord + 6);
    const uint16_t total = LoadU16LE(endRecord + 10);
    const uint16_t commentLength = LoadU16LE(endRecord + 20);
    if (startDisk != vol_->lastDiskNr) SwitchVolume(startDisk);
    if (!vol_->in.Seek(LoadU32LE(endRecord + 16))) throw EZipArchive(11008, true);

    // Reads a 46-byte central header, moving on at a volume's end, and the
    // name that follows it; the extra field and comment are left unread.
    struct CentralHeader {
      uint8_t bytes[kCentralHeaderSize];
      uint16_t nameLength;
      uint16_t extraLength;
      uint16_t commentLength;
    };
    auto readCentral = [&](CentralHeader& c, std::string& entryName) {
      uint8_t* h = c.bytes;
      for (;;) {
        const size_t got = vol_->in.Read(h, kCentralHeaderSize);
        if (got == static_cast<size_t>(kCentralHeaderSize)) break;
        if (vol_->diskNr >= vol_->lastDiskNr || (got > 0 && !vol_->in.AtEnd())) throw EZipArchive(11013, true);
        SwitchVolume(vol_->diskNr + 1);
      }
      if (LoadU32LE(h) != kCentralHeaderSig) throw EZipArchive(11015, true);
      c.nameLength = LoadU16LE(h + 28);
      c.extraLength = LoadU16LE(h + 30);
      c.commentLength = LoadU16LE(h + 32);
      entryName.resize(c.nameLength);
      if (vol_->in.Read(entryName.data(), c.nameLength) != c.nameLength) throw EZipArchive(11017, true);
    };

    // First pass: names and sizes.
    work.reserve(std::min<size_t>(total, static_cast<size_t>(vol_->in.Size() / kCentralHeaderSize) + 1));
    std::unordered_map<std::string, std::vector<size_t>> byName;
    uint64_t totalBytes = 0;
    for (unsigned n = 0; n < total; ++n) {
      CentralHeader c;
      WorkItem item;
      readCentral(c, item.name);
      item.compressedSize = LoadU32LE(c.bytes + 20);
      totalBytes += uint64_t{c.nameLength} + item.compressedSize + c.extraLength + c.commentLength;
      if (!vol_->in.Skip(int64_t{c.extraLength} + c.commentLength)) throw EZipArchive(11008, true);
      byName[LowerAscii(item.name)].push_back(work.size());
      work.push_back(std::move(item));
    }

    SwitchVolume(0);
    Progress(ProgrTotalEntries, "", total);
    Progress(ProgrTotalBytes, "", static_cast<int64_t>(totalBytes));

    uint8_t marker[4];
    if (vol_->in.Read(marker, 4) != 4 || LoadU32LE(marker) != kSpanMarkerSig) throw EZipArchive(11031, true);

    // Copy the local headers and data, noting where each now starts.
    std::string name;
    for (unsigned n = 0; n < total; ++n) {
      uint8_t h[kLocalHeaderSize];
      for (;;) {
        const size_t got = vol_->in.Read(h, kLocalHeaderSize);
        if (got == static_cast<size_t>(kLocalHeaderSize)) break;
        if (vol_->diskNr >= vol_->lastDiskNr || !vol_->in.AtEnd()) throw EZipArchive(11012, true);
        SwitchVolume(vol_->diskNr + 1);
      }
      if (LoadU32LE(h) != kLocalHeaderSig) throw EZipArchive(11014, true);
      const uint16_t flags = LoadU16LE(h + 6);
      const uint32_t localSize = LoadU32LE(h + 18);
      const uint16_t nameLength = LoadU16LE(h + 26);
      const uint16_t extraLength = LoadU16LE(h + 28);
      name.resize(nameLength);
      if (vol_->in.Read(name.data(), nameLength) != nameLength) throw EZipArchive(11016, true);

      // Entries of the same name are matched in directory order.
      auto found = byName.find(LowerAscii(name));
      if (found == byName.end()) throw EZipArchive(11026, true);
      WorkItem* item = &work[found->second.front()];
      for (size_t index : found->second) {
        if (!work[index].placed) {
          item = &work[index];
          break;
        }
      }
      if (out.Position() > int64_t{UINT32_MAX}) throw EZipArchive(11028, true);
      item->newOffset = static_cast<uint32_t>(out.Position());
      item->placed = true;

      const std::string shown = SlashToBackslash(name);
      if (OnMessage) OnMessage(this, 0, LoadMessageText(10105, "Copying: ") + shown);
      const uint64_t dataSize = localSize != 0 ? localSize : item->compressedSize;
      const bool descriptor = (flags & kFlagDataDescriptor) != 0;
      Progress(ProgrNewEntry, shown,
               static_cast<int64_t>(kLocalHeaderSize + nameLength + extraLength + uint64_t{localSize} +
                                    (descriptor ? kDataDescriptorSize : 0)));
      if (!out.Write(h, kLocalHeaderSize)) throw EZipArchive(11028, true);
      Progress(ProgrBytes, "", kLocalHeaderSize);
      if (!out.Write(name.data(), nameLength)) throw EZipArchive(11028, true);
      Progress(ProgrBytes, "", nameLength);
      CopyJoinedData(out, extraLength, 11018, true);
      CopyJoinedData(out, dataSize, 11021, true);
      if (descriptor) CopyJoinedData(out, kDataDescriptorSize, 11020, true);
    }

    // Second pass: the central directory with the new offsets, all on disk 0.
    const int64_t newDirectoryStart = out.Position();
    if (newDirectoryStart > int64_t{UINT32_MAX}) throw EZipArchive(11029, true);
    for (unsigned n = 0; n < total; ++n) {
      CentralHeader c;
      readCentral(c, name);
      uint8_t* h = c.bytes;
      // The n-th header is the n-th of the first pass unless the volumes changed.
      const WorkItem* item = nullptr;
      if (n < work.size() && LowerAscii(work[n].name) == LowerAscii(name)) {
        item = &work[n];
      } else if (auto found = byName.find(LowerAscii(name)); found != byName.end()) {
        item = &work[found->second.front()];
      }
      if (item == nullptr || !item->placed) throw EZipArchive(11026, true);
      uint8_t* offset = h + 42;
      for (int i = 0; i < 4; ++i) offset[i] = static_cast<uint8_t>(item->newOffset >> (8 * i));
      h[34] = 0;
      h[35] = 0;
      if (!out.Write(h, kCentralHeaderSize) || !out.Write(name.data(), c.nameLength)) throw EZipArchive(11029, true);
      CopyJoinedData(out, c.extraLength, 11019, false);
      CopyJoinedData(out, c.commentLength, 11022, false);
    }

    // One volume now: both disk numbers 0, and every entry on this disk.
    uint8_t end[kEndRecordSize];
    std::memcpy(end, endRecord, kEndRecordSize);
    end[4] = end[5] = end[6] = end[7] = 0;
    end[8] = end[10];
    end[9] = end[11];
    for (int i = 0; i < 4; ++i) end[16 + i] = static_cast<uint8_t>(static_cast<uint32_t>(newDirectoryStart) >> (8 * i));
    if (!out.Write(end, kEndRecordSize)) throw EZipArchive(11030, true);
    uint8_t skipped[kEndRecordSize];
    if (vol_->in.Read(skipped, kEndRecordSize) != static_cast<size_t>(kEndRecordSize)) throw EZipArchive(11008, true);
    CopyJoinedData(out, commentLength, 11023, false);
  } catch (const EZipArchive& e) {
    result = -7;
    try {
      ReportException(e);
    } catch (...) {
    }
  } catch (const std::bad_alloc&) {
    result = -8;
    try {
      ReportMessage(10103);
    } catch (...) {
    }
  } catch (...) {
    result = -9;
    try {
      ReportMessage(11024);
    } catch (...) {
    }
  }

  try {
    Progress(ProgrEndOfRun, "", 0);
  } catch (...) {
  }
  work.clear();
  vol_->in.Close();
  if (haveDate) out.SetMTime(dateSec, dateNsec);
  if (!out.Close() && result == 0) {
    result = -7;
    try {
      ReportMessage(11030);
    } catch (...) {
    }
  }
  if (result != 0) {
    if (!outPath.empty()) ::unlink(outPath.c_str());
    tempPath.clear();
  } else {
    tempPath = outPath;
  }
  busy_ = false;
  ShowBusyCursor(false);
  return result;
}

}  // namespace tintaro
