#include "localisation/languager.h"

#include <algorithm>
#include <charconv>

#include "localisation/localisation_text.h"

namespace tolvane {
namespace {

std::string Lower(std::string text) {
  for (auto& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Forms and menu items offer only these three.
bool OffersOnlyCaptions(ComponentRole role) { return role != ComponentRole::Other; }
bool IsCaptionProperty(const std::string& lower) {
  return lower == "caption" || lower == "text" || lower == "hint";
}

// Entries of a list beyond this are taken for a damaged table.
constexpr int kMaxListCount = 100000;

}  // namespace

void TNyLanguager::Build() {
  built_ = true;
  entries_.clear();
  paths_.clear();
  std::vector<LocalisableComponent*> all{&tree_.Owner()};
  for (auto* c : tree_.Components())
    if (c && c != &tree_.Owner()) all.push_back(c);
  for (auto* c : all) {
    std::string name = c->Name();
    if (name.empty()) continue;
    for (const auto& p : c->Properties()) {
      std::string lower = Lower(p.name);
      if (OffersOnlyCaptions(c->Role()) && (p.list || !IsCaptionProperty(lower))) continue;
      entries_.push_back({c, name, p.name, p.list});
      paths_.push_back(Lower(name) + "." + lower);
    }
  }
}

const std::vector<std::string>& TNyLanguager::PropertiesList() {
  if (!built_) Build();
  return paths_;
}

void TNyLanguager::ComponentRemoved(const LocalisableComponent* component) {
  for (size_t i = entries_.size(); i-- > 0;)
    if (entries_[i].component == component) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TNyLanguager::SetLocalizationString(std::string_view text) {
  if (!built_) Build();
  LocalisationTable table(text);
  for (const auto& e : entries_) {
    if (!e.list) {
      const std::string* value = table.Find(SimplePropertyKey(e.componentName, e.property));
      if (value && !e.component->WriteText(e.property, *value)) return;
      continue;
    }
    const std::string* count = table.Find(ListPropertyKey(e.componentName, e.property, "count"));
    if (!count) continue;
    int n = -1;
    auto [end, ec] = std::from_chars(count->data(), count->data() + count->size(), n);
    if (ec != std::errc() || end != count->data() + count->size() || n < 0 || n > kMaxListCount) return;
    // Entries the text leaves out keep what they were.
    std::vector<std::string> items = e.component->ReadList(e.property);
    items.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
      if (const std::string* item = table.Find(ListPropertyKey(e.componentName, e.property, "item" + std::to_string(i))))
        items[static_cast<size_t>(i)] = *item;
    if (!e.component->WriteList(e.property, items)) return;
  }
}

}  // namespace tolvane
