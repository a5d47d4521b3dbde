// Little-endian access to record bytes. Records are read and written field by
// field at their offsets; nothing is ever cast onto a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

using Bytes = std::vector<uint8_t>;

inline uint8_t GetU8(const uint8_t* p, size_t off) { return p[off]; }
inline uint16_t GetU16(const uint8_t* p, size_t off) {
  return static_cast<uint16_t>(p[off] | (p[off + 1] << 8));
}
inline int16_t GetI16(const uint8_t* p, size_t off) { return static_cast<int16_t>(GetU16(p, off)); }
inline uint32_t GetU32(const uint8_t* p, size_t off) {
  return static_cast<uint32_t>(p[off]) | (static_cast<uint32_t>(p[off + 1]) << 8) |
         (static_cast<uint32_t>(p[off + 2]) << 16) | (static_cast<uint32_t>(p[off + 3]) << 24);
}
inline int32_t GetI32(const uint8_t* p, size_t off) { return static_cast<int32_t>(GetU32(p, off)); }

inline void PutU8(uint8_t* p, size_t off, uint8_t v) { p[off] = v; }
inline void PutU16(uint8_t* p, size_t off, uint16_t v) {
  p[off] = static_cast<uint8_t>(v);
  p[off + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutI16(uint8_t* p, size_t off, int16_t v) { PutU16(p, off, static_cast<uint16_t>(v)); }
inline void PutU32(uint8_t* p, size_t off, uint32_t v) {
  p[off] = static_cast<uint8_t>(v);
  p[off + 1] = static_cast<uint8_t>(v >> 8);
  p[off + 2] = static_cast<uint8_t>(v >> 16);
  p[off + 3] = static_cast<uint8_t>(v >> 24);
}
inline void PutI32(uint8_t* p, size_t off, int32_t v) { PutU32(p, off, static_cast<uint32_t>(v)); }

// Appends little-endian values to a growing byte vector (transfer streams,
// tables, test fixtures).
class ByteWriter {
 public:
  explicit ByteWriter(Bytes& out) : out_(out) {}
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Raw(const void* data, size_t n) {
    const auto* b = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), b, b + n);
  }
  void Raw(const Bytes& b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void Text(std::string_view s) { Raw(s.data(), s.size()); }

 private:
  Bytes& out_;
};

// Reads little-endian values from a buffer; every read is checked against the
// end, and once a read fails the reader stays failed.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteReader(const Bytes& b) : ByteReader(b.data(), b.size()) {}

  bool ok() const { return ok_; }
  size_t position() const { return pos_; }
  size_t remaining() const { return ok_ ? size_ - pos_ : 0; }

  bool U8(uint8_t& v) {
    if (!Need(1)) return false;
    v = data_[pos_++];
    return true;
  }
  bool U32(uint32_t& v) {
    if (!Need(4)) return false;
    v = GetU32(data_, pos_);
    pos_ += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool Raw(void* dst, size_t n) {
    if (!Need(n)) return false;
    if (n) std::memcpy(dst, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool Take(Bytes& dst, size_t n) {
    if (!Need(n)) return false;
    dst.assign(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return true;
  }
  bool Text(std::string& dst, size_t n) {
    if (!Need(n)) return false;
    dst.assign(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return true;
  }

 private:
  bool Need(size_t n) {
    if (!ok_ || n > size_ - pos_) ok_ = false;
    return ok_;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

inline std::string_view AsText(const Bytes& b) {
  return {reinterpret_cast<const char*>(b.data()), b.size()};
}
inline Bytes ToBytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

}  // namespace tolvane
