// Extraction through a scripted stand-in engine: the request in both forms,
// callbacks turned into events and numbers, cancelling, re-entry, and the
// failures of engine loading.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "ArchiveTestKit.h"
#include "fake_engine/FakeEngine.h"

namespace tintaro::test {
namespace {

FakeStep Step(int action, int code, int size, const std::string& text = "") {
  FakeStep s;
  std::memset(&s, 0, sizeof s);
  s.Action = action;
  s.Code = code;
  s.Size = size;
  std::memcpy(s.Text, text.data(), std::min(text.size(), sizeof s.Text));
  return s;
}

class ExtractWithFakeEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    // Holding our own handle keeps the engine's state while the component
    // loads and unloads it.
    handle_ = ::dlopen(FAKE_ENGINE_DIR "/libunzeng.so", RTLD_NOW);
    ASSERT_NE(handle_, nullptr) << ::dlerror();
    reset_ = reinterpret_cast<FakeEngineResetFn*>(::dlsym(handle_, "FakeEngineReset"));
    script_ = reinterpret_cast<FakeEngineScriptFn*>(::dlsym(handle_, "FakeEngineScript"));
    record_ = reinterpret_cast<FakeEngineRecordFn*>(::dlsym(handle_, "FakeEngineRecord"));
    ASSERT_TRUE(reset_ && script_ && record_);
    reset_(151, 0);
    archive_ = dir_.Write("puzzle.tro", ZipBytes().Add("pic.bmp", "BM").Add("pic.trs", "S").Build());
    r_.zip.SetDLLDirectory(FAKE_ENGINE_DIR);
    r_.zip.Unattended = true;
    r_.zip.SetZipFilename(archive_);
    r_.log.clear();
  }
  void TearDown() override {
    r_.zip.UnloadEngine();
    if (handle_) ::dlclose(handle_);
  }
  void Script(const std::vector<FakeStep>& steps) { script_(steps.data(), static_cast<int32_t>(steps.size())); }
  const FakeRecord& Record() const { return *record_(); }

  TempFolder dir_;
  std::string archive_;
  RecordedArchive r_;
  void* handle_ = nullptr;
  FakeEngineResetFn* reset_ = nullptr;
  FakeEngineScriptFn* script_ = nullptr;
  FakeEngineRecordFn* record_ = nullptr;
};

TEST_F(ExtractWithFakeEngine, WithoutAnArchiveItReports10102AndLoadsNothing) {
  r_.zip.SetZipFilename("");
  r_.log.clear();
  r_.zip.Extract();
  EXPECT_EQ(r_.zip.ErrCode, 10102);
  EXPECT_EQ(r_.log, std::vector<std::string>{"message:0:Error - no zip file specified!"});
  EXPECT_EQ(r_.zip.SuccessCount(), 0);
  EXPECT_FALSE(r_.zip.EngineLoaded());
  EXPECT_EQ(Record().Calls, 0);
}

TEST_F(ExtractWithFakeEngine, OldEnginesGetTheLongFormWithOptionsPasswordAndSpecificationsInOrder) {
  reset_(151, 2);
  r_.zip.FSpecArgs = {"pic.bmp", "*.trs"};
  r_.zip.ExtrOptions = {ExtrFreshen, ExtrUpdate};
  r_.zip.Trace = true;
  r_.zip.SetPassword("secret");
  r_.zip.Extract();

  const FakeRecord& rec = Record();
  EXPECT_EQ(rec.Calls, 1);
  EXPECT_EQ(rec.Form, 2);
  EXPECT_EQ(rec.MarkFound, 7);
  EXPECT_TRUE(rec.TailClean);
  EXPECT_EQ(rec.Version, 152);
  EXPECT_EQ(rec.SpecCount, 2);
  EXPECT_STREQ(rec.Specs[0], "pic.bmp");
  EXPECT_STREQ(rec.Specs[1], "*.trs");
  EXPECT_STREQ(rec.Password, "secret");
  EXPECT_STREQ(rec.ArchivePath, archive_.c_str());
  EXPECT_EQ(rec.Update, -1);
  EXPECT_EQ(rec.Freshen, 0);
  EXPECT_EQ(rec.Trace, -1);
  EXPECT_EQ(rec.Verbose, -1);  // Trace implies it
  EXPECT_EQ(rec.Test, 0);
  EXPECT_EQ(rec.DirNames, 0);
  EXPECT_EQ(rec.OverWrite, 0);
  EXPECT_EQ(rec.Reserved40, -1);
  EXPECT_EQ(rec.OwnerWindow, nullptr);
  EXPECT_EQ(rec.Caller, &r_.zip);

  EXPECT_EQ(r_.zip.SuccessCount(), 2);
  EXPECT_TRUE(r_.zip.FSpecArgs.empty());
  EXPECT_FALSE(r_.zip.Busy());
  // Loaded for this run only; Trace announced the load.
  EXPECT_FALSE(r_.zip.EngineLoaded());
  EXPECT_EQ(r_.zip.ErrCode, 10701);
  // Asking for the version loads the engine only for the question.
  EXPECT_EQ(r_.zip.EngineVersion(), 151);
  EXPECT_FALSE(r_.zip.EngineLoaded());
}

TEST_F(ExtractWithFakeEngine, NewEnginesGetTheShortFormAndTheOwnerWindowWhenAttended) {
  reset_(152, 1);
  TZipArchive zip(0x1234);
  zip.SetDLLDirectory(FAKE_ENGINE_DIR);
  zip.SetZipFilename(archive_);
  zip.ExtrOptions = {ExtrFreshen, ExtrDirNames, ExtrOverWrite, ExtrTest};
  zip.FSpecArgs = {"a", "b", "c"};
  zip.LoadEngine();
  zip.Extract();
  const FakeRecord& rec = Record();
  EXPECT_EQ(rec.Form, 1);
  EXPECT_EQ(rec.MarkFound, 7);
  EXPECT_TRUE(rec.TailClean);
  EXPECT_EQ(rec.SpecCount, 3);
  EXPECT_STREQ(rec.Specs[2], "c");
  EXPECT_EQ(rec.Freshen, -1);
  EXPECT_EQ(rec.Update, 0);
  EXPECT_EQ(rec.DirNames, -1);
  EXPECT_EQ(rec.OverWrite, -1);
  EXPECT_EQ(rec.Test, -1);
  EXPECT_EQ(rec.Trace, 0);
  EXPECT_EQ(rec.Verbose, 0);
  EXPECT_EQ(rec.OwnerWindow, reinterpret_cast<void*>(0x1234));
  EXPECT_STREQ(rec.Password, "");
  // The host loaded the engine, so it stays loaded.
  EXPECT_TRUE(zip.EngineLoaded());
  EXPECT_EQ(zip.EngineVersion(), 152);
  zip.UnloadEngine();
}

TEST_F(ExtractWithFakeEngine, EngineMessagesSetErrCodeFromTheLowByteAndNeverShowABox) {
  r_.zip.Unattended = false;
  r_.zip.ErrCode = 0;
  Script({Step(4, 0x010E, 0, "disk full"), Step(4, 0, 0, "C:/work/a.bmp   \r\n"), Step(4, 0x0203, 0, "bad/crc")});
  r_.zip.Extract();
  EXPECT_EQ(r_.Lines("message"), (std::vector<std::string>{"message:270:disk full", "message:0:C:\\work\\a.bmp",
                                                           "message:515:bad\\crc"}));
  EXPECT_TRUE(r_.Lines("box").empty());
  EXPECT_EQ(r_.zip.ErrCode, 3);
  EXPECT_EQ(r_.zip.EngineErrCode(), 0x0203);
  EXPECT_EQ(r_.zip.Message, "bad\\crc");

  // A message with code 0 changes only Message.
  Script({Step(4, 0x010E, 0, "full"), Step(4, 0, 0, "note")});
  r_.zip.Extract();
  EXPECT_EQ(r_.zip.ErrCode, 14);
  EXPECT_EQ(r_.zip.EngineErrCode(), 0x010E);
  EXPECT_EQ(r_.zip.Message, "note");
}

TEST_F(ExtractWithFakeEngine, ProgressActionsBecomeEventsAndTextsStopAt512Bytes) {
  FakeStep full = Step(1, 0, 7);
  std::memset(full.Text, 'n', sizeof full.Text);
  Script({Step(5, 0, 3), Step(6, 0, 1000), Step(1, 0, 500, "dir/pic.bmp"), Step(2, 0, 500), full, Step(9, 0, 1, "x"),
          Step(3, 0, 99)});
  r_.zip.Extract();
  const std::vector<std::string> expected = {"progress:3::3",
                                             "progress:4::1000",
                                             "progress:0:dir\\pic.bmp:500",
                                             "progress:1::500",
                                             "progress:0:" + std::string(512, 'n') + ":7",
                                             "progress:2::0"};
  EXPECT_EQ(r_.log, expected);
  EXPECT_EQ(Record().StepsSent, 7);
}

TEST_F(ExtractWithFakeEngine, CancelRequestedByAHandlerStopsTheRunAndIsClearedAfterwards) {
  Script({Step(5, 0, 3), Step(1, 0, 1, "a"), Step(1, 0, 1, "b"), Step(1, 0, 1, "c")});
  r_.zip.OnProgress = [&](TZipArchive* zip, ProgressType type, const std::string&, int64_t) {
    if (type == ProgrNewEntry) zip->CancelRequested = true;
  };
  r_.zip.CancelRequested = true;  // left over from before: Extract starts clean
  r_.zip.Extract();
  EXPECT_EQ(Record().StepsSent, 2);
  EXPECT_EQ(Record().LastResult, -1);
  EXPECT_FALSE(r_.zip.CancelRequested);

  // Set while pending events run, it stops the callback after.
  reset_(151, 0);
  Script({Step(2, 0, 1), Step(2, 0, 1), Step(2, 0, 1)});
  r_.zip.OnProgress = nullptr;
  int pending = 0;
  r_.zip.Host.ProcessPendingEvents = [&] {
    if (++pending == 1) r_.zip.CancelRequested = true;
  };
  r_.zip.Extract();
  EXPECT_EQ(Record().StepsSent, 2);
  EXPECT_EQ(pending, 2);
}

TEST_F(ExtractWithFakeEngine, ANestedExtractReturnsAtOnceAndTheOuterRunCompletes) {
  reset_(151, 2);
  Script({Step(1, 0, 1, "a"), Step(1, 0, 1, "b")});
  int nested = 0;
  r_.zip.OnProgress = [&](TZipArchive* zip, ProgressType, const std::string&, int64_t) {
    ++nested;
    zip->Extract();
    EXPECT_TRUE(zip->Busy());
  };
  r_.zip.FSpecArgs = {"a"};
  r_.zip.Extract();
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(Record().Calls, 1);
  EXPECT_EQ(Record().StepsSent, 2);
  EXPECT_EQ(r_.zip.SuccessCount(), 2);
  EXPECT_FALSE(r_.zip.Busy());
}

TEST_F(ExtractWithFakeEngine, AHandlerThatThrowsEndsTheRunWith10501AndStillCleansUp) {
  reset_(151, 2);
  Script({Step(1, 0, 1, "a"), Step(1, 0, 1, "b"), Step(1, 0, 1, "c")});
  r_.zip.OnProgress = [](TZipArchive*, ProgressType, const std::string&, int64_t) {
    throw std::runtime_error("handler failed");
  };
  r_.zip.FSpecArgs = {"a"};
  r_.zip.Extract();
  EXPECT_EQ(r_.zip.ErrCode, 10501);
  EXPECT_EQ(r_.zip.Message, "Fatal Error in libunzeng.so: abort exception");
  EXPECT_EQ(r_.zip.SuccessCount(), 0);
  EXPECT_EQ(Record().StepsSent, 1);
  EXPECT_TRUE(r_.zip.FSpecArgs.empty());
  EXPECT_FALSE(r_.zip.Busy());
  EXPECT_FALSE(r_.zip.EngineLoaded());
}

TEST_F(ExtractWithFakeEngine, UnattendedEncryptionWithoutAPasswordSendsADummyOne) {
  r_.zip.AddOptions = {AddEncrypt};
  r_.zip.Extract();
  EXPECT_EQ(r_.Lines("message").front(),
            "message:0:Warning - Unattended Extract: possible not all files extracted");
  const std::string sent = Record().Password;
  EXPECT_EQ(sent.size(), 79u);
  EXPECT_EQ(sent.find_first_not_of(sent[0]), std::string::npos);

  // An attended run asks for nothing and sends the empty password.
  reset_(151, 0);
  r_.zip.SetPassword("");
  r_.zip.Unattended = false;
  r_.zip.Extract();
  EXPECT_STREQ(Record().Password, "");
}

TEST_F(ExtractWithFakeEngine, TheEngineRunsInExtrBaseDirAndStillFindsARelativeArchive) {
  TempFolder base;
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  r_.zip.SetZipFilename("puzzle.tro");
  ASSERT_EQ(r_.zip.DirEntries().size(), 2u);
  r_.zip.ExtrBaseDir = base.Path();
  r_.zip.Extract();
  const FakeRecord rec = Record();
  std::filesystem::current_path(before);
  EXPECT_EQ(std::filesystem::path(rec.CurrentDir), std::filesystem::canonical(base.Path()));
  EXPECT_TRUE(rec.ArchiveReadable) << rec.ArchivePath;
}

TEST(EngineLoading, AMissingEngineReports10704AndExtractDoesNothingMore) {
  TempFolder empty;
  TempFolder dir;
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetDLLDirectory(empty.Path());
  r.zip.SetZipFilename(dir.Write("a.zip", ZipBytes().Add("a", "1").Build()));
  r.zip.LoadEngine();
  EXPECT_EQ(r.zip.ErrCode, 10704);
  EXPECT_EQ(r.zip.Message, "libunzeng.so not found!");
  EXPECT_FALSE(r.zip.EngineLoaded());
  EXPECT_EQ(r.zip.EngineVersion(), 0);
  r.zip.ErrCode = 0;
  r.zip.FSpecArgs = {"a"};
  r.zip.Extract();
  EXPECT_EQ(r.zip.ErrCode, 10704);
  EXPECT_EQ(r.zip.SuccessCount(), 0);
  EXPECT_FALSE(r.zip.Busy());
  EXPECT_FALSE(r.zip.EngineLoaded());
}

TEST(EngineLoading, ALibraryWithoutTheEntryPointsStaysLoadedAndIsNeverCalled) {
  // Any shared library will do as an engine without the two exports.
  Dl_info info;
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::zip_open), &info), 0);
  ASSERT_NE(std::string(info.dli_fname).find(".so"), std::string::npos) << info.dli_fname;
  TempFolder dir;
  std::filesystem::copy_file(info.dli_fname, dir.File("libunzeng.so"));
  RecordedArchive r;
  r.zip.Unattended = true;
  r.zip.SetDLLDirectory(dir.Path() + "/");
  r.zip.LoadEngine();
  EXPECT_EQ(r.Lines("message"),
            (std::vector<std::string>{"message:0:UnzEngExec function not found in libunzeng.so!",
                                      "message:0:GetUnzEngVersion function not found in libunzeng.so!"}));
  EXPECT_TRUE(r.zip.EngineLoaded());
  EXPECT_EQ(r.zip.EngineVersion(), 0);
  r.zip.SetZipFilename(dir.Write("a.zip", ZipBytes().Add("a", "1").Build()));
  r.zip.Extract();
  EXPECT_EQ(r.zip.ErrCode, 10702);
  EXPECT_EQ(r.zip.SuccessCount(), 0);
  r.zip.UnloadEngine();
  EXPECT_FALSE(r.zip.EngineLoaded());
}

}  // namespace
}  // namespace tintaro::test
