// A document made only through the helpers a user's commands call keeps every
// object and describes itself the same after a save and a reopen.
#include <gtest/gtest.h>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/links.h"
#include "model/ordered_tree.h"
#include "platform/pictures/pictures.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;
using testing::WriteAll;

Bitmap Pattern(int w, int h, bool holed) {
  Bitmap b{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.pixels.push_back(0xFF000000u | static_cast<uint32_t>((x * 60) << 16 | (y * 90) << 8 | 0x40));
  if (holed) b.pixels[0] = 0;
  return b;
}

// 2 x 2, 24 bits, bottom-up.
Bytes SmallBmp() {
  Bytes b;
  ByteWriter w(b);
  w.Text("BM");
  w.U32(14 + 40 + 16);
  w.U32(0);
  w.U32(54);
  w.U32(40);
  w.I32(2);
  w.I32(2);
  w.U16(1);
  w.U16(24);
  w.U32(0);
  w.U32(16);
  w.I32(2835);
  w.I32(2835);
  w.U32(0);
  w.U32(0);
  for (int row = 0; row < 2; ++row) {
    w.Raw("\x10\x20\x30\x40\x50\x60", 6);
    w.U16(0);  // rows are padded to 4 bytes
  }
  return b;
}

// Placeable header for 1440 x 720 units at 1440 per inch (96 x 48 pixels), then the metafile header.
Bytes SmallWmf() {
  Bytes b;
  ByteWriter w(b);
  w.U32(0x9AC6CDD7u);
  w.U16(0);
  w.U16(0), w.U16(0), w.U16(1440), w.U16(720);
  w.U16(1440);
  w.U32(0);
  w.U16(0);
  w.U16(1), w.U16(9), w.U16(0x300), w.U32(9), w.U16(0), w.U32(0), w.U16(0);
  return b;
}

// A header record framing 25.4 x 12.7 mm (96 x 48 pixels).
Bytes SmallEmf() {
  Bytes b;
  ByteWriter w(b);
  w.U32(1), w.U32(88);
  w.I32(0), w.I32(0), w.I32(95), w.I32(47);
  w.I32(0), w.I32(0), w.I32(2540), w.I32(1270);
  w.U32(0x464D4520u), w.U32(0x10000), w.U32(88), w.U32(1);
  while (b.size() < 88) w.U8(0);
  return b;
}

const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02\x08\x06\x00"
    "\x00\x00\x9d\x74\x66\x1a\x00\x00\x00\x1d\x49\x44\x41\x54\x78\x9c\x63\x60\x60\x38\xc1\x60\xc4\x70\xe2\x7f\x0a"
    "\x10\x33\x30\x04\x00\x39\x01\x40\x0e\x10\x03\x00\x74\xfa\x0a\xc9\x57\x1e\x65\xde\x00\x00\x00\x00\x49\x45\x4e"
    "\x44\xae\x42\x60\x82",
    86);

TEST(HelpersOnly, ADocumentSavesReopensAndDescribesItselfIdentically) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  ASSERT_TRUE(WriteGif(Pattern(4, 3, true), f.dir / "logo.gif"));
  ASSERT_TRUE(WriteJpeg(Pattern(16, 8, false), f.dir / "photo.jpg"));
  WriteAll(f.dir / "icone.png", ToBytes(kPng));
  WriteAll(f.dir / "scan.bmp", SmallBmp());
  WriteAll(f.dir / "plan.wmf", SmallWmf());
  WriteAll(f.dir / "schema.emf", SmallEmf());
  WriteAll(f.dir / "tarifs.pdf", ToBytes("%PDF-1.4 tarifs"));
  WriteAll(f.dir / "notes.txt", ToBytes("pas une image"));

  struct PictureCase {
    const char* file;
    int state, width, height, transparency;
    const char* caption;
  } pictures[] = {
      {"logo.gif", 0, 4, 3, -1, "logo"},   {"photo.jpg", 1, 16, 8, -2, "photo"}, {"icone.png", 1, 3, 2, -1, "icone"},
      {"scan.bmp", 0, 2, 2, -2, "scan"},   {"plan.wmf", 1, 96, 48, -2, "plan"},  {"schema.emf", 1, 96, 48, -2, "schema"},
  };
  std::vector<TYKAoggetto*> added;
  for (const auto& c : pictures) {
    SCOPED_TRACE(c.file);
    TYKAoggetto* p = doc.AddPictureFile(f.dir / c.file);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->State(), c.state);
    EXPECT_EQ(p->I16(picture_rec::kWidth), c.width);
    EXPECT_EQ(p->I16(picture_rec::kHeight), c.height);
    EXPECT_EQ(p->I32(picture_rec::kTransparency), c.transparency);
    EXPECT_EQ(p->ObjectCaption(), c.caption);
    added.push_back(p);
  }
  EXPECT_EQ(added[3]->ShortString(picture_rec::kFileName, 76), "scan.gif");  // BMP comes in as GIF
  EXPECT_EQ(doc.AddPictureFile(f.dir / "notes.txt"), nullptr);
  EXPECT_EQ(doc.AddPictureFile(f.dir / "logo.gif"), added[0]);  // the same picture again
  // The decoder behind the picture cache reads what came in.
  ASSERT_NE(added[0]->GetPicture(), nullptr);
  EXPECT_EQ(added[0]->GetPicture()->bitmap.pixels[0] >> 24, 0u);

  for (const char* title : {"Accueil", "Produits", "Contact"}) {
    TYKAtesto* page = doc.CreatePage();
    page->SetCaption(title);
    page->SetContentText(std::string("<Z S2 >") + title + "<Z S3 >texte");
  }
  TYKAoggetto* file = doc.AddEmbeddedFile(f.dir / "tarifs.pdf");
  TYKAoggetto* web = doc.Register(doc.AddAddressLink("http://www.example.org/"));
  TYKAoggetto* mail = doc.Register(doc.AddAddressLink("mailto:info@example.org"));
  TYKAoggetto* jump = doc.CreateObject(speclink);
  jump->SetI32(speclink_rec::kTarget, 1);
  jump->SetU8(speclink_rec::kWindowMode, 2);
  jump->SetU8(speclink_rec::kScope, 0);
  jump->SetI32(speclink_rec::kAnchor, -1);
  TYKAoggetto* placed = doc.AddImmagineNew(added[4]);
  placed->SetI32(placed_rec::kHotSpots, jump->ObjectId());
  doc.Page(0)->SetContentText("<Z S2 ><$" + IdToHex(placed->ObjectId()) + "><Z S0 >accueil");
  TYKAoggetto* titre = doc.CreateObject(stileParagrafo);
  titre->SetCaption("Titre");
  doc.CreateObject(stileParagrafo)->SetCaption("Titre ancien");
  EXPECT_EQ(doc.MergeStyle(3, 2), 2);  // page 0 no longer uses style 3
  TYKAorderedTree tree(doc, testoHtml);
  tree.Load();
  tree.NewChapter(tree.Root(), "Catalogue");
  ASSERT_TRUE(doc.Save(f.dir / "site.yka")) << ::testing::PrintToString(doc.SaveErrors());

  DocFixture g;
  ASSERT_TRUE(g.doc->Open(f.dir / "site.yka"));
  testing::ExpectSameObjects(doc, *g.doc);
  EXPECT_EQ(g.doc->StyleNames(), doc.StyleNames());
  EXPECT_EQ(g.doc->Page(1)->Markup(), "<Z S2 >Produits<Z S2 >texte");
  for (TYKAoggetto* o : {file, web, mail, jump, placed, static_cast<TYKAoggetto*>(doc.Page(0))})
    EXPECT_EQ(LinkDescription(*g.doc->FindObject(o->ObjectId())), LinkDescription(*o));
  TYKAorderedTree reread(*g.doc, testoHtml);
  reread.Load();
  EXPECT_EQ(reread.Lines(), tree.Lines());
  EXPECT_EQ(g.doc->PropertiesObject()->PropertyPairs(), doc.PropertiesObject()->PropertyPairs());
  Bytes pdf;
  ASSERT_TRUE(g.doc->FindObject(file->ObjectId())->ReadContent(pdf));
  EXPECT_EQ(AsText(pdf), "%PDF-1.4 tarifs");
  EXPECT_EQ(g.doc->FindObject(placed->ObjectId())->FindReferences(MakeObjectId(testoHtml, 1)), 11);
}

}  // namespace
}  // namespace tolvane
