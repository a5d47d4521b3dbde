#include "publish/server_config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "common/ansi.h"
#include "common/decimal.h"
#include "platform/settings_store.h"

namespace tolvane {
namespace {

std::string Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

int Number(const std::string& text, int byDefault, int most) {
  auto v = ParseDecimal(Trimmed(text));
  return v && *v > 0 && *v <= most ? static_cast<int>(*v) : byDefault;
}
int Port(const std::string& text, int byDefault) { return Number(text, byDefault, 65535); }
int Seconds(const std::string& text, int byDefault) { return Number(text, byDefault, 3600); }

std::string Section(int index) { return "ftpnet\\" + std::to_string(index); }

// One "key=value" line per value: a value cannot carry a line break.
std::string OneLine(std::string_view s) {
  std::string out;
  for (char c : s) out += c == '\r' || c == '\n' ? ' ' : c;
  return out;
}

}  // namespace

std::string CleanServerName(std::string_view typed) {
  std::string s = Trimmed(typed);
  if (AnsiStartsWithText(s, "ftp://") || AnsiStartsWithText(s, "ftp:\\\\")) s = Trimmed(s.substr(6));
  return s;
}

std::string CleanBaseFolder(std::string_view typed) {
  std::string s = Trimmed(typed);
  if (s.empty() || s[0] != '/') s = "/" + s;
  return s;
}

FtpServerConfig LoadServerConfig(const SettingsStore& store, int index) {
  const std::string section = Section(index);
  auto read = [&](const char* name) { return store.ReadSetting(section, name); };
  FtpServerConfig c;
  c.name = read("nomeConf");
  if (const std::string s = CleanServerName(read("server")); !s.empty()) c.server = s;
  c.timeout = Seconds(read("timeout"), 30);
  c.port = Port(read("port"), 21);
  c.baseDir = CleanBaseFolder(read("BaseDir"));
  if (const std::string u = Trimmed(read("user")); !u.empty()) c.user = u;
  c.www = read("www");
  c.script = read("script");
  c.scriptParameters = read("scriptm");
  c.useScript = read("useScript") == "1";
  c.savePassword = read("savePass") == "1";
  c.passive = read("passive") != "0";  // passive unless chosen otherwise: it passes firewalls
  c.ftps = read("ftps") == "1";
  c.caFile = read("ftpsCaFile");
  if (c.savePassword) c.password = read("pass");
  return c;
}

void StoreServerConfig(SettingsStore& store, int index, const FtpServerConfig& c) {
  const std::string section = Section(index);
  store.WriteSetting(section, "nomeConf", c.name);
  store.WriteSetting(section, "server", CleanServerName(c.server));
  store.WriteSetting(section, "timeout", std::to_string(c.timeout));
  store.WriteSetting(section, "port", std::to_string(c.port));
  store.WriteSetting(section, "BaseDir", CleanBaseFolder(c.baseDir));
  store.WriteSetting(section, "user", Trimmed(c.user));
  store.WriteSetting(section, "www", c.www);
  store.WriteSetting(section, "script", c.script);
  store.WriteSetting(section, "scriptm", c.scriptParameters);
  store.WriteSettingFlag(section, "useScript", c.useScript);
  store.WriteSettingFlag(section, "savePass", c.savePassword);
  store.WriteSettingFlag(section, "passive", c.passive);
  store.WriteSettingFlag(section, "ftps", c.ftps);
  store.WriteSetting(section, "ftpsCaFile", c.caFile);
  // A password that is not to be kept must not stay from an earlier save.
  store.WriteSetting(section, "pass", c.savePassword ? c.password : std::string());
}

int ConfigurationCount(const SettingsStore& store) {
  auto v = ParseDecimal(store.ReadSetting("ftpnet", "numConfTot"));
  return v && *v > 0 && *v < 100000 ? static_cast<int>(*v) : 0;
}

int AddServerConfig(SettingsStore& store, std::string_view name) {
  // Counting starts from 2 when none is stored: the first configuration is
  // the one written at first start.
  const int count = ConfigurationCount(store);
  const int index = count > 0 ? count : 1;
  FtpServerConfig c;
  c.name = std::string(name);
  StoreServerConfig(store, index, c);
  store.WriteSetting("ftpnet", "numConfTot", std::to_string(index + 1));
  return index;
}

void RenameServerConfig(SettingsStore& store, int index, std::string_view name) {
  store.WriteSetting(Section(index), "nomeConf", name);
}

std::string RenamePrompt(std::string_view currentName) { return "Renommer" + std::string(currentName) + "\":"; }

int SelectedServerConfig(const SettingsStore& store, int mode) {
  auto v = ParseDecimal(store.ReadSetting("ftpnet", "NumSelectedConf" + std::to_string(mode)));
  const int count = ConfigurationCount(store);
  return v && *v >= 0 && *v < std::max(count, 1) ? static_cast<int>(*v) : 0;
}

void StoreSelectedServerConfig(SettingsStore& store, int mode, int index) {
  store.WriteSetting("ftpnet", "NumSelectedConf" + std::to_string(mode), std::to_string(index));
}

bool AutoChooseChanged(const SettingsStore& store) { return store.ReadSetting("ftpnet", "autoChooseMod") != "0"; }

std::optional<FtpServerConfig> ReadServerConfigFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  bool inSection = false, sawSection = false;
  std::string values[10];
  static constexpr const char* kKeys[10] = {"label",    "ftpserver", "timeout",  "port",    "initial-remote-folder",
                                            "username", "password",  "passwords", "passive", "www-url-label"};
  bool present[10] = {};
  while (std::getline(in, line)) {
    const std::string t = Trimmed(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t.front() == '[') {
      inSection = AnsiSameText(t, "[ftp settings]");
      sawSection = sawSection || inSection;
      continue;
    }
    const size_t eq = t.find('=');
    if (!inSection || eq == std::string::npos) continue;
    const std::string key = Trimmed(t.substr(0, eq));
    for (int k = 0; k < 10; ++k)
      if (AnsiSameText(key, kKeys[k])) {
        values[k] = Trimmed(t.substr(eq + 1));
        present[k] = true;
      }
  }
  if (!sawSection) return std::nullopt;
  auto value = [&](int k, const char* byDefault) { return present[k] ? values[k] : std::string(byDefault); };
  FtpServerConfig c;
  // "label" is written for the reader's sake only: the name is chosen when loading.
  c.server = CleanServerName(value(1, ""));
  c.timeout = Seconds(value(2, "60"), 60);
  c.port = Port(value(3, "21"), 21);
  c.baseDir = CleanBaseFolder(value(4, "/"));
  c.user = value(5, "");
  c.password = value(6, "");
  c.savePassword = value(7, "1") == "1";
  c.passive = value(8, "1") == "1";
  c.www = present[9] ? values[9] : std::string(kDefaultPublicAddress);
  return c;
}

bool WriteServerConfigFile(const std::string& path, const FtpServerConfig& c) {
  std::ostringstream out;
  out << "[ftp settings]\r\n"
      << "label=" << OneLine(c.name) << "\r\n"
      << "ftpserver=" << OneLine(c.server) << "\r\n"
      << "timeout=" << c.timeout << "\r\n"
      << "port=" << c.port << "\r\n"
      << "initial-remote-folder=" << OneLine(c.baseDir) << "\r\n"
      << "username=" << OneLine(c.user) << "\r\n"
      << "password=" << OneLine(c.savePassword ? c.password : std::string()) << "\r\n"
      << "passwords=" << (c.savePassword ? "1" : "0") << "\r\n"
      << "passive=" << (c.passive ? "1" : "0") << "\r\n"
      << "www-url-label=" << OneLine(c.www) << "\r\n";
  const std::string text = out.str();
  // Written beside the target and moved over it, owner-only from the start.
  const std::string temporary = path + ".part";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  fchmod(fd, 0600);
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const bool ok = done == text.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool StoreWizardConfig(SettingsStore& store, const FtpServerConfig& config) {
  if (Trimmed(config.user).empty() || CleanServerName(config.server).empty()) return false;
  // One configuration is left: the others go, and the first keeps what the
  // wizard does not ask for (passive or active, TLS, script).
  for (int i = 1, n = ConfigurationCount(store); i < n; ++i) store.DeleteSection(Section(i));
  store.WriteSetting("ftpnet", "numConfTot", "1");
  for (int mode = 0; mode < 4; ++mode) StoreSelectedServerConfig(store, mode, 0);
  const std::string section = Section(0);
  store.WriteSetting(section, "user", Trimmed(config.user));
  store.WriteSetting(section, "pass", config.password);
  store.WriteSetting(section, "server", CleanServerName(config.server));
  store.WriteSetting(section, "BaseDir", CleanBaseFolder(config.baseDir));
  store.WriteSetting(section, "www", config.www);
  store.WriteSetting(section, "savePass", "1");
  store.WriteSetting(section, "nomeConf", "Internet-default");
  store.WriteSetting(section, "timeout", std::to_string(config.timeout));
  store.WriteSetting(section, "port", std::to_string(config.port));
  store.WriteOption("wizOk", "1");
  return true;
}

}  // namespace tolvane
