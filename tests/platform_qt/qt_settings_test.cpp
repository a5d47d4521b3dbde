#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QSettings>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "platform/fakes/scripted_messages.h"
#include "platform/qt/qt_settings.h"
#include "platform/settings_store.h"
#include "settings_backend_contract.h"

extern char** environ;

namespace tolvane {
namespace {

std::string In(const QTemporaryDir& dir, const char* name) { return dir.filePath(name).toStdString(); }

TEST(IniSettings, KeepsTheBackendContract) {
  QTemporaryDir dir;
  IniSettings s(In(dir, "conf/Tolvane.conf"));
  CheckSettingsBackendContract(s);
}

TEST(IniSettings, FileIsPrivateReadableByHandAndSeenAtOnce) {
  QTemporaryDir dir;
  const std::string file = In(dir, "Kelmori/Tolvane.conf");
  IniSettings a(file), b(file);
  ASSERT_TRUE(a.WriteValue("\\SOFTWARE\\Kelmori\\Tolvane3.0F\\ftpnet\\0", "password", "s3cret"));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // it holds passwords
  ASSERT_EQ(::stat(In(dir, "Kelmori").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // Another store on the same file sees the value without any refresh.
  EXPECT_EQ(b.ReadValue("\\software\\kelmori\\tolvane3.0f\\FTPNET\\0", "Password"), "s3cret");
  ASSERT_TRUE(b.WriteValue("\\SOFTWARE\\Kelmori\\Tolvane3.0F\\ftpnet\\0", "PASSWORD", "other"));
  EXPECT_EQ(a.ReadValue("\\SOFTWARE\\Kelmori\\Tolvane3.0F\\ftpnet\\0", "password"), "other");
  // The key path is kept as written, so the file reads naturally.
  QSettings raw(QString::fromStdString(file), QSettings::IniFormat);
  EXPECT_EQ(raw.value("SOFTWARE/Kelmori/Tolvane3.0F/ftpnet/0/password").toString(), "other");
  EXPECT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // still private after a rewrite
}

TEST(IniSettings, MachineTreeIsReadOnlyAndBacksTheUser) {
  QTemporaryDir dir;
  const std::string machineFile = In(dir, "etc/Tolvane.conf");
  {
    std::filesystem::create_directories(In(dir, "etc"));
    std::ofstream out(machineFile);
    out << "[SOFTWARE]\nKelmori\\tolvane\\PluginText\\path=/opt/plugin\n";
  }
  IniSettings user(In(dir, "home/Tolvane.conf"));
  IniSettings machine(machineFile, /*readOnly=*/true);
  EXPECT_FALSE(machine.WriteValue("\\SOFTWARE\\Kelmori", "x", "1"));
  EXPECT_FALSE(machine.DeleteKey("\\SOFTWARE\\Kelmori"));
  ScriptedMessages messages;
  SettingsStore store(user, &machine, messages);
  const char* key = "\\SOFTWARE\\Kelmori\\tolvane\\PluginText";
  EXPECT_EQ(store.ReadUserThenMachine(key, "path"), "/opt/plugin");
  user.WriteValue(key, "path", "/home/me/plugin");
  EXPECT_EQ(store.ReadUserThenMachine(key, "path"), "/home/me/plugin");
  // Options and first-run values through the store land in the user's file.
  store.WriteFirstRunValues("/opt/tolvane");
  EXPECT_FALSE(store.ReadSetting("ftpnet", "numConfTot").empty());
  store.WriteOption("TimeSave", "12");
  IniSettings again(In(dir, "home/Tolvane.conf"));
  EXPECT_EQ(again.ReadValue(kOptionsKey, "timesave"), "12");
}

TEST(IniSettings, DefaultFilesFollowTheXdgFolders) {
  setenv("XDG_CONFIG_HOME", "/home/me/.cfg", 1);
  setenv("XDG_CONFIG_DIRS", "/etc/site:/etc/xdg", 1);
  unsetenv("TOLVANE_SETTINGS");
  unsetenv("TOLVANE_MACHINE_SETTINGS");
  auto files = DefaultSettingsFiles();
  EXPECT_EQ(files.user, "/home/me/.cfg/Kelmori/Tolvane.conf");
  EXPECT_EQ(files.machine, "/etc/site/Kelmori/Tolvane.conf");
  setenv("TOLVANE_SETTINGS", "/tmp/env.conf", 1);
  EXPECT_EQ(DefaultSettingsFiles().user, "/tmp/env.conf");
  EXPECT_EQ(DefaultSettingsFiles("/tmp/option.conf").user, "/tmp/option.conf");  // the option wins
  unsetenv("TOLVANE_SETTINGS");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_CONFIG_DIRS");
  EXPECT_EQ(DefaultSettingsFiles().machine, "/etc/xdg/Kelmori/Tolvane.conf");
}

pid_t StartWriter(const std::string& file, const char* prefix, int count) {
  std::string n = std::to_string(count);
  const char* argv[] = {SETTINGS_WRITER, file.c_str(), prefix, n.c_str(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, SETTINGS_WRITER, nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(IniSettings, TwoProcessesWritingAtOnceKeepEveryValue) {
  QTemporaryDir dir;
  const std::string file = In(dir, "Tolvane.conf");
  constexpr int kCount = 150;
  pid_t first = StartWriter(file, "first", kCount);
  pid_t second = StartWriter(file, "second", kCount);
  EXPECT_EQ(ExitCode(first), 0);
  EXPECT_EQ(ExitCode(second), 0);
  IniSettings s(file);
  int missing = 0;
  for (const char* prefix : {"first", "second"})
    for (int i = 0; i < kCount; ++i) {
      std::string n = std::to_string(i);
      missing += s.ReadValue(std::string("\\SOFTWARE\\Kelmori\\") + prefix, "v" + n) != n;
      missing += s.ReadValue("\\SOFTWARE\\Kelmori\\shared", prefix + n) != n;
    }
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(s.ValueNames("\\SOFTWARE\\Kelmori\\shared").size(), 2u * kCount);
  // No temporary or lock file is left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tolvane.conf"});
}

}  // namespace
}  // namespace tolvane
