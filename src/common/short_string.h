// Short strings in fixed record fields: a length byte and that many bytes of
// text, inside a field whose size includes the length byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/ansi.h"

namespace tolvane {

// A length byte larger than the field allows is clamped to the field.
AnsiString ReadShortString(const uint8_t* record, size_t offset, size_t fieldSize);
// Text longer than fieldSize - 1 is cut; bytes after the text are left alone.
void WriteShortString(uint8_t* record, size_t offset, size_t fieldSize, std::string_view text);

}  // namespace tolvane
