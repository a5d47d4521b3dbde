// Message boxes that show nothing and answer every question the same way,
// for fuzzing and benchmarks, where recording would only cost memory.
#pragma once

#include "platform/messages.h"

namespace tolvane {

class SilentMessages : public MessageBoxes {
 public:
  explicit SilentMessages(Answer answer = Answer::Yes) : answer_(answer) {}
  void ShowInformation(std::string_view) override {}
  void ShowWarning(std::string_view) override {}
  void ShowError(std::string_view) override {}
  Answer AskYesNo(std::string_view) override { return answer_; }
  Answer AskYesNoCancel(std::string_view) override { return answer_; }
  Answer AskYesNoAll(std::string_view) override { return answer_; }

 private:
  Answer answer_;
};

}  // namespace tolvane
