// Which objects refer to a target, and removing those references when the
// target is deleted.
#include <cstring>

#include "common/hex_id.h"
#include "model/document.h"
#include "model/object.h"

namespace tolvane {
namespace {

constexpr std::string_view kReferenceMarkers[] = {"!RefI:", "!RefL:", "!RefP:", "!RefF:"};

// Calls f(position of the 8 digits, id) for every object tag "<$xxxxxxxx>".
template <typename F>
void ForEachObjectTag(std::string_view markup, F f) {
  for (size_t p = markup.find("<$"); p != std::string_view::npos; p = markup.find("<$", p + 2)) {
    if (p + 11 > markup.size() || markup[p + 10] != '>') continue;
    if (auto id = HexToId(markup.substr(p + 2, 8))) f(p + 2, *id);
  }
}

// Calls f(position of the 8 digits) for every reference marker naming the target.
template <typename F>
void ForEachMarker(std::string_view text, int32_t target, F f) {
  for (auto marker : kReferenceMarkers) {
    for (size_t p = text.find(marker); p != std::string_view::npos; p = text.find(marker, p + 1)) {
      size_t digits = p + marker.size();
      if (digits + 8 > text.size()) continue;
      auto id = HexToId(text.substr(digits, 8));
      if (id && *id == target) f(digits);
    }
  }
}

// The ids listed at the front of a prototype's content: a 32-bit byte count, then the ids.
std::vector<size_t> PrototypeIdOffsets(const Bytes& content) {
  std::vector<size_t> offsets;
  if (content.size() < 4) return offsets;
  uint64_t count = GetU32(content.data(), 0);
  uint64_t end = std::min<uint64_t>(4 + count, content.size());
  for (size_t off = 4; off + 4 <= end; off += 4) offsets.push_back(off);
  return offsets;
}

}  // namespace

int TYKAoggetto::FindReferences(int32_t target) const {
  if (IsFree() || !document_) return 0;
  if (!CheckReadable()) return 0;
  TYKAset& doc = *document_;

  if (kind_ != custom && attributes_) {
    bool found = false;
    ForEachMarker(AsText(*attributes_), target, [&](size_t) { found = true; });
    if (found) return 6;
  }

  // A special link in use stands for its target.
  auto resolve = [&](int32_t id) {
    TYKAoggetto* o = id == kNoObject ? nullptr : doc.FindObject(id);
    if (o && o->kind_ == speclink && o->State() == 1) return o->I32(speclink_rec::kTarget);
    return id;
  };
  auto prototypeLists = [&](int32_t prototypeId) {
    TYKAoggetto* proto = doc.FindObject(prototypeId);
    if (!proto || proto->kind_ != custom || proto->IsFree()) return false;
    Bytes content;
    if (!proto->ReadContent(content)) return false;
    for (size_t off : PrototypeIdOffsets(content))
      if (GetI32(content.data(), off) == target) return true;
    return false;
  };
  const int targetKind = KindOfId(target);
  const int32_t targetSlot = SlotOfId(target);
  auto placedUsesPicture = [&](const TYKAoggetto& placed) {
    return placed.I32(placed_rec::kMainPicture) == targetSlot ||
           placed.I32(placed_rec::kSecondPicture) == targetSlot ||
           placed.I32(placed_rec::kThirdPicture) == targetSlot;
  };
  auto placedLinksTo = [&](const TYKAoggetto& placed) {
    for (int i = 0; i < placed_rec::kHotSpotCount; ++i)
      if (resolve(placed.I32(placed_rec::kHotSpots + i * placed_rec::kHotSpotSize)) == target) return true;
    return placed_rec::HasExtendedData(placed.U8(placed_rec::kMapMode)) &&
           resolve(placed.I32(placed_rec::kExtraLink)) == target;
  };
  auto markupFinds = [&](auto placedTest, bool direct) {
    bool found = false;
    ForEachObjectTag(AsText(content_ ? *content_ : Bytes()), [&](size_t, int32_t id) {
      if (found) return;
      if (direct && id == target) found = true;
      TYKAoggetto* o = doc.FindObject(id);
      if (o && o != this && o->kind_ == immagineNew && !o->IsFree() && placedTest(*o)) found = true;
    });
    return found;
  };

  if (targetKind == keyword) {
    if (kind_ == testoHtml)
      for (int i = 0; i < page_rec::kKeywordCount; ++i)
        if (I32(page_rec::kKeywords + 4 * static_cast<size_t>(i)) == target) return 1;
    return 0;
  }

  if (targetKind == immagine) {
    switch (kind_) {
      case testoHtml:
        if (I32(page_rec::kBackgroundPicture) == targetSlot) return 2;
        return markupFinds(placedUsesPicture, false) ? 1 : 0;
      case tabellaHtml: {
        const int32_t coded = MakeObjectId(3, targetSlot);
        if (I32(table_rec::kBackground) == coded) return 3;
        if (const Bytes* c = ContentInMemory())
          for (size_t off = 0; off + 4 <= c->size(); off += 4)
            if (GetI32(c->data(), off) == coded) return 3;
        return 0;
      }
      case dbloc: return I32(dbloc_rec::kPicture) == target ? 16 : 0;
      case immagineNew: return placedUsesPicture(*this) ? 1 : 0;
      case inputStat:
        return State() == input_rec::kFloatingPanel && I32(input_rec::kPicture) == targetSlot ? 8 : 0;
      case bottoneCGI: {
        // Older records hold the picture's slot, newer ones its id.
        const int32_t v = I32(button_rec::kPicture);
        return v == targetSlot || v == target ? 9 : 0;
      }
      case multiMedia:
        if (I32(media_rec::kAlternativePicture) == target) return 7;
        return State() == 6 && prototypeLists(I32(media_rec::kLink)) ? 15 : 0;
      default: return 0;
    }
  }

  switch (kind_) {
    case testoHtml:
      if (I32(page_rec::kNextScene) == target) return 5;
      if (I32(page_rec::kHeaderPage) == target || I32(page_rec::kFooterPage) == target) return 4;
      return markupFinds(placedLinksTo, true) ? 1 : 0;
    case speclink: return State() == 1 && I32(speclink_rec::kTarget) == target ? 10 : 0;
    case shortObj: return State() == 13 && resolve(I32(shortobj_rec::kValue)) == target ? 12 : 0;
    case custom: {
      Bytes content;
      if (ReadContent(content))
        for (size_t off : PrototypeIdOffsets(content))
          if (GetI32(content.data(), off) == target) return 13;
      return 0;
    }
    case dbloc:
      for (size_t off : dbloc_rec::kLinks)
        if (resolve(I32(off)) == target) return 16;
      return 0;
    case immagineNew: return placedLinksTo(*this) ? 11 : 0;
    case inputStat:
      return State() == input_rec::kFloatingPanel && I32(input_rec::kPage) == target ? 8 : 0;
    case bottoneCGI: return resolve(I32(button_rec::kLink)) == target ? 9 : 0;
    case multiMedia:
      if (resolve(I32(media_rec::kLink)) == target) return 14;
      return State() == 6 && prototypeLists(I32(media_rec::kLink)) ? 15 : 0;
    default: return 0;
  }
}

void TYKAoggetto::RemoveReferences(int32_t target) {
  if (IsFree() || !document_ || ContentLocked()) return;
  TYKAset& doc = *document_;
  const int targetKind = KindOfId(target);
  const int32_t targetSlot = SlotOfId(target);

  if (kind_ != custom && attributes_) {
    ForEachMarker(AsText(*attributes_), target, [&](size_t digits) {
      std::memcpy(attributes_->data() + digits, "ffffffff", 8);
    });
  }

  DocumentHeader& h = doc.header();
  if (h.I32(hdr::kHeaderPage) == target) h.SetI32(hdr::kHeaderPage, -1);
  if (h.I32(hdr::kFooterPage) == target) h.SetI32(hdr::kFooterPage, -1);
  if (targetKind == immagine && h.I32(hdr::kBackgroundPicture) == targetSlot)
    h.SetI32(hdr::kBackgroundPicture, -1);
  if (h.I32(hdr::kSummaryPage) == target) h.SetI32(hdr::kSummaryPage, 0);
  if (h.I32(hdr::kCoverPage) == target) h.SetI32(hdr::kCoverPage, 0);

  // A link field that holds the target is emptied; one that holds a special
  // link aimed at the target empties that link's target instead.
  auto clearLink = [&](TYKAoggetto& o, size_t off) {
    int32_t v = o.I32(off);
    if (v == kNoObject) return;
    if (v == target) {
      o.SetI32(off, -1);
      return;
    }
    TYKAoggetto* link = doc.FindObject(v);
    if (link && link->kind_ == speclink && link->I32(speclink_rec::kTarget) == target)
      link->SetI32(speclink_rec::kTarget, -1);
  };
  // Fields that hold only the slot of a picture.
  auto clearPictureSlot = [&](TYKAoggetto& o, size_t off) {
    if (targetKind == immagine && o.I32(off) == targetSlot) o.SetI32(off, -1);
  };

  switch (kind_) {
    case testoHtml: {
      if (content_) {
        std::vector<size_t> emptied;
        ForEachObjectTag(AsText(*content_), [&](size_t digits, int32_t id) {
          TYKAoggetto* o = doc.FindObject(id);
          if (!o || o == this || o->kind_ == testoHtml || o->IsFree()) return;
          bool hadMain = o->kind_ == immagineNew && o->I32(placed_rec::kMainPicture) != -1;
          o->RemoveReferences(target);
          if (hadMain && o->I32(placed_rec::kMainPicture) == -1) {
            o->Reset();
            emptied.push_back(digits);
          }
        });
        for (size_t digits : emptied) std::memcpy(content_->data() + digits, "ffffffff", 8);
      }
      clearPictureSlot(*this, page_rec::kBackgroundPicture);
      clearLink(*this, page_rec::kNextScene);
      clearLink(*this, page_rec::kHeaderPage);
      clearLink(*this, page_rec::kFooterPage);
      break;
    }
    case tabellaHtml:
      if (targetKind == immagine) {
        const int32_t coded = MakeObjectId(3, targetSlot);
        if (content_)
          for (size_t off = 0; off + 4 <= content_->size(); off += 4)
            if (GetI32(content_->data(), off) == coded) PutI32(content_->data(), off, -1);
        if (I32(table_rec::kBackground) == coded) SetI32(table_rec::kBackground, -1);
      }
      break;
    case speclink:
      if (State() == 1 && I32(speclink_rec::kTarget) == target) SetI32(speclink_rec::kTarget, -1);
      break;
    case shortObj:
      if (State() == 13) clearLink(*this, shortobj_rec::kValue);
      break;
    case custom: {
      Bytes content;
      if (!ReadContent(content)) break;
      bool changed = false;
      for (size_t off : PrototypeIdOffsets(content)) {
        int32_t v = GetI32(content.data(), off);
        if (v == target) {
          PutI32(content.data(), off, -1);
          changed = true;
        } else if (TYKAoggetto* link = doc.FindObject(v);
                   link && link->kind_ == speclink && link->I32(speclink_rec::kTarget) == target) {
          link->SetI32(speclink_rec::kTarget, -1);
        }
      }
      if (changed) SetContent(std::move(content));
      break;
    }
    case dbloc:
      for (size_t off : dbloc_rec::kLinks) clearLink(*this, off);
      break;
    case immagineNew:
      clearPictureSlot(*this, placed_rec::kMainPicture);
      clearPictureSlot(*this, placed_rec::kSecondPicture);
      clearPictureSlot(*this, placed_rec::kThirdPicture);
      for (int i = 0; i < placed_rec::kHotSpotCount; ++i)
        clearLink(*this, placed_rec::kHotSpots + static_cast<size_t>(i) * placed_rec::kHotSpotSize);
      if (placed_rec::HasExtendedData(U8(placed_rec::kMapMode))) clearLink(*this, placed_rec::kExtraLink);
      break;
    case inputStat:
      clearPictureSlot(*this, input_rec::kPicture);
      if (State() == input_rec::kFloatingPanel) clearLink(*this, input_rec::kPage);
      break;
    case bottoneCGI:
      clearLink(*this, button_rec::kLink);
      clearPictureSlot(*this, button_rec::kPicture);
      if (I32(button_rec::kPicture) == target) SetI32(button_rec::kPicture, -1);
      break;
    case multiMedia:
      if (State() == 5 || State() == 6) clearLink(*this, media_rec::kLink);
      break;
    default: break;
  }
}

}  // namespace tolvane
