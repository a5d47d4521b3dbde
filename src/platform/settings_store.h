// The program's settings: options under one key, sections beside it, and a
// few keys elsewhere, all text values in a tree of keys. Every call opens,
// reads or writes and closes: nothing is cached, so two running copies of the
// program see each other's changes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"
#include "platform/settings_backend.h"

namespace tolvane {

inline constexpr std::string_view kBaseKey = "\\SOFTWARE\\Kelmori\\Tolvane3.0F";
inline constexpr std::string_view kOptionsKey = "\\SOFTWARE\\Kelmori\\Tolvane3.0F\\options";

class SettingsStore {
 public:
  // `user` is the current user's tree; `machine` the machine-wide one (may be the same or null).
  SettingsStore(SettingsBackend& user, SettingsBackend* machine, MessageBoxes& messages)
      : user_(user), machine_(machine), messages_(messages) {}

  std::string ReadOption(std::string_view name) const;
  void WriteOption(std::string_view name, std::string_view text);
  void WriteOptionFlag(std::string_view name, bool flag) { WriteOption(name, flag ? "1" : "0"); }

  std::string ReadSetting(std::string_view section, std::string_view name) const;
  void WriteSetting(std::string_view section, std::string_view name, std::string_view text);
  void WriteSettingFlag(std::string_view section, std::string_view name, bool flag) {
    WriteSetting(section, name, flag ? "1" : "0");
  }
  void DeleteSection(std::string_view section);
  std::vector<std::string> SectionKeys(std::string_view section) const;

  // A full key path of the current user: "notfound" when the key does not exist.
  std::string ReadKeyValue(std::string_view key, std::string_view name) const;
  void WriteKeyValue(std::string_view key, std::string_view name, std::string_view text);
  // A key path and a value name joined by the last backslash; reports a missing key.
  std::string AccessPathValue(std::string_view path, std::string_view text, bool read);
  // A value of the current user, or of the machine when the user has none.
  std::string ReadUserThenMachine(std::string_view key, std::string_view name) const;

  // 0 ask, 1 save, 2 open with the associated program, 3 open with "appPath".
  int ExtensionBehaviour(std::string_view extension, int byDefault) const;
  std::string ExtensionProgram(std::string_view extension) const;

  // Typed readers of options: a missing or bad value gives the default.
  int OptionNumber(std::string_view name, int byDefault) const;
  // On only for "1", or, with onUnlessZero, for anything but "0".
  bool OptionFlag(std::string_view name, bool onUnlessZero = false) const;

  // The first-run FTP and server-extension configurations and the spelling
  // language, written when they are not there yet.
  void WriteFirstRunValues(std::string_view programFolder);

 private:
  static std::string SectionKey(std::string_view section);
  SettingsBackend& user_;
  SettingsBackend* machine_;
  MessageBoxes& messages_;
};

}  // namespace tolvane
