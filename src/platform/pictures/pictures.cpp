// The front end: finds a file's kind from its first bytes, hands it to the
// right codec, and writes encoded pictures without ever leaving half a file.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "platform/pictures/codecs.h"

namespace tolvane {
namespace pictures {

namespace {

constexpr size_t kCacheBlock = 64 * 1024;
// Bigger than the largest picture we would decode (100 M pixels of 32-bit BMP).
constexpr uint64_t kMaxFileSize = 512ull * 1024 * 1024;

bool StartsWith(const uint8_t* head, size_t n, const char* magic, size_t m) {
  return n >= m && std::memcmp(head, magic, m) == 0;
}

std::optional<Bytes> ReadAll(FileSystem& fs, const std::string& path) {
  auto file = fs.OpenRead(path);
  if (!file || file->Size() > kMaxFileSize) return std::nullopt;
  Bytes data(static_cast<size_t>(file->Size()));
  if (!data.empty() && !file->ReadAt(0, data.data(), data.size())) return std::nullopt;
  return data;
}

// A new file beside the target, made durable, then renamed over it: the old
// picture survives any failure, and the partial one is removed.
bool PutFile(FileSystem& fs, const std::string& path, const Bytes& data) {
  const std::string temp = path + ".part";
  if (fs.Exists(temp) && !fs.Remove(temp)) return false;
  auto out = fs.CreateNew(temp);
  if (!out) return false;
  bool ok = out->WriteAt(0, data.data(), data.size()) && out->Sync();
  ok = out->Close() && ok;
  ok = ok && fs.Rename(temp, path);
  if (!ok) {
    fs.Remove(temp);
    return false;
  }
  fs.SyncDirectory(std::filesystem::path(path).parent_path().string());
  return true;
}

std::optional<PictureInfo> InfoOf(PictureSource& src) {
  uint8_t head[kSniffSize] = {};
  const size_t n = static_cast<size_t>(std::min<uint64_t>(src.size(), kSniffSize));
  if (!src.Read(0, head, n)) return std::nullopt;
  switch (SniffFormat(head, n)) {
    case PictureFormat::Gif: return GifInfo(src);
    case PictureFormat::Jpeg: return JpegInfo(src);
    case PictureFormat::Png: return PngInfo(src);
    case PictureFormat::Bmp: return BmpInfo(src);
    case PictureFormat::Wmf: return WmfInfo(src);
    case PictureFormat::Emf: return EmfInfo(src);
    case PictureFormat::Unknown: break;
  }
  return std::nullopt;
}

std::optional<Bitmap> Decode(const uint8_t* data, size_t size, PictureFormat only) {
  // The libraries forgive some damage our header walk does not; a file whose
  // info we refuse is never decoded, so both always agree.
  PictureSource src(data, size);
  const auto info = InfoOf(src);
  if (!info || (only != PictureFormat::Unknown && info->format != only)) return std::nullopt;
  try {
    switch (info->format) {
      case PictureFormat::Gif: return DecodeGif(data, size);
      case PictureFormat::Jpeg: return DecodeJpeg(data, size);
      case PictureFormat::Png: return DecodePng(data, size);
      case PictureFormat::Bmp: return DecodeBmp(data, size);
      default: break;
    }
  } catch (const std::bad_alloc&) {
    // A picture within the size limits can still be more than memory allows.
  } catch (const std::length_error&) {
  }
  return std::nullopt;
}

bool Convert(const std::string& from, const std::string& to, bool gif, FileSystem& fs) {
  auto data = ReadAll(fs, from);
  if (!data) return false;
  auto bitmap = Decode(data->data(), data->size(), PictureFormat::Bmp);
  if (!bitmap) return false;
  return gif ? WriteGif(*bitmap, to, fs) : WriteJpeg(*bitmap, to, fs);
}

}  // namespace

bool PictureSource::Read(uint64_t pos, void* dst, size_t n) {
  if (n > size_ || pos > size_ - n) return false;
  if (n == 0) return true;
  if (data_) {
    std::memcpy(dst, data_ + pos, n);
    return true;
  }
  if (n > kCacheBlock) return file_->ReadAt(pos, dst, n);
  if (pos < cachePos_ || pos + n > cachePos_ + cache_.size()) {
    const size_t block = static_cast<size_t>(std::min<uint64_t>(kCacheBlock, size_ - pos));
    cache_.resize(block);
    cachePos_ = pos;
    if (!file_->ReadAt(pos, cache_.data(), block)) {
      cache_.clear();
      return false;
    }
  }
  std::memcpy(dst, cache_.data() + (pos - cachePos_), n);
  return true;
}

PictureFormat SniffFormat(const uint8_t* head, size_t n) {
  if (StartsWith(head, n, "GIF87a", 6) || StartsWith(head, n, "GIF89a", 6)) return PictureFormat::Gif;
  if (StartsWith(head, n, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
  if (StartsWith(head, n, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::Png;
  if (StartsWith(head, n, "BM", 2)) return PictureFormat::Bmp;
  if (n >= 4 && GetU32(head, 0) == 0x9AC6CDD7u) return PictureFormat::Wmf;
  // A bare metafile header: memory or disk type, nine words long, version 0x0100 or 0x0300.
  if (n >= 6 && (GetU16(head, 0) == 1 || GetU16(head, 0) == 2) && GetU16(head, 2) == 9 &&
      (GetU16(head, 4) == 0x0100 || GetU16(head, 4) == 0x0300))
    return PictureFormat::Wmf;
  if (n >= 44 && GetU32(head, 0) == 1 && GetU32(head, 40) == 0x464D4520u) return PictureFormat::Emf;
  return PictureFormat::Unknown;
}

bool WritableBitmap(const Bitmap& bitmap, int maxSide) {
  return bitmap.width > 0 && bitmap.height > 0 && bitmap.width <= maxSide && bitmap.height <= maxSide &&
         bitmap.pixels.size() == static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height);
}

}  // namespace pictures

std::optional<PictureInfo> ReadPictureInfo(const std::string& path, FileSystem& fs) {
  auto file = fs.OpenRead(path);
  if (!file) return std::nullopt;
  pictures::PictureSource src(std::move(file));
  return pictures::InfoOf(src);
}

std::optional<PictureInfo> ReadPictureInfo(const std::string& path) {
  return ReadPictureInfo(path, *MakePosixFileSystem());
}

std::optional<PictureInfo> ReadPictureInfoBytes(const uint8_t* data, size_t size) {
  if (!data) return std::nullopt;
  pictures::PictureSource src(data, size);
  return pictures::InfoOf(src);
}

std::optional<Bitmap> DecodePicture(const std::string& path, FileSystem& fs) {
  auto data = pictures::ReadAll(fs, path);
  if (!data) return std::nullopt;
  return pictures::Decode(data->data(), data->size(), PictureFormat::Unknown);
}

std::optional<Bitmap> DecodePicture(const std::string& path) {
  return DecodePicture(path, *MakePosixFileSystem());
}

std::optional<Bitmap> DecodePictureBytes(const uint8_t* data, size_t size) {
  if (!data) return std::nullopt;
  return pictures::Decode(data, size, PictureFormat::Unknown);
}

bool WriteGif(const Bitmap& bitmap, const std::string& path, FileSystem& fs) {
  Bytes encoded;
  try {
    if (!pictures::EncodeGif(bitmap, encoded)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return pictures::PutFile(fs, path, encoded);
}

bool WriteGif(const Bitmap& bitmap, const std::string& path) {
  return WriteGif(bitmap, path, *MakePosixFileSystem());
}

bool WriteJpeg(const Bitmap& bitmap, const std::string& path, FileSystem& fs, int quality) {
  Bytes encoded;
  try {
    if (!pictures::EncodeJpeg(bitmap, quality, encoded)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return pictures::PutFile(fs, path, encoded);
}

bool WriteJpeg(const Bitmap& bitmap, const std::string& path, int quality) {
  return WriteJpeg(bitmap, path, *MakePosixFileSystem(), quality);
}

bool ConvertBmpToGif(const std::string& bmp, const std::string& gif, FileSystem& fs) {
  return pictures::Convert(bmp, gif, true, fs);
}

bool ConvertBmpToGif(const std::string& bmp, const std::string& gif) {
  return ConvertBmpToGif(bmp, gif, *MakePosixFileSystem());
}

bool ConvertBmpToJpeg(const std::string& bmp, const std::string& jpeg, FileSystem& fs) {
  return pictures::Convert(bmp, jpeg, false, fs);
}

bool ConvertBmpToJpeg(const std::string& bmp, const std::string& jpeg) {
  return ConvertBmpToJpeg(bmp, jpeg, *MakePosixFileSystem());
}

}  // namespace tolvane
