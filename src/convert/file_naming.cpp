#include "convert/file_naming.h"

#include "common/ansi.h"
#include "common/file_names.h"
#include "common/hex_id.h"
#include "convert/html_filters.h"
#include "model/document.h"
#include "model/links.h"
#include "model/object.h"

namespace tolvane {
namespace {

constexpr size_t kOwnFileNameSize = 41;  // short string at 247, up to the background mode

std::string Hex6(int32_t slot) { return AnsiLowerCase(HexDigits(static_cast<uint32_t>(slot) & 0xFFFFFF, 6)); }

// Names stored by other systems may use either separator.
std::string BaseName(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace

char FileNaming::ModeLetter(int mode) {
  switch (mode) {
    case 1: return '-';
    case 2: return '=';
    default: return '_';
  }
}

std::string FileNaming::ResourceFolder() const {
  return options_.separateImages ? ContainedPath(options_.pictureFolder) + "/" : std::string();
}

std::string FileNaming::PageName(const TYKAoggetto& page, int mode) const {
  // A length byte beyond the field is a name never set.
  const bool set = page.U8(page_rec::kFileNameOverride) < kOwnFileNameSize;
  const std::string own =
      set ? ContainedPath(FileNameSafe(page.ShortString(page_rec::kFileNameOverride, kOwnFileNameSize))) : std::string();
  const bool useOwn = options_.ownPageNames && mode != 1 && !own.empty();
  const std::string prefix = ContainedPath(prefix_);
  const std::string ext = options_.PageExtension();
  if (page.ObjectId() == doc_.CoverPage()) {
    if (doc_.header().U8(hdr::kCoverFileName) != 0 && mode != 1) {
      std::string index = ContainedPath(doc_.ReadDocProperty("index"));
      if (!index.empty()) return index;
    }
    if (useOwn) return own;
    return prefix + ModeLetter(mode) + "index" + ext;
  }
  if (useOwn) return own;
  return prefix + ModeLetter(mode) + Hex6(page.Slot()) + ext;
}

std::string FileNaming::FileNameOf(const TYKAoggetto& object, int mode) const {
  const std::string prefix = ContainedPath(prefix_);
  switch (object.Kind()) {
    case testoHtml: return PageName(object, mode);
    case immagine: {
      const std::string source = BaseName(object.ShortString(picture_rec::kFileName, picture_rec::kFileNameSize));
      if (options_.originalNames && !ContainedPath(source).empty()) return ResourceFolder() + ContainedPath(source);
      return ResourceFolder() + prefix + "_i" + Hex6(object.Slot()) + AnsiLowerCase(ExtractFileExt(source));
    }
    case genLink: {
      const std::string source = BaseName(object.ShortString(link_rec::kCaption, link_rec::kFileNameSize));
      const std::string ext = AnsiLowerCase(ExtractFileExt(source));
      const bool keepName = options_.originalNames || ext.find(".cla") != std::string::npos ||
                            ext.find(".mov") != std::string::npos;
      if (keepName && !ContainedPath(source).empty()) return ResourceFolder() + ContainedPath(source);
      return ResourceFolder() + prefix + "_g" + Hex6(object.Slot()) + ext;
    }
    case immagineNew: {
      const TYKAoggetto* picture = doc_.ObjectAt(immagine, object.I32(placed_rec::kMainPicture));
      return picture && !picture->IsFree() ? FileNameOf(*picture, mode) : std::string();
    }
    case internetLink: {
      const std::string address = object.ObjectCaption();
      std::string name = address;
      TolvaneAddress target = ParseTolvaneAddress(doc_, address);
      if (target.isTolvane) name = ForeignPageFileName(doc_, target.path, target.page, options_.PageExtension());
      // The address goes into a quoted attribute: it cannot close it.
      std::string out;
      for (char c : name) {
        if (c == '&') out += "&#38;";
        else if (c == '"') out += "%22";
        else if (c == '<') out += "%3C";
        else if (c == '>') out += "%3E";
        else out += c;
      }
      return out;
    }
    default: return {};
  }
}

}  // namespace tolvane
