#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../model/test_support.h"
#include "common/hex_id.h"
#include "convert/html_filters.h"
#include "convert/html_objects.h"
#include "convert/html_page.h"
#include "convert/html_references.h"
#include "model/form_records.h"
#include "model/links.h"
#include "model/media_records.h"
#include "model/picture_records.h"
#include "model/short_records.h"
#include "model/table_records.h"

namespace tolvane::testing {
namespace {

std::string Tag(const TYKAoggetto* o) { return "<$" + HexDigits(static_cast<uint32_t>(o->ObjectId()), 8) + ">"; }
std::string Hex8(int32_t id) { return HexDigits(static_cast<uint32_t>(id), 8); }

void SetExtra(TYKAoggetto* o, std::string_view text) {
  Bytes a(4, 0);
  a.insert(a.end(), text.begin(), text.end());
  o->SetAttributes(std::move(a));
}

size_t Count(std::string_view text, std::string_view part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string_view::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

// Styles 2 and 3 (plain), pages 0..5, pictures 0..7 ('photo.jpg' at 7), and
// the body of page 3 being written.
struct ObjectFixture {
  ObjectFixture() {
    d.CreateObject(stileParagrafo);
    d.CreateObject(stileParagrafo);
    for (int i = 0; i < 6; ++i) pages.push_back(d.CreatePage());
    for (int i = 0; i < 8; ++i) {
      TYKAoggetto* p = d.CreateObject(immagine);
      p->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "pic" + std::to_string(i) + ".gif");
      p->SetCaption("Image " + std::to_string(i));
      pictures.push_back(p);
    }
    pictures[7]->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "photo.jpg");
    options.extension = 0;
    context.resources = &resources;
    context.secondaryPages = &secondary;
    context.page = pages[3];
    context.pageIndex = 3;
  }
  // The body of `markup`: text, objects and what the end of the body closes.
  std::string Write(std::string_view markup) {
    FileNaming naming(d, options, "site");
    HtmlTextWriter text(d, options, naming, context);
    HtmlObjectWriter objects(text);
    std::string out;
    text.WriteText(markup, out, &objects);
    objects.EndOfBody(out);
    forms = objects.FormCount();
    return out;
  }
  TYKAoggetto* Placed(int picture, int16_t width, int16_t height, std::string_view alt = "", uint8_t alignment = 5) {
    TYKAoggetto* o = d.CreateObject(immagineNew);
    PlacedPictureRecord r(*o);
    r.SetPictureSlot(picture);
    r.SetBorder(0);
    r.SetAlignment(alignment);
    r.SetAltText(alt);
    r.SetDisplaySize(width, height);
    return o;
  }
  TYKAoggetto* Table(uint8_t rows, uint8_t columns) {
    TYKAoggetto* o = d.CreateObject(tabellaHtml);
    TableRecord t(*o);
    t.SetSize(rows, columns);
    t.SetPercentWidth(100);
    t.SetBorder(1);
    t.SetPadding(2);
    t.SetSpacing(0);
    t.SetBackground(kNoBackground);
    t.SetVerticalAlignment(0);
    for (int c = 0; c < columns; ++c) t.SetColumn(c, ColumnWidthKind::Free, 0);
    return o;
  }
  TYKAoggetto* Field(FormFieldType type, std::string_view name, std::string_view value = "") {
    TYKAoggetto* o = d.CreateObject(inputStat);
    FormFieldRecord f(*o);
    f.SetType(type);
    f.SetName(name);
    f.SetValue(value);
    f.SetShowsInitialValue(true);
    f.SetCheckedByDefault(false);
    f.SetMultipleSelection(false);
    return o;
  }
  TYKAoggetto* Button(ButtonAction action, std::string_view name, std::string_view caption, int32_t picture = -1,
                      int32_t page = -1) {
    TYKAoggetto* o = d.CreateObject(bottoneCGI);
    FormButtonRecord b(*o);
    b.SetAction(action);
    b.SetName(name);
    b.SetCaption(caption);
    b.SetPictureId(picture);
    b.SetPageId(page);
    b.SetDisplaySize(80, 20);
    return o;
  }
  TYKAoggetto* FormStart(FormMethod method, std::string_view action) {
    TYKAoggetto* o = d.CreateObject(inizioForm);
    FormStartRecord f(*o);
    f.SetMethod(method);
    f.SetAction(action);
    f.SetWritesEncoding(false);
    return o;
  }
  TYKAoggetto* Short(ShortObjectKind kind, int32_t value = 0) {
    TYKAoggetto* o = d.CreateObject(shortObj);
    ShortObjectRecord s(*o);
    s.SetSubKind(kind);
    s.SetValue(value);
    return o;
  }
  TYKAoggetto* FileLink(std::string_view name) {
    TYKAoggetto* o = d.CreateObject(genLink);
    o->SetShortString(link_rec::kCaption, link_rec::kFileNameSize, name);
    return o;
  }
  TYKAoggetto* Media(MediaKind kind, int32_t file, int16_t width = 320, int16_t height = 240) {
    TYKAoggetto* o = d.CreateObject(multiMedia);
    MultimediaRecord m(*o);
    m.SetKind(kind);
    m.SetMediaFileId(file);
    m.SetAlternativePictureId(-1);
    m.SetPlaysInLoop(false);
    m.SetLoopCount(1);
    m.SetWidth(width);
    m.SetHeight(height);
    m.SetSizeInPercent(false);
    return o;
  }
  TYKAoggetto* SpecialLink(uint8_t state, uint8_t windowMode = 0, int32_t target = -1, std::string_view name = "w") {
    TYKAoggetto* o = d.CreateObject(speclink);
    o->SetState(state);
    o->SetU8(speclink_rec::kWindowMode, windowMode);
    o->SetI32(speclink_rec::kTarget, target);
    o->SetI32(speclink_rec::kAnchor, -1);
    o->SetU8(speclink_rec::kScope, 1);
    o->SetShortString(speclink_rec::kFrameName, 20, name);
    return o;
  }
  bool HasResource(const TYKAoggetto* o) const {
    return std::find(resources.begin(), resources.end(), o) != resources.end();
  }

  DocFixture doc;
  TYKAset& d = *doc.doc;
  HtmlExportOptions options;
  HtmlExportContext context;
  std::vector<const TYKAoggetto*> resources, secondary;
  std::vector<TYKAtesto*> pages;
  std::vector<TYKAoggetto*> pictures;
  int forms = 0;
};

TEST(HtmlObjects, TheWorkedExample) {
  ObjectFixture f;
  TYKAoggetto* placed = f.Placed(7, 120, 80, "Photo");
  TYKAoggetto* table = f.Table(1, 2);
  ASSERT_EQ(placed->ObjectId(), 0x10000000);
  ASSERT_EQ(table->ObjectId(), 0x08000000);
  EXPECT_EQ(f.Write("<Z S2 >Hello <$00000005>next<%><Z S2 ><$10000000><Z S2 ><$08000000><Z S3 >a<T><Z S3 >b<T>"),
            "<div class=\"s2\">\nHello <a class=\"s2\" href=\"site_000005.htm\">next</a>&#160;</div>\r\n"
            "<div class=\"s2\">\n<img src=\"site_i000007.jpg\" border=\"0\" align=\"bottom\" alt=\"Photo\" width=\"120\" "
            "height=\"80\" />&#160;</div>\r\n"
            "<div class=\"s2\">\n<table width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>\n"
            "<td valign=\"top\">\n"
            "<div class=\"s3\">\na</div>\r\n</td>\n<td valign=\"top\">\n"
            "<div class=\"s3\">\nb\n</div>\r\n</td></tr></table></div>\r\n");
  EXPECT_TRUE(f.HasResource(f.pictures[7]));
  EXPECT_EQ(f.context.scripts, 0);
}

// The same page through the page writer, which hands its objects to this writer.
TEST(HtmlObjects, TheWorkedExampleInItsPage) {
  ObjectFixture f;
  f.Placed(7, 120, 80, "Photo");
  f.Table(1, 2);
  f.pages[3]->SetContentText(
      std::string("<Z S2 >Hello <$00000005>next<%><Z S2 ><$10000000><Z S2 ><$08000000><Z S3 >a<T><Z S3 >b<T>") + '\0');
  FileNaming naming(f.d, f.options, "site");
  HtmlPageWriter writer(f.d, f.options, naming,
                        [](HtmlTextWriter& text) { return std::make_unique<HtmlObjectWriter>(text); });
  const std::string html = writer.WritePage(*f.pages[3], f.context);
  const std::string tail =
      "<div class=\"s2\">\n<img src=\"site_i000007.jpg\" border=\"0\" align=\"bottom\" alt=\"Photo\" width=\"120\" "
      "height=\"80\" />&#160;</div>\r\n"
      "<div class=\"s2\">\n<table width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>\n"
      "<td valign=\"top\">\n"
      "<div class=\"s3\">\na</div>\r\n</td>\n<td valign=\"top\">\n"
      "<div class=\"s3\">\nb\n</div>\r\n</td></tr></table></div>\r\n"
      "\n</body></html>\r\n";
  ASSERT_GE(html.size(), tail.size());
  EXPECT_EQ(html.substr(html.size() - tail.size()), tail);
}

TEST(HtmlObjects, PlacedPictures) {
  struct Case {
    const char* what;
    std::function<void(ObjectFixture&, PlacedPictureRecord&)> setUp;
    std::string img;
  } cases[] = {
      {"inline, with its alignment names", [](ObjectFixture&, PlacedPictureRecord& r) { r.SetAlignment(3); },
       "<img src=\"site_i000001.gif\" border=\"0\" align=\"top\" width=\"40\" height=\"30\" />"},
      {"placed freely: left in pixels, top in percent",
       [](ObjectFixture&, PlacedPictureRecord& r) {
         r.SetAlignment(kFreePictureAlignment);
         r.SetPosition(10, false, 20, true);
       },
       "<img src=\"site_i000001.gif\" border=\"0\" style=\"position:absolute;left:10px;top:20%;\" width=\"40\" "
       "height=\"30\" />"},
      {"a stored border of 255 is none", [](ObjectFixture&, PlacedPictureRecord& r) { r.SetBorder(255); },
       "<img src=\"site_i000001.gif\" border=\"0\" align=\"bottom\" width=\"40\" height=\"30\" />"},
      {"an unknown alignment gives none", [](ObjectFixture&, PlacedPictureRecord& r) { r.SetAlignment(77); },
       "<img src=\"site_i000001.gif\" border=\"0\" width=\"40\" height=\"30\" />"},
      {"ebook pages: no border nor alignment, an alt text always",
       [](ObjectFixture& f, PlacedPictureRecord&) { f.context.writerMode = 3; },
       "<img src=\"site_i000001.gif\" alt=\"unspecified\" width=\"40\" height=\"30\" />"},
      {"an alt text cannot leave its attribute",
       [](ObjectFixture&, PlacedPictureRecord& r) { r.SetAltText("a\"><script>"); },
       "<img src=\"site_i000001.gif\" border=\"0\" align=\"bottom\" alt=\"a\x94  script \" width=\"40\" "
       "height=\"30\" />"},
      {"a low-resolution picture, and one that is gone",
       [](ObjectFixture&, PlacedPictureRecord& r) { r.SetLowResolutionSlot(2); },
       "<img src=\"site_i000001.gif\" border=\"0\" align=\"bottom\" lowsrc=\"site_i000002.gif\" width=\"40\" "
       "height=\"30\" />"},
      {"dangling pictures are skipped, the rest is written",
       [](ObjectFixture&, PlacedPictureRecord& r) {
         r.SetPictureSlot(99);
         r.SetLowResolutionSlot(0x7FFFFFFF);
       },
       "<img src=\"\" border=\"0\" align=\"bottom\" width=\"40\" height=\"30\" />"},
      {"extra attributes go out as written, markers expanded",
       [](ObjectFixture& f, PlacedPictureRecord& r) {
         SetExtra(const_cast<TYKAoggetto*>(&r.Object()),
                  "class=\"x\" onclick=\"show('!RefI:" + Hex8(f.pictures[4]->ObjectId()) + "')\"");
       },
       "<img src=\"site_i000001.gif\" border=\"0\" align=\"bottom\" width=\"40\" height=\"30\" class=\"x\" "
       "onclick=\"show('site_i000004.gif')\" />"},
  };
  for (const auto& c : cases) {
    ObjectFixture f;
    TYKAoggetto* placed = f.Placed(1, 40, 30);
    PlacedPictureRecord r(*placed);
    c.setUp(f, r);
    EXPECT_EQ(f.Write("<Z S0 f0 >" + Tag(placed)), c.img) << c.what;
  }
  ObjectFixture f;
  PlacedPictureRecord(*f.Placed(1, 40, 30)).SetLowResolutionSlot(2);
  f.Write("<$10000000>");
  EXPECT_TRUE(f.HasResource(f.pictures[1]) && f.HasResource(f.pictures[2]));
}

TEST(HtmlObjects, ImageMaps) {
  ObjectFixture f;
  TYKAoggetto* placed = f.Placed(1, 100, 50, "", 4);
  PlacedPictureRecord r(*placed);
  r.ClearZones();
  f.pages[5]->SetCaption("Suite \"2\"");
  TYKAoggetto* gone = f.d.CreateObject(internetLink);
  const int32_t goneId = gone->ObjectId();
  f.d.DeleteObject(gone);
  TYKAoggetto* close = f.SpecialLink(2, 0, -1, "aide");
  r.SetZone(3, {f.pages[5]->ObjectId(), 10, 5, 20, 15});
  r.SetZone(7, {goneId, 0, 0, 5, 5});
  r.SetZone(9, {close->ObjectId(), -3, 0, 32767, 32767});
  const std::string tag = "<Z S0 f0 >" + Tag(placed);
  const std::string img = "<img src=\"site_i000001.gif\" border=\"0\" align=\"middle\" usemap=\"#ma000000\" width=\"100\" "
                          "height=\"50\" />";
  EXPECT_EQ(f.Write(tag),
            "<map name=\"ma000000\">\n"
            "<area coords=\"10,5,30,20\" href=\"site_000005.htm\" alt=\"Suite \x94" "2\x94\" title=\"Suite \x94" "2\x94\">\n"
            "<area coords=\"-3,0,32764,32767\" href=\"javascript:TolvaneF_close('aide');\" alt=\"fen\xEAtre de "
            "fermeture : aide\" title=\"fen\xEAtre de fermeture : aide\">\n"
            "</map>\n" + img);
  f.options.automaticAlt = false;
  EXPECT_EQ(f.Write(tag), "<map name=\"ma000000\">\n<area coords=\"10,5,30,20\" href=\"site_000005.htm\">\n"
                          "<area coords=\"-3,0,32764,32767\" href=\"javascript:TolvaneF_close('aide');\">\n</map>\n" + img);
}

TEST(HtmlObjects, Rollovers) {
  ObjectFixture f;
  TYKAoggetto* a = f.Placed(1, 40, 30);
  TYKAoggetto* b = f.Placed(3, 40, 30);
  PlacedPictureRecord(*a).SetRolloverSlot(2);
  PlacedPictureRecord(*b).SetRolloverSlot(2);
  const std::string handlers = " onMouseOver=\"TolvaneF_over('i000000','site_i000002.gif');\" onMouseOut=\"TolvaneF_over("
                               "'i000000','site_i000001.gif');\" >";
  const std::string img = "<img src=\"site_i000001.gif\" border=\"0\" align=\"bottom\" name=\"i000000\" width=\"40\" "
                          "height=\"30\" />";
  // Without a link the picture gets one to its own page.
  EXPECT_EQ(f.Write("<Z S0 f0 >" + Tag(a)), "<a href=\"site_000003.htm\"" + handlers + img + "</a>");
  EXPECT_EQ(f.context.scripts, script_need::kBrowser | script_need::kRollover);
  // Inside a link, the link is reopened with the handlers and stays open.
  EXPECT_EQ(f.Write("<Z S0 ><$00000005>x" + Tag(a) + "y<%>"),
            "<div class=\"s0\">\n<a class=\"s0\" href=\"site_000005.htm\">x</a><a class=\"s0\" "
            "href=\"site_000005.htm\"" + handlers + img + "y</a>&#160;</div>\r\n");
  f.Write("<Z S0 >" + Tag(a) + Tag(b));
  EXPECT_EQ(f.context.rollovers, std::vector<const TYKAoggetto*>{f.pictures[2]});
}

TEST(HtmlObjects, Tables) {
  struct Case {
    const char* what;
    std::function<std::string(ObjectFixture&)> markup;
    std::string html;
  } cases[] = {
      {"two empty cells of four",
       [](ObjectFixture& f) { return Tag(f.Table(2, 2)) + "<Z S1 ><T><Z S1 >b<T><Z S1 >c<T><Z S1 ><T>"; },
       "<table width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>\n<td valign=\"top\">\n"
       "<div class=\"s1\">\n&#160;</div>\r\n</td>\n<td valign=\"top\">\n<div class=\"s1\">\nb</div>\r\n</td></tr>\n"
       "<tr>\n<td valign=\"top\">\n<div class=\"s1\">\nc</div>\r\n</td>\n<td valign=\"top\">\n<div class=\"s1\">\n"
       "&#160;\n</div>\r\n</td></tr></table>"},
      {"column widths, alignment, backgrounds and extra attributes",
       [](ObjectFixture& f) {
         TYKAoggetto* t = f.Table(1, 3);
         TableRecord r(*t);
         r.SetFixedWidth(400);
         r.SetVerticalAlignment(1);
         r.SetColumn(0, ColumnWidthKind::Percent, 30);
         r.SetColumn(1, ColumnWidthKind::Pixels, 120);
         r.SetBackground(0x00FF00);
         r.SetCellBackgrounds({0x0000FF, PictureBackground(6)});
         SetExtra(t, "summary=\"s\"");
         return Tag(t) + "<T><T>&amp;<T>";
       },
       "<table width=\"400\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\" bgcolor=\"#00FF00\" summary=\"s\">\n"
       "<tr>\n<td width=\"30%\" valign=\"middle\"  bgcolor=\"#FF0000\">\n&#160;</td>\n"
       "<td width=\"120\" valign=\"middle\"  background=\"site_i000006.gif\">\n&#160;</td>\n"
       "<td valign=\"middle\" >\n&amp;\n</td></tr></table>"},
      {"a table in a right-aligned paragraph keeps its right margin",
       [](ObjectFixture& f) { return "<Z S0 A1 M5 r20 >" + Tag(f.Table(1, 1)) + "<T>"; },
       "<div align=\"right\" class=\"s0\" style=\"text-align: right;margin-right: 20px;\">\n"
       "<table style=\"margin-left:auto;margin-right:20px\" width=\"100%\" border=\"1\" cellpadding=\"2\" "
       "cellspacing=\"0\">\n<tr>\n<td valign=\"top\">\n&#160;\n</td></tr></table></div>\r\n"},
      {"a centred one",
       [](ObjectFixture& f) { return "<Z S0 A2 >" + Tag(f.Table(1, 1)) + "<T>"; },
       "<div align=\"center\" class=\"s0\" style=\"text-align: center;\">\n<table style=\"margin-left:auto;"
       "margin-right:auto\" width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>\n"
       "<td valign=\"top\">\n&#160;\n</td></tr></table></div>\r\n"},
      {"bold text before a table is closed before it, and a table in a cell",
       [](ObjectFixture& f) {
         TYKAoggetto* outer = f.Table(1, 2);
         TYKAoggetto* inner = f.Table(1, 1);
         return "<Z S0 ><Y y1 >x" + Tag(outer) + "<Z S1 >" + Tag(inner) + "<Z S1 >i<T><T><Z S1 >o<T>";
       },
       "<div class=\"s0\">\n<b>x</b><table width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>\n"
       "<td valign=\"top\">\n<div class=\"s1\">\n<table width=\"100%\" border=\"1\" cellpadding=\"2\" "
       "cellspacing=\"0\">\n<tr>\n<td valign=\"top\">\n<div class=\"s1\">\ni\n</div>\r\n</td></tr></table>"
       "</div>\r\n</td>\n<td valign=\"top\">\n<div class=\"s1\">\no\n</div>\r\n</td></tr></table></div>\r\n"},
      {"cells cut short are closed at the end of the body",
       [](ObjectFixture& f) { return "<Z S0 >" + Tag(f.Table(3, 3)) + "<Z S1 >a<T><Z S1 >b"; },
       "<div class=\"s0\">\n<table width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>\n"
       "<td valign=\"top\">\n<div class=\"s1\">\na</div>\r\n</td>\n<td valign=\"top\">\n<div class=\"s1\">\n"
       "b&#160;</div>\r\n\n</td></tr></table></div>\r\n"},
      {"a table without cells, and a cell end outside any table",
       [](ObjectFixture& f) { return "<T>" + Tag(f.Table(0, 4)) + "<T>"; },
       "<table width=\"100%\" border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n</table>"},
  };
  for (const auto& c : cases) {
    ObjectFixture f;
    const std::string markup = c.markup(f);
    EXPECT_EQ(f.Write(markup), c.html) << c.what;
  }
  // Bold before a table is closed before it and stays closed after it: the
  // text that follows opens it again, and nothing is closed twice.
  {
    ObjectFixture f;
    const std::string html =
        f.Write("<Z S0 ><Y y1 >a" + Tag(f.Table(1, 1)) + "<Z S1 ><Y y1 >c<T><Y >x<Z S0 ><Y y1 >d<Y >e");
    auto count = [&](const std::string& what) {
      size_t n = 0;
      for (size_t p = html.find(what); p != std::string::npos; p = html.find(what, p + 1)) ++n;
      return n;
    };
    EXPECT_EQ(count("<b>"), count("</b>")) << html;
    EXPECT_EQ(count("<b>"), 3u) << html;
  }
  ObjectFixture f;
  TableRecord(*f.Table(1, 1)).SetBackground(PictureBackground(5));
  f.Write("<$08000000><T>");
  EXPECT_TRUE(f.HasResource(f.pictures[5]));
}

TEST(HtmlObjects, BackgroundValues) {
  ObjectFixture f;
  FileNaming naming(f.d, f.options, "site");
  struct Case {
    int32_t value;
    std::string attribute;
  } cases[] = {
      {0x0080FF, " bgcolor=\"#FF8000\""}, {PictureBackground(3), " background=\"site_i000003.gif\""},
      {PictureBackground(300), ""},        {-1, ""},
      {0x01000000, ""},                    {0x7FFFFFFF, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BackgroundAttribute(c.value, f.d, naming, f.context), c.attribute) << c.value;
  EXPECT_EQ(f.resources, std::vector<const TYKAoggetto*>{f.pictures[3]});
}

TEST(HtmlObjects, FormFields) {
  struct Case {
    const char* what;
    std::function<TYKAoggetto*(ObjectFixture&)> make;
    std::string html;
  } cases[] = {
      {"text", [](ObjectFixture& f) { return f.Field(FormFieldType::Text, "nom", "Jean"); },
       "<input name=\"nom\" value=\"Jean\" size=\"20\"/>\n"},
      {"password without its value",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::Password, "pw", "secret");
         FormFieldRecord(*o).SetShowsInitialValue(false);
         return o;
       },
       "<input type=\"password\" name=\"pw\" size=\"20\"/>\n"},
      {"file with extra attributes",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::File, "doc");
         SetExtra(o, "accept=\"image/*\"");
         return o;
       },
       "<input type=\"file\" name=\"doc\" value=\"\" size=\"20\" accept=\"image/*\"/>\n"},
      {"text box: its text cannot end the element",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::TextBox, "msg");
         FormFieldRecord r(*o);
         r.SetRows(3);
         r.SetColumns(30);
         r.SetInitialText("a < b</textarea><script>");
         return o;
       },
       "<textarea name=\"msg\" rows=\"3\" cols=\"30\">\na &lt; b&lt;/textarea&gt;&lt;script&gt;\n</textarea>"},
      {"hidden, never checked",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::Hidden, "h", "1");
         FormFieldRecord(*o).SetCheckedByDefault(true);
         return o;
       },
       "<input type=\"hidden\" name=\"h\" value=\"1\" />\n"},
      {"radio, checked",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::Radio, "r", "oui");
         FormFieldRecord(*o).SetCheckedByDefault(true);
         return o;
       },
       "<input type=\"radio\" name=\"r\" value=\"oui\" checked />\n"},
      {"check box: names and values cannot leave their attribute",
       [](ObjectFixture& f) { return f.Field(FormFieldType::CheckBox, "c\" onfocus=\"x", "<b>&"); },
       "<input type=\"checkbox\" name=\"c&quot; onfocus=&quot;x\" value=\"&lt;b&gt;&#38;\" />\n"},
      {"list box: marks y and X select, no does not",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::List, "l");
         FormFieldRecord r(*o);
         r.SetSize(4);
         r.SetMultipleSelection(true);
         r.SetOptions({{"Un", "1", "y"}, {"Deux", "2", "no"}, {"Trois & quatre", "3\"", "X"}, {"Cinq", "5", ""}});
         return o;
       },
       "<select name=\"l\"  size=\"4\" multiple /><option value=\"1\" selected >Un\n<option value=\"2\" >Deux\n"
       "<option value=\"3&quot;\" selected >Trois &#38; quatre\n<option value=\"5\" >Cinq\n</select>"},
      {"drop-down list, its options cut short",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Field(FormFieldType::DropDown, "d");
         o->SetContentText("A\na\nY\nB\nb");
         return o;
       },
       "<select name=\"d\"  /><option value=\"a\" selected >A\n</select>"},
  };
  for (const auto& c : cases) {
    ObjectFixture f;
    TYKAoggetto* o = c.make(f);
    EXPECT_EQ(f.Write("<Z S0 f0 >" + Tag(o)), c.html) << c.what;
  }
}

TEST(HtmlObjects, InlineFrames) {
  ObjectFixture f;
  TYKAoggetto* o = f.d.CreateObject(inputStat);
  IndependentFrameRecord r(*o);
  r.MarkAsFrame();
  r.SetName("cadre\"1");
  r.SetMarginHeight(0);
  r.SetMarginWidth(0);
  r.SetScrolling(1);
  r.SetBorderColour(0x0000FF);
  r.SetShownPageId(f.pages[4]->ObjectId());
  r.SetShowFrames(false);
  r.SetNoExtraAttributes(false);
  r.SetSizeInPercent(true);
  r.SetHeight(50);
  r.SetWidth(80);
  SetExtra(o, "class=\"f\"");
  EXPECT_EQ(f.Write(Tag(o)),
            "<iframe  frameborder=\"no\"  name=\"cadre&quot;1\" height=\"50%\" width=\"80%\"  src=\"site-000004.htm\" "
            "target=_top  bordercolor=#FF0000 scrolling=yes class=\"f\">\n</iframe>\n");
  EXPECT_EQ(f.secondary, std::vector<const TYKAoggetto*>{f.pages[4]});
  // The whole page with its frames, margins, another target, no extra attributes.
  r.SetShowFrames(true);
  r.SetMarginHeight(4);
  r.SetMarginWidth(6);
  r.SetName("");
  r.SetLinkTarget(3);
  r.SetScrolling(0);
  r.SetSizeInPercent(false);
  r.SetNoExtraAttributes(true);
  EXPECT_EQ(f.Write(Tag(o)),
            "<iframe  marginheight=\"4\" marginwidth=\"6\" height=\"50\" width=\"80\"  src=\"site_000004.htm\" "
            "target=_blank  bordercolor=#FF0000 scrolling=no>\n</iframe>\n");
  r.SetShownPageId(0x00ABCDEF);
  EXPECT_NE(f.Write(Tag(o)).find(" src=\"\" target="), std::string::npos);
}

TEST(HtmlObjects, Buttons) {
  struct Case {
    const char* what;
    std::function<TYKAoggetto*(ObjectFixture&)> make;
    std::string html;
  } cases[] = {
      {"a text submit button", [](ObjectFixture& f) { return f.Button(ButtonAction::Submit, "ok", "Envoyer"); },
       "<input type=\"submit\" name=\"ok\"  value=\"Envoyer\"/>\n"},
      {"a submit picture, its id or its older slot",
       [](ObjectFixture& f) { return f.Button(ButtonAction::Submit, "", "Go", f.pictures[6]->ObjectId()); },
       "<input type=\"image\" src=\"site_i000006.gif\" border=0 width=\"80\" height=\"20\" value=\"Go\"/>\n"},
      {"an image button whose picture is gone",
       [](ObjectFixture& f) { return f.Button(ButtonAction::SubmitPicture, "", "Go", 0x0500FFFF); },
       "<input type=\"image\" value=\"Go\"/>\n"},
      {"a reset picture resets the form it is in",
       [](ObjectFixture& f) { return f.Button(ButtonAction::RestoreFields, "r", "Reset", 6); },
       "<a href=\"#\" onclick=\"document.forms[0].reset()\"><img src=\"site_i000006.gif\" border=\"0\" width=\"80\" "
       "height=\"20\"/></a>\n"},
      {"a clear button: its caption cannot leave the attribute",
       [](ObjectFixture& f) { return f.Button(ButtonAction::ClearFields, "", "\"><i>"); },
       "<input type=\"clear\" value=\"&quot;&gt;&lt;i&gt;\"/>\n"},
      {"a button that opens a page goes there",
       [](ObjectFixture& f) { return f.Button(ButtonAction::Submit, "p", "Page", -1, f.pages[2]->ObjectId()); },
       "<input type=\"button\" value=\"Page\" onClick=\"javascript:location='site_000002.htm'\" />\n"},
      {"a special link to a page of a named window",
       [](ObjectFixture& f) {
         TYKAoggetto* link = f.SpecialLink(1, 1, f.pages[2]->ObjectId(), "droite");
         return f.Button(ButtonAction::Submit, "", "W", -1, link->ObjectId());
       },
       "<input type=\"button\" value=\"W\" onClick=\"javascript:window.open('site_000002.htm','droite')\" />\n"},
      {"a special link to an anchor of this page",
       [](ObjectFixture& f) {
         TYKAoggetto* link = f.SpecialLink(1, 6);
         link->SetI32(speclink_rec::kAnchor, 2);
         return f.Button(ButtonAction::Submit, "", "A", -1, link->ObjectId());
       },
       "<input type=\"button\" value=\"A\" onClick=\"javascript:location='#an2'\" />\n"},
      {"a special link that closes a window",
       [](ObjectFixture& f) {
         return f.Button(ButtonAction::Submit, "", "X", -1, f.SpecialLink(2, 0, -1, "aide")->ObjectId());
       },
       "<input type=\"button\" value=\"X\" onClick=\"javascript:TolvaneF_close('aide');\" />\n"},
      {"a pop-up window",
       [](ObjectFixture& f) {
         return f.Button(ButtonAction::Submit, "", "P", -1, f.SpecialLink(1, 4, f.pages[1]->ObjectId(), "pop")->ObjectId());
       },
       "<input type=\"button\" value=\"P\" onClick=\"javascript:TolvaneF_open('site_000001.htm','pop','','Pag3');\"/>\n"},
  };
  for (const auto& c : cases) {
    ObjectFixture f;
    TYKAoggetto* o = c.make(f);
    EXPECT_EQ(f.Write("<Z S0 f0 >" + Tag(o)), c.html) << c.what;
  }
}

TEST(HtmlObjects, FormStarts) {
  ObjectFixture f;
  TYKAoggetto* first = f.FormStart(FormMethod::Post, "/cgi?a=1&b=2");
  FormStartRecord(*first).SetWritesEncoding(true);
  FormStartRecord(*first).SetEncoding("multipart/form-data");
  TYKAoggetto* second = f.FormStart(FormMethod::Mail, "moi@example.org");
  TYKAoggetto* field = f.Field(FormFieldType::Text, "n", "v");
  // Each form begins before the paragraph that holds its start; one is still open at the end.
  EXPECT_EQ(f.Write("<Z S0 >a" + Tag(first) + Tag(field) + "<Z S0 >b" + Tag(second) + "c"),
            "<form target=\"_top\" method=\"POST\" action=\"/cgi?a=1&#38;b=2\"  enctype=\"multipart/form-data\">\n"
            "<div class=\"s0\">\na<input name=\"n\" value=\"v\" size=\"20\"/>\n&#160;</div>\r\n"
            "</form><form method=\"POST\" action=\"mailto:moi@example.org\" enctype=\"text/plain\">\n"
            "<div class=\"s0\">\nbc&#160;</div>\r\n</form>");
  EXPECT_EQ(f.forms, 2);
  // A form start before any paragraph, a calling page and extra attributes.
  TYKAoggetto* call = f.FormStart(FormMethod::CallPage, "x");
  SetExtra(call, "name=\"f\"");
  EXPECT_EQ(f.Write(Tag(call) + "<Z S0 >z"), "<form  name=\"f\">\n<div class=\"s0\">\nz&#160;</div>\r\n</form>");
  EXPECT_EQ(f.Write("<Z S0 >z"), "<div class=\"s0\">\nz&#160;</div>\r\n");
  EXPECT_EQ(f.forms, 0);
}

TEST(HtmlObjects, SoundAndVideo) {
  struct Case {
    const char* what;
    std::function<TYKAoggetto*(ObjectFixture&)> make;
    std::string html;
  } cases[] = {
      {"a hidden sound that loops for ever",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::Sound, f.FileLink("chant.mid")->ObjectId());
         MultimediaRecord(*o).SetPlaysInLoop(true);
         MultimediaRecord(*o).SetLoopCount(-1);
         return o;
       },
       "<embed src=\"site_g000000.mid\" autostart=\"true\" hidden=\"true\" loop=\"true\">\n"},
      {"a hidden sound played three times",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::OtherSound, f.FileLink("chant.wav")->ObjectId());
         MultimediaRecord(*o).SetPlaysInLoop(true);
         MultimediaRecord(*o).SetLoopCount(3);
         return o;
       },
       "<embed src=\"site_g000000.wav\" autostart=\"true\" hidden=\"true\" loop=\"3\">\n"},
      {"a visible player that does not start by itself, with an alternative picture",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::Sound, f.FileLink("chant.wav")->ObjectId());
         MultimediaRecord(*o).SetLoopCount(0);
         MultimediaRecord(*o).SetAlternativePictureId(f.pictures[4]->ObjectId());
         f.pictures[4]->SetCaption("Le \"chant\"");
         return o;
       },
       "<embed src=\"site_g000000.wav\" autostart=\"false\" controls=\"smallconsole\" controller=\"true\" >\n"
       "<img border=0 alt=\"Le \x94" "chant\x94\" src=\"site_i000004.gif\" height=\"240\" width=\"320\" /></embed>\n"},
      {"a looping video in percent",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::Video, f.FileLink("film.avi")->ObjectId(), 50, 40);
         MultimediaRecord r(*o);
         r.SetSizeInPercent(true);
         r.SetPlaysInLoop(true);
         r.SetLoopCount(-1);
         return o;
       },
       "<embed src=\"site_g000000.avi\" width=\"50%\" height=\"40%\" controller=\"false\" autostart=\"true\" "
       "loop=\"true\">\n"},
      {"a visible movie names where its player is found",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::OtherVideo, f.FileLink("clip.MOV")->ObjectId());
         SetExtra(o, "name=\"m\" w=\"!RefX:00000000\"");
         return o;
       },
       "<embed src=\"clip.MOV\" width=\"320\" height=\"240\" controls=\"smallconsole\" controller=\"true\"  "
       "pluginspage=\"https://www.kelmori.example/player/\" name=\"m\" w=\"320\">\n"},
      {"a media file that is gone leaves the alternative picture alone",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::Video, 0x03FFFFFF);
         MultimediaRecord(*o).SetAlternativePictureId(f.pictures[4]->ObjectId());
         return o;
       },
       "<img border=0 alt=\"Image 4\" src=\"site_i000004.gif\" height=\"240\" width=\"320\" />"},
      {"embed code as the author wrote it, sized",
       [](ObjectFixture& f) {
         TYKAoggetto* o = f.Media(MediaKind::Embedded, -1, 50, 60);
         MultimediaRecord(*o).SetSizeInPercent(true);
         SetExtra(o, "<applet code=\"a.class\" width=\"!RefX:00000000\" height=\"!RefY:00000000\"></applet>");
         return o;
       },
       "<applet code=\"a.class\" width=\"50%\" height=\"60%\"></applet>"},
  };
  for (const auto& c : cases) {
    ObjectFixture f;
    TYKAoggetto* o = c.make(f);
    EXPECT_EQ(f.Write("<Z S0 f0 >" + Tag(o)), c.html) << c.what;
  }
}

TEST(HtmlObjects, FlashMovies) {
  ObjectFixture f;
  const std::string templatePath = f.doc.dir / "flash.txt";
  WriteAll(templatePath, ToBytes("<object name=\"TolvaneName\" width=\"!RefX:00000000\"><param value=\"!RefL:xx000000\">"
                                 "</object>"));
  TYKAoggetto* file = f.FileLink("anim.swf");
  TYKAoggetto* movie = InsertFlashMovie(f.d, *file, templatePath);
  ASSERT_TRUE(movie);
  EXPECT_EQ(f.Write("<Z S0 >" + Tag(movie)),
            "<div class=\"s0\">\n<object name=\"anim\" width=\"50%\"><param value=\"site_g000000.swf\"></object>&#160;"
            "</div>\r\n");
  EXPECT_TRUE(f.HasResource(file));
}

TEST(HtmlObjects, PrototypeInstances) {
  ObjectFixture f;
  TYKAoggetto* prototype = f.d.CreateObject(custom);
  PrototypeContent content;
  content.objectIds = {f.pictures[2]->ObjectId(), 0x03ABCDEF};
  content.parameters = {{"Fond", kColourParameter}, {"Titre", 1}, {"Image", 7}, {"Vide", 3}, {"Rien", 0}};
  prototype->SetContent(EncodePrototypeContent(content));
  SetExtra(prototype,
           "<div style=\"color:#!ReCP:fond!\" title=\"!ReCP:TITRE!\"><img src=\"!ReCF:00000000\" alt=\"!ReCF:00000001\" "
           "lowsrc=\"!ReCF:0000000z\" w=\"!RefX:00000000\" h=\"!RefY:00000000\" s=\"!ReCP:image!\" v=\"!ReCP:Vide!\" "
           "r=\"!ReCP:rien!!ReCP:inconnu!\"> !ReXX !RefI:00000000 !ReCP:sans fin");
  TYKAoggetto* instance = f.Media(MediaKind::PrototypeInstance, prototype->ObjectId(), 100, 30);
  MultimediaRecord(*instance).SetStoredValues({{"fond", kColourParameter, "#FF8000"},
                                               {"titre", 1, "Mon titre"},
                                               {"image", 7, std::to_string(f.pictures[5]->ObjectId())},
                                               {"autre", 1, "ignored"}});
  EXPECT_EQ(f.Write("<Z S0 f0 >" + Tag(instance)),
            "<div style=\"color:#FF8000\" title=\"Mon titre\"><img src=\"site_i000002.gif\" alt=\"\" "
            "lowsrc=\"site_i000002.gif\" w=\"100\" h=\"30\" s=\"site_i000005.gif\" v=\"000000\" r=\"\"> !ReXX "
            "!RefI:00000000 !ReCP:sans fin");
  EXPECT_TRUE(f.HasResource(f.pictures[2]) && f.HasResource(f.pictures[5]));
  // An instance whose prototype is gone writes nothing.
  MultimediaRecord(*instance).SetPrototypeId(0x0C00FFFF);
  EXPECT_EQ(f.Write(Tag(instance)), "");
}

TEST(HtmlObjects, ShortObjects) {
  ObjectFixture f;
  TYKAoggetto* note = f.Short(ShortObjectKind::Note);
  ShortObjectRecord(*note).SetStoredText("a -- b-->c");
  TYKAoggetto* silent = f.Short(ShortObjectKind::Note);
  ShortObjectRecord(*silent).SetStoredText("not written");
  ShortObjectRecord(*note).SetWrittenAsComment(true);
  TYKAoggetto* block = f.Short(ShortObjectKind::HtmlBlock);
  SetExtra(block, "<hr class=\"!RefN:\"><img src=\"!RefI:" + Hex8(f.pictures[1]->ObjectId()) + "\">");
  TYKAoggetto* anchor = f.Short(ShortObjectKind::Anchor, 4);
  TYKAoggetto* closing = f.Short(ShortObjectKind::WindowAction, f.SpecialLink(2, 0, -1, "aide")->ObjectId());
  TYKAoggetto* popup =
      f.Short(ShortObjectKind::WindowAction, f.SpecialLink(1, 2, f.pages[1]->ObjectId(), "fen")->ObjectId());
  TYKAoggetto* samePage = f.Short(ShortObjectKind::WindowAction, f.SpecialLink(1, 0, f.pages[1]->ObjectId())->ObjectId());
  struct Case {
    std::string markup, html;
  } cases[] = {
      {Tag(note) + Tag(silent), "<!-- a - - b- ->c -->"},
      {Tag(block), "<hr class=\"site_000003\"><img src=\"site_i000001.gif\">"},
      {Tag(anchor), "<a name=\"an4\"></a>"},
      // An anchor inside a link closes it and opens it again after itself.
      {"<Z S0 ><$00000005>a" + Tag(anchor) + "b<%>",
       "<div class=\"s0\">\n<a class=\"s0\" href=\"site_000005.htm\">a</a><a name=\"an4\"></a><a class=\"s0\" "
       "href=\"site_000005.htm\">b</a>&#160;</div>\r\n"},
      {Tag(closing), "\n<script language=\"javascript\"><!--//\n  aide=open('','aide' );\n  aide.close( );\n//--></script>\n"},
      {Tag(popup),
       "\n<script language=\"javascript\">\n<!--//\n  fen=TolvaneF_open('site_000001.htm','fen','','Pag3');\n//-->\n"
       "</script>\n"},
      {Tag(samePage), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(f.Write(c.markup), c.html) << c.markup;
  EXPECT_TRUE(f.context.scripts & script_need::kOpen);
  EXPECT_TRUE(f.doc.fake.messages.Texts().empty());
}

TEST(HtmlObjects, ObjectsThatCannotStandInText) {
  ObjectFixture f;
  TYKAoggetto* map = f.d.CreateObject(mappaClic);
  TYKAoggetto* gone = f.Placed(1, 10, 10);
  const std::string goneTag = Tag(gone);
  f.d.DeleteObject(gone);
  const std::string markup = "<Z S0 >a" + Tag(f.pictures[1]) + Tag(map) + goneTag + "<$18ffffff><$ff000001>" +
                             Tag(f.d.CreateObject(keyword)) + "b";
  EXPECT_EQ(f.Write(markup), "<div class=\"s0\">\nab&#160;</div>\r\n");
  EXPECT_EQ(f.doc.fake.messages.Texts(), std::vector<std::string>{"bug: ogg immagine non deve + esser presente qui"});
}

TEST(HtmlReferences, Markers) {
  ObjectFixture f;
  TYKAset& d = f.d;
  f.pages[1]->SetContentText(std::string("<Z S0 >inside") + '\0');
  TYKAoggetto* a = f.Short(ShortObjectKind::HtmlBlock);
  TYKAoggetto* b = f.Short(ShortObjectKind::HtmlBlock);
  f.pages[4]->SetContentText("<Z S0 >" + Tag(a));
  f.pages[5]->SetContentText("<Z S0 >" + Tag(b));
  SetExtra(a, "A!RefP:" + Hex8(f.pages[5]->ObjectId()));
  SetExtra(b, "B!RefP:" + Hex8(f.pages[4]->ObjectId()));
  TYKAoggetto* word = d.CreateObject(keyword);
  word->SetCaption("voile & mer");
  TYKAoggetto* other = d.CreateObject(keyword);
  other->SetCaption("x\"y");
  f.pages[3]->SetI32(page_rec::kKeywords, word->ObjectId());
  f.pages[3]->SetI32(page_rec::kKeywords + 8, 0x04ABCDEF);
  f.pages[3]->SetI32(page_rec::kKeywords + 12, other->ObjectId());
  TYKAoggetto* file = f.FileLink("notes.pdf");
  struct Case {
    std::string text, expanded;
  } cases[] = {
      {"<img src=\"!RefI:" + Hex8(f.pictures[2]->ObjectId()) + "\">", "<img src=\"site_i000002.gif\">"},
      {"!RefL:" + Hex8(f.pages[2]->ObjectId()) + "|!RefF:" + Hex8(file->ObjectId()), "site_000002.htm|site_g000000.pdf"},
      {"[!RefF:ffffffff][!RefI:0500zzzz]", "[][site_i000000.gif]"},
      {"!RefP:" + Hex8(f.pages[1]->ObjectId()), "<div class=\"s0\">\ninside&#160;</div>\r\n"},
      // Pages that insert each other stop at the first repetition; this page never inserts itself.
      {"!RefP:" + Hex8(f.pages[4]->ObjectId()),
       "<div class=\"s0\">\nA<div class=\"s0\">\nB&#160;</div>\r\n&#160;</div>\r\n"},
      {"!RefP:" + Hex8(f.pages[3]->ObjectId()) + "!RefP:" + Hex8(file->ObjectId()), ""},
      {"!RefN:.css", "site_000003.css"},
      {"!RefK:00000002", "<a class=s2 href=\"/voile_&#38;_mer.htm\">voile &#38; mer</a>, <a class=s2 "
                         "href=\"/x&quot;y.htm\">x&quot;y</a>"},
      {"!RefX:00000000!RefY:00000000", ""},  // outside a multimedia object
      {"!RefD !RefL !Refq:00000000 !Ref !RefI:0500", "!RefD !RefL !Refq:00000000 !Ref !RefI:0500"},
  };
  FileNaming naming(d, f.options, "site");
  for (const auto& c : cases) {
    ReferenceScope scope{d, f.options, naming, f.context, nullptr, {}};
    EXPECT_EQ(ExpandReferences(c.text, scope), c.expanded) << c.text;
  }
  EXPECT_TRUE(f.HasResource(f.pictures[2]) && f.HasResource(file));
  EXPECT_FALSE(f.HasResource(f.pages[2]));
  // The page writer can insert bodies its own way; keywords may have their folder.
  f.options.separateKeywords = true;
  ReferenceScope scope{d, f.options, naming, f.context, nullptr,
                       [](const TYKAtesto& page) { return "body " + std::to_string(page.Slot()); }};
  EXPECT_EQ(ExpandReferences("!RefP:" + Hex8(f.pages[1]->ObjectId()) + " !RefK:00000000", scope),
            "body 1 <a class=s0 href=\"/util/voile_&#38;_mer.htm\">voile &#38; mer</a>, <a class=s0 "
            "href=\"/util/x&quot;y.htm\">x&quot;y</a>");
}

// Markup made of the pieces real texts hold, cut and shuffled, over objects
// with extreme records: nothing crashes, every table opened is closed, and a
// form opened is closed at the end.
TEST(HtmlObjects, HostileMarkupAndRecords) {
  ObjectFixture f;
  TYKAset& d = f.d;
  std::vector<std::string> pieces = {"<Z S0 >", "<Z S1 A1 r999999 >", "<Y y3 p2 >", "x", "  ", "&amp;", "<T>", "<%>",
                                     "<$00000005>", "<$", "<$0800", "<Z S", "<D>", "\xE9", "<$ffffffff>", "<$0b000063>"};
  TYKAoggetto* wide = f.Table(255, 255);
  TableRecord(*wide).SetColumn(49, ColumnWidthKind::Pixels, -32768);
  wide->SetContentText("abc");                      // a cell list shorter than one cell
  TYKAoggetto* big = f.Placed(0x7FFFFFFF, -5, 32767, "", 255);
  PlacedPictureRecord(*big).SetPosition(INT32_MIN, true, INT32_MAX, false);
  PlacedPictureRecord(*big).SetZone(0, {f.pages[1]->ObjectId(), 32767, -32768, 32767, -32768});
  PlacedPictureRecord(*big).SetRolloverSlot(-7);
  TYKAoggetto* field = f.Field(FormFieldType::List, std::string(200, '"'));
  field->SetContentText(std::string(5000, '\n'));
  TYKAoggetto* media = f.Media(MediaKind::Sound, 0x03000000, INT16_MIN, INT16_MAX);
  MultimediaRecord(*media).SetSizeInPercent(true);
  media->SetU8(multimedia_rec::kSizeInPercent, 200);
  TYKAoggetto* prototype = d.CreateObject(custom);
  prototype->SetContentText("\xFF\xFF\xFF\x7F");
  SetExtra(prototype, "!ReCF:ffffffff!ReCP:");
  TYKAoggetto* instance = f.Media(MediaKind::PrototypeInstance, prototype->ObjectId());
  instance->SetContentText("\x02\x00\x00\x00" "a");
  TYKAoggetto* selfBlock = f.Short(ShortObjectKind::HtmlBlock);
  SetExtra(selfBlock, "!RefP:" + Hex8(f.pages[3]->ObjectId()));
  f.pages[3]->SetContentText("<Z S0 >" + Tag(selfBlock));
  for (TYKAoggetto* o : {wide, big, field, media, instance, selfBlock, f.Table(2, 3), f.Table(1, 1),
                         f.FormStart(FormMethod::Get, "a"), f.Short(ShortObjectKind::Anchor, INT32_MIN),
                         f.Button(ButtonAction::ClearFields, "", "", 0x7FFFFFFF, 0x0AFFFFFF)})
    pieces.push_back(Tag(o));
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    std::string markup;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) markup += pieces[random() % pieces.size()];
    markup.resize(random() % (markup.size() + 1));
    const std::string html = f.Write(markup);
    EXPECT_EQ(Count(html, "<table"), Count(html, "</table>")) << markup;
    EXPECT_EQ(html.size() >= 7 && html.compare(html.size() - 7, 7, "</form>") == 0, f.forms > 0) << markup;
  }
  // One of the extreme objects, exactly.
  const std::string map = HexDigits(static_cast<uint32_t>(big->Slot()), 6);
  const std::string caption = AttributeSafe(f.pages[1]->ObjectCaption());
  EXPECT_EQ(f.Write(Tag(big)),
            "<map name=\"ma" + map + "\">\n<area coords=\"32767,-32768,65534,-65536\" href=\"site_000001.htm\" alt=\"" +
                caption + "\" title=\"" + caption + "\">\n</map>\n<img src=\"\" border=\"0\" "
                "style=\"position:absolute;left:-2147483648%;top:2147483647px;\" usemap=\"#ma" + map +
                "\" width=\"-5\" height=\"32767\" />");
}

}  // namespace
}  // namespace tolvane::testing
