#include <gtest/gtest.h>

#include "model/frame_map.h"
#include "test_support.h"

namespace tolvane::testing {
namespace {

TNonVisCornice* Add(TNonVisCornice& parent, int32_t id, const char* name, uint8_t sizeKind, int16_t size, int32_t page) {
  auto f = std::make_unique<TNonVisCornice>();
  f->record.id = id;
  f->record.parent = parent.record.id;
  f->record.name = name;
  f->record.sizeKind = sizeKind;
  f->record.page = page;
  if (sizeKind == 0) f->record.percent = size;
  else f->record.pixels = size;
  parent.children.push_back(std::move(f));
  return parent.children.back().get();
}

TEST(FrameMap, StreamsRoundTripInPreOrder) {
  TNonVisCornice root;
  root.record.id = 1;
  root.record.name = "Pag3";
  TNonVisCornice* left = Add(root, 2, "menu", 0, 30, 5);
  Add(root, 3, "bandeau", 1, 100, 6);
  Add(root, 4, "contenu", 2, 0, 7);
  Add(*left, 5, "haut", 0, 50, 8);
  Add(*left, 6, "bas", 2, 0, 9);
  const Bytes stream = root.WriteStream();
  ASSERT_EQ(stream.size(), 8u + 6u * FrameRecord::kSize);
  EXPECT_EQ(GetU32(stream.data(), 0), 4660u);
  auto back = TNonVisCornice::ReadStream(stream);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Count(), 6);
  ASSERT_EQ(back->children.size(), 3u);
  EXPECT_EQ(back->children[0]->children.size(), 2u);
  EXPECT_EQ(back->children[0]->children[1]->record.name, "bas");
  EXPECT_EQ(back->children[1]->record.pixels, 100);
  EXPECT_EQ(back->children[2]->record.sizeKind, 2);
  EXPECT_TRUE(back->record.hasChildren);
  EXPECT_EQ(back->children[1]->record.borderWidth, 3);  // our own records keep their borders
  EXPECT_EQ(back->WriteStream(), stream);
}

TEST(FrameMap, OlderShorterRecordsAndDamagedMaps) {
  // Two records of 50 bytes: the root (border flag A on) and one child (no flags).
  Bytes old(100, 0);
  PutI32(old.data(), 0, 1);
  PutI32(old.data(), 4, -1);
  old[29] = 1;
  PutI32(old.data(), 50, 2);
  PutI32(old.data(), 54, 1);
  auto map = TNonVisCornice::ReadRecords(old.data(), old.size(), 50);
  ASSERT_TRUE(map);
  ASSERT_EQ(map->children.size(), 1u);
  const FrameRecord& r = map->record;
  EXPECT_EQ(r.sizeKind, 0);
  EXPECT_EQ(r.pixels, 20);
  EXPECT_FALSE(r.frameBorder);
  EXPECT_EQ(r.borderWidth, 3);
  EXPECT_EQ(r.colour, 0x8000000Fu);
  EXPECT_EQ(map->children[0]->record.borderWidth, 0);  // no flags: no border

  // A record naming itself as its parent, a truncated stream, a wrong magic.
  Bytes loop(2 * FrameRecord::kSize, 0);
  PutI32(loop.data(), 0, 7);
  PutI32(loop.data(), 4, -1);
  PutI32(loop.data(), 58, 7);
  PutI32(loop.data(), 62, 7);
  auto looped = TNonVisCornice::ReadRecords(loop.data(), loop.size(), FrameRecord::kSize);
  ASSERT_TRUE(looped);
  EXPECT_EQ(looped->Count(), 1);
  Bytes stream = looped->WriteStream();
  EXPECT_TRUE(TNonVisCornice::ReadStream(stream));
  stream[0] = 0;
  EXPECT_FALSE(TNonVisCornice::ReadStream(stream));
  stream[0] = 0x34;
  stream.resize(stream.size() - 10);  // the root's record cut short
  EXPECT_FALSE(TNonVisCornice::ReadStream(stream));
  EXPECT_FALSE(TNonVisCornice::ReadRecords(loop.data(), 10, FrameRecord::kSize));
}

}  // namespace
}  // namespace tolvane::testing
