// Message boxes and questions. Texts are UTF-8 (the engine converts document
// texts before it builds a message).
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

enum class Answer { Yes, No, Cancel, All };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Caption "Information".
  virtual void ShowInformation(std::string_view text) = 0;
  // Caption "Attention!".
  virtual void ShowWarning(std::string_view text) = 0;
  // Caption "Erreur!".
  virtual void ShowError(std::string_view text) = 0;
  // The application title as caption; Yes or No.
  virtual Answer AskYesNo(std::string_view text) = 0;
  // Yes, No or Cancel.
  virtual Answer AskYesNoCancel(std::string_view text) = 0;
  // Yes, No or All.
  virtual Answer AskYesNoAll(std::string_view text) = 0;
};

}  // namespace tolvane
