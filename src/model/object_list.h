// What a list of the objects of one kind shows: which objects, their icons,
// the columns, the order, and the rules for renaming and deleting them. The
// view on screen only draws these items.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/ansi.h"
#include "model/kinds.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;

enum class ItemIcon {
  None,          // keywords
  Page,
  WebAddress,    // "h..."
  MailAddress,   // "m..."
  HypertextAddress,  // "t..."
  OtherAddress,
  Picture,       // files by extension
  Archive,
  Document,
  Media,
  File,
  Prototype,
  KeyValue,
  Object,
};

struct ListItem {
  int32_t id;
  AnsiString caption;
  ItemIcon icon;
  std::vector<std::string> subItems;  // size, file name, page number
};

class TYKAListView {
 public:
  static constexpr const char* kColumns[5] = {"Titre", "Taille", "Nom du fichier", "# page", ""};

  TYKAListView(TYKAset& doc, TOggettiHel objects);

  // Lists the objects in use of the kind, then sorts them by size.
  void Reload();
  // Columns 0..3; a negative column sorts the other way.
  void SortByColumn(int column);
  // Stores the new caption (unique for keywords and styles); false when refused.
  bool Rename(size_t index, std::string_view caption);
  // Deletes the object of an item when OnDel allows it.
  bool Delete(size_t index);
  // The next item after `from` whose caption contains the text, ignoring case; -1 when none.
  int FindNext(std::string_view text, int from) const;

  const std::vector<ListItem>& Items() const { return items_; }
  bool readOnly = false;

  std::function<void(TYKAoggetto&, bool& include)> OnFilter;
  std::function<void(const ListItem&, bool& allow)> OnDel;
  std::function<void()> OnAfterDel;
  std::function<void()> OnReload;
  std::function<void()> OnEditStart;
  std::function<void()> OnEditStop;

 private:
  ListItem MakeItem(const TYKAoggetto& o) const;
  TYKAset& doc_;
  TOggettiHel kind_;
  std::vector<ListItem> items_;
};

}  // namespace tolvane
