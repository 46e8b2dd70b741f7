// Fuzzes libunzeng.so: any bytes as an archive, extracted into a fresh
// folder that holds a link to a file outside it; afterwards nothing may have
// appeared or changed outside the folder, no temporary file may remain, and
// every extracted file must have mode 0644. The first input byte picks the
// request's options.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/UnzEngine.h"

namespace fs = std::filesystem;

namespace {

UnzEngExecFn* gExec = nullptr;
fs::path gRoot;

int32_t Callback(UnzCallbackInfo* info) {
  // The text is always terminated within its 512 bytes.
  if (std::memchr(info->Text, 0, sizeof info->Text) == nullptr) std::abort();
  return 0;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Fail(const char* what, const fs::path& p) {
  std::fprintf(stderr, "engine fuzz: %s: %s\n", what, p.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The engine is built beside the fuzzer: <build>/fuzz/.. /Tintaro.
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) std::abort();
  self[n] = '\0';
  const fs::path lib = fs::path(self).parent_path().parent_path() / "Tintaro" / "libunzeng.so";
  void* handle = dlopen(lib.c_str(), RTLD_NOW);
  if (!handle) {
    std::fprintf(stderr, "cannot load %s: %s\n", lib.c_str(), dlerror());
    std::abort();
  }
  gExec = reinterpret_cast<UnzEngExecFn*>(dlsym(handle, "UnzEngExec"));
  if (!gExec) std::abort();
  // Small limits keep each run quick; the checks are the same.
  setenv("TINTARO_UNZENG_ENTRY_LIMIT", "1000000", 1);
  setenv("TINTARO_UNZENG_RUN_LIMIT", "4000000", 1);
  char pattern[] = "/tmp/tintaro-engine-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  gRoot = pattern;
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(gRoot, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  std::error_code ec;
  fs::remove_all(gRoot / "run", ec);
  const fs::path run = gRoot / "run", out = run / "out";
  fs::create_directories(out);
  {
    std::ofstream(run / "in.zip", std::ios::binary).write(reinterpret_cast<const char*>(data + 1),
                                                          static_cast<std::streamsize>(size - 1));
    std::ofstream(run / "outside.txt") << "outside";
  }
  // Links an archive might try to write through.
  fs::create_symlink("../outside.txt", out / "a.bmp");
  fs::create_symlink("../outside.txt", out / "pic.bmp");
  fs::create_directory_symlink("..", out / "up");

  UnzRequestShort request;
  std::memset(&request, 0, sizeof request);
  char password[81] = "secret";
  const std::string archive = (run / "in.zip").string();
  request.Common.Callback = &Callback;
  request.Common.Password = password;
  request.Common.ArchivePath = archive.c_str();
  request.Common.DirNames = (options & 1) ? -1 : 0;
  request.Common.OverWrite = (options & 2) ? -1 : 0;
  request.Common.Test = (options & 4) ? -1 : 0;
  request.Common.Update = (options & 8) ? -1 : 0;
  request.Common.Freshen = (options & 16) ? -1 : 0;
  request.Mark = UNZ_FORM_MARK;
  UnzSpecItem item;
  std::memset(&item, 0, sizeof item);
  item.Spec = "*.bmp";
  if (options & 32) {
    request.Common.SpecCount = 1;
    request.Specs = &item;
  }

  const fs::path before = fs::current_path();
  fs::current_path(out);
  gExec(&request.Common);
  fs::current_path(before);

  for (const auto& e : fs::directory_iterator(run))
    if (e.path().filename() != "out" && e.path().filename() != "in.zip" && e.path().filename() != "outside.txt")
      Fail("written outside the folder", e.path());
  if (ReadFile(run / "outside.txt") != "outside") Fail("file outside changed", run / "outside.txt");
  for (auto it = fs::recursive_directory_iterator(out); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& p = it->path();
    // A temporary file's name cannot come from the archive unless its bytes do.
    const std::string name = p.filename().string();
    if (name.rfind(".unzeng-", 0) == 0 && !memmem(data, size, name.data(), name.size()))
      Fail("temporary file left", p);
    struct stat st;
    if (lstat(p.c_str(), &st) != 0) Fail("cannot stat", p);
    if (S_ISLNK(st.st_mode)) {
      const std::string name = p.filename().string();
      if (p.parent_path() != out || (name != "a.bmp" && name != "pic.bmp" && name != "up")) Fail("link created", p);
      it.disable_recursion_pending();
    } else if (S_ISREG(st.st_mode) && (st.st_mode & 07777) != 0644) {
      Fail("extracted file mode", p);
    }
  }
  return 0;
}
