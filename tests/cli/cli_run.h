// Runs tolvane-cli as a user does, with its settings in the test's folder.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "../model/test_support.h"

namespace tolvane {

struct CliRun {
  int status;
  std::string out, err;
};

inline CliRun Cli(const std::string& args, const testing::TempDir& dir) {
  const std::string errFile = dir / "stderr.txt";
  // Each run keeps its settings in the test's folder, never in the user's.
  const std::string command = "TOLVANE_SETTINGS=" + (dir / "settings.conf") + " " + std::string(TOLVANE_CLI) +
                              " " + args + " 2>" + errFile;
  CliRun r{};
  FILE* pipe = ::popen(command.c_str(), "r");
  std::array<char, 4096> buf{};
  size_t n = 0;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), n);
  int raw = ::pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = std::string(AsText(testing::ReadAll(errFile)));
  return r;
}

}  // namespace tolvane
