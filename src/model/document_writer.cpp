// Writing a document file.
//
// The new file is written beside the target under a temporary name, flushed,
// and only then put in the target's place by one rename; the backup is made by
// a hard link (or a copy) while the target stays where it is. Whatever fails,
// the old file is left exactly as it was and the open document stays usable;
// the document takes the new file's blob positions only once the rename is done.
#include <cstring>
#include <filesystem>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/document.h"

namespace tolvane {
namespace {

constexpr int kFileKinds = kLastFileKind + 1;
constexpr uint64_t kRecordAreaStart = hdr::kSize + 12ull * kFileKinds + 4;
constexpr uint64_t kOversize = 50000000;
constexpr size_t kBufferSize = 1 << 20;

const char* const kWriteError = "Erreur à l'écriture du fichier";
const char* const kSharingError = "Erreur de partage readonly ou dépassement de capacité du disque.";

// Sequential writes into a file through a buffer, tracking the position.
class Sink {
 public:
  Sink(WritableFile& file, uint64_t start) : file_(file), pos_(start), flushed_(start) {
    buffer_.reserve(kBufferSize);
  }
  uint64_t position() const { return pos_; }
  // Takes back bytes appended since the last flush or before it.
  void Truncate(uint64_t position) {
    if (position >= pos_) return;
    const uint64_t drop = pos_ - position;
    if (drop <= buffer_.size()) buffer_.resize(buffer_.size() - static_cast<size_t>(drop));
    else {
      // Already on disk: the next write overwrites it.
      Flush();
      flushed_ = position;
    }
    pos_ = position;
  }
  bool ok() const { return ok_; }
  void Append(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0 && ok_) {
      size_t room = kBufferSize - buffer_.size();
      size_t take = std::min(room, n);
      buffer_.insert(buffer_.end(), p, p + take);
      p += take;
      n -= take;
      pos_ += take;
      if (buffer_.size() == kBufferSize) Flush();
    }
  }
  bool Flush() {
    if (ok_ && !buffer_.empty()) ok_ = file_.WriteAt(flushed_, buffer_.data(), buffer_.size());
    flushed_ += buffer_.size();
    buffer_.clear();
    return ok_;
  }

 private:
  WritableFile& file_;
  uint64_t pos_;
  uint64_t flushed_;
  std::vector<uint8_t> buffer_;
  bool ok_ = true;
};

// Where one object's blobs went in the new file (relative to its blob base).
struct Placement {
  TYKAoggetto* object;
  int64_t contentPos = -1, contentSize = 0;
  int64_t attrPos = -1, attrSize = 0;
  bool contentWritten = false;  // false: the object had no content
};

}  // namespace

class DocumentWriter {
 public:
  DocumentWriter(TYKAset& doc, std::string path, int version, int mode)
      : doc_(doc), fs_(doc.platform_.files), path_(std::move(path)), version_(version), mode_(mode) {}
  bool Run();

 private:
  bool WriteFile(WritableFile& out, DocumentHeader& header);
  void WriteObject(TYKAoggetto& o, Sink& sink, uint8_t* record);
  int64_t CopyContent(TYKAoggetto& o, Sink& sink, bool& written);
  bool AskKeepOversized(TYKAoggetto& o, uint64_t size);
  bool Commit(const std::string& temp);
  void Adopt(const DocumentHeader& header);
  void Error(const std::string& text) { doc_.saveErrors_.push_back(text); }

  TYKAset& doc_;
  FileSystem& fs_;
  std::string path_;
  int version_;
  int mode_;
  uint64_t blobBase_ = 0;
  std::vector<Placement> placements_;
  std::unique_ptr<uint8_t[]> copyBuffer_;  // made on first use: most saves copy nothing from files
};

bool DocumentWriter::Run() {
  const std::string folder = ExtractFileDir(std::filesystem::absolute(path_).string());
  auto cannotCreate = [&] {
    MessageBoxes& m = doc_.messages();
    m.ShowError("Le programme ne peut pas créer (ou Windows ne vous autorise pas à toucher): " + path_);
    m.ShowError("Peut-être que vous devriez mettre dans le dossier Documents, ou: " +
                doc_.platform_.system.DocumentsFolder());
    return false;
  };
  if (fs_.IsDirectory(path_) || !fs_.CreateDirectories(folder)) return cannotCreate();

  // Creating the new file beside the target is the writability probe: it
  // touches nothing that exists.
  std::string temp;
  std::unique_ptr<WritableFile> out;
  for (int attempt = 0; attempt < 8 && !out; ++attempt) {
    temp = path_ + "." + HexDigits(doc_.platform_.random.Below(0x1000000), 6) + ".tmp";
    if (!fs_.Exists(temp)) out = fs_.CreateNew(temp);
  }
  if (!out) return cannotCreate();

  bool locked = false;
  for (int slot = 0; slot < doc_.KindCount(testoHtml) && !locked; ++slot) {
    TYKAoggetto* page = doc_.ObjectAt(testoHtml, slot);
    uint8_t b = page && !page->IsFree() ? page->U8(page_rec::kPassword) : 0;
    locked = b != 0 && b != 255;
  }
  if (locked &&
      doc_.messages().AskYesNo("Etes-vous sûr? Les pages protégées par un mot de passe pourraient être "
                               "perdues si vous enregistrez.") != Answer::Yes) {
    out->Close();
    fs_.Remove(temp);
    return false;
  }

  DocumentHeader header = doc_.header_;
  bool ok = WriteFile(*out, header);
  if (ok && !out->Sync()) ok = false;
  if (!out->Close()) ok = false;
  out.reset();
  if (!ok && doc_.saveErrors_.empty()) Error(kWriteError);
  if (!doc_.saveErrors_.empty()) {
    fs_.Remove(temp);
    return false;
  }
  if (!Commit(temp)) return false;
  // A copy, or a file inside the working folder (deleted on close), never
  // becomes the document's file.
  if (mode_ != 1 && !IsPathInside(path_, doc_.WorkingFolder())) Adopt(header);
  return true;
}

bool DocumentWriter::WriteFile(WritableFile& out, DocumentHeader& header) {
  // Header updates go into a copy; the document takes them only when the save succeeds.
  header.SetU8(hdr::kLastKind, kLastFileKind);
  header.SetU16(hdr::kVersion, static_cast<uint16_t>(version_));
  header.SetI32(hdr::kSaveCounter, header.SaveCounter() + 1);
  header.SetU16(hdr::kPixelsPerInch, static_cast<uint16_t>(doc_.platform_.system.ScreenPixelsPerInch()));
  const std::string name = ExtractFileName(path_);
  if (header.Short(hdr::kExportPrefix, 17).empty())
    header.SetShort(hdr::kExportPrefix, 17, ExportPrefixFromFileName(path_, 16));
  if (header.Title() == "SansTitre") {
    std::string stem = ChangeFileExt(name, "");
    header.SetTitle(Utf8ToAnsi(stem == name ? name : stem + "."));
  }

  Bytes table;
  ByteWriter t(table);
  uint64_t e = 0;
  std::vector<uint64_t> offsets(kFileKinds);
  for (int k = 0; k < kFileKinds; ++k) {
    const uint64_t count = static_cast<uint64_t>(doc_.KindCount(k)) & 0xFFFFFF;
    offsets[static_cast<size_t>(k)] = e;
    t.U32(static_cast<uint32_t>(e));
    t.U32(static_cast<uint32_t>(RecordSize(k)));
    t.U32(static_cast<uint32_t>(count));
    e += count * static_cast<uint64_t>(RecordSize(k));
  }
  if (e > 0x7FFFFFFF) {
    Error(kWriteError);
    return false;
  }
  t.U32(static_cast<uint32_t>(e));
  blobBase_ = kRecordAreaStart + e;

  Bytes records(static_cast<size_t>(e));
  Sink sink(out, blobBase_);
  uint8_t record[kRecordBytes];
  for (int k = 0; k < kFileKinds; ++k) {
    const size_t size = static_cast<size_t>(RecordSize(k));
    std::unique_ptr<TYKAoggetto> empty;  // what an emptied slot is written as: a free record
    for (int slot = 0; slot < doc_.KindCount(k) && sink.ok(); ++slot) {
      TYKAoggetto* o = doc_.ObjectAt(k, slot);
      if (o) {
        std::memcpy(record, o->Record(), kRecordBytes);
      } else {
        if (!empty) {
          empty = TYKAoggetto::Create(k, &doc_);
          empty->Clear();
        }
        std::memcpy(record, empty->Record(), kRecordBytes);
      }
      if (o && !o->IsFree()) WriteObject(*o, sink, record);
      if (size) std::memcpy(records.data() + offsets[static_cast<size_t>(k)] + static_cast<size_t>(slot) * size, record, size);
    }
  }
  if (!sink.Flush()) return false;
  if (sink.position() - blobBase_ > 0x7FFFFFFF) {
    Error(kWriteError);
    return false;
  }
  if (!doc_.saveErrors_.empty()) return false;
  Bytes head(header.bytes, header.bytes + hdr::kSize);
  head.insert(head.end(), table.begin(), table.end());
  return out.WriteAt(0, head.data(), head.size()) &&
         out.WriteAt(kRecordAreaStart, records.data(), records.size());
}

bool DocumentWriter::AskKeepOversized(TYKAoggetto& o, uint64_t size) {
  using Rule = TYKAset::OversizeRule;
  if (TYKAset::oversizeRule == Rule::KeepAll) return true;
  if (TYKAset::oversizeRule == Rule::DeleteAll) return false;
  MessageBoxes& m = doc_.messages();
  Answer a = m.AskYesNoAll(
      "La taille d'un objet est très importante, il pourrait y avoir une erreur : vous est sûr de vouloir "
      "le sauver ? Choisissez \"No\" pour l'effacer, \"Oui\" pour ignorer.\n(n°_objet,taille,nom):(" +
      std::to_string(o.Slot()) + " , " + std::to_string(size) + " , " + AnsiToUtf8(o.ObjectCaption()) + ")");
  if (a == Answer::All) {
    bool erase = m.AskYesNo("Effacer tous les objets \"trop grands\" ?") == Answer::Yes;
    TYKAset::oversizeRule = erase ? Rule::DeleteAll : Rule::KeepAll;
    return !erase;
  }
  return a != Answer::No;
}

int64_t DocumentWriter::CopyContent(TYKAoggetto& o, Sink& sink, bool& written) {
  written = true;
  if (const Bytes* memory = o.ContentInMemory()) {
    sink.Append(memory->data(), memory->size());
    return static_cast<int64_t>(memory->size());
  }
  std::shared_ptr<ReadableFile> source;
  uint64_t from = 0, size = 0;
  std::string sourceName = doc_.fileName_;
  if (const auto& lazy = o.Lazy()) {
    source = lazy->file;
    from = lazy->position;
    size = lazy->size;
  } else if ((o.Kind() == genLink || o.Kind() == immagine || o.Kind() == immagineNew) &&
             !o.ExternalPath().empty()) {
    sourceName = o.ExternalPath();
    source = fs_.OpenRead(sourceName);
    if (source) size = source->Size();
    else {
      Error("Erreur lors de l'ouverture du fichier : " + sourceName);
      return 0;
    }
  } else {
    written = false;
    return 0;
  }
  if (!copyBuffer_ && size > 0) copyBuffer_.reset(new uint8_t[kBufferSize]);
  for (uint64_t done = 0; done < size && sink.ok();) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(kBufferSize, size - done));
    if (!source || !source->ReadAt(from + done, copyBuffer_.get(), n)) {
      Error("Erreur lors de l'ouverture du fichier : " + sourceName);
      return static_cast<int64_t>(done);
    }
    sink.Append(copyBuffer_.get(), n);
    done += n;
  }
  return static_cast<int64_t>(size);
}

void DocumentWriter::WriteObject(TYKAoggetto& o, Sink& sink, uint8_t* record) {
  const BlobFields f = BlobFieldsOf(o.Kind());
  const bool extended = o.Kind() == immagineNew && placed_rec::HasExtendedData(o.U8(placed_rec::kMapMode));

  uint64_t contentSize = o.ContentSize();
  if (f.contentPos >= 0 && !o.HasContent() && !o.ExternalPath().empty())
    contentSize = fs_.FileSize(o.ExternalPath()).value_or(0);
  const uint64_t attributeSize = (o.Attributes() ? o.Attributes()->size() : 0) + (extended ? 4 + placed_rec::kExtendedSize : 0);
  if (contentSize + attributeSize > kOversize && !AskKeepOversized(o, contentSize + attributeSize)) {
    // Cleared to free, as the user chose; the links it owns were written already.
    o.Clear();
    o.DropContent();
    o.SetAttributes(std::nullopt);
    std::memcpy(record, o.Record(), kRecordBytes);
    return;
  }

  if (f.contentPos < 0 && f.attrPos < 0) return;
  Placement placed{&o};
  if (f.contentPos >= 0) {
    const int64_t pos = static_cast<int64_t>(sink.position() - blobBase_);
    int64_t size = CopyContent(o, sink, placed.contentWritten);
    if (f.contentSize16 && size > 0xFFFF) {
      // A table's cell list (at most 255 rows of 50 cells) fits in 16 bits;
      // bytes beyond that are no cells, and the size field cannot name them.
      sink.Truncate(sink.position() - static_cast<uint64_t>(size - 0xFFFC));
      size = 0xFFFC;
    }
    PutI32(record, static_cast<size_t>(f.contentPos), static_cast<int32_t>(pos));
    if (f.contentSize16) PutU16(record, static_cast<size_t>(f.contentSize), static_cast<uint16_t>(size));
    else PutI32(record, static_cast<size_t>(f.contentSize), static_cast<int32_t>(size));
    placed.contentPos = pos;
    placed.contentSize = size;
  }
  if (f.attrPos >= 0) {
    const int64_t pos = static_cast<int64_t>(sink.position() - blobBase_);
    Bytes stream;
    const Bytes* attributes = o.Attributes();
    if (extended) {
      ByteWriter w(stream);
      w.U32(placed_rec::kExtendedSize);
      w.Raw(o.Record() + placed_rec::kExtendedStart, placed_rec::kExtendedSize);
      w.Text(o.AttributeText());
      attributes = &stream;
    }
    const size_t size = attributes ? attributes->size() : 0;
    if (size) sink.Append(attributes->data(), size);
    PutI32(record, static_cast<size_t>(f.attrPos), static_cast<int32_t>(pos));
    PutI32(record, static_cast<size_t>(f.attrSize), static_cast<int32_t>(size));
    placed.attrPos = pos;
    placed.attrSize = static_cast<int64_t>(size);
  }
  placements_.push_back(placed);
}

bool DocumentWriter::Commit(const std::string& temp) {
  const std::string folder = ExtractFileDir(std::filesystem::absolute(path_).string());
  if (doc_.makeBackups && fs_.Exists(path_)) {
    const std::string backup = ChangeFileExt(path_, ".bak");
    const std::string backupTemp = backup + "." + HexDigits(doc_.platform_.random.Below(0x1000000), 6) + ".tmp";
    bool linked = fs_.HardLink(path_, backupTemp) || CopyFileContents(fs_, path_, backupTemp);
    if (!linked || !fs_.Rename(backupTemp, backup)) {
      fs_.Remove(backupTemp);
      fs_.Remove(temp);
      Error(kWriteError);
      return false;
    }
  }
  while (!fs_.Rename(temp, path_)) {
    Answer a = doc_.messages().AskYesNo(
        std::string(kSharingError) +
        "\rSVP, fermez votre(vos) application(s) qui est(sont) susceptible(s) d'accéder au fichier et "
        "choisissez \"Oui\" pour retenter.\rChoisissez \"Non\" pour utiliser le document interne \"" +
        temp + "\"");
    if (a != Answer::Yes) {
      // The new file stays where it is, under the name the user was just told.
      Error(kSharingError);
      return false;
    }
  }
  fs_.SyncDirectory(folder);
  return true;
}

void DocumentWriter::Adopt(const DocumentHeader& header) {
  std::shared_ptr<ReadableFile> file = fs_.OpenRead(path_);
  doc_.header_ = header;
  doc_.fileName_ = path_;
  doc_.modified_ = false;
  if (!file) return;  // the content stays readable through the old handle
  doc_.file_ = file;
  doc_.blobBase_ = blobBase_;
  for (const Placement& p : placements_) {
    TYKAoggetto& o = *p.object;
    const BlobFields f = BlobFieldsOf(o.Kind());
    // The records in memory take the positions the file now has.
    if (f.contentPos >= 0) {
      o.SetI32(static_cast<size_t>(f.contentPos), static_cast<int32_t>(p.contentPos));
      if (f.contentSize16) o.SetU16(static_cast<size_t>(f.contentSize), static_cast<uint16_t>(p.contentSize));
      else o.SetI32(static_cast<size_t>(f.contentSize), static_cast<int32_t>(p.contentSize));
    }
    if (f.attrPos >= 0) {
      o.SetI32(static_cast<size_t>(f.attrPos), static_cast<int32_t>(p.attrPos));
      o.SetI32(static_cast<size_t>(f.attrSize), static_cast<int32_t>(p.attrSize));
    }
    // Embedded files and pictures now live in the new file, as after opening it.
    if (HasLazyContent(o.Kind()) && p.contentWritten && p.contentSize > 0) {
      o.SetLazyContent({file, blobBase_ + static_cast<uint64_t>(p.contentPos), static_cast<uint32_t>(p.contentSize)});
      o.SetExternalPath({});
    }
  }
}

}  // namespace tolvane

namespace tolvane {

bool TYKAset::Save(const std::string& path, int version, int mode) {
  saveErrors_.clear();
  if (path.empty()) {
    platform_.messages.ShowError("Nom de fichier invalide !");
    return false;
  }
  if (OnBeforeNew) OnBeforeNew();
  WaitCursor wait(platform_.ui);
  return DocumentWriter(*this, path, version, mode).Run();
}

}  // namespace tolvane
