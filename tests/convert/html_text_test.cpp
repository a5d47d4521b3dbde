#include <gtest/gtest.h>

#include "../model/test_support.h"
#include "common/hex_id.h"
#include "convert/html_filters.h"
#include "convert/html_text.h"
#include "richtext/style_values.h"

namespace tolvane::testing {
namespace {

struct TextFixture {
  TextFixture() {
    TYKAset& d = *doc.doc;
    // Styles 2 and 3: plain, left-aligned, not lists.
    d.CreateObject(stileParagrafo);
    d.CreateObject(stileParagrafo);
    for (int i = 0; i < 6; ++i) pages.push_back(d.CreatePage());
  }
  std::string Write(std::string_view markup) {
    FileNaming naming(*doc.doc, options, "site");
    HtmlTextWriter writer(*doc.doc, options, naming, context);
    std::string out;
    writer.WriteText(markup, out);
    return out;
  }
  DocFixture doc;
  HtmlExportOptions options = [] {
    HtmlExportOptions o;
    o.extension = 0;
    return o;
  }();
  HtmlExportContext context;
  std::vector<TYKAtesto*> pages;
};

TEST(HtmlText, ParagraphsFormatsAndCharacters) {
  struct Case {
    const char* what;
    std::string markup, html;
  } cases[] = {
      {"a free-object paragraph writes nothing", "<Z S0 f0 >", ""},
      {"a paragraph of style 2", "<Z S2 >", "<div class=\"s2\">\n&#160;</div>\r\n"},
      {"two paragraphs", "<Z S0 >a<Z S0 >b", "<div class=\"s0\">\na&#160;</div>\r\n<div class=\"s0\">\nb&#160;</div>\r\n"},
      {"a bold run: no font tag", "<Z S0 >a<Y y1 >b<Y >c", "<div class=\"s0\">\na<b>b</b>c&#160;</div>\r\n"},
      {"italic inside bold", "<Z S0 ><Y y1 >a<Y y3 >b", "<div class=\"s0\">\n<b>a<i>b&#160;</i></b></div>\r\n"},
      {"sub and superscript", "<Z S0 ><Y p1 >a<Y p2 >b<Y >c",
       "<div class=\"s0\">\n<sub>a</sub><sup>b</sup>c&#160;</div>\r\n"},
      {"colour and size as a styled font tag", "<Z S0 >a<Y c0000FF s14 >b<Y >c",
       "<div class=\"s0\">\na<font style=\"color:#0000FF;font-size:14pt;\">b</font>c&#160;</div>\r\n"},
      {"paragraph values as styles", "<Z S0 A2 N10 M1 l38 t19 >x",
       "<div align=\"center\" class=\"s0\" style=\"text-align: center;list-style-type:disc;margin-left: 10mm;"
       "margin-top: 5mm;\">\n<li>x&#160;</li></div>\r\n"},
      {"numbered paragraphs count", "<Z S0 N6 >a<Z S0 N6 >b",
       "<div class=\"s0\" style=\"list-style-type:decimal;\">\n<!lisnum>1. <!/lisnum>a&#160;</div>\r\n"
       "<div class=\"s0\" style=\"list-style-type:decimal;\">\n<!lisnum>2. <!/lisnum>b&#160;</div>\r\n"},
      {"entities kept, tags skipped, runs of blanks", "<Z S0 >a&#38;b<c>   d&amp;&eacute;",
       "<div class=\"s0\">\na&#38;b \xA0\xA0" "d&amp;&eacute;&#160;</div>\r\n"},
      {"skipped blocks and unknown tags", "<Z S0 >a<D>hidden<d>b<Q x>c", "<div class=\"s0\">\nabc&#160;</div>\r\n"},
      {"control bytes end a run of blanks", "<Z S0 >a \r\n b", "<div class=\"s0\">\na  b&#160;</div>\r\n"},
      {"a change before a paragraph tag stays pending", "<Z S0 >a<Y y1 ><Z S0 >x",
       "<div class=\"s0\">\na&#160;</div>\r\n<div class=\"s0\">\n<b>x&#160;</b></div>\r\n"},
      {"tags closed at once", "<Z>a<Y>b", "<div class=\"s0\">\nab&#160;</div>\r\n"},
  };
  for (const auto& c : cases) {
    TextFixture f;
    EXPECT_EQ(f.Write(c.markup), c.html) << c.what;
  }
}

TEST(HtmlText, CharacterSetAndEntities) {
  TextFixture f;
  f.doc.doc->SetCharSet("");
  EXPECT_EQ(f.Write("<Z S0 >\xE9\xAF\xA0"), "<div class=\"s0\">\n&eacute;&macr;&nbsp;&#160;</div>\r\n");
  f.doc.doc->SetCharSet("iso-8859-1");
  EXPECT_EQ(f.Write("<Z S0 >\xE9"), "<div class=\"s0\">\n\xE9&#160;</div>\r\n");
  EXPECT_STREQ(EntityName(175), "macr");
  EXPECT_STREQ(EntityName(255), "yuml");
}

TEST(HtmlText, OldBrowserFontAttributes) {
  TextFixture f;
  f.options.oldBrowsers = true;
  // The paragraph's own 10 points already differ from the 12 old browsers take.
  EXPECT_EQ(f.Write("<Z S0 >a<Y s40 >b"),
            "<div class=\"s0\">\n<font size=\"-1\">a</font><font style=\"font-size:40pt;\" size=\"+4\">b&#160;"
            "</font></div>\r\n");
  HtmlFont base, font;
  font.size = 9;
  font.face = "Verdana";
  font.colour = 0x0000FF;
  EXPECT_EQ(FontTagFor(font, base, true),
            "<font style=\"color:#FF0000;font-family:'Verdana';font-size:9pt;\" size=\"-1\" color=\"#FF0000\" "
            "face=\"Verdana\">");
  font = base;
  font.style = 4;
  base.style = 1;
  EXPECT_EQ(FontTagFor(font, base, false), "<font style=\"font-weight:normal;text-decoration:underline;\">");
}

TEST(HtmlText, LinksToPagesAndWindows) {
  TextFixture f;
  TYKAset& d = *f.doc.doc;
  // The worked example: a link to page 5 from style 2.
  EXPECT_EQ(f.Write("<Z S2 >Hello <$00000005>next<%>"),
            "<div class=\"s2\">\nHello <a class=\"s2\" href=\"site_000005.htm\">next</a>&#160;</div>\r\n");
  TYKAoggetto* popup = d.CreateObject(speclink);
  popup->SetState(1);
  popup->SetI32(speclink_rec::kTarget, f.pages[3]->ObjectId());
  popup->SetI32(speclink_rec::kAnchor, -1);
  popup->SetU8(speclink_rec::kWindowMode, 4);
  popup->SetShortString(speclink_rec::kFrameName, 20, "fen\"etre");
  f.context.pageIndex = 2;
  const std::string link = "<$" + HexDigits(static_cast<uint32_t>(popup->ObjectId()), 8) + ">";
  EXPECT_EQ(f.Write("<Z S0 >" + link + "x<%>"),
            "<div class=\"s0\">\n<a class=\"s0\" href=\"javascript:TolvaneF_open('site_000003.htm','fen\x94"
            "etre','','Pag2');\">x</a>&#160;</div>\r\n");
  EXPECT_TRUE(f.context.scripts & script_need::kOpen);
  // For the page within its frames, the frame-content version is meant.
  popup->SetU8(speclink_rec::kScope, 0);
  std::vector<const TYKAoggetto*> secondary;
  f.context.secondaryPages = &secondary;
  EXPECT_NE(f.Write("<Z S0 >" + link + "x<%>").find("TolvaneF_open('site-000003.htm'"), std::string::npos);
  EXPECT_EQ(secondary, std::vector<const TYKAoggetto*>{f.pages[3]});
  // A cart link without its article text: the currency stays "$".
  TYKAoggetto* cart = d.CreateObject(speclink);
  cart->SetState(7);
  EXPECT_NE(f.Write("<Z S0 ><$" + HexDigits(static_cast<uint32_t>(cart->ObjectId()), 8) + ">c<%>")
                .find("MyAddAndShowCart('auto" + std::to_string(cart->Slot()) + "','0','$','',colpari,coldisp)"),
            std::string::npos);
  // An address link; a link to a target that does not exist writes no link.
  TYKAoggetto* web = d.CreateObject(internetLink);
  web->SetCaption("https://example.org/?a=1&b=2");
  EXPECT_EQ(f.Write("<Z S0 ><$" + HexDigits(static_cast<uint32_t>(web->ObjectId()), 8) + ">w<%><$000000ff>v<%>"),
            "<div class=\"s0\">\n<a class=\"s0\" href=\"https://example.org/?a=1&#38;b=2\">w</a>v&#160;</div>\r\n");
}

TEST(HtmlText, TextFilters) {
  EXPECT_EQ(AttributeSafe("a\"b'c<d>e#f$g%h&i\x01j"), "a\x94" "b\x92" "c d e f g h i j");
  EXPECT_EQ(FileNameSafe("ma page?<x>=1.htm"), "ma_page__x__1.htm");
  EXPECT_EQ(HtmlText("<b title=\"x\">A & B's</b>"), "&lt;b title=&quot;x&quot;&gt;A &#38; B&#39;s&lt;/b&gt;");
}

}  // namespace
}  // namespace tolvane::testing
