#include "richtext/document_markup_host.h"

#include "model/document.h"

namespace tolvane {

const TYKAoggetto* DocumentMarkupHost::StyleBySlot(int32_t slot) {
  const TYKAoggetto* style = doc_.ObjectAt(stileParagrafo, slot);
  if (!style || style->IsFree()) style = doc_.ObjectAt(stileParagrafo, 0);
  return style;
}

int DocumentMarkupHost::FontCharSet() { return doc_.FontCharSet(); }

}  // namespace tolvane
