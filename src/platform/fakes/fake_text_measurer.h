// A measurer with metrics tests can compute: every character of a font is as
// wide as its size in points (plus one when bold), the height is the size
// plus a quarter, the ascent the size. Faces, characters and pairs can be
// given other values.
#pragma once

#include <array>
#include <map>
#include <utility>

#include "platform/text_measurer.h"

namespace tolvane {

class FakeTextMeasurer : public TextMeasurer {
 public:
  void SelectFont(const FontSpec& font) override {
    font_ = font;
    ++selections_;
  }
  int Height() const override { return font_.size + font_.size / 4; }
  int Ascent() const override { return font_.size; }
  int CharWidth(unsigned char previous, unsigned char ch) const override {
    int w = widths_[ch] >= 0 ? widths_[ch] : font_.size + ((font_.style & 1) ? 1 : 0);
    if (!kerning_.empty())
      if (auto it = kerning_.find({previous, ch}); it != kerning_.end()) w += it->second;
    return w;
  }

  FakeTextMeasurer() { widths_.fill(-1); }
  void SetWidth(unsigned char ch, int width) { widths_[ch] = width; }
  void SetKerning(unsigned char previous, unsigned char ch, int delta) { kerning_[{previous, ch}] = delta; }
  const FontSpec& font() const { return font_; }
  int selections() const { return selections_; }

 private:
  FontSpec font_;
  std::array<int, 256> widths_;
  std::map<std::pair<unsigned char, unsigned char>, int> kerning_;
  int selections_ = 0;
};

}  // namespace tolvane
