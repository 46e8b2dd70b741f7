// The request building and callback recording behind the engine tests.
#include "EngineHarness.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace tintaro::test {
namespace {

int32_t Record(UnzCallbackInfo* info) {
  auto* self = static_cast<EngineTest*>(info->Caller);
  Report r{info->Action, info->Code, info->Size, std::string(info->Text, strnlen(info->Text, sizeof info->Text))};
  return self->OnReport(r);
}

}  // namespace

int32_t EngineTest::OnReport(const Report& r) {
  reports_.push_back(r);
  return answer_ ? answer_(r) : 0;
}

int32_t EngineTest::Exec(const std::string& archive, const EngineOptions& o) {
  reports_.clear();
  char password[81] = {};
  std::strncpy(password, o.password.c_str(), 80);
  auto fill = [&](UnzRequestCommon& c) {
    c.Caller = this;
    c.Version = UNZ_SHORT_FORM_VERSION;
    c.Callback = &Record;
    c.Password = password;
    c.Test = o.test ? -1 : 0;
    c.Reserved40 = -1;
    c.Verbose = o.verbose ? -1 : 0;
    c.Update = o.update ? -1 : 0;
    c.Freshen = o.freshen && !o.update ? -1 : 0;
    c.DirNames = o.dirNames ? -1 : 0;
    c.OverWrite = o.overWrite ? -1 : 0;
    c.SpecCount = static_cast<int32_t>(o.specs.size());
    c.ArchivePath = archive.c_str();
  };
  if (o.longForm) {
    auto request = std::make_unique<UnzRequestLong>();
    std::memset(request.get(), 0, sizeof *request);
    fill(request->Common);
    request->Mark = UNZ_FORM_MARK;
    for (size_t i = 0; i < o.specs.size(); ++i) request->Specs[i] = o.specs[i].c_str();
    return UnzEngExec(&request->Common);
  }
  UnzRequestShort request;
  std::memset(&request, 0, sizeof request);
  fill(request.Common);
  std::vector<UnzSpecItem> items(o.specs.size());
  if (!items.empty()) std::memset(items.data(), 0, items.size() * sizeof(UnzSpecItem));
  for (size_t i = 0; i < o.specs.size(); ++i) items[i].Spec = o.specs[i].c_str();
  request.Specs = items.empty() ? nullptr : items.data();
  request.Mark = UNZ_FORM_MARK;
  return UnzEngExec(&request.Common);
}

std::vector<Report> EngineTest::MessagesWithCode(int32_t lowByte) const {
  std::vector<Report> out;
  for (const Report& r : reports_)
    if (r.action == UnzActionMessage && (r.code & 0xFF) == lowByte) out.push_back(r);
  return out;
}

std::vector<Report> EngineTest::Actions(int32_t action) const {
  std::vector<Report> out;
  for (const Report& r : reports_)
    if (r.action == action) out.push_back(r);
  return out;
}

std::string EngineTest::Read(const std::filesystem::path& p) const {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> EngineTest::Tree() const {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root_))
    out.push_back(std::filesystem::relative(e.path(), root_).string());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace tintaro::test
