// A test server script run for one fixture: it prints "PORT n" first, then one
// line per thing it received; it is stopped by process id, and exits by
// itself when its standard input closes should the test process die first.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace tolvane {

class ServerProcess {
  using Clock = std::chrono::steady_clock;

 public:
  // `script` in `folder`, run by the tests' Python with `arguments`.
  explicit ServerProcess(const std::string& script, const std::string& folder = TOLVANE_TEST_SERVERS,
                         std::vector<std::string> arguments = {}) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    if (pipe2(out, O_CLOEXEC) != 0) {
      close(in[0]);
      close(in[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::string python = TOLVANE_TEST_PYTHON;
    std::string path = folder + "/" + script;
    std::vector<char*> argv = {python.data(), path.data()};
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, python.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    if (pid_ <= 0) return;
    const auto first = NextLine(std::chrono::seconds(30));
    if (first && first->starts_with("PORT ")) port_ = std::atoi(first->c_str() + 5);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;
  ~ServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (stdin_ >= 0) close(stdin_);
    if (stdout_ >= 0) close(stdout_);
  }

  int port() const { return port_; }
  pid_t pid() const { return pid_; }

  // A line for the server's standard input.
  bool Send(const std::string& line) {
    const std::string text = line + "\n";
    return stdin_ >= 0 && write(stdin_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }

  // The next line the server printed, or nothing within `timeout`.
  std::optional<std::string> NextLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[65536];
      const ssize_t n = read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  int port_ = 0;
  std::string buffer_;
};

}  // namespace tolvane
