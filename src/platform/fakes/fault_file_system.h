// A file system that passes every call to the real one but can make one chosen
// operation fail: the Nth write, flush, close, rename, link, create or remove.
// Tests walk N over every operation of a save to prove none of them can tear
// or lose the old file.
#pragma once

#include <atomic>

#include <memory>

#include "platform/file_system.h"

namespace tolvane {

class FaultFileSystem : public FileSystem {
 public:
  explicit FaultFileSystem(std::unique_ptr<FileSystem> base);

  // Operation number n (counted from 1 after the call) fails; 0 disables.
  void FailAt(int n) {
    failAt_ = n;
    count_ = 0;
  }
  int count() const { return count_; }
  bool failed() const { return failed_; }

  std::shared_ptr<ReadableFile> OpenRead(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateNew(const std::string& path) override;
  bool Exists(const std::string& path) override { return base_->Exists(path); }
  bool IsDirectory(const std::string& path) override { return base_->IsDirectory(path); }
  std::optional<uint64_t> FileSize(const std::string& path) override { return base_->FileSize(path); }
  bool CreateDirectories(const std::string& path) override;
  bool CreatePrivateDirectory(const std::string& path) override { return base_->CreatePrivateDirectory(path); }
  bool Rename(const std::string& from, const std::string& to) override;
  bool HardLink(const std::string& existing, const std::string& link) override;
  bool Remove(const std::string& path) override;
  bool RemoveTree(const std::string& path) override;
  bool SyncDirectory(const std::string& path) override;

  // True when this operation is the one that must fail.
  bool Tick();

 private:
  std::unique_ptr<FileSystem> base_;
  // Counted from any thread: an export writes its files from a thread of its own.
  std::atomic<int> failAt_ = 0;
  std::atomic<int> count_ = 0;
  std::atomic<bool> failed_ = false;
};

}  // namespace tolvane
