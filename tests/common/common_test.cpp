#include <gtest/gtest.h>

#include "common/ansi.h"
#include "common/bytes.h"
#include "common/file_names.h"
#include "common/hex_id.h"
#include "common/short_string.h"

namespace tolvane {
namespace {

TEST(Ansi, ConvertsBothWays) {
  struct Case {
    std::string ansi, utf8;
  } cases[] = {
      {"abc", "abc"},
      {"\xE9t\xE9", "été"},
      {"\x80", "€"},
      {"\x9C\x8A", "œŠ"},
      {"\xFF", "ÿ"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8);
    EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
  }
}

TEST(Ansi, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(Ansi, UnmappableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("日本"), "??");
  EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");          // cut sequence
  EXPECT_EQ(Utf8ToAnsi("\xC3\x28"), "?(");       // bad continuation
  EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80"), "?");  // outside the BMP
}

TEST(Ansi, CaseFoldsAccentedLetters) {
  EXPECT_EQ(AnsiUpperCase("\xE9t\xE9 \x9C \xFF \xF7"), "\xC9T\xC9 \x8C \x9F \xF7");
  EXPECT_EQ(AnsiLowerCase("\xC9T\xC9 \xD7"), "\xE9t\xE9 \xD7");
  EXPECT_TRUE(AnsiSameText("\xC9T\xC9", "\xE9t\xE9"));
  EXPECT_FALSE(AnsiSameText("abc", "abd"));
  EXPECT_EQ(AnsiFindText("Hello World", "WORLD"), 6u);
  EXPECT_EQ(AnsiFindText("Hello", "xyz"), std::string_view::npos);
}

TEST(HexId, WritesLowerReadsEither) {
  EXPECT_EQ(IdToHex(0x05000003), "05000003");
  EXPECT_EQ(IdToHex(-1), "ffffffff");
  EXPECT_EQ(IdToHex(0x0A0000BC), "0a0000bc");
  EXPECT_EQ(HexToId("0A0000BC"), 0x0A0000BC);
  EXPECT_EQ(HexToId("ffffffff"), -1);
  for (const char* bad : {"", "1234567", "123456789", "0000000g", " 0000000"})
    EXPECT_FALSE(HexToId(bad).has_value()) << bad;
}

TEST(ShortString, ClampsToItsField) {
  uint8_t field[8];
  std::memset(field, 0xAA, sizeof field);
  WriteShortString(field, 0, 5, "abcdefgh");
  EXPECT_EQ(field[0], 4);
  EXPECT_EQ(field[5], 0xAA);  // nothing written past the field
  EXPECT_EQ(ReadShortString(field, 0, 5), "abcd");
  field[0] = 200;  // a length byte that lies
  EXPECT_EQ(ReadShortString(field, 0, 5), "abcd");
}

TEST(Bytes, ReaderStopsAtTheEnd) {
  Bytes b = {1, 0, 0, 0, 2};
  ByteReader r(b);
  uint32_t v = 0;
  uint8_t u = 0;
  EXPECT_TRUE(r.U32(v));
  EXPECT_EQ(v, 1u);
  EXPECT_FALSE(r.U32(v));  // only one byte left
  EXPECT_FALSE(r.U8(u));   // and the reader stays failed
  Bytes huge;
  ByteReader r2(b);
  EXPECT_FALSE(r2.Take(huge, 0xFFFFFFFFu));
}

TEST(FileNames, Pieces) {
  EXPECT_EQ(ExtractFileName("/a/b/c.yka"), "c.yka");
  EXPECT_EQ(ExtractFileDir("/a/b/c.yka"), "/a/b");
  EXPECT_EQ(ExtractFileDir("c.yka"), "");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("c.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("/a/site.yka", ".bak"), "/a/site.bak");
  EXPECT_EQ(ChangeFileExt("/a.d/site", ".bak"), "/a.d/site.bak");
  EXPECT_EQ(MakeValidFileName("a/b:c*?\"<>|\x01"), "a_b_c_______");
  EXPECT_TRUE(IsPathInside("/tmp/w/x/../y.yka", "/tmp/w"));
  EXPECT_FALSE(IsPathInside("/tmp/wx/y.yka", "/tmp/w"));
  EXPECT_FALSE(IsPathInside("/tmp/w/../y.yka", "/tmp/w/"));
}

}  // namespace
}  // namespace tolvane
