// Decimal numbers in settings, properties and tree lines: the whole text must
// be the number.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvane {

inline std::optional<int64_t> ParseDecimal(std::string_view text) {
  int64_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

}  // namespace tolvane
