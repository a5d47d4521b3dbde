// The settings tree kept in an INI file through QSettings. Key paths keep the
// parts as the program names them ("\SOFTWARE\Kelmori\Tolvane3.0F\options");
// parts and value names are found without regard to case, and new ones are
// written as given. Every call opens the file, works and syncs: another
// running copy of the program sees the change at once, and QSettings' lock
// file and merge keep two writers from losing each other's values.
#pragma once

#include <memory>
#include <string>

#include "platform/settings_backend.h"

namespace tolvane {

class IniSettings : public SettingsBackend {
 public:
  // A read-only tree never writes (the machine-wide file, say).
  explicit IniSettings(std::string file, bool readOnly = false);

  const std::string& file() const { return file_; }

  std::optional<std::string> ReadValue(std::string_view key, std::string_view name) const override;
  bool WriteValue(std::string_view key, std::string_view name, std::string_view value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  bool KeyExists(std::string_view key) const override;
  std::vector<std::string> ValueNames(std::string_view key) const override;
  std::vector<std::string> SubKeys(std::string_view key) const override;

 private:
  // Creates the file (owner-only: it may hold passwords) and its folder.
  bool PrepareForWriting() const;
  std::string file_;
  bool readOnly_;
};

// Where the two trees live: the user's file under $XDG_CONFIG_HOME (or
// ~/.config), the machine's under the first folder of $XDG_CONFIG_DIRS (or
// /etc/xdg). `override` (from --settings or $TOLVANE_SETTINGS) replaces the
// user's file; $TOLVANE_MACHINE_SETTINGS replaces the machine's.
struct SettingsFiles {
  std::string user;
  std::string machine;
};
SettingsFiles DefaultSettingsFiles(const std::string& userOverride = {});

}  // namespace tolvane
