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

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // A path to save to, or nothing when the user cancels. The filter is written
  // "description|patterns|description|patterns".
  virtual std::optional<std::string> SaveFile(std::string_view filter, std::string_view defaultExtension,
                                              std::string_view fileName) = 0;
  virtual std::optional<std::string> OpenFile(std::string_view filter) = 0;
};

class ScriptedFileChooser : public FileChooser {
 public:
  std::optional<std::string> SaveFile(std::string_view filter, std::string_view, std::string_view fileName) override {
    asked.push_back(std::string(filter) + " " + std::string(fileName));
    return Next();
  }
  std::optional<std::string> OpenFile(std::string_view filter) override {
    asked.emplace_back(filter);
    return Next();
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;

 private:
  std::optional<std::string> Next() {
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
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
