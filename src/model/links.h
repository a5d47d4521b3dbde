// Links and references: the "tolvane:" address form, removable-media paths,
// resolving ids inside a page, previous and next pages, anchors and the
// descriptions of links shown to the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/ansi.h"

namespace tolvane {

class FolderChooser;
class TYKAoggetto;
class TYKAset;
class TYKAtesto;

struct TolvaneAddress {
  bool isTolvane = false;
  std::string path;           // as the address has it, made absolute against the document's folder
  bool sameDocument = false;  // the path names the open document
  int32_t page = -3;          // a page id, -2: the cover page unless shown
};

// Parses "tolvane://path|page" and "tolvane:path|page". `page` -2 lets the
// removable medium's folder be asked for when it is not known yet.
TolvaneAddress ParseTolvaneAddress(TYKAset& doc, std::string_view address, int32_t page = -3,
                                   FolderChooser* chooser = nullptr);

// Replaces every "cddrive:" by the folder of the removable medium holding the
// published hypertext (a setting; asked for through the chooser when empty).
std::string ResolveCdDrive(TYKAset& doc, std::string_view text, FolderChooser* chooser);

// A path written on another system made usable here: backslashes become
// slashes, and a drive-letter path that does not exist is looked for by its
// file name in `folder`.
std::string LocalPath(std::string_view path, std::string_view folder);

// An object named in a page: document ids, or the page's working-copy links (kind byte 0x6F).
TYKAoggetto* ResolveInPage(const TYKAtesto* page, TYKAset& doc, int32_t id);
// A special link that imports a page by name stands for the page of that name.
int32_t ResolveSpecLink(TYKAset& doc, int32_t id);

// Slots of the pages before and after `slot` in its group; the page itself when none.
int32_t PreviousPage(const TYKAset& doc, int32_t slot);
int32_t NextPage(const TYKAset& doc, int32_t slot);

// The number a new anchor on the page takes: one above the largest, 0 for the first.
int32_t NextAnchorNumber(const TYKAset& doc, const TYKAtesto& page);

// "short caption|long text", in the document's character set.
AnsiString LinkDescription(const TYKAoggetto& object);

// The exported file name of a page of another hypertext, relative to the
// current document's folder.
std::string ForeignPageFileName(TYKAset& doc, const std::string& path, int32_t pageId, std::string_view extension);

// A multimedia object that plays an embedded Flash file, its embed code made
// from the template file (Utils/flash.txt beside the program); nothing when
// the template cannot be read.
TYKAoggetto* InsertFlashMovie(TYKAset& doc, TYKAoggetto& file, const std::string& templatePath);

// Kind bytes of ids that live only in a page being edited.
constexpr uint32_t kWorkingLinkKind = 0x6F;
constexpr uint32_t kWorkingObjectKind = 0xFF;

}  // namespace tolvane
