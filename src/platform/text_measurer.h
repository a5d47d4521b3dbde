// The measuring side of drawing text: the metrics of a font and the advance
// of each character. Layout measures every character once, while a text is
// read, and keeps the widths; painting never measures again.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

struct FontSpec {
  std::string face;       // "Arial", ... (bytes of the document's character set)
  int size = 10;          // points
  uint8_t style = 0;      // 1 bold, 2 italic, 4 underline, 8 strike-out
  uint32_t colour = 0;    // red in the low byte
  int charset = 1;        // the document's font character set; 1 = the default
  bool operator==(const FontSpec&) const = default;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual void SelectFont(const FontSpec& font) = 0;
  // Of the selected font, in pixels.
  virtual int Height() const = 0;
  virtual int Ascent() const = 0;
  // The advance of `ch` written after `previous` (0 when it comes first), so
  // that the pair's kerning is counted.
  virtual int CharWidth(unsigned char previous, unsigned char ch) const = 0;
};

}  // namespace tolvane
