// One paragraph of a formatted text: its characters, one cell per character
// (plus the end cell), the character format changes, the embedded objects
// and the paragraph format. Reading markup fills it; layout adds lines.
#pragma once

#include <cstdint>
#include <vector>

#include "common/ansi.h"
#include "richtext/formats.h"

namespace tolvane {

class MarkupObject;

struct CharCell {
  int32_t width = 0;    // advance measured with the preceding character
  int32_t advance = 0;  // equal to width when read; layout may change it
  int32_t height = 0;   // line height of the font in force
  int32_t ascent = 0;
  int32_t font = -1;    // index into the fonts: the format from here on
  int32_t object = -1;  // index into the objects
  int32_t link = -1;    // link value of this character, -1 for none
  int32_t spare = 0;
};

struct TYKAline {
  int32_t first = 0;
  int32_t count = 0;
  int32_t ascent = 0;
  int32_t height = 0;
  int32_t top = 0;
  int32_t alignOffset = 0;
  int32_t startX = 0;
  int32_t usedWidth = 0;
};

enum ParagraphOrigin : uint8_t { kOwnText = 0, kLeadingShared = 1, kTrailingShared = 2 };

class TYKAparag {
 public:
  TYKAparag() = default;
  TYKAparag(const TYKAparag&) = delete;
  TYKAparag& operator=(const TYKAparag&) = delete;

  AnsiString text;
  std::vector<CharCell> cells;  // text.size() + 1 once read
  std::vector<TYKAFontStyle> fonts;
  std::vector<MarkupObject*> objects;  // not owned: the page's object index holds them
  TYKAParaStyle format;
  uint8_t origin = kOwnText;
  int32_t fontLineHeight = 0;  // height of the default character format
  int32_t listNumber = 1;
  std::vector<TYKAline> lines;

  // The format in force at character `index`: the nearest font change at or
  // before it, else the paragraph's default character format (null).
  const TYKAFontStyle* FontAt(size_t index) const;
  bool BeginsWithTable() const;
};

}  // namespace tolvane
