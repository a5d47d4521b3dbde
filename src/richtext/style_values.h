// The values of a paragraph style object (kind 17), read from its record
// each time so that a change to the style shows at once in every text that
// uses it. A missing style reads as a new style's defaults.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/ansi.h"

namespace tolvane {

class TYKAoggetto;

// Every value a paragraph format can hold as its own, in the order of its
// own flags: the five character values first.
enum class FormatField : uint8_t {
  Colour,
  Face,
  Size,
  Style,
  Position,
  Spare,
  Alignment,
  ListMark,
  Unit,
  LineHeight,
  Indent,
  Left,
  Right,
  Before,
  After,
  LinkStyle,
  LinkColour,
  LinkSize,
};
constexpr int kFormatFieldCount = 18;
constexpr int kCharacterFieldCount = 5;

namespace style_offsets {
// OFFSET in the record | WIDTH | MEANING
constexpr size_t kName = 5;          // short string, the style's name
constexpr size_t kFace = 39;         // short string, up to 32 characters
constexpr size_t kFaceField = 33;
constexpr size_t kSize = 72;         // i16, points
constexpr size_t kColour = 74;       // u32
constexpr size_t kStyle = 78;        // u8, style bits
constexpr size_t kLinkSize = 79;     // i16, -1 = the size of the text
constexpr size_t kLinkColour = 81;   // u32
constexpr size_t kLinkStyle = 85;    // u8, exclusive-or'ed onto the text style
constexpr size_t kLeft = 86;         // i16 pixels
constexpr size_t kRight = 88;        // i16
constexpr size_t kBefore = 90;       // i16
constexpr size_t kAfter = 92;        // i16
constexpr size_t kLineHeight = 94;   // i16; 0 or below: from the font
constexpr size_t kIndent = 96;       // i16
constexpr size_t kUnit = 98;         // u8
constexpr size_t kAlignment = 99;    // u8
constexpr size_t kListMark = 100;    // u8
constexpr size_t kSpare = 101;       // u8
constexpr size_t kPosition = 102;    // u8
}  // namespace style_offsets

// A numeric value of `style` (Face reads as 0: use StyleFace).
int32_t StyleValue(const TYKAoggetto* style, FormatField field);
AnsiString StyleFace(const TYKAoggetto* style);
// Writes a value into a style object's record.
void SetStyleValue(TYKAoggetto& style, FormatField field, int32_t value);
void SetStyleFace(TYKAoggetto& style, std::string_view face);

}  // namespace tolvane
