// Our own BMP reader. The headers are read field by field; the rows must all
// be in the file before a single pixel is decoded.
//
// File header
//   OFFSET SIZE MEANING
//   0      2    "BM"
//   2      4    file size (not trusted)
//   6      4    reserved
//   10     4    offset of the pixel rows
// Info header at 14; its first field, its size, says which kind it is:
//   12 bytes (core): 18 u16 width, 20 u16 height, 22 u16 planes, 24 u16 bits;
//                    palette entries of 3 bytes (B, G, R); always bottom-up
//   40 and longer:
//   14     4    header size (40, 52, 56, 64, 108, 124)
//   18     4    width (int32)
//   22     4    height (int32; negative means top row first)
//   26     2    planes
//   28     2    bits per pixel (1, 4, 8, 16, 24, 32)
//   30     4    compression (0 RGB, 1 RLE8, 2 RLE4, 3 BITFIELDS, 4 JPEG, 5 PNG, 6 ALPHABITFIELDS)
//   34     4    image size (not trusted)
//   38     8    resolution
//   46     4    colours used (0: all 2^bits)
//   50     4    important colours
//   54     16   red, green, blue, alpha masks: inside headers of 52 bytes (three)
//               and 56 or more (four); after a 40-byte header for BITFIELDS (three)
//               and ALPHABITFIELDS (four), before the palette
// Palette entries of 4 bytes (B, G, R, unused). Rows are padded to 4 bytes.
#include <algorithm>
#include <bit>
#include <cstdlib>

#include "platform/pictures/codecs.h"

namespace tolvane::pictures {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kJpeg = 4, kPng = 5,
                   kAlphaBitfields = 6;

struct BmpLayout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bits = 0;
  uint32_t compression = kRgb;
  uint64_t dataOffset = 0;
  uint64_t stride = 0;
  uint64_t paletteOffset = 0;
  int paletteEntry = 4;
  int paletteCount = 0;
  uint32_t masks[4] = {};  // red, green, blue, alpha
};

bool MaskUsable(uint32_t mask, int bits) {
  if (mask == 0) return true;
  if (bits < 32 && (mask >> bits) != 0) return false;
  const uint32_t run = mask >> std::countr_zero(mask);
  return (run & (run + 1)) == 0;  // one contiguous run of bits
}

std::optional<BmpLayout> ParseBmp(PictureSource& src) {
  uint8_t h[14 + 124 + 16] = {};
  const size_t n = static_cast<size_t>(std::min<uint64_t>(src.size(), sizeof h));
  if (n < 18 || !src.Read(0, h, n) || h[0] != 'B' || h[1] != 'M') return std::nullopt;
  const uint32_t infoSize = GetU32(h, 14);
  if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
      infoSize != 108 && infoSize != 124)
    return std::nullopt;
  if (14 + infoSize > n) return std::nullopt;

  BmpLayout l;
  int64_t width = 0, height = 0;
  uint32_t coloursUsed = 0;
  if (infoSize == 12) {
    width = GetU16(h, 18);
    height = GetU16(h, 20);
    l.bits = GetU16(h, 24);
    l.paletteEntry = 3;
    if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24) return std::nullopt;
  } else {
    width = GetI32(h, 18);
    height = GetI32(h, 22);
    l.bits = GetU16(h, 28);
    l.compression = GetU32(h, 30);
    coloursUsed = GetU32(h, 46);
  }
  if (height < 0) {
    l.topDown = true;
    height = -height;
  }
  if (width <= 0 || height <= 0 || height > INT32_MAX) return std::nullopt;
  l.width = static_cast<int>(width);
  l.height = static_cast<int>(height);
  // The 64-byte header gives the compression numbers other meanings.
  if (infoSize == 64 && l.compression != kRgb) return std::nullopt;

  l.paletteOffset = 14 + infoSize;
  switch (l.compression) {
    case kRgb:
      if (l.bits == 16) {
        l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
      } else if (l.bits == 32) {
        // The fourth byte is "unused"; whether it is alpha is decided by its values.
        l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF, l.masks[3] = 0xFF000000u;
      } else if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24) {
        return std::nullopt;
      }
      break;
    case kBitfields:
    case kAlphaBitfields: {
      if (l.bits != 16 && l.bits != 32) return std::nullopt;
      int count = 0;
      if (infoSize == 40) {
        count = l.compression == kAlphaBitfields ? 4 : 3;
        if (14 + 40 + 4 * static_cast<size_t>(count) > n) return std::nullopt;
        l.paletteOffset += 4 * count;
      } else if (infoSize >= 52) {
        count = infoSize >= 56 ? 4 : 3;
      } else {
        return std::nullopt;
      }
      for (int i = 0; i < count; ++i) l.masks[i] = GetU32(h, 54 + 4 * i);
      for (uint32_t m : l.masks)
        if (!MaskUsable(m, l.bits)) return std::nullopt;
      break;
    }
    case kRle8:
      if (l.bits != 8) return std::nullopt;
      break;
    case kRle4:
      if (l.bits != 4) return std::nullopt;
      break;
    case kJpeg:
    case kPng:
      break;
    default:
      return std::nullopt;
  }

  l.dataOffset = GetU32(h, 10);
  if (l.dataOffset < l.paletteOffset || l.dataOffset >= src.size()) return std::nullopt;
  if (l.compression == kRgb || l.compression == kBitfields || l.compression == kAlphaBitfields) {
    const uint64_t rowBits = static_cast<uint64_t>(l.width) * static_cast<uint64_t>(l.bits);
    const uint64_t rowBytes = (rowBits + 7) / 8;
    l.stride = (rowBits + 31) / 32 * 4;
    // Every row in the file; the last one may lack its padding.
    const uint64_t room = src.size() - l.dataOffset;
    if (rowBytes > room || static_cast<uint64_t>(l.height - 1) > (room - rowBytes) / l.stride)
      return std::nullopt;
  }
  if (l.bits <= 8) {
    const uint32_t full = 1u << l.bits;
    const uint64_t fits = (l.dataOffset - l.paletteOffset) / static_cast<uint64_t>(l.paletteEntry);
    l.paletteCount = static_cast<int>(
        std::min<uint64_t>(coloursUsed && coloursUsed < full ? coloursUsed : full, fits));
  }
  return l;
}

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 1;

  explicit Channel(uint32_t m) : mask(m) {
    if (mask) {
      shift = std::countr_zero(mask);
      max = mask >> shift;
    }
  }
  uint32_t Of(uint32_t px) const {
    const uint64_t v = (px & mask) >> shift;
    return static_cast<uint32_t>((v * 255 + max / 2) / max);
  }
};

}  // namespace

std::optional<PictureInfo> BmpInfo(PictureSource& src) {
  auto l = ParseBmp(src);
  if (!l) return std::nullopt;
  return PictureInfo{PictureFormat::Bmp, l->width, l->height, false};
}

std::optional<Bitmap> DecodeBmp(const uint8_t* data, size_t size) {
  PictureSource src(data, size);
  auto l = ParseBmp(src);
  if (!l) return std::nullopt;
  if (l->compression != kRgb && l->compression != kBitfields && l->compression != kAlphaBitfields)
    return std::nullopt;
  if (!SizeAllowed(l->width, l->height)) return std::nullopt;

  // Indices past the palette the file holds draw black.
  uint32_t palette[256];
  std::fill(std::begin(palette), std::end(palette), 0xFF000000u);
  for (int i = 0; i < l->paletteCount; ++i) {
    const uint8_t* e = data + l->paletteOffset + static_cast<size_t>(i) * l->paletteEntry;
    palette[i] = Argb(0xFF, e[2], e[1], e[0]);
  }
  const Channel red(l->masks[0]), green(l->masks[1]), blue(l->masks[2]), alpha(l->masks[3]);

  Bitmap bitmap;
  bitmap.width = l->width;
  bitmap.height = l->height;
  bitmap.pixels.resize(static_cast<size_t>(l->width) * static_cast<size_t>(l->height));
  bool alphaSeen = false;
  for (int y = 0; y < l->height; ++y) {
    const size_t fileRow = static_cast<size_t>(l->topDown ? y : l->height - 1 - y);
    const uint8_t* row = data + l->dataOffset + fileRow * l->stride;
    uint32_t* out = bitmap.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(l->width);
    const int w = l->width;
    switch (l->bits) {
      case 1:
      case 4:
      case 8: {
        const int bits = l->bits, perByte = 8 / bits, mask = (1 << bits) - 1;
        for (int x = 0; x < w; ++x) {
          const int shift = 8 - bits * (x % perByte + 1);
          out[x] = palette[(row[x / perByte] >> shift) & mask];
        }
        break;
      }
      case 24:
        for (int x = 0; x < w; ++x) out[x] = Argb(0xFF, row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        break;
      case 16:
      case 32:
        for (int x = 0; x < w; ++x) {
          const uint32_t px = l->bits == 16 ? GetU16(row, 2 * static_cast<size_t>(x))
                                            : GetU32(row, 4 * static_cast<size_t>(x));
          const uint32_t a = alpha.mask ? alpha.Of(px) : 0xFF;
          alphaSeen = alphaSeen || (alpha.mask && a != 0);
          out[x] = Argb(a, red.Of(px), green.Of(px), blue.Of(px));
        }
        break;
    }
  }
  // Writers that ignore alpha leave it all zero; such a picture is opaque.
  if (alpha.mask && !alphaSeen)
    for (uint32_t& p : bitmap.pixels) p |= 0xFF000000u;
  return bitmap;
}

}  // namespace tolvane::pictures
