// Helpers that make the common objects: pictures, embedded files, address
// links, placed images, and prototypes brought in from other documents.
#include <cstring>
#include <filesystem>

#include "common/file_names.h"
#include "model/document.h"

namespace tolvane {
namespace {

void SetAddressState(TYKAoggetto& link) {
  AnsiString address = link.ObjectCaption();
  if (AnsiStartsWithText(address, "tolvane:")) link.SetState(6);
  else if (AnsiStartsWithText(address, "http:")) link.SetState(7);
  else if (AnsiStartsWithText(address, "mailto:")) link.SetState(8);
  else link.SetState(4);
}

}  // namespace

TYKAoggetto* TYKAset::AddPicture(const std::string& path, bool transparent, int height, int width) {
  auto file = platform_.files.OpenRead(path);
  Bytes bytes;
  if (file) {
    bytes.resize(static_cast<size_t>(file->Size()));
    if (!file->ReadAt(0, bytes.data(), bytes.size())) file.reset();
  }
  if (!file) {
    messages().ShowError("Fichier introuvable : " + path);
    return nullptr;
  }
  auto picture = TYKAoggetto::Create(immagine, this);
  picture->Clear();
  picture->Activate();
  picture->SetContent(std::move(bytes));
  const std::string name = Utf8ToAnsi(ExtractFileName(path));
  picture->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, UniqueFileName(name, picture.get()));
  picture->SetCaption(ChangeFileExt(name, "").substr(0, 71));
  picture->SetState(AnsiSameText(ExtractFileExt(name), ".gif") ? 0 : 1);
  picture->SetI32(picture_rec::kTransparency, transparent ? -1 : -2);
  picture->SetI16(picture_rec::kWidth, static_cast<int16_t>(width));
  picture->SetI16(picture_rec::kHeight, static_cast<int16_t>(height));
  // The same bytes already in the document: that picture serves.
  if (TYKAoggetto* equal = FindEqual(*picture)) return equal;
  return Register(std::move(picture));
}

TYKAoggetto* TYKAset::AddEmbeddedFile(const std::string& path, TYKAoggetto* object) {
  if (!platform_.files.Exists(path)) {
    messages().ShowError("Fichier introuvable : " + path);
    return nullptr;
  }
  const std::string copy = UniqueWorkingFileName(path);
  if (!CopyFileContents(platform_.files, path, copy)) {
    messages().ShowError("Fichier introuvable : " + path);
    return nullptr;
  }
  if (!object || object->Kind() != genLink) {
    object = CreateObject(genLink);
    if (!object) return nullptr;
  } else if (!object->ExternalPath().empty() && object->ExternalPath() != copy) {
    platform_.files.Remove(object->ExternalPath());
  }
  object->DropContent();
  object->SetExternalPath(copy);
  object->SetCaption(Utf8ToAnsi(ExtractFileName(path)).substr(0, 78));
  object->SetState(4);
  object->SetGeneration(SaveCounter());
  modified_ = true;
  return object;
}

std::unique_ptr<TYKAoggetto> TYKAset::AddAddressLink(std::string_view address) {
  auto link = TYKAoggetto::Create(internetLink, this);
  link->Clear();
  link->Activate();
  link->SetCaption(address.substr(0, 127));
  SetAddressState(*link);
  return link;
}

TYKAoggetto* TYKAset::AddImmagineNew(TYKAoggetto* picture) {
  if (picture && picture->Document() != this) {
    messages().ShowError("Different YKAset in AddImmagineNew!");
    return nullptr;
  }
  if (!picture)
    for (const auto& o : lists_[immagine])
      if (o && !o->IsFree()) {
        picture = o.get();
        break;
      }
  auto placed = TYKAoggetto::Create(immagineNew, this);
  placed->Clear();
  placed->Activate();
  int16_t width = 100, height = 100;
  if (picture) {
    std::memcpy(placed->Record() + placed_rec::kHotSpots, picture->Record() + picture_rec::kMapData,
                picture_rec::kMapDataSize);
    placed->SetI32(placed_rec::kMainPicture, picture->Slot());
    if (namePlacedImages) placed->SetCaption(picture->ObjectCaption());
    width = picture->I16(picture_rec::kWidth);
    height = picture->I16(picture_rec::kHeight);
  } else {
    placed->SetI32(placed_rec::kMainPicture, -1);
  }
  placed->SetI32(placed_rec::kSecondPicture, -1);
  placed->SetI32(placed_rec::kThirdPicture, -1);
  placed->SetU8(placed_rec::kMapMode, 4);
  placed->SetI16(placed_rec::kWidth, width);
  placed->SetI16(placed_rec::kHeight, height);
  placed->SetI16(placed_rec::kWidth2, width);
  placed->SetI16(placed_rec::kHeight2, height);
  return Register(std::move(placed));
}

TYKAoggetto* TYKAset::CopyPictureIn(const TYKAoggetto& picture) {
  if (picture.Kind() != immagine) return nullptr;
  Bytes stream;
  picture.SaveToTransfer(stream);
  auto copy = TYKAoggetto::Create(immagine, this);
  ByteReader in(stream);
  if (!copy->LoadFromTransfer(in)) return nullptr;
  copy->SetDocument(this);
  copy->SetSlot(-1);
  if (TYKAoggetto* equal = FindEqual(*copy)) return equal;
  copy->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize,
                       UniqueFileName(copy->ShortString(picture_rec::kFileName, picture_rec::kFileNameSize), copy.get()));
  copy->SetGeneration(SaveCounter());
  return Register(std::move(copy));
}

int TYKAset::ImportPrototype(const TYKAoggetto& prototype, bool replace) {
  TYKAset* source = prototype.Document();
  if (prototype.Kind() != custom || prototype.IsFree() || !source) return 0;
  TYKAoggetto* target = FindByCaption(prototype);
  if (target && !replace) return 0;
  Bytes content;
  if (!prototype.ReadContent(content)) return 0;

  // The object list at the front of the content names objects of the source
  // document: each is matched here by caption, or copied in.
  Bytes rewritten = content;
  int existed = 0, copied = 0;
  const uint64_t listBytes = content.size() >= 4 ? std::min<uint64_t>(GetU32(content.data(), 0), content.size() - 4) : 0;
  for (size_t off = 4; off + 4 <= 4 + listBytes; off += 4) {
    TYKAoggetto* used = source->FindObject(GetI32(content.data(), off));
    int32_t id = kNoObject;
    if (used && !used->IsFree()) {
      if (TYKAoggetto* here = FindByCaption(*used)) {
        id = here->ObjectId();
        ++existed;
      } else if (used->Kind() == immagine) {
        if (TYKAoggetto* picture = CopyPictureIn(*used)) id = picture->ObjectId(), ++copied;
      } else if (used->Kind() == genLink) {
        Bytes stream;
        used->SaveToTransfer(stream);
        auto file = TYKAoggetto::Create(genLink, this);
        ByteReader in(stream);
        if (file->LoadFromTransfer(in)) {
          file->SetSlot(-1);
          file->SetCaption(UniqueFileName(file->ObjectCaption(), file.get()));
          file->SetGeneration(SaveCounter());
          if (TYKAoggetto* registered = Register(std::move(file))) id = registered->ObjectId(), ++copied;
        }
      }
    }
    PutI32(rewritten.data(), off, id);
  }

  if (!target) {
    target = CreateObject(custom);
    if (!target) return 0;
  }
  std::memcpy(target->Record() + 5, prototype.Record() + 5, 75);  // the first 80 bytes, but not the blob field
  target->SetContent(std::move(rewritten));
  target->SetAttributes(prototype.Attributes() ? std::optional<Bytes>(*prototype.Attributes()) : std::nullopt);
  modified_ = true;
  if (existed > 0) return 3;
  if (copied > 0) return 2;
  return 1;
}

void TYKAset::PrototypesUsing(const TYKAoggetto& object, std::vector<TYKAoggetto*>& list) const {
  const int32_t id = object.ObjectId();
  for (const auto& o : lists_[custom])
    if (o && !o->IsFree() && o->FindReferences(id) == 13) list.push_back(o.get());
}

}  // namespace tolvane
