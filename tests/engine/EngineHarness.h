// Runs libunzeng.so's UnzEngExec the way the archive component does: from a
// fresh folder made current, with a short- or long-form request, recording
// every callback.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <algorithm>
#include <string>
#include <vector>

#include "archive/UnzEngine.h"

namespace tintaro::test {

struct Report {
  int32_t action;
  int32_t code;
  int32_t size;
  std::string text;
};

struct EngineOptions {
  bool dirNames = false;
  bool overWrite = false;
  bool update = false;
  bool freshen = false;
  bool test = false;
  bool verbose = false;
  bool longForm = false;
  std::string password;
  std::vector<std::string> specs;
};

class EngineTest : public ::testing::Test {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/tintaro-engine-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    out_ = root_ / "out";
    std::filesystem::create_directory(out_);
    oldCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(out_);
  }
  void TearDown() override {
    std::filesystem::current_path(oldCwd_);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // The archive's path beside (not inside) the extraction folder.
  std::string ArchivePath(const std::string& name = "a.zip") const { return (root_ / name).string(); }

  int32_t Exec(const std::string& archive, const EngineOptions& options = {});
  int32_t OnReport(const Report& r);

  std::vector<Report> MessagesWithCode(int32_t lowByte) const;
  std::vector<Report> Actions(int32_t action) const;
  std::string Read(const std::filesystem::path& p) const;
  // Every path under the temporary root, outside the extraction folder included.
  std::vector<std::string> Tree() const;

  std::filesystem::path root_;
  std::filesystem::path out_;
  std::filesystem::path oldCwd_;
  std::vector<Report> reports_;
  // Answers each callback; by default 0 (go on).
  std::function<int32_t(const Report&)> answer_;
};

}  // namespace tintaro::test
