#include "richtext/text_attributes.h"

#include <charconv>

namespace tolvane {
namespace {

constexpr double kInchPerMm = 0.039370078740157480314;

// To millimetres (metric units) or points (the others), and back.
bool IsMetric(int unit) { return unit == umCentimetres || unit == umMillimeters; }

double ToPoints(int unit, double v, int ppi) {
  switch (unit) {
    case umCentimetres: return v * 10 * kInchPerMm * 72;
    case umMillimeters: return v * kInchPerMm * 72;
    case umInches: return v * 72;
    case umPica: return v * 6;
    case umPixel: return v / ppi * 72;
    default: return v;
  }
}

double ToMm(int unit, double v, int ppi) {
  switch (unit) {
    case umCentimetres: return v * 10;
    case umMillimeters: return v;
    case umInches: return v * 25.4;
    case umPoints: return v / 72 * 25.4;
    case umPica: return v * 6 / 72 * 25.4;
    case umPixel: return v / ppi * 25.4;
    default: return v;
  }
}

double FromPoints(int unit, double pt, int ppi) {
  switch (unit) {
    case umCentimetres: return pt / 72 * 25.4 * 0.1;
    case umMillimeters: return pt / 72 * 25.4;
    case umInches: return pt / 72;
    case umPica: return pt / 6;
    case umPixel: return pt / 72 * ppi;
    default: return pt;
  }
}

double FromMm(int unit, double mm, int ppi) {
  switch (unit) {
    case umCentimetres: return mm * 0.1;
    case umMillimeters: return mm;
    case umInches: return mm * kInchPerMm;
    case umPoints: return mm * kInchPerMm * 72;
    case umPica: return mm * kInchPerMm * 72 / 6;
    case umPixel: return mm * kInchPerMm * ppi;
    default: return mm;
  }
}

}  // namespace

float ConvertUnit(int from, int to, float value, int pixelsPerInch) {
  if (value == 0 || from == to) return value;
  if (pixelsPerInch <= 0) pixelsPerInch = 96;
  double v = value;
  double out = IsMetric(from) ? FromMm(to, ToMm(from, v, pixelsPerInch), pixelsPerInch)
                              : FromPoints(to, ToPoints(from, v, pixelsPerInch), pixelsPerInch);
  return static_cast<float>(out);
}

const char* PositionName(int position) {
  static constexpr const char* kNames[] = {"Normale", "Subscripte", "Superscripte", "Tout"};
  return position >= 0 && position < 4 ? kNames[position] : "";
}

std::string ColourName(uint32_t colour) {
  struct Named {
    uint32_t colour;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {0x000000, "Noir"},       {0x000080, "Marron"},      {0x0000FF, "Rouge"},
      {0x008000, "Vert"},       {0x008080, "Olive"},       {0x00FF00, "Vert clair"},
      {0x00FFFF, "Jaune"},      {0x800000, "Bleu fonc\xC3\xA9"}, {0x800080, "Violet"},
      {0x808000, "Eau"},        {0x808080, "Gris fonc\xC3\xA9"}, {0xC0C0C0, "Gris clair"},
      {0xFF0000, "Bleu"},       {0xFF00FF, "Fuchsia"},     {0xFFFF00, "Bleu clair"},
      {0xFFFFFF, "Blanc"},
  };
  for (const auto& n : kNames)
    if (n.colour == colour) return n.name;
  return "\xC2\xA7 Personnalis\xC3\xA9" "e / +";
}

std::string StyleWords(uint8_t style) {
  std::string out;
  if (style & style_bits::kItalic) out += "Italico ";
  if (style & style_bits::kBold) out += "Grassetto ";
  return out;
}

std::string ShortestDecimal(float value) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace tolvane
