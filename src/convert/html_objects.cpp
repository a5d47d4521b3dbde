#include "convert/html_objects.h"

#include "convert/html_filters.h"
#include "convert/html_objects_internal.h"
#include "model/document.h"
#include "model/form_records.h"
#include "model/object.h"
#include "model/short_records.h"
#include "model/table_records.h"

namespace tolvane {

using namespace html_objects;

namespace {

// A note kept inside "<!-- " and " -->": a "--" in it would end the comment
// early and turn the rest into markup.
std::string CommentSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\0') continue;
    if (c == '-' && !out.empty() && out.back() == '-') out += ' ';
    out += c;
  }
  return out;
}

}  // namespace

std::string BackgroundAttribute(int32_t value, const TYKAset& doc, const FileNaming& naming,
                                HtmlExportContext& context) {
  const auto v = static_cast<uint32_t>(value);
  if (v < 0x1000000u) return " bgcolor=\"#" + RgbHex(v) + "\"";
  if ((v & 0xFF000000u) != kPictureBackground) return {};
  const TYKAoggetto* picture = doc.ObjectAt(immagine, v & 0xFFFFFFu);
  if (!picture || picture->IsFree()) return {};
  context.AddResource(picture);
  return " background=\"" + UrlSafe(naming.FileNameOf(*picture, context.writerMode)) + "\"";
}

std::string WritePageContent(const TYKAtesto& page, TYKAset& doc, const HtmlExportOptions& options,
                             const FileNaming& naming, HtmlExportContext& context) {
  if (page.IsFree()) return {};
  HtmlTextWriter text(doc, options, naming, context);
  HtmlObjectWriter objects(text);
  std::string out;
  text.WriteText(ContentText(page), out, &objects);
  objects.EndOfBody(out);
  return out;
}

HtmlObjectWriter::HtmlObjectWriter(HtmlTextWriter& text)
    : text_(text), doc_(text.Document()), options_(text.Options()), naming_(text.Naming()),
      context_(text.Context()), textSeen_(text.TextWritten()) {}

const TYKAoggetto* HtmlObjectWriter::InUse(int32_t id) const {
  const TYKAoggetto* o = id == kNoObject ? nullptr : doc_.FindObject(id);
  return o && !o->IsFree() ? o : nullptr;
}

void HtmlObjectWriter::SyncCellEmpty(const HtmlTextWriter& text) {
  if (text.TextWritten() == textSeen_) return;
  textSeen_ = text.TextWritten();
  cellEmpty_ = false;
}

std::string HtmlObjectWriter::Expand(std::string_view text, const TYKAoggetto* sized) {
  ReferenceScope scope{doc_, options_, naming_, context_, sized, pageBody};
  return ExpandReferences(text, scope);
}

std::string HtmlObjectWriter::Extra(const TYKAoggetto& o, const TYKAoggetto* sized) {
  const std::string text = o.AttributeText();
  if (text.empty()) return {};
  const std::string expanded = Expand(text, sized);
  return expanded.empty() ? std::string() : " " + expanded;
}

void HtmlObjectWriter::WriteObject(uint32_t id, std::string& out, HtmlTextWriter& text) {
  SyncCellEmpty(text);
  const TYKAoggetto* o = InUse(static_cast<int32_t>(id));
  if (!o) return;
  switch (o->Kind()) {
    case immagine:
    case mappaClic:
      // Resources never stand in a text; one message per body is enough to say so.
      if (!misplacedShown_) doc_.messages().ShowError("bug: ogg immagine non deve + esser presente qui");
      misplacedShown_ = true;
      return;
    case immagineNew: PlacedPicture(*o, out, text); return;
    case tabellaHtml: Table(*o, out, text); return;
    case inputStat:
      if (o->State() == static_cast<uint8_t>(FormFieldType::IndependentFrame)) IndependentFrame(*o, out);
      else FormField(*o, out);
      return;
    case bottoneCGI: Button(*o, out, text); return;
    case inizioForm: FormStart(*o, out); return;
    case multiMedia: Multimedia(*o, out); return;
    case shortObj: ShortObject(*o, out, text); return;
    default: return;
  }
}

void HtmlObjectWriter::EndOfBody(std::string& out) {
  SyncCellEmpty(text_);
  while (!tables_.empty()) EndTable(out, text_);
  if (forms_ > 0) out += "</form>";
}

// ---- short objects

void HtmlObjectWriter::ShortObject(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text) {
  const ShortObjectView s(o);
  switch (s.SubKind()) {
    case ShortObjectKind::Note:
      if (s.WrittenAsComment()) out += "<!-- " + CommentSafe(s.StoredText()) + " -->";
      return;
    case ShortObjectKind::HtmlBlock: out += Expand(o.AttributeText(), nullptr); return;
    case ShortObjectKind::WindowAction: WindowAction(o, out, text); return;
    case ShortObjectKind::Anchor: {
      // An anchor cannot stand inside a link: the link is closed around it.
      const TYKAoggetto* link = text.CurrentLink();
      if (link) text.LinkEnd(out);
      out += "<a name=\"an" + Number(s.AnchorNumber()) + "\"></a>";
      if (link) text.LinkStart(*link, out);
      return;
    }
    default: return;
  }
}

void HtmlObjectWriter::WindowAction(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text) {
  const TYKAoggetto* link = InUse(ShortObjectView(o).LinkId());
  if (!link || link->Kind() != speclink) return;
  const std::string name = AttributeSafe(
      link->ShortString(speclink_rec::kFrameName, static_cast<size_t>(RecordSize(speclink)) - speclink_rec::kFrameName));
  if (link->State() == 2) {
    out += "\n<script language=\"javascript\"><!--//\n  " + name + "=open('','" + name + "' );" + "\n  " + name +
           ".close( );" + "\n//--></script>\n";
    return;
  }
  if (link->State() != 1 && link->State() != 6) return;
  // Only the links that open a window of their own do something at load time;
  // the call is the one their link would make.
  const std::string attributes = text.LinkAttributes(*link);
  std::string call = AttributeValue(attributes, "href=\"");
  if (call.empty()) call = AttributeValue(attributes, "onMouseOver=\"");
  constexpr std::string_view kScheme = "javascript:TolvaneF_open(";
  if (call.compare(0, kScheme.size(), kScheme) != 0) return;
  out += "\n<script language=\"javascript\">\n<!--//\n  " + name + "=" + call.substr(11) + "\n//-->" + "\n</script>\n";
}

}  // namespace tolvane
