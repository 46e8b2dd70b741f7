// Fuzzes listing plus extraction with the real engine: any bytes, as one
// archive or as the volumes of a set, give a listing, a numbered failure or
// an engine message, and nothing is written outside the extraction folder.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "ArchiveFuzzInput.h"
#include "archive/ZipArch.h"

using namespace tintaro;
namespace fs = std::filesystem;

namespace {

struct Sandbox {
  std::string root;  // holds only in/, out/ and tmp/
  std::string in, out, tmp;
  fs::path startDir;
  TZipArchive zip;
};

Sandbox& Setup() {
  static Sandbox* box = [] {
    // Small engine limits keep each run quick; the checks are the same.
    setenv("TINTARO_UNZENG_ENTRY_LIMIT", "1000000", 1);
    setenv("TINTARO_UNZENG_RUN_LIMIT", "4000000", 1);
    auto* b = new Sandbox;
    b->startDir = fs::current_path();
    b->root = fuzz::MakeTempFolder("extractfuzz-");
    if (b->root.empty()) std::abort();
    b->in = b->root + "/in";
    b->out = b->root + "/out";
    b->tmp = b->root + "/tmp";
    for (const std::string& d : {b->in, b->out, b->tmp}) fs::create_directory(d);
    // The engine is built beside the fuzzers: <build>/Tintaro/libunzeng.so.
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    b->zip.SetDLLDirectory((exe.parent_path().parent_path() / "Tintaro").string());
    b->zip.Unattended = true;
    b->zip.LoadEngine();
    if (!b->zip.EngineLoaded()) {
      std::fprintf(stderr, "libunzeng.so not found beside the fuzzer; build the unzeng target\n");
      std::abort();
    }
    return b;
  }();
  return *box;
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "extract fuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sandbox& box = Setup();
  static const fuzz::RemoveAtExit cleanup(box.root);
  for (const std::string& d : {box.in, box.out, box.tmp})
    for (const auto& entry : fs::directory_iterator(d)) fs::remove_all(entry.path());
  const std::string path = fuzz::WriteArchiveFiles(box.in, data, size);
  size_t inputs = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(box.in)) ++inputs;

  box.zip.ErrCode = 0;
  box.zip.SetZipFilename(path);
  box.zip.ExtrBaseDir = box.out;
  box.zip.TempDir = box.tmp;
  box.zip.ExtrOptions = {ExtrOverWrite};
  box.zip.Extract();
  // Extract leaves the current folder in out/; libFuzzer writes its corpus
  // by relative paths.
  fs::current_path(box.startDir);
  Check(!box.zip.Busy(), "still busy");
  Check(box.zip.FSpecArgs.empty(), "specifications kept");

  // Nothing outside out/: the sandbox holds exactly its three folders, the
  // inputs are untouched and the joined file is gone.
  size_t rootItems = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(box.root)) ++rootItems;
  Check(rootItems == 3, "something appeared beside the extraction folder");
  size_t inputsAfter = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(box.in)) ++inputsAfter;
  Check(inputsAfter == inputs, "the input folder changed");
  Check(fs::is_empty(box.tmp), "the temporary folder is not empty");
  for (const auto& entry : fs::recursive_directory_iterator(box.out)) {
    struct stat st;
    Check(::lstat(entry.path().c_str(), &st) == 0, "lstat failed");
    Check(!S_ISLNK(st.st_mode), "a link was created");
    Check((st.st_mode & (S_ISUID | S_ISGID | S_IXUSR | S_IXGRP | S_IXOTH)) == 0 || S_ISDIR(st.st_mode),
          "a file got execute or set-id bits");
  }
  return 0;
}
