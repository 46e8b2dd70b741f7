// Runs a helper program (tromake) as a separate process while the player
// may cancel it. The Qt window runs it with a progress dialog; tests script
// the outcome.
#pragma once

#include <string>
#include <vector>

namespace tintaro {

struct ToolRun {
  enum class End {
    Exited,     // the program ran to its end; see exitCode
    Cancelled,  // the player cancelled and the process was killed
    TimedOut,   // the time limit passed and the process was killed
    NotStarted  // the program could not be started at all
  };
  End end = End::NotStarted;
  int exitCode = -1;
  // What the program wrote on its error output.
  std::string errorOutput;
};

class ToolRunner {
 public:
  virtual ~ToolRunner() = default;
  // Runs `program` with `arguments` and waits for it, at most
  // `timeLimitMs`; a process still running then, or when the player
  // cancels, is killed before this returns. `what` names the work for the
  // progress dialog.
  virtual ToolRun Run(const std::string& program, const std::vector<std::string>& arguments, int timeLimitMs,
                      const std::string& what) = 0;
};

}  // namespace tintaro
