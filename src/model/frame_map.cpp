#include "model/frame_map.h"

#include <algorithm>
#include <cstring>

#include "common/short_string.h"
#include "model/object.h"

namespace tolvane {
namespace {

constexpr int kMaxDepth = 64;  // a damaged map cannot nest without end

}  // namespace

FrameRecord FrameRecord::Read(const uint8_t* b, size_t size) {
  FrameRecord r;
  Bytes full(kSize, 0);
  std::memcpy(full.data(), b, std::min(size, kSize));
  const uint8_t* p = full.data();
  r.reserved = full;
  r.id = GetI32(p, 0);
  r.parent = GetI32(p, 4);
  r.name = ReadShortString(full.data(), 8, 20);
  r.splitKind = p[28];
  const uint8_t legacyA = p[29], legacyB = p[30];
  r.scrolling = p[31];
  r.hasChildren = p[32] != 0;
  r.resizable = p[33] != 0;
  r.page = GetI32(p, 34);
  r.percent = GetI16(p, 38);
  if (size < kSize) {
    // Older maps: what they lack takes its default.
    r.sizeKind = 0;
    r.pixels = 20;
    r.frameBorder = false;
    r.borderWidth = 3;
    r.colour = 0x8000000F;
  } else {
    r.colour = GetU32(p, 46);
    r.frameBorder = p[51] != 0;
    r.pixels = GetI16(p, 52);
    r.borderWidth = p[56];
    r.sizeKind = p[57];
  }
  // Old maps without the border flags had no borders.
  if (size < kSize && legacyA == 0 && legacyB == 0) {
    r.borderWidth = 0;
    r.frameBorder = false;
  }
  r.reserved[29] = r.reserved[30] = 0;  // the legacy flags are cleared once read
  return r;
}

void FrameRecord::Write(Bytes& out) const {
  Bytes b = reserved;
  b.resize(kSize, 0);
  uint8_t* p = b.data();
  PutI32(p, 0, id);
  PutI32(p, 4, parent);
  WriteShortString(b.data(), 8, 20, name.substr(0, 19));
  p[28] = splitKind;
  p[29] = p[30] = 0;
  p[31] = scrolling;
  p[32] = hasChildren ? 1 : 0;
  p[33] = resizable ? 1 : 0;
  PutI32(p, 34, page);
  PutI16(p, 38, percent);
  PutU32(p, 46, colour);
  p[51] = frameBorder ? 1 : 0;
  PutI16(p, 52, pixels);
  p[56] = borderWidth;
  p[57] = sizeKind;
  out.insert(out.end(), b.begin(), b.end());
}

void TNonVisCornice::ReadChildren(const uint8_t* data, size_t size, size_t recordSize, size_t& pos, int depth) {
  while (depth < kMaxDepth && size - pos >= recordSize && GetI32(data + pos, 4) == record.id) {
    auto child = std::make_unique<TNonVisCornice>();
    child->record = FrameRecord::Read(data + pos, recordSize);
    pos += recordSize;
    if (child->record.id == record.id) break;  // a frame cannot be its own child
    child->ReadChildren(data, size, recordSize, pos, depth + 1);
    children.push_back(std::move(child));
  }
}

std::unique_ptr<TNonVisCornice> TNonVisCornice::ReadRecords(const uint8_t* data, size_t size, size_t recordSize) {
  if (recordSize < 42 || recordSize > 4096 || size < recordSize) return nullptr;
  auto root = std::make_unique<TNonVisCornice>();
  root->record = FrameRecord::Read(data, recordSize);
  size_t pos = recordSize;
  root->ReadChildren(data, size, recordSize, pos, 0);
  return root;
}

std::unique_ptr<TNonVisCornice> TNonVisCornice::ReadStream(const Bytes& stream) {
  if (stream.size() < 8 || GetU32(stream.data(), 0) != kMagic) return nullptr;
  return ReadRecords(stream.data() + 8, stream.size() - 8, GetU32(stream.data(), 4));
}

std::unique_ptr<TNonVisCornice> TNonVisCornice::ReadMapObject(const TYKAoggetto& map) {
  Bytes content;
  if (map.IsFree() || !map.ReadContent(content) || content.empty()) return nullptr;
  int32_t size = map.I32(frame_map_rec::kRecordSize);
  if (size <= 0) size = static_cast<int32_t>(FrameRecord::kSize);
  return ReadRecords(content.data(), content.size(), static_cast<size_t>(size));
}

void TNonVisCornice::WriteRecords(Bytes& out) const {
  FrameRecord r = record;
  r.hasChildren = !children.empty();
  r.Write(out);
  for (const auto& c : children) c->WriteRecords(out);
}

Bytes TNonVisCornice::WriteStream() const {
  Bytes out;
  ByteWriter w(out);
  w.U32(kMagic);
  w.U32(FrameRecord::kSize);
  WriteRecords(out);
  return out;
}

int TNonVisCornice::Count() const {
  int n = 1;
  for (const auto& c : children) n += c->Count();
  return n;
}

}  // namespace tolvane
