// Reading a document file.
//
//   OFFSET          SIZE        MEANING
//   0               1978        header (N, the largest kind index, at 1620)
//   1978            12 (N + 1)  per kind: record offset, record size, record count
//   1990 + 12N      4           E, the size of the record area
//   D = 1994 + 12N  E           records; record i of kind k at D + offset[k] + i * size[k]
//   D + E           rest        blobs; record blob positions count from D + E
//
// Every offset, size and count is checked against the end of the file before
// it is used; a file that fails a check is reported as unreadable.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/file_names.h"
#include "common/short_string.h"
#include "model/document.h"

namespace tolvane {

namespace {

constexpr uint64_t kTableStart = hdr::kSize;
constexpr uint32_t kMinRecordSize = 28;

struct KindEntry {
  uint32_t offset = 0, size = 0, count = 0;
};

// A file that cannot be read as a document, with where it was found.
struct Corrupt : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class Refusal { None, Unrecognized, TooOld, Unsupported };

}  // namespace

// Reads byte ranges through one reusable buffer, so that many small
// neighbouring records and blobs cost a few large reads.
class Window {
 public:
  Window(const ReadableFile& file, size_t capacity)
      : file_(file), capacity_(capacity), buffer_(new uint8_t[capacity]) {}
  size_t capacity() const { return capacity_; }
  // n bytes at pos, valid until the next call; nothing past the end or on a read error.
  const uint8_t* Get(uint64_t pos, size_t n) {
    if (n > capacity_) return nullptr;
    if (pos >= start_ && pos + n <= start_ + length_) return buffer_.get() + (pos - start_);
    const uint64_t size = file_.Size();
    if (pos > size || size - pos < n) return nullptr;
    const size_t length = static_cast<size_t>(std::min<uint64_t>(capacity_, size - pos));
    if (!file_.ReadAt(pos, buffer_.get(), length)) {
      length_ = 0;
      return nullptr;
    }
    start_ = pos;
    length_ = length;
    return buffer_.get();
  }

 private:
  const ReadableFile& file_;
  size_t capacity_;
  std::unique_ptr<uint8_t[]> buffer_;
  uint64_t start_ = 0;
  size_t length_ = 0;
};

// Small enough that its pages stay few, large enough that reads stay few.
constexpr size_t kWindowBytes = 256 << 10;

class DocumentReader {
 public:
  DocumentReader(TYKAset& doc, std::shared_ptr<ReadableFile> file, const std::string& path)
      : doc_(doc), file_(std::move(file)), path_(path), size_(file_->Size()), window_(*file_, kWindowBytes) {}

  Refusal Read();

 private:
  // An object whose blobs are still to be read, and what its stored record size was.
  struct Loaded {
    TYKAoggetto* object;
    uint32_t storedSize;
    bool discard;
  };
  // One blob to copy into memory, at its absolute position in the file.
  struct BlobRead {
    uint64_t position;
    uint32_t size;
    TYKAoggetto* object;
    bool attributes;
  };

  void ReadRecords(int kind, const KindEntry& e, uint64_t recordArea);
  void Upgrade(TYKAoggetto& o, uint32_t storedSize);
  void PlanBlobs(Loaded& l);
  void ReadPlannedBlobs();
  void Finish(Loaded& l);
  bool InFile(int64_t pos, int64_t size) const {
    return pos >= 0 && size > 0 && blobBase_ + static_cast<uint64_t>(pos) + static_cast<uint64_t>(size) <= size_;
  }
  void ConvertVersion1();

  TYKAset& doc_;
  std::shared_ptr<ReadableFile> file_;
  std::string path_;
  uint64_t size_;
  Window window_;
  uint64_t blobBase_ = 0;
  int version_ = 2;
  int32_t counter_ = 2;
  std::vector<Loaded> loaded_;
  std::vector<BlobRead> blobs_;
};

Refusal DocumentReader::Read() {
  DocumentHeader& h = doc_.header_;
  if (!file_->ReadAt(0, h.bytes, hdr::kSize)) throw Corrupt("header: cannot be read");
  if (AnsiUpperCase(std::string_view(reinterpret_cast<const char*>(h.bytes), 4)) != "TOLP")
    return Refusal::Unrecognized;
  version_ = h.Version();
  const int n = h.LastKind();
  if (version_ >= 3 || n >= 27) return Refusal::Unsupported;
  if (version_ == 1) {
    if (n <= 7) return Refusal::TooOld;
    h.SetVersion1Defaults();
    h.SetShort(hdr::kExportPrefix, 17, ExportPrefixFromFileName(path_, 8));
  }
  counter_ = h.SaveCounter();

  const uint64_t tableSize = 12ull * static_cast<uint64_t>(n + 1);
  const uint64_t recordArea = kTableStart + tableSize + 4;
  if (recordArea > size_) throw Corrupt("kind table: runs past the end of the file");
  Bytes table(static_cast<size_t>(tableSize + 4));
  if (!file_->ReadAt(kTableStart, table.data(), table.size())) throw Corrupt("kind table: cannot be read");
  const uint64_t e = GetU32(table.data(), static_cast<size_t>(tableSize));
  if (recordArea + e > size_) throw Corrupt("record area: runs past the end of the file");
  blobBase_ = recordArea + e;

  std::vector<KindEntry> entries(static_cast<size_t>(n + 1));
  std::vector<std::pair<uint64_t, uint64_t>> regions;
  for (int k = 0; k <= n; ++k) {
    KindEntry& entry = entries[static_cast<size_t>(k)];
    entry.offset = GetU32(table.data(), static_cast<size_t>(12 * k));
    entry.size = GetU32(table.data(), static_cast<size_t>(12 * k + 4));
    entry.count = GetU32(table.data(), static_cast<size_t>(12 * k + 8));
    const std::string where = "kind " + std::to_string(k) + ": ";
    // Kinds without records (the unused ones) are not read at all.
    if (entry.count == 0 || RecordSize(k) == 0) continue;
    if (entry.count > static_cast<uint32_t>(kMaxSlots)) throw Corrupt(where + "more slots than an id can name");
    // No kind's record, today's or an older one, is shorter than this; the
    // floor keeps the objects a file can ask for in proportion to its size.
    if (entry.size < kMinRecordSize) throw Corrupt(where + "records shorter than any kind's record");
    const uint64_t end = static_cast<uint64_t>(entry.offset) + static_cast<uint64_t>(entry.size) * entry.count;
    if (end > e) throw Corrupt(where + "records run past the record area");
    regions.emplace_back(entry.offset, end);
  }
  std::sort(regions.begin(), regions.end());
  for (size_t i = 1; i < regions.size(); ++i)
    if (regions[i].first < regions[i - 1].second) throw Corrupt("kind table: record regions overlap");

  uint64_t objects = 0;
  for (int k = 0; k <= std::min(n, 26); ++k)
    if (RecordSize(k) > 0) objects += entries[static_cast<size_t>(k)].count;
  loaded_.reserve(static_cast<size_t>(objects));
  blobs_.reserve(static_cast<size_t>(2 * objects));
  for (int k = 0; k <= std::min(n, 26); ++k)
    if (RecordSize(k) > 0 && entries[static_cast<size_t>(k)].count > 0)
      ReadRecords(k, entries[static_cast<size_t>(k)], recordArea);
  for (Loaded& l : loaded_) PlanBlobs(l);
  ReadPlannedBlobs();
  for (Loaded& l : loaded_) Finish(l);

  if (doc_.lists_[stileParagrafo].empty()) doc_.CreateDefaultStyles();
  if (version_ == 1) ConvertVersion1();
  doc_.LoadDefaultStyles();

  const int32_t pages = doc_.KindCount(testoHtml);
  for (size_t field : {hdr::kSummaryPage, hdr::kCoverPage}) {
    int32_t id = h.I32(field);
    if (id < 0 || id >= pages) h.SetI32(field, 0);
  }
  doc_.blobBase_ = blobBase_;
  return Refusal::None;
}

void DocumentReader::ReadRecords(int kind, const KindEntry& e, uint64_t recordArea) {
  auto& list = doc_.lists_[static_cast<size_t>(kind)];
  list.reserve(e.count);
  const size_t take = std::min<size_t>(e.size, kRecordBytes);
  for (uint32_t i = 0; i < e.count; ++i) {
    const uint8_t* stored = window_.Get(recordArea + e.offset + static_cast<uint64_t>(i) * e.size, take);
    if (!stored) throw Corrupt("kind " + std::to_string(kind) + ": records cannot be read");
    auto o = TYKAoggetto::Create(kind, &doc_);
    o->SetRegistration(static_cast<TOggettiHel>(kind), static_cast<int32_t>(i), true);
    std::memcpy(o->Record(), stored, take);
    Upgrade(*o, e.size);
    loaded_.push_back({o.get(), e.size, false});
    list.push_back(std::move(o));
  }
}

void DocumentReader::Upgrade(TYKAoggetto& o, uint32_t s) {
  switch (o.Kind()) {
    case testoHtml:
      if (s <= 242) {
        o.SetU16(page_rec::kLanguage, 1036);
        o.SetU8(page_rec::kMarkupVersion, 1);
        o.SetI32(page_rec::kGeneration, counter_ - 1);
        o.SetU8(200, 0);
        o.SetI16(221, 5);
        o.SetI32(page_rec::kNextScene, -1);
        o.SetI32(page_rec::kHeaderPage, -1);
        o.SetI32(page_rec::kFooterPage, -1);
        o.SetI32(223, -1);
        o.SetU8(page_rec::kPassword, 0);
      }
      break;
    case internetLink:
      if (o.State() < 5 || o.State() > 8) {
        AnsiString address = o.ObjectCaption();
        if (AnsiStartsWithText(address, "tolvane:")) o.SetState(6);
        else if (AnsiStartsWithText(address, "http:")) o.SetState(7);
        else if (AnsiStartsWithText(address, "mailto:")) o.SetState(8);
      }
      break;
    case zipLink:
    case genLink:
      if (s <= 92) {
        o.SetI32(link_rec::kGeneration, counter_ - 1);
        o.SetShortString(link_rec::kCaption, link_rec::kFileNameSize,
                         doc_.UniqueFileName(o.ShortString(link_rec::kCaption, link_rec::kFileNameSize), &o));
      }
      break;
    case immagine:
      if (s <= 666) {
        o.SetI32(picture_rec::kPreviousSlot, -1);
        o.SetU8(picture_rec::kLastByte, 0);
        o.SetI32(picture_rec::kGeneration, counter_ - 1);
      }
      [[fallthrough]];
    case mappaClic:
      if (o.Kind() == mappaClic || s <= 666) {
        AnsiString name = o.ShortString(picture_rec::kFileName, picture_rec::kFileNameSize);
        if (!name.empty())
          o.SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, doc_.UniqueFileName(name, &o));
      }
      break;
    case tabellaHtml:
      if (s <= 219) {
        o.SetU8(219, 1);
        o.SetI16(56, 300);
        std::memset(o.Record() + 5, 0, 50);
        o.SetU8(55, 1);
      }
      break;
    case bottoneCGI:
      if (s < 195) o.SetI32(186, -1);
      break;
    case multiMedia:
      if (o.State() != 5 && o.State() != 6) {
        int32_t linked = o.I32(media_rec::kLink);
        if (linked != -1) o.SetI32(media_rec::kLink, MakeObjectId(3, SlotOfId(linked)));
      }
      break;
    default: break;
  }
}

void DocumentReader::PlanBlobs(Loaded& l) {
  TYKAoggetto& o = *l.object;
  const int kind = o.Kind();
  if (kind == immagine && l.storedSize <= 666 &&
      o.ShortString(picture_rec::kFileName, picture_rec::kFileNameSize).empty()) {
    l.discard = true;
    return;
  }
  // Free slots hold no blobs: the writer never writes them.
  if (o.IsFree()) return;
  const BlobFields f = BlobFieldsOf(kind);
  if (f.contentPos >= 0) {
    int64_t pos = o.I32(static_cast<size_t>(f.contentPos));
    int64_t size = f.contentSize16 ? o.U16(static_cast<size_t>(f.contentSize))
                                   : o.I32(static_cast<size_t>(f.contentSize));
    if (f.contentSize16 && o.I32(table_rec::kHasContent) == 0) size = 0;
    if (InFile(pos, size)) {
      const uint64_t at = blobBase_ + static_cast<uint64_t>(pos);
      // Embedded files and pictures stay in the file until they are needed.
      if (HasLazyContent(kind)) o.SetLazyContent({file_, at, static_cast<uint32_t>(size)});
      else blobs_.push_back({at, static_cast<uint32_t>(size), &o, false});
    }
  }
  if (f.attrPos >= 0) {
    int64_t pos = o.I32(static_cast<size_t>(f.attrPos)), size = o.I32(static_cast<size_t>(f.attrSize));
    if (InFile(pos, size)) blobs_.push_back({blobBase_ + static_cast<uint64_t>(pos), static_cast<uint32_t>(size), &o, true});
  }
}

void DocumentReader::ReadPlannedBlobs() {
  // The writer never shares bytes between blobs, so together they fit in the
  // file; a file that claims more would make every object copy the same bytes.
  uint64_t total = 0;
  for (const BlobRead& b : blobs_) total += b.size;
  if (total > size_) throw Corrupt("blobs: they claim more bytes than the file holds");
  // In file order the blobs of neighbouring objects share window reads.
  std::sort(blobs_.begin(), blobs_.end(),
            [](const BlobRead& a, const BlobRead& b) { return a.position < b.position; });
  for (const BlobRead& b : blobs_) {
    Bytes bytes;
    if (const uint8_t* p = window_.Get(b.position, b.size)) {
      bytes.assign(p, p + b.size);
    } else {
      bytes.resize(b.size);
      if (!file_->ReadAt(b.position, bytes.data(), bytes.size())) continue;  // a read error leaves no blob
    }
    if (b.attributes) b.object->SetAttributes(std::move(bytes));
    else b.object->SetContent(std::move(bytes));
  }
  blobs_ = {};
}

void DocumentReader::Finish(Loaded& l) {
  TYKAoggetto& o = *l.object;
  if (o.Kind() == testoHtml && l.storedSize < 243 && !o.IsFree() && !o.HasContent()) l.discard = true;
  // Placed images keep 20 more record bytes in the binary part of their attributes.
  if (o.Kind() == immagineNew && placed_rec::HasExtendedData(o.U8(placed_rec::kMapMode))) {
    Bytes binary = o.AttributeBinary();
    if (binary.size() == placed_rec::kExtendedSize) {
      std::memcpy(o.Record() + placed_rec::kExtendedStart, binary.data(), binary.size());
      o.SetAttributeBinary({});
    }
  }
  if (l.discard) {
    o.Clear();
    o.DropContent();
    o.SetAttributes(std::nullopt);
  }
}

void DocumentReader::ConvertVersion1() {
  auto convert = [&](int from, TOggettiHel to) {
    auto& list = doc_.lists_[static_cast<size_t>(from)];
    for (auto& old : list) {
      if (!old || old->IsFree()) continue;
      const int32_t oldId = old->ObjectId();
      auto fresh = TYKAoggetto::Create(to, &doc_);
      fresh->CopyCoreFrom(*old);
      fresh->SetRegistration(to, -1, false);
      if (to == immagine) {
        fresh->SetI32(picture_rec::kPreviousSlot, old->Slot());
        fresh->SetU8(picture_rec::kLastByte, 0);
        fresh->SetI32(picture_rec::kGeneration, counter_ - 1);
      }
      TYKAoggetto* placed = doc_.Register(std::move(fresh), doc_.KindCount(to));
      if (placed) doc_.remap_.emplace_back(oldId, placed->ObjectId());
    }
    list.clear();
  };
  convert(mappaClic, immagine);
  convert(zipLink, genLink);
}

bool TYKAset::Open(const std::string& path) {
  FileSystem& fs = platform_.files;
  if (!fs.Exists(path)) {
    platform_.messages.ShowWarning(path + " n'existe pas");
    return false;
  }
  platform_.ui.ProcessPendingMessages(25);
  Close();
  platform_.ui.ProcessPendingMessages(25);
  WaitCursor wait(platform_.ui);
  openProblem_.clear();

  auto fail = [&](const std::string& message, const std::string& problem) {
    New();
    openProblem_ = problem;
    platform_.messages.ShowInformation(message);
    return false;
  };
  const std::string readError = "Erreur à la lecture du fichier : " + path;

  std::shared_ptr<ReadableFile> file = fs.OpenRead(path);
  if (!file) return fail(readError, "the file cannot be opened for reading");
  if (file->Size() == 0) {
    New();
    header_.SetShort(hdr::kExportPrefix, 17, ExportPrefixFromFileName(path, 16));
    fileName_ = path;
    file_ = std::move(file);
    modified_ = false;
    return true;
  }
  if (file->Size() < hdr::kSize) return fail(readError, "shorter than a document header");

  Refusal refusal = Refusal::None;
  try {
    DocumentReader reader(*this, file, path);
    refusal = reader.Read();
  } catch (const Corrupt& c) {
    return fail(readError, c.what());
  } catch (const std::bad_alloc&) {
    return fail(readError, "not enough memory");
  }
  switch (refusal) {
    case Refusal::Unrecognized: return fail("Format non reconnu.", "not a document file");
    case Refusal::TooOld:
      return fail(
          "Attenzione: file salvato con una versione del programma\ranteriore alla 0.98. Non più "
          "supportato. UNSUPPORTED\r",
          "written by a version older than 0.98");
    case Refusal::Unsupported:
      return fail(
          "Fichier non supporté.\rVeuillez vous procurer une version plus récente du programme sur le "
          "site web de Kelmori.",
          "written by a newer version");
    case Refusal::None: break;
  }
  fileName_ = path;
  file_ = std::move(file);
  if (OnAfterNew) OnAfterNew();
  modified_ = false;
  return true;
}

std::string TYKAset::ReadForeignPageTitle(const std::string& path, int32_t pageId) {
  auto file = platform_.files.OpenRead(path);
  if (!file || file->Size() < hdr::kSize) return {};
  uint8_t header[hdr::kSize];
  if (!file->ReadAt(0, header, sizeof header)) return {};
  if (AnsiUpperCase(std::string_view(reinterpret_cast<const char*>(header), 4)) != "TOLP") return {};
  if (GetU16(header, hdr::kVersion) > 2) return {};
  const int n = header[hdr::kLastKind];
  const int kind = KindOfId(pageId);
  const uint32_t slot = static_cast<uint32_t>(SlotOfId(pageId));
  if (kind > n) return {};
  uint8_t entry[12];
  if (!file->ReadAt(kTableStart + 12ull * static_cast<uint64_t>(kind), entry, sizeof entry)) return {};
  const uint32_t offset = GetU32(entry, 0), size = GetU32(entry, 4), count = GetU32(entry, 8);
  if (slot >= count || size == 0) return {};
  uint8_t record[kRecordBytes];
  std::memset(record, 0xFF, sizeof record);
  const uint64_t pos = kTableStart + 12ull * static_cast<uint64_t>(n + 1) + 4 + offset +
                       static_cast<uint64_t>(slot) * size;
  const size_t take = std::min<size_t>(size, kRecordBytes);
  if (!file->ReadAt(pos, record, take)) return {};
  if (kind != testoHtml || take < 6) return {};
  return ReadShortString(record, page_rec::kCaption, std::min<size_t>(page_rec::kCaptionSize, take - 5));
}

}  // namespace tolvane
