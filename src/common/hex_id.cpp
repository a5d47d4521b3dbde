#include "common/hex_id.h"

namespace tolvane {

std::string HexDigits(uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return out;
}

std::string IdToHex(int32_t id) { return HexDigits(static_cast<uint32_t>(id), 8); }

std::optional<int32_t> HexToId(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint32_t v = 0;
  for (char c : text) {
    const int d = HexDigitValue(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(v);
}

}  // namespace tolvane
