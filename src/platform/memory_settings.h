// A settings store held in memory, for tests and for runs that must not touch
// the user's files.
#pragma once

#include <map>

#include "platform/settings_backend.h"

namespace tolvane {

class MemorySettings : public SettingsBackend {
 public:
  std::optional<std::string> ReadValue(std::string_view key, std::string_view name) const override;
  bool WriteValue(std::string_view key, std::string_view name, std::string_view value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  bool KeyExists(std::string_view key) const override;
  std::vector<std::string> ValueNames(std::string_view key) const override;
  std::vector<std::string> SubKeys(std::string_view key) const override;

 private:
  struct Key {
    std::string spelling;  // the key's own name as first written
    // lower-case name -> (name as written, value)
    std::map<std::string, std::pair<std::string, std::string>> values;
  };
  // Normal form of a path: lower case, parts joined by "\", no leading or trailing "\".
  static std::string Normal(std::string_view key);
  std::map<std::string, Key> keys_;
};

}  // namespace tolvane
