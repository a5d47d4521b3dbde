#include "richtext/style_values.h"

#include "model/object.h"

namespace tolvane {
namespace {

using namespace style_offsets;

struct Slot {
  size_t offset;
  int width;  // 1, 2 (signed) or 4 bytes
  int32_t byDefault;
};

Slot SlotOf(FormatField f) {
  switch (f) {
    case FormatField::Colour: return {kColour, 4, 0};
    case FormatField::Size: return {kSize, 2, 10};
    case FormatField::Style: return {kStyle, 1, 0};
    case FormatField::Position: return {kPosition, 1, 0};
    case FormatField::Spare: return {kSpare, 1, 0};
    case FormatField::Alignment: return {kAlignment, 1, 0};
    case FormatField::ListMark: return {kListMark, 1, 0};
    case FormatField::Unit: return {kUnit, 1, 1};
    case FormatField::LineHeight: return {kLineHeight, 2, -32000};
    case FormatField::Indent: return {kIndent, 2, 0};
    case FormatField::Left: return {kLeft, 2, 10};
    case FormatField::Right: return {kRight, 2, 10};
    case FormatField::Before: return {kBefore, 2, 0};
    case FormatField::After: return {kAfter, 2, 0};
    case FormatField::LinkStyle: return {kLinkStyle, 1, 4};
    case FormatField::LinkColour: return {kLinkColour, 4, 0xFF0000};
    case FormatField::LinkSize: return {kLinkSize, 2, -1};
    case FormatField::Face: break;
  }
  return {0, 0, 0};
}

}  // namespace

int32_t StyleValue(const TYKAoggetto* style, FormatField field) {
  Slot s = SlotOf(field);
  if (s.width == 0) return 0;
  if (!style) return s.byDefault;
  switch (s.width) {
    case 1: return style->U8(s.offset);
    case 2: return style->I16(s.offset);
    default: return style->I32(s.offset);
  }
}

AnsiString StyleFace(const TYKAoggetto* style) {
  return style ? style->ShortString(kFace, kFaceField) : AnsiString("Arial");
}

void SetStyleValue(TYKAoggetto& style, FormatField field, int32_t value) {
  Slot s = SlotOf(field);
  switch (s.width) {
    case 1: style.SetU8(s.offset, static_cast<uint8_t>(value)); break;
    case 2: style.SetI16(s.offset, static_cast<int16_t>(value)); break;
    case 4: style.SetI32(s.offset, value); break;
    default: break;
  }
}

void SetStyleFace(TYKAoggetto& style, std::string_view face) { style.SetShortString(kFace, kFaceField, face.substr(0, 32)); }

}  // namespace tolvane
