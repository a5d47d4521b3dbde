// Message boxes for tests: every message shown is recorded, and questions are
// answered from a script (then from a default answer).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace tolvane {

class ScriptedMessages : public MessageBoxes {
 public:
  enum class Kind { Information, Warning, Error, YesNo, YesNoCancel, YesNoAll };
  struct Shown {
    Kind kind;
    std::string text;
  };

  void ShowInformation(std::string_view text) override;
  void ShowWarning(std::string_view text) override;
  void ShowError(std::string_view text) override;
  Answer AskYesNo(std::string_view text) override;
  Answer AskYesNoCancel(std::string_view text) override;
  Answer AskYesNoAll(std::string_view text) override;

  void Script(Answer a) { answers_.push_back(a); }
  void SetDefaultAnswer(Answer a) { default_ = a; }
  const std::vector<Shown>& shown() const { return shown_; }
  // The texts shown, one per message, for compact assertions.
  std::vector<std::string> Texts() const;
  void Clear() { shown_.clear(); }

 private:
  Answer Next(Kind kind, std::string_view text);
  std::vector<Shown> shown_;
  std::deque<Answer> answers_;
  Answer default_ = Answer::Yes;
};

}  // namespace tolvane
