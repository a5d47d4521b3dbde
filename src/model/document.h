// The hypertext: every stored object in one list per kind, the header, the open
// document file, the working folder and the document-wide settings.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/document_header.h"
#include "model/object.h"
#include "model/undo.h"
#include "model/picture.h"
#include "platform/platform.h"

namespace tolvane {

class TYKAset {
 public:
  explicit TYKAset(Platform platform);
  ~TYKAset();
  TYKAset(const TYKAset&) = delete;
  TYKAset& operator=(const TYKAset&) = delete;

  Platform& platform() { return platform_; }
  MessageBoxes& messages() { return platform_.messages; }

  // ---- life cycle
  void New();
  void Close();
  // Reads a document file; on failure the document is new and empty.
  bool Open(const std::string& path);
  // Mode 0: a normal save, the document is then bound to the new file.
  // Mode 1: saves a copy and stays bound to its current file.
  bool Save(const std::string& path, int version = 2, int mode = 0);
  const std::string& YKAFileName() const { return fileName_; }
  // Assigning the file name opens that file, after OnBeforeNew.
  bool SetYKAFileName(const std::string& path) {
    if (OnBeforeNew) OnBeforeNew();
    return Open(path);
  }
  std::function<void()> OnBeforeNew;
  std::function<void()> OnAfterNew;
  // Errors collected by the last save.
  const std::vector<std::string>& SaveErrors() const { return saveErrors_; }
  // Where the last failed open found the file unreadable, for diagnostics.
  const std::string& OpenProblem() const { return openProblem_; }

  bool IsModified() const { return modified_; }
  void SetModified(bool m) { modified_ = m; }
  // The document this one is wrapped in (a prototype library's user); not owned.
  TYKAset* WrapperSet = nullptr;
  bool makeBackups = true;
  bool namePlacedImages = true;
  int MaxCacheImg = 20;

  // ---- header and settings
  DocumentHeader& header() { return header_; }
  const DocumentHeader& header() const { return header_; }
  int Version() const { return header_.Version(); }
  int32_t SaveCounter() const { return header_.SaveCounter(); }
  // The hidden dbloc holding the document settings, created on first use.
  TYKAoggetto* PropertiesObject();
  std::string ReadDocProperty(std::string_view key);
  bool WriteDocProperty(std::string_view key, std::string_view value);
  std::string CharSet();
  void SetCharSet(std::string_view value);
  // Sets or clears (empty text) the document password.
  void SetPassword(std::string_view password);
  // The comparison value of the password: the stored digest, or for older files
  // the digest of the stored marker text; empty when there is no password.
  std::string PasswordDigest();
  bool PasswordMatches(std::string_view password);
  // "." when the document opens for editing, the password digest when one
  // protects it, "" when it opens read-only without one.
  std::string PasswordState();
  uint8_t FontCharSet();
  void SetFontCharSet(uint8_t value);
  // Always lower case; longer than the header's 16 characters through a property.
  std::string ExpPrefix();
  void SetExpPrefix(std::string_view value);
  // -1 when not set.
  int32_t GlobalMargin();
  void SetGlobalMargin(int32_t value);
  int32_t CoverPage() const { return header_.I32(hdr::kCoverPage); }
  void SetCoverPage(int32_t id) { header_.SetI32(hdr::kCoverPage, id); }
  int32_t SummaryPage() const { return header_.I32(hdr::kSummaryPage); }
  void SetSummaryPage(int32_t id) { header_.SetI32(hdr::kSummaryPage, id); }
  // The tree objects of pages and of prototypes, made on first use.
  TYKAoggetto* PageTreeObject() { return TreeObject(hdr::kPageTree); }
  TYKAoggetto* PrototypeTreeObject() { return TreeObject(hdr::kPrototypeTree); }

  // ---- objects
  int KindCount(int kind) const;
  int KindCountInUse(int kind) const;
  TYKAoggetto* ObjectAt(int kind, int64_t slot) const;
  TYKAoggetto* FindObject(int32_t id) const;
  TYKAtesto* Page(int32_t slot) const;
  // Gives the object a slot: the preferred one (or the object's own) when free,
  // else the first free slot, else a new one at the end. Nothing in use is ever
  // displaced. Returns the registered object, or nothing when the kind is full.
  TYKAoggetto* Register(std::unique_ptr<TYKAoggetto> object, int32_t preferredSlot = -1);
  // Creates, clears, activates and registers a new object of a kind.
  TYKAoggetto* CreateObject(TOggettiHel kind, int32_t preferredSlot = -1);
  TYKAtesto* CreatePage();
  // Empties a list entry and hands its object to the caller.
  std::unique_ptr<TYKAoggetto> ReleaseSlot(int kind, int32_t slot);
  // Deletes an object: every reference to it is removed, then it is reset to free.
  void DeleteObject(TYKAoggetto* object);
  const std::vector<std::pair<int32_t, int32_t>>& RemapTable() const { return remap_; }

  // ---- finding objects
  // The first object in use of the same kind whose caption equals the object's, ignoring case.
  TYKAoggetto* FindByCaption(const TYKAoggetto& object) const;
  TYKAtesto* FindPageByName(std::string_view name) const;
  TYKAoggetto* FindStyleByName(std::string_view name) const;
  // The first object of the same kind that is the same as the given one.
  TYKAoggetto* FindEqual(const TYKAoggetto& object) const;

  // ---- styles
  std::vector<AnsiString> StyleNames() const;
  // The name itself when no object of the kind in use has it, else name + " " + n.
  AnsiString UniqueName(std::string_view name, int kind) const;
  void FixDuplicateStyleNames();
  // Every page's paragraphs of style `from` take style `to`; returns the pages changed.
  int MergeStyle(int32_t from, int32_t to);

  // ---- helpers that make objects
  // A picture resource holding the file's bytes; an equal picture already here is returned instead.
  TYKAoggetto* AddPicture(const std::string& path, bool transparent, int height, int width);
  // A picture file of a kind pages can show (BMP is converted to GIF, or JPEG); nothing on error.
  TYKAoggetto* AddPictureFile(const std::string& path);
  // Copies the file into the working folder and makes (or reuses) an embedded-file link for it.
  TYKAoggetto* AddEmbeddedFile(const std::string& path, TYKAoggetto* object = nullptr);
  // An address link, not registered.
  std::unique_ptr<TYKAoggetto> AddAddressLink(std::string_view address);
  // A placed image of a picture resource (the first one when none is given).
  TYKAoggetto* AddImmagineNew(TYKAoggetto* picture = nullptr);
  // A picture of another document copied in, or the equal one already here.
  TYKAoggetto* CopyPictureIn(const TYKAoggetto& picture);
  // 3: some listed objects were here already; 2: all were copied; 1: imported; 0: nothing done.
  int ImportPrototype(const TYKAoggetto& prototype, bool replace);
  void PrototypesUsing(const TYKAoggetto& object, std::vector<TYKAoggetto*>& list) const;

  // ---- default styles
  TYKAoggetto* DefaultStyle(int i) const { return i == 0 || i == 1 ? defaultStyles_[i] : nullptr; }

  // ---- files
  const std::shared_ptr<ReadableFile>& OpenFile() const { return file_; }
  uint64_t BlobBase() const { return blobBase_; }
  std::string WorkingFolder();
  std::string UniqueWorkingFileName(const std::string& path);
  // Replaces a file name (without folder) that a genLink or immagine other than
  // `self` already uses by "ed" + 6 random hexadecimal digits + its extension.
  std::string UniqueFileName(const std::string& name, const TYKAoggetto* self);

  // ---- pictures
  PictureLoader pictureLoader;
  TYKApicture* CachedPicture(const TYKAoggetto* object) const;
  void CachePicture(const TYKAoggetto* object, std::unique_ptr<TYKApicture> picture);
  void ReleasePicture(const TYKAoggetto* object);

  // A page title in another document file; empty when it cannot be read.
  std::string ReadForeignPageTitle(const std::string& path, int32_t pageId);

  // ---- undo
  TYKAundoList& UndoList() { return undo_; }
  int UndoDeep() const { return undoDeep_; }
  // Also resizes the list.
  void SetUndoDeep(int depth) {
    undoDeep_ = depth;
    undo_.SetDepth(depth);
  }
  // The frame sets showing this document, by index: where undo paths start.
  TYKAundoIndiciList& FrameSets() { return frameSets_; }
  // Told when undo puts an object back, so that the frames showing it refresh.
  std::function<void(TYKAoggetto& object)> OnObjectRestored;

  // Object-level notifications the editor layers fill in (undo of picture replacement).
  std::function<void(const std::string& caption, TYKAoggetto& object)> OnRecordUndo;

  // The size guard answer "All" holds for the rest of the run.
  enum class OversizeRule { Ask, DeleteAll, KeepAll };
  static OversizeRule oversizeRule;

 private:
  friend class DocumentReader;
  friend class DocumentWriter;
  void CreateDefaultStyles();
  TYKAoggetto* TreeObject(size_t headerField);
  void LoadDefaultStyles();
  void ResetContent();

  Platform platform_;
  DocumentHeader header_;
  std::array<std::vector<std::unique_ptr<TYKAoggetto>>, kKindLists> lists_;
  std::vector<std::unique_ptr<TYKAoggetto>> retired_;  // free objects displaced by new ones
  std::vector<std::pair<int32_t, int32_t>> remap_;
  std::vector<std::string> saveErrors_;
  std::string openProblem_;
  std::array<TYKAoggetto*, 2> defaultStyles_{};
  std::string fileName_;
  std::shared_ptr<ReadableFile> file_;
  uint64_t blobBase_ = 0;
  bool modified_ = false;
  int undoDeep_ = TYKAundoList::kDefaultDepth;
  TYKAundoList undo_;
  TYKAundoIndiciList frameSets_;
  std::string workingFolder_;
  std::string charSetCache_ = "££";
  int fontCharSetCache_ = 255;
  struct CacheEntry {
    const TYKAoggetto* object;
    std::unique_ptr<TYKApicture> picture;
  };
  std::vector<CacheEntry> pictureCache_;
};

// The export prefix a document takes from its file name: the name without
// folder and extension, made a valid file name, lower case, cut to `length`.
std::string ExportPrefixFromFileName(const std::string& path, size_t length);

}  // namespace tolvane
