#include "platform/memory_settings.h"

#include "common/ansi.h"

namespace tolvane {

std::string MemorySettings::Normal(std::string_view key) {
  std::string out;
  bool pendingSeparator = false;
  for (char c : key) {
    if (c == '\\' || c == '/') {
      pendingSeparator = !out.empty();
      continue;
    }
    if (pendingSeparator) out += '\\';
    pendingSeparator = false;
    out += AnsiLower(c);
  }
  return out;
}

std::optional<std::string> MemorySettings::ReadValue(std::string_view key,
                                                     std::string_view name) const {
  auto k = keys_.find(Normal(key));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.values.find(AnsiLowerCase(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second.second;
}

bool MemorySettings::WriteValue(std::string_view key, std::string_view name,
                                std::string_view value) {
  // Writing a value creates its key and every key above it, as the registry does.
  std::string normal;
  Key* k = nullptr;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = key.size();
    if (end > start) {
      std::string_view part = key.substr(start, end - start);
      if (!normal.empty()) normal += '\\';
      for (char c : part) normal += AnsiLower(c);
      k = &keys_[normal];
      if (k->spelling.empty()) k->spelling = std::string(part);
    }
    start = end + 1;
  }
  if (!k) return false;
  auto& entry = k->values[AnsiLowerCase(name)];
  if (entry.first.empty()) entry.first = std::string(name);
  entry.second = std::string(value);
  return true;
}

bool MemorySettings::DeleteValue(std::string_view key, std::string_view name) {
  auto k = keys_.find(Normal(key));
  return k != keys_.end() && k->second.values.erase(AnsiLowerCase(name)) > 0;
}

bool MemorySettings::DeleteKey(std::string_view key) {
  std::string normal = Normal(key);
  bool any = false;
  for (auto it = keys_.begin(); it != keys_.end();) {
    bool below = it->first == normal ||
                 (it->first.size() > normal.size() && it->first.compare(0, normal.size(), normal) == 0 &&
                  it->first[normal.size()] == '\\');
    if (below) {
      it = keys_.erase(it);
      any = true;
    } else {
      ++it;
    }
  }
  return any;
}

bool MemorySettings::KeyExists(std::string_view key) const {
  return keys_.count(Normal(key)) > 0;
}

std::vector<std::string> MemorySettings::ValueNames(std::string_view key) const {
  std::vector<std::string> names;
  auto k = keys_.find(Normal(key));
  if (k != keys_.end())
    for (const auto& [lower, entry] : k->second.values) names.push_back(entry.first);
  return names;
}

std::vector<std::string> MemorySettings::SubKeys(std::string_view key) const {
  std::string normal = Normal(key);
  std::string prefix = normal.empty() ? std::string() : normal + "\\";
  std::vector<std::string> out;
  for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    std::string rest = it->first.substr(prefix.size());
    if (!rest.empty() && rest.find('\\') == std::string::npos) out.push_back(it->second.spelling);
  }
  return out;
}

}  // namespace tolvane
