// Reading markup into paragraphs.
#pragma once

#include <cstddef>
#include <string_view>

#include "richtext/markup_host.h"
#include "richtext/paragraph.h"

namespace tolvane {

// Markup held in memory and a position in it; the parser never copies it.
struct MarkupStream {
  std::string_view data;
  size_t pos = 0;
  bool AtEnd() const { return pos >= data.size(); }
};

// Reads one paragraph from the next '<' on. True when the text ended (its
// "<T>" or 0 byte, or the end of the data); false when another paragraph
// follows, with the stream left at its tag. `tablesNotInline` is for markup
// whose tables carry no cells (undo snapshots, joins). A paragraph that got
// no cells read nothing.
bool ParseParagraph(TYKAparag& paragraph, MarkupStream& stream, MarkupHost& host, bool tablesNotInline = false,
                    const PasteRemap* remap = nullptr);

// The entity name of 160..255 ("nbsp" ... "yuml"; 175 is "macr"), or null.
const char* Latin1EntityName(unsigned char c);

// One character from an entity at `pos` (on the '&'); moves `pos` past it.
unsigned char DecodeEntity(std::string_view data, size_t& pos);

}  // namespace tolvane
