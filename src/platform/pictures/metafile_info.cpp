// Sizes of WMF and EMF metafiles. We cannot draw them, but a page lays them out,
// so their size must be known.
//
// Placeable WMF header (22 bytes), then the metafile header:
//   OFFSET SIZE MEANING
//   0      4    key 0x9AC6CDD7
//   4      2    handle (0 on disk)
//   6      8    bounding box: left, top, right, bottom (int16, metafile units)
//   14     2    metafile units per inch
//   16     4    reserved
//   20     2    checksum (not checked: writers are known to leave it wrong)
//   22     2    type (1 memory, 2 disk)
//   24     2    header size in words (9)
//   26     2    version (0x0100, 0x0300)
//   28     4    whole metafile size in words, from offset 22
//
// EMF header record:
//   0      4    record type (1)
//   4      4    record size (at least 88)
//   8      16   rclBounds: left, top, right, bottom (int32, device pixels, inclusive)
//   24     16   rclFrame: left, top, right, bottom (int32, 0.01 mm, inclusive)
//   40     4    signature " EMF" (0x464D4520)
//   44     4    version
//   48     4    whole file size in bytes
#include <cstdlib>

#include "platform/pictures/codecs.h"

namespace tolvane::pictures {

namespace {

constexpr int kScreenDpi = 96;
constexpr int64_t kHundredthsMmPerInch = 2540;

// Rounds units * dpi / per to the nearest pixel; nothing unless the result
// is a positive int (a sliver still counts as one pixel).
std::optional<int> ToPixels(int64_t units, int64_t per) {
  if (units <= 0 || per <= 0) return std::nullopt;
  const int64_t px = (units * kScreenDpi + per / 2) / per;
  if (px > INT32_MAX) return std::nullopt;
  return px < 1 ? 1 : static_cast<int>(px);
}

}  // namespace

std::optional<PictureInfo> WmfInfo(PictureSource& src) {
  uint8_t h[40];
  // A metafile without the placeable header keeps its size in its records.
  if (!src.Read(0, h, sizeof h) || GetU32(h, 0) != 0x9AC6CDD7u) return std::nullopt;
  const uint16_t type = GetU16(h, 22);
  if ((type != 1 && type != 2) || GetU16(h, 24) != 9) return std::nullopt;
  const uint64_t words = GetU32(h, 28);
  if (words < 9 || 22 + words * 2 > src.size()) return std::nullopt;
  const uint16_t unitsPerInch = GetU16(h, 14);
  auto w = ToPixels(std::abs(int64_t{GetI16(h, 10)} - GetI16(h, 6)), unitsPerInch);
  auto ht = ToPixels(std::abs(int64_t{GetI16(h, 12)} - GetI16(h, 8)), unitsPerInch);
  if (!w || !ht) return std::nullopt;
  return PictureInfo{PictureFormat::Wmf, *w, *ht, false};
}

std::optional<PictureInfo> EmfInfo(PictureSource& src) {
  uint8_t h[88];
  if (!src.Read(0, h, sizeof h) || GetU32(h, 0) != 1 || GetU32(h, 40) != 0x464D4520u) return std::nullopt;
  const uint64_t recordSize = GetU32(h, 4), fileBytes = GetU32(h, 48);
  if (recordSize < sizeof h || recordSize > fileBytes || fileBytes > src.size()) return std::nullopt;
  auto w = ToPixels(int64_t{GetI32(h, 32)} - GetI32(h, 24), kHundredthsMmPerInch);
  auto ht = ToPixels(int64_t{GetI32(h, 36)} - GetI32(h, 28), kHundredthsMmPerInch);
  if (!w || !ht) {
    // No frame: the bounds, which count both edges.
    w = ToPixels(int64_t{GetI32(h, 16)} - GetI32(h, 8) + 1, kScreenDpi);
    ht = ToPixels(int64_t{GetI32(h, 20)} - GetI32(h, 12) + 1, kScreenDpi);
  }
  if (!w || !ht) return std::nullopt;
  return PictureInfo{PictureFormat::Emf, *w, *ht, false};
}

}  // namespace tolvane::pictures
