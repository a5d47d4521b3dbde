// The localisation text: CR LF lines in pairs, a key line
// ("*" section "*" name, lower case) and a value line (a blank, then the
// value). In a value "''" is one apostrophe, "§!" a line break, "§§" a "§",
// and a "§" before anything else is dropped. Texts are UTF-8.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tolvane {

std::string DecodeLocalisedValue(std::string_view value);
// The reverse, for writing tables: CR LF (or a lone LF) as "§!", ...
std::string EncodeLocalisedValue(std::string_view text);

// Key of a simple property ("*_*bok_caption") and of a list property's
// count or item ("*_.lbox_items*count", "*_.lbox_items*item0").
std::string SimplePropertyKey(std::string_view component, std::string_view property);
std::string ListPropertyKey(std::string_view component, std::string_view property, std::string_view name);

// Key line (lower case) -> decoded value, for each key line followed by a
// value line. A key line that ends the text has no value and is left out.
class LocalisationTable {
 public:
  explicit LocalisationTable(std::string_view text);
  const std::string* Find(std::string_view key) const;
  size_t size() const { return values_.size(); }

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace tolvane
