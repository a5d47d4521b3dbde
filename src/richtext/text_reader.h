// A whole text read into paragraphs, with the page's shared header and footer
// texts around it, and written back.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/markup_host.h"
#include "richtext/paragraph.h"

namespace tolvane {

struct TextParagraphs {
  std::vector<std::unique_ptr<TYKAparag>> paragraphs;
  int leadingShared = 0;   // how many came first from the leading shared text
  int trailingShared = 0;  // how many came last from the trailing one
};

// Appends the paragraphs of `text`, marked with `origin`, until the text
// ends, stops moving or runs out.
int ReadParagraphs(std::vector<std::unique_ptr<TYKAparag>>& out, std::string_view text, uint8_t origin,
                   MarkupHost& host, bool tablesNotInline = false, const PasteRemap* remap = nullptr);

// The leading shared text, the text itself, then the trailing shared text.
TextParagraphs ReadText(std::string_view leading, std::string_view own, std::string_view trailing, MarkupHost& host);

// The stream of the text's own paragraphs: the page-object paragraphs (page
// texts only), every own paragraph in full, and the 0 byte.
std::string SaveText(const TextParagraphs& text, std::string_view pageObjectParagraphs = {});

}  // namespace tolvane
