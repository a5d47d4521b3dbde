#include <gtest/gtest.h>

#include "common/hex_id.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;

std::string Tag(const TYKAoggetto* o) { return "<$" + IdToHex(o->ObjectId()) + ">"; }

// A small hypertext in which every kind of reference occurs once.
struct Linked : DocFixture {
  TYKAtesto* home = doc->CreatePage();
  TYKAtesto* other = doc->CreatePage();
  TYKAoggetto* picture = doc->CreateObject(immagine);
  TYKAoggetto* word = doc->CreateObject(keyword);
  TYKAoggetto* placed = doc->CreateObject(immagineNew);
  TYKAoggetto* special = doc->CreateObject(speclink);
  TYKAoggetto* table = doc->CreateObject(tabellaHtml);
  TYKAoggetto* proto = doc->CreateObject(custom);

  Linked() {
    word->SetCaption("maison");
    special->SetI32(speclink_rec::kTarget, other->ObjectId());  // state 1: in use
    placed->SetI32(placed_rec::kMainPicture, picture->Slot());
    placed->SetI32(placed_rec::kSecondPicture, -1);
    placed->SetI32(placed_rec::kThirdPicture, -1);
    placed->SetU8(placed_rec::kMapMode, 4);
    placed->SetI32(placed_rec::kHotSpots, special->ObjectId());
    home->SetContentText("<Z S0 >" + Tag(placed) + "<Z S0 >text");
    Bytes list;
    ByteWriter w(list);
    w.U32(4);
    w.I32(other->ObjectId());
    w.Text("rest");
    proto->SetContent(list);
  }
};

TEST(References, FoundWithTheirCodes) {
  Linked d;
  struct Case {
    const char* what;
    TYKAoggetto* holder;
    std::function<void()> setUp;
    int32_t target;
    int code;
  } cases[] = {
      {"keyword slot", d.home, [&] { d.home->SetI32(page_rec::kKeywords + 8, d.word->ObjectId()); },
       d.word->ObjectId(), 1},
      {"background picture", d.other, [&] { d.other->SetI32(page_rec::kBackgroundPicture, d.picture->Slot()); },
       d.picture->ObjectId(), 2},
      {"placed image in markup", d.home, [] {}, d.picture->ObjectId(), 1},
      {"placed image itself", d.placed, [] {}, d.picture->ObjectId(), 1},
      {"table background", d.table, [&] { d.table->SetI32(table_rec::kBackground, MakeObjectId(3, d.picture->Slot())); },
       d.picture->ObjectId(), 3},
      {"next scene", d.other, [&] { d.other->SetI32(page_rec::kNextScene, d.home->ObjectId()); }, d.home->ObjectId(), 5},
      {"footer page", d.other, [&] {
         d.other->SetI32(page_rec::kNextScene, -1);
         d.other->SetI32(page_rec::kFooterPage, d.home->ObjectId());
       }, d.home->ObjectId(), 4},
      {"hot spot through a special link, from the page", d.home, [] {}, d.other->ObjectId(), 1},
      {"hot spot through a special link", d.placed, [] {}, d.other->ObjectId(), 11},
      {"special link", d.special, [] {}, d.other->ObjectId(), 10},
      {"prototype list", d.proto, [] {}, d.other->ObjectId(), 13},
      {"reference marker", d.table, [&] { d.table->WriteAttribute("x", "!RefL:" + IdToHex(d.home->ObjectId())); },
       d.home->ObjectId(), 6},
      {"marker digits in upper case", d.table,
       [&] { d.table->WriteAttribute("x", "!RefF:" + AnsiUpperCase(IdToHex(d.special->ObjectId()))); },
       d.special->ObjectId(), 6},
      {"no reference", d.table, [] {}, d.word->ObjectId(), 0},
  };
  for (const auto& c : cases) {
    c.setUp();
    EXPECT_EQ(c.holder->FindReferences(c.target), c.code) << c.what;
  }
}

TEST(References, DeletedBackgroundPictureIsForgotten) {
  Linked d;
  d.other->SetI32(page_rec::kBackgroundPicture, d.picture->Slot());
  d.doc->header().SetI32(hdr::kBackgroundPicture, d.picture->Slot());
  const int32_t id = d.picture->ObjectId();
  ASSERT_EQ(d.other->FindReferences(id), 2);
  d.doc->DeleteObject(d.picture);
  EXPECT_EQ(d.other->FindReferences(id), 0);
  EXPECT_EQ(d.other->I32(page_rec::kBackgroundPicture), -1);
  EXPECT_EQ(d.doc->header().I32(hdr::kBackgroundPicture), -1);
  EXPECT_TRUE(d.picture->IsFree());
  // The placed image lost its main picture: it is freed and its tag no longer names it.
  EXPECT_TRUE(d.placed->IsFree());
  EXPECT_EQ(d.home->Markup(), "<Z S0 ><$ffffffff><Z S0 >text");
}

TEST(References, RemovalGoesThroughSpecialLinks) {
  Linked d;
  d.home->SetI32(page_rec::kNextScene, d.special->ObjectId());
  d.table->WriteAttribute("src", "!RefP:" + IdToHex(d.other->ObjectId()) + " and !RefX:" + IdToHex(d.other->ObjectId()));
  d.doc->header().SetI32(hdr::kCoverPage, d.other->ObjectId());
  d.doc->DeleteObject(d.other);

  EXPECT_EQ(d.special->I32(speclink_rec::kTarget), -1);  // the link's target, not the link itself
  EXPECT_EQ(d.home->I32(page_rec::kNextScene), d.special->ObjectId());
  EXPECT_EQ(d.placed->I32(placed_rec::kHotSpots), d.special->ObjectId());
  EXPECT_EQ(d.table->ReadAttribute("src"), "!RefP:ffffffff and !RefX:00000001");  // only the four markers count
  EXPECT_EQ(d.doc->header().I32(hdr::kCoverPage), 0);
  Bytes list;
  ASSERT_TRUE(d.proto->ReadContent(list));
  EXPECT_EQ(GetI32(list.data(), 4), -1);
  EXPECT_EQ(AsText(list).substr(8), "rest");
}

TEST(References, PictureSlotFieldsIgnoreOtherKinds) {
  Linked d;
  // A page and a picture both in slot 0: deleting the page leaves picture fields alone.
  ASSERT_EQ(d.picture->Slot(), d.home->Slot());
  d.other->SetI32(page_rec::kBackgroundPicture, d.picture->Slot());
  d.doc->header().SetI32(hdr::kBackgroundPicture, d.picture->Slot());
  d.doc->DeleteObject(d.home);
  EXPECT_EQ(d.other->I32(page_rec::kBackgroundPicture), d.picture->Slot());
  EXPECT_EQ(d.placed->I32(placed_rec::kMainPicture), d.picture->Slot());
  EXPECT_EQ(d.doc->header().I32(hdr::kBackgroundPicture), d.picture->Slot());
}

TEST(References, TableCellBackgroundsLoseTheDeletedPicture) {
  Linked d;
  const int32_t coded = MakeObjectId(3, d.picture->Slot());
  Bytes cells;
  ByteWriter w(cells);
  w.I32(coded);
  w.I32(0x00FF00);
  d.table->SetContent(cells);
  EXPECT_EQ(d.table->FindReferences(d.picture->ObjectId()), 3);
  d.doc->DeleteObject(d.picture);
  EXPECT_EQ(GetI32(d.table->ContentInMemory()->data(), 0), -1);
  EXPECT_EQ(GetI32(d.table->ContentInMemory()->data(), 4), 0x00FF00);
}

TEST(References, LockedPagesAreNeitherSearchedNorChanged) {
  Linked d;
  d.other->SetI32(page_rec::kNextScene, d.home->ObjectId());
  d.other->SetU8(page_rec::kPassword, 12);
  EXPECT_EQ(d.other->FindReferences(d.home->ObjectId()), 0);
  d.other->RemoveReferences(d.home->ObjectId());
  EXPECT_EQ(d.other->I32(page_rec::kNextScene), d.home->ObjectId());
}

}  // namespace
}  // namespace tolvane
