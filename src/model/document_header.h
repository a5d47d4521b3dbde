// The 1978-byte document header, held in memory as the file has it.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/ansi.h"
#include "common/bytes.h"
#include "common/short_string.h"
#include "model/record_fields.h"

namespace tolvane {

struct DocumentHeader {
  uint8_t bytes[hdr::kSize] = {};

  int32_t I32(size_t off) const { return GetI32(bytes, off); }
  uint16_t U16(size_t off) const { return GetU16(bytes, off); }
  uint8_t U8(size_t off) const { return bytes[off]; }
  void SetI32(size_t off, int32_t v) { PutI32(bytes, off, v); }
  void SetU16(size_t off, uint16_t v) { PutU16(bytes, off, v); }
  void SetU8(size_t off, uint8_t v) { bytes[off] = v; }
  AnsiString Short(size_t off, size_t size) const { return ReadShortString(bytes, off, size); }
  void SetShort(size_t off, size_t size, std::string_view s) { WriteShortString(bytes, off, size, s); }

  AnsiString Title() const { return Short(hdr::kTitle, 80); }
  void SetTitle(std::string_view t) { SetShort(hdr::kTitle, 80, t); }
  AnsiString Description() const;
  void SetDescription(std::string_view d);
  int Version() const { return U16(hdr::kVersion); }
  int LastKind() const { return U8(hdr::kLastKind); }
  int32_t SaveCounter() const { return I32(hdr::kSaveCounter); }

  // The values of a new document; the authors are the user's name.
  void SetNewDocument(std::string_view authors, int pixelsPerInch);
  // Fields added after format version 1, for files of that version.
  void SetVersion1Defaults();
};

}  // namespace tolvane
