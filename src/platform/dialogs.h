// The file and folder dialogs the engine asks the user through.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // A folder, or nothing when the user cancels.
  virtual std::optional<std::string> ChooseFolder(std::string_view statusText) = 0;
};

// For tests: answers from a script and records what was asked.
class ScriptedFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(std::string_view statusText) override {
    asked.emplace_back(statusText);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
};

}  // namespace tolvane
