#include "platform/qt/qt_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tolvane {
namespace {

// QSettings takes "/" and "\" as separators and has no empty names: a part
// keeps "%" and "/" as escapes, and the empty value name is a lone "%".
QString EncodePart(std::string_view part) {
  if (part.empty()) return QStringLiteral("%");
  std::string out;
  for (char c : part) {
    if (c == '%') out += "%25";
    else if (c == '/') out += "%2F";
    else if (c == '\\') out += "%5C";
    else out += c;
  }
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

std::string DecodePart(const QString& part) {
  std::string in = part.toUtf8().toStdString();
  if (in == "%") return {};
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%' && in.compare(i, 3, "%25") == 0) out += '%', i += 2;
    else if (in[i] == '%' && in.compare(i, 3, "%2F") == 0) out += '/', i += 2;
    else if (in[i] == '%' && in.compare(i, 3, "%5C") == 0) out += '\\', i += 2;
    else out += in[i];
  }
  return out;
}

std::vector<QString> KeyParts(std::string_view key) {
  std::vector<QString> parts;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    if (end > start) parts.push_back(EncodePart(key.substr(start, end - start)));
    start = end + 1;
  }
  return parts;
}

std::optional<QString> FindIgnoringCase(const QStringList& names, const QString& wanted) {
  for (const auto& n : names)
    if (n.compare(wanted, Qt::CaseInsensitive) == 0) return n;
  return std::nullopt;
}

// The group path of `key` as the file spells it. Leaves `settings` at the top
// level. A missing part gives nothing, or, with `create`, the rest as given.
std::optional<QString> ResolveGroup(QSettings& settings, std::string_view key, bool create) {
  QString path;
  int depth = 0;
  bool found = true;
  for (const auto& part : KeyParts(key)) {
    std::optional<QString> actual;
    if (found) actual = FindIgnoringCase(settings.childGroups(), part);
    if (!actual) {
      if (!create) {
        while (depth-- > 0) settings.endGroup();
        return std::nullopt;
      }
      found = false;
      actual = part;
    }
    path += (path.isEmpty() ? "" : "/") + *actual;
    settings.beginGroup(*actual);
    ++depth;
  }
  while (depth-- > 0) settings.endGroup();
  return path;
}

std::optional<QString> ResolveValue(QSettings& settings, const QString& group, std::string_view name) {
  settings.beginGroup(group);
  auto actual = FindIgnoringCase(settings.childKeys(), EncodePart(name));
  settings.endGroup();
  if (!actual) return std::nullopt;
  return group.isEmpty() ? *actual : group + "/" + *actual;
}

bool IsUtf8(std::string_view text) {
  QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
  return QString::fromUtf8(bytes).toUtf8() == bytes;
}

bool Synced(QSettings& settings) {
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace

IniSettings::IniSettings(std::string file, bool readOnly) : file_(std::move(file)), readOnly_(readOnly) {}

bool IniSettings::PrepareForWriting() const {
  if (readOnly_) return false;
  std::error_code ec;
  auto folder = std::filesystem::path(file_).parent_path();
  if (!folder.empty() && !std::filesystem::exists(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec) return false;
    ::chmod(folder.c_str(), 0700);
  }
  int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  else if (errno != EEXIST) return false;
  // A file made readable by others before holds passwords too: owner only.
  struct stat st {};
  if (::stat(file_.c_str(), &st) == 0 && (st.st_mode & 077) != 0) ::chmod(file_.c_str(), st.st_mode & 0700);
  return true;
}

std::optional<std::string> IniSettings::ReadValue(std::string_view key, std::string_view name) const {
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  auto group = ResolveGroup(settings, key, false);
  if (!group) return std::nullopt;
  auto path = ResolveValue(settings, *group, name);
  if (!path) return std::nullopt;
  QVariant v = settings.value(*path);
  if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().toStdString();
  // A value written by hand with commas comes back as a list.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toUtf8().toStdString();
  return v.toString().toUtf8().toStdString();
}

bool IniSettings::WriteValue(std::string_view key, std::string_view name, std::string_view value) {
  if (!PrepareForWriting()) return false;
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  auto group = ResolveGroup(settings, key, true);
  auto path = ResolveValue(settings, *group, name);
  if (!path) path = (group->isEmpty() ? QString() : *group + "/") + EncodePart(name);
  // Text that is not UTF-8 is kept as bytes so that it reads back exactly.
  if (IsUtf8(value))
    settings.setValue(*path, QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
  else
    settings.setValue(*path, QByteArray(value.data(), static_cast<qsizetype>(value.size())));
  return Synced(settings);
}

bool IniSettings::DeleteValue(std::string_view key, std::string_view name) {
  if (readOnly_) return false;
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  auto group = ResolveGroup(settings, key, false);
  if (!group) return false;
  auto path = ResolveValue(settings, *group, name);
  if (!path) return false;
  settings.remove(*path);
  return Synced(settings);
}

bool IniSettings::DeleteKey(std::string_view key) {
  if (readOnly_) return false;
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  auto group = ResolveGroup(settings, key, false);
  if (!group || group->isEmpty()) return false;
  settings.remove(*group);
  return Synced(settings);
}

bool IniSettings::KeyExists(std::string_view key) const {
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  return ResolveGroup(settings, key, false).has_value();
}

std::vector<std::string> IniSettings::ValueNames(std::string_view key) const {
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  std::vector<std::string> names;
  auto group = ResolveGroup(settings, key, false);
  if (!group) return names;
  settings.beginGroup(*group);
  for (const auto& k : settings.childKeys()) names.push_back(DecodePart(k));
  return names;
}

std::vector<std::string> IniSettings::SubKeys(std::string_view key) const {
  QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
  std::vector<std::string> names;
  auto group = ResolveGroup(settings, key, false);
  if (!group) return names;
  settings.beginGroup(*group);
  for (const auto& g : settings.childGroups()) names.push_back(DecodePart(g));
  return names;
}

SettingsFiles DefaultSettingsFiles(const std::string& userOverride) {
  constexpr const char* kFileName = "Kelmori/Tolvane.conf";
  SettingsFiles files;
  const char* env = std::getenv("TOLVANE_SETTINGS");
  if (!userOverride.empty()) {
    files.user = userOverride;
  } else if (env && *env) {
    files.user = env;
  } else {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string base = (config && *config) ? config : std::string(home ? home : ".") + "/.config";
    files.user = base + "/" + kFileName;
  }
  const char* machine = std::getenv("TOLVANE_MACHINE_SETTINGS");
  if (machine && *machine) {
    files.machine = machine;
  } else {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string first = (dirs && *dirs) ? std::string(dirs).substr(0, std::string(dirs).find(':')) : "";
    files.machine = (first.empty() ? std::string("/etc/xdg") : first) + "/" + kFileName;
  }
  return files;
}

}  // namespace tolvane
