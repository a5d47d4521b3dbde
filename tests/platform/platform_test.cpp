#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/fakes/fake_platform.h"
#include "settings_backend_contract.h"

namespace tolvane {
namespace {

TEST(MemorySettings, KeepsTheBackendContract) {
  MemorySettings s;
  CheckSettingsBackendContract(s);
}

TEST(ScriptedMessages, RecordsAndAnswersFromItsScript) {
  ScriptedMessages m;
  m.Script(Answer::No);
  m.SetDefaultAnswer(Answer::Cancel);
  m.ShowError("e");
  EXPECT_EQ(m.AskYesNo("q1"), Answer::No);
  EXPECT_EQ(m.AskYesNoCancel("q2"), Answer::Cancel);
  EXPECT_EQ(m.Texts(), (std::vector<std::string>{"e", "q1", "q2"}));
  EXPECT_EQ(m.shown()[0].kind, ScriptedMessages::Kind::Error);
}

TEST(FaultFileSystem, FailsExactlyTheChosenOperation) {
  auto dir = std::filesystem::temp_directory_path() / "tolvane_fault_fs_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string a = (dir / "a").string(), b = (dir / "b").string();
  FaultFileSystem fs(MakePosixFileSystem());
  const char data[] = "0123456789";

  auto attempt = [&] {
    std::filesystem::remove(a);
    std::filesystem::remove(b);
    auto f = fs.CreateNew(a);
    bool ok = f && f->WriteAt(0, data, 10) && f->Sync();
    ok = f && f->Close() && ok;
    return ok && fs.Rename(a, b);
  };
  fs.FailAt(0);
  ASSERT_TRUE(attempt());
  const int operations = fs.count();
  ASSERT_EQ(operations, 5);  // create, write, sync, close, rename
  for (int n = 1; n <= operations; ++n) {
    fs.FailAt(n);
    EXPECT_FALSE(attempt()) << "operation " << n;
  }
  // A failed write leaves part of the data behind, as a full disk does.
  fs.FailAt(2);
  attempt();
  EXPECT_EQ(std::filesystem::file_size(a), 5u);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tolvane
