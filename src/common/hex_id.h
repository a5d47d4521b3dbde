// Object ids in text: 8 hexadecimal digits, written lower case, read in either case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

std::string IdToHex(int32_t id);
// Exactly 8 hexadecimal digits, either case; anything else gives nothing.
std::optional<int32_t> HexToId(std::string_view text);
// Hexadecimal text of the given number of digits (lower case).
std::string HexDigits(uint32_t value, int digits);

}  // namespace tolvane
