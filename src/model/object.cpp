#include "model/object.h"

#include <atomic>
#include <cstring>

#include "common/short_string.h"
#include "model/document.h"
#include "model/form_records.h"
#include "platform/file_system.h"

namespace tolvane {
namespace {

// Counts the "SansTitre n" captions of new pages from program start.
std::atomic<int> untitledCounter{0};

struct CaptionField {
  size_t offset;
  size_t size;
};

std::optional<CaptionField> CaptionFieldOf(int kind) {
  switch (kind) {
    case testoHtml:
    case immagine: return CaptionField{5, 72};
    case internetLink: return CaptionField{5, 128};
    case zipLink:
    case genLink: return CaptionField{5, 79};
    case programma: return CaptionField{5, 76};
    case mappaFrame: return CaptionField{5, 80};
    case stileParagrafo:
    case fontFace: return CaptionField{5, 33};
    case keyword: return CaptionField{0, 80};
    case custom: return CaptionField{17, 41};
    case dbloc: return CaptionField{17, 16};
    case inputStat:
    case inputDin:
    case bottoneCGI:
    case inizioForm: return CaptionField{17, 80};
    case immagineNew: return CaptionField{28, 33};
    default: return std::nullopt;
  }
}

}  // namespace

TYKAoggetto::TYKAoggetto(TYKAset* document) : document_(document) {
  std::memset(record_, 0xFF, sizeof record_);
}

TYKAoggetto::~TYKAoggetto() {
  if (document_ && (kind_ == immagine || kind_ == immagineNew)) document_->ReleasePicture(this);
}

std::unique_ptr<TYKAoggetto> TYKAoggetto::Create(int kind, TYKAset* document) {
  std::unique_ptr<TYKAoggetto> object;
  if (kind == testoHtml) object = std::make_unique<TYKAtesto>(document);
  else object = std::make_unique<TYKAoggetto>(document);
  object->kind_ = static_cast<TOggettiHel>(kind);
  return object;
}

std::unique_ptr<TYKAoggetto> TYKAoggetto::SetKind(TOggettiHel kind) {
  std::unique_ptr<TYKAoggetto> self;
  if (registered_ && kind_ != testoHtmlRtf && document_ && document_->ObjectAt(kind_, slot_) == this) {
    self = document_->ReleaseSlot(kind_, slot_);
    registered_ = false;
  }
  kind_ = kind;
  return self;
}

bool TYKAoggetto::IsFree() const {
  uint8_t s = record_[kStateByte];
  switch (kind_) {
    case testoHtml:
    case immagine: return s == 3;
    case internetLink:
    case genLink: return s == 5;
    case keyword: return ObjectCaption() == "-";
    case programma:
    case mappaFrame: return s == 1;
    case tabellaHtml:
    case speclink:
    case shortObj:
    case custom:
    case dbloc:
    case immagineNew:
    case stileParagrafo:
    case fontFace:
    case formato:
    case inputStat:
    case inputDin:
    case bottoneCGI:
    case inizioForm:
    case multiMedia: return s == 0;
    default: return false;
  }
}

void TYKAoggetto::Clear() {
  std::memset(record_, 0xFF, sizeof record_);
  externalPath_.clear();
  WriteDefaults();
}

void TYKAoggetto::WriteDefaults() {
  const int32_t counter = document_ ? document_->SaveCounter() : 2;
  auto* r = record_;
  switch (kind_) {
    case testoHtml: {
      r[kStateByte] = 3;
      SetShortString(page_rec::kCaption, page_rec::kCaptionSize,
                     "SansTitre " + std::to_string(++untitledCounter));
      if (document_) {
        const auto& h = document_->header();
        SetI32(page_rec::kBackgroundColour, h.I32(hdr::kBackgroundColour));
        SetI32(page_rec::kBackgroundPicture, h.I32(hdr::kBackgroundPicture));
        SetI32(page_rec::kTextColour, h.I32(hdr::kTextColour));
        SetI32(page_rec::kLinkColour, h.I32(hdr::kLinkColour));
        SetI32(page_rec::kFollowedColour, h.I32(hdr::kFollowedColour));
      } else {
        SetI32(page_rec::kBackgroundColour, 0xF0F0F0);
        SetI32(page_rec::kBackgroundPicture, -1);
        SetI32(page_rec::kTextColour, 0);
        SetI32(page_rec::kLinkColour, 0xFF0000);
        SetI32(page_rec::kFollowedColour, 255);
      }
      r[200] = 0;
      r[page_rec::kMarkupVersion] = 2;
      SetI32(page_rec::kGeneration, counter);
      SetU16(page_rec::kLanguage, 1036);
      r[189] = 1;
      break;
    }
    case internetLink:
    case genLink:
      r[kStateByte] = 5;
      SetI32(link_rec::kGeneration, counter);
      break;
    case keyword: SetShortString(0, 80, "-"); break;
    case immagine:
      r[kStateByte] = 3;
      r[picture_rec::kLastByte] = 0;
      SetI32(picture_rec::kGeneration, counter);
      break;
    case programma: r[kStateByte] = 1; break;
    case tabellaHtml:
      r[kStateByte] = 0;
      std::memset(r + 5, 1, 50);
      r[55] = 1;
      r[88] = 100, r[89] = 100, r[90] = 2, r[91] = 2;
      r[92] = 0, r[93] = 1, r[94] = 1, r[95] = 0;
      r[96] = 0;
      std::memset(r + 97, 0, 100);
      SetI32(211, static_cast<int32_t>(0x80000014u));
      SetI32(215, static_cast<int32_t>(0x80000010u));
      r[219] = 2;
      SetI32(197, 0);
      SetI32(201, 0);
      SetI16(205, 0);
      break;
    case mappaFrame:
      r[kStateByte] = 1;
      SetShortString(5, 80, "Map");
      break;
    case speclink:
      r[kStateByte] = 0;
      SetShortString(speclink_rec::kFrameName, RecordSize(speclink) - speclink_rec::kFrameName, "Ny");
      break;
    case shortObj:
    case fontFace:  // not among the described defaults, but free must mean free
    case formato:
    case bottoneCGI:
    case inizioForm:
    case multiMedia: r[kStateByte] = 0; break;
    case inputStat:
      // A field becomes a one-line text field when put into use.
      r[kStateByte] = 0;
      r[form_field_rec::kColumns] = kDefaultTextBoxColumns;
      r[form_field_rec::kRows] = kDefaultTextBoxRows;
      r[form_field_rec::kSize] = DefaultFieldSize(FormFieldType::Text);
      break;
    case inputDin:
      r[kStateByte] = 0;
      r[dynamic_field_rec::kColumns] = kDefaultTextBoxColumns;
      r[dynamic_field_rec::kRows] = kDefaultTextBoxRows;
      r[dynamic_field_rec::kVisibleRows] = kDefaultVisibleRows;
      r[dynamic_field_rec::kReserved] = 0;
      break;
    case custom:
      r[kStateByte] = 0;
      SetShortString(17, 41, "Nouveau prototype");
      break;
    case dbloc:
      r[kStateByte] = 0;
      r[dbloc_rec::kRole] = 0;
      SetShortString(dbloc_rec::kName, dbloc_rec::kNameSize, "db");
      break;
    case immagineNew: r[kStateByte] = 0; break;
    case stileParagrafo:
      std::memset(r, 0, sizeof record_);
      r[kStateByte] = 0;
      r[74] = 0;
      SetShortString(style_rec::kFontName, 33, "Arial");
      SetI16(72, 10);
      r[78] = 0;
      r[102] = 0, r[99] = 0, r[100] = 0, r[101] = 0;
      SetU16(94, 0x8300);
      SetI16(86, 10);
      SetI16(88, 10);
      r[98] = 1;
      SetI32(79, -1);
      SetI32(81, 0xFF0000);
      r[85] = 4;
      break;
    default: break;
  }
}

void TYKAoggetto::Activate() {
  switch (kind_) {
    case testoHtml:
    case immagine: SetState(0); break;
    case internetLink:
    case genLink: SetState(4); break;
    case programma: SetState(1); break;
    case mappaFrame:
    case tabellaHtml: SetState(2); break;
    case dbloc: SetState(7); break;
    case speclink:
    case shortObj:
    case custom:
    case immagineNew:
    case stileParagrafo:
    case fontFace:
    case formato:
    case inputStat:
    case inputDin:
    case bottoneCGI:
    case inizioForm:
    case multiMedia: SetState(1); break;
    default: break;
  }
  if (kind_ == testoHtml) SetContentText(kEmptyPageMarkup);
  SetGeneration(document_ ? document_->SaveCounter() : 2);
}

void TYKAoggetto::Reset() {
  // What the object owns in the document goes with it. Only special links are
  // owned by one user; address links may be shared, so they stay.
  auto resetSpecLink = [this](int32_t id) {
    if (!document_ || id == kNoObject || id == ObjectId()) return;
    TYKAoggetto* o = document_->FindObject(id);
    if (o && o->Kind() == speclink && !o->IsFree()) o->Reset();
  };
  switch (kind_) {
    case immagine:
      if (document_) document_->ReleasePicture(this);
      break;
    case shortObj:
      if (State() == 13) resetSpecLink(I32(shortobj_rec::kValue));
      break;
    case dbloc:
      for (size_t off : dbloc_rec::kLinks) resetSpecLink(I32(off));
      break;
    case immagineNew:
      for (int i = 0; i < placed_rec::kHotSpotCount; ++i)
        resetSpecLink(I32(placed_rec::kHotSpots + i * placed_rec::kHotSpotSize));
      if (placed_rec::HasExtendedData(U8(placed_rec::kMapMode))) resetSpecLink(I32(placed_rec::kExtraLink));
      if (document_) document_->ReleasePicture(this);
      break;
    case bottoneCGI: resetSpecLink(I32(button_rec::kLink)); break;
    default: break;
  }
  Clear();
  content_.reset();
  lazy_.reset();
  attributes_.reset();
  properties_.reset();
  picture_.reset();
}

int32_t TYKAoggetto::GetGeneration() const {
  switch (kind_) {
    case testoHtml: return I32(page_rec::kGeneration);
    case zipLink:
    case genLink: return I32(link_rec::kGeneration);
    case immagine:
    case mappaClic: return I32(picture_rec::kGeneration);
    default: return document_ ? document_->SaveCounter() : 2;
  }
}

void TYKAoggetto::SetGeneration(int32_t value) {
  switch (kind_) {
    case testoHtml: SetI32(page_rec::kGeneration, value); break;
    case zipLink:
    case genLink: SetI32(link_rec::kGeneration, value); break;
    case immagine:
    case mappaClic: SetI32(picture_rec::kGeneration, value); break;
    default: break;
  }
}

AnsiString TYKAoggetto::ShortString(size_t off, size_t fieldSize) const {
  return ReadShortString(record_, off, std::min(fieldSize, kRecordBytes - off));
}

void TYKAoggetto::SetShortString(size_t off, size_t fieldSize, std::string_view text) {
  WriteShortString(record_, off, std::min(fieldSize, kRecordBytes - off), text);
}

AnsiString TYKAoggetto::ObjectCaption() const {
  if (kind_ == speclink || kind_ == shortObj) return ComputedCaption(*this);
  auto field = CaptionFieldOf(kind_);
  return field ? ShortString(field->offset, field->size) : AnsiString();
}

void TYKAoggetto::SetCaption(std::string_view caption) {
  if (auto field = CaptionFieldOf(kind_)) SetShortString(field->offset, field->size, caption);
}

AnsiString TYKAoggetto::HtmlName() const {
  switch (kind_) {
    case dbloc:
    case inputStat:
    case inputDin:
    case bottoneCGI: {
      AnsiString caption = AnsiLowerCase(ObjectCaption());
      return caption.empty() ? "element" + std::to_string(slot_) : caption;
    }
    case immagineNew: return ReadAttribute("name").value_or("");
    case inizioForm: {
      AnsiString name = ReadAttribute("name").value_or("");
      return name.empty() ? "formstart" + std::to_string(slot_) : name;
    }
    default: return {};
  }
}

uint64_t TYKAoggetto::ContentSize() const {
  if (content_) return content_->size();
  if (lazy_) return lazy_->size;
  return 0;
}

bool TYKAoggetto::ReadContent(Bytes& out) const {
  out.clear();
  if (content_) {
    out = *content_;
    return true;
  }
  if (lazy_) {
    if (!lazy_->file) return false;
    out.resize(lazy_->size);
    if (!lazy_->file->ReadAt(lazy_->position, out.data(), out.size())) {
      out.clear();
      return false;
    }
  }
  return true;
}

void TYKAoggetto::SetContent(Bytes bytes) {
  content_ = std::move(bytes);
  lazy_.reset();
  properties_.reset();
}

void TYKAoggetto::SetLazyContent(LazyContent lazy) {
  content_.reset();
  lazy_ = std::move(lazy);
}

void TYKAoggetto::DropContent() {
  content_.reset();
  lazy_.reset();
}

namespace {
std::pair<uint64_t, uint32_t> Location(const TYKAoggetto& o, int posField, int sizeField, bool size16) {
  if (posField < 0 || sizeField < 0 || !o.Document()) return {0, 0};
  int32_t pos = o.I32(static_cast<size_t>(posField));
  int32_t size = size16 ? o.U16(static_cast<size_t>(sizeField)) : o.I32(static_cast<size_t>(sizeField));
  if (pos < 0 || size < 0) return {0, 0};
  return {o.Document()->BlobBase() + static_cast<uint64_t>(pos), static_cast<uint32_t>(size)};
}
}  // namespace

std::pair<uint64_t, uint32_t> TYKAoggetto::ContentBlobLocation() const {
  BlobFields f = BlobFieldsOf(kind_);
  return Location(*this, f.contentPos, f.contentSize, f.contentSize16);
}

std::pair<uint64_t, uint32_t> TYKAoggetto::AttributeBlobLocation() const {
  BlobFields f = BlobFieldsOf(kind_);
  return Location(*this, f.attrPos, f.attrSize, false);
}

bool TYKAoggetto::ContentLocked() const {
  if (kind_ != testoHtml) return false;
  uint8_t b = U8(page_rec::kPassword);
  return b >= 1 && b <= 128;
}

bool TYKAoggetto::CheckReadable() const {
  if (!ContentLocked()) return true;
  if (document_)
    document_->messages().ShowError(
        "Lecture impossible ! SVP, désactivez les mots de passe dans le fichier d'origine !");
  return false;
}

void TYKAoggetto::CopyCoreFrom(const TYKAoggetto& source) {
  // A registered object keeps its kind and slot: they are its place in the
  // document's lists.
  if (!registered_) {
    kind_ = source.kind_;
    slot_ = source.slot_;
  }
  std::memcpy(record_, source.record_, sizeof record_);
  document_ = source.document_;
  content_ = source.content_;
  lazy_ = source.lazy_;  // the file handle is shared, the bytes stay in the file
  attributes_ = source.attributes_;
  externalPath_ = source.externalPath_;
  properties_.reset();
}

void TYKAoggetto::Assign(const TYKAoggetto& source) {
  if (&source == this) return;
  if (source.kind_ == mappaClic && document_) document_->messages().ShowError("mappaclic presente ancora! bug!");
  if (source.kind_ != immagine || (registered_ && kind_ != immagineNew)) {
    CopyCoreFrom(source);
    if (source.ContentLocked()) SetContentText(LockedPageMarkup());
    return;
  }
  // A picture resource assigned to an object yields a placed image built on it.
  document_ = source.document_;
  if (!registered_) {
    kind_ = immagineNew;
    slot_ = -1;
  }
  content_.reset();
  lazy_.reset();
  attributes_.reset();
  properties_.reset();
  Clear();
  SetState(1);
  SetI32(placed_rec::kMainPicture, source.slot_);
  SetI32(placed_rec::kSecondPicture, -1);
  SetI32(placed_rec::kThirdPicture, -1);
  SetU8(placed_rec::kMapMode, 4);
  int16_t w = source.I16(picture_rec::kWidth), h = source.I16(picture_rec::kHeight);
  SetI16(placed_rec::kWidth, w);
  SetI16(placed_rec::kHeight, h);
  SetI16(placed_rec::kWidth2, w);
  SetI16(placed_rec::kHeight2, h);
  SetI32(placed_rec::kColour, 0xFF0000);
  SetShortString(placed_rec::kName, placed_rec::kNameSize, source.ObjectCaption());
  const uint8_t* map = source.record_ + picture_rec::kMapData;
  bool hasMap = false;
  for (size_t i = 0; i < picture_rec::kMapDataSize && !hasMap; ++i) hasMap = map[i] != 0xFF;
  if (hasMap) std::memcpy(record_ + placed_rec::kHotSpots, map, picture_rec::kMapDataSize);
  else std::memset(record_ + placed_rec::kHotSpots, 0xFF, picture_rec::kMapDataSize);
}

// ---- the page

TYKAtesto::TYKAtesto(TYKAset* document) : TYKAoggetto(document) {
  SetRegistration(testoHtml, -1, false);
}

TYKAtesto::~TYKAtesto() = default;

void TYKAtesto::Reset() { TYKAoggetto::Reset(); }

void TYKAtesto::Assign(const TYKAoggetto& source) { TYKAoggetto::Assign(source); }

std::string LockedPageMarkup() {
  return Utf8ToAnsi(
      "<Z S0 >MOT DE PASSE NON VALIDE ! Si vous est l'auteur du document document, vous avez peut "
      "être effacé ou renommé le fichier texte .tvp . Quittez immédiatement l'application sans "
      "sauver et remettez le fichier en état. Exemple de fichier : <Z S0 >[globalpasswords]<Z S0 "
      ">pass1=motdepasse1<Z S0 >pass2=motdepasse2");
}

std::string TYKAtesto::PageName() const {
  Bytes binary = AttributeBinary();
  if (binary.size() < 4) return {};
  uint32_t len = GetU32(binary.data(), 0);
  len = static_cast<uint32_t>(std::min<size_t>(len, binary.size() - 4));
  return std::string(reinterpret_cast<const char*>(binary.data() + 4), len);
}

void TYKAtesto::SetPageName(std::string_view name) {
  Bytes binary;
  ByteWriter w(binary);
  w.U32(static_cast<uint32_t>(name.size()));
  w.Text(name);
  SetAttributeBinary(binary);
}

std::string_view TYKAtesto::Markup() const {
  const Bytes* c = ContentInMemory();
  return c ? AsText(*c) : std::string_view();
}

}  // namespace tolvane
