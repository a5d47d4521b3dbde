// What every settings backend must do, checked over each of them.
#pragma once

#include <gtest/gtest.h>

#include "platform/settings_backend.h"

namespace tolvane {

inline void CheckSettingsBackendContract(SettingsBackend& s) {
  const char* key = "\\SOFTWARE\\Kelmori\\Tolvane3.0F\\Options";
  EXPECT_FALSE(s.ReadValue(key, "x").has_value());
  EXPECT_FALSE(s.KeyExists(key));
  EXPECT_TRUE(s.WriteValue(key, "Undo", "20"));
  EXPECT_EQ(s.ReadValue("software\\kelmori\\TOLVANE3.0F\\options\\", "UNDO"), "20");
  EXPECT_TRUE(s.KeyExists("\\SOFTWARE\\Kelmori"));  // parents exist too
  EXPECT_TRUE(s.WriteValue(key, "undo", "30"));      // same name, other case
  EXPECT_EQ(s.ValueNames(key), std::vector<std::string>{"Undo"});
  EXPECT_EQ(s.ReadValue(key, "Undo"), "30");
  EXPECT_TRUE(s.WriteValue("\\software\\KELMORI\\Tolvane3.0F\\Export", "a", "1"));
  EXPECT_EQ(s.SubKeys("\\SOFTWARE\\Kelmori\\Tolvane3.0F"), (std::vector<std::string>{"Export", "Options"}));
  EXPECT_EQ(s.SubKeys("\\SOFTWARE"), std::vector<std::string>{"Kelmori"});  // spelt as first written

  // Values are kept byte for byte: empty, blanks, separators, non-UTF-8 bytes.
  const std::pair<std::string, std::string> odd[] = {
      {"empty", ""},
      {"blanks", "  a, b = c ; [d]  "},
      {"path", "C:\\Programmi\\Tolvane/x%y"},
      {"ansi", "caf\xE9 \xA7!"},
      {"utf8", "caf\xC3\xA9"},
      {"lines", "one\r\ntwo\n"},
      {"name/with\\separators%", "v"},
      {"", "unnamed"},
  };
  for (const auto& [name, value] : odd) EXPECT_TRUE(s.WriteValue(key, name, value)) << name;
  for (const auto& [name, value] : odd) EXPECT_EQ(s.ReadValue(key, name), value) << name;
  EXPECT_EQ(s.ValueNames(key).size(), 1u + std::size(odd));

  EXPECT_TRUE(s.DeleteValue(key, "UNDO"));
  EXPECT_FALSE(s.ReadValue(key, "Undo").has_value());
  EXPECT_FALSE(s.DeleteValue(key, "Undo"));
  EXPECT_TRUE(s.DeleteKey("\\SOFTWARE\\Kelmori\\tolvane3.0f"));
  EXPECT_FALSE(s.KeyExists(key));
  EXPECT_FALSE(s.KeyExists("\\SOFTWARE\\Kelmori\\Tolvane3.0F\\Export"));
  EXPECT_FALSE(s.ReadValue(key, "path").has_value());
}

}  // namespace tolvane
