#include "richtext/paragraph.h"

#include "richtext/markup_host.h"

namespace tolvane {

const TYKAFontStyle* TYKAparag::FontAt(size_t index) const {
  for (size_t i = std::min(index + 1, cells.size()); i-- > 0;) {
    int32_t f = cells[i].font;
    if (f >= 0 && static_cast<size_t>(f) < fonts.size()) return &fonts[static_cast<size_t>(f)];
  }
  return nullptr;
}

bool TYKAparag::BeginsWithTable() const {
  if (cells.empty() || cells[0].object < 0 || static_cast<size_t>(cells[0].object) >= objects.size()) return false;
  const MarkupObject* o = objects[static_cast<size_t>(cells[0].object)];
  return o && o->IsTable();
}

}  // namespace tolvane
