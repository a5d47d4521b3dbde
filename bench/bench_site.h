// What the benchmarks share: timing helpers and the generated hypertext
// (pages of styled prose with bold and italic runs, links between pages,
// pictures placed on every third page).
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/document.h"
#include "platform/fakes/silent_messages.h"
#include "platform/memory_settings.h"

namespace tolvane::bench {

inline double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

template <class F>
double MedianSeconds(int rounds, F&& f) {
  std::vector<double> t;
  for (int i = 0; i < rounds; ++i) {
    auto start = std::chrono::steady_clock::now();
    f();
    t.push_back(Seconds(start));
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

inline bool Run(const std::string& command) {
  int rc = std::system(command.c_str());
  return rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) == 0;
}

// The real disk and system, quiet messages, settings in memory.
struct BenchPlatform {
  explicit BenchPlatform(uint64_t seed = 3, Answer answer = Answer::No) : messages(answer), random(MakeSeededRandom(seed)) {}
  SilentMessages messages;
  UiHooks ui;
  std::unique_ptr<SystemInfo> system = MakeHostSystemInfo();
  std::unique_ptr<FileSystem> files = MakePosixFileSystem();
  std::unique_ptr<RandomSource> random;
  MemorySettings settings;
  Platform Get() { return Platform{messages, ui, *system, *files, *random, settings}; }
};

struct GeneratedSite {
  std::vector<TYKAtesto*> pages;
  size_t markupBytes = 0;
};

// Fills the new document `doc`; the pictures are drawn into folder/pictures.
bool BuildGeneratedSite(TYKAset& doc, const std::filesystem::path& folder, int pageCount, int pictureCount,
                        GeneratedSite& site);

}  // namespace tolvane::bench
