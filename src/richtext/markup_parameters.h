// Reading the parameters of a markup tag: one letter, the value, one blank,
// tried at the current position in the tag's fixed order. A value whose blank
// does not come within 12 characters is reported as "Truncated line!" and
// counts as absent; an absent parameter leaves the position where it was.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/ansi.h"

namespace tolvane {

class MessageBoxes;

class ParameterReader {
 public:
  ParameterReader(std::string_view data, size_t pos, MessageBoxes& messages)
      : data_(data), pos_(pos), messages_(messages) {}

  size_t pos() const { return pos_; }
  void set_pos(size_t pos) { pos_ = pos; }
  // The value's text after the letter; moves past its blank.
  bool Text(char letter, std::string_view* value);
  bool Integer(char letter, int32_t* out);
  // Six hex digits, red first; held with red in the low byte.
  bool Colour(char letter, uint32_t* out);
  // F"name" and a blank; at most `limit` characters kept.
  bool Face(char letter, size_t limit, AnsiString* out);
  // Past the next '>', or to the end.
  void SkipPast(char c);

 private:
  bool At(char letter) const { return pos_ < data_.size() && data_[pos_] == letter; }
  std::string_view data_;
  size_t pos_;
  MessageBoxes& messages_;
};

}  // namespace tolvane
