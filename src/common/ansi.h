// The document's texts are single-byte strings in Windows-1252. They are
// converted to UTF-8 only where they meet the GUI, the terminal or a file name.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// A byte string in the document's single-byte character set.
using AnsiString = std::string;

std::string AnsiToUtf8(std::string_view ansi);
// Characters that Windows-1252 cannot hold become '?'; malformed UTF-8 bytes too.
AnsiString Utf8ToAnsi(std::string_view utf8);

char AnsiUpper(char c);
char AnsiLower(char c);
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
bool AnsiSameText(std::string_view a, std::string_view b);
bool AnsiStartsWithText(std::string_view s, std::string_view prefix);
// Position of needle in haystack ignoring case, or npos.
size_t AnsiFindText(std::string_view haystack, std::string_view needle, size_t from = 0);

}  // namespace tolvane
