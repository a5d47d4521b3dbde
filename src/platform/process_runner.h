// Starting outside programs and opening documents with the desktop's default
// application. Arguments always travel as a list: nothing is ever handed to a
// shell to interpret.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts argv[0] (looked up on PATH) with the other arguments; false when it cannot start.
  virtual bool Start(const std::vector<std::string>& argv) = 0;
  // Opens a file or an address with the default application (xdg-open).
  virtual bool OpenDocument(const std::string& target) { return Start({"xdg-open", target}); }
};

std::unique_ptr<ProcessRunner> MakePosixProcessRunner();

// For tests: records every start and answers from `succeed`.
class RecordingProcessRunner : public ProcessRunner {
 public:
  bool Start(const std::vector<std::string>& argv) override {
    started.push_back(argv);
    return succeed;
  }
  std::vector<std::vector<std::string>> started;
  bool succeed = true;
};

}  // namespace tolvane
