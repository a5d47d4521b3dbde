#include <gtest/gtest.h>

#include "markup_generator.h"
#include "richtext_fixture.h"

namespace tolvane::testing {
namespace {

std::string Z(std::string_view s) { return std::string(s) + '\0'; }

TEST(Markup, EdgeCasesOfReading) {
  struct Case {
    const char* what;
    std::string markup;
    std::string text;        // the characters read
    std::string written;     // written back; empty: the same bytes
  } cases[] = {
      {"empty paragraph", Z("<Z S0 >"), "", ""},
      {"escapes", Z("<Z S0 >a&lt;b&#38;c&gt;"), "a<b&c>", ""},
      {"three digits at most", Z("<Z S0 >&#1234;"), "{4;", Z("<Z S0 >{4;")},
      {"named entity", Z("<Z S0 >&copy;"), "\xA9", Z("<Z S0 >\xA9")},
      {"unknown entity", Z("<Z S0 >&xyz;"), " xyz;", Z("<Z S0 > xyz;")},
      {"bad number", Z("<Z S0 >&#;x"), "Ax", Z("<Z S0 >Ax")},
      {"first prefix wins", Z("<Z S0 >&notin;"), "\xACin;", Z("<Z S0 >\xACin;")},
      {"control bytes and line breaks dropped", Z("<Z S0 >a\r\n\x03" "b"), "ab", Z("<Z S0 >ab")},
      {"parameters out of order", Z("<Z S0 A2 c0000FF >x"), "x", Z("<Z S0 A2 >x")},
      {"unknown link kind", Z("<Z S0 >a<$07000001>b"), "ab", Z("<Z S0 >ab")},
      {"link left open", Z("<Z S0 >a<$00000012>b"), "ab", Z("<Z S0 >a<$00000012>b<%>")},
      {"unknown tag and skipped block", Z("<Z S0 >a<B>b<D>x<Y y1 >y<d>c"), "abc", Z("<Z S0 >abc")},
      {"font change after the last character", Z("<Z S0 >ab<Y y1 >"), "ab", Z("<Z S0 >ab")},
      {"no end byte", "<Z S0 >abc", "abc", Z("<Z S0 >abc")},
      {"missing style", Z("<Z S9 >x"), "x", Z("<Z S0 >x")},
      {"italic and bold switches", Z("<Z S0 ><Y s12 i1 g1 >x"), "x", Z("<Z S0 ><Y s12 y3 >x")},
      {"a switch off", Z("<Z S2 ><Y g-1 >x"), "x", Z("<Z S2 ><Y y0 >x")},
      {"y after the switches wins", Z("<Z S0 ><Y i1 y4 >x"), "x", Z("<Z S0 ><Y y4 >x")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MarkupFixture f;
    TextParagraphs t = f.Read(c.markup);
    ASSERT_EQ(t.paragraphs.size(), 1u);
    const TYKAparag& p = *t.paragraphs[0];
    EXPECT_EQ(p.text, c.text);
    EXPECT_EQ(p.cells.size(), p.text.size() + 1);
    EXPECT_EQ(f.Write(t), c.written.empty() ? Z(std::string_view(c.markup).substr(0, c.markup.find('\0'))) : c.written);
    EXPECT_TRUE(f.messages.Texts().empty());
  }
}

TEST(Markup, TheDescribedExampleAndFormatsInForce) {
  MarkupFixture f;
  // Style 3: left-aligned, not bold; the paragraph centred, "world" bold and linked.
  TYKAoggetto* style = f.doc.doc->CreateObject(stileParagrafo);
  ASSERT_EQ(style->Slot(), 3);
  const std::string markup = "<Z S3 A2 >Hello <Y y1 ><$00000012>world<%>";
  TextParagraphs t = f.Read(Z(markup));
  ASSERT_EQ(t.paragraphs.size(), 1u);
  const TYKAparag& p = *t.paragraphs[0];
  EXPECT_EQ(p.text, "Hello world");
  EXPECT_EQ(p.format.Alignment(), 2);
  EXPECT_TRUE(p.format.IsOwn(FormatField::Alignment));
  EXPECT_EQ(p.FontAt(5), nullptr);  // the paragraph's default format
  ASSERT_NE(p.FontAt(6), nullptr);
  EXPECT_EQ(p.FontAt(10)->Style(), style_bits::kBold);
  EXPECT_EQ(p.cells[5].link, -1);
  for (size_t i = 6; i < 11; ++i) EXPECT_EQ(p.cells[i].link, 0x12) << i;
  EXPECT_EQ(p.cells[11].link, -1);  // the end cell, after "<%>"
  EXPECT_EQ(f.Write(t), Z(markup));
}

TEST(Markup, CharactersAreMeasuredOnceInTheirFont) {
  MarkupFixture f;
  f.measurer.SetKerning('A', 'V', -2);
  // 10-point text, then 20-point, then a link in a bold 14-point link size.
  TextParagraphs t = f.Read(Z("<Z S0 S14 Y1 >AV<Y s20 >w<$00000001>k<%>x"));
  const TYKAparag& p = *t.paragraphs[0];
  ASSERT_EQ(p.text, "AVwkx");
  auto widths = [&] {
    std::vector<int> w;
    for (size_t i = 0; i < p.text.size(); ++i) w.push_back(p.cells[i].width);
    return w;
  };
  EXPECT_EQ(widths(), (std::vector<int>{10, 8, 20, 15, 20}));  // the link: 14 points, bold (0 ^ 1)
  EXPECT_EQ(p.cells[1].advance, 8);
  EXPECT_EQ(p.cells[2].height, 25);  // 20 + 20 / 4
  EXPECT_EQ(p.cells[2].ascent, 20);
  EXPECT_EQ(p.cells[3].height, 17);  // 14 + 14 / 4
  EXPECT_EQ(p.fontLineHeight, 12);
  ASSERT_EQ(p.lines.size(), 1u);
  EXPECT_EQ(p.lines[0].count, 5);
  EXPECT_EQ(p.lines[0].height, 12);

  // Subscript paragraphs are one and a half times as high; superscript ones
  // carry half the height more ascent.
  TextParagraphs sub = f.Read(Z("<Z S0 p1 >a<Z S0 p2 >a"));
  ASSERT_EQ(sub.paragraphs.size(), 2u);
  EXPECT_EQ(sub.paragraphs[0]->fontLineHeight, 18);
  EXPECT_EQ(sub.paragraphs[0]->cells[0].ascent, 10);
  EXPECT_EQ(sub.paragraphs[1]->fontLineHeight, 12);
  EXPECT_EQ(sub.paragraphs[1]->cells[0].ascent, 16);
  // The document's font character set reaches the measurer.
  f.doc.doc->SetFontCharSet(238);
  f.Read(Z("<Z S0 >a"));
  EXPECT_EQ(f.measurer.font().charset, 238);
}

TEST(Markup, FontTagsAndTheirFallback) {
  MarkupFixture f;
  // Slot 2 is bold 12-point Verdana. The paragraph's own red stays its
  // default; a font tag without c goes back to the style's black.
  TextParagraphs t = f.Read(Z("<Z S2 c0000FF >a<Y s20 >b<Y >c"));
  const TYKAparag& p = *t.paragraphs[0];
  EXPECT_EQ(p.format.Colour(), 0xFF0000u);
  EXPECT_EQ(p.FontAt(1)->Colour(), 0u);
  EXPECT_EQ(p.FontAt(1)->Size(), 20);
  EXPECT_EQ(p.FontAt(1)->Face(), "Verdana");
  EXPECT_EQ(p.FontAt(2)->Size(), 12);
  EXPECT_FALSE(p.FontAt(2)->HasOwnValues());
  // Two font tags with nothing between act as one: the second keeps what
  // the first set and it does not.
  TextParagraphs two = f.Read(Z("<Z S0 >a<Y c00FF00 s20 ><Y y1 >b"));
  const TYKAparag& q = *two.paragraphs[0];
  ASSERT_EQ(q.fonts.size(), 1u);
  EXPECT_EQ(q.FontAt(1)->Colour(), 0x00FF00u);
  EXPECT_EQ(q.FontAt(1)->Size(), 20);
  EXPECT_EQ(q.FontAt(1)->Style(), 1);
  EXPECT_EQ(f.Write(two), Z("<Z S0 >a<Y c00FF00 s20 y1 >b"));
  // A font tag inside a link with the text's size takes the tag's size and
  // face; the link keeps its colour.
  TextParagraphs link = f.Read(Z("<Z S0 >a<$00000003>b<Y F\"Courier New\" s16 >c<%>d"));
  const TYKAparag& l = *link.paragraphs[0];
  EXPECT_EQ(l.cells[2].width, 16);
  EXPECT_EQ(l.cells[3].width, 16);  // after the link: the tag's format
  EXPECT_EQ(f.measurer.font().face, "Courier New");
}

TEST(Markup, TablesAndReadingAgainLeaveTheMetricsRight) {
  // A table whose cells are read in another font: the text after it is
  // still measured in its own.
  struct MeasuringTable : StandInObject {
    MeasuringTable(TextMeasurer& m) : StandInObject(8, 50, 50, 1), measurer(m) {}
    size_t ReadCells(std::string_view bytes, size_t pos) override {
      measurer.SelectFont({"Courier New", 30, 0, 0, 1});
      return StandInObject::ReadCells(bytes, pos);
    }
    TextMeasurer& measurer;
  };
  MarkupFixture f;
  f.objects[8] = std::make_unique<MeasuringTable>(f.measurer);
  TextParagraphs t = f.Read(Z("<Z S0 >a<$FF000008>cell<T>b"));
  EXPECT_EQ(t.paragraphs[0]->cells[2].width, 10);
  // The same paragraph read twice holds one reading.
  TYKAparag p;
  for (int i = 0; i < 2; ++i) {
    MarkupStream s{"<Z S0 >ab<Y y1 >c<$FF000001>", 0};
    ParseParagraph(p, s, f.host);
  }
  EXPECT_EQ(p.text, "abc ");
  EXPECT_EQ(p.cells.size(), 5u);
  EXPECT_EQ(p.fonts.size(), 1u);
  EXPECT_EQ(p.objects.size(), 1u);
}

TEST(Markup, TruncatedParametersAreReportedAndAbsent) {
  MarkupFixture f;
  TextParagraphs t = f.Read(Z("<Z S0 l1234567890123 A2 >x"));
  EXPECT_EQ(f.messages.Texts(), std::vector<std::string>{"Truncated line!"});
  const TYKAparag& p = *t.paragraphs[0];
  EXPECT_FALSE(p.format.IsOwn(FormatField::Left));
  EXPECT_FALSE(p.format.IsOwn(FormatField::Alignment));  // after l in the tag: out of order
  f.messages.Clear();
  TextParagraphs face = f.Read(Z("<Z S0 F\"Arial s12 >x"));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.Texts()[0], "Truncated line!");
  EXPECT_EQ(face.paragraphs[0]->text, "x");
  // A tag without a usable style id is consumed and gives no paragraph.
  TextParagraphs bad = f.Read(Z("<Z Sx >lost<Z S0 >kept"));
  ASSERT_EQ(bad.paragraphs.size(), 1u);
  EXPECT_EQ(bad.paragraphs[0]->text, "kept");
}

TEST(Markup, EmbeddedObjectsAndTables) {
  MarkupFixture f;
  TextParagraphs t = f.Read(Z("<Z S0 >a<$FF000002>b<$FF000009>c<$FF000007>x<T>y<T>d"));
  const TYKAparag& p = *t.paragraphs[0];
  EXPECT_EQ(p.text, "a bc d");  // the missing object 9 leaves nothing
  ASSERT_EQ(p.objects.size(), 2u);
  EXPECT_EQ(p.cells[1].object, 0);
  EXPECT_EQ(p.cells[1].width, 32);
  EXPECT_EQ(p.cells[1].height, 22);
  EXPECT_EQ(p.cells[4].object, 1);
  EXPECT_EQ(f.objects[7]->cells, (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(f.messages.Texts().empty());
  // Mode 0 writes the table's cells inline, mode 1 the bare tag.
  EXPECT_EQ(f.Write(t), Z("<Z S0 >a<$FF000002>bc<$FF000007>x<T>y<T>d"));
  EXPECT_EQ(f.Write(t, kWriteSnapshot), Z("<Z S0 >a<$FF000002>bc<$FF000007>d"));
  // Mode 3 writes the whole paragraph; cells only for a table in the range.
  std::string deletion;
  WriteParagraph(p, deletion, kWriteDeletion, 0, 2);
  EXPECT_EQ(deletion, "<Z S0 >a<$FF000002>bc<$FF000007><@>d");
  deletion.clear();
  WriteParagraph(p, deletion, kWriteDeletion, 4, 5);
  EXPECT_EQ(deletion, "<Z S0 >a<$FF000002>bc<$FF000007>x<T>y<T>d");
  // "<@>" after a table's tag, and markup read as not inline, read no cells.
  f.objects[7]->cellReads = 0;
  f.Read(Z("<Z S0 ><$FF000007><@>z"));
  f.Read(Z("<Z S0 ><$FF000007>z"), /*tablesNotInline=*/true);
  EXPECT_EQ(f.objects[7]->cellReads, 0);
}

TEST(Markup, WritingPartsAndJoins) {
  MarkupFixture f;
  TextParagraphs t = f.Read(Z("<Z S0 A1 >ab<Y y1 >cdefghij<$00000012>kl<%>m"));
  const TYKAparag& p = *t.paragraphs[0];
  // Characters 5..9 start with the running format spelt out whole.
  std::string part;
  const size_t written = WriteParagraph(p, part, kWriteFull, 5, 10);
  EXPECT_EQ(written, part.size());
  EXPECT_EQ(part, "<Z S0 A1 ><Y c000000 F\"Arial\" s10 y1 p0 >fghij");
  part.clear();
  WriteParagraph(p, part, kWriteFull, 9, -1);
  EXPECT_EQ(part, "<Z S0 A1 ><Y c000000 F\"Arial\" s10 y1 p0 >j<$00000012>kl<%>m");
  // A join's second paragraph opens with its character values, not a paragraph tag.
  std::string join;
  WriteParagraph(*f.Read(Z("<Z S2 s14 >xy")).paragraphs[0], join, kWriteJoin, 0, -1);
  EXPECT_EQ(join, "<Y c000000 F\"Verdana\" s14 y1 p0 >xy");
  // ... and read after the first one, the characters keep their formats.
  TextParagraphs joined = f.Read(Z("<Z S0 >ab" + join));
  const TYKAparag& j = *joined.paragraphs[0];
  EXPECT_EQ(j.text, "abxy");
  EXPECT_EQ(j.FontAt(2)->Size(), 14);
  EXPECT_EQ(j.FontAt(3)->Face(), "Verdana");
  // A paragraph that begins with a table keeps its paragraph tag.
  join.clear();
  WriteParagraph(*f.Read(Z("<Z S0 ><$FF000007>x<T>y<T>z")).paragraphs[0], join, kWriteJoin, 0, -1);
  EXPECT_EQ(join, "<Z S0 ><$FF000007>z");
}

TEST(Markup, PasteRemapsStylesLinksAndObjects) {
  MarkupFixture f;
  PasteRemap remap;
  remap.oldStyles = {0x11000005};
  remap.newStyles = {0x11000002};
  remap.oldLinks = {0x6F000001};
  remap.newLinks = {0x6F000004};
  remap.oldObjects = {8};
  remap.newObjects = {5};
  TextParagraphs t;
  ReadParagraphs(t.paragraphs, Z("<Z S5 >a<$6f000001>b<$6f000002>c<%><$FF000008>"), kOwnText, f.host, false, &remap);
  const TYKAparag& p = *t.paragraphs[0];
  EXPECT_EQ(p.format.Base(), f.titled);
  EXPECT_EQ(p.cells[1].link, 0x6F000004);
  EXPECT_EQ(p.cells[2].link, -1);  // a link the paste does not know
  ASSERT_EQ(p.objects.size(), 1u);
  EXPECT_EQ(p.objects[0]->IndexNumber(), 5);
}

TEST(Markup, TextWithSharedHeaderAndFooter) {
  MarkupFixture f;
  TextParagraphs t = ReadText(Z("<Z S0 >head"), Z("<Z S0 >one<Z S2 >two"), "<Z S0 >foot1<Z S0 >foot2<T>", f.host);
  ASSERT_EQ(t.paragraphs.size(), 5u);
  EXPECT_EQ(t.leadingShared, 1);
  EXPECT_EQ(t.trailingShared, 2);
  EXPECT_EQ(t.paragraphs[0]->origin, kLeadingShared);
  EXPECT_EQ(t.paragraphs[2]->origin, kOwnText);
  EXPECT_EQ(t.paragraphs[4]->origin, kTrailingShared);
  // Only the text's own paragraphs go back into its stream.
  EXPECT_EQ(SaveText(t, "<Z S0 f0 ><$FF000001>"), Z("<Z S0 f0 ><$FF000001><Z S0 >one<Z S2 >two"));
  // Reading stops at "<T>": what follows belongs to someone else.
  MarkupStream s{"<Z S0 >a<T><Z S0 >b", 0};
  TYKAparag cell;
  EXPECT_TRUE(ParseParagraph(cell, s, f.host));
  EXPECT_EQ(s.pos, 11u);
  EXPECT_TRUE(ReadText("", "", "", f.host).paragraphs.empty());
}

// Generated markup of every tag and parameter: parse, then write, gives the
// same bytes, in every write mode that keeps whole paragraphs.
TEST(Markup, GeneratedMarkupRoundTripsExactly) {
  MarkupFixture f;
  std::vector<const TYKAoggetto*> styles = {f.Style(0), f.Style(1), f.titled};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    MarkupGenerator gen(seed, styles, {1, 2, 5});
    const std::string text = gen.Text(4000);
    TextParagraphs t = f.Read(text);
    const std::string written = f.Write(t);
    ASSERT_EQ(written, text) << "seed " << seed << " first difference at "
                             << std::mismatch(written.begin(), written.end(), text.begin(), text.end()).first -
                                    written.begin();
    // Snapshot and deletion modes write the same bytes when no table is there.
    EXPECT_EQ(f.Write(t, kWriteSnapshot), text);
    EXPECT_EQ(f.Write(t, kWriteDeletion), text);
  }
  EXPECT_TRUE(f.messages.Texts().empty());
}

// Any slice written on its own and read back shows the same characters in
// the same formats and links as the slice of the original.
TEST(Markup, GeneratedSlicesKeepTheirFormats) {
  MarkupFixture f;
  std::vector<const TYKAoggetto*> styles = {f.Style(0), f.titled};
  MarkupGenerator gen(99, styles, {1});
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    TextParagraphs t = f.Read(Z(gen.Paragraph()));
    const TYKAparag& p = *t.paragraphs[0];
    const int n = static_cast<int>(p.text.size());
    const int start = n ? static_cast<int>(rng() % static_cast<unsigned>(n)) : 0;
    const int end = start + (n - start ? static_cast<int>(rng() % static_cast<unsigned>(n - start + 1)) : 0);
    std::string slice;
    WriteParagraph(p, slice, kWriteFull, start, end);
    TextParagraphs back = f.Read(Z(slice));
    ASSERT_EQ(back.paragraphs.size(), 1u);
    const TYKAparag& q = *back.paragraphs[0];
    ASSERT_EQ(q.text, p.text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start))) << slice;
    for (int i = start; i < end; ++i) {
      SCOPED_TRACE(slice + " at " + std::to_string(i));
      auto resolved = [](const TYKAparag& para, size_t at) {
        const TYKAFontStyle* font = para.FontAt(at);
        return font ? font->ToMyFont() : para.format.ToMyFont();
      };
      EXPECT_EQ(resolved(q, static_cast<size_t>(i - start)), resolved(p, static_cast<size_t>(i)));
      EXPECT_EQ(q.cells[static_cast<size_t>(i - start)].link, p.cells[static_cast<size_t>(i)].link);
    }
  }
}

}  // namespace
}  // namespace tolvane::testing
