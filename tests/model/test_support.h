// Shared pieces of the model tests: a private temporary folder, a document on
// the fake platform, whole-file helpers and a builder of raw document files.
#pragma once

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "model/document.h"
#include "platform/fakes/fake_platform.h"

namespace tolvane::testing {

class TempDir {
 public:
  TempDir() {
    static int n = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tolvane_test_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A document on fake services; the fakes outlive the document.
struct DocFixture {
  explicit DocFixture(uint64_t seed = 1) : fake(seed) {
    fake.system.temporary = dir.path().string();
    doc = std::make_unique<TYKAset>(fake.platform());
  }
  TempDir dir;
  FakePlatform fake;
  std::unique_ptr<TYKAset> doc;
};

// Builds a document file byte by byte, for files the writer would never make.
struct RawDocument {
  struct Kind {
    uint32_t offset = 0, size = 0, count = 0;
  };
  Bytes header = Bytes(1978, 0);
  std::vector<Kind> kinds = std::vector<Kind>(26);
  Bytes records;
  Bytes blobs;
  int64_t recordAreaSize = -1;  // -1: the size of `records`

  RawDocument() {
    std::memcpy(header.data(), "TOLP", 4);
    header[1620] = 25;
    PutU16(header.data(), 1621, 2);
    PutI32(header.data(), 1632, 5);
  }
  void SetLastKind(int n) {
    header[1620] = static_cast<uint8_t>(n);
    kinds.resize(static_cast<size_t>(n + 1));
  }
  // Appends `count` records of `size` bytes for kind k, each filled by `fill`.
  template <typename F>
  void AddRecords(int k, uint32_t size, uint32_t count, F fill) {
    kinds[static_cast<size_t>(k)] = {static_cast<uint32_t>(records.size()), size, count};
    for (uint32_t i = 0; i < count; ++i) {
      Bytes r(size, 0xFF);
      fill(r.data(), i);
      records.insert(records.end(), r.begin(), r.end());
    }
  }
  // Appends a blob and returns its position relative to the blob base.
  int32_t AddBlob(std::string_view bytes) {
    auto pos = static_cast<int32_t>(blobs.size());
    blobs.insert(blobs.end(), bytes.begin(), bytes.end());
    return pos;
  }
  Bytes Build() const {
    Bytes out = header;
    ByteWriter w(out);
    for (const auto& k : kinds) {
      w.U32(k.offset);
      w.U32(k.size);
      w.U32(k.count);
    }
    w.U32(recordAreaSize < 0 ? static_cast<uint32_t>(records.size()) : static_cast<uint32_t>(recordAreaSize));
    w.Raw(records);
    w.Raw(blobs);
    return out;
  }
};

// The record bytes a kind keeps in the file, plus the placed-image bytes that
// travel in the attribute blob.
inline Bytes StoredRecord(const TYKAoggetto& o) {
  Bytes r(o.Record(), o.Record() + RecordSize(o.Kind()));
  if (o.Kind() == immagineNew && placed_rec::HasExtendedData(o.U8(placed_rec::kMapMode)))
    r.insert(r.end(), o.Record() + placed_rec::kExtendedStart,
             o.Record() + placed_rec::kExtendedStart + placed_rec::kExtendedSize);
  return r;
}

inline void ExpectSameObjects(TYKAset& a, TYKAset& b) {
  for (int k = 0; k <= kLastFileKind; ++k) {
    ASSERT_EQ(a.KindCount(k), b.KindCount(k)) << "kind " << k;
    for (int s = 0; s < a.KindCount(k); ++s) {
      SCOPED_TRACE("kind " + std::to_string(k) + " slot " + std::to_string(s));
      TYKAoggetto* x = a.ObjectAt(k, s);
      TYKAoggetto* y = b.ObjectAt(k, s);
      ASSERT_TRUE(x && y);
      EXPECT_EQ(x->ObjectId(), y->ObjectId());
      EXPECT_EQ(x->IsFree(), y->IsFree());
      EXPECT_EQ(StoredRecord(*x), StoredRecord(*y));
      Bytes cx, cy;
      EXPECT_TRUE(x->ReadContent(cx));
      EXPECT_TRUE(y->ReadContent(cy));
      if (!x->IsFree()) {
        EXPECT_EQ(cx, cy);
        EXPECT_EQ(x->AttributeText(), y->AttributeText());
      }
    }
  }
}

}  // namespace tolvane::testing
