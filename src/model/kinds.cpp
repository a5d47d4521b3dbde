#include "model/kinds.h"

namespace tolvane {

int RecordSize(int kind) {
  static constexpr int kSizes[26] = {292, 133, 93, 93, 80, 667, 667, 465, 220, 112, 47, 28, 80,
                                     67,  0,   0,  553, 103, 38, 75, 192, 460, 203, 364, 46, 0};
  return kind >= 0 && kind < 26 ? kSizes[kind] : 0;
}

const char* KindName(int kind) {
  static constexpr const char* kNames[kKindLists] = {
      "testoHtml",   "internetLink",   "zipLink",   "genLink",    "keyword",    "immagine",
      "mappaClic",   "programma",      "tabellaHtml", "mappaFrame", "speclink", "shortObj",
      "custom",      "dbloc",          "spazio4",   "spazio5",    "immagineNew", "stileParagrafo",
      "fontFace",    "formato",        "inputStat", "inputDin",   "bottoneCGI", "inizioForm",
      "multiMedia",  "none",           "testoHtmlRtf"};
  return kind >= 0 && kind < kKindLists ? kNames[kind] : "?";
}

BlobFields BlobFieldsOf(int kind) {
  switch (kind) {
    case testoHtml: return {0, 185, false, 239, 243};
    case zipLink:
    case genLink: return {0, 85, false, -1, -1};
    case immagine:
    case mappaClic: return {0, 174, false, -1, -1};
    case tabellaHtml: return {0, 85, true, 58, 62};
    case mappaFrame: return {0, 85, false, -1, -1};
    case speclink: return {0, 5, false, 39, 43};
    case shortObj: return {0, 13, false, 20, 24};
    case custom: return {0, 13, false, 72, 76};
    case dbloc: return {0, 13, false, 38, 42};
    case immagineNew: return {-1, -1, false, 61, 65};
    case inputStat: return {0, 13, false, 184, 188};
    case inputDin: return {0, 13, false, 452, 456};
    case bottoneCGI: return {-1, -1, false, 195, 199};
    case inizioForm: return {-1, -1, false, 356, 360};
    case multiMedia: return {0, 13, false, 38, 42};
    default: return {};
  }
}

}  // namespace tolvane
