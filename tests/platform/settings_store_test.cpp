#include <gtest/gtest.h>

#include "platform/fakes/scripted_messages.h"
#include "platform/memory_settings.h"
#include "platform/settings_store.h"

namespace tolvane {
namespace {

struct Store {
  MemorySettings user, machine;
  ScriptedMessages messages;
  SettingsStore store{user, &machine, messages};
};

TEST(SettingsStore, OptionsWithTheirDefaults) {
  Store s;
  SettingsStore& st = s.store;
  EXPECT_EQ(st.ReadOption("LastFile"), "");
  EXPECT_EQ(st.OptionNumber("maxCacheImg", 20), 20);
  EXPECT_EQ(st.OptionNumber("TimeSave", 5), 5);
  EXPECT_FALSE(st.OptionFlag("PromemSave"));
  EXPECT_TRUE(st.OptionFlag("Bak", true));  // on unless "0"
  st.WriteOption("TimeSave", "dix");
  EXPECT_EQ(st.OptionNumber("TimeSave", 5), 5);  // not a number: the default
  st.WriteOption("TimeSave", "12");
  EXPECT_EQ(st.OptionNumber("TimeSave", 5), 12);
  st.WriteOptionFlag("Bak", false);
  EXPECT_FALSE(st.OptionFlag("Bak", true));
  st.WriteOptionFlag("PromemSave", true);
  EXPECT_TRUE(st.OptionFlag("PromemSave"));
  // Names are the same value whatever their case.
  st.WriteOption("tipOfTheDay", "1");
  EXPECT_EQ(st.ReadOption("TipOfTheDay"), "1");
  EXPECT_EQ(s.user.ReadValue("\\SOFTWARE\\Kelmori\\Tolvane3.0F\\options", "TIPOFTHEDAY"), "1");
}

TEST(SettingsStore, SectionsKeysAndPaths) {
  Store s;
  SettingsStore& st = s.store;
  st.WriteSetting("Browser\\0", "Name", "Chromium");
  st.WriteSetting("Browser\\1", "Name", "Autre");
  st.WriteSetting("Browser", "Num", "2");
  EXPECT_EQ(st.SectionKeys("Browser"), (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(st.ReadSetting("browser", "num"), "2");
  st.DeleteSection("Browser");
  EXPECT_TRUE(st.SectionKeys("Browser").empty());
  EXPECT_EQ(st.ReadSetting("Browser\\0", "Name"), "");

  EXPECT_EQ(st.ReadKeyValue("\\SOFTWARE\\Autre", "x"), "notfound");
  st.WriteKeyValue("\\SOFTWARE\\Autre", "y", "1");
  EXPECT_EQ(st.ReadKeyValue("\\SOFTWARE\\Autre", "x"), "");
  EXPECT_EQ(st.AccessPathValue("\\SOFTWARE\\Autre\\y", "", true), "1");
  st.AccessPathValue("\\SOFTWARE\\Autre\\z", "2", false);
  EXPECT_EQ(st.ReadKeyValue("\\SOFTWARE\\Autre", "z"), "2");
  EXPECT_EQ(st.AccessPathValue("\\SOFTWARE\\Absent\\v", "", true), "");
  EXPECT_EQ(s.messages.Texts().back(), "Key not found in registry:\\SOFTWARE\\Absent, (string \"v\")");

  s.machine.WriteValue("\\SOFTWARE\\Kelmori\\tolvane\\PluginText", "path", "/opt/plugin");
  EXPECT_EQ(st.ReadUserThenMachine("\\SOFTWARE\\Kelmori\\tolvane\\PluginText", "path"), "/opt/plugin");
  s.user.WriteValue("\\SOFTWARE\\Kelmori\\tolvane\\PluginText", "path", "/home/me/plugin");
  EXPECT_EQ(st.ReadUserThenMachine("\\SOFTWARE\\Kelmori\\tolvane\\PluginText", "path"), "/home/me/plugin");
}

TEST(SettingsStore, ExtensionTable) {
  Store s;
  SettingsStore& st = s.store;
  st.WriteSetting("ext\\.pdf", "comp", "3");
  st.WriteSetting("ext\\.pdf", "appPath", "/usr/bin/evince");
  st.WriteSetting("ext\\.zip", "comp", "");
  st.WriteSetting("ext\\.doc", "comp", "9");
  struct Case {
    const char* ext;
    int behaviour;
  } cases[] = {{".pdf", 3}, {".PDF", 3}, {".zip", 0}, {".doc", 0}, {".txt", 2}};
  for (const auto& c : cases) EXPECT_EQ(st.ExtensionBehaviour(c.ext, 2), c.behaviour) << c.ext;
  EXPECT_EQ(st.ExtensionProgram(".pdf"), "/usr/bin/evince");
  EXPECT_EQ(st.ExtensionProgram(".txt"), "");
}

TEST(SettingsStore, FirstRunValuesAreWrittenOnce) {
  Store s;
  SettingsStore& st = s.store;
  st.WriteFirstRunValues("/opt/tolvane");
  EXPECT_EQ(st.ReadSetting("ftpnet", "numConfTot"), "1");
  EXPECT_EQ(st.ReadSetting("ftpnet\\0", "user"), "anonymous");
  EXPECT_EQ(st.ReadSetting("ftpnet\\0", "port"), "21");
  EXPECT_EQ(st.ReadSetting("ftpnet", "numSelectedConf2"), "0");
  EXPECT_EQ(st.ReadSetting("tolvanenet\\0", "directoryGet"), "/opt/tolvane/_tmp_get/");
  EXPECT_EQ(st.ReadSetting("tolvanenet\\0", "tolvaneBaseDir2"), "/scripts/cgi-tolvane/");
  EXPECT_EQ(st.ReadSetting("orto", "lang"), "1036");
  st.WriteSetting("ftpnet\\0", "user", "moi");
  st.WriteSetting("orto", "lang", "1033");
  st.WriteFirstRunValues("/opt/tolvane");
  EXPECT_EQ(st.ReadSetting("ftpnet\\0", "user"), "moi");
  EXPECT_EQ(st.ReadSetting("orto", "lang"), "1033");
}

}  // namespace
}  // namespace tolvane
