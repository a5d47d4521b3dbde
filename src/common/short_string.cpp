#include "common/short_string.h"

#include <algorithm>
#include <cstring>

namespace tolvane {

AnsiString ReadShortString(const uint8_t* record, size_t offset, size_t fieldSize) {
  if (fieldSize == 0) return {};
  size_t len = std::min<size_t>(record[offset], fieldSize - 1);
  return AnsiString(reinterpret_cast<const char*>(record + offset + 1), len);
}

void WriteShortString(uint8_t* record, size_t offset, size_t fieldSize, std::string_view text) {
  if (fieldSize == 0) return;
  size_t len = std::min(text.size(), fieldSize - 1);
  record[offset] = static_cast<uint8_t>(len);
  if (len) std::memcpy(record + offset + 1, text.data(), len);
}

}  // namespace tolvane
