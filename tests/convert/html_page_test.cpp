#include <gtest/gtest.h>

#include "../model/test_support.h"
#include "common/hex_id.h"
#include "convert/html_frameset.h"
#include "convert/html_page.h"
#include "model/frame_map.h"

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
  f.home->SetCaption("{brouillon");
  EXPECT_NE(f.Write(*f.home).find("<title>{brouillon\n</title>"), std::string::npos);  // no "}": kept whole
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
  d.WriteDocProperty("index", "");  // the cover then goes under the same name: no redirect over it
  EXPECT_EQ(writer.RedirectFileName(*f.pages[0]), "");
  d.WriteDocProperty("index", "index.htm");
  f.home->SetShortString(page_rec::kFileNameOverride, 41, "accueil.htm");
  EXPECT_EQ(writer.RedirectFileName(*f.home), "accueil.htm");
  const std::string redirect = writer.WriteRedirectPage(*f.home);
  EXPECT_NE(redirect.find("<META HTTP-EQUIV=\"refresh\" CONTENT=\"0;URL=site_000003.htm\">"), std::string::npos);
  EXPECT_NE(redirect.find("<A HREF=\"site_000003.htm\">Chargement en cours...</A>"), std::string::npos);
  EXPECT_NE(redirect.find(" TEXT=#000000 LINK=#0000FF VLINK=#800080 BGCOLOR=#FFFFFF>"), std::string::npos);
}


TEST(HtmlPage, FrameSets) {
  PageFixture f;
  TYKAset& d = *f.doc.doc;
  TNonVisCornice root;
  root.record.id = 1;
  root.record.splitKind = 0;  // its frames side by side
  for (auto [id, kind, size, page] : {std::tuple{2, 0, 30, 1}, std::tuple{3, 1, 100, 2}, std::tuple{4, 2, 0, 3}}) {
    auto c = std::make_unique<TNonVisCornice>();
    c->record.id = id;
    c->record.parent = 1;
    c->record.name = "f" + std::to_string(id);
    c->record.sizeKind = static_cast<uint8_t>(kind);
    c->record.percent = static_cast<int16_t>(size);
    c->record.pixels = static_cast<int16_t>(size);
    c->record.page = f.pages[static_cast<size_t>(page)]->ObjectId();
    c->record.resizable = id == 2;
    c->record.frameBorder = id != 3;
    root.children.push_back(std::move(c));
  }
  std::string out;
  FileNaming naming(d, f.options, "site");
  HtmlExportContext context;
  std::vector<const TYKAoggetto*> secondary;
  context.secondaryPages = &secondary;
  WriteFrameset(root, out, d, naming, context);
  EXPECT_EQ(out,
            "<FRAMESET COLS=30%,100,* BORDER=3 FRAMESPACING=3 >\r\n"
            "<FRAME NAME=\"f2\" SRC=\"site-000001.htm\" SCROLLING=auto >\r\n"
            "<FRAME NAME=\"f3\" SRC=\"site-000002.htm\" SCROLLING=auto FRAMEBORDER=no NORESIZE>\r\n"
            "<FRAME NAME=\"f4\" SRC=\"site-000003.htm\" SCROLLING=auto NORESIZE>\r\n"
            "</FRAMESET>\r\n");
  EXPECT_EQ(secondary.size(), 3u);
  // One frame alone is one FRAME line.
  TNonVisCornice single;
  single.record.name = "seul";
  single.record.page = f.pages[4]->ObjectId();
  out.clear();
  WriteFrameset(single, out, d, naming, context);
  EXPECT_EQ(out, "<FRAME NAME=\"seul\" SRC=\"site-000004.htm\" SCROLLING=auto NORESIZE>\r\n");

  // A page with a frame map: the frameset, then its own text for browsers without frames.
  TYKAoggetto* map = d.CreateObject(mappaFrame);
  Bytes records;
  root.WriteRecords(records);
  map->SetContent(records);
  map->SetI32(frame_map_rec::kRecordSize, 58);
  f.home->SetI32(page_rec::kFrameSet, map->Slot());
  f.home->SetContentText(std::string("<Z S0 >sans cadres") + '\0');
  const std::string html = f.Write(*f.home);
  EXPECT_NE(html.find("<script src=\"site_js.js\"></script>\n"), std::string::npos);
  EXPECT_NE(html.find("</head>\n<FRAMESET COLS=30%,100,*"), std::string::npos) << html;
  EXPECT_NE(html.find("</FRAMESET>\r\n\n<noframes>\r\n<body"), std::string::npos);
  EXPECT_NE(html.find("sans cadres&#160;</div>\r\n</noframes>\n</body></html>\r\n"), std::string::npos);
  EXPECT_EQ(f.secondary.size(), 3u);
}

}  // namespace
}  // namespace tolvane::testing
