// Typed views over the records of placed pictures and of the picture
// resources they show. Each view reads and writes one object's record bytes at
// their offsets; bytes not named below are left as they were read.
//
// Placed picture (immagineNew; 553 bytes in the file, 556..575 kept in the
// attribute blob when the alignment is above 253)
//   OFFSET WIDTH MEANING
//        0     4 main picture: slot of the picture resource (immagine)
//        4     1 state: 1 in use, 0 free
//        5     4 low-resolution picture slot, -1 none
//        9     4 roll-over picture slot, -1 none
//       13     1 alignment: 0 left, 1 right, 2 center, 3 top, 4 middle,
//                5 bottom; above 253 placed freely on the page (255 written)
//       14     1 border width, 0..254 (255 is read as 0)
//       15     2 natural width
//       17     2 natural height
//       19     2 display width
//       21     2 display height
//       23     1 size entered as percent of the natural size (dialog only)
//       28    33 alternative text and caption, short string
//       69     4 anchor: id of the text object a free picture belongs to, -1 none
//       73 30x16 click zones, each: link target id (-1 empty), 4 reserved (0),
//                then left, top, width, height (16-bit signed, picture pixels)
//      556     1 top is a percent of the page area's client height
//      557     1 left is a percent of the page area's client width
//      559     1 reserved, written 0
//      560     4 top (pixels or percent)
//      564     4 left (pixels or percent)
//
// Picture resource (immagine)
//   OFFSET WIDTH MEANING
//        5    72 caption, short string
//       85     2 width
//       87     2 height
//       94    76 source file name, short string
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/ansi.h"
#include "model/kinds.h"
#include "model/record_fields.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;

namespace placed_picture_rec {
constexpr size_t kPicture = 0, kLowResolution = 5, kRollover = 9;
constexpr size_t kAlignment = 13, kBorder = 14;
constexpr size_t kNaturalWidth = 15, kNaturalHeight = 17, kDisplayWidth = 19, kDisplayHeight = 21;
constexpr size_t kSizeInPercent = 23;
constexpr size_t kAltText = 28, kAltTextSize = 33;
constexpr size_t kAnchor = 69;
constexpr size_t kZones = 73, kZoneSize = 16;
constexpr int kZoneCount = 30;
constexpr size_t kTopInPercent = 556, kLeftInPercent = 557, kReserved = 559, kTop = 560, kLeft = 564;
static_assert(kPicture == placed_rec::kMainPicture && kLowResolution == placed_rec::kSecondPicture &&
              kRollover == placed_rec::kThirdPicture && kAlignment == placed_rec::kMapMode &&
              kZones == placed_rec::kHotSpots && kTopInPercent == placed_rec::kExtendedStart);
}  // namespace placed_picture_rec

// Alignment codes of a placed picture; codes above 253 place it freely.
constexpr uint8_t kFreePictureAlignment = 255;
inline bool IsFreeAlignment(uint8_t alignment) { return alignment > 253; }

struct PictureZone {
  int32_t target = kNoObject;  // link object id, -1 for an empty entry
  int16_t left = 0, top = 0, width = 0, height = 0;
  bool Empty() const { return target == kNoObject; }
};

// The picture resource a stored reference names: placed pictures keep slots,
// newer buttons and media objects ids with the kind byte of pictures. Nothing
// for -1, for ids of other kinds, and for free slots.
const TYKAoggetto* PictureResource(const TYKAset& doc, int32_t reference);

class PlacedPictureView {
 public:
  explicit PlacedPictureView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  int32_t PictureSlot() const;
  int32_t LowResolutionSlot() const;
  int32_t RolloverSlot() const;
  uint8_t Alignment() const;
  bool IsFree() const { return IsFreeAlignment(Alignment()); }
  // The width of the frame; a stored 255 means none.
  uint8_t Border() const;
  int16_t NaturalWidth() const;
  int16_t NaturalHeight() const;
  int16_t DisplayWidth() const;
  int16_t DisplayHeight() const;
  bool SizeInPercent() const;
  AnsiString AltText() const;
  int32_t AnchorId() const;
  // Entry 0..29; an index outside gives an empty zone.
  PictureZone Zone(int index) const;
  bool HasMap() const;
  bool TopInPercent() const;
  bool LeftInPercent() const;
  int32_t Top() const;
  int32_t Left() const;

 private:
  const TYKAoggetto& object_;
};

class PlacedPictureRecord : public PlacedPictureView {
 public:
  explicit PlacedPictureRecord(TYKAoggetto& object) : PlacedPictureView(object), edit_(object) {}

  void SetPictureSlot(int32_t slot);
  void SetLowResolutionSlot(int32_t slot);
  void SetRolloverSlot(int32_t slot);
  void SetAlignment(uint8_t alignment);
  void SetBorder(uint8_t border);
  void SetNaturalSize(int16_t width, int16_t height);
  void SetDisplaySize(int16_t width, int16_t height);
  void SetSizeInPercent(bool on);
  void SetAltText(std::string_view text);
  void SetAnchorId(int32_t id);
  // An empty zone (target -1) is written as -1 followed by 12 zero bytes.
  void SetZone(int index, const PictureZone& zone);
  void ClearZones();
  // Also clears the reserved byte after them.
  void SetPosition(int32_t left, bool leftInPercent, int32_t top, bool topInPercent);

 private:
  TYKAoggetto& edit_;
};

class PictureResourceView {
 public:
  explicit PictureResourceView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  AnsiString Caption() const;
  AnsiString SourceFileName() const;
  int16_t Width() const;
  int16_t Height() const;

 private:
  const TYKAoggetto& object_;
};

}  // namespace tolvane
