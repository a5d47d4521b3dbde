// Picture files: what a file is and how big (from its header), decoding GIF,
// JPEG, PNG and BMP into a Bitmap, and writing GIF and JPEG.
//
// The kind of a file is found from its first bytes, never from its name. Every
// reader treats the file as hostile: a damaged, truncated or oversized file
// gives nothing. Writers encode in memory first, then write a new file beside
// the target and put it in place, so a failed write leaves the old file as it
// was and no partial file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/bitmap.h"
#include "platform/file_system.h"

namespace tolvane {

enum class PictureFormat { Unknown, Gif, Jpeg, Png, Bmp, Wmf, Emf };

struct PictureInfo {
  PictureFormat format = PictureFormat::Unknown;
  int width = 0;
  int height = 0;
  // A GIF whose first frame's graphic control extension names a transparent
  // colour, or a PNG with an alpha channel or a tRNS chunk; false otherwise.
  bool transparent = false;
};

// Decoding refuses pictures larger than this on either side or in total.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 100'000'000;

// Sizes from the headers:
//   GIF   the logical screen (the first frame's size when the screen says 0)
//   JPEG  the first SOF marker
//   PNG   IHDR (the chunks up to the first IDAT are checked too)
//   BMP   the info header (negative height = top-down; the pixel rows must be in the file)
//   WMF   the placeable header's bounding box and units per inch, at 96 dpi; a WMF
//         without a placeable header has no size we could tell, so it gives nothing
//   EMF   the header record's rclFrame (0.01 mm) at 96 dpi, since that is the size
//         the author meant; rclBounds (reference-device pixels) only when the frame is empty
// Nothing for any other file, or one whose headers are damaged or cut short.
std::optional<PictureInfo> ReadPictureInfo(const std::string& path);
std::optional<PictureInfo> ReadPictureInfo(const std::string& path, FileSystem& fs);
std::optional<PictureInfo> ReadPictureInfoBytes(const uint8_t* data, size_t size);

// GIF (first frame; the transparent colour and parts of the screen the frame
// does not cover decode as 0x00000000), JPEG (grey, RGB or YCbCr; CMYK is
// refused), PNG (every bit depth and colour type), BMP (1, 4, 8, 16, 24 and 32
// bits, BI_RGB and BI_BITFIELDS, bottom-up and top-down; RLE is refused).
// WMF and EMF give nothing: we have no renderer for them. A file whose info is
// refused is never decoded, and a file cut short gives nothing, even where
// the library would paint the rest grey (a GIF may lack its last, trailer byte).
std::optional<Bitmap> DecodePicture(const std::string& path);
std::optional<Bitmap> DecodePicture(const std::string& path, FileSystem& fs);
std::optional<Bitmap> DecodePictureBytes(const uint8_t* data, size_t size);

// At most 256 distinct colours (alpha >= 128) give an exact palette; more are
// mapped to the nearest colour of a 6x7x6 cube. Pixels with alpha < 128 become
// one transparent index. False for an empty, inconsistent or over-65535 bitmap.
bool WriteGif(const Bitmap& bitmap, const std::string& path);
bool WriteGif(const Bitmap& bitmap, const std::string& path, FileSystem& fs);

// Baseline JPEG; quality is clamped to 1..100. JPEG has no alpha, so pixels
// are blended over white, the colour of a page behind them.
bool WriteJpeg(const Bitmap& bitmap, const std::string& path, int quality = 90);
bool WriteJpeg(const Bitmap& bitmap, const std::string& path, FileSystem& fs, int quality = 90);

// Decode a BMP (by its content) and write it in the other format.
bool ConvertBmpToGif(const std::string& bmp, const std::string& gif);
bool ConvertBmpToGif(const std::string& bmp, const std::string& gif, FileSystem& fs);
bool ConvertBmpToJpeg(const std::string& bmp, const std::string& jpeg);
bool ConvertBmpToJpeg(const std::string& bmp, const std::string& jpeg, FileSystem& fs);

}  // namespace tolvane
