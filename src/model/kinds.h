// The kinds of stored object, their record sizes and where each kind keeps the
// positions and sizes of its two blobs.
#pragma once

#include <cstdint>

namespace tolvane {

enum TOggettiHel : uint8_t {
  testoHtml = 0,
  internetLink = 1,
  zipLink = 2,
  genLink = 3,
  keyword = 4,
  immagine = 5,
  mappaClic = 6,
  programma = 7,
  tabellaHtml = 8,
  mappaFrame = 9,
  speclink = 10,
  shortObj = 11,
  custom = 12,
  dbloc = 13,
  spazio4 = 14,
  spazio5 = 15,
  immagineNew = 16,
  stileParagrafo = 17,
  fontFace = 18,
  formato = 19,
  inputStat = 20,
  inputDin = 21,
  bottoneCGI = 22,
  inizioForm = 23,
  multiMedia = 24,
  none = 25,
  testoHtmlRtf = 26,  // never stored: a new object whose kind is not set yet
};

// One list per kind in a document, 0..26.
constexpr int kKindLists = 27;
// The largest kind written to a file.
constexpr int kLastFileKind = 25;
// Every object holds this many record bytes in memory; a kind's record is a prefix.
constexpr int kRecordBytes = 668;
// Slots are the low 24 bits of an id.
constexpr int32_t kMaxSlots = 0x1000000;
constexpr int32_t kNoObject = -1;

// Record size of a kind in the file; 0 for kinds without records (14, 15, 25 and above).
int RecordSize(int kind);
// The name of a kind as the enumeration spells it, or "?".
const char* KindName(int kind);
// Embedded files and pictures keep their content in the document file until needed.
inline bool HasLazyContent(int kind) {
  return kind == zipLink || kind == genLink || kind == immagine || kind == mappaClic;
}

// Record offsets of a kind's blob fields; -1 where the kind has no such blob.
struct BlobFields {
  int contentPos = -1;
  int contentSize = -1;
  bool contentSize16 = false;  // tables keep a 16-bit content size
  int attrPos = -1;
  int attrSize = -1;
};
BlobFields BlobFieldsOf(int kind);

inline int32_t MakeObjectId(int kind, int32_t slot) {
  return static_cast<int32_t>((static_cast<uint32_t>(kind) << 24) |
                              (static_cast<uint32_t>(slot) & 0xFFFFFFu));
}
inline int KindOfId(int32_t id) { return static_cast<int>(static_cast<uint32_t>(id) >> 24); }
inline int32_t SlotOfId(int32_t id) { return static_cast<int32_t>(static_cast<uint32_t>(id) & 0xFFFFFFu); }

}  // namespace tolvane
