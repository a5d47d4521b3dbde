#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/file_system.h"

namespace tolvane {
namespace {

class PosixReadable : public ReadableFile {
 public:
  PosixReadable(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixReadable() override { ::close(fd_); }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t pos, void* buffer, size_t n) const override {
    auto* out = static_cast<char*>(buffer);
    while (n > 0) {
      ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(pos));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      out += got;
      pos += static_cast<uint64_t>(got);
      n -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

class PosixWritable : public WritableFile {
 public:
  explicit PosixWritable(int fd) : fd_(fd) {}
  ~PosixWritable() override { Close(); }
  bool WriteAt(uint64_t pos, const void* data, size_t n) override {
    const auto* in = static_cast<const char*>(data);
    while (n > 0) {
      ssize_t put = ::pwrite(fd_, in, n, static_cast<off_t>(pos));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      in += put;
      pos += static_cast<uint64_t>(put);
      n -= static_cast<size_t>(put);
    }
    return true;
  }
  bool Sync() override { return fd_ >= 0 && ::fsync(fd_) == 0; }
  bool Close() override {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  std::shared_ptr<ReadableFile> OpenRead(const std::string& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_shared<PosixReadable>(fd, static_cast<uint64_t>(st.st_size));
  }
  std::unique_ptr<WritableFile> CreateNew(const std::string& path) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixWritable>(fd);
  }
  bool Exists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }
  bool IsDirectory(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  std::optional<uint64_t> FileSize(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
  }
  bool CreateDirectories(const std::string& path) override {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return IsDirectory(path);
  }
  bool CreatePrivateDirectory(const std::string& path) override { return ::mkdir(path.c_str(), 0700) == 0; }
  bool Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0;
  }
  bool HardLink(const std::string& existing, const std::string& link) override {
    return ::link(existing.c_str(), link.c_str()) == 0;
  }
  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
  bool RemoveTree(const std::string& path) override {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return !ec;
  }
  bool SyncDirectory(const std::string& path) override {
    int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem() { return std::make_unique<PosixFileSystem>(); }

bool CopyFileContents(FileSystem& fs, const std::string& from, const std::string& to) {
  auto in = fs.OpenRead(from);
  if (!in) return false;
  auto out = fs.CreateNew(to);
  if (!out) return false;
  std::vector<char> buffer(1 << 20);
  uint64_t size = in->Size();
  bool ok = true;
  for (uint64_t pos = 0; ok && pos < size;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - pos));
    ok = in->ReadAt(pos, buffer.data(), n) && out->WriteAt(pos, buffer.data(), n);
    pos += n;
  }
  ok = ok && out->Sync();
  ok = out->Close() && ok;
  if (!ok) fs.Remove(to);
  return ok;
}

bool WriteWholeFile(FileSystem& fs, const std::string& path, const void* data, size_t n, bool sync) {
  // A new file first; only when one is there already is it removed.
  auto out = fs.CreateNew(path);
  if (!out) {
    if (!fs.Exists(path) || !fs.Remove(path)) return false;
    out = fs.CreateNew(path);
  }
  if (!out) return false;
  bool ok = out->WriteAt(0, data, n) && (!sync || out->Sync());
  ok = out->Close() && ok;
  if (!ok) fs.Remove(path);
  return ok;
}

}  // namespace tolvane
