// What the picture front end shares with each codec. Not for use outside
// this folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "common/bytes.h"
#include "platform/file_system.h"
#include "platform/pictures/pictures.h"

namespace tolvane::pictures {

inline bool SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

inline uint16_t GetU16BE(const uint8_t* p, size_t off) {
  return static_cast<uint16_t>((p[off] << 8) | p[off + 1]);
}
inline uint32_t GetU32BE(const uint8_t* p, size_t off) {
  return (static_cast<uint32_t>(p[off]) << 24) | (static_cast<uint32_t>(p[off + 1]) << 16) |
         (static_cast<uint32_t>(p[off + 2]) << 8) | static_cast<uint32_t>(p[off + 3]);
}

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// Random access to a picture held in memory or in a file. Header walks read a
// few bytes at a time, so file reads go through one cached block; every read
// is checked against the end.
class PictureSource {
 public:
  PictureSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit PictureSource(std::shared_ptr<ReadableFile> file)
      : file_(std::move(file)), size_(file_ ? file_->Size() : 0) {}

  uint64_t size() const { return size_; }
  // Copies n bytes at pos; false unless all of them are in the picture.
  bool Read(uint64_t pos, void* dst, size_t n);
  bool U8(uint64_t pos, uint8_t& v) { return Read(pos, &v, 1); }

 private:
  const uint8_t* data_ = nullptr;
  std::shared_ptr<ReadableFile> file_;
  uint64_t size_ = 0;
  Bytes cache_;
  uint64_t cachePos_ = 0;
};

// First bytes enough for every format test.
constexpr size_t kSniffSize = 44;
PictureFormat SniffFormat(const uint8_t* head, size_t n);

std::optional<PictureInfo> GifInfo(PictureSource& src);
std::optional<PictureInfo> JpegInfo(PictureSource& src);
std::optional<PictureInfo> PngInfo(PictureSource& src);
std::optional<PictureInfo> BmpInfo(PictureSource& src);
std::optional<PictureInfo> WmfInfo(PictureSource& src);
std::optional<PictureInfo> EmfInfo(PictureSource& src);

std::optional<Bitmap> DecodeGif(const uint8_t* data, size_t size);
std::optional<Bitmap> DecodeJpeg(const uint8_t* data, size_t size);
std::optional<Bitmap> DecodePng(const uint8_t* data, size_t size);
std::optional<Bitmap> DecodeBmp(const uint8_t* data, size_t size);

// A bitmap the writers accept: both sides in 1..maxSide and one pixel each.
bool WritableBitmap(const Bitmap& bitmap, int maxSide);
bool EncodeGif(const Bitmap& bitmap, Bytes& out);
bool EncodeJpeg(const Bitmap& bitmap, int quality, Bytes& out);

}  // namespace tolvane::pictures
