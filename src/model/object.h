// A stored object: a fixed-size record whose layout depends on its kind, a
// content blob (in memory, or left in the open document file) and an attribute
// stream. Pages are the subclass TYKAtesto.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ansi.h"
#include "common/bytes.h"
#include "model/kinds.h"
#include "model/record_fields.h"

namespace tolvane {

class ReadableFile;
class TYKAset;
class TYKAtesto;
struct TYKApicture;

// Content left in the open document file: read on demand through the shared handle.
struct LazyContent {
  std::shared_ptr<ReadableFile> file;
  uint64_t position = 0;
  uint32_t size = 0;
};

// A name/value pair found by the attribute scanner.
struct TYKAobjData {
  std::string name;
  std::string value;
  int32_t number = 0;
  uint8_t flag = 1;
};

// An object refers to its document and must not outlive it.
class TYKAoggetto {
 public:
  explicit TYKAoggetto(TYKAset* document = nullptr);
  virtual ~TYKAoggetto();
  TYKAoggetto(const TYKAoggetto&) = delete;
  TYKAoggetto& operator=(const TYKAoggetto&) = delete;

  // Creates the object class a kind needs: a page for kind 0, a plain object otherwise.
  static std::unique_ptr<TYKAoggetto> Create(int kind, TYKAset* document);

  // ---- identity and registration
  TOggettiHel Kind() const { return kind_; }
  int32_t ObjectId() const { return MakeObjectId(kind_, slot_); }
  int32_t Slot() const { return slot_; }
  void SetSlot(int32_t slot) { slot_ = slot; }  // the preferred slot of an unregistered object
  bool IsRegistered() const { return registered_; }
  TYKAset* Document() const { return document_; }
  void SetDocument(TYKAset* d) { document_ = d; }
  // Changes the kind. A registered object leaves its slot in the old kind's
  // list; the caller then owns it (the returned pointer is the object itself).
  [[nodiscard]] std::unique_ptr<TYKAoggetto> SetKind(TOggettiHel kind);
  // Used by the document when it gives or takes a slot, and by the reader.
  void SetRegistration(TOggettiHel kind, int32_t slot, bool registered) {
    kind_ = kind;
    slot_ = slot;
    registered_ = registered;
  }

  // ---- state
  bool IsFree() const;
  // Fills the record with 0xFF, forgets the external path, writes the kind's defaults.
  void Clear();
  // Puts the object into use.
  void Activate();
  // Releases what the object holds in the document, clears it, drops its streams.
  virtual void Reset();
  int32_t GetGeneration() const;
  void SetGeneration(int32_t value);
  uint8_t State() const { return record_[kStateByte]; }
  void SetState(uint8_t s) { record_[kStateByte] = s; }

  // ---- the record
  uint8_t* Record() { return record_; }
  const uint8_t* Record() const { return record_; }
  uint8_t U8(size_t off) const { return record_[off]; }
  int16_t I16(size_t off) const { return GetI16(record_, off); }
  uint16_t U16(size_t off) const { return GetU16(record_, off); }
  int32_t I32(size_t off) const { return GetI32(record_, off); }
  void SetU8(size_t off, uint8_t v) { record_[off] = v; }
  void SetI16(size_t off, int16_t v) { PutI16(record_, off, v); }
  void SetU16(size_t off, uint16_t v) { PutU16(record_, off, v); }
  void SetI32(size_t off, int32_t v) { PutI32(record_, off, v); }
  AnsiString ShortString(size_t off, size_t fieldSize) const;
  void SetShortString(size_t off, size_t fieldSize, std::string_view text);

  // ---- names
  AnsiString ObjectCaption() const;
  // Writes the caption field of the kind (cut to the field); kinds without one ignore it.
  void SetCaption(std::string_view caption);
  AnsiString HtmlName() const;

  // ---- content blob
  bool HasContent() const { return content_.has_value() || lazy_.has_value(); }
  bool HasLazyContent() const { return lazy_.has_value(); }
  uint64_t ContentSize() const;
  // The content, from memory or from the open file; false on a read error.
  bool ReadContent(Bytes& out) const;
  // In-memory content, or nothing (lazy content is not read here).
  const Bytes* ContentInMemory() const { return content_ ? &*content_ : nullptr; }
  void SetContent(Bytes bytes);
  void SetContentText(std::string_view text) { SetContent(ToBytes(text)); }
  void SetLazyContent(LazyContent lazy);
  const std::optional<LazyContent>& Lazy() const { return lazy_; }
  void DropContent();
  // (position, size) of the two blobs in the open document file, or (0, 0).
  std::pair<uint64_t, uint32_t> ContentBlobLocation() const;
  std::pair<uint64_t, uint32_t> AttributeBlobLocation() const;

  const std::string& ExternalPath() const { return externalPath_; }
  void SetExternalPath(std::string path) { externalPath_ = std::move(path); }

  // ---- attribute stream: 32-bit length L, L bytes of binary data, attribute text
  bool HasAttributes() const { return attributes_.has_value(); }
  const Bytes* Attributes() const { return attributes_ ? &*attributes_ : nullptr; }
  void SetAttributes(std::optional<Bytes> a) { attributes_ = std::move(a); }
  // The binary part (empty when there is none).
  Bytes AttributeBinary() const;
  // Replaces the binary part, keeping the text.
  void SetAttributeBinary(const Bytes& binary);
  // The text part (after the binary part).
  std::string AttributeText() const;
  std::optional<std::string> ReadAttribute(std::string_view name) const;
  void WriteAttribute(std::string_view name, std::string_view value);
  // One name="value" line per pair, names in lower case.
  std::vector<std::string> AttributeLines() const;
  std::vector<TYKAobjData> AttributePairs() const;
  void WriteFieldData(std::string& out) const;

  // ---- property bag (dbloc only)
  std::string ReadProperty(std::string_view key) const;
  bool WriteProperty(std::string_view key, std::string_view value);
  // Every key with its value (line breaks restored), in stored order.
  std::vector<std::pair<std::string, std::string>> PropertyPairs() const;

  // ---- equality
  bool SameAs(const TYKAoggetto& other) const;

  // Takes the picture of another picture resource (through the transfer
  // stream), keeping this object's slot; records an undo step when registered.
  // The caller disposes of an unregistered source.
  void ReplaceContent(const TYKAoggetto& source);

  // ---- files and pictures
  // `sync`: flushed to the disk before it returns (files that can be made again need not be).
  bool ExtractToFile(const std::string& path, bool sync = true) const;
  std::string ExportedFileName();
  TYKApicture* GetPicture();
  void ReleasePicture();

  // ---- copying
  virtual void Assign(const TYKAoggetto& source);
  void SaveToTransfer(Bytes& out) const;
  bool LoadFromTransfer(ByteReader& in);

  // ---- references
  int FindReferences(int32_t target) const;
  void RemoveReferences(int32_t target);

  // ---- page password byte: 1..128 refuses access to the content
  bool ContentLocked() const;
  // Shows the refusal message when locked; true when the content may be read.
  bool CheckReadable() const;

  // Working values: the second one travels with linked objects in clipboard streams.
  int32_t work1 = -1;
  int32_t work2 = -1;
  uint8_t printFlag = 0;
  TYKAtesto* ownerText = nullptr;

  // A plain copy of kind, slot, record, document link, streams and external
  // path (in-memory streams deep-copied, file content shared), with none of
  // Assign's conversions.
  void CopyCoreFrom(const TYKAoggetto& source);

 protected:
  void WriteDefaults();
  // The property list of a dbloc, parsed on first use.
  std::vector<std::string>& Properties() const;
  void StoreProperties();

 private:
  TOggettiHel kind_ = testoHtmlRtf;
  int32_t slot_ = -1;
  bool registered_ = false;
  TYKAset* document_ = nullptr;
  uint8_t record_[kRecordBytes];
  std::optional<Bytes> content_;
  std::optional<LazyContent> lazy_;
  std::optional<Bytes> attributes_;
  std::string externalPath_;
  mutable std::unique_ptr<std::vector<std::string>> properties_;
  std::unique_ptr<TYKApicture> picture_;
};

// The page.
class TYKAtesto : public TYKAoggetto {
 public:
  explicit TYKAtesto(TYKAset* document = nullptr);
  ~TYKAtesto() override;
  void Reset() override;
  void Assign(const TYKAoggetto& source) override;

  // The page name used by name links: the text in the binary part of the attribute stream.
  std::string PageName() const;
  void SetPageName(std::string_view name);
  std::string_view Markup() const;

  // The link objects of the page's working copy, named in its markup by ids
  // with kind byte 0x6F (the index in this list). Not owned.
  std::vector<TYKAoggetto*> workingLinks;
};

// Attribute values keep CR as byte 2 and LF as byte 3 so that a value is one line.
std::string EncodeLineBreaks(std::string_view value);
std::string DecodeLineBreaks(std::string_view value);

// An object's content read whole as text; empty when it cannot be read.
std::string ContentText(const TYKAoggetto& object);

// The captions of special links and short objects, made from what they hold.
AnsiString ComputedCaption(const TYKAoggetto& object);

// What a copy of a password-protected page holds instead of its text.
std::string LockedPageMarkup();

// The markup a fresh page starts with.
inline constexpr std::string_view kEmptyPageMarkup = "<Z S0 >";

}  // namespace tolvane
