#include <gtest/gtest.h>

#include "../model/test_support.h"
#include "common/hex_id.h"
#include "convert/html_page.h"

namespace tolvane::testing {
namespace {

struct PageFixture {
  PageFixture() {
    TYKAset& d = *doc.doc;
    d.header().SetShort(hdr::kAuthors, 80, "");
    d.CreateObject(stileParagrafo);  // styles 2 and 3: plain
    d.CreateObject(stileParagrafo);
    for (int i = 0; i < 6; ++i) pages.push_back(d.CreatePage());
    home = pages[3];
    home->SetCaption("Home");
    home->SetI32(page_rec::kBackgroundColour, 0xFFFFFF);
    home->SetI32(page_rec::kLinkColour, 0xFF0000);
    home->SetI32(page_rec::kFollowedColour, 0x800080);
    d.SetCoverPage(pages[0]->ObjectId());
    options.extension = 0;
  }
  std::string Write(const TYKAtesto& page, int mode = 0) {
    FileNaming naming(*doc.doc, options, "site");
    HtmlPageWriter writer(*doc.doc, options, naming);
    HtmlExportContext context;
    context.writerMode = mode;
    context.resources = &resources;
    context.secondaryPages = &secondary;
    return writer.WritePage(page, context);
  }
  DocFixture doc;
  HtmlExportOptions options;
  std::vector<TYKAtesto*> pages;
  TYKAtesto* home = nullptr;
  std::vector<const TYKAoggetto*> resources, secondary;
};

TEST(HtmlPage, TheWorkedExampleWithoutItsObjects) {
  PageFixture f;
  f.home->SetContentText(std::string("<Z S2 >Hello <$00000005>next<%>") + '\0');
  EXPECT_EQ(f.Write(*f.home),
            "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html><head>\n"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"/>\n"
            "<title>Home\n</title>\n<meta name=\"title\" content=\"Home\"/>\n"
            "\n<!-- pagTolvane=\"3;\" -->\n<!-- ver3.0 -->\n"
            "<meta name=\"generator\" content=\"Kelmori Tolvane\"/>\r\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\"/>\n"
            "<link href=\"site_style.css\" rel=\"stylesheet\" type=\"text/css\"/>\n"
            "<base target=\"_top\"/>\n</head>\n"
            "<body w3c=\"https://validator.w3.org/\" text=\"#000000\" link=\"#0000FF\" vlink=\"#800080\" "
            "bgcolor=\"#FFFFFF\">\n<base target=\"_top\"/>\n"
            "<div class=\"s2\">\nHello <a class=\"s2\" href=\"site_000005.htm\">next</a>&#160;</div>\r\n"
            "\n</body></html>\r\n");
}

TEST(HtmlPage, HeadBodyAndScripts) {
  PageFixture f;
  TYKAset& d = *f.doc.doc;
  f.home->SetCaption("{cat}Le <b>titre</b>");
  TYKAoggetto* word = d.CreateObject(keyword);
  word->SetCaption("voile");
  f.home->SetI32(page_rec::kKeywords, word->ObjectId());
  f.home->SetI32(page_rec::kNextScene, f.pages[4]->ObjectId());
  f.home->SetU16(page_export_rec::kNextSceneDelay, 7);
  d.SetYKAFileName("");
  TYKAoggetto* close = d.CreateObject(speclink);
  close->SetState(2);
  close->SetShortString(speclink_rec::kFrameName, 20, "aide");
  f.home->SetContentText("<Z S0 ><$" + HexDigits(static_cast<uint32_t>(close->ObjectId()), 8) + ">x<%>" + '\0');
  // A header page and the document's footer page around the text.
  f.pages[1]->SetContentText(std::string("<Z S0 >haut") + '\0');
  f.pages[2]->SetContentText(std::string("<Z S0 >bas") + '\0');
  f.home->SetI32(page_rec::kHeaderPage, f.pages[1]->ObjectId());
  d.header().SetI32(hdr::kFooterPage, f.pages[2]->ObjectId());
  d.SetGlobalMargin(4);
  const std::string html = f.Write(*f.home);
  for (const char* part : {
           "<title>Le &lt;b&gt;titre&lt;/b&gt;\n</title>\n",  // the braced part dropped, the rest escaped
           "<meta name=\"keywords\" content=\"voile,\"/>\n",
           "<meta http-equiv=\"refresh\" content=\"7;URL=site_000004.htm\"/>\n",
           "<script language=\"javascript\">\n<!--//\n\r\nfunction TolvaneF_close(finName)",
           " marginheight=4 marginwidth=4 topmargin=4 leftmargin=4 rightmargin=4 bottommargin=4",
           "<div class=\"s0\">\nhaut&#160;</div>\r\n<div class=\"s0\">\n<a class=\"s0\" "
           "href=\"javascript:TolvaneF_close('aide');\">x</a>&#160;</div>\r\n<div class=\"s0\">\nbas&#160;</div>\r\n",
       })
    EXPECT_NE(html.find(part), std::string::npos) << part << "\n---\n" << html;
  // The body tag comes once, before the header's text.
  EXPECT_EQ(html.find("<body"), html.rfind("<body"));
  EXPECT_LT(html.find("<body"), html.find("haut"));
}

TEST(HtmlPage, CommentNamesTheFileOnlyAndRedirects) {
  PageFixture f;
  TYKAset& d = *f.doc.doc;
  ASSERT_TRUE(d.Save((f.doc.dir / "mon--site.yka")));
  f.home->SetContentText(std::string("<Z S0 >x") + '\0');
  const std::string html = f.Write(*f.home);
  EXPECT_NE(html.find("<!-- pagTolvane=\"3;mon_-site.yka\" -->"), std::string::npos) << html;
  EXPECT_EQ(html.find(f.doc.dir.path().string()), std::string::npos);  // no local folders

  FileNaming naming(d, f.options, "site");
  HtmlPageWriter writer(d, f.options, naming);
  EXPECT_EQ(writer.RedirectFileName(*f.home), "");
  EXPECT_EQ(writer.RedirectFileName(*f.pages[0]), "site_index.htm");  // the cover
  f.home->SetShortString(page_rec::kFileNameOverride, 41, "accueil.htm");
  EXPECT_EQ(writer.RedirectFileName(*f.home), "accueil.htm");
  const std::string redirect = writer.WriteRedirectPage(*f.home);
  EXPECT_NE(redirect.find("<META HTTP-EQUIV=\"refresh\" CONTENT=\"0;URL=site_000003.htm\">"), std::string::npos);
  EXPECT_NE(redirect.find("<A HREF=\"site_000003.htm\">Chargement en cours...</A>"), std::string::npos);
  EXPECT_NE(redirect.find(" TEXT=#000000 LINK=#0000FF VLINK=#800080 BGCOLOR=#FFFFFF>"), std::string::npos);
}

}  // namespace
}  // namespace tolvane::testing
