// Message boxes for the command line: every message goes to standard error.
// Questions get the answer that loses nothing: large objects are kept, and a
// save that would need a retry or would drop protected pages is not made.
#pragma once

#include "platform/messages.h"

namespace tolvane {

class ConsoleMessages : public MessageBoxes {
 public:
  void ShowInformation(std::string_view text) override;
  void ShowWarning(std::string_view text) override;
  void ShowError(std::string_view text) override;
  Answer AskYesNo(std::string_view text) override;
  Answer AskYesNoCancel(std::string_view text) override;
  Answer AskYesNoAll(std::string_view text) override;
};

}  // namespace tolvane
