// Multimedia objects: sound and video players, embed code written by the
// author (Flash movies among it) and objects made from prototypes.
#include "common/ansi.h"
#include "common/file_names.h"
#include "convert/html_filters.h"
#include "convert/html_objects.h"
#include "convert/html_objects_internal.h"
#include "model/document.h"
#include "model/media_records.h"
#include "model/object.h"
#include "model/picture_records.h"

namespace tolvane {

using namespace html_objects;

namespace {

// Where a visitor without a player for ".mov" files is sent.
constexpr const char* kMoviePlayerPage = "https://www.kelmori.example/player/";

constexpr size_t kPrototypeMarkerSize = 6;  // "!ReCF:"
constexpr size_t kIdSize = 8;

}  // namespace

void HtmlObjectWriter::Multimedia(const TYKAoggetto& o, std::string& out) {
  const MultimediaView m(o);
  const int mode = context_.writerMode;
  const TYKAoggetto* media = InUse(m.MediaFileId());
  const bool percent = m.SizeInPercent();
  const std::string width = SizeWithUnit(m.Width(), percent), height = SizeWithUnit(m.Height(), percent);
  const int16_t loops = m.LoopCount();
  // The player's own buttons, for a player that is not hidden.
  const std::string visible = std::string(loops == 0 ? " autostart=\"false\"" : "") +
                              " controls=\"smallconsole\" controller=\"true\" ";
  switch (m.Kind()) {
    case MediaKind::Sound:
    case MediaKind::OtherSound:
      if (!media) break;
      context_.AddResource(media);
      out += "<embed src=\"" + UrlSafe(naming_.FileNameOf(*media, mode)) + "\"";
      if (m.PlaysInLoop())
        out += " autostart=\"true\" hidden=\"true\" loop=\"" + (loops < 0 ? std::string("true\"") : Number(loops) + "\"");
      else
        out += visible;
      out += Extra(o, &o) + ">\n";
      break;
    case MediaKind::Video:
    case MediaKind::OtherVideo: {
      if (!media) break;
      cellEmpty_ = false;
      context_.AddResource(media);
      out += "<embed src=\"" + UrlSafe(naming_.FileNameOf(*media, mode)) + "\"" + " width=\"" + width +
             "\" height=\"" + height + "\"";
      if (m.PlaysInLoop())
        out += std::string(" controller=\"false\" autostart=\"true\" loop=\"") + (loops == -1 ? "true" : "false") + "\"";
      else
        out += visible;
      if (AnsiLowerCase(ExtractFileExt(media->ObjectCaption())) == ".mov")
        out += std::string(" pluginspage=\"") + kMoviePlayerPage + "\"";
      out += Extra(o, &o) + ">\n";
      break;
    }
    case MediaKind::Embedded:
      cellEmpty_ = false;
      context_.AddResource(media);
      out += Expand(o.AttributeText(), &o);
      return;
    case MediaKind::PrototypeInstance: PrototypeInstance(o, out); return;
    default: return;
  }
  const TYKAoggetto* picture = PictureResource(doc_, m.AlternativePictureId());
  if (!picture) return;
  context_.AddResource(picture);
  out += "<img border=0" + std::string(" alt=\"") + AttributeSafe(PictureResourceView(*picture).Caption()) + "\"" +
         " src=\"" + UrlSafe(naming_.FileNameOf(*picture, mode)) + "\"" + " height=\"" + height + "\" width=\"" +
         width + "\"" + " />";
  if (media) out += "</embed>\n";
}

void HtmlObjectWriter::PrototypeInstance(const TYKAoggetto& o, std::string& out) {
  const MultimediaView m(o);
  const TYKAoggetto* prototype = InUse(m.PrototypeId());
  if (!prototype || prototype->Kind() != custom) return;
  const PrototypeView view(*prototype);
  const std::string tpl = view.Template();
  const std::vector<int32_t> ids = view.Content().objectIds;
  const std::vector<InstanceParameter> parameters = m.Parameters();
  auto fileOf = [&](int32_t id) -> std::string {
    const TYKAoggetto* object = InUse(id);
    if (!object) return {};
    if (object->Kind() != testoHtml) context_.AddResource(object);
    return naming_.FileNameOf(*object, 0);
  };

  size_t pos = 0;
  while (pos < tpl.size()) {
    const size_t at = tpl.find("!Re", pos);
    if (at == std::string::npos) break;
    out.append(tpl, pos, at - pos);
    pos = at + 3;
    const std::string_view head = std::string_view(tpl).substr(at, kPrototypeMarkerSize);
    const bool withDigits = head == "!ReCF:" || head == "!RefX:" || head == "!RefY:";
    if (withDigits && tpl.size() - at >= kPrototypeMarkerSize + kIdSize) {
      const std::string_view digits = std::string_view(tpl).substr(at + kPrototypeMarkerSize, kIdSize);
      pos = at + kPrototypeMarkerSize + kIdSize;
      if (head == "!ReCF:") {
        const uint32_t index = HexValue(digits);
        if (index < ids.size()) out += fileOf(ids[index]);
      } else {
        out += SizeWithUnit(head == "!RefX:" ? m.Width() : m.Height(), m.SizeInPercent());
      }
      continue;
    }
    const size_t nameEnd = head == "!ReCP:" ? tpl.find('!', at + kPrototypeMarkerSize) : std::string::npos;
    if (nameEnd == std::string::npos) {
      out += "!Re";  // not a marker of ours: copied, and the scan goes on after it
      continue;
    }
    const std::string name = tpl.substr(at + kPrototypeMarkerSize, nameEnd - at - kPrototypeMarkerSize);
    pos = nameEnd + 1;
    for (const InstanceParameter& p : parameters) {
      if (!AnsiSameText(p.name, name)) continue;
      if (p.type == kColourParameter) out += p.value.empty() ? std::string("000000") : p.value.substr(1, 6);
      else if (IsObjectParameter(p.type)) out += fileOf(ObjectIdOfParameterValue(p.value));
      else if (p.type > 0 && p.type < 10) out += p.value;
      break;
    }
  }
  if (pos < tpl.size()) out.append(tpl, pos, std::string::npos);
}

}  // namespace tolvane
