#include "page/page_undo.h"

#include "model/document.h"
#include "page/page.h"

namespace tolvane {

PageObjectsBackup::PageObjectsBackup(TYKAset& doc, TYKApage& page, std::vector<int> path, std::string caption)
    : TYKAbackup(std::move(caption)), doc_(doc) {
  path_ = std::move(path);
  for (ObjectControl* c : page.EmbeddedObjects()) order_.push_back(c->IndexNumber());
  page.modified = true;
}

std::unique_ptr<TYKAbackup> PageObjectsBackup::Restore(RestoreResult& result) {
  auto* page = dynamic_cast<TYKApage*>(ResolveTarget(doc_.FrameSets(), doc_.messages()));
  if (!page) return nullptr;
  auto reverse = std::make_unique<PageObjectsBackup>(doc_, *page, path_, Caption());
  page->SetEmbeddedOrder(order_);
  result.applied = true;
  result.focus = page;
  return reverse;
}

}  // namespace tolvane
