// The frame map of a page: a tree of frames, each showing a page or split
// into sub-frames, stored as fixed-size records in pre-order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "common/ansi.h"
#include "common/bytes.h"

namespace tolvane {

class TYKAoggetto;

// OFFSET WIDTH MEANING (58 bytes, little-endian)
//   0    4   frame id (unique within the map)
//   4    4   parent frame id; -1 for the root
//   8   20   name: length byte and up to 19 characters
//  28    1   split kind (place within the parent; the root: its own direction)
//  29    1   legacy border flag A
//  30    1   legacy border flag B
//  31    1   scrolling: nonzero "auto"
//  32    1   has sub-frames
//  33    1   resizable by the reader
//  34    4   page shown (object id), -1 none
//  38    2   size in percent
//  40    6   reserved
//  46    4   colour (0x8000000F, the system face colour)
//  50    1   reserved
//  51    1   frame border shown
//  52    2   size in pixels (20)
//  54    2   reserved
//  56    1   border width (3)
//  57    1   size kind: 0 percent, 1 pixels, 2 the rest
struct FrameRecord {
  static constexpr size_t kSize = 58;
  int32_t id = 0;
  int32_t parent = -1;
  AnsiString name;
  uint8_t splitKind = 0;
  uint8_t scrolling = 1;
  bool hasChildren = false;
  bool resizable = false;
  int32_t page = -1;
  int16_t percent = 100;
  uint32_t colour = 0x8000000F;
  bool frameBorder = true;
  int16_t pixels = 20;
  uint8_t borderWidth = 3;
  uint8_t sizeKind = 0;
  Bytes reserved = Bytes(kSize, 0);  // the unnamed bytes, kept as read

  // A record of `size` bytes (shorter ones take the defaults of what they miss).
  static FrameRecord Read(const uint8_t* bytes, size_t size);
  void Write(Bytes& out) const;
};

class TNonVisCornice {
 public:
  static constexpr uint32_t kMagic = 4660;

  FrameRecord record;
  std::vector<std::unique_ptr<TNonVisCornice>> children;

  // The stream with its two header words, as frame-set files hold it.
  static std::unique_ptr<TNonVisCornice> ReadStream(const Bytes& stream);
  Bytes WriteStream() const;
  // The content of a frame-map object: the records alone, sized as its
  // record says (offset 89).
  static std::unique_ptr<TNonVisCornice> ReadMapObject(const TYKAoggetto& map);
  static std::unique_ptr<TNonVisCornice> ReadRecords(const uint8_t* data, size_t size, size_t recordSize);
  void WriteRecords(Bytes& out) const;
  int Count() const;

 private:
  // Reads this node's sub-frames from `pos` on: every next record whose
  // parent is this node's id.
  void ReadChildren(const uint8_t* data, size_t size, size_t recordSize, size_t& pos, int depth);
};

namespace frame_map_rec {
constexpr size_t kRecordSize = 89;  // in the mappaFrame object's record
}

}  // namespace tolvane
