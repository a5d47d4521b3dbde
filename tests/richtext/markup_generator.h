// Random markup in the exact form the writer produces: every parameter in
// order and different from the paragraph's style, font tags only before a
// character, links closed at the end of their paragraph. Parsing it and
// writing it back must give the same bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/object.h"
#include "richtext/markup_writer.h"
#include "richtext/style_values.h"

namespace tolvane::testing {

class MarkupGenerator {
 public:
  // `styles` are the paragraph styles to use (their slots are written),
  // `objects` the numbers of the embedded objects the page knows.
  MarkupGenerator(uint32_t seed, std::vector<const TYKAoggetto*> styles, std::vector<int> objects)
      : rng_(seed), styles_(std::move(styles)), objects_(std::move(objects)) {}

  std::string Paragraph() {
    const TYKAoggetto* style = styles_[Pick(styles_.size())];
    std::string out = "<Z S" + std::to_string(StyleSlot(style)) + " ";
    CharacterParameters(out, style, 0.3);
    for (FormatField f : {FormatField::Spare, FormatField::Alignment, FormatField::ListMark, FormatField::Unit,
                          FormatField::LineHeight, FormatField::Indent, FormatField::Left, FormatField::Right,
                          FormatField::Before, FormatField::After, FormatField::LinkColour, FormatField::LinkSize,
                          FormatField::LinkStyle}) {
      if (!Chance(0.25)) continue;
      int32_t v = Different(style, f);
      if (f == FormatField::LinkColour) AppendColourParameter(out, 'C', static_cast<uint32_t>(v));
      else AppendIntegerParameter(out, Letter(f), v);
    }
    out += '>';
    int64_t link = -1;
    const int runs = static_cast<int>(Pick(9));
    for (int r = 0; r < runs; ++r) {
      if (Chance(0.3)) {
        out += "<Y ";
        CharacterParameters(out, style, 0.4);
        out += '>';
      }
      if (Chance(0.3)) {
        if (link != -1 && Chance(0.5)) {
          out += "<%>";
          link = -1;
        } else {
          uint32_t value;
          do value = LinkValue(); while (value == link);
          out += "<$";
          AppendHex(out, value, 8);
          out += '>';
          link = value;
        }
      }
      const int chars = 1 + static_cast<int>(Pick(12));
      for (int c = 0; c < chars; ++c) Character(out);
    }
    if (link != -1) out += "<%>";
    return out;
  }

  // Paragraphs up to about `bytes`, then the 0 byte.
  std::string Text(size_t bytes) {
    std::string out;
    do out += Paragraph(); while (out.size() < bytes);
    out += '\0';
    return out;
  }

  // A body made mostly of characters, as real pages are, for measuring speed.
  std::string Prose(size_t bytes) {
    static constexpr std::string_view kWords[] = {"le ", "site ", "d\xE9j\xE0 ", "page ", "liens ", "et ",
                                                  "caf\xE9 ", "Tolvane ", "texte ", "mise ", "en ", "forme "};
    std::string out;
    while (out.size() < bytes) {
      out += "<Z S" + std::to_string(StyleSlot(styles_[Pick(styles_.size())])) + " >";
      const size_t words = 20 + Pick(120);
      // Per word, in the writer's order: a format change, a link change, the word.
      bool open = false, bold = false;
      for (size_t w = 0; w < words; ++w) {
        if (Chance(0.05)) {
          bold = !bold;
          out += bold ? "<Y y1 >" : "<Y >";
        }
        if (Chance(open ? 0.3 : 0.03)) {
          out += open ? "<%>" : "<$00000012>";
          open = !open;
        }
        out += kWords[Pick(std::size(kWords))];
      }
      if (open) out += "<%>";
    }
    out += '\0';
    return out;
  }

 private:
  static int32_t StyleSlot(const TYKAoggetto* style) { return style->Slot(); }

  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  int32_t Range(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng_); }

  static char Letter(FormatField f) {
    switch (f) {
      case FormatField::Spare: return 'P';
      case FormatField::Alignment: return 'A';
      case FormatField::ListMark: return 'N';
      case FormatField::Unit: return 'M';
      case FormatField::LineHeight: return 'L';
      case FormatField::Indent: return 'I';
      case FormatField::Left: return 'l';
      case FormatField::Right: return 'r';
      case FormatField::Before: return 't';
      case FormatField::After: return 'b';
      case FormatField::LinkSize: return 'S';
      case FormatField::LinkStyle: return 'Y';
      default: return '?';
    }
  }

  int32_t Candidate(FormatField f) {
    switch (f) {
      case FormatField::Colour:
      case FormatField::LinkColour: return Range(0, 0xFFFFFF);
      case FormatField::Size: return Range(6, 48);
      case FormatField::Style:
      case FormatField::LinkStyle: return Range(0, 15);
      case FormatField::Position: return Range(0, 2);
      case FormatField::Spare: return Range(0, 127);
      case FormatField::Alignment: return Range(0, 3);
      case FormatField::ListMark: return Chance(0.5) ? 6 : 10;
      case FormatField::Unit: return Range(0, 5);
      case FormatField::LineHeight: return Chance(0.1) ? -2147483647 - 1 : Range(-40, 200);
      case FormatField::LinkSize: return Chance(0.3) ? -1 : Range(6, 48);
      default: return Chance(0.05) ? Range(-2147483647, 2147483647) : Range(-300, 300);
    }
  }

  int32_t Different(const TYKAoggetto* style, FormatField f) {
    int32_t v;
    do v = Candidate(f); while (v == StyleValue(style, f));
    return v;
  }

  void CharacterParameters(std::string& out, const TYKAoggetto* style, double p) {
    if (Chance(p)) AppendColourParameter(out, 'c', static_cast<uint32_t>(Different(style, FormatField::Colour)));
    if (Chance(p)) {
      static constexpr const char* kFaces[] = {"Times New Roman", "Courier New", "Verdana", "Arial", "Georgia"};
      std::string face;
      do face = kFaces[Pick(std::size(kFaces))]; while (face == StyleFace(style));
      out += "F\"" + face + "\" ";
    }
    if (Chance(p)) AppendIntegerParameter(out, 's', Different(style, FormatField::Size));
    if (Chance(p)) AppendIntegerParameter(out, 'y', Different(style, FormatField::Style));
    if (Chance(p)) AppendIntegerParameter(out, 'p', Different(style, FormatField::Position));
  }

  uint32_t LinkValue() {
    if (Chance(0.4)) return 0x6F000000u | static_cast<uint32_t>(Range(0, 0xFFFFFF));
    return (static_cast<uint32_t>(Range(0, 3)) << 24) | static_cast<uint32_t>(Range(0, 0xFFFFFF));
  }

  void Character(std::string& out) {
    if (!objects_.empty() && Chance(0.03)) {
      out += "<$FF";
      AppendHex(out, static_cast<uint32_t>(objects_[Pick(objects_.size())]), 6);
      out += '>';
      return;
    }
    if (Chance(0.05)) {
      static constexpr const char* kEscapes[] = {"&lt;", "&gt;", "&#38;"};
      out += kEscapes[Pick(3)];
      return;
    }
    char c;
    do c = static_cast<char>(Range(32, 255)); while (c == '<' || c == '>' || c == '&');
    out += c;
  }

  std::mt19937 rng_;
  std::vector<const TYKAoggetto*> styles_;
  std::vector<int> objects_;
};

}  // namespace tolvane::testing
