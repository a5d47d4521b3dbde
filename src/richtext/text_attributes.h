// The values that character and paragraph formats are made of, the display
// units and their conversion, and the names the undo captions use.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

namespace style_bits {
constexpr uint8_t kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8, kMask = 15;
}

enum TextPosition : uint8_t { kPositionNormal = 0, kSubscript = 1, kSuperscript = 2 };
enum Alignment : uint8_t { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2, kAlignJustify = 3 };
enum ListMark : uint8_t { kNoListMark = 0, kNumbered = 6, kBullet = 10 };

enum TUnitOfMeasure : uint8_t {
  umCentimetres = 0,
  umMillimeters = 1,
  umInches = 2,
  umPoints = 3,
  umPica = 4,
  umPixel = 5,
};

// `value` in unit `from` converted to unit `to`; 0 stays 0, and so does a
// value between equal units. Pixels go through the screen's resolution.
float ConvertUnit(int from, int to, float value, int pixelsPerInch = 96);

// "Normale", "Subscripte", "Superscripte", "Tout".
const char* PositionName(int position);
// "Noir", "Rouge", ... or "§ Personnalisée / +" for any other colour (UTF-8).
std::string ColourName(uint32_t colour);
// "Italico " and/or "Grassetto ".
std::string StyleWords(uint8_t style);
// A float in its shortest decimal form, for captions ("2.5", "-10", "0.1").
std::string ShortestDecimal(float value);

}  // namespace tolvane
