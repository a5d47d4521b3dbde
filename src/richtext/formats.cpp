#include "richtext/formats.h"

#include <cmath>
#include <cstring>

#include "model/document.h"

#include "richtext/text_attributes.h"

namespace tolvane {
namespace {

// A value equal to the style's is not kept: only differences are.
template <size_t N>
void SetAgainstStyle(std::array<bool, N>& own, std::array<int32_t, N>& values, const TYKAoggetto* base,
                     FormatField f, int32_t v) {
  auto i = static_cast<size_t>(f);
  own[i] = v != StyleValue(base, f);
  if (own[i]) values[i] = v;
}

template <size_t N>
void SetFaceAgainstStyle(std::array<bool, N>& own, AnsiString& face, const TYKAoggetto* base, std::string_view v) {
  auto i = static_cast<size_t>(FormatField::Face);
  own[i] = v != StyleFace(base);
  face = own[i] ? AnsiString(v) : AnsiString();
}

// The five character values of any format, through the setters of `to`.
template <class To, class From>
void AssignCharacterValues(To& to, const From& from) {
  to.SetColour(from.Colour());
  to.SetFace(from.Face());
  to.SetSize(from.Size());
  to.SetStyle(from.Style());
  to.SetPosition(from.Position());
}

}  // namespace

// ---- TYKAFontStyle

void TYKAFontStyle::Set(FormatField f, int32_t v) { SetAgainstStyle(own_, values_, base_, f, v); }

void TYKAFontStyle::SetFace(std::string_view face) { SetFaceAgainstStyle(own_, face_, base_, face); }

bool TYKAFontStyle::HasOwnValues() const {
  for (bool b : own_)
    if (b) return true;
  return false;
}

void TYKAFontStyle::AssignFrom(const TYKAFontStyle& other) {
  base_ = other.base_;
  AssignCharacterValues(*this, other);
}

void TYKAFontStyle::AssignFrom(const TYKAParaStyle& other) {
  base_ = other.Base();
  AssignCharacterValues(*this, other);
}

void TYKAFontStyle::AssignFrom(const TMyFont& font) {
  SetColour(font.colour);
  SetFace(font.face);
  SetSize(font.size);
  SetStyle(font.style);
  SetPosition(font.position);
}

void TYKAFontStyle::AssignFrom(const FontSpec& font) {
  SetColour(font.colour);
  SetFace(font.face);
  SetStyle(font.style);
  SetSize(font.size);
}

// ---- TYKAParaStyle

TYKAParaStyle& TYKAParaStyle::operator=(const TYKAParaStyle& other) {
  if (this == &other) return *this;
  base_ = other.base_;
  values_ = other.values_;
  face_ = other.face_;
  own_ = other.own_;
  scratch_ = other.scratch_;
  return *this;
}

void TYKAParaStyle::Set(FormatField f, int32_t v) {
  if (f != FormatField::Face) SetAgainstStyle(own_, values_, base_, f, v);
}

void TYKAParaStyle::SetFace(std::string_view face) { SetFaceAgainstStyle(own_, face_, base_, face); }

float TYKAParaStyle::MeasureInUnit(Measure m, int pixelsPerInch) const {
  return ConvertUnit(umPixel, Unit(), static_cast<float>(MeasurePixels(m)), pixelsPerInch);
}

void TYKAParaStyle::SetMeasureInUnit(Measure m, float value, int pixelsPerInch) {
  float px = ConvertUnit(Unit(), umPixel, value, pixelsPerInch);
  SetMeasurePixels(m, static_cast<int32_t>(std::lround(px)));
}

void TYKAParaStyle::AssignFrom(const TYKAParaStyle& other) {
  SetBase(other.base_);
  for (int f = 0; f < kFormatFieldCount; ++f) {
    auto field = static_cast<FormatField>(f);
    if (field == FormatField::Face) SetFace(other.Face());
    else Set(field, other.Get(field));
  }
  scratch_.AssignFrom(other);
}

void TYKAParaStyle::AssignFrom(const TYKAFontStyle& font) {
  SetBase(font.Base());
  AssignCharacterValues(*this, font);
}

void TYKAParaStyle::AssignFrom(const TMyFont& font) {
  Set(FormatField::Colour, static_cast<int32_t>(font.colour));
  SetFace(font.face);
  Set(FormatField::Size, font.size);
  Set(FormatField::Style, font.style);
  Set(FormatField::Position, font.position);
}

void TYKAParaStyle::AssignFrom(const FontSpec& font) {
  Set(FormatField::Colour, static_cast<int32_t>(font.colour));
  SetFace(font.face);
  Set(FormatField::Size, font.size);
  Set(FormatField::Style, font.style);
}

TYKAoggetto* CreateStyleFromFormat(TYKAset& doc, const TYKAParaStyle& format) {
  TYKAoggetto* style = doc.CreateObject(stileParagrafo);
  if (!style) return nullptr;
  if (const TYKAoggetto* base = format.Base()) {
    constexpr size_t kFirstField = style_offsets::kName;
    const size_t size = RecordSize(stileParagrafo);
    std::memcpy(style->Record() + kFirstField, base->Record() + kFirstField, size - kFirstField);
  }
  for (FormatField f : {FormatField::Alignment, FormatField::LinkSize, FormatField::LinkColour, FormatField::LinkStyle,
                        FormatField::LineHeight, FormatField::Indent, FormatField::Left, FormatField::Right,
                        FormatField::Before, FormatField::After, FormatField::Unit, FormatField::ListMark})
    SetStyleValue(*style, f, format.Get(f));
  SetStyleValue(*style, FormatField::Position, 0);
  return style;
}

}  // namespace tolvane
