#include "platform/fakes/fault_file_system.h"

namespace tolvane {
namespace {

class FaultWritable : public WritableFile {
 public:
  FaultWritable(std::unique_ptr<WritableFile> base, FaultFileSystem& owner)
      : base_(std::move(base)), owner_(owner) {}
  bool WriteAt(uint64_t pos, const void* data, size_t n) override {
    if (owner_.Tick()) {
      // A full disk takes part of the write before it refuses the rest.
      base_->WriteAt(pos, data, n / 2);
      return false;
    }
    return base_->WriteAt(pos, data, n);
  }
  bool Sync() override { return !owner_.Tick() && base_->Sync(); }
  bool Close() override {
    bool ok = base_->Close();
    return !owner_.Tick() && ok;
  }

 private:
  std::unique_ptr<WritableFile> base_;
  FaultFileSystem& owner_;
};

}  // namespace

FaultFileSystem::FaultFileSystem(std::unique_ptr<FileSystem> base) : base_(std::move(base)) {}

bool FaultFileSystem::Tick() {
  const int n = ++count_;
  if (failAt_ != 0 && n == failAt_) {
    failed_ = true;
    return true;
  }
  return false;
}

std::shared_ptr<ReadableFile> FaultFileSystem::OpenRead(const std::string& path) {
  return base_->OpenRead(path);
}

std::unique_ptr<WritableFile> FaultFileSystem::CreateNew(const std::string& path) {
  if (Tick()) return nullptr;
  auto file = base_->CreateNew(path);
  if (!file) return nullptr;
  return std::make_unique<FaultWritable>(std::move(file), *this);
}

bool FaultFileSystem::CreateDirectories(const std::string& path) {
  if (base_->IsDirectory(path)) return true;
  return !Tick() && base_->CreateDirectories(path);
}
bool FaultFileSystem::Rename(const std::string& from, const std::string& to) {
  return !Tick() && base_->Rename(from, to);
}
bool FaultFileSystem::HardLink(const std::string& existing, const std::string& link) {
  return !Tick() && base_->HardLink(existing, link);
}
bool FaultFileSystem::Remove(const std::string& path) { return !Tick() && base_->Remove(path); }
bool FaultFileSystem::RemoveTree(const std::string& path) {
  return !Tick() && base_->RemoveTree(path);
}
bool FaultFileSystem::SyncDirectory(const std::string& path) {
  return !Tick() && base_->SyncDirectory(path);
}

}  // namespace tolvane
