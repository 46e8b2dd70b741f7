// Fuzzes the directory reader: any bytes, as one archive or as the volumes
// of a set, must give a listing or a numbered failure.
#include <cstdlib>
#include <filesystem>

#include "ArchiveFuzzInput.h"
#include "archive/ZipArch.h"

using namespace tintaro;

namespace {

bool IsWarningOrNothing(int code) { return code == 0 || code == 10203 || code == 10204; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    std::string f = fuzz::MakeTempFolder("listfuzz-");
    if (f.empty()) std::abort();
    return f;
  }();
  static const fuzz::RemoveAtExit cleanup(folder);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove(entry.path());
  const std::string path = fuzz::WriteArchiveFiles(folder, data, size);

  TZipArchive zip;
  zip.Unattended = true;
  int updates = 0;
  zip.OnDirUpdate = [&](TZipArchive*) { ++updates; };
  zip.SetZipFilename(path);
  if (updates != 1) std::abort();
  // A failure empties ZipFilename; a listing or a warning keeps it.
  if (IsWarningOrNothing(zip.ErrCode) != (zip.ZipFilename() == path)) std::abort();
  for (const ZipDirEntry& e : zip.DirEntries())
    if (e.FileName.size() < e.NameLength) std::abort();
  (void)zip.ZipComment();
  return 0;
}
