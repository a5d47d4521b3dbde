// Content that leaves the object: extraction to files, pictures, equality.
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/file_names.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/file_system.h"

namespace tolvane {

std::string ContentText(const TYKAoggetto& object) {
  Bytes content;
  return object.ReadContent(content) ? std::string(AsText(content)) : std::string();
}

bool TYKAoggetto::ExtractToFile(const std::string& path, bool sync) const {
  if (!document_) return false;
  FileSystem& fs = document_->platform().files;
  std::string folder = ExtractFileDir(path);
  if (!folder.empty() && !fs.CreateDirectories(folder)) return false;
  if (!HasContent()) {
    if (externalPath_.empty()) return false;
    std::error_code ec;
    if (std::filesystem::equivalent(externalPath_, path, ec)) return true;  // already there
    if (fs.Exists(path) && !fs.Remove(path)) return false;
    return CopyFileContents(fs, externalPath_, path);
  }
  if (fs.Exists(path) && !fs.Remove(path)) return false;
  auto out = fs.CreateNew(path);
  if (!out) return false;
  bool ok = true;
  if (content_) {
    ok = out->WriteAt(0, content_->data(), content_->size());
  } else {
    // Lazy content is copied from the document file in pieces.
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(1 << 20, std::max<uint64_t>(lazy_->size, 1))));
    for (uint64_t done = 0; ok && done < lazy_->size;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), lazy_->size - done));
      ok = lazy_->file && lazy_->file->ReadAt(lazy_->position + done, buffer.data(), n) &&
           out->WriteAt(done, buffer.data(), n);
      done += n;
    }
  }
  ok = ok && (!sync || out->Sync());
  ok = out->Close() && ok;
  if (!ok) fs.Remove(path);
  return ok;
}

std::string TYKAoggetto::ExportedFileName() {
  if (!HasContent() || !document_) return externalPath_;
  std::string name = kind_ == immagine || kind_ == mappaClic
                         ? ShortString(picture_rec::kFileName, picture_rec::kFileNameSize)
                         : ObjectCaption();
  name = MakeValidFileName(AnsiToUtf8(name));
  if (name.empty()) name = "file" + std::to_string(slot_);
  std::string path = document_->UniqueWorkingFileName(name);
  if (!ExtractToFile(path)) {
    document_->messages().ShowError(
        "L'espace disque est sans doute trop faible. Erreur à l'extraction du fichier : " + path);
    return {};
  }
  externalPath_ = path;
  DropContent();
  return path;
}

TYKApicture* TYKAoggetto::GetPicture() {
  if (!document_) return nullptr;
  if (kind_ == immagine) {
    if (TYKApicture* cached = document_->CachedPicture(this)) return cached;
    if (!document_->pictureLoader) return nullptr;
    std::string path = ExportedFileName();
    if (path.empty()) return nullptr;
    std::unique_ptr<TYKApicture> picture = document_->pictureLoader(path);
    if (!picture) return nullptr;
    SetI16(picture_rec::kWidth, static_cast<int16_t>(picture->width));
    SetI16(picture_rec::kHeight, static_cast<int16_t>(picture->height));
    TYKApicture* raw = picture.get();
    document_->CachePicture(this, std::move(picture));
    return raw;
  }
  if (kind_ == immagineNew) {
    if (picture_) return picture_.get();
    TYKAoggetto* resource = document_->ObjectAt(immagine, I32(placed_rec::kMainPicture));
    return resource && !resource->IsFree() ? resource->GetPicture() : nullptr;
  }
  return nullptr;
}

void TYKAoggetto::ReleasePicture() {
  if (!document_) return;
  if (kind_ == immagine) document_->ReleasePicture(this);
  if (kind_ == immagineNew) {
    picture_.reset();
    if (TYKAoggetto* resource = document_->ObjectAt(immagine, I32(placed_rec::kMainPicture)))
      document_->ReleasePicture(resource);
  }
}

bool TYKAoggetto::SameAs(const TYKAoggetto& other) const {
  if (IsFree()) return false;
  switch (kind_) {
    case internetLink:
    case keyword: return other.kind_ == kind_ && ObjectCaption() == other.ObjectCaption();
    case immagine: {
      // The content sizes are compared from the streams: the record's size
      // field is only brought up to date by a save.
      if (other.kind_ != immagine || ContentSize() != other.ContentSize()) return false;
      Bytes a, b;
      return ReadContent(a) && other.ReadContent(b) && a == b;
    }
    case stileParagrafo: {
      // The style attributes are the 31 record bytes from offset 72; the
      // record ends at 103, so nothing beyond it takes part.
      if (other.kind_ != stileParagrafo) return false;
      if (std::memcmp(record_ + style_rec::kAttributes, other.record_ + style_rec::kAttributes,
                      static_cast<size_t>(RecordSize(stileParagrafo)) - style_rec::kAttributes) != 0)
        return false;
      if (slot_ == 0 || slot_ == 1) return true;
      return ShortString(style_rec::kFontName, 33) == other.ShortString(style_rec::kFontName, 33);
    }
    default: return false;
  }
}

}  // namespace tolvane
