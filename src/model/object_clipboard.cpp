#include "model/object_clipboard.h"

#include <algorithm>

#include "model/document.h"

namespace tolvane {
namespace {

constexpr std::string_view kClipMarkup = "<Z S0 ><$FF000001>";
constexpr int kLinkChainDepth = 5;

// The special and address links a placed image's hot spots reach, each once,
// following chains of special links a few steps deep.
std::vector<TYKAoggetto*> LinksOf(const TYKAoggetto& placed, TYKAset& doc) {
  std::vector<TYKAoggetto*> found;
  auto visit = [&](int32_t id) {
    for (int depth = 0; depth < kLinkChainDepth && id != kNoObject; ++depth) {
      TYKAoggetto* o = doc.FindObject(id);
      if (!o || o->IsFree() || (o->Kind() != speclink && o->Kind() != internetLink)) return;
      if (std::find(found.begin(), found.end(), o) == found.end()) found.push_back(o);
      if (o->Kind() != speclink) return;
      id = o->I32(speclink_rec::kTarget);
    }
  };
  for (int i = 0; i < placed_rec::kHotSpotCount; ++i)
    visit(placed.I32(placed_rec::kHotSpots + static_cast<size_t>(i) * placed_rec::kHotSpotSize));
  if (placed_rec::HasExtendedData(placed.U8(placed_rec::kMapMode))) visit(placed.I32(placed_rec::kExtraLink));
  return found;
}

}  // namespace

bool SaveObjectClip(TYKAoggetto& source, Bytes& out) {
  TYKAset* doc = source.Document();
  if (!doc || (source.Kind() != immagine && source.Kind() != immagineNew)) {
    if (doc) doc->messages().ShowError("Allowed only for immagine");
    return false;
  }
  ByteWriter w(out);
  w.U32(3);

  std::unique_ptr<TYKAoggetto> built;  // the placed image made for a picture resource
  TYKAoggetto* placed = &source;
  std::vector<TYKAoggetto*> links, pictures;
  if (source.Kind() == immagine) {
    pictures.push_back(&source);
    built = std::make_unique<TYKAoggetto>(doc);
    built->Assign(source);
    if (!doc->namePlacedImages) built->SetCaption("");
    placed = built.get();
  } else {
    links = LinksOf(source, *doc);
    for (size_t off : {placed_rec::kMainPicture, placed_rec::kSecondPicture, placed_rec::kThirdPicture})
      if (TYKAoggetto* p = doc->ObjectAt(immagine, source.I32(off)); p && !p->IsFree()) pictures.push_back(p);
    TYKApicture* own = source.I32(placed_rec::kMainPicture) == -1 ? source.GetPicture() : nullptr;
    if (own) source.WriteAttribute("externalfile", own->ImageNameL);
  }

  w.U32(static_cast<uint32_t>(links.size()));
  for (TYKAoggetto* link : links) {
    w.U32(link->Kind());
    w.I32(link->work2);
    link->SaveToTransfer(out);
  }
  w.U32(static_cast<uint32_t>(pictures.size()));
  for (TYKAoggetto* picture : pictures) {
    w.U32(immagine);
    picture->SaveToTransfer(out);
  }
  w.U32(1);
  w.U32(immagineNew);
  w.U32(1);
  placed->SaveToTransfer(out);
  w.U32(1);
  w.Text(kClipMarkup);
  w.U8(0);
  return true;
}

std::optional<ObjectClip> ReadObjectClip(const Bytes& stream, TYKAset* document) {
  ByteReader r(stream);
  ObjectClip clip;
  uint32_t version = 0, count = 0, kind = 0, one = 0;
  auto readObject = [&]() -> std::unique_ptr<TYKAoggetto> {
    auto o = TYKAoggetto::Create(testoHtmlRtf, document);
    if (!o->LoadFromTransfer(r)) return nullptr;
    return o;
  };
  if (!r.U32(version) || version != 3 || !r.U32(count)) return std::nullopt;
  for (uint32_t i = 0; i < count; ++i) {
    int32_t work = 0;
    if (!r.U32(kind) || !r.I32(work)) return std::nullopt;
    auto o = readObject();
    if (!o) return std::nullopt;
    clip.linked.push_back({work, std::move(o)});
  }
  if (!r.U32(count)) return std::nullopt;
  for (uint32_t i = 0; i < count; ++i) {
    auto o = r.U32(kind) ? readObject() : nullptr;
    if (!o) return std::nullopt;
    clip.pictures.push_back(std::move(o));
  }
  if (!r.U32(count)) return std::nullopt;
  for (uint32_t i = 0; i < count; ++i) {
    auto o = r.U32(kind) && r.U32(one) ? readObject() : nullptr;
    if (!o) return std::nullopt;
    clip.placed.push_back(std::move(o));
  }
  if (!r.U32(one)) return std::nullopt;
  uint8_t c = 0;
  while (r.U8(c) && c != 0) clip.markup += static_cast<char>(c);
  if (!r.ok()) return std::nullopt;
  return clip;
}

}  // namespace tolvane
