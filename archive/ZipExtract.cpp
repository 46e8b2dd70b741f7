// Extraction through the unzip engine: loading it at run time, building the
// request in the form the engine's version asks for, and turning the engine's
// callbacks into events, ErrCode and Message.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "archive/UnzEngine.h"
#include "archive/ZipArch.h"

namespace tintaro {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The engine runs after the current folder has moved to ExtrBaseDir, so a
// relative archive path must be pinned down first.
std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char* cwd = ::getcwd(nullptr, 0);
  if (cwd == nullptr) return path;
  std::string out = std::string(cwd) + "/" + path;
  std::free(cwd);
  return out;
}

std::string SystemTempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && dir[0] != '\0' ? dir : "/tmp";
}

template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

// The password engines of this kind accept: at most 80 characters.
constexpr size_t kPasswordBuffer = 81;
// The dummy password for unattended encrypted runs without one.
constexpr size_t kDummyPasswordLength = 79;

extern "C" int32_t EngineCallback(UnzCallbackInfo* info) {
  if (info == nullptr || info->Caller == nullptr) return 0;
  auto* zip = static_cast<TZipArchive*>(info->Caller);
  return zip->HandleEngineCallback(info->Action, info->Code, info->Size, info->Text, sizeof info->Text);
}

// Every block the request points to, owned for the length of one Extract.
struct RequestBlocks {
  std::unique_ptr<char[]> password;
  std::string archivePath;
  std::vector<std::string> specs;
  std::unique_ptr<UnzSpecItem[]> items;
  std::unique_ptr<UnzRequestShort> shortForm;
  std::unique_ptr<UnzRequestLong> longForm;
};

}  // namespace

void TZipArchive::LoadEngine() {
  try {
    if (engineHandle_ != nullptr) UnloadEngine();
    std::string path = "libunzeng.so";
    if (!dllDirectory_.empty() && IsRegularFile(dllDirectory_ + "/libunzeng.so")) path = dllDirectory_ + "/libunzeng.so";
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      engineHandle_ = nullptr;
      ReportMessage(10704);
      return;
    }
    engineHandle_ = handle;
    if (Trace) ReportMessage(10701);
    engineExec_ = ::dlsym(handle, "UnzEngExec");
    engineVersion_ = ::dlsym(handle, "GetUnzEngVersion");
    if (engineExec_ == nullptr) ReportMessage(10702);
    if (engineVersion_ == nullptr) ReportMessage(10703);
  } catch (...) {
  }
}

void TZipArchive::UnloadEngine() {
  if (engineHandle_ != nullptr) ::dlclose(engineHandle_);
  engineHandle_ = nullptr;
  engineExec_ = nullptr;
  engineVersion_ = nullptr;
}

int TZipArchive::EngineVersion() {
  const bool loadedHere = engineHandle_ == nullptr;
  if (loadedHere) LoadEngine();
  int version = 0;
  if (engineVersion_ != nullptr) version = reinterpret_cast<GetUnzEngVersionFn*>(engineVersion_)();
  if (loadedHere) UnloadEngine();
  return version;
}

int TZipArchive::HandleEngineCallback(int action, int code, int64_t size, const char* text, size_t textCapacity) {
  // After a handler failed the run is over; nothing more is passed on.
  if (callbackFailed_) return -1;
  try {
    const std::string raw(text, text == nullptr ? 0 : ::strnlen(text, textCapacity));
    switch (action) {
      case UnzActionNewEntry:
        if (OnProgress) OnProgress(this, ProgrNewEntry, SlashToBackslash(raw), size);
        break;
      case UnzActionBytes:
        if (OnProgress) OnProgress(this, ProgrBytes, "", size);
        break;
      case UnzActionEndOfRun:
        if (OnProgress) OnProgress(this, ProgrEndOfRun, "", 0);
        break;
      case UnzActionMessage: {
        size_t end = raw.size();
        while (end > 0 && static_cast<unsigned char>(raw[end - 1]) <= ' ') --end;
        const std::string m = SlashToBackslash(raw.substr(0, end));
        Message = m;
        if (code != 0) {
          ErrCode = code & 0xFF;
          engineErrCode_ = code;
        }
        if (OnMessage) OnMessage(this, code, m);
        break;
      }
      case UnzActionTotalEntries:
        if (OnProgress) OnProgress(this, ProgrTotalEntries, "", size);
        break;
      case UnzActionTotalBytes:
        if (OnProgress) OnProgress(this, ProgrTotalBytes, "", size);
        break;
      default:
        break;
    }
    const bool stop = CancelRequested;
    if (Host.ProcessPendingEvents) Host.ProcessPendingEvents();
    return stop ? -1 : 0;
  } catch (...) {
    // A handler's exception must not unwind through the engine's frames: stop
    // the run and report it once the engine has returned.
    callbackFailed_ = true;
    return -1;
  }
}

void TZipArchive::Extract() {
  successCount_ = 0;
  if (!IsRegularFile(zipFilename_)) {
    Guarded([&] { ReportMessage(10102); });
    return;
  }
  if (busy_) return;
  if (Unattended && AddOptions.Contains(AddEncrypt) && password_.empty()) {
    password_ = std::string(kDummyPasswordLength, 'x');
    Guarded([&] { ReportMessage(10502); });
  }
  busy_ = true;
  CancelRequested = false;
  callbackFailed_ = false;

  const bool loadedHere = engineHandle_ == nullptr;
  if (loadedHere) {
    LoadEngine();
    if (engineHandle_ == nullptr) {
      busy_ = false;
      return;
    }
  }

  std::string archivePath = AbsolutePath(zipFilename_);
  std::string joinedPath;
  if (lastDiskNr_ > 0) {
    std::string folder = TempDir.empty() ? SystemTempFolder() : TempDir;
    int joined = -9;
    try {
      joined = ReadSpan(archivePath, folder);
    } catch (...) {
    }
    if (joined != 0) {
      if (loadedHere) UnloadEngine();
      busy_ = false;
      CancelRequested = false;
      return;
    }
    // The join clears Busy when it ends; the extraction is still running.
    busy_ = true;
    joinedPath = AbsolutePath(folder);
    archivePath = joinedPath;
  }

  // The engine writes relative to the current folder, which is not restored.
  // When the change fails the engine writes where the process already was.
  if (IsDirectory(ExtrBaseDir)) [[maybe_unused]] const int changed = ::chdir(ExtrBaseDir.c_str());
  const int version = EngineVersion();

  try {
    RequestBlocks blocks;
    blocks.password = std::make_unique<char[]>(kPasswordBuffer);
    std::memset(blocks.password.get(), 0, kPasswordBuffer);
    std::memcpy(blocks.password.get(), password_.data(), std::min(password_.size(), kPasswordBuffer - 1));
    blocks.archivePath = archivePath;
    blocks.specs = FSpecArgs;
    const bool shortForm = version >= UNZ_SHORT_FORM_VERSION;
    // The long form has a fixed number of slots; further specifications are dropped.
    if (!shortForm && blocks.specs.size() > UNZ_LONG_FORM_SLOTS) blocks.specs.resize(UNZ_LONG_FORM_SLOTS);

    UnzRequestCommon* common = nullptr;
    if (shortForm) {
      blocks.shortForm = std::make_unique<UnzRequestShort>();
      std::memset(blocks.shortForm.get(), 0, sizeof(UnzRequestShort));
      blocks.items = std::make_unique<UnzSpecItem[]>(blocks.specs.size() + 1);
      std::memset(blocks.items.get(), 0, sizeof(UnzSpecItem) * (blocks.specs.size() + 1));
      for (size_t i = 0; i < blocks.specs.size(); ++i) blocks.items[i].Spec = blocks.specs[i].c_str();
      blocks.shortForm->Specs = blocks.items.get();
      blocks.shortForm->Mark = UNZ_FORM_MARK;
      common = &blocks.shortForm->Common;
    } else {
      blocks.longForm = std::make_unique<UnzRequestLong>();
      std::memset(blocks.longForm.get(), 0, sizeof(UnzRequestLong));
      for (size_t i = 0; i < blocks.specs.size(); ++i) blocks.longForm->Specs[i] = blocks.specs[i].c_str();
      blocks.longForm->Mark = UNZ_FORM_MARK;
      common = &blocks.longForm->Common;
    }
    common->OwnerWindow = Unattended ? nullptr : reinterpret_cast<void*>(ownerWindow_);
    common->Caller = this;
    common->Version = UNZ_SHORT_FORM_VERSION;
    common->Callback = &EngineCallback;
    common->Trace = Trace ? -1 : 0;
    common->Password = blocks.password.get();
    common->Test = ExtrOptions.Contains(ExtrTest) ? -1 : 0;
    common->Reserved40 = -1;
    common->Verbose = Verbose || Trace ? -1 : 0;
    common->Update = ExtrOptions.Contains(ExtrUpdate) ? -1 : 0;
    common->Freshen = ExtrOptions.Contains(ExtrFreshen) && !ExtrOptions.Contains(ExtrUpdate) ? -1 : 0;
    common->DirNames = ExtrOptions.Contains(ExtrDirNames) ? -1 : 0;
    common->OverWrite = ExtrOptions.Contains(ExtrOverWrite) ? -1 : 0;
    common->SpecCount = static_cast<int32_t>(blocks.specs.size());
    common->ArchivePath = blocks.archivePath.c_str();

    if (engineExec_ == nullptr) {
      // The library lacks the entry point; LoadEngine said so with 10702.
      ReportMessage(10702);
    } else {
      const int32_t count = reinterpret_cast<UnzEngExecFn*>(engineExec_)(common);
      if (callbackFailed_) throw std::runtime_error("event handler failed during extraction");
      successCount_ = count;
    }
  } catch (...) {
    Guarded([&] { ReportMessage(10501); });
  }
  // The joined file is ours; it goes whatever the engine did.
  if (!joinedPath.empty()) ::unlink(joinedPath.c_str());
  FSpecArgs.clear();
  if (loadedHere) UnloadEngine();
  CancelRequested = false;
  busy_ = false;
}

}  // namespace tintaro
