#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../model/test_support.h"
#include "common/hex_id.h"
#include "convert/export_file_list.h"
#include "convert/site_export.h"

namespace tolvane::testing {
namespace {

std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct SiteFixture {
  SiteFixture() {
    TYKAset& d = *doc.doc;
    d.SetExpPrefix("site");
    d.header().SetShort(hdr::kAuthors, 80, "");
    for (int i = 0; i < 3; ++i) pages.push_back(d.CreatePage());
    d.SetCoverPage(pages[0]->ObjectId());
    pages[0]->SetCaption("Accueil");
    pages[0]->SetContentText("<Z S0 >Bienvenue sur le site des voiles <$" +
                             HexDigits(static_cast<uint32_t>(pages[1]->ObjectId()), 8) + ">suite<%>" + '\0');
    pages[1]->SetCaption("Suite");
    pages[1]->SetContentText(std::string("<Z S0 >Caf\xE9 et th\xE9") + '\0');
    pages[1]->SetShortString(page_rec::kFileNameOverride, 41, "../suite.htm");
    pages[2]->SetCaption("Contact");
    pages[2]->SetContentText(std::string("<Z S0 >Ecrivez-nous") + '\0');
    TYKAoggetto* word = d.CreateObject(keyword);
    word->SetCaption("voile");
    pages[0]->SetI32(page_rec::kKeywords, word->ObjectId());
    options.domain = "ftp://www.example.org/";
  }
  std::vector<int32_t> Ids() const {
    std::vector<int32_t> ids;
    for (auto* p : pages) ids.push_back(p->ObjectId());
    return ids;
  }
  DocFixture doc;
  std::vector<TYKAtesto*> pages;
  HtmlExportOptions options = [] {
    HtmlExportOptions o;
    o.extension = 0;
    return o;
  }();
  std::string data = std::string(TOLVANE_SOURCE_DIR) + "/data";
};

TEST(SiteExport, WritesEveryFileInThreePhases) {
  SiteFixture f;
  TYKAtoHtml html(*f.doc.doc, f.options, f.data);
  const std::filesystem::path out = f.doc.dir.path() / "site";
  ASSERT_TRUE(html.SetExportPath(out.string()));
  std::vector<std::tuple<int, int, int>> progress;
  html.OnExpProgress = [&](int pag, int tot, int phase) { progress.emplace_back(pag, tot, phase); };
  EXPECT_TRUE(html.ExportPages(f.Ids()));
  EXPECT_EQ(progress, (std::vector<std::tuple<int, int, int>>{{0, 3, 1}, {1, 3, 1}, {2, 3, 1}}));
  const std::string p1 = "site_" + AnsiLowerCase(HexDigits(static_cast<uint32_t>(f.pages[1]->Slot()), 6)) + ".htm";
  for (const std::string& name : {std::string("index.htm"), p1, std::string("site_style.css"), std::string("site_js.js"),
                                  std::string("search-tolvane.htm"), std::string("voile.htm"), std::string("suite.htm")})
    EXPECT_TRUE(std::filesystem::exists(out / name)) << name;
  // The redirect of a page with a name of its own stays in the folder.
  EXPECT_NE(Read(out / "suite.htm").find("CONTENT=\"0;URL=" + p1 + "\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(f.doc.dir.path() / "suite.htm"));
  // Links between pages name the files written.
  EXPECT_NE(Read(out / "index.htm").find("href=\"" + p1 + "\""), std::string::npos);
  // The keyword page lists the pages that carry the keyword.
  EXPECT_NE(Read(out / "voile.htm").find("<li><a href=\"index.htm\">Accueil</a></li>"), std::string::npos);
  std::vector<std::string> files = html.WrittenFiles();
  std::sort(files.begin(), files.end());
  const std::string p2 = "site_" + AnsiLowerCase(HexDigits(static_cast<uint32_t>(f.pages[2]->Slot()), 6)) + ".htm";
  std::vector<std::string> expected = {"index.htm", p1, p2, "search-tolvane.htm", "site_index.htm", "site_js.js",
                                       "site_style.css", "suite.htm", "voile.htm"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);
}

// A name from the document's text keeps its accents on disk, spelt in UTF-8
// as the file system and browsers expect.
TEST(SiteExport, NamesFromTextAreUtf8OnDisk) {
  SiteFixture f;
  TYKAoggetto* word = f.doc.doc->CreateObject(keyword);
  word->SetCaption("\xE9t\xE9");
  f.pages[2]->SetI32(page_rec::kKeywords, word->ObjectId());
  TYKAtoHtml html(*f.doc.doc, f.options, f.data);
  const std::filesystem::path out = f.doc.dir.path() / "site";
  ASSERT_TRUE(html.SetExportPath(out.string()));
  ASSERT_TRUE(html.ExportPages(f.Ids()));
  EXPECT_TRUE(std::filesystem::exists(out / "\xC3\xA9t\xC3\xA9.htm"));
  EXPECT_FALSE(std::filesystem::exists(out / "\xE9t\xE9.htm"));
  EXPECT_EQ(html.LocalPath("\xE9t\xE9.htm"), (out / "\xC3\xA9t\xC3\xA9.htm").string());
  EXPECT_EQ(html.LocalPath("../x.htm"), (out / "x.htm").string());
  // The file list finds it by that name.
  TYKAListHtmlToTx list(html);
  list.Refill();
  bool found = false;
  for (const auto& r : list.Rows())
    if (r.file == "\xE9t\xE9.htm") found = !r.size.empty();
  EXPECT_TRUE(found);
}

TEST(SiteExport, StyleSheetRules) {
  SiteFixture f;
  TYKAoggetto* titled = f.doc.doc->CreateObject(stileParagrafo);
  titled->SetCaption("Titre */ principal");
  titled->SetU8(78, 3);        // bold and italic
  titled->SetI16(94, 38);      // line height 10 mm
  titled->SetU8(100, 10);      // bullets
  titled->SetU8(85, 8 | 1);    // links struck out, bold, not underlined
  TYKAtoHtml html(*f.doc.doc, f.options, f.data);
  const std::string css = html.StyleSheetText();
  const std::string n = std::to_string(titled->Slot());
  EXPECT_EQ(css.rfind("/* Kelmori Tolvane CSS */\n\n/* [pas de style] */\ndiv.s0 {\n", 0), 0u) << css;
  EXPECT_NE(css.find("/* Titre * / principal */\ndiv.s" + n + " {\n\tfont-family:\"Arial\";\n\tfont-size:10pt;\n"
                     "\tcolor:#000000;\n\tfont-style:italic;\n\tfont-weight:bold;\n\tline-height:10mm;\n"
                     "\tmargin-left:3mm;\n\tmargin-right:3mm;\n\tmargin-top:0mm;\n\tmargin-bottom:0mm;\n"
                     "\ttext-indent:0mm;\n\ttext-align:left;\n\tlist-style-type:disc;\t}\n"
                     "a.s" + n + " {\n\tcolor:#0000FF;\n\tfont-weight:bold;\n\ttext-decoration:none;\n\t}\n"),
            std::string::npos)
      << css;
  EXPECT_EQ(css.find("div.s0 {\n\tfont-family:\"Arial\";\n\tfont-size:10pt;\n\tcolor:#000000;\n\tline-height"),
            std::string::npos);  // no line height set: no rule
}

TEST(SiteExport, ScriptFileAndSearchPage) {
  SiteFixture f;
  TYKAset& d = *f.doc.doc;
  d.WriteDocProperty("cartemail", "mailto:shop@example.org");
  d.WriteDocProperty("cartfax", "0123");
  d.WriteDocProperty("cartCustom", "Taille\nCouleur d'ici");
  d.WriteDocProperty("cartRemark", "Livraison l&#180;apr\xE8s-midi, 5$ & plus");
  TYKAtoHtml html(d, f.options, f.data);
  const std::string js = html.ScriptFileText();
  EXPECT_EQ(js.rfind("var sendto='mailto:shop@example.org';\nvar faxto=';0123';\nvar colpari='#80F0FF';\n"
                     "var coldisp='#80E0FF';\nvar ismail=true;\nvar rmk='Livraison l&#180;apr\xE8s-midi, 5$ & plus';\n",
                     0),
            0u)
      << js.substr(0, 200);
  for (const char* fn : {"function TolvaneF_open(", "function TolvaneF_openB(", "function TolvaneF_close(",
                         "function TolvaneF_over(", "function MyAddAndShowCart("})
    EXPECT_NE(js.find(fn), std::string::npos) << fn;
  EXPECT_NE(js.find("    write(\"Taille <input name=idcustom_Taille ><br>\")\n"
                    "    write(\"Couleur d\\'ici <input name=idcustom_Couleur_d_ici ><br>\")\n"),
            std::string::npos);

  struct HostCase {
    const char* domain;
    const char* host;
  } hosts[] = {{"ftp://www.example.org/", "www.example.org"}, {"http://example.org/", "example.org"},
               {"example.org", "localhost"}};
  for (const auto& h : hosts) {
    HtmlExportOptions o = f.options;
    o.domain = h.domain;
    TYKAtoHtml exporter(d, o, f.data);
    const std::string page = exporter.SearchPageText({f.pages[0], f.pages[1]});
    EXPECT_NE(page.find(std::string("<title>Rechercher - ") + h.host + "</title>"), std::string::npos) << h.domain;
    EXPECT_NE(page.find("<link href=\"site_style.css\""), std::string::npos);
    // The words of the pages, written into the page: accents as escapes.
    EXPECT_NE(page.find("{f:\"index.htm\",t:\"Accueil\",w:\"accueil bienvenue des le site suite sur voiles\"}"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("caf\\u00e9"), std::string::npos);
  }
}


TEST(SiteExport, FileListRowsVersionsAndChecks) {
  SiteFixture f;
  TYKAset& d = *f.doc.doc;
  TYKAtoHtml html(d, f.options, f.data);
  ASSERT_TRUE(html.SetExportPath((f.doc.dir.path() / "site").string()));
  ASSERT_TRUE(html.ExportPages(f.Ids()));
  f.pages[2]->SetGeneration(50);
  TYKAListHtmlToTx list(html);
  int reloads = 0;
  list.OnReload = [&] { ++reloads; };
  list.Refill();
  EXPECT_EQ(reloads, 1);
  std::vector<std::string> titles;
  for (const auto& r : list.Rows()) titles.push_back(r.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Accueil", "Contact", "Panier  / Scripts", "Rechercher", "Styles du texte",
                                              "Suite", "voile"}));
  const FileListRow& home = list.Rows()[0];
  EXPECT_EQ(home.file, "index.htm");
  EXPECT_EQ(home.type, "Page");
  EXPECT_FALSE(home.size.empty());  // the file exists
  EXPECT_EQ(list.FileNames(home), std::vector<std::string>{"index.htm"});
  const FileListRow& keywordRow = list.Rows()[6];
  EXPECT_EQ(keywordRow.file, "voile.htm");
  EXPECT_EQ(keywordRow.version, f.pages[0]->GetGeneration());

  list.SortByColumn(6);
  EXPECT_EQ(list.Rows().back().title, "Contact");  // the newest version last
  list.CheckByVersion(50);
  int checked = 0;
  for (const auto& r : list.Rows()) checked += r.checked;
  EXPECT_EQ(checked, 6);
  list.MarkChanged(50);
  EXPECT_EQ(f.pages[2]->GetGeneration(), 51);
  EXPECT_LT(f.pages[0]->GetGeneration(), 50);
  list.listType = TNyListType::ltOneFile;
  list.Refill();
  EXPECT_EQ(list.Rows().size(), 3u);  // pages only, without files
  EXPECT_TRUE(list.Rows()[0].file.empty());
}

}  // namespace
}  // namespace tolvane::testing
