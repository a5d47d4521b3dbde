// Object ids in text: 8 hexadecimal digits, written lower case, read in either case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The value of one hexadecimal digit, either case; -1 for any other character.
inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string IdToHex(int32_t id);
// Exactly 8 hexadecimal digits, either case; anything else gives nothing.
std::optional<int32_t> HexToId(std::string_view text);
// Hexadecimal text of the given number of digits (lower case).
std::string HexDigits(uint32_t value, int digits);

}  // namespace tolvane
