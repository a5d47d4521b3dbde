// Named FTP server configurations: kept in the settings under "ftpnet\N",
// read from and written to ".ftpc" files, and reset by the set-up wizard.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

class SettingsStore;

inline constexpr std::string_view kDefaultFtpHost = "ftp.example.com";
inline constexpr std::string_view kDefaultPublicAddress = "http://www.example.com/";
// The box the dialog asks configuration names in.
inline constexpr std::string_view kPublishBoxTitle = "Publier par FTP";
inline constexpr std::string_view kAskConfigurationName = "Ins\xE9rer le nom de la configuration serveur";

struct FtpServerConfig {
  std::string name;  // "nomeConf"
  std::string server = std::string(kDefaultFtpHost);
  int timeout = 30;
  int port = 21;
  std::string baseDir = "/";
  std::string user = "unknown";
  std::string www;
  std::string script, scriptParameters;
  bool useScript = false;
  bool savePassword = false;
  bool passive = true;
  std::string password;
  bool ftps = false;  // explicit TLS; plain FTP unless chosen
  std::string caFile;  // certificates to trust besides the system's (a server's own)
};

// "ftp://host " or "FTP:\\host" → "host".
std::string CleanServerName(std::string_view typed);
// "site" → "/site".
std::string CleanBaseFolder(std::string_view typed);

FtpServerConfig LoadServerConfig(const SettingsStore& store, int index);
// Writes every key; the password only when it is to be saved (else removed).
void StoreServerConfig(SettingsStore& store, int index, const FtpServerConfig& config);

int ConfigurationCount(const SettingsStore& store);
// A new configuration after the others; its index.
int AddServerConfig(SettingsStore& store, std::string_view name);
void RenameServerConfig(SettingsStore& store, int index, std::string_view name);
// "Renommer" + the current name + "\":" — the prompt of the rename box.
std::string RenamePrompt(std::string_view currentName);

// The configuration last used in a dialog mode, and storing it.
int SelectedServerConfig(const SettingsStore& store, int mode);
void StoreSelectedServerConfig(SettingsStore& store, int mode, int index);
// "autoChooseMod": tick the changed rows when a folder is listed.
bool AutoChooseChanged(const SettingsStore& store);

// A configuration file: one "ftp settings" section of INI lines.
std::optional<FtpServerConfig> ReadServerConfigFile(const std::string& path);
// Created readable by its owner only: it holds the password.
bool WriteServerConfigFile(const std::string& path, const FtpServerConfig& config);

// What the set-up wizard stores on OK: false (and nothing stored) when the
// user or the server is empty.
bool StoreWizardConfig(SettingsStore& store, const FtpServerConfig& config);

}  // namespace tolvane
