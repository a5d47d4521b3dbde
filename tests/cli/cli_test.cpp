// tolvane-cli as a user runs it: exit codes, messages on standard error, the
// table and the JSON description.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "cli_run.h"

namespace tolvane {
namespace {

TEST(Cli, NewInfoResave) {
  testing::TempDir dir;
  const std::string a = dir / "a.yka", b = dir / "b.yka";
  ASSERT_EQ(Cli("new " + a, dir).status, 0);
  CliRun info = Cli("info " + a, dir);
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("proportional_font      Arial"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("[pas de style tableau]"), std::string::npos);

  CliRun json = Cli("info --json " + a, dir);
  ASSERT_EQ(json.status, 0);
  EXPECT_EQ(json.out.rfind("{\"header\":{\"title\":\"a.\",", 0), 0u) << json.out;
  EXPECT_NE(json.out.find("\"kinds\":[{\"kind\":0,\"name\":\"testoHtml\",\"record_size\":292,\"slots\":0,\"in_use\":0}"),
            std::string::npos);
  EXPECT_NE(json.out.find("{\"id\":\"11000001\",\"kind\":17,\"slot\":1,\"state\":1,\"free\":false,"
                          "\"caption\":\"[pas de style tableau]\",\"content_size\":0,\"attribute_size\":0}"),
            std::string::npos);

  ASSERT_EQ(Cli("resave " + a + " " + b, dir).status, 0);
  EXPECT_TRUE(std::filesystem::exists(b));
  EXPECT_EQ(Cli("resave " + a + " " + a, dir).status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "a.bak"));
}

TEST(Cli, CaptionsArePrintedInUtf8) {
  testing::TempDir dir;
  testing::DocFixture f;
  f.doc->CreatePage()->SetCaption("\xC9t\xE9 \x80");  // Windows-1252
  ASSERT_TRUE(f.doc->Save(dir / "p.yka"));
  CliRun json = Cli("info --json " + (dir / "p.yka"), dir);
  EXPECT_NE(json.out.find("\"caption\":\"Été €\""), std::string::npos) << json.out;
}

TEST(Cli, ShowsThePageTreeAndTheProperties) {
  testing::TempDir dir;
  testing::DocFixture f;
  f.doc->CreatePage()->SetCaption("Accueil");
  f.doc->CreatePage()->SetCaption("Produits");
  f.doc->PageTreeObject()->SetContentText("a0,-2,Site\r\na1,0,x\r\na1,-3,Catalogue\r\na2,1,x\r\n");
  f.doc->WriteDocProperty("remark0", Utf8ToAnsi("à revoir"));
  ASSERT_TRUE(f.doc->Save(dir / "t.yka"));
  CliRun text = Cli("info " + (dir / "t.yka"), dir);
  EXPECT_NE(text.out.find("Page tree\n  Site\n    Accueil  (page 00000000)\n    Catalogue  (chapter)\n"
                          "      Produits  (page 00000001)\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("remark0                à revoir"), std::string::npos);
  CliRun json = Cli("info --json " + (dir / "t.yka"), dir);
  EXPECT_NE(json.out.find("{\"level\":2,\"type\":\"page\",\"id\":\"00000001\",\"caption\":\"Produits\"}"),
            std::string::npos);
  EXPECT_NE(json.out.find("\"remark0\":\"à revoir\""), std::string::npos);
}

TEST(Cli, SettingsVerbAndSettingsFile) {
  testing::TempDir dir;
  const std::string key = "'\\SOFTWARE\\Kelmori\\Tolvane3.0F\\options' ";
  ASSERT_EQ(Cli("settings set " + key + "TimeSave 12", dir).status, 0);
  EXPECT_EQ(Cli("settings get '\\software\\kelmori\\tolvane3.0f\\Options' TIMESAVE", dir).out, "12\n");
  // --settings points at another file, which the environment's does not see.
  const std::string other = " --settings " + (dir / "other.conf");
  ASSERT_EQ(Cli("settings set " + key + "TimeSave 30" + other, dir).status, 0);
  EXPECT_EQ(Cli("settings get " + key + "TimeSave" + other, dir).out, "30\n");
  EXPECT_EQ(Cli("settings get " + key + "TimeSave", dir).out, "12\n");
  EXPECT_EQ(Cli("settings list '\\SOFTWARE\\Kelmori\\Tolvane3.0F'", dir).out, "options\\\n");
  CliRun missing = Cli("settings get " + key + "Absent", dir);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no value \"Absent\""), std::string::npos) << missing.err;
  EXPECT_EQ(Cli("settings get " + key, dir).status, 2);
}

TEST(Cli, FailuresSayWhyAndExitNonZero) {
  testing::TempDir dir;
  testing::WriteAll(dir / "junk.yka", Bytes(3000, 'x'));
  struct Case {
    std::string args;
    int status;
    std::string err;
  } cases[] = {
      {"info " + (dir / "absent.yka"), 1, dir / "absent.yka n'existe pas"},
      {"info " + (dir / "junk.yka"), 1, "Format non reconnu."},
      {"resave " + (dir / "junk.yka") + " " + (dir / "x.yka"), 1, "cannot be read"},
      {"new " + (dir / "junk.yka/x.yka"), 1, "Le programme ne peut pas créer"},
      {"frobnicate", 2, "unknown verb"},
      {"info", 2, "usage: tolvane-cli info"},
      {"", 2, "usage:"},
  };
  for (const auto& c : cases) {
    CliRun r = Cli(c.args, dir);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
  }
  for (const char* verb : {"new", "info", "resave"}) {
    CliRun help = Cli(std::string(verb) + " --help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(std::string("usage: tolvane-cli ") + verb, 0), 0u);
  }
}

}  // namespace
}  // namespace tolvane
