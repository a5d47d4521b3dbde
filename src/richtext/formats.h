// Character and paragraph formats held as differences from a paragraph
// style. Reading a value gives the own value when there is one, else the
// style's; setting a value equal to the style's drops the own value, so a
// format never holds what its style already says, and the markup writes only
// true differences.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "common/ansi.h"
#include "platform/text_measurer.h"
#include "richtext/style_values.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;

// A resolved font, with no style behind it.
struct TMyFont {
  AnsiString face;
  uint8_t style = 0;
  uint32_t colour = 0;
  int32_t size = 10;
  uint8_t position = 0;
  bool operator==(const TMyFont&) const = default;
  FontSpec ToFont() const { return {face, size, style, colour, 1}; }
};

class TYKAParaStyle;

// One character format change inside a paragraph.
class TYKAFontStyle {
 public:
  explicit TYKAFontStyle(const TYKAoggetto* base = nullptr) : base_(base) {}

  const TYKAoggetto* Base() const { return base_; }
  void SetBase(const TYKAoggetto* base) { base_ = base; }

  uint32_t Colour() const { return static_cast<uint32_t>(Get(FormatField::Colour)); }
  AnsiString Face() const { return IsOwn(FormatField::Face) ? face_ : StyleFace(base_); }
  int32_t Size() const { return Get(FormatField::Size); }
  uint8_t Style() const { return static_cast<uint8_t>(Get(FormatField::Style)); }
  uint8_t Position() const { return static_cast<uint8_t>(Get(FormatField::Position)); }
  void SetColour(uint32_t v) { Set(FormatField::Colour, static_cast<int32_t>(v)); }
  void SetFace(std::string_view face);
  void SetSize(int32_t v) { Set(FormatField::Size, v); }
  void SetStyle(uint8_t v) { Set(FormatField::Style, v); }
  void SetPosition(uint8_t v) { Set(FormatField::Position, v); }

  // Own flags of the five values: Colour, Face, Size, Style, Position.
  bool IsOwn(FormatField f) const { return own_[static_cast<size_t>(f)]; }
  bool HasOwnValues() const;
  void ClearOwnValues() { own_ = {}; }

  void AssignFrom(const TYKAFontStyle& other);
  void AssignFrom(const TYKAParaStyle& other);
  void AssignFrom(const TMyFont& font);
  // From a platform font: colour, face, style and size.
  void AssignFrom(const FontSpec& font);
  TMyFont ToMyFont() const { return {Face(), Style(), Colour(), Size(), Position()}; }
  FontSpec ToFont() const { return {Face(), Size(), Style(), Colour(), 1}; }

 private:
  int32_t Get(FormatField f) const { return IsOwn(f) ? values_[static_cast<size_t>(f)] : StyleValue(base_, f); }
  void Set(FormatField f, int32_t v);
  const TYKAoggetto* base_;
  std::array<int32_t, kCharacterFieldCount> values_{};
  AnsiString face_;
  std::array<bool, kCharacterFieldCount> own_{};
};

// The six measures a paragraph keeps in pixels and shows in its display unit.
enum class Measure : uint8_t { LineHeight, Indent, Left, Right, Before, After };

// The format of one paragraph.
class TYKAParaStyle {
 public:
  explicit TYKAParaStyle(const TYKAoggetto* base = nullptr) : base_(base), scratch_(base) {}
  TYKAParaStyle(const TYKAParaStyle& other) : TYKAParaStyle(other.base_) { *this = other; }
  TYKAParaStyle& operator=(const TYKAParaStyle& other);

  const TYKAoggetto* Base() const { return base_; }
  // Also the scratch format's base; own values stay as they are.
  void SetBase(const TYKAoggetto* base) {
    base_ = base;
    scratch_.SetBase(base);
  }

  // Any value but the face.
  int32_t Get(FormatField f) const { return IsOwn(f) ? values_[static_cast<size_t>(f)] : StyleValue(base_, f); }
  void Set(FormatField f, int32_t v);
  AnsiString Face() const { return IsOwn(FormatField::Face) ? face_ : StyleFace(base_); }
  void SetFace(std::string_view face);
  bool IsOwn(FormatField f) const { return own_[static_cast<size_t>(f)]; }
  // The paragraph then shows its style exactly.
  void ClearOwnValues() { own_ = {}; }

  uint32_t Colour() const { return static_cast<uint32_t>(Get(FormatField::Colour)); }
  int32_t Size() const { return Get(FormatField::Size); }
  uint8_t Style() const { return static_cast<uint8_t>(Get(FormatField::Style)); }
  uint8_t Position() const { return static_cast<uint8_t>(Get(FormatField::Position)); }
  void SetColour(uint32_t v) { Set(FormatField::Colour, static_cast<int32_t>(v)); }
  void SetSize(int32_t v) { Set(FormatField::Size, v); }
  void SetStyle(uint8_t v) { Set(FormatField::Style, v); }
  void SetPosition(uint8_t v) { Set(FormatField::Position, v); }
  uint8_t Alignment() const { return static_cast<uint8_t>(Get(FormatField::Alignment)); }
  uint8_t ListMark() const { return static_cast<uint8_t>(Get(FormatField::ListMark)); }
  uint8_t Unit() const { return static_cast<uint8_t>(Get(FormatField::Unit)); }
  uint8_t LinkStyle() const { return static_cast<uint8_t>(Get(FormatField::LinkStyle)); }
  uint32_t LinkColour() const { return static_cast<uint32_t>(Get(FormatField::LinkColour)); }
  int32_t LinkSize() const { return Get(FormatField::LinkSize); }

  int32_t MeasurePixels(Measure m) const { return Get(FieldOf(m)); }
  void SetMeasurePixels(Measure m, int32_t px) { Set(FieldOf(m), px); }
  // In the paragraph's display unit.
  float MeasureInUnit(Measure m, int pixelsPerInch = 96) const;
  void SetMeasureInUnit(Measure m, float value, int pixelsPerInch = 96);

  // The current character format of the parser and the editor.
  TYKAFontStyle& Scratch() { return scratch_; }
  const TYKAFontStyle& Scratch() const { return scratch_; }

  // A paragraph format from another: base, then every value through its
  // setter (so own flags follow the new base), then the scratch format.
  void AssignFrom(const TYKAParaStyle& other);
  // Only the character values (and, from a character format, its base).
  void AssignFrom(const TYKAFontStyle& font);
  void AssignFrom(const TMyFont& font);
  void AssignFrom(const FontSpec& font);
  TMyFont ToMyFont() const { return {Face(), Style(), Colour(), Size(), Position()}; }
  FontSpec ToFont() const { return {Face(), Size(), Style(), Colour(), 1}; }

  static FormatField FieldOf(Measure m) { return static_cast<FormatField>(static_cast<int>(FormatField::LineHeight) + static_cast<int>(m)); }

 private:
  const TYKAoggetto* base_;
  std::array<int32_t, kFormatFieldCount> values_{};
  AnsiString face_;
  std::array<bool, kFormatFieldCount> own_{};
  TYKAFontStyle scratch_;
};

// A new paragraph style made from a paragraph: a copy of its style that
// takes the paragraph's alignment, link values, measures, unit and list
// mark, and position 0. The caller names it.
TYKAoggetto* CreateStyleFromFormat(TYKAset& doc, const TYKAParaStyle& format);

}  // namespace tolvane
