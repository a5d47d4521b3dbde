#include "cli/console_messages.h"

#include <iostream>
#include <string>

namespace tolvane {
namespace {

// Message texts use CR as a line break, as the dialogs do.
void Print(std::string_view label, std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\r') c = '\n';
  std::cerr << label << ": " << line << '\n';
}

}  // namespace

void ConsoleMessages::ShowInformation(std::string_view text) { Print("Information", text); }
void ConsoleMessages::ShowWarning(std::string_view text) { Print("Attention!", text); }
void ConsoleMessages::ShowError(std::string_view text) { Print("Erreur!", text); }

Answer ConsoleMessages::AskYesNo(std::string_view text) {
  Print("Question (answered No)", text);
  return Answer::No;
}
Answer ConsoleMessages::AskYesNoCancel(std::string_view text) {
  Print("Question (answered Cancel)", text);
  return Answer::Cancel;
}
Answer ConsoleMessages::AskYesNoAll(std::string_view text) {
  Print("Question (answered Yes)", text);
  return Answer::Yes;
}

}  // namespace tolvane
