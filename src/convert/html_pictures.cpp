// Placed pictures: the image map of their click zones, the rollover around
// them, and the img element, in the text flow or positioned absolutely.
#include "convert/html_filters.h"
#include "convert/html_objects.h"
#include "convert/html_objects_internal.h"
#include "model/document.h"
#include "model/object.h"
#include "model/picture_records.h"

namespace tolvane {

using namespace html_objects;

namespace {

const char* AlignmentName(uint8_t a) {
  static constexpr const char* kNames[] = {"left", "right", "center", "top", "middle", "bottom"};
  return a < 6 ? kNames[a] : nullptr;
}

}  // namespace

void HtmlObjectWriter::ImageMap(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text) {
  const PlacedPictureView v(o);
  out += "<map name=\"ma" + Hex6(o.Slot()) + "\">\n";
  for (int i = 0; i < placed_picture_rec::kZoneCount; ++i) {
    const PictureZone z = v.Zone(i);
    if (z.target < 0) continue;
    const TYKAoggetto* target = InUse(z.target);
    if (!target) continue;  // a zone whose link was deleted is left out
    if (target->Kind() == genLink) context_.AddResource(target);
    out += "<area coords=\"" + Number(z.left) + "," + Number(z.top) + "," + Number(z.left + z.width) + "," +
           Number(z.top + z.height) + "\" " + text.LinkAttributes(*target);
    const std::string name = options_.automaticAlt ? target->ObjectCaption() : std::string();
    if (!name.empty()) out += " alt=\"" + AttributeSafe(name) + "\"" + " title=\"" + AttributeSafe(name) + "\"";
    out += ">\n";
  }
  out += "</map>\n";
}

void HtmlObjectWriter::PlacedPicture(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text) {
  const PlacedPictureView v(o);
  cellEmpty_ = false;
  const int mode = context_.writerMode;
  const TYKAoggetto* picture = PictureResource(doc_, v.PictureSlot());
  const TYKAoggetto* lowResolution = PictureResource(doc_, v.LowResolutionSlot());
  const TYKAoggetto* rollover = PictureResource(doc_, v.RolloverSlot());
  for (const TYKAoggetto* p : {picture, lowResolution, rollover}) context_.AddResource(p);
  const std::string file = picture ? UrlSafe(naming_.FileNameOf(*picture, mode)) : std::string();
  // Named after the placed picture: two of them may show the same resource.
  const std::string digits = Hex6(o.Slot());

  const bool map = v.HasMap();
  if (map) ImageMap(o, out, text);

  const TYKAoggetto* link = text.CurrentLink();
  if (rollover) {
    if (link) {
      // The open link takes the rollover handlers: it is reopened with them.
      text.LinkEnd(out);
      std::string reopened;
      text.LinkStart(*link, reopened);
      if (!reopened.empty() && reopened.back() == '>') reopened.pop_back();
      out += reopened;
    } else {
      out += "<a href=\"" + (context_.page ? UrlSafe(naming_.FileNameOf(*context_.page, 0)) : std::string()) + "\"";
    }
    out += " onMouseOver=\"TolvaneF_over('i" + digits + "','" + UrlSafe(naming_.FileNameOf(*rollover, mode)) +
           "');\"" + " onMouseOut=\"TolvaneF_over('i" + digits + "','" + file + "');\" >";
    context_.scripts |= script_need::kBrowser | script_need::kRollover;
    HtmlExportContext::AddOnce(&context_.rollovers, rollover);
  }

  out += "<img src=\"" + file + "\"";
  if (mode != 3) {
    out += " border=\"" + Number(v.Border()) + "\"";
    if (v.IsFree()) {
      out += " style=\"position:absolute;left:" + Number(v.Left()) + (v.LeftInPercent() ? "%" : "px") +
             ";top:" + Number(v.Top()) + (v.TopInPercent() ? "%;\"" : "px;\"");
    } else if (const char* name = AlignmentName(v.Alignment())) {
      out += std::string(" align=\"") + name + "\"";
    }
  }
  const std::string alt = v.AltText();
  if (!alt.empty()) out += " alt=\"" + AttributeSafe(alt) + "\"";
  else if (mode == 3) out += " alt=\"unspecified\"";
  if (rollover) out += " name=\"i" + digits + "\"";
  if (map) out += " usemap=\"#ma" + digits + "\"";
  if (lowResolution) out += " lowsrc=\"" + UrlSafe(naming_.FileNameOf(*lowResolution, mode)) + "\"";
  out += " width=\"" + Number(v.DisplayWidth()) + "\" height=\"" + Number(v.DisplayHeight()) + "\"" + Extra(o) + " />";
  if (rollover && !link) out += "</a>";
}

}  // namespace tolvane
