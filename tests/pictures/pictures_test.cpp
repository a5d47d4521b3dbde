// The picture codecs against small pictures made here: with giflib, libjpeg
// and libpng for the formats they own, by hand for BMP and the metafiles.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>
#include <zlib.h>

#include "common/bytes.h"
#include "platform/fakes/fault_file_system.h"
#include "platform/pictures/pictures.h"

namespace tolvane {
namespace {

// ---------------------------------------------------------------- helpers

class TempDir {
 public:
  TempDir() {
    static int n = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tolvane_pictures_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::optional<Bitmap> Decode(const Bytes& b) { return DecodePictureBytes(b.data(), b.size()); }
std::optional<PictureInfo> Info(const Bytes& b) { return ReadPictureInfoBytes(b.data(), b.size()); }
Bytes Prefix(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); }

constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return Argb(255, r, g, b); }
int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

Bitmap MakeBitmap(int w, int h, const std::function<uint32_t(int, int)>& colour) {
  Bitmap b;
  b.width = w;
  b.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.pixels.push_back(colour(x, y));
  return b;
}

::testing::AssertionResult SamePixels(const std::optional<Bitmap>& got, const Bitmap& want) {
  if (!got) return ::testing::AssertionFailure() << "nothing decoded";
  if (got->width != want.width || got->height != want.height)
    return ::testing::AssertionFailure() << "size " << got->width << "x" << got->height << ", want "
                                         << want.width << "x" << want.height;
  if (got->pixels.size() != want.pixels.size()) return ::testing::AssertionFailure() << "pixel count";
  for (size_t i = 0; i < want.pixels.size(); ++i)
    if (got->pixels[i] != want.pixels[i])
      return ::testing::AssertionFailure() << "pixel (" << i % static_cast<size_t>(want.width) << ","
                                           << i / static_cast<size_t>(want.width) << ") is " << std::hex
                                           << got->pixels[i] << ", want " << want.pixels[i];
  return ::testing::AssertionSuccess();
}

// Largest difference of any channel of any pixel.
int MaxDifference(const Bitmap& a, const Bitmap& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift : {0, 8, 16, 24})
      worst = std::max(worst, std::abs(Channel(a.pixels[i], shift) - Channel(b.pixels[i], shift)));
  return worst;
}

// ---------------------------------------------------------------- GIF fixtures

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlace = false;
  std::vector<GifColorType> localColours;  // empty: the global table
  int transparent = -1;                    // >= 0: a control block naming it precedes the frame
  std::function<uint8_t(int, int)> index;
};

int AppendGif(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

ColorMapObject* MapOf(const std::vector<GifColorType>& colours) {
  return colours.empty() ? nullptr : GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

Bytes MakeGif(int screenWidth, int screenHeight, const std::vector<GifColorType>& global,
              const std::vector<GifFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendGif, &error);
  EGifSetGifVersion(gif, true);
  ColorMapObject* map = MapOf(global);
  EXPECT_EQ(EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map), GIF_OK);
  GifFreeMapObject(map);
  for (const GifFrame& f : frames) {
    if (f.transparent >= 0) {
      GraphicsControlBlock gcb{};
      gcb.TransparentColor = f.transparent;
      GifByteType block[4];
      const size_t len = EGifGCBToExtension(&gcb, block);
      EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), block), GIF_OK);
    }
    ColorMapObject* local = MapOf(f.localColours);
    EXPECT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, local), GIF_OK);
    GifFreeMapObject(local);
    std::vector<int> order;
    if (f.interlace) {
      for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < f.height; y += step) order.push_back(y);
    } else {
      for (int y = 0; y < f.height; ++y) order.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<size_t>(f.width));
    for (int y : order) {
      for (int x = 0; x < f.width; ++x) line[static_cast<size_t>(x)] = f.index(x, y);
      EXPECT_EQ(EGifPutLine(gif, line.data(), f.width), GIF_OK);
    }
  }
  EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
  return out;
}

std::vector<GifColorType> GreyRamp(int n) {
  std::vector<GifColorType> colours;
  for (int i = 0; i < n; ++i) {
    const auto v = static_cast<GifByteType>(i * 255 / (n - 1));
    colours.push_back({v, static_cast<GifByteType>(255 - v), static_cast<GifByteType>(i * 7)});
  }
  return colours;
}

uint32_t ColourOf(const GifColorType& c) { return Rgb(c.Red, c.Green, c.Blue); }

// An 8 x 6 GIF with a 16-colour table and colour 3 transparent.
Bytes SmallGif() {
  GifFrame f;
  f.width = 8, f.height = 6, f.transparent = 3;
  f.index = [](int x, int y) { return static_cast<uint8_t>((x + 3 * y) % 16); };
  return MakeGif(8, 6, GreyRamp(16), {f});
}

// ---------------------------------------------------------------- JPEG fixtures

struct JpegRecipe {
  int width = 16, height = 16;
  J_COLOR_SPACE space = JCS_RGB;
  int components = 3;
  bool progressive = false;
  size_t appBytes = 0;  // an APP1 segment of this size before the frame header
  int quality = 95;
};

Bytes MakeJpeg(const JpegRecipe& recipe, const std::function<std::vector<uint8_t>(int, int)>& sample) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(recipe.width);
  c.image_height = static_cast<JDIMENSION>(recipe.height);
  c.input_components = recipe.components;
  c.in_color_space = recipe.space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, recipe.quality, TRUE);
  if (recipe.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  if (recipe.appBytes) {
    Bytes app(recipe.appBytes, 0xD8);  // bytes that look like markers must not confuse the walk
    jpeg_write_marker(&c, JPEG_APP0 + 1, app.data(), static_cast<unsigned>(app.size()));
  }
  std::vector<JSAMPLE> row(static_cast<size_t>(recipe.width * recipe.components));
  for (int y = 0; y < recipe.height; ++y) {
    for (int x = 0; x < recipe.width; ++x) {
      auto s = sample(x, y);
      std::copy(s.begin(), s.end(), row.begin() + x * recipe.components);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> Smooth(int x, int y) {
  return {static_cast<uint8_t>(x * 12), static_cast<uint8_t>(y * 12), static_cast<uint8_t>(128 + x * 3 - y * 2)};
}

Bytes SmallJpeg(bool progressive = false) {
  JpegRecipe s;
  s.width = 12, s.height = 10, s.progressive = progressive;
  return MakeJpeg(s, Smooth);
}

// ---------------------------------------------------------------- PNG fixtures

struct PngCase {
  const char* name;
  int colourType;
  int depth;
  bool interlace;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;
  std::optional<png_color_16> key;
  std::function<std::vector<uint16_t>(int, int)> samples;
  std::function<uint32_t(int, int)> expected;
  bool transparent;
};

void AppendPng(png_structp png, png_bytep data, size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

int ChannelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

Bytes MakePng(const PngCase& recipe, int w, int h) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), recipe.depth, recipe.colourType,
               recipe.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!recipe.palette.empty()) png_set_PLTE(png, info, recipe.palette.data(), static_cast<int>(recipe.palette.size()));
  if (!recipe.paletteAlpha.empty())
    png_set_tRNS(png, info, recipe.paletteAlpha.data(), static_cast<int>(recipe.paletteAlpha.size()), nullptr);
  if (recipe.key) png_set_tRNS(png, info, nullptr, 0, &*recipe.key);
  png_write_info(png, info);

  const int channels = ChannelsOf(recipe.colourType);
  const size_t rowBytes = (static_cast<size_t>(w) * channels * recipe.depth + 7) / 8;
  std::vector<Bytes> rows(static_cast<size_t>(h), Bytes(rowBytes, 0));
  for (int y = 0; y < h; ++y) {
    size_t bit = 0;
    for (int x = 0; x < w; ++x)
      for (uint16_t s : recipe.samples(x, y)) {
        uint8_t* row = rows[static_cast<size_t>(y)].data();
        if (recipe.depth == 16) {
          row[bit / 8] = static_cast<uint8_t>(s >> 8);
          row[bit / 8 + 1] = static_cast<uint8_t>(s);
        } else {
          row[bit / 8] |= static_cast<uint8_t>(s << (8 - recipe.depth - bit % 8));
        }
        bit += static_cast<size_t>(recipe.depth);
      }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

png_color_16 Key(uint16_t grey, uint16_t r, uint16_t g, uint16_t b) {
  png_color_16 k{};
  k.gray = grey, k.red = r, k.green = g, k.blue = b;
  return k;
}

const std::vector<PngCase>& PngCases() {
  using S = std::vector<uint16_t>;
  auto u16 = [](int v) { return static_cast<uint16_t>(v); };
  static const std::vector<PngCase> cases = {
      {"grey 1 bit", PNG_COLOR_TYPE_GRAY, 1, false, {}, {}, {},
       [=](int x, int y) { return S{u16((x + y) & 1)}; },
       [](int x, int y) { return (x + y) & 1 ? Rgb(255, 255, 255) : Rgb(0, 0, 0); }, false},
      // Small greys stretch by repeating their bits: 4 bits times 17, 2 bits times 85.
      {"grey 4 bits", PNG_COLOR_TYPE_GRAY, 4, false, {}, {}, {},
       [=](int x, int y) { return S{u16((x + 3 * y) % 16)}; },
       [](int x, int y) { const uint32_t v = (x + 3 * y) % 16 * 17; return Rgb(v, v, v); }, false},
      {"grey 16 bits", PNG_COLOR_TYPE_GRAY, 16, false, {}, {}, {},
       [=](int x, int y) { return S{u16((x * 40 + y * 7) % 256 * 257)}; },
       [](int x, int y) { const uint32_t v = (x * 40 + y * 7) % 256; return Rgb(v, v, v); }, false},
      {"grey 2 bits keyed", PNG_COLOR_TYPE_GRAY, 2, false, {}, {}, Key(1, 0, 0, 0),
       [=](int x, int y) { return S{u16((x + y) % 4)}; },
       [](int x, int y) {
         const uint32_t v = (x + y) % 4;
         return v == 1 ? Argb(0, 85, 85, 85) : Rgb(v * 85, v * 85, v * 85);
       },
       true},
      {"grey and alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {}, {}, {},
       [=](int x, int y) { return S{u16(x * 30), u16(y * 50)}; },
       [](int x, int y) { return Argb(y * 50, x * 30, x * 30, x * 30); }, true},
      {"RGB interlaced", PNG_COLOR_TYPE_RGB, 8, true, {}, {}, {},
       [=](int x, int y) { return S{u16(x * 36), u16(y * 51), u16((x * y * 13) % 256)}; },
       [](int x, int y) { return Rgb(x * 36, y * 51, (x * y * 13) % 256); }, false},
      {"RGB 16 bits", PNG_COLOR_TYPE_RGB, 16, false, {}, {}, {},
       [=](int x, int y) { return S{u16(x * 36 * 257), u16(y * 51 * 257), u16(65535)}; },
       [](int x, int y) { return Rgb(x * 36, y * 51, 255); }, false},
      {"RGB keyed", PNG_COLOR_TYPE_RGB, 8, false, {}, {}, Key(0, 10, 20, 30),
       [=](int x, int y) { return (x + y) % 3 ? S{u16(x), u16(y), 99} : S{10, 20, 30}; },
       [](int x, int y) { return (x + y) % 3 ? Rgb(x, y, 99) : Argb(0, 10, 20, 30); }, true},
      {"RGBA 16 bits interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true, {}, {}, {},
       [=](int x, int y) { return S{u16(x * 257), u16(y * 257), u16(200 * 257), u16((x * 30 + y) * 257)}; },
       [](int x, int y) { return Argb(x * 30 + y, x, y, 200); }, true},
      {"palette 2 bits with alpha", PNG_COLOR_TYPE_PALETTE, 2, false,
       {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}}, {0, 128}, {},
       [=](int x, int y) { return S{u16((x + 2 * y) % 4)}; },
       [](int x, int y) {
         const uint32_t all[4] = {Argb(0, 255, 0, 0), Argb(128, 0, 255, 0), Rgb(0, 0, 255), Rgb(9, 8, 7)};
         return all[(x + 2 * y) % 4];
       },
       true},
      {"palette 8 bits", PNG_COLOR_TYPE_PALETTE, 8, false,
       {{1, 2, 3}, {40, 50, 60}, {200, 100, 0}}, {}, {},
       [=](int x, int y) { return S{u16((x * y) % 3)}; },
       [](int x, int y) {
         const uint32_t all[3] = {Rgb(1, 2, 3), Rgb(40, 50, 60), Rgb(200, 100, 0)};
         return all[(x * y) % 3];
       },
       false},
  };
  return cases;
}

Bytes SmallPng() { return MakePng(PngCases()[5], 7, 5); }

// ---------------------------------------------------------------- BMP fixtures

struct BmpCase {
  const char* name;
  uint32_t headerSize;
  int bits;
  uint32_t compression;
  bool topDown;
  int paletteSize;                // entries written; fewer than 2^bits are given as "colours used"
  std::array<uint32_t, 4> masks;  // how 16- and 32-bit pixels are packed: red, green, blue, alpha
  bool alpha;                     // whether the pixels carry alpha values
};

constexpr int kBmpWidth = 5, kBmpHeight = 3;

uint32_t PaletteColour(int i) { return Rgb((i * 37) % 256, (i * 91 + 20) % 256, (i * 53 + 7) % 256); }

// What the case's picture shows at (x, y), and for palette pictures its index.
int BmpIndex(const BmpCase& c, int x, int y) { return (x + 2 * y + x * y) % c.paletteSize; }
uint32_t BmpColour(const BmpCase& c, int x, int y) {
  if (c.bits <= 8) return PaletteColour(BmpIndex(c, x, y));
  if (c.bits == 24) return Rgb(x * 50, y * 80, (x * y * 30 + 15) % 256);
  // Masked pixels use only full or empty channels, so any mask width reads back exactly.
  const int k = (x * 3 + y * 5) % 8;
  const uint32_t alpha = c.alpha ? ((x + y) % 3 ? 255 : 0) : 255;
  return Argb(alpha, k & 1 ? 255 : 0, k & 2 ? 255 : 0, k & 4 ? 255 : 0);
}

Bytes MakeBmp(const BmpCase& c, int width = kBmpWidth, int height = kBmpHeight) {
  Bytes info;
  ByteWriter iw(info);
  const bool core = c.headerSize == 12;
  const bool fields = c.compression == 3 || c.compression == 6;
  iw.U32(c.headerSize);
  if (core) {
    iw.U16(static_cast<uint16_t>(width));
    iw.U16(static_cast<uint16_t>(height));
    iw.U16(1);
    iw.U16(static_cast<uint16_t>(c.bits));
  } else {
    iw.I32(width);
    iw.I32(c.topDown ? -height : height);
    iw.U16(1);
    iw.U16(static_cast<uint16_t>(c.bits));
    iw.U32(c.compression);
    iw.U32(0);
    iw.I32(2835);
    iw.I32(2835);
    iw.U32(c.bits <= 8 && c.paletteSize < (1 << c.bits) ? static_cast<uint32_t>(c.paletteSize) : 0);
    iw.U32(0);
    if (fields) {
      const int count = c.headerSize == 40 ? (c.compression == 6 ? 4 : 3) : (c.headerSize >= 56 ? 4 : 3);
      for (int i = 0; i < count; ++i) iw.U32(c.masks[static_cast<size_t>(i)]);
    }
    if (c.headerSize > 40) info.resize(c.headerSize, 0);  // masks sit inside the longer headers
  }
  for (int i = 0; i < (c.bits <= 8 ? c.paletteSize : 0); ++i) {
    const uint32_t p = PaletteColour(i);
    iw.U8(static_cast<uint8_t>(p));
    iw.U8(static_cast<uint8_t>(p >> 8));
    iw.U8(static_cast<uint8_t>(p >> 16));
    if (!core) iw.U8(0);
  }

  const size_t stride = (static_cast<size_t>(width) * c.bits + 31) / 32 * 4;
  Bytes pixels;
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = c.topDown ? fileRow : height - 1 - fileRow;
    Bytes row(stride, 0xAB);  // padding and spare bits hold junk the reader must skip
    if (c.bits < 8)
      for (size_t i = 0; i < (static_cast<size_t>(width) * c.bits + 7) / 8; ++i) row[i] = 0xFF;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = BmpColour(c, x, y);
      if (c.bits < 8) {
        const int perByte = 8 / c.bits, shift = 8 - c.bits * (x % perByte + 1);
        uint8_t& b = row[static_cast<size_t>(x / perByte)];
        b = static_cast<uint8_t>((b & ~(((1 << c.bits) - 1) << shift)) | (BmpIndex(c, x, y) << shift));
      } else if (c.bits == 8) {
        row[static_cast<size_t>(x)] = static_cast<uint8_t>(BmpIndex(c, x, y));
      } else if (c.bits == 24) {
        PutU8(row.data(), 3 * static_cast<size_t>(x), static_cast<uint8_t>(p));
        PutU8(row.data(), 3 * static_cast<size_t>(x) + 1, static_cast<uint8_t>(p >> 8));
        PutU8(row.data(), 3 * static_cast<size_t>(x) + 2, static_cast<uint8_t>(p >> 16));
      } else {
        uint32_t v = 0;
        if (p & 0xFF0000) v |= c.masks[0];
        if (p & 0xFF00) v |= c.masks[1];
        if (p & 0xFF) v |= c.masks[2];
        if (c.alpha && (p >> 24)) v |= c.masks[3];
        if (c.bits == 16) PutU16(row.data(), 2 * static_cast<size_t>(x), static_cast<uint16_t>(v));
        else PutU32(row.data(), 4 * static_cast<size_t>(x), v);
      }
    }
    pixels.insert(pixels.end(), row.begin(), row.end());
  }

  Bytes file;
  ByteWriter w(file);
  const uint32_t offset = static_cast<uint32_t>(14 + info.size());
  w.Text("BM");
  w.U32(static_cast<uint32_t>(offset + pixels.size()));
  w.U32(0);
  w.U32(offset);
  w.Raw(info);
  w.Raw(pixels);
  return file;
}

const std::vector<BmpCase>& BmpCases() {
  static const std::vector<BmpCase> cases = {
      {"1 bit", 40, 1, 0, false, 2, {}, false},
      {"4 bits", 40, 4, 0, false, 16, {}, false},
      {"4 bits, 5 colours used", 40, 4, 0, false, 5, {}, false},
      {"8 bits", 40, 8, 0, false, 256, {}, false},
      {"8 bits top-down, 3 colours used", 40, 8, 0, true, 3, {}, false},
      {"24 bits", 40, 24, 0, false, 0, {}, false},
      {"24 bits top-down", 40, 24, 0, true, 0, {}, false},
      {"16 bits 5-5-5", 40, 16, 0, false, 0, {0x7C00, 0x03E0, 0x001F, 0}, false},
      {"32 bits, fourth byte unused", 40, 32, 0, false, 0, {0xFF0000, 0xFF00, 0xFF, 0}, false},
      {"32 bits with alpha", 40, 32, 0, true, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, true},
      {"16 bits 5-6-5 bit fields", 40, 16, 3, false, 0, {0xF800, 0x07E0, 0x001F, 0}, false},
      {"32 bits bit fields, blue high", 40, 32, 3, true, 0, {0xFF, 0xFF00, 0xFF0000, 0}, false},
      {"16 bits 4-4-4-4 alpha bit fields", 40, 16, 6, false, 0, {0x0F00, 0x00F0, 0x000F, 0xF000}, true},
      {"V4 32 bits bit fields with alpha", 108, 32, 3, false, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, true},
      {"V5 24 bits top-down", 124, 24, 0, true, 0, {}, false},
      {"V5 10-10-10 bit fields", 124, 32, 3, false, 0, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, false},
      {"core 4 bits", 12, 4, 0, false, 16, {}, false},
      {"core 24 bits", 12, 24, 0, false, 0, {}, false},
  };
  return cases;
}

Bitmap ExpectedBmp(const BmpCase& c) {
  return MakeBitmap(kBmpWidth, kBmpHeight, [&](int x, int y) { return BmpColour(c, x, y); });
}

// ---------------------------------------------------------------- metafile fixtures

Bytes MakePlaceableWmf(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t unitsPerInch,
                       uint32_t sizeWords = 12) {
  Bytes b;
  ByteWriter w(b);
  w.U32(0x9AC6CDD7u);
  w.U16(0);
  for (int16_t v : {left, top, right, bottom}) w.U16(static_cast<uint16_t>(v));
  w.U16(unitsPerInch);
  w.U32(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= GetU16(b.data(), i);
  w.U16(sum);
  // Metafile header: disk, 9 words, version 0x0300; then an end record (3 words).
  w.U16(2);
  w.U16(9);
  w.U16(0x0300);
  w.U32(sizeWords);
  w.U16(0);
  w.U32(3);
  w.U16(0);
  w.U32(3);
  w.U16(0);
  return b;
}

Bytes MakeEmf(std::array<int32_t, 4> bounds, std::array<int32_t, 4> frame, uint32_t fileBytes = 0) {
  Bytes b;
  ByteWriter w(b);
  w.U32(1);
  w.U32(88);
  for (int32_t v : bounds) w.I32(v);
  for (int32_t v : frame) w.I32(v);
  w.U32(0x464D4520u);
  w.U32(0x10000);
  w.U32(fileBytes ? fileBytes : 88 + 20);
  w.U32(2);
  w.U16(1);
  w.U16(0);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.I32(1920), w.I32(1080), w.I32(508), w.I32(286);
  // EMR_EOF
  w.U32(14), w.U32(20), w.U32(0), w.U32(0), w.U32(20);
  return b;
}

// ================================================================ info

TEST(PictureInfo, ComesFromEachFormatsHeader) {
  struct Case {
    const char* name;
    Bytes file;
    PictureFormat format;
    int width, height;
    bool transparent;
  };
  GifFrame opaque;
  opaque.width = 30, opaque.height = 20;
  opaque.index = [](int x, int) { return static_cast<uint8_t>(x % 2); };
  GifFrame keyed = opaque;
  keyed.transparent = 1;
  JpegRecipe wide;
  wide.width = 33, wide.height = 7, wide.appBytes = 3000;
  JpegRecipe grey;
  grey.width = 9, grey.height = 17, grey.space = JCS_GRAYSCALE, grey.components = 1, grey.progressive = true;
  auto greyLevel = [](int x, int) { return std::vector<uint8_t>{static_cast<uint8_t>(x * 20)}; };
  const std::vector<Case> cases = {
      {"GIF", MakeGif(30, 20, GreyRamp(2), {opaque}), PictureFormat::Gif, 30, 20, false},
      {"GIF screen larger than its frame", MakeGif(300, 200, GreyRamp(2), {opaque}), PictureFormat::Gif, 300, 200,
       false},
      {"GIF transparent", MakeGif(30, 20, GreyRamp(2), {keyed}), PictureFormat::Gif, 30, 20, true},
      {"GIF transparent only in its second frame", MakeGif(30, 20, GreyRamp(2), {opaque, keyed}),
       PictureFormat::Gif, 30, 20, false},
      {"GIF with a zero screen", MakeGif(0, 0, GreyRamp(2), {opaque}), PictureFormat::Gif, 30, 20, false},
      {"JPEG after a big APP1", MakeJpeg(wide, Smooth), PictureFormat::Jpeg, 33, 7, false},
      {"JPEG grey progressive", MakeJpeg(grey, greyLevel), PictureFormat::Jpeg, 9, 17, false},
      {"BMP 8 bits", MakeBmp(BmpCases()[3]), PictureFormat::Bmp, kBmpWidth, kBmpHeight, false},
      {"BMP top-down", MakeBmp(BmpCases()[6], 40, 30), PictureFormat::Bmp, 40, 30, false},
      {"BMP core", MakeBmp(BmpCases()[17], 300, 2), PictureFormat::Bmp, 300, 2, false},
      {"WMF 1440 units per inch", MakePlaceableWmf(0, 0, 2880, 720, 1440), PictureFormat::Wmf, 192, 48, false},
      {"WMF box drawn backwards", MakePlaceableWmf(1000, 500, 0, 0, 1000), PictureFormat::Wmf, 96, 48, false},
      {"WMF off the origin", MakePlaceableWmf(-100, 200, 500, 500, 576), PictureFormat::Wmf, 100, 50, false},
      {"EMF frame of 1 x 0.5 inch", MakeEmf({0, 0, 9, 9}, {0, 0, 2540, 1270}), PictureFormat::Emf, 96, 48, false},
      {"EMF without a frame uses its bounds", MakeEmf({10, 20, 109, 69}, {0, 0, 0, 0}), PictureFormat::Emf, 100, 50,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto info = Info(c.file);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->format, c.format);
    EXPECT_EQ(info->width, c.width);
    EXPECT_EQ(info->height, c.height);
    EXPECT_EQ(info->transparent, c.transparent);
  }
}

TEST(PictureInfo, PngTransparencyFollowsAlphaAndTrns) {
  for (const PngCase& c : PngCases()) {
    SCOPED_TRACE(c.name);
    auto info = Info(MakePng(c, 7, 5));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->format, PictureFormat::Png);
    EXPECT_EQ(info->width, 7);
    EXPECT_EQ(info->height, 5);
    EXPECT_EQ(info->transparent, c.transparent);
  }
}

TEST(PictureInfo, HandMadeJpegHeadersAreWalkedMarkerByMarker) {
  // SOI, a DHT whose bytes would read as a size, fill bytes, then a progressive frame header.
  const Bytes file = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x07, 0x08, 0x01, 0x00, 0x02, 0x00,
                      0xFF, 0xFF, 0xFF, 0xC2, 0x00, 0x0B, 0x08, 0x01, 0x2C, 0x00, 0xC8,
                      0x01, 0x01, 0x11, 0x00};
  auto info = Info(file);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->format, PictureFormat::Jpeg);
  EXPECT_EQ(info->width, 200);
  EXPECT_EQ(info->height, 300);
  EXPECT_FALSE(Decode(file).has_value());  // a header without a scan has no pixels

  // The scan starting before any frame header: no size to give.
  const Bytes scanFirst = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00,
                           0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x01, 0x2C, 0x00, 0xC8, 0x01, 0x01, 0x11, 0x00};
  EXPECT_FALSE(Info(scanFirst).has_value());
}

TEST(PictureInfo, NothingForOtherFiles) {
  const Bytes placeable = MakePlaceableWmf(0, 0, 100, 100, 96);
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"empty", {}},
      {"text", ToBytes("<html><body>not a picture</body></html>")},
      {"GIF magic alone", ToBytes("GIF89a")},
      {"PNG signature alone", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}},
      {"JPEG start alone", {0xFF, 0xD8, 0xFF}},
      {"BM alone", ToBytes("BM")},
      // A metafile without its placeable header keeps its size in its records.
      {"bare WMF", Bytes(placeable.begin() + 22, placeable.end())},
  };
  for (const auto& [name, file] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Info(file).has_value());
    EXPECT_FALSE(Decode(file).has_value());
  }
}

TEST(PictureInfo, MetafilesHaveASizeButNoPixels) {
  for (const Bytes& file : {MakePlaceableWmf(0, 0, 1440, 1440, 1440), MakeEmf({0, 0, 9, 9}, {0, 0, 2540, 2540})}) {
    EXPECT_TRUE(Info(file).has_value());
    EXPECT_FALSE(Decode(file).has_value());
  }
}

// ================================================================ decoding

TEST(DecodeBmp, EveryLayoutReadsBackItsPixels) {
  for (const BmpCase& c : BmpCases()) {
    SCOPED_TRACE(c.name);
    const Bytes file = MakeBmp(c);
    EXPECT_TRUE(SamePixels(Decode(file), ExpectedBmp(c)));
  }
}

TEST(DecodeBmp, AllZeroAlphaMeansOpaqueButOneAlphaValueCounts) {
  const BmpCase withAlpha = BmpCases()[9];
  Bitmap want = ExpectedBmp(withAlpha);
  ASSERT_TRUE(std::any_of(want.pixels.begin(), want.pixels.end(), [](uint32_t p) { return (p >> 24) == 0; }));
  EXPECT_TRUE(SamePixels(Decode(MakeBmp(withAlpha)), want));
  BmpCase noAlpha = withAlpha;
  noAlpha.alpha = false;  // same layout, every fourth byte zero
  for (uint32_t& p : want.pixels) p |= 0xFF000000u;
  EXPECT_TRUE(SamePixels(Decode(MakeBmp(noAlpha)), want));
}

TEST(DecodeBmp, PaletteIndicesPastThePaletteDrawBlack) {
  BmpCase c = BmpCases()[4];  // 8 bits, 3 colours
  Bytes file = MakeBmp(c);
  const size_t offset = GetU32(file.data(), 10);
  file[offset] = 200;  // first stored row is the top one: pixel (0, 0)
  Bitmap want = ExpectedBmp(c);
  want.pixels[0] = Rgb(0, 0, 0);
  EXPECT_TRUE(SamePixels(Decode(file), want));
}

TEST(DecodeGif, WriteThenDecodeKeepsUpTo256Colours) {
  struct Case {
    const char* name;
    int colours;
    bool withTransparency;
  };
  const Case cases[] = {{"2 colours", 2, false}, {"200 colours with holes", 200, true},
                        {"256 colours", 256, false}, {"255 colours and transparency", 255, true},
                        {"all transparent", 0, true}};
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Every colour at least once, then holes of two alpha values under 128.
    Bitmap in = MakeBitmap(32, 10, [&](int x, int y) {
      const int i = y * 32 + x;
      if (c.colours == 0) return Argb(static_cast<uint32_t>(i % 128), 1, 2, 3);
      const auto k = static_cast<uint32_t>(i % c.colours);
      const uint32_t rgb = k << 16 | (255 - k) << 8 | (k * 3) % 256;
      const bool hole = c.withTransparency && i >= c.colours && i % 7 == 0;
      return hole ? ((i % 2 ? 0u : 127u) << 24 | rgb) : (0xFF000000u | rgb);
    });
    if (c.colours) in.pixels[5] = (in.pixels[5] & 0xFFFFFF) | 0x80000000u;  // alpha 128 is opaque
    const std::string path = dir / "round.gif";
    ASSERT_TRUE(WriteGif(in, path));
    Bitmap want = in;
    for (uint32_t& p : want.pixels) p = (p >> 24) < 128 ? 0 : (p | 0xFF000000u);
    EXPECT_TRUE(SamePixels(DecodePicture(path), want));
    auto info = ReadPictureInfo(path);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->format, PictureFormat::Gif);
    EXPECT_EQ(info->width, 32);
    EXPECT_EQ(info->height, 10);
    EXPECT_EQ(info->transparent, c.withTransparency);
  }
}

TEST(DecodeGif, ManyColoursMapToTheNearestOfTheCube) {
  // 256 colours would fit alone, but the transparent index makes 257.
  struct Case {
    const char* name;
    Bitmap in;
  };
  const Case cases[] = {
      {"gradient", MakeBitmap(64, 48, [](int x, int y) { return Rgb(x * 4, y * 5, (x + y) * 2); })},
      {"256 colours and a hole", MakeBitmap(16, 17, [](int x, int y) {
         const int i = y * 16 + x;
         const auto k = static_cast<uint32_t>(i % 256);
         return i == 256 ? 0u : Rgb(k, 255 - k, (k * 3) % 256);
       })},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteGif(c.in, dir / "cube.gif"));
    auto out = DecodePicture(dir / "cube.gif");
    ASSERT_TRUE(out.has_value());
    ASSERT_EQ(out->pixels.size(), c.in.pixels.size());
    std::set<uint32_t> used;
    for (size_t i = 0; i < c.in.pixels.size(); ++i) {
      const uint32_t a = c.in.pixels[i], b = out->pixels[i];
      if ((a >> 24) < 128) {
        EXPECT_EQ(b, 0u);
        continue;
      }
      used.insert(b);
      // Half a step of 6 red, 7 green and 6 blue levels.
      EXPECT_LE(std::abs(Channel(a, 16) - Channel(b, 16)), 26) << i;
      EXPECT_LE(std::abs(Channel(a, 8) - Channel(b, 8)), 22) << i;
      EXPECT_LE(std::abs(Channel(a, 0) - Channel(b, 0)), 26) << i;
      EXPECT_EQ(b >> 24, 0xFFu);
    }
    EXPECT_LE(used.size(), 6u * 7u * 6u);
  }
}

TEST(DecodeGif, FrameLayouts) {
  const auto global = GreyRamp(8);
  const std::vector<GifColorType> local = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  auto pattern = [](int x, int y) { return static_cast<uint8_t>((x * 5 + y * 3) % 4); };
  struct Case {
    const char* name;
    int screenWidth, screenHeight;
    GifFrame frame;
  };
  std::vector<Case> cases;
  {
    GifFrame f;
    f.width = 9, f.height = 19, f.interlace = true, f.index = pattern;
    cases.push_back({"interlaced", 9, 19, f});
  }
  {
    GifFrame f;
    f.left = 3, f.top = 2, f.width = 4, f.height = 5, f.localColours = local, f.index = pattern;
    cases.push_back({"small frame with its own colours", 10, 8, f});
  }
  {
    GifFrame f;
    f.left = 6, f.top = 5, f.width = 8, f.height = 8, f.transparent = 2, f.index = pattern;
    cases.push_back({"frame past the screen, transparent", 10, 8, f});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const GifFrame& f = c.frame;
    const auto& colours = f.localColours.empty() ? global : f.localColours;
    Bitmap want = MakeBitmap(c.screenWidth, c.screenHeight, [&](int x, int y) -> uint32_t {
      const int fx = x - f.left, fy = y - f.top;
      if (fx < 0 || fy < 0 || fx >= f.width || fy >= f.height) return 0;
      const int i = f.index(fx, fy);
      return i == f.transparent ? 0 : ColourOf(colours[static_cast<size_t>(i)]);
    });
    EXPECT_TRUE(SamePixels(Decode(MakeGif(c.screenWidth, c.screenHeight, global, {f})), want));
  }
}

TEST(DecodeGif, OnlyTheFirstFrameIsDecoded) {
  GifFrame first, second;
  first.width = second.width = 4;
  first.height = second.height = 4;
  first.index = [](int, int) { return uint8_t{1}; };
  second.index = [](int, int) { return uint8_t{2}; };
  const auto colours = GreyRamp(4);
  EXPECT_TRUE(SamePixels(Decode(MakeGif(4, 4, colours, {first, second})),
                         MakeBitmap(4, 4, [&](int, int) { return ColourOf(colours[1]); })));
}

TEST(DecodeJpeg, WriteThenDecodeIsClose) {
  const Bitmap in = MakeBitmap(40, 24, [](int x, int y) { return Rgb(x * 6, y * 10, 200 - x * 2 - y); });
  TempDir dir;
  ASSERT_TRUE(WriteJpeg(in, dir / "a.jpg", 95));
  auto out = DecodePicture(dir / "a.jpg");
  ASSERT_TRUE(out.has_value());
  ASSERT_EQ(out->width, 40);
  ASSERT_EQ(out->height, 24);
  EXPECT_LE(MaxDifference(*out, in), 12);
  auto info = ReadPictureInfo(dir / "a.jpg");
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->format, PictureFormat::Jpeg);
  EXPECT_EQ(info->width, 40);
  EXPECT_EQ(info->height, 24);
  EXPECT_FALSE(info->transparent);
}

TEST(DecodeJpeg, TransparencyBecomesWhiteAndQualityIsHonoured) {
  TempDir dir;
  const Bitmap clear = MakeBitmap(16, 16, [](int x, int) { return x < 8 ? 0u : Argb(0, 255, 0, 0); });
  ASSERT_TRUE(WriteJpeg(clear, dir / "clear.jpg"));
  auto out = DecodePicture(dir / "clear.jpg");
  ASSERT_TRUE(out.has_value());
  EXPECT_LE(MaxDifference(*out, MakeBitmap(16, 16, [](int, int) { return Rgb(255, 255, 255); })), 2);

  const Bitmap busy =
      MakeBitmap(64, 64, [](int x, int y) { return Rgb((x * 97) % 256, (y * 53) % 256, (x * y) % 256); });
  ASSERT_TRUE(WriteJpeg(busy, dir / "low.jpg", -5));  // clamped to 1
  ASSERT_TRUE(WriteJpeg(busy, dir / "high.jpg", 500));  // clamped to 100
  EXPECT_LT(ReadAll(dir / "low.jpg").size() * 3, ReadAll(dir / "high.jpg").size());
}

TEST(DecodeJpeg, ColourSpaces) {
  JpegRecipe grey;
  grey.space = JCS_GRAYSCALE, grey.components = 1;
  auto greyOut = Decode(
      MakeJpeg(grey, [](int x, int y) { return std::vector<uint8_t>{static_cast<uint8_t>(x * 8 + y * 4)}; }));
  ASSERT_TRUE(greyOut.has_value());
  EXPECT_LE(MaxDifference(*greyOut, MakeBitmap(16, 16, [](int x, int y) {
              const uint32_t v = static_cast<uint32_t>(x * 8 + y * 4);
              return Rgb(v, v, v);
            })),
            6);

  JpegRecipe progressive;
  progressive.progressive = true;
  auto progressiveOut = Decode(MakeJpeg(progressive, Smooth));
  ASSERT_TRUE(progressiveOut.has_value());
  EXPECT_LE(MaxDifference(*progressiveOut, MakeBitmap(16, 16, [](int x, int y) {
              auto s = Smooth(x, y);
              return Rgb(s[0], s[1], s[2]);
            })),
            12);

  JpegRecipe cmyk;
  cmyk.space = JCS_CMYK, cmyk.components = 4;
  const Bytes inks = MakeJpeg(cmyk, [](int x, int y) {
    return std::vector<uint8_t>{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0, 0};
  });
  EXPECT_FALSE(Decode(inks).has_value());
  ASSERT_TRUE(Info(inks).has_value());  // its size is still known
  EXPECT_EQ(Info(inks)->width, 16);
}

TEST(DecodePng, EveryColourTypeAndDepth) {
  for (const PngCase& c : PngCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(SamePixels(Decode(MakePng(c, 7, 5)), MakeBitmap(7, 5, c.expected)));
  }
}

// ================================================================ files

TEST(PictureFiles, TheContentDecidesNotTheName) {
  TempDir dir;
  const Bitmap grid = MakeBitmap(6, 4, [](int x, int y) { return (x + y) % 2 ? Rgb(255, 0, 0) : Rgb(0, 0, 255); });
  ASSERT_TRUE(WriteGif(grid, dir / "really-a-gif.jpg"));
  WriteAll(dir / "really-a-png.gif", SmallPng());
  WriteAll(dir / "really-a-bmp.png", MakeBmp(BmpCases()[5]));
  WriteAll(dir / "no-extension", SmallJpeg());
  WriteAll(dir / "text.bmp", ToBytes("BMP is what this file pretends to be"));
  WriteAll(dir / "text.gif", ToBytes("just words"));

  const std::vector<std::pair<std::string, PictureFormat>> cases = {
      {"really-a-gif.jpg", PictureFormat::Gif}, {"really-a-png.gif", PictureFormat::Png},
      {"really-a-bmp.png", PictureFormat::Bmp}, {"no-extension", PictureFormat::Jpeg}};
  for (const auto& [name, format] : cases) {
    SCOPED_TRACE(name);
    auto info = ReadPictureInfo(dir / name);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->format, format);
    EXPECT_TRUE(DecodePicture(dir / name).has_value());
  }
  EXPECT_TRUE(SamePixels(DecodePicture(dir / "really-a-gif.jpg"), grid));
  for (const char* name : {"text.bmp", "text.gif", "missing.gif"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ReadPictureInfo(dir / name).has_value());
    EXPECT_FALSE(DecodePicture(dir / name).has_value());
  }
  EXPECT_FALSE(DecodePicture(dir / "").has_value());  // the folder itself
}

TEST(PictureFiles, ConvertBmp) {
  TempDir dir;
  const BmpCase c = BmpCases()[5];  // 24 bits
  WriteAll(dir / "in.bmp", MakeBmp(c));
  ASSERT_TRUE(ConvertBmpToGif(dir / "in.bmp", dir / "out.gif"));
  EXPECT_TRUE(SamePixels(DecodePicture(dir / "out.gif"), ExpectedBmp(c)));
  ASSERT_TRUE(ConvertBmpToJpeg(dir / "in.bmp", dir / "out.jpg"));
  auto jpeg = DecodePicture(dir / "out.jpg");
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_EQ(ReadPictureInfo(dir / "out.jpg")->format, PictureFormat::Jpeg);
  EXPECT_EQ(jpeg->width, kBmpWidth);
  EXPECT_EQ(jpeg->height, kBmpHeight);

  // Only a BMP is converted, whatever its name.
  WriteAll(dir / "png.bmp", SmallPng());
  EXPECT_FALSE(ConvertBmpToGif(dir / "png.bmp", dir / "no.gif"));
  EXPECT_FALSE(ConvertBmpToJpeg(dir / "png.bmp", dir / "no.jpg"));
  EXPECT_FALSE(ConvertBmpToGif(dir / "missing.bmp", dir / "no.gif"));
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.bmp", "out.gif", "out.jpg", "png.bmp"}));
}

TEST(PictureFiles, RefusedBitmapsWriteNothingAndKeepTheOldFile) {
  Bitmap empty;
  Bitmap shortPixels = MakeBitmap(4, 4, [](int, int) { return Rgb(1, 2, 3); });
  shortPixels.pixels.pop_back();
  Bitmap negative = shortPixels;
  negative.width = -4;
  negative.pixels.assign(16, 0);
  Bitmap tooWide;
  tooWide.width = 70000, tooWide.height = 1;
  tooWide.pixels.assign(70000, Rgb(0, 0, 0));
  TempDir dir;
  const Bytes old = ToBytes("the picture that was there before");
  for (const Bitmap* b : {&empty, &shortPixels, &negative, &tooWide}) {
    WriteAll(dir / "old.gif", old);
    EXPECT_FALSE(WriteGif(*b, dir / "old.gif"));
    EXPECT_FALSE(WriteJpeg(*b, dir / "old.gif"));
    EXPECT_FALSE(WriteGif(*b, dir / "new.gif"));
    EXPECT_FALSE(WriteJpeg(*b, dir / "new.jpg"));
    EXPECT_EQ(ReadAll(dir / "old.gif"), old);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"old.gif"});
  }
  const Bitmap fine = MakeBitmap(2, 2, [](int, int) { return Rgb(1, 2, 3); });
  EXPECT_FALSE(WriteGif(fine, dir / "no-such-folder/a.gif"));
  EXPECT_FALSE(WriteJpeg(fine, dir / "no-such-folder/a.jpg"));
}

TEST(PictureFiles, AFailingDiskNeverTearsTheOldFileNorLeavesAPart) {
  const Bitmap picture = MakeBitmap(20, 20, [](int x, int y) { return Rgb(x * 10, y * 10, 50); });
  const std::vector<std::pair<const char*, std::function<bool(const std::string&, FileSystem&)>>> writers = {
      {"GIF", [&](const std::string& p, FileSystem& fs) { return WriteGif(picture, p, fs); }},
      {"JPEG", [&](const std::string& p, FileSystem& fs) { return WriteJpeg(picture, p, fs); }},
  };
  for (const auto& [name, write] : writers) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string path = dir / "picture";
    const Bytes old = ToBytes("old picture");
    int failures = 0;
    for (int n = 1; n < 100; ++n) {
      WriteAll(path, old);
      FaultFileSystem fs(MakePosixFileSystem());
      fs.FailAt(n);
      const bool ok = write(path, fs);
      const bool injected = fs.failed();
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"picture"}) << "fault " << n;
      if (ok) {
        EXPECT_TRUE(DecodePicture(path).has_value()) << "fault " << n;
      } else {
        ++failures;
        EXPECT_EQ(ReadAll(path), old) << "fault " << n;
      }
      if (!injected) break;
    }
    EXPECT_GE(failures, 4);  // create, write, sync, close and rename can each fail the write
  }
}

// ================================================================ damaged files

struct Fixture {
  const char* name;
  Bytes file;
  size_t lenientTail;  // bytes at the end a decoder may do without
};

std::vector<Fixture> Fixtures() {
  const BmpCase b24 = BmpCases()[5], b4 = BmpCases()[1];
  const size_t b24Pad = (4 - (kBmpWidth * 3) % 4) % 4;
  return {
      {"GIF", SmallGif(), 1},  // the trailer: the first frame is complete without it
      {"interlaced GIF", MakeGif(9, 19, GreyRamp(4), {GifFrame{0, 0, 9, 19, true, {}, 2, [](int x, int y) {
                                                       return static_cast<uint8_t>((x + y) % 4);
                                                     }}}),
       1},
      {"JPEG", SmallJpeg(), 0},
      {"progressive JPEG", SmallJpeg(true), 0},
      {"PNG", SmallPng(), 0},
      {"interlaced RGBA PNG", MakePng(PngCases()[8], 7, 5), 0},
      {"BMP 24 bits", MakeBmp(b24), b24Pad},  // the last row's padding
      {"BMP 4 bits", MakeBmp(b4), 1},
  };
}

TEST(DamagedPictures, EveryCutGivesNothing) {
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    const auto full = Info(f.file);
    ASSERT_TRUE(full.has_value());
    ASSERT_TRUE(Decode(f.file).has_value());
    bool infoSeen = false;
    for (size_t n = 0; n < f.file.size(); ++n) {
      const Bytes cut = Prefix(f.file, n);
      const bool decoded = Decode(cut).has_value();
      EXPECT_EQ(decoded, n >= f.file.size() - f.lenientTail) << "cut at " << n;
      // Info needs the headers only; once they are in, it stays and says the same.
      auto info = Info(cut);
      if (infoSeen) {
        EXPECT_TRUE(info.has_value()) << "cut at " << n;
      }
      if (info) {
        infoSeen = true;
        EXPECT_EQ(info->width, full->width);
        EXPECT_EQ(info->height, full->height);
        EXPECT_EQ(info->transparent, full->transparent);
      }
      if (n < 13) {
        EXPECT_FALSE(info.has_value()) << "cut at " << n;
      }
    }
  }
  for (const Bytes& meta : {MakePlaceableWmf(0, 0, 100, 100, 96), MakeEmf({0, 0, 9, 9}, {0, 0, 254, 254})})
    for (size_t n = 0; n < meta.size(); ++n) EXPECT_FALSE(Info(Prefix(meta, n)).has_value()) << n;
}

struct Damage {
  const char* name;
  Bytes file;
  bool infoKept;  // the headers are sound, only the picture is refused
  int width = 0, height = 0;
};

Bytes Patched(Bytes b, size_t off, std::initializer_list<uint8_t> bytes) {
  for (uint8_t v : bytes) b.at(off++) = v;
  return b;
}
Bytes PatchedU32(Bytes b, size_t off, uint32_t v) {
  PutU32(b.data(), off, v);
  return b;
}
Bytes PatchedU16(Bytes b, size_t off, uint16_t v) {
  PutU16(b.data(), off, v);
  return b;
}

// PNG's IHDR with new values and, when asked, a CRC that matches them.
Bytes PngWithHeader(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType, bool fixCrc) {
  Bytes b = SmallPng();
  for (int i = 0; i < 4; ++i) {
    b[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    b[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  b[24] = depth, b[25] = colourType;
  if (fixCrc) {
    const uLong crc = crc32(crc32(0, nullptr, 0), b.data() + 12, 17);
    for (int i = 0; i < 4; ++i) b[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  }
  return b;
}

// Offset of the first frame header's height in a libjpeg file.
size_t JpegFrameHeight(const Bytes& b) {
  for (size_t i = 2; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xC0) return i + 5;
  ADD_FAILURE() << "no SOF0";
  return 0;
}

size_t GifImageStart(const Bytes& b) {
  for (size_t i = 13 + 3 * 16; i < b.size(); ++i)
    if (b[i] == 0x2C) return i;
  ADD_FAILURE() << "no image";
  return 0;
}

TEST(DamagedPictures, LyingHeadersGiveNothing) {
  const Bytes bmp = MakeBmp(BmpCases()[5]);
  const Bytes bmp1 = MakeBmp(BmpCases()[0]);
  const Bytes gif = SmallGif();
  const size_t image = GifImageStart(gif);
  const Bytes jpeg = SmallJpeg();
  const size_t sof = JpegFrameHeight(jpeg);
  const Bytes png = SmallPng();
  const Bytes wmf = MakePlaceableWmf(0, 0, 96, 96, 96);

  BmpCase wide1 = BmpCases()[0];
  Bytes noImage = Prefix(gif, 13 + 48);
  noImage.push_back(0x3B);
  const std::vector<Damage> cases = {
      {"BMP rows past the end", PatchedU32(bmp, 10, static_cast<uint32_t>(bmp.size() - 10)), false},
      {"BMP offset past the end", PatchedU32(bmp, 10, 0x7FFFFFFF), false},
      {"BMP offset inside the header", PatchedU32(bmp, 10, 20), false},
      {"BMP wider than its rows", PatchedU32(bmp, 18, 5000), false},
      {"BMP taller than its rows", PatchedU32(bmp, 22, 4), false},
      {"BMP width 0", PatchedU32(bmp, 18, 0), false},
      {"BMP height 0", PatchedU32(bmp, 22, 0), false},
      {"BMP negative width", PatchedU32(bmp, 18, static_cast<uint32_t>(-5)), false},
      {"BMP most negative height", PatchedU32(bmp, 22, 0x80000000u), false},
      {"BMP huge width", PatchedU32(bmp, 18, 0x7FFFFFFF), false},
      {"BMP unknown header size", PatchedU32(bmp, 14, 41), false},
      {"BMP header longer than the file", PatchedU32(bmp, 14, 124), false},
      {"BMP 7 bits", PatchedU16(bmp, 28, 7), false},
      {"BMP 0 bits", PatchedU16(bmp, 28, 0), false},
      {"BMP unknown compression", PatchedU32(bmp, 30, 9), false},
      {"BMP bit fields on 24 bits", PatchedU32(bmp, 30, 3), false},
      {"BMP run-length coded", PatchedU32(PatchedU16(bmp1, 28, 8), 30, 1), true, kBmpWidth, kBmpHeight},
      {"BMP wider than we decode", MakeBmp(wide1, kMaxPictureSide + 1, 1), true, kMaxPictureSide + 1, 1},
      {"BMP scattered mask", PatchedU32(MakeBmp(BmpCases()[10]), 54, 0xF00F), false},
      {"BMP mask beyond 16 bits", PatchedU32(MakeBmp(BmpCases()[10]), 54, 0x1F0000), false},
      {"GIF huge screen", PatchedU16(PatchedU16(gif, 6, 65535), 8, 65535), true, 65535, 65535},
      {"GIF frame of width 0", PatchedU16(gif, image + 5, 0), false},
      {"GIF frame larger than we decode", PatchedU16(PatchedU16(gif, image + 5, 20000), 6, 20000), true, 20000, 6},
      {"GIF colour table past the end", Patched(gif, 10, {0xF7}), false},
      {"GIF code size 0", Patched(gif, image + 10, {0}), true, 8, 6},
      {"GIF code size 12", Patched(gif, image + 10, {12}), true, 8, 6},
      {"GIF ends before any image", noImage, false},
      {"GIF garbage where a block starts", Patched(gif, image, {0x99}), false},
      {"JPEG height 0", Patched(jpeg, sof, {0, 0}), false},
      {"JPEG larger than we decode", Patched(jpeg, sof, {0xFD, 0xE8, 0xFD, 0xE8}), true, 65000, 65000},
      {"JPEG segment longer than the file", Patched(jpeg, 4, {0xFF, 0xF0}), false},
      {"JPEG segment length 1", Patched(jpeg, 4, {0, 1}), false},
      {"PNG header CRC wrong", PngWithHeader(8, 5, 8, 2, false), false},
      {"PNG width 0", PngWithHeader(0, 5, 8, 2, true), false},
      {"PNG width past 2^31", PngWithHeader(0x80000000u, 5, 8, 2, true), false},
      {"PNG 4-bit RGB", PngWithHeader(7, 5, 4, 2, true), false},
      {"PNG colour type 5", PngWithHeader(7, 5, 8, 5, true), false},
      {"PNG larger than we decode", PngWithHeader(100000, 100000, 8, 2, true), true, 100000, 100000},
      {"PNG rows wider than the data", PngWithHeader(700, 5, 8, 2, true), true, 700, 5},
      {"PNG pixel data CRC wrong", Patched(png, png.size() - 13, {static_cast<uint8_t>(png[png.size() - 13] ^ 0x55)}),
       true, 7, 5},
      {"PNG chunk length past the end", PatchedU32(png, 33, 0x70000000u), false},
      {"WMF 0 units per inch", PatchedU16(wmf, 14, 0), false},
      {"WMF empty box", PatchedU16(wmf, 10, 0), false},
      {"WMF longer than the file", PatchedU32(wmf, 28, 1000), false},
      {"WMF bad header size", PatchedU16(wmf, 24, 8), false},
      {"EMF longer than the file", MakeEmf({0, 0, 9, 9}, {0, 0, 254, 254}, 5000), false},
      {"EMF record longer than the file", PatchedU32(MakeEmf({0, 0, 9, 9}, {0, 0, 254, 254}), 4, 400), false},
      {"EMF without frame or bounds", MakeEmf({0, 0, -1, -1}, {0, 0, 0, 0}), false},
      {"EMF bounds wider than any picture", MakeEmf({INT32_MIN, 0, INT32_MAX, 10}, {0, 0, 0, 0}), false},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    EXPECT_FALSE(Decode(d.file).has_value());
    auto info = Info(d.file);
    ASSERT_EQ(info.has_value(), d.infoKept);
    if (info) {
      EXPECT_EQ(info->width, d.width);
      EXPECT_EQ(info->height, d.height);
    }
  }
}

TEST(DamagedPictures, TooManyPixelsAreRefusedEvenWhenEverySideFits) {
  // 10000 x 10001 is more than 100 million pixels; one bit each keeps the file small.
  const BmpCase c = BmpCases()[0];
  const Bytes file = MakeBmp(c, 10000, 10001);
  ASSERT_TRUE(Info(file).has_value());
  EXPECT_FALSE(Decode(file).has_value());
  // The sides themselves may reach the limit.
  EXPECT_TRUE(Decode(MakeBmp(c, kMaxPictureSide, 1)).has_value());
  EXPECT_TRUE(Decode(MakeBmp(c, 1, kMaxPictureSide)).has_value());
}

TEST(DamagedPictures, ScrambledBytesNeverBreakTheDecoders) {
  std::mt19937 random(20240611);
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    for (int round = 0; round < 300; ++round) {
      Bytes b = f.file;
      const int flips = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < flips; ++i) b[random() % b.size()] ^= static_cast<uint8_t>(1 + random() % 255);
      auto out = Decode(b);
      auto info = Info(b);
      if (info) {
        EXPECT_GT(info->width, 0);
        EXPECT_GT(info->height, 0);
      }
      if (out) {
        // Whatever decodes has the size its header announced.
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(out->width, info->width);
        EXPECT_EQ(out->height, info->height);
        EXPECT_EQ(out->pixels.size(), static_cast<size_t>(out->width) * static_cast<size_t>(out->height));
      }
    }
  }
}

}  // namespace
}  // namespace tolvane
