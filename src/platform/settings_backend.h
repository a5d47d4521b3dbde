// The store behind the settings: a tree of keys, each holding named string
// values. Key paths use "\" between their parts, as the settings name them
// ("\SOFTWARE\Kelmori\Tolvane3.0F\Options"); parts compare without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class SettingsBackend {
 public:
  virtual ~SettingsBackend() = default;
  virtual std::optional<std::string> ReadValue(std::string_view key, std::string_view name) const = 0;
  virtual bool WriteValue(std::string_view key, std::string_view name, std::string_view value) = 0;
  virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
  // Deletes the key with its values and every key below it.
  virtual bool DeleteKey(std::string_view key) = 0;
  virtual bool KeyExists(std::string_view key) const = 0;
  virtual std::vector<std::string> ValueNames(std::string_view key) const = 0;
  virtual std::vector<std::string> SubKeys(std::string_view key) const = 0;
};

}  // namespace tolvane
