// A stand-in unzip engine for the archive component's tests: it records the
// request it is given, replays a scripted list of callbacks, and stops when a
// callback says so. Its version is set by the test (below 152 by default, so
// the component sends the long request form).
#include "FakeEngine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "archive/UnzEngine.h"

namespace {

int32_t g_version = 151;
int32_t g_result = 0;
std::vector<FakeStep> g_steps;
FakeRecord g_record;

void CopyText(char* dst, size_t size, const char* src) {
  if (src == nullptr) return;
  std::strncpy(dst, src, size - 1);
  dst[size - 1] = '\0';
}

bool AllZero(const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i)
    if (b[i] != 0) return false;
  return true;
}

}  // namespace

extern "C" {

void FakeEngineReset(int32_t version, int32_t result) {
  g_version = version;
  g_result = result;
  g_steps.clear();
  std::memset(&g_record, 0, sizeof g_record);
}

void FakeEngineScript(const FakeStep* steps, int32_t count) { g_steps.assign(steps, steps + count); }

const FakeRecord* FakeEngineRecord(void) { return &g_record; }

int32_t GetUnzEngVersion(void) { return g_version; }

int32_t UnzEngExec(const UnzRequestCommon* request) {
  FakeRecord& r = g_record;
  ++r.Calls;
  if (request == nullptr) return -1;
  int32_t tail = 0;
  std::memcpy(&tail, reinterpret_cast<const char*>(request) + sizeof(UnzRequestCommon), 4);
  const bool longForm = tail == UNZ_FORM_MARK;
  r.Form = longForm ? 2 : 1;
  r.Version = request->Version;
  r.Trace = request->Trace;
  r.Test = request->Test;
  r.Reserved40 = request->Reserved40;
  r.Verbose = request->Verbose;
  r.Update = request->Update;
  r.Freshen = request->Freshen;
  r.DirNames = request->DirNames;
  r.OverWrite = request->OverWrite;
  r.SpecCount = request->SpecCount;
  r.OwnerWindow = request->OwnerWindow;
  r.Caller = request->Caller;
  CopyText(r.Password, sizeof r.Password, request->Password);
  CopyText(r.ArchivePath, sizeof r.ArchivePath, request->ArchivePath);
  const int fd = request->ArchivePath ? ::open(request->ArchivePath, O_RDONLY) : -1;
  r.ArchiveReadable = fd >= 0;
  if (fd >= 0) ::close(fd);
  if (::getcwd(r.CurrentDir, sizeof r.CurrentDir) == nullptr) r.CurrentDir[0] = '\0';
  bool clean = request->Reserved20 == 0 && request->Reserved32 == 0 && request->Reserved36 == 0;
  if (longForm) {
    const auto* l = reinterpret_cast<const UnzRequestLong*>(request);
    r.MarkFound = l->Mark;
    for (int i = 0; i < request->SpecCount && i < 4; ++i) CopyText(r.Specs[i], sizeof r.Specs[i], l->Specs[i]);
    for (int i = request->SpecCount; i < UNZ_LONG_FORM_SLOTS; ++i) clean = clean && l->Specs[i] == nullptr;
    clean = clean && l->Reserved == 0;
  } else {
    const auto* s = reinterpret_cast<const UnzRequestShort*>(request);
    r.MarkFound = s->Mark;
    for (int i = 0; i < request->SpecCount && i < 4; ++i) {
      CopyText(r.Specs[i], sizeof r.Specs[i], s->Specs[i].Spec);
      clean = clean && AllZero(s->Specs[i].Reserved, sizeof s->Specs[i].Reserved);
    }
    clean = clean && AllZero(s->Reserved, sizeof s->Reserved);
  }
  r.TailClean = clean;

  for (const FakeStep& step : g_steps) {
    if (request->Callback == nullptr) break;
    UnzCallbackInfo info;
    std::memset(&info, 0, sizeof info);
    info.OwnerWindow = request->OwnerWindow;
    info.Caller = request->Caller;
    info.EngineVersion = g_version;
    info.Action = step.Action;
    info.Code = step.Code;
    info.Size = step.Size;
    std::memcpy(info.Text, step.Text, sizeof info.Text);
    ++r.StepsSent;
    r.LastResult = request->Callback(&info);
    if (r.LastResult == -1) break;
  }
  return g_result;
}

}  // extern "C"
