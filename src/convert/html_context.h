// What one page file collects while it is written: the files its links and
// pictures need, the pages that need a frame-content version, the blocks for
// its head, the pictures to preload, and the scripts it calls.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

class TYKAoggetto;
class TYKAtesto;

namespace script_need {
constexpr uint8_t kBrowser = 1, kRollover = 2, kClose = 4, kOpen = 8, kPlainOpen = 16, kSharedFile = 32;
}

struct HtmlExportContext {
  std::vector<const TYKAoggetto*>* resources = nullptr;  // absent: not collected
  std::vector<const TYKAoggetto*>* secondaryPages = nullptr;
  std::vector<std::vector<std::string>> headEntries;
  std::vector<const TYKAoggetto*> rollovers;
  int writerMode = 0;
  uint8_t scripts = 0;
  const TYKAtesto* page = nullptr;  // the page being written
  int pageIndex = 0;                // its slot, as the scripts name it

  static void AddOnce(std::vector<const TYKAoggetto*>* list, const TYKAoggetto* o) {
    if (list && o && std::find(list->begin(), list->end(), o) == list->end()) list->push_back(o);
  }
  void AddResource(const TYKAoggetto* o) { AddOnce(resources, o); }
  void AddSecondaryPage(const TYKAoggetto* o) { AddOnce(secondaryPages, o); }
  void AddHeadEntry(std::vector<std::string> lines) {
    if (std::find(headEntries.begin(), headEntries.end(), lines) == headEntries.end())
      headEntries.push_back(std::move(lines));
  }
};

}  // namespace tolvane
