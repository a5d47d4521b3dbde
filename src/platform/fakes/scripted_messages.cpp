#include "platform/fakes/scripted_messages.h"

namespace tolvane {

void ScriptedMessages::ShowInformation(std::string_view text) {
  shown_.push_back({Kind::Information, std::string(text)});
}
void ScriptedMessages::ShowWarning(std::string_view text) {
  shown_.push_back({Kind::Warning, std::string(text)});
}
void ScriptedMessages::ShowError(std::string_view text) {
  shown_.push_back({Kind::Error, std::string(text)});
}

Answer ScriptedMessages::Next(Kind kind, std::string_view text) {
  shown_.push_back({kind, std::string(text)});
  if (answers_.empty()) return default_;
  Answer a = answers_.front();
  answers_.pop_front();
  return a;
}

Answer ScriptedMessages::AskYesNo(std::string_view text) { return Next(Kind::YesNo, text); }
Answer ScriptedMessages::AskYesNoCancel(std::string_view text) {
  return Next(Kind::YesNoCancel, text);
}
Answer ScriptedMessages::AskYesNoAll(std::string_view text) { return Next(Kind::YesNoAll, text); }

std::vector<std::string> ScriptedMessages::Texts() const {
  std::vector<std::string> out;
  for (const auto& s : shown_) out.push_back(s.text);
  return out;
}

}  // namespace tolvane
