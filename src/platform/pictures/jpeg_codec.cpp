// JPEG through libjpeg-turbo. The library reports errors by calling a function
// that must not return, so ours jumps back to the caller; every jump lands in
// a function whose state lives in a struct, and nothing with a destructor is
// skipped on the way.
//
// Markers: 0xFF, any number of 0xFF fill bytes, the marker code, then for all
// but the standalone ones (0x01, 0xD0-0xD8) a big-endian length that counts
// itself. A frame header (SOF0-SOF15 but DHT 0xC4, JPG 0xC8, DAC 0xCC) holds:
//   OFFSET SIZE MEANING (after the length)
//   0      1    sample precision
//   1      2    height (0 means "defined later", which we refuse)
//   3      2    width
//   5      1    component count, then 3 bytes per component
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/pictures/codecs.h"

namespace tolvane::pictures {

namespace {

// Progressive files can ask for many scans and big coefficient buffers; a
// picture within our size limits needs far less than either.
constexpr int kMaxScans = 500;
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;

struct JpegErrors {
  jpeg_error_mgr pub;  // first: the library hands back a pointer to it
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->jump, 1); }
void Silent(j_common_ptr) {}

jpeg_error_mgr* InstallErrors(JpegErrors& errors) {
  jpeg_error_mgr* err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOut;
  errors.pub.output_message = Silent;  // warnings are no business of stderr's
  return err;
}

void NoOp(j_decompress_ptr) {}
// The whole file is in the buffer from the start: asking for more means the
// file ends early, which is an error, not a reason to invent an end marker.
boolean NoMoreInput(j_decompress_ptr c) {
  c->err->msg_code = JERR_INPUT_EOF;
  c->err->error_exit(reinterpret_cast<j_common_ptr>(c));
  return FALSE;
}
void SkipInput(j_decompress_ptr c, long n) {
  if (n <= 0) return;
  if (static_cast<unsigned long>(n) > c->src->bytes_in_buffer) NoMoreInput(c);
  c->src->next_input_byte += n;
  c->src->bytes_in_buffer -= static_cast<size_t>(n);
}
void LimitScans(j_common_ptr c) {
  if (c->is_decompressor && reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans) {
    c->err->msg_code = JERR_NOT_COMPILED;
    c->err->error_exit(c);
  }
}

struct JpegDecoder {
  jpeg_decompress_struct cinfo{};
  JpegErrors errors{};
  jpeg_source_mgr source{};
  jpeg_progress_mgr progress{};
  Bitmap bitmap;
  std::vector<JSAMPLE> row;
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo); }
};

bool RunDecoder(JpegDecoder& d, const uint8_t* data, size_t size) {
  jpeg_decompress_struct& c = d.cinfo;
  c.err = InstallErrors(d.errors);
  if (setjmp(d.errors.jump)) return false;
  jpeg_create_decompress(&c);
  c.mem->max_memory_to_use = kMaxDecoderMemory;
  d.source.next_input_byte = data;
  d.source.bytes_in_buffer = size;
  d.source.init_source = NoOp;
  d.source.fill_input_buffer = NoMoreInput;
  d.source.skip_input_data = SkipInput;
  d.source.resync_to_restart = jpeg_resync_to_restart;
  d.source.term_source = NoOp;
  c.src = &d.source;
  d.progress.progress_monitor = LimitScans;
  c.progress = &d.progress;

  if (jpeg_read_header(&c, TRUE) != JPEG_HEADER_OK) return false;
  if (!SizeAllowed(c.image_width, c.image_height)) return false;
  switch (c.jpeg_color_space) {
    case JCS_GRAYSCALE: c.out_color_space = JCS_GRAYSCALE; break;
    case JCS_YCbCr:
    case JCS_RGB: c.out_color_space = JCS_RGB; break;
    default: return false;  // CMYK and YCCK: their inks need a colour profile to look right
  }
  jpeg_start_decompress(&c);
  const int channels = c.output_components;
  if ((channels != 1 && channels != 3) || !SizeAllowed(c.output_width, c.output_height)) return false;

  d.bitmap.width = static_cast<int>(c.output_width);
  d.bitmap.height = static_cast<int>(c.output_height);
  d.bitmap.pixels.resize(static_cast<size_t>(c.output_width) * c.output_height);
  d.row.resize(static_cast<size_t>(c.output_width) * static_cast<size_t>(channels));
  while (c.output_scanline < c.output_height) {
    uint32_t* out = d.bitmap.pixels.data() + static_cast<size_t>(c.output_scanline) * c.output_width;
    JSAMPROW rows[1] = {d.row.data()};
    if (jpeg_read_scanlines(&c, rows, 1) != 1) return false;
    const JSAMPLE* in = d.row.data();
    for (JDIMENSION x = 0; x < c.output_width; ++x, in += channels)
      out[x] = channels == 1 ? Argb(0xFF, in[0], in[0], in[0]) : Argb(0xFF, in[0], in[1], in[2]);
  }
  jpeg_finish_decompress(&c);
  return true;
}

struct JpegEncoder {
  jpeg_compress_struct cinfo{};
  JpegErrors errors{};
  jpeg_destination_mgr destination{};
  Bytes* out = nullptr;
  JOCTET chunk[16384];
  std::vector<JSAMPLE> row;
  ~JpegEncoder() { jpeg_destroy_compress(&cinfo); }

  bool Append(size_t n) noexcept {
    try {
      out->insert(out->end(), chunk, chunk + n);
    } catch (...) {
      return false;
    }
    destination.next_output_byte = chunk;
    destination.free_in_buffer = sizeof chunk;
    return true;
  }
};

JpegEncoder& EncoderOf(j_compress_ptr c) { return *static_cast<JpegEncoder*>(c->client_data); }
void StartOutput(j_compress_ptr c) {
  EncoderOf(c).destination.next_output_byte = EncoderOf(c).chunk;
  EncoderOf(c).destination.free_in_buffer = sizeof EncoderOf(c).chunk;
}
void FailOutput(j_compress_ptr c) {
  c->err->msg_code = JERR_OUT_OF_MEMORY;
  c->err->error_exit(reinterpret_cast<j_common_ptr>(c));
}
boolean FlushChunk(j_compress_ptr c) {
  if (!EncoderOf(c).Append(sizeof EncoderOf(c).chunk)) FailOutput(c);
  return TRUE;
}
void EndOutput(j_compress_ptr c) {
  JpegEncoder& e = EncoderOf(c);
  if (!e.Append(sizeof e.chunk - e.destination.free_in_buffer)) FailOutput(c);
}

// JPEG has no transparency; a page shows white behind a picture.
uint8_t OverWhite(uint32_t channel, uint32_t alpha) {
  return static_cast<uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

bool RunEncoder(JpegEncoder& e, const Bitmap& bitmap, int quality) {
  jpeg_compress_struct& c = e.cinfo;
  c.err = InstallErrors(e.errors);
  if (setjmp(e.errors.jump)) return false;
  jpeg_create_compress(&c);
  c.client_data = &e;
  e.destination.init_destination = StartOutput;
  e.destination.empty_output_buffer = FlushChunk;
  e.destination.term_destination = EndOutput;
  c.dest = &e.destination;
  c.image_width = static_cast<JDIMENSION>(bitmap.width);
  c.image_height = static_cast<JDIMENSION>(bitmap.height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    const uint32_t* in = bitmap.pixels.data() + static_cast<size_t>(c.next_scanline) * c.image_width;
    JSAMPLE* out = e.row.data();
    for (JDIMENSION x = 0; x < c.image_width; ++x, out += 3) {
      const uint32_t p = in[x], a = p >> 24;
      out[0] = OverWhite((p >> 16) & 0xFF, a);
      out[1] = OverWhite((p >> 8) & 0xFF, a);
      out[2] = OverWhite(p & 0xFF, a);
    }
    JSAMPROW rows[1] = {e.row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  return true;
}

bool IsFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

std::optional<PictureInfo> JpegInfo(PictureSource& src) {
  uint64_t pos = 2;
  for (;;) {
    uint8_t b = 0;
    if (!src.U8(pos, b) || b != 0xFF) return std::nullopt;
    while (b == 0xFF)
      if (!src.U8(++pos, b)) return std::nullopt;
    const uint8_t marker = b;
    ++pos;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
    if (marker == 0x00 || marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame before the data
    uint8_t len[2];
    if (!src.Read(pos, len, sizeof len) || GetU16BE(len, 0) < 2) return std::nullopt;
    const uint64_t length = GetU16BE(len, 0);
    if (IsFrameHeader(marker)) {
      uint8_t f[6];
      if (length < 2 + sizeof f || !src.Read(pos + 2, f, sizeof f)) return std::nullopt;
      const int height = GetU16BE(f, 1), width = GetU16BE(f, 3), components = f[5];
      if (width == 0 || height == 0 || components == 0 || length < 8u + 3u * components ||
          pos + length > src.size())
        return std::nullopt;
      return PictureInfo{PictureFormat::Jpeg, width, height, false};
    }
    pos += length;
  }
}

std::optional<Bitmap> DecodeJpeg(const uint8_t* data, size_t size) {
  auto decoder = std::make_unique<JpegDecoder>();
  if (!RunDecoder(*decoder, data, size)) return std::nullopt;
  return std::move(decoder->bitmap);
}

bool EncodeJpeg(const Bitmap& bitmap, int quality, Bytes& out) {
  if (!WritableBitmap(bitmap, JPEG_MAX_DIMENSION)) return false;
  auto encoder = std::make_unique<JpegEncoder>();
  encoder->out = &out;
  encoder->row.resize(static_cast<size_t>(bitmap.width) * 3);
  out.clear();
  return RunEncoder(*encoder, bitmap, quality < 1 ? 1 : quality > 100 ? 100 : quality);
}

}  // namespace tolvane::pictures
