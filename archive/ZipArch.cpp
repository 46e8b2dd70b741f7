// The archive component's object: properties, message reporting, the
// exception class and the name conversions. Listing, volumes, extraction and
// the multi-volume join live in their own files.
#include "archive/ZipArch.h"

#include <string_view>

#include "archive/OemCharset.h"
#include "archive/ZipFiles.h"
#include "archive/ZipText.h"

namespace tintaro {

namespace {

std::string CatalogueText(int id, bool& found) {
  std::string text = LoadMessageText(id, "");
  found = !text.empty();
  return found ? text : MissingMessageText(id);
}

std::string FormattedText(int id, const std::string& arg) {
  bool found = false;
  std::string text = CatalogueText(id, found);
  if (!found) return text;
  const std::string args[] = {arg};
  return FormatMessageText(text, args);
}

// Zip flag bit 11: the name and comment are already UTF-8.
constexpr uint16_t kFlagUtf8 = 1u << 11;

}  // namespace

EZipArchive::EZipArchive(int id, bool showToUser)
    : Exception([id] {
        bool found = false;
        return CatalogueText(id, found);
      }()),
      MessageId(id),
      ShowToUser(showToUser) {}

EZipArchive::EZipArchive(int id, int n) : Exception(FormattedText(id, std::to_string(n))), MessageId(id), ShowToUser(true) {}

EZipArchive::EZipArchive(int id, const std::string& s) : Exception(FormattedText(id, s)), MessageId(id), ShowToUser(true) {}

TZipArchive::TZipArchive(uintptr_t ownerWindow) : ownerWindow_(ownerWindow) {}

TZipArchive::~TZipArchive() = default;

void TZipArchive::SetZipFilename(const std::string& path) {
  zipFilename_ = path;
  List();
}

void TZipArchive::SetPassword(const std::string& password) { password_ = password.substr(0, 255); }

void TZipArchive::SetDLLDirectory(const std::string& dir) {
  if (dir == dllDirectory_) return;
  dllDirectory_ = dir;
  if (!dllDirectory_.empty() && dllDirectory_.back() == '/') dllDirectory_.pop_back();
}

void TZipArchive::ReportMessage(int number) {
  const std::string text = LoadMessageText(number, MissingMessageText(number));
  Message = text;
  ErrCode = number;
  if (!Unattended && Host.ShowMessage) Host.ShowMessage(text);
  if (OnMessage) OnMessage(this, 0, text);
}

void TZipArchive::ReportException(const EZipArchive& e) {
  if (e.ShowToUser && !Unattended && Host.ShowMessage) Host.ShowMessage(e.what());
  ErrCode = e.MessageId;
  Message = e.what();
  if (OnMessage) OnMessage(this, 0, e.what());
}

std::string TZipArchive::OemToAnsiName(const std::string& text) const {
  if (lastFlags_ & kFlagUtf8) return text;
  const bool convert = (CodePage == cpAuto && lastHostOS_ == 0) || lastHostOS_ == 6 ||
                       (lastHostOS_ == 11 && lastVersion_ == 50) || CodePage == cpOEM;
  return convert ? OemToUtf8(text) : text;
}

std::string TZipArchive::SlashToBackslash(std::string text) {
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

std::string TZipArchive::ZipComment() const { return OemToAnsiName(rawComment_); }

void TZipArchive::ShowBusyCursor(bool busy) {
  if (Host.SetBusyCursor) Host.SetBusyCursor(busy);
}

}  // namespace tintaro
