#include "richtext/text_reader.h"

#include "richtext/markup_reader.h"
#include "richtext/markup_writer.h"

namespace tolvane {

int ReadParagraphs(std::vector<std::unique_ptr<TYKAparag>>& out, std::string_view text, uint8_t origin,
                   MarkupHost& host, bool tablesNotInline, const PasteRemap* remap) {
  MarkupStream stream{text, 0};
  int read = 0;
  while (!stream.AtEnd()) {
    auto p = std::make_unique<TYKAparag>();
    p->origin = origin;
    const size_t before = stream.pos;
    bool ended = ParseParagraph(*p, stream, host, tablesNotInline, remap);
    if (!p->cells.empty()) {
      out.push_back(std::move(p));
      ++read;
    }
    if (ended || stream.pos <= before) break;
  }
  return read;
}

TextParagraphs ReadText(std::string_view leading, std::string_view own, std::string_view trailing, MarkupHost& host) {
  TextParagraphs t;
  t.leadingShared = ReadParagraphs(t.paragraphs, leading, kLeadingShared, host);
  ReadParagraphs(t.paragraphs, own, kOwnText, host);
  t.trailingShared = ReadParagraphs(t.paragraphs, trailing, kTrailingShared, host);
  return t;
}

std::string SaveText(const TextParagraphs& text, std::string_view pageObjectParagraphs) {
  std::string out(pageObjectParagraphs);
  for (const auto& p : text.paragraphs)
    if (p->origin == kOwnText) WriteWholeParagraph(*p, out, kWriteFull);
  out += '\0';
  return out;
}

}  // namespace tolvane
