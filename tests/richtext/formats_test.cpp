#include <gtest/gtest.h>

#include <cmath>

#include "richtext/formats.h"
#include "richtext/text_attributes.h"
#include "richtext_fixture.h"

namespace tolvane::testing {
namespace {

TEST(Formats, HoldOnlyWhatDiffersFromTheStyle) {
  MarkupFixture f;
  TYKAoggetto& style = *f.doc.doc->CreateObject(stileParagrafo);
  TYKAParaStyle para(&style);
  para.Set(FormatField::Size, 10);  // the style's own value: no own size
  EXPECT_FALSE(para.IsOwn(FormatField::Size));
  para.Set(FormatField::Size, 14);
  EXPECT_TRUE(para.IsOwn(FormatField::Size));
  para.Set(FormatField::Size, 10);
  EXPECT_FALSE(para.IsOwn(FormatField::Size));

  TYKAFontStyle own(&style), inherited(&style);
  own.SetFace("Courier New");
  SetStyleFace(style, "Verdana");  // the style changes: only the inherited face follows
  EXPECT_EQ(own.Face(), "Courier New");
  EXPECT_EQ(inherited.Face(), "Verdana");
  EXPECT_EQ(para.Face(), "Verdana");
  own.SetFace("Verdana");
  EXPECT_FALSE(own.IsOwn(FormatField::Face));

  // Assigning onto another base recomputes the own flags against it.
  const TYKAoggetto* titled = f.titled;  // bold, 12 points, centred
  para.Set(FormatField::Alignment, 2);
  para.Set(FormatField::Style, style_bits::kBold);
  TYKAParaStyle moved(titled);
  moved.AssignFrom(para);
  EXPECT_EQ(moved.Base(), &style);
  TYKAParaStyle other(titled);
  other.Set(FormatField::Alignment, 2);
  other.Set(FormatField::Size, 10);
  EXPECT_FALSE(other.IsOwn(FormatField::Alignment));
  TYKAParaStyle copy(&style);
  copy.AssignFrom(other);  // base, then each value through its setter
  EXPECT_EQ(copy.Base(), titled);
  EXPECT_TRUE(copy.IsOwn(FormatField::Size));
  EXPECT_FALSE(copy.IsOwn(FormatField::Style));
  EXPECT_EQ(copy.Scratch().Size(), 10);
  copy.ClearOwnValues();
  EXPECT_EQ(copy.Size(), 12);
}

TEST(Formats, StyleMadeFromAParagraph) {
  MarkupFixture f;
  TYKAoggetto& base = *f.doc.doc->ObjectAt(stileParagrafo, 2);  // bold 12-point Verdana, centred
  SetStyleValue(base, FormatField::Position, kSuperscript);
  TYKAParaStyle para(&base);
  para.Set(FormatField::Alignment, kAlignJustify);
  para.SetMeasurePixels(Measure::Left, 40);
  para.Set(FormatField::LinkSize, 9);
  para.Set(FormatField::Colour, 0x0000FF);  // a character value: not taken
  TYKAoggetto* made = CreateStyleFromFormat(*f.doc.doc, para);
  ASSERT_NE(made, nullptr);
  EXPECT_NE(made, &base);
  EXPECT_EQ(made->Kind(), stileParagrafo);
  EXPECT_EQ(StyleFace(made), "Verdana");
  EXPECT_EQ(StyleValue(made, FormatField::Size), 12);
  EXPECT_EQ(StyleValue(made, FormatField::Style), style_bits::kBold);
  EXPECT_EQ(StyleValue(made, FormatField::Colour), 0);
  EXPECT_EQ(StyleValue(made, FormatField::Alignment), kAlignJustify);
  EXPECT_EQ(StyleValue(made, FormatField::Left), 40);
  EXPECT_EQ(StyleValue(made, FormatField::Right), 10);
  EXPECT_EQ(StyleValue(made, FormatField::LinkSize), 9);
  EXPECT_EQ(StyleValue(made, FormatField::Position), 0);
}

TEST(Formats, MeasuresInTheDisplayUnit) {
  TYKAParaStyle para(nullptr);  // a new style's defaults: millimetres
  para.SetMeasureInUnit(Measure::Left, 10.0f);
  EXPECT_EQ(para.MeasurePixels(Measure::Left), 38);  // 10 mm at 96 pixels per inch
  EXPECT_NEAR(para.MeasureInUnit(Measure::Left), 10.05f, 0.01f);
  para.Set(FormatField::Unit, umPixel);
  EXPECT_FLOAT_EQ(para.MeasureInUnit(Measure::Left), 38.0f);
  para.Set(FormatField::Unit, umInches);
  para.SetMeasureInUnit(Measure::Indent, -0.5f, 120);
  EXPECT_EQ(para.MeasurePixels(Measure::Indent), -60);
}

TEST(Formats, UnitConversion) {
  struct Case {
    int from, to;
    float value, expected;
  } cases[] = {
      {umMillimeters, umPoints, 25.4f, 72.0f}, {umPixel, umInches, 96.0f, 1.0f},
      {umCentimetres, umMillimeters, 2.5f, 25.0f}, {umPica, umPoints, 2.0f, 12.0f},
      {umPoints, umPixel, 72.0f, 96.0f},       {umInches, umCentimetres, 1.0f, 2.54f},
      {umPixel, umMillimeters, 96.0f, 25.4f},  {umPixel, umCentimetres, 96.0f, 2.54f},
      {umPixel, umPica, 96.0f, 12.0f},         {umMillimeters, umPixel, 25.4f, 96.0f},
      {umPoints, umPoints, 3.3f, 3.3f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(ConvertUnit(c.from, c.to, c.value), c.expected, 1e-4f) << c.from << " -> " << c.to;
  for (int from = 0; from <= 5; ++from)
    for (int to = 0; to <= 5; ++to) EXPECT_EQ(ConvertUnit(from, to, 0.0f), 0.0f);
  EXPECT_NEAR(ConvertUnit(umPixel, umInches, 120.0f, 120), 1.0f, 1e-6f);
}

TEST(Formats, CaptionTexts) {
  EXPECT_EQ(ColourName(0xFF0000), "Bleu");
  EXPECT_EQ(ColourName(0x0000FF), "Rouge");
  EXPECT_EQ(ColourName(0x800000), "Bleu fonc\xC3\xA9");
  EXPECT_EQ(ColourName(0x123456), "\xC2\xA7 Personnalis\xC3\xA9" "e / +");
  EXPECT_EQ(StyleWords(style_bits::kBold | style_bits::kItalic | style_bits::kUnderline), "Italico Grassetto ");
  EXPECT_EQ(StyleWords(style_bits::kUnderline), "");
  EXPECT_STREQ(PositionName(kSuperscript), "Superscripte");
  EXPECT_EQ(ShortestDecimal(2.5f), "2.5");
  EXPECT_EQ(ShortestDecimal(-10.0f), "-10");
  EXPECT_EQ(ShortestDecimal(0.1f), "0.1");
}

}  // namespace
}  // namespace tolvane::testing
