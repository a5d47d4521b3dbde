// Finding objects by caption, name or content, and keeping style names apart.
#include "model/document.h"

namespace tolvane {

TYKAoggetto* TYKAset::FindByCaption(const TYKAoggetto& object) const {
  const int kind = object.Kind();
  if (kind < 0 || kind >= kKindLists) return nullptr;
  const AnsiString caption = object.ObjectCaption();
  for (const auto& o : lists_[static_cast<size_t>(kind)])
    if (o && !o->IsFree() && AnsiSameText(o->ObjectCaption(), caption)) return o.get();
  return nullptr;
}

TYKAtesto* TYKAset::FindPageByName(std::string_view name) const {
  for (const auto& o : lists_[testoHtml]) {
    auto* page = static_cast<TYKAtesto*>(o.get());
    if (page && !page->IsFree() && AnsiSameText(page->PageName(), name)) return page;
  }
  return nullptr;
}

TYKAoggetto* TYKAset::FindStyleByName(std::string_view name) const {
  for (const auto& o : lists_[stileParagrafo])
    if (o && !o->IsFree() && AnsiSameText(o->ObjectCaption(), name)) return o.get();
  return nullptr;
}

TYKAoggetto* TYKAset::FindEqual(const TYKAoggetto& object) const {
  const int kind = object.Kind();
  if (kind < 0 || kind >= kKindLists) return nullptr;
  for (const auto& o : lists_[static_cast<size_t>(kind)])
    if (o && o.get() != &object && o->SameAs(object)) return o.get();
  return nullptr;
}

std::vector<AnsiString> TYKAset::StyleNames() const {
  std::vector<AnsiString> names;
  for (const auto& o : lists_[stileParagrafo])
    if (o && !o->IsFree()) names.push_back(o->ObjectCaption());
  return names;
}

AnsiString TYKAset::UniqueName(std::string_view name, int kind) const {
  AnsiString base(name);
  if (kind == stileParagrafo && base == Utf8ToAnsi("§ Personnalisée / +")) base = "AA" + base;
  if (kind < 0 || kind >= kKindLists) return base;
  auto taken = [&](const AnsiString& candidate) {
    for (const auto& o : lists_[static_cast<size_t>(kind)])
      if (o && !o->IsFree() && AnsiSameText(o->ObjectCaption(), candidate)) return true;
    return false;
  };
  if (!taken(base)) return base;
  for (int n = 1;; ++n) {
    AnsiString candidate = base + " " + std::to_string(n);
    if (!taken(candidate)) return candidate;
  }
}

void TYKAset::FixDuplicateStyleNames() {
  auto& styles = lists_[stileParagrafo];
  for (size_t i = 0; i < styles.size(); ++i) {
    TYKAoggetto* style = styles[i].get();
    if (!style || style->IsFree()) continue;
    bool duplicate = false;
    for (size_t j = 0; j < i && !duplicate; ++j)
      duplicate = styles[j] && !styles[j]->IsFree() && AnsiSameText(styles[j]->ObjectCaption(), style->ObjectCaption());
    if (!duplicate) continue;
    // UniqueName counts the style itself as taken, so it always moves on to a free name.
    style->SetCaption(UniqueName(style->ObjectCaption(), stileParagrafo));
    modified_ = true;
  }
}

int TYKAset::MergeStyle(int32_t from, int32_t to) {
  const int32_t count = KindCount(stileParagrafo);
  if (from == to || from < 0 || to < 0 || from >= count || to >= count) return 0;
  TYKAoggetto* source = ObjectAt(stileParagrafo, from);
  TYKAoggetto* target = ObjectAt(stileParagrafo, to);
  if (!source || !target || source->IsFree() || target->IsFree()) return 0;
  const std::string oldTag = "<Z S" + std::to_string(from) + " ";
  const std::string newTag = "<Z S" + std::to_string(to) + " ";
  int changed = 0;
  for (const auto& o : lists_[testoHtml]) {
    if (!o || o->IsFree() || !o->ContentInMemory()) continue;
    std::string markup(AsText(*o->ContentInMemory()));
    bool any = false;
    for (size_t p = markup.find(oldTag); p != std::string::npos; p = markup.find(oldTag, p + newTag.size())) {
      markup.replace(p, oldTag.size(), newTag);
      any = true;
    }
    if (!any) continue;
    o->SetContentText(markup);
    o->SetGeneration(SaveCounter());
    ++changed;
  }
  source->Reset();
  modified_ = true;
  return changed;
}

}  // namespace tolvane
