// GIF through giflib: our own walk of the blocks for the header facts, the
// library's decoder for the first frame, its encoder for writing.
//
//   OFFSET SIZE MEANING
//   0      6    "GIF87a" or "GIF89a"
//   6      2    logical screen width
//   8      2    logical screen height
//   10     1    flags: 0x80 global colour table, 0x07 its size (2^(n+1) entries of 3 bytes)
//   11     2    background index, aspect ratio
//   13          global colour table, then blocks:
//               0x21 label sub-blocks...  extension (0xF9: graphic control, 4 bytes:
//                                         flags (0x01 transparent), delay, transparent index)
//               0x2C left top width height flags ...  image
//               0x3B  end
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/pictures/codecs.h"

namespace tolvane::pictures {

namespace {

struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  if (n <= 0) return 0;
  const size_t take = std::min(static_cast<size_t>(n), in->size - in->pos);
  std::memcpy(out, in->data + in->pos, take);
  in->pos += take;
  return static_cast<int>(take);
}

int WriteToMemory(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  if (n <= 0) return 0;
  try {
    out->insert(out->end(), data, data + n);
  } catch (const std::bad_alloc&) {
    return 0;  // giflib sees a failed write; no exception may cross C code
  }
  return n;
}

struct DecoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
struct EncoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

// Skips the sub-blocks that start at pos; false when they run off the end.
bool SkipSubBlocks(PictureSource& src, uint64_t& pos) {
  for (;;) {
    uint8_t len = 0;
    if (!src.U8(pos, len)) return false;
    pos += 1 + uint64_t{len};
    if (len == 0) return true;
  }
}

}  // namespace

std::optional<PictureInfo> GifInfo(PictureSource& src) {
  uint8_t h[13];
  if (!src.Read(0, h, sizeof h)) return std::nullopt;
  int width = GetU16(h, 6), height = GetU16(h, 8);
  uint64_t pos = sizeof h;
  if (h[10] & 0x80) pos += 3u << ((h[10] & 7) + 1);
  bool transparent = false;
  for (;;) {
    uint8_t kind = 0;
    if (!src.U8(pos++, kind)) return std::nullopt;
    if (kind == 0x21) {
      uint8_t label = 0, len = 0, gce[4];
      if (!src.U8(pos++, label)) return std::nullopt;
      // Only the control block nearest before the first image counts.
      if (label == 0xF9 && src.U8(pos, len) && len == 4 && src.Read(pos + 1, gce, sizeof gce))
        transparent = (gce[0] & 1) != 0;
      if (!SkipSubBlocks(src, pos)) return std::nullopt;
    } else if (kind == 0x2C) {
      uint8_t d[9];
      if (!src.Read(pos, d, sizeof d)) return std::nullopt;
      const int frameWidth = GetU16(d, 4), frameHeight = GetU16(d, 6);
      if (frameWidth == 0 || frameHeight == 0) return std::nullopt;
      // Some writers leave the screen at 0 x 0 and let the frame say.
      if (width == 0 || height == 0) width = frameWidth, height = frameHeight;
      return PictureInfo{PictureFormat::Gif, width, height, transparent};
    } else {
      return std::nullopt;  // the end, or garbage, before any image
    }
  }
}

std::optional<Bitmap> DecodeGif(const uint8_t* data, size_t size) {
  MemoryInput in{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&in, ReadFromMemory, &error));
  if (!gif) return std::nullopt;

  int transparentIndex = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return std::nullopt;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) return std::nullopt;
      GraphicsControlBlock gcb{};
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4 &&
          DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
        transparentIndex = gcb.TransparentColor;
      while (block)
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) return std::nullopt;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) return std::nullopt;  // no image at all
    break;
  }
  if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return std::nullopt;

  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!map || !map->Colors || !SizeAllowed(frame.Width, frame.Height)) return std::nullopt;
  int width = gif->SWidth, height = gif->SHeight, left = frame.Left, top = frame.Top;
  if (width == 0 || height == 0) width = frame.Width, height = frame.Height, left = top = 0;
  if (!SizeAllowed(width, height)) return std::nullopt;

  // Indices past the colour table draw black.
  uint32_t colours[256];
  std::fill(std::begin(colours), std::end(colours), 0xFF000000u);
  for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
    colours[i] = Argb(0xFF, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
  if (transparentIndex >= 0 && transparentIndex < 256) colours[transparentIndex] = 0;

  Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));

  auto putRow = [&](int row) {
    const int y = top + row;
    if (y < 0 || y >= height) return;
    uint32_t* out = bitmap.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    const int from = std::max(0, -left), to = std::min(frame.Width, width - left);
    for (int x = from; x < to; ++x) out[left + x] = colours[line[static_cast<size_t>(x)]];
  };
  if (frame.Interlace) {
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int row = kStart[pass]; row < frame.Height; row += kStep[pass]) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return std::nullopt;
        putRow(row);
      }
  } else {
    for (int row = 0; row < frame.Height; ++row) {
      if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return std::nullopt;
      putRow(row);
    }
  }
  return bitmap;
}

bool EncodeGif(const Bitmap& bitmap, Bytes& out) {
  if (!WritableBitmap(bitmap, 0xFFFF)) return false;
  const bool transparent = std::any_of(bitmap.pixels.begin(), bitmap.pixels.end(),
                                       [](uint32_t p) { return (p >> 24) < 128; });
  const size_t room = transparent ? 255 : 256;

  // An exact palette while the colours fit, else the cube.
  std::vector<GifColorType> palette;
  std::unordered_map<uint32_t, uint8_t> exact;
  for (uint32_t p : bitmap.pixels) {
    if ((p >> 24) < 128) continue;
    const uint32_t rgb = p & 0xFFFFFF;
    if (exact.count(rgb)) continue;
    if (exact.size() == room) {
      exact.clear();
      break;
    }
    exact.emplace(rgb, static_cast<uint8_t>(palette.size()));
    palette.push_back({static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                       static_cast<GifByteType>(rgb)});
  }
  const bool cube = exact.empty() && !palette.empty();
  // 6 reds x 7 greens x 6 blues; the eye tells greens apart best.
  constexpr int kReds = 6, kGreens = 7, kBlues = 6;
  if (cube) {
    palette.clear();
    for (int r = 0; r < kReds; ++r)
      for (int g = 0; g < kGreens; ++g)
        for (int b = 0; b < kBlues; ++b)
          palette.push_back({static_cast<GifByteType>((r * 255 + 2) / (kReds - 1)),
                             static_cast<GifByteType>((g * 255 + 3) / (kGreens - 1)),
                             static_cast<GifByteType>((b * 255 + 2) / (kBlues - 1))});
  }
  auto level = [](uint32_t v, int levels) { return static_cast<int>((v * (levels - 1) + 127) / 255); };
  const int transparentIndex = transparent ? static_cast<int>(palette.size()) : NO_TRANSPARENT_COLOR;
  if (transparent) palette.push_back({0, 0, 0});
  int bits = 1;
  while ((1u << bits) < palette.size()) ++bits;
  palette.resize(size_t{1} << bits, GifColorType{0, 0, 0});

  int error = 0;
  std::unique_ptr<GifFileType, EncoderCloser> gif(EGifOpen(&out, WriteToMemory, &error));
  if (!gif) return false;
  ColorMapObject* map = GifMakeMapObject(1 << bits, palette.data());
  if (!map) return false;
  EGifSetGifVersion(gif.get(), transparent);
  const bool screenOk = EGifPutScreenDesc(gif.get(), bitmap.width, bitmap.height, 8, 0, map) == GIF_OK;
  GifFreeMapObject(map);  // the screen keeps its own copy
  if (!screenOk) return false;
  if (transparent) {
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = transparentIndex;
    GifByteType block[4];
    const size_t len = EGifGCBToExtension(&gcb, block);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), block) != GIF_OK)
      return false;
  }
  if (EGifPutImageDesc(gif.get(), 0, 0, bitmap.width, bitmap.height, false, nullptr) != GIF_OK) return false;

  std::vector<GifPixelType> line(static_cast<size_t>(bitmap.width));
  for (int y = 0; y < bitmap.height; ++y) {
    const uint32_t* row = bitmap.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(bitmap.width);
    for (int x = 0; x < bitmap.width; ++x) {
      const uint32_t p = row[x];
      GifPixelType index = 0;
      if ((p >> 24) < 128) index = static_cast<GifPixelType>(transparentIndex);
      else if (!cube) index = exact.at(p & 0xFFFFFF);
      else
        index = static_cast<GifPixelType>(level((p >> 16) & 0xFF, kReds) * kGreens * kBlues +
                                          level((p >> 8) & 0xFF, kGreens) * kBlues + level(p & 0xFF, kBlues));
      line[static_cast<size_t>(x)] = index;
    }
    if (EGifPutLine(gif.get(), line.data(), bitmap.width) != GIF_OK) return false;
  }
  error = 0;
  const bool closed = EGifCloseFile(gif.release(), &error) == GIF_OK;
  return closed;
}

}  // namespace tolvane::pictures
