#include "model/document.h"
#include "model/undo_steps.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/password.h"

namespace tolvane {
namespace {
std::atomic<uint32_t> documentCounter{0};
}  // namespace

TYKAset::OversizeRule TYKAset::oversizeRule = TYKAset::OversizeRule::Ask;

TYKAset::TYKAset(Platform platform) : platform_(platform) {
  pictureLoader = DefaultPictureLoader(platform_.files);
  // Replacing a picture's content records its undo step.
  OnRecordUndo = [this](const std::string& caption, TYKAoggetto& object) { RecordObjectUndo(*this, object, caption); };
  New();
}

TYKAset::~TYKAset() {
  Close();
  if (!workingFolder_.empty()) platform_.files.RemoveTree(workingFolder_);
}

void TYKAset::ResetContent() {
  // The steps name slots of the objects about to go.
  undo_ = TYKAundoList(undoDeep_);
  charSetCache_ = "££";
  fontCharSetCache_ = 255;
  pictureCache_.clear();
  for (auto& list : lists_) list.clear();
  retired_.clear();
  remap_.clear();
  defaultStyles_ = {};
  file_.reset();
  fileName_.clear();
  blobBase_ = 0;
}

void TYKAset::Close() {
  ResetContent();
  // The working folder is emptied, not removed: it is ours for the life of the document.
  if (!workingFolder_.empty()) {
    platform_.files.RemoveTree(workingFolder_);
    if (!platform_.files.CreatePrivateDirectory(workingFolder_)) workingFolder_.clear();  // made anew on next use
  }
}

void TYKAset::New() {
  if (OnBeforeNew) OnBeforeNew();
  Close();
  std::string user = Utf8ToAnsi(platform_.system.UserName());
  header_.SetNewDocument(user.substr(0, 79), platform_.system.ScreenPixelsPerInch());
  CreateDefaultStyles();
  WriteDocProperty("index", "index.htm");
  WriteDocProperty("cart", "js.js");
  SetCharSet("iso-8859-1");
  if (OnAfterNew) OnAfterNew();
  modified_ = false;
  int cp = platform_.system.AnsiCodePage();
  if (cp == 1250 || cp == 1251 || (cp >= 1253 && cp <= 1258)) SetCharSet("windows-" + std::to_string(cp));
}

void TYKAset::CreateDefaultStyles() {
  static constexpr const char* kNames[2] = {"[pas de style]", "[pas de style tableau]"};
  for (int i = 0; i < 2; ++i) {
    TYKAoggetto* style = CreateObject(stileParagrafo);
    style->SetCaption(kNames[i]);
    if (i == 1) {
      style->SetI16(86, 0);
      style->SetI16(88, 0);
    }
    defaultStyles_[static_cast<size_t>(i)] = style;
  }
}

void TYKAset::LoadDefaultStyles() {
  auto& styles = lists_[stileParagrafo];
  for (size_t i = 0; i < 2; ++i) defaultStyles_[i] = i < styles.size() ? styles[i].get() : nullptr;
}

// ---- objects

int TYKAset::KindCount(int kind) const {
  return kind >= 0 && kind <= kLastFileKind ? static_cast<int>(lists_[static_cast<size_t>(kind)].size()) : 0;
}

int TYKAset::KindCountInUse(int kind) const {
  if (kind < 0 || kind > kLastFileKind) return 0;
  int n = 0;
  for (const auto& o : lists_[static_cast<size_t>(kind)]) n += o && !o->IsFree();
  return n;
}

TYKAoggetto* TYKAset::ObjectAt(int kind, int64_t slot) const {
  if (kind < 0 || kind >= kKindLists || slot < 0 || slot > 0xFFFFFF) return nullptr;
  const auto& list = lists_[static_cast<size_t>(kind)];
  return static_cast<size_t>(slot) < list.size() ? list[static_cast<size_t>(slot)].get() : nullptr;
}

TYKAoggetto* TYKAset::FindObject(int32_t id) const {
  if (id == kNoObject) return nullptr;
  int kind = KindOfId(id);
  if (kind == zipLink || kind == mappaClic) {
    for (const auto& [oldId, newId] : remap_)
      if (oldId == id) {
        id = newId;
        kind = KindOfId(id);
        break;
      }
  }
  if (kind >= none) return nullptr;
  return ObjectAt(kind, SlotOfId(id));
}

TYKAtesto* TYKAset::Page(int32_t slot) const {
  return static_cast<TYKAtesto*>(ObjectAt(testoHtml, slot));
}

TYKAoggetto* TYKAset::Register(std::unique_ptr<TYKAoggetto> object, int32_t preferredSlot) {
  if (!object) return nullptr;
  const int kind = object->Kind();
  if (kind < 0 || kind >= kKindLists) return nullptr;
  auto& list = lists_[static_cast<size_t>(kind)];
  auto slotFree = [&](size_t i) { return !list[i] || list[i]->IsFree(); };
  int64_t wanted = preferredSlot >= 0 ? preferredSlot : object->Slot();
  int64_t slot = -1;
  if (wanted >= 0 && static_cast<uint64_t>(wanted) < list.size() && slotFree(static_cast<size_t>(wanted))) {
    slot = wanted;
  } else {
    for (size_t i = 0; i < list.size() && slot < 0; ++i)
      if (slotFree(i)) slot = static_cast<int64_t>(i);
  }
  if (slot < 0) {
    if (list.size() >= static_cast<size_t>(kMaxSlots)) return nullptr;
    slot = static_cast<int64_t>(list.size());
    list.emplace_back();
  }
  auto& entry = list[static_cast<size_t>(slot)];
  // The free object that held the slot may still be pointed at (an undo step,
  // a view): it is kept aside until the document closes, not destroyed.
  if (entry) {
    entry->SetRegistration(entry->Kind(), entry->Slot(), false);
    retired_.push_back(std::move(entry));
  }
  object->SetDocument(this);
  object->SetRegistration(static_cast<TOggettiHel>(kind), static_cast<int32_t>(slot), true);
  entry = std::move(object);
  modified_ = true;
  return entry.get();
}

TYKAoggetto* TYKAset::CreateObject(TOggettiHel kind, int32_t preferredSlot) {
  auto object = TYKAoggetto::Create(kind, this);
  object->Clear();
  object->Activate();
  return Register(std::move(object), preferredSlot);
}

TYKAtesto* TYKAset::CreatePage() { return static_cast<TYKAtesto*>(CreateObject(testoHtml)); }

std::unique_ptr<TYKAoggetto> TYKAset::ReleaseSlot(int kind, int32_t slot) {
  if (kind < 0 || kind >= kKindLists || slot < 0) return nullptr;
  auto& list = lists_[static_cast<size_t>(kind)];
  if (static_cast<size_t>(slot) >= list.size()) return nullptr;
  return std::move(list[static_cast<size_t>(slot)]);
}

void TYKAset::DeleteObject(TYKAoggetto* object) {
  if (!object || object->Document() != this) return;
  const int32_t id = object->ObjectId();
  for (auto& list : lists_)
    for (auto& o : list)
      if (o && o.get() != object) o->RemoveReferences(id);
  object->Reset();
  modified_ = true;
}

// ---- settings

TYKAoggetto* TYKAset::PropertiesObject() {
  TYKAoggetto* bag = FindObject(header_.I32(hdr::kProperties));
  if (bag && bag->Kind() == dbloc && !bag->IsFree()) return bag;
  bag = CreateObject(dbloc);
  if (!bag) return nullptr;
  bag->SetU8(dbloc_rec::kRole, 1);
  header_.SetI32(hdr::kProperties, bag->ObjectId());
  return bag;
}

std::string TYKAset::ReadDocProperty(std::string_view key) {
  TYKAoggetto* bag = PropertiesObject();
  return bag ? bag->ReadProperty(key) : std::string();
}

bool TYKAset::WriteDocProperty(std::string_view key, std::string_view value) {
  TYKAoggetto* bag = PropertiesObject();
  return bag && bag->WriteProperty(key, value);
}

std::string TYKAset::CharSet() {
  if (charSetCache_ == "££") charSetCache_ = ReadDocProperty("charset");
  return charSetCache_;
}

void TYKAset::SetCharSet(std::string_view value) {
  charSetCache_ = std::string(value);
  WriteDocProperty("charset", value);
}

void TYKAset::SetPassword(std::string_view password) {
  if (password.empty()) {
    header_.SetShort(hdr::kPasswordMarker, 12, "");
    header_.SetU8(hdr::kPasswordSet, 0);
    WriteDocProperty("newpha_h", "");
    return;
  }
  header_.SetShort(hdr::kPasswordMarker, 12, kPasswordMarkerText);
  header_.SetU8(hdr::kPasswordSet, 'a');
  WriteDocProperty("newpha_h", PasswordLetters(password).substr(2, 14));
}

std::string TYKAset::PasswordDigest() {
  std::string marker = header_.Short(hdr::kPasswordMarker, 12);
  if (marker.empty()) return {};
  if (marker == kPasswordMarkerText) return ReadDocProperty("newpha_h");
  return PasswordLetters(marker).substr(2, 14);
}

bool TYKAset::PasswordMatches(std::string_view password) {
  std::string digest = PasswordDigest();
  return !digest.empty() && PasswordLetters(password).substr(2, 14) == digest;
}

// ---- files

std::string ExportPrefixFromFileName(const std::string& path, size_t length) {
  std::string name = ChangeFileExt(ExtractFileName(path), "");
  name = AnsiLowerCase(Utf8ToAnsi(MakeValidFileName(name)));
  return name.substr(0, length);
}

std::string TYKAset::WorkingFolder() {
  if (workingFolder_.empty()) {
    // The temporary folder is shared with other users: the name cannot be
    // guessed and the folder is made new, for its owner only.
    static const uint32_t instance = static_cast<uint32_t>(::getpid());
    for (int attempt = 0; attempt < 16; ++attempt) {
      std::string candidate = JoinPath(platform_.system.TemporaryFolder(),
                                       HexDigits(instance, 8) + "_" + HexDigits(++documentCounter, 2) +
                                           HexDigits(platform_.random.Below(0x1000000), 6));
      if (platform_.files.CreatePrivateDirectory(candidate)) {
        workingFolder_ = candidate;
        break;
      }
    }
  }
  return workingFolder_;
}

std::string TYKAset::UniqueWorkingFileName(const std::string& path) {
  std::string folder = WorkingFolder();
  std::string candidate = JoinPath(folder, ExtractFileName(path));
  std::string ext = ExtractFileExt(path);
  while (platform_.files.Exists(candidate))
    candidate = JoinPath(folder, "re" + HexDigits(platform_.random.Below(4096), 3) +
                                     HexDigits(platform_.random.Below(4096), 3) + ext);
  return candidate;
}

std::string TYKAset::UniqueFileName(const std::string& name, const TYKAoggetto* self) {
  auto used = [&](const std::string& candidate) {
    for (int kind : {zipLink, genLink, immagine, mappaClic}) {
      for (const auto& o : lists_[static_cast<size_t>(kind)]) {
        if (!o || o.get() == self || o->IsFree()) continue;
        std::string other = kind == genLink || kind == zipLink
                                ? o->ShortString(link_rec::kCaption, link_rec::kFileNameSize)
                                : o->ShortString(picture_rec::kFileName, picture_rec::kFileNameSize);
        if (AnsiSameText(ExtractFileName(other), candidate)) return true;
      }
    }
    return false;
  };
  std::string result = ExtractFileName(name);
  std::string ext = ExtractFileExt(result);
  while (used(result)) result = "ed" + HexDigits(platform_.random.Below(0x1000000), 6) + ext;
  return result;
}

// ---- pictures

TYKApicture* TYKAset::CachedPicture(const TYKAoggetto* object) const {
  for (const auto& e : pictureCache_)
    if (e.object == object) return e.picture.get();
  return nullptr;
}

void TYKAset::CachePicture(const TYKAoggetto* object, std::unique_ptr<TYKApicture> picture) {
  if (!object || object->Kind() != immagine) {
    messages().ShowError("What happens? Image cache bug?");
    return;
  }
  if (CachedPicture(object)) return;
  pictureCache_.push_back({object, std::move(picture)});
  while (static_cast<int>(pictureCache_.size()) > std::max(MaxCacheImg, 1))
    pictureCache_.erase(pictureCache_.begin());
}

void TYKAset::ReleasePicture(const TYKAoggetto* object) {
  std::erase_if(pictureCache_, [&](const CacheEntry& e) { return e.object == object; });
}

}  // namespace tolvane
