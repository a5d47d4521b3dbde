// The export verb on the example hypertext: what it writes, and that every
// local link and picture of every page names a file it wrote.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "cli_run.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Export, TheExampleSiteHasNoBrokenLocalLinks) {
  testing::TempDir dir;
  const fs::path site = dir.path() / "site";
  CliRun r = Cli(std::string("export ") + TOLVANE_DEMO + " " + site.string(), dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, (site / "index.htm").string() + "\n");
  EXPECT_NE(r.err.find("Exportation, phase 1: 0%"), std::string::npos) << r.err;
  for (const char* shared : {"demo_style.css", "demo_js.js", "search-tolvane.htm"})
    EXPECT_TRUE(fs::exists(site / shared)) << shared;

  // Every page of the document has its file.
  CliRun info = Cli(std::string("info --json ") + TOLVANE_DEMO, dir);
  ASSERT_EQ(info.status, 0);
  const std::regex pageObject("\\{\"id\":\"(000000[0-9a-f]{2})\",\"kind\":0,[^}]*\"free\":false");
  int pages = 0;
  for (std::sregex_iterator it(info.out.begin(), info.out.end(), pageObject), end; it != end; ++it) {
    const std::string slot = (*it)[1].str().substr(2);
    ++pages;
    EXPECT_TRUE(fs::exists(site / ("demo_" + slot + ".htm")) || slot == "000002") << slot;
  }
  EXPECT_EQ(pages, 15);  // twelve pages, the header, the footer and the frames' menu

  // Every local href and src names a file the export wrote.
  const std::regex reference("(href|src|background)=\"([^\"]*)\"");
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(site)) {
    if (entry.path().extension() != ".htm") continue;
    const std::string html = Read(entry.path());
    for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end; ++it) {
      std::string target = (*it)[2].str();
      if (target.empty() || target[0] == '#' || target.rfind("javascript:", 0) == 0 || target.rfind("mailto:", 0) == 0 ||
          target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0)
        continue;
      target = target.substr(0, target.find_first_of("#?"));
      const fs::path file = target[0] == '/' ? site / target.substr(1) : entry.path().parent_path() / target;
      EXPECT_TRUE(fs::exists(file)) << entry.path().filename() << " -> " << (*it)[2].str();
      ++checked;
    }
  }
  EXPECT_GT(checked, 20);
}

TEST(Export, OptionsAndFailures) {
  testing::TempDir dir;
  CliRun html = Cli(std::string("export ") + TOLVANE_DEMO + " " + (dir / "a") + " --ext html --pages 3,4", dir);
  ASSERT_EQ(html.status, 0) << html.err;
  EXPECT_TRUE(fs::exists(dir.path() / "a" / "demo_000003.html"));
  EXPECT_TRUE(fs::exists(dir.path() / "a" / "demo_000004.html"));
  EXPECT_FALSE(fs::exists(dir.path() / "a" / "demo_000005.html"));
  CliRun ext = Cli(std::string("export ") + TOLVANE_DEMO + " " + (dir / "b") + " --ext doc", dir);
  EXPECT_EQ(ext.status, 2);
  EXPECT_NE(ext.err.find("unknown page extension"), std::string::npos);
  CliRun page = Cli(std::string("export ") + TOLVANE_DEMO + " " + (dir / "c") + " --pages 99", dir);
  EXPECT_EQ(page.status, 1);
  EXPECT_NE(page.err.find("no page 99"), std::string::npos);
  EXPECT_EQ(Cli("export " + (dir / "missing.yka") + " " + (dir / "d"), dir).status, 1);
}

}  // namespace
}  // namespace tolvane
