#include "model/picture_records.h"

#include <cstring>

#include "model/document.h"
#include "model/object.h"

namespace tolvane {

const TYKAoggetto* PictureResource(const TYKAset& doc, int32_t reference) {
  if (reference < 0) return nullptr;
  const int kind = KindOfId(reference);
  if (kind != 0 && kind != immagine) return nullptr;
  const TYKAoggetto* picture = doc.ObjectAt(immagine, SlotOfId(reference));
  return picture && !picture->IsFree() && picture->Kind() == immagine ? picture : nullptr;
}

// ---- placed picture

using namespace placed_picture_rec;

int32_t PlacedPictureView::PictureSlot() const { return object_.I32(kPicture); }
int32_t PlacedPictureView::LowResolutionSlot() const { return object_.I32(kLowResolution); }
int32_t PlacedPictureView::RolloverSlot() const { return object_.I32(kRollover); }
uint8_t PlacedPictureView::Alignment() const { return object_.U8(kAlignment); }
uint8_t PlacedPictureView::Border() const {
  const uint8_t b = object_.U8(kBorder);
  return b == 255 ? 0 : b;
}
int16_t PlacedPictureView::NaturalWidth() const { return object_.I16(kNaturalWidth); }
int16_t PlacedPictureView::NaturalHeight() const { return object_.I16(kNaturalHeight); }
int16_t PlacedPictureView::DisplayWidth() const { return object_.I16(kDisplayWidth); }
int16_t PlacedPictureView::DisplayHeight() const { return object_.I16(kDisplayHeight); }
bool PlacedPictureView::SizeInPercent() const { return object_.U8(kSizeInPercent) == 1; }
AnsiString PlacedPictureView::AltText() const { return object_.ShortString(kAltText, kAltTextSize); }
int32_t PlacedPictureView::AnchorId() const { return object_.I32(kAnchor); }

PictureZone PlacedPictureView::Zone(int index) const {
  if (index < 0 || index >= kZoneCount) return {};
  const size_t at = kZones + static_cast<size_t>(index) * kZoneSize;
  PictureZone z;
  z.target = object_.I32(at);
  z.left = object_.I16(at + 8);
  z.top = object_.I16(at + 10);
  z.width = object_.I16(at + 12);
  z.height = object_.I16(at + 14);
  return z;
}

bool PlacedPictureView::HasMap() const {
  for (int i = 0; i < kZoneCount; ++i)
    if (Zone(i).target >= 0) return true;
  return false;
}

bool PlacedPictureView::TopInPercent() const { return object_.U8(kTopInPercent) == 1; }
bool PlacedPictureView::LeftInPercent() const { return object_.U8(kLeftInPercent) == 1; }
int32_t PlacedPictureView::Top() const { return object_.I32(kTop); }
int32_t PlacedPictureView::Left() const { return object_.I32(kLeft); }

void PlacedPictureRecord::SetPictureSlot(int32_t slot) { edit_.SetI32(kPicture, slot); }
void PlacedPictureRecord::SetLowResolutionSlot(int32_t slot) { edit_.SetI32(kLowResolution, slot); }
void PlacedPictureRecord::SetRolloverSlot(int32_t slot) { edit_.SetI32(kRollover, slot); }
void PlacedPictureRecord::SetAlignment(uint8_t alignment) { edit_.SetU8(kAlignment, alignment); }
void PlacedPictureRecord::SetBorder(uint8_t border) { edit_.SetU8(kBorder, border); }
void PlacedPictureRecord::SetNaturalSize(int16_t width, int16_t height) {
  edit_.SetI16(kNaturalWidth, width);
  edit_.SetI16(kNaturalHeight, height);
}
void PlacedPictureRecord::SetDisplaySize(int16_t width, int16_t height) {
  edit_.SetI16(kDisplayWidth, width);
  edit_.SetI16(kDisplayHeight, height);
}
void PlacedPictureRecord::SetSizeInPercent(bool on) { edit_.SetU8(kSizeInPercent, on ? 1 : 0); }
void PlacedPictureRecord::SetAltText(std::string_view text) { edit_.SetShortString(kAltText, kAltTextSize, text); }
void PlacedPictureRecord::SetAnchorId(int32_t id) { edit_.SetI32(kAnchor, id); }

void PlacedPictureRecord::SetZone(int index, const PictureZone& zone) {
  if (index < 0 || index >= kZoneCount) return;
  const size_t at = kZones + static_cast<size_t>(index) * kZoneSize;
  std::memset(edit_.Record() + at, 0, kZoneSize);
  edit_.SetI32(at, zone.target);
  if (zone.Empty()) return;
  edit_.SetI16(at + 8, zone.left);
  edit_.SetI16(at + 10, zone.top);
  edit_.SetI16(at + 12, zone.width);
  edit_.SetI16(at + 14, zone.height);
}

void PlacedPictureRecord::ClearZones() {
  for (int i = 0; i < kZoneCount; ++i) SetZone(i, {});
}

void PlacedPictureRecord::SetPosition(int32_t left, bool leftInPercent, int32_t top, bool topInPercent) {
  edit_.SetI32(kLeft, left);
  edit_.SetI32(kTop, top);
  edit_.SetU8(kLeftInPercent, leftInPercent ? 1 : 0);
  edit_.SetU8(kTopInPercent, topInPercent ? 1 : 0);
  edit_.SetU8(kReserved, 0);
}

// ---- picture resource

AnsiString PictureResourceView::Caption() const {
  return object_.ShortString(picture_rec::kCaption, picture_rec::kCaptionSize);
}
AnsiString PictureResourceView::SourceFileName() const {
  return object_.ShortString(picture_rec::kFileName, picture_rec::kFileNameSize);
}
int16_t PictureResourceView::Width() const { return object_.I16(picture_rec::kWidth); }
int16_t PictureResourceView::Height() const { return object_.I16(picture_rec::kHeight); }

}  // namespace tolvane
