// PNG through libpng, whose transforms turn every bit depth and colour type
// into 8-bit RGBA. libpng reports errors by jumping back to the setjmp in the
// decoder; its state lives in a struct so nothing is lost on the way.
//
//   OFFSET SIZE MEANING
//   0      8    signature 89 50 4E 47 0D 0A 1A 0A
//   8      4    IHDR length (13), big-endian like every PNG number
//   12     4    "IHDR"
//   16     4    width
//   20     4    height
//   24     1    bit depth
//   25     1    colour type (0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA)
//   26     3    compression (0), filter (0), interlace (0 or 1)
//   29     4    CRC of type and data
//   33          more chunks (length, type, data, CRC); tRNS before IDAT gives transparency
#include <png.h>
#include <zlib.h>

#include <cstring>

#include "platform/pictures/codecs.h"

namespace tolvane::pictures {

namespace {

bool ValidDepth(int colourType, int depth) {
  switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

struct PngInput {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
};

void ReadPng(png_structp png, png_bytep out, size_t n) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (n > in->size - in->pos) png_error(png, "cut short");
  std::memcpy(out, in->data + in->pos, n);
  in->pos += n;
}
[[noreturn]] void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarn(png_structp, png_const_charp) {}

struct PngDecoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngInput input;
  Bitmap bitmap;
  std::vector<png_byte> rgba;
  std::vector<png_bytep> rows;
  ~PngDecoder() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

bool RunDecoder(PngDecoder& d) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  png_set_read_fn(d.png, &d.input, ReadPng);
  png_set_user_limits(d.png, kMaxPictureSide, kMaxPictureSide);
  png_read_info(d.png, d.info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0;
  png_get_IHDR(d.png, d.info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
  if (!SizeAllowed(width, height)) return false;

  const bool keyed = png_get_valid(d.png, d.info, PNG_INFO_tRNS) != 0;
  png_set_expand(d.png);  // palette to RGB, small greys to 8 bits, tRNS to alpha
  png_set_scale_16(d.png);
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(d.png);
  if (!(colourType & PNG_COLOR_MASK_ALPHA) && !keyed) png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(d.png);
  png_read_update_info(d.png, d.info);
  if (png_get_channels(d.png, d.info) != 4 || png_get_bit_depth(d.png, d.info) != 8 ||
      png_get_rowbytes(d.png, d.info) != size_t{width} * 4)
    return false;

  d.rgba.resize(size_t{width} * height * 4);
  d.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) d.rows[y] = d.rgba.data() + size_t{y} * width * 4;
  png_read_image(d.png, d.rows.data());
  png_read_end(d.png, nullptr);  // a file cut after its pixels is still cut

  d.bitmap.width = static_cast<int>(width);
  d.bitmap.height = static_cast<int>(height);
  d.bitmap.pixels.resize(size_t{width} * height);
  const png_byte* in = d.rgba.data();
  for (uint32_t& p : d.bitmap.pixels) {
    p = Argb(in[3], in[0], in[1], in[2]);
    in += 4;
  }
  return true;
}

}  // namespace

std::optional<PictureInfo> PngInfo(PictureSource& src) {
  uint8_t h[33];
  if (!src.Read(0, h, sizeof h) || GetU32BE(h, 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0)
    return std::nullopt;
  const uint32_t width = GetU32BE(h, 16), height = GetU32BE(h, 20);
  const int depth = h[24], colourType = h[25];
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX || !ValidDepth(colourType, depth) ||
      h[26] != 0 || h[27] != 0 || h[28] > 1)
    return std::nullopt;
  if (crc32(crc32(0, nullptr, 0), h + 12, 17) != GetU32BE(h, 29)) return std::nullopt;

  bool transparent = (colourType & 4) != 0;
  for (uint64_t pos = sizeof h;;) {
    uint8_t c[8];
    if (!src.Read(pos, c, sizeof c)) return std::nullopt;
    const uint64_t length = GetU32BE(c, 0);
    if (length > INT32_MAX || pos + 12 + length > src.size()) return std::nullopt;
    if (std::memcmp(c + 4, "IDAT", 4) == 0) break;
    if (std::memcmp(c + 4, "IEND", 4) == 0) return std::nullopt;  // no pixels at all
    if (std::memcmp(c + 4, "tRNS", 4) == 0) transparent = true;
    pos += 12 + length;
  }
  return PictureInfo{PictureFormat::Png, static_cast<int>(width), static_cast<int>(height), transparent};
}

std::optional<Bitmap> DecodePng(const uint8_t* data, size_t size) {
  PngDecoder d;
  d.input = {data, size, 0};
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
  if (!d.png) return std::nullopt;
  d.info = png_create_info_struct(d.png);
  if (!d.info || !RunDecoder(d)) return std::nullopt;
  return std::move(d.bitmap);
}

}  // namespace tolvane::pictures
