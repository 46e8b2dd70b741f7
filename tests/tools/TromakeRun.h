// Runs the built tromake as a user would and keeps what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "archive/ArchiveTestKit.h"

namespace tintaro::test {

struct Outcome {
  int status = -1;
  std::string out, err;
};

inline std::string Text(const std::string& path) {
  const Bytes b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

// Runs tromake with the arguments (quoted by the caller where needed), after
// `env` (variable settings for the shell), with its output kept in `dir`.
inline Outcome Tromake(const TempFolder& dir, const std::string& args, const std::string& env = "") {
  const std::string cmd = env + " " + TROMAKE + " " + args + " >" + dir.File("out.txt") + " 2>" + dir.File("err.txt");
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Text(dir.File("out.txt")), Text(dir.File("err.txt"))};
}

}  // namespace tintaro::test
