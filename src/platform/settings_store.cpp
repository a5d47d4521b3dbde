#include "platform/settings_store.h"

#include "common/ansi.h"
#include "common/decimal.h"

namespace tolvane {

std::string SettingsStore::SectionKey(std::string_view section) {
  return std::string(kBaseKey) + "\\" + std::string(section);
}

std::string SettingsStore::ReadOption(std::string_view name) const {
  return user_.ReadValue(kOptionsKey, name).value_or("");
}

void SettingsStore::WriteOption(std::string_view name, std::string_view text) {
  user_.WriteValue(kOptionsKey, name, text);
}

std::string SettingsStore::ReadSetting(std::string_view section, std::string_view name) const {
  return user_.ReadValue(SectionKey(section), name).value_or("");
}

void SettingsStore::WriteSetting(std::string_view section, std::string_view name, std::string_view text) {
  user_.WriteValue(SectionKey(section), name, text);
}

void SettingsStore::DeleteSection(std::string_view section) { user_.DeleteKey(SectionKey(section)); }

std::vector<std::string> SettingsStore::SectionKeys(std::string_view section) const {
  return user_.SubKeys(SectionKey(section));
}

std::string SettingsStore::ReadKeyValue(std::string_view key, std::string_view name) const {
  if (!user_.KeyExists(key)) return "notfound";
  return user_.ReadValue(key, name).value_or("");
}

void SettingsStore::WriteKeyValue(std::string_view key, std::string_view name, std::string_view text) {
  user_.WriteValue(key, name, text);
}

std::string SettingsStore::AccessPathValue(std::string_view path, std::string_view text, bool read) {
  const size_t last = path.find_last_of('\\');
  const std::string key(last == std::string_view::npos ? std::string_view() : path.substr(0, last));
  const std::string name(last == std::string_view::npos ? path : path.substr(last + 1));
  if (!user_.KeyExists(key)) {
    messages_.ShowError("Key not found in registry:" + key + ", (string \"" + name + "\")");
    return {};
  }
  if (read) return user_.ReadValue(key, name).value_or("");
  user_.WriteValue(key, name, text);
  return {};
}

std::string SettingsStore::ReadUserThenMachine(std::string_view key, std::string_view name) const {
  std::string value = user_.ReadValue(key, name).value_or("");
  if (value.empty() && machine_) value = machine_->ReadValue(key, name).value_or("");
  return value;
}

int SettingsStore::ExtensionBehaviour(std::string_view extension, int byDefault) const {
  for (const auto& key : SectionKeys("ext")) {
    if (!AnsiSameText(key, extension)) continue;
    auto v = ParseDecimal(ReadSetting("ext\\" + key, "comp"));
    return v && *v >= 0 && *v <= 3 ? static_cast<int>(*v) : 0;
  }
  return byDefault;
}

std::string SettingsStore::ExtensionProgram(std::string_view extension) const {
  return ReadSetting("ext\\" + std::string(extension), "appPath");
}

int SettingsStore::OptionNumber(std::string_view name, int byDefault) const {
  auto v = ParseDecimal(ReadOption(name));
  return v && *v >= INT32_MIN && *v <= INT32_MAX ? static_cast<int>(*v) : byDefault;
}

bool SettingsStore::OptionFlag(std::string_view name, bool onUnlessZero) const {
  const std::string text = ReadOption(name);
  return onUnlessZero ? text != "0" : text == "1";
}

void SettingsStore::WriteFirstRunValues(std::string_view programFolder) {
  if (ReadSetting("tolvanenet", "numConfTot").empty()) {
    WriteSetting("tolvanenet", "numConfTot", "1");
    WriteSetting("tolvanenet", "numSelectedConf", "0");
    const std::string c = "tolvanenet\\0";
    std::string folder(programFolder);
    if (!folder.empty() && folder.back() != '/') folder += '/';
    WriteSetting(c, "directoryGet", folder + "_tmp_get/");
    WriteSetting(c, "tolvaneBaseDir", "/scripts/cgi-tolvane/");
    WriteSetting(c, "tolvaneBaseDir2", "/scripts/cgi-tolvane/");
    WriteSetting(c, "tolvaneCGI", "tolvaned.dll");
    WriteSetting(c, "tolvaneUpCGI", "tolvaneupd.dll");
    WriteSetting(c, "nomeConf", "DefaultNT");
    WriteSetting(c, "port", "80");
    WriteSetting(c, "server", "www.example.com");
    WriteSetting(c, "sezione", "0");
    WriteSetting(c, "timeout", "30");
    WriteSetting(c, "user", "default");
  }
  if (ReadSetting("ftpnet", "numConfTot").empty()) {
    WriteSetting("ftpnet", "numConfTot", "1");
    for (const char* n : {"numSelectedConf", "numSelectedConf0", "numSelectedConf1", "numSelectedConf2"})
      WriteSetting("ftpnet", n, "0");
    const std::string c = "ftpnet\\0";
    WriteSetting(c, "BaseDir", "/");
    WriteSetting(c, "nomeConf", "Default");
    WriteSetting(c, "port", "21");
    WriteSetting(c, "savePass", "0");
    WriteSetting(c, "server", "ftp.example.com");
    WriteSetting(c, "timeout", "30");
    WriteSetting(c, "user", "anonymous");
    WriteSetting(c, "useScript", "0");
  }
  if (ReadSetting("orto", "lang").empty()) WriteSetting("orto", "lang", "1036");
}

}  // namespace tolvane
