// The file operations the engine performs, behind a seam: the real one works on
// the disk, a test one can make any single operation fail.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tolvane {

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual uint64_t Size() const = 0;
  // Reads exactly n bytes at pos; false on any shortfall or error.
  virtual bool ReadAt(uint64_t pos, void* buffer, size_t n) const = 0;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all n bytes at pos; false on any error (disk full included).
  virtual bool WriteAt(uint64_t pos, const void* data, size_t n) = 0;
  // Makes what was written durable.
  virtual bool Sync() = 0;
  virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Shared reading; nothing when the file cannot be opened.
  virtual std::shared_ptr<ReadableFile> OpenRead(const std::string& path) = 0;
  // Creates a new file; fails when the path exists.
  virtual std::unique_ptr<WritableFile> CreateNew(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual std::optional<uint64_t> FileSize(const std::string& path) = 0;
  virtual bool CreateDirectories(const std::string& path) = 0;
  // A new folder only its owner can enter; fails when the path exists.
  virtual bool CreatePrivateDirectory(const std::string& path) = 0;
  // Replaces `to` by `from` in one step.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool HardLink(const std::string& existing, const std::string& link) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // Removes a folder with everything in it.
  virtual bool RemoveTree(const std::string& path) = 0;
  // Makes renames and creations in the folder durable.
  virtual bool SyncDirectory(const std::string& path) = 0;
};

std::unique_ptr<FileSystem> MakePosixFileSystem();

// Copies a file through the given file system into a new file (`to` must not
// exist) and syncs it; a partial copy is removed.
bool CopyFileContents(FileSystem& fs, const std::string& from, const std::string& to);
// Writes bytes to a new file at path, replacing any file there, and syncs it.
bool WriteWholeFile(FileSystem& fs, const std::string& path, const void* data, size_t n, bool sync = true);

}  // namespace tolvane
