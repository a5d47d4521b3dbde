#include "model/object_list.h"

#include <algorithm>
#include <charconv>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/document.h"

namespace tolvane {
namespace {

ItemIcon IconForFile(std::string_view name) {
  const std::string ext = AnsiLowerCase(ExtractFileExt(name));
  for (const char* e : {".gif", ".jpg", ".jpeg", ".png", ".bmp", ".wmf", ".emf"})
    if (ext == e) return ItemIcon::Picture;
  for (const char* e : {".zip", ".gz", ".tgz", ".7z", ".rar"})
    if (ext == e) return ItemIcon::Archive;
  for (const char* e : {".pdf", ".doc", ".rtf", ".txt", ".htm", ".html", ".odt"})
    if (ext == e) return ItemIcon::Document;
  for (const char* e : {".wav", ".mp3", ".mid", ".avi", ".mpg", ".mp4", ".swf", ".ogg"})
    if (ext == e) return ItemIcon::Media;
  return ItemIcon::File;
}

int64_t Number(const std::string& text) {
  int64_t v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

}  // namespace

TYKAListView::TYKAListView(TYKAset& doc, TOggettiHel objects) : doc_(doc), kind_(objects) {}

ListItem TYKAListView::MakeItem(const TYKAoggetto& o) const {
  ListItem item{o.ObjectId(), o.ObjectCaption(), ItemIcon::Object, {}};
  std::string fileName;
  switch (o.Kind()) {
    case testoHtml: item.icon = ItemIcon::Page; break;
    case internetLink: {
      const char first = item.caption.empty() ? ' ' : AnsiLower(item.caption[0]);
      item.icon = first == 'h' ? ItemIcon::WebAddress
                  : first == 'm' ? ItemIcon::MailAddress
                  : first == 't' ? ItemIcon::HypertextAddress
                                 : ItemIcon::OtherAddress;
      break;
    }
    case genLink:
      fileName = item.caption;
      item.icon = IconForFile(fileName);
      break;
    case immagine:
      fileName = o.ShortString(picture_rec::kFileName, picture_rec::kFileNameSize);
      item.icon = IconForFile(fileName);
      break;
    case keyword: item.icon = ItemIcon::None; break;
    case custom: item.icon = ItemIcon::Prototype; break;
    case dbloc: item.icon = ItemIcon::KeyValue; break;
    default: break;
  }
  item.subItems.push_back(std::to_string(o.ContentSize()));
  item.subItems.push_back(fileName);
  item.subItems.push_back(o.Kind() == testoHtml
                              ? std::to_string(o.Slot()) + " (" + HexDigits(static_cast<uint32_t>(o.Slot()), 6) + ")"
                              : std::string());
  return item;
}

void TYKAListView::Reload() {
  items_.clear();
  for (int32_t slot = 0; slot < doc_.KindCount(kind_); ++slot) {
    TYKAoggetto* o = doc_.ObjectAt(kind_, slot);
    if (!o || o->IsFree()) continue;
    bool include = true;
    if (kind_ == internetLink) include = !AnsiStartsWithText(o->ObjectCaption(), "tolvane://");
    if (kind_ == dbloc) include = o->U8(dbloc_rec::kRole) == 11;
    if (OnFilter) OnFilter(*o, include);
    if (include) items_.push_back(MakeItem(*o));
  }
  SortByColumn(1);
  if (OnReload) OnReload();
}

void TYKAListView::SortByColumn(int column) {
  const bool reverse = column < 0;
  const int c = std::abs(column);
  if (c > 3) return;
  auto less = [&](const ListItem& a, const ListItem& b) {
    if (c == 0) return AnsiLowerCase(a.caption) < AnsiLowerCase(b.caption);
    const std::string& x = a.subItems[static_cast<size_t>(c - 1)];
    const std::string& y = b.subItems[static_cast<size_t>(c - 1)];
    if (c == 2) return AnsiLowerCase(x) < AnsiLowerCase(y);
    return Number(x) < Number(y);
  };
  std::stable_sort(items_.begin(), items_.end(),
                   [&](const ListItem& a, const ListItem& b) { return reverse ? less(b, a) : less(a, b); });
}

bool TYKAListView::Rename(size_t index, std::string_view caption) {
  if (readOnly || index >= items_.size()) return false;
  TYKAoggetto* o = doc_.FindObject(items_[index].id);
  if (!o) return false;
  if (OnEditStart) OnEditStart();
  AnsiString name(caption);
  // A new name (not just other letter case) must stay unique among keywords and styles.
  if ((o->Kind() == keyword || o->Kind() == stileParagrafo) && !AnsiSameText(name, o->ObjectCaption()))
    name = doc_.UniqueName(name, o->Kind());
  o->SetCaption(name);
  items_[index].caption = o->ObjectCaption();
  doc_.SetModified(true);
  if (OnEditStop) OnEditStop();
  return true;
}

bool TYKAListView::Delete(size_t index) {
  if (index >= items_.size()) return false;
  bool allow = true;
  if (OnDel) OnDel(items_[index], allow);
  if (!allow) return false;
  if (TYKAoggetto* o = doc_.FindObject(items_[index].id)) doc_.DeleteObject(o);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  if (OnAfterDel) OnAfterDel();
  return true;
}

int TYKAListView::FindNext(std::string_view text, int from) const {
  const int n = static_cast<int>(items_.size());
  if (from < -1 || from >= n) from = -1;
  for (int step = 1; step <= n; ++step) {
    const int i = (from + step) % n;
    if (AnsiFindText(items_[static_cast<size_t>(i)].caption, text) != std::string_view::npos) return i;
  }
  return -1;
}

}  // namespace tolvane
