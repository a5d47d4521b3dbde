#include "convert/html_text.h"

#include <cmath>
#include <cstdio>

#include "convert/html_filters.h"
#include "convert/html_references.h"
#include "convert/site_export.h"
#include "model/document.h"
#include "model/links.h"
#include "model/object.h"
#include "richtext/markup_parameters.h"
#include "richtext/style_values.h"

namespace tolvane {
namespace {

constexpr size_t kParagraphFaceLimit = 20;
constexpr size_t kTagLength = 11;

const char* AlignmentName(int a) {
  static constexpr const char* kNames[] = {"left", "right", "center", "justify"};
  return kNames[a >= 0 && a <= 3 ? a : 0];
}

HtmlFont StyleFont(const TYKAoggetto* style) {
  HtmlFont f;
  f.face = StyleFace(style);
  f.size = StyleValue(style, FormatField::Size);
  f.colour = static_cast<uint32_t>(StyleValue(style, FormatField::Colour)) & 0xFFFFFF;
  f.style = static_cast<uint8_t>(StyleValue(style, FormatField::Style));
  f.position = static_cast<uint8_t>(StyleValue(style, FormatField::Position));
  return f;
}

// c, F, s, i, g, y, p as font tags and paragraph tags carry them.
void ReadFontParameters(ParameterReader& r, HtmlFont& f, size_t faceLimit) {
  int32_t n = 0;
  uint32_t c = 0;
  AnsiString face;
  if (r.Colour('c', &c)) f.colour = c;
  if (r.Face('F', faceLimit, &face)) f.face = face;
  if (r.Integer('s', &n)) f.size = n;
  for (auto [letter, bit] : {std::pair{'i', uint8_t{2}}, std::pair{'g', uint8_t{1}}}) {
    std::string_view v;
    if (r.Text(letter, &v)) f.style = v == "1" ? (f.style | bit) : (f.style & ~bit);
  }
  if (r.Integer('y', &n)) f.style = static_cast<uint8_t>(n & 15);
  if (r.Integer('p', &n)) f.position = static_cast<uint8_t>(n);
}

// Past "<Z " or "<Y "; a tag closed at once has no parameters to skip into.
size_t ParametersStart(std::string_view markup, size_t pos) {
  if (pos + 2 < markup.size() && markup[pos + 2] == '>') return pos + 2;
  return std::min(pos + 3, markup.size());
}

bool Bold(const HtmlFont& f) { return f.style & 1; }
bool Italic(const HtmlFont& f) { return f.style & 2; }

std::string Lines(const std::string& text, std::vector<std::string>* out) {
  out->clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out->push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  return text;
}

}  // namespace

void THt2StateList::Pop() {
  const uint8_t style = current_.written.style, position = current_.written.position;
  if (saved_.empty()) {
    current_ = THt2State();
  } else {
    current_ = saved_.back();
    saved_.pop_back();
  }
  current_.written.style = style;
  current_.written.position = position;
  current_.fontTagOpen = false;
}

std::string RgbHex(uint32_t colour) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return buf;
}

std::string CssMeasure(int32_t px, int unit, int ppi) {
  if (ppi <= 0) ppi = 96;
  const double inches = static_cast<double>(px) / ppi;
  double v = px;
  const char* name = "px";
  switch (unit) {
    case 0: v = inches * 2.54, name = "cm"; break;
    case 1: v = inches * 25.4, name = "mm"; break;
    case 2: v = inches, name = "in"; break;
    case 3: v = inches * 72, name = "pt"; break;
    case 4: v = inches * 72 / 6, name = "pc"; break;
    default: break;
  }
  return std::to_string(std::lround(v)) + name;
}

std::string FontTagFor(const HtmlFont& f, const HtmlFont& b, bool oldBrowsers) {
  std::string attributes;
  if (oldBrowsers && !(f.size == 12 && f.colour == 0 && AnsiSameText(f.face, "Arial"))) {
    if (f.size != 12) {
      static constexpr int kLimits[] = {8, 10, 12, 14, 19, 27, 34};
      static constexpr const char* kSizes[] = {"-2", "-1", "+0", "+1", "+2", "+3", "+4"};
      const char* relative = "+4";
      for (size_t i = 0; i < 7; ++i)
        if (kLimits[i] >= f.size) {
          relative = kSizes[i];
          break;
        }
      if (std::string_view(relative) != "+0") attributes += " size=\"" + std::string(relative) + "\"";
    }
    if (f.colour != 0) attributes += " color=\"#" + RgbHex(f.colour) + "\"";
    if (!AnsiSameText(f.face, "Arial")) attributes += " face=\"" + HtmlText(f.face) + "\"";
  }
  std::string style;
  if (f.colour != b.colour) style += "color:#" + RgbHex(f.colour) + ";";
  if (f.face != b.face) style += "font-family:'" + HtmlText(f.face) + "';";
  if (f.size != b.size) style += "font-size:" + std::to_string(f.size) + "pt;";
  if (f.style != b.style) {
    if (Bold(b) && !Bold(f)) style += "font-weight:normal;";
    if (Italic(b) && !Italic(f)) style += "font-style:normal;";
    if ((f.style & 12) != (b.style & 12)) {
      if (f.style & 4) style += "text-decoration:underline;";
      else if (f.style & 8) style += "text-decoration:line-through;";
      else style += "text-decoration:normal;";
    }
  }
  if (style.empty() && attributes.empty()) return {};
  std::string out = "<font";
  if (!style.empty()) out += " style=\"" + style + "\"";
  return out + attributes + ">";
}

HtmlTextWriter::HtmlTextWriter(TYKAset& doc, const HtmlExportOptions& options, const FileNaming& naming,
                               HtmlExportContext& context)
    : doc_(doc), options_(options), naming_(naming), context_(context), messages_(doc.messages()),
      charSet_(!doc.CharSet().empty()) {}

std::string HtmlTextWriter::Closers() const {
  const THt2State& s = states_.Current();
  std::string out;
  if (s.written.position == 1) out += "</sub>";
  else if (s.written.position == 2) out += "</sup>";
  if (Italic(s.written)) out += "</i>";
  if (Bold(s.written)) out += "</b>";
  if (s.fontTagOpen) out += "</font>";
  return out;
}

std::string HtmlTextWriter::ParagraphEnd() const {
  // Only a bulleted paragraph opened an item; a numbered one writes its number.
  const bool item = states_.Current().listType == 10 && context_.writerMode != 3;
  return std::string(item ? "</li>" : "") + "</div>\r\n";
}

void HtmlTextWriter::CloseParagraph(std::string& out) {
  if (!paragraphOpen_) return;
  out += "&#160;" + Closers() + ParagraphEnd();
  THt2State& s = states_.Current();
  s.fontTagOpen = false;
  paragraphOpen_ = false;
}

size_t HtmlTextWriter::ParagraphStart(std::string_view markup, size_t pos, std::string& out) {
  constexpr std::string_view kPageObjectHead = "<Z S0 f0 >";
  if (markup.compare(pos, kPageObjectHead.size(), kPageObjectHead) == 0) return pos + kPageObjectHead.size();
  ParameterReader r(markup, ParametersStart(markup, pos), messages_);
  int32_t slot = -1;
  r.Integer('S', &slot);
  // The paragraph before is closed in its own state (its list item, its formats).
  CloseParagraph(out);
  THt2State& s = states_.Current();
  const TYKAoggetto* style = slot >= 0 ? doc_.ObjectAt(stileParagrafo, slot) : nullptr;
  if (style && !style->IsFree()) {
    paragraphFont_ = StyleFont(style);
    styleLinkSize_ = StyleValue(style, FormatField::LinkSize);
    styleLinkColour_ = static_cast<uint32_t>(StyleValue(style, FormatField::LinkColour)) & 0xFFFFFF;
    styleLinkStyle_ = static_cast<uint8_t>(StyleValue(style, FormatField::LinkStyle));
    s.linkSize = styleLinkSize_;
    s.linkColour = styleLinkColour_;
    s.linkStyle = styleLinkStyle_;
    s.left = StyleValue(style, FormatField::Left);
    s.right = StyleValue(style, FormatField::Right);
    s.top = StyleValue(style, FormatField::Before);
    s.bottom = StyleValue(style, FormatField::After);
    s.lineHeight = StyleValue(style, FormatField::LineHeight);
    s.indent = StyleValue(style, FormatField::Indent);
    s.unit = static_cast<uint8_t>(StyleValue(style, FormatField::Unit));
    s.alignment = static_cast<uint8_t>(StyleValue(style, FormatField::Alignment));
    s.listType = static_cast<uint8_t>(StyleValue(style, FormatField::ListMark));
  }
  if (slot >= 0) currentStyle_ = slot;
  out += "<div";
  s.written = paragraphFont_;
  ReadFontParameters(r, s.written, kParagraphFaceLimit);

  std::string css;
  const int ppi = doc_.platform().system.ScreenPixelsPerInch();
  int32_t n = 0;
  uint32_t colour = 0;
  if (r.Integer('P', &n)) {
  }
  if (r.Integer('A', &n)) {
    s.alignment = static_cast<uint8_t>(n);
    css += std::string("text-align: ") + AlignmentName(n) + ";";
  }
  if (r.Integer('N', &n)) {
    s.listType = static_cast<uint8_t>(n);
    if (n == 0) css += "list-style-type:none;";
    else if (n == 6) css += "list-style-type:decimal;";
    else if (n == 10) css += "list-style-type:disc;";
  }
  if (r.Integer('M', &n)) s.unit = static_cast<uint8_t>(n);
  struct Measure {
    char letter;
    int32_t THt2State::*field;
    const char* property;
  };
  static constexpr Measure kMeasures[] = {
      {'L', &THt2State::lineHeight, "line-height: "}, {'I', &THt2State::indent, "text-indent: "},
      {'l', &THt2State::left, "margin-left: "},       {'r', &THt2State::right, "margin-right: "},
      {'t', &THt2State::top, "margin-top: "},         {'b', &THt2State::bottom, "margin-bottom: "},
  };
  for (const auto& m : kMeasures)
    if (r.Integer(m.letter, &n)) {
      s.*m.field = n;
      css += std::string(m.property) + CssMeasure(n, s.unit, ppi) + ";";
    }
  if (r.Colour('C', &colour)) s.linkColour = colour;
  if (r.Integer('S', &n)) s.linkSize = n;
  if (r.Integer('Y', &n)) s.linkStyle = static_cast<uint8_t>(s.linkStyle | n);
  r.SkipPast('>');

  if (s.alignment != 0) out += std::string(" align=\"") + AlignmentName(s.alignment) + "\"";
  out += " class=\"s" + std::to_string(currentStyle_) + "\"";
  out += css.empty() ? std::string(">") : " style=\"" + css + "\">";
  out += "\n";
  if (s.listType == 6) {
    out += "<!lisnum>" + std::to_string(listCounter_) + ". <!/lisnum>";
    ++listCounter_;
  } else {
    if (s.listType == 10) out += context_.writerMode == 3 ? "- &#160;" : "<li>";
    listCounter_ = 1;
  }
  const std::string tag = FontTagFor(s.written, paragraphFont_, options_.oldBrowsers);
  s.fontTagOpen = !tag.empty();
  out += tag;
  if (Bold(s.written)) out += "<b>";
  if (Italic(s.written)) out += "<i>";
  if (s.written.position == 1) out += "<sub>";
  else if (s.written.position == 2) out += "<sup>";
  paragraphOpen_ = true;
  return r.pos();
}

size_t HtmlTextWriter::FontTag(std::string_view markup, size_t pos) {
  if (!pending_) pendingFont_ = paragraphFont_;
  ParameterReader r(markup, ParametersStart(markup, pos), messages_);
  ReadFontParameters(r, pendingFont_, AnsiString::npos);
  r.SkipPast('>');
  pending_ = true;
  return r.pos();
}

void HtmlTextWriter::WriteFontChange(std::string& out) {
  if (!pending_) return;
  THt2State& s = states_.Current();
  const HtmlFont& w = s.written;
  const HtmlFont& p = pendingFont_;
  const bool differs = p.colour != w.colour || p.face != w.face || p.size != w.size || p.style != w.style;
  const std::string tag = FontTagFor(p, paragraphFont_, options_.oldBrowsers);
  const bool simple = tag.empty() && !(differs && s.fontTagOpen);
  if (simple) {
    if (Italic(w) && !Italic(p)) out += "</i>";
    if (Bold(w) && !Bold(p)) out += "</b>";
    if (w.position == 1 && p.position != 1) out += "</sub>";
    if (w.position == 2 && p.position != 2) out += "</sup>";
  } else {
    if (Italic(w)) out += "</i>";
    if (Bold(w)) out += "</b>";
    if (w.position == 1) out += "</sub>";
    else if (w.position == 2) out += "</sup>";
  }
  if (differs) {
    if (s.fontTagOpen) out += "</font>";
    s.fontTagOpen = false;
    if (!tag.empty()) {
      out += tag;
      s.fontTagOpen = true;
    }
  }
  if (simple) {
    if (!Bold(w) && Bold(p)) out += "<b>";
    if (!Italic(w) && Italic(p)) out += "<i>";
    if (p.position == 1 && w.position != 1) out += "<sub>";
    if (p.position == 2 && w.position != 2) out += "<sup>";
  } else {
    if (Bold(p)) out += "<b>";
    if (Italic(p)) out += "<i>";
    if (p.position == 1) out += "<sub>";
    else if (p.position == 2) out += "<sup>";
  }
  s.written = p;
  pending_ = false;
}

void HtmlTextWriter::Character(unsigned char c, std::string& out) {
  const size_t before = out.size();
  AppendCharacterToHtml(out, c, charSet_);
  if (out.size() != before) ++textWritten_;
}

void HtmlTextWriter::LinkEnd(std::string& out) {
  if (link_) out += "</a>";
  link_ = nullptr;
}

void HtmlTextWriter::LinkStart(const TYKAoggetto& target, std::string& out) {
  if (link_) out += "</a>";
  if (target.Kind() == genLink) context_.AddResource(&target);
  out += "<a class=\"s" + std::to_string(currentStyle_) + "\" ";
  const THt2State& s = states_.Current();
  std::string css;
  if (s.linkColour != styleLinkColour_) css += "color:#" + RgbHex(s.linkColour) + ";";
  if (s.linkSize != styleLinkSize_ && s.linkSize > 0) css += "font-size:" + std::to_string(s.linkSize) + "pt;";
  const uint8_t diff = s.linkStyle ^ styleLinkStyle_;
  if (diff & 1) css += (s.linkStyle & 1) ? "font-weight:bold;" : "font-weight:normal;";
  if (diff & 2) css += (s.linkStyle & 2) ? "font-style:italic;" : "font-style:normal;";
  if (diff & 4) css += (s.linkStyle & 4) ? "text-decoration:underline;" : "text-decoration:normal;";
  if (!css.empty()) out += "style=\"" + css + "\" ";
  out += LinkAttributes(target) + ">";
  link_ = &target;
}

std::string HtmlTextWriter::LinkAttributes(const TYKAoggetto& target) {
  if (target.Kind() != speclink) {
    // A file name may hold what would end the attribute: written as URL escapes.
    std::string href;
    for (char c : naming_.FileNameOf(target, 0)) {
      if (c == '"') href += "%22";
      else if (c == '<') href += "%3C";
      else if (c == '>') href += "%3E";
      else href += c;
    }
    return "href=\"" + href + "\"";
  }
  std::string out = SpecialLinkAttributes(target);
  // The author's own attributes of the link go out as written, markers expanded.
  std::string extra = ExpandReferences(target.AttributeText(), ReferenceScope{doc_, options_, naming_, context_, nullptr, {}});
  if (!extra.empty()) out += " " + extra;
  return out;
}

const TYKAoggetto* HtmlTextWriter::LinkPage(const TYKAoggetto& link) {
  const int32_t id = ResolveSpecLink(doc_, link.ObjectId());
  const TYKAoggetto* target = doc_.FindObject(id == link.ObjectId() ? link.I32(speclink_rec::kTarget) : id);
  return target && !target->IsFree() ? target : nullptr;
}

std::string HtmlTextWriter::PageReference(const TYKAoggetto& link, const TYKAoggetto& target, int32_t anchor) {
  // A link to "this page" within frames means the frame-content version.
  const bool wholePage = link.U8(speclink_rec::kScope) != 0;
  int mode = 0;
  if (!wholePage && target.Kind() == testoHtml) {
    mode = 1;
    context_.AddSecondaryPage(&target);
  } else if (!wholePage && target.Kind() == genLink) {
    context_.AddResource(&target);
  }
  std::string ref = naming_.FileNameOf(target, mode);
  if (anchor >= 0) ref += "#an" + std::to_string(anchor);
  return ref;
}

std::string HtmlTextWriter::Features(const TYKAoggetto& link) const {
  Bytes r;
  if (!link.ReadContent(r) || r.size() < 22) return ",''";
  auto i16 = [&](size_t off) { return static_cast<int16_t>(r[off] | (r[off + 1] << 8)); };
  constexpr int16_t kNotSet = -20000;
  std::string f;
  auto add = [&](const char* name, int v) { f += (f.empty() ? "" : ",") + std::string(name) + "=" + std::to_string(v); };
  add("dependent", r[13] ? 1 : 0);
  add("fullscreen", r[15] ? 1 : 0);
  add("location", r[16] ? 1 : 0);
  add("menubar", r[17] ? 1 : 0);
  add("resizable", r[18] ? 1 : 0);
  add("scrollbars", r[19] ? 1 : 0);
  add("status", r[20] ? 1 : 0);
  add("toolbar", r[21] ? 1 : 0);
  if (i16(4) != kNotSet) {
    add("height", i16(6));
    add("width", i16(4));
  }
  if (i16(8) != kNotSet) add("screenX", i16(8));
  if (i16(0) != kNotSet) add("left", i16(2));
  if (i16(8) != kNotSet) add("screenY", i16(10));
  if (i16(0) != kNotSet) add("top", i16(0));
  return ",'" + f + "'";
}

std::string HtmlTextWriter::PopupCall(const TYKAoggetto& link, const TYKAoggetto& target, int32_t anchor) {
  context_.scripts |= script_need::kOpen;
  const std::string name = AttributeSafe(
      link.ShortString(speclink_rec::kFrameName, static_cast<size_t>(RecordSize(speclink)) - speclink_rec::kFrameName));
  const std::string file = PageReference(link, target, anchor);
  return "javascript:TolvaneF_open('" + file + "','" + name + "'" + Features(link) + ",'Pag" +
         std::to_string(context_.pageIndex) + "');";
}

std::string HtmlTextWriter::SpecialLinkAttributes(const TYKAoggetto& link) {
  const std::string name = AttributeSafe(
      link.ShortString(speclink_rec::kFrameName, static_cast<size_t>(RecordSize(speclink)) - speclink_rec::kFrameName));
  const int32_t anchor = link.I32(speclink_rec::kAnchor);
  switch (link.State()) {
    case 1:
    case 6: {  // a page, in a window
      const int mode = link.U8(speclink_rec::kWindowMode);
      if (mode == 6) return "href=\"#an" + std::to_string(anchor) + "\" target=_self";
      const TYKAoggetto* target = LinkPage(link);
      if (!target) return {};
      switch (mode) {
        case 0: return "target=\"_self\" href=\"" + PageReference(link, *target, anchor) + "\"";
        case 1: return "target=\"" + name + "\" href=\"" + PageReference(link, *target, anchor) + "\"";
        case 3:
          context_.scripts |= script_need::kPlainOpen;
          return "href=\"javascript:TolvaneF_openB('" + PageReference(link, *target, -1) + "');\" target=\"_new\" ";
        case 5: return "href=\"" + PageReference(link, *target, anchor) + "\"";
        case 7: return "onMouseOver=\"" + PopupCall(link, *target, anchor) + "\"";
        default: return "href=\"" + PopupCall(link, *target, anchor) + "\"";
      }
    }
    case 2:
      context_.scripts |= script_need::kClose;
      return "href=\"javascript:TolvaneF_close('" + name + "');\"";
    case 3:
      context_.scripts |= script_need::kOpen;
      return "href=\"javascript:TolvaneF_open('search-tolvane.htm','tolvanesearch','height=140,width=450,"
             "dependent=0,fullscreen=0,location=0,menubar=0,resizable=0,scrollbars=0,status=0,toolbar=0','Pag" +
             std::to_string(context_.pageIndex) + "');\"";
    case 4:
    case 5: {
      if (!context_.page) return {};
      const int32_t slot = link.State() == 4 ? PreviousPage(doc_, context_.page->Slot()) : NextPage(doc_, context_.page->Slot());
      const TYKAoggetto* target = doc_.ObjectAt(testoHtml, slot);
      return target ? "href=\"" + PageReference(link, *target, -1) + "\"" : std::string();
    }
    case 7: {
      context_.scripts |= script_need::kSharedFile;
      std::vector<std::string> lines;
      Lines(ContentText(link), &lines);
      std::string code = "auto" + std::to_string(link.Slot()), price = "0", currency = "$", description;
      if (lines.size() >= 4) {
        code = lines[0];
        price = lines[1];
        currency = lines[2];
        description = lines[3];
      }
      auto arg = [](const std::string& v) {
        std::string out;
        for (char c : ScriptText(v)) out += c == '"' ? std::string("&quot;") : std::string(1, c);
        return out;
      };
      return "href=\"javascript:MyAddAndShowCart('" + arg(code) + "','" + arg(price) + "','" + arg(currency) + "','" +
             arg(description) + "',colpari,coldisp)\"";
    }
    case 8: return "href=\"javascript:window.print()\" ";
    case 9: return "href=\"javascript:" + (name == "_showprint" ? std::string("window") : name) + ".print()\" ";
    case 10: {
      std::vector<std::string> lines;
      Lines(ContentText(link), &lines);
      std::string text;
      std::vector<std::string> head;
      bool inHead = false;
      for (size_t i = 2; i < lines.size() && lines[i] != "$$tolp-future$$"; ++i) {
        if (lines[i] == "$$tolp-heads$$") inHead = true;
        else if (inHead) head.push_back(lines[i]);
        else text += lines[i];
      }
      if (!head.empty()) context_.AddHeadEntry(head);
      return "href=\"" + text + "\"";
    }
    default: return {};
  }
}

void HtmlTextWriter::WriteText(std::string_view markup, std::string& out, ObjectWriter* objects) {
  bool inBlanks = false;
  for (size_t pos = 0; pos < markup.size() && markup[pos] != '\0';) {
    const char c = markup[pos];
    if (c == '<') {
      const char next = pos + 1 < markup.size() ? markup[pos + 1] : '\0';
      if (next == '$' && markup.size() - pos >= kTagLength) {
        uint32_t v = 0;
        for (size_t i = 2; i < 10; ++i) {
          const char h = static_cast<char>(markup[pos + i] | 0x20);
          v = v * 16 + static_cast<uint32_t>(h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : 0);
        }
        const uint32_t kind = v >> 24;
        if (kind == 0 || kind == 1 || kind == 2 || kind == 3 || kind == 7 || kind == 10) {
          const TYKAoggetto* target = doc_.FindObject(static_cast<int32_t>(v));
          if (target && !target->IsFree()) {
            WriteFontChange(out);
            LinkStart(*target, out);
          }
        } else if (objects) {
          WriteFontChange(out);
          objects->WriteObject(v, out, *this);
        }
        size_t end = markup.find('>', pos);
        pos = end == std::string_view::npos ? markup.size() : end + 1;
        continue;
      }
      if (next == '%') {
        LinkEnd(out);
      } else if (next == 'D' || next == 'F' || next == 'R') {
        const char closing[3] = {'<', static_cast<char>(next - 'A' + 'a'), '>'};
        size_t end = markup.find(std::string_view(closing, 3), pos + 2);
        pos = end == std::string_view::npos ? markup.size() : end + 3;
        continue;
      } else if (next == 'T' && markup.compare(pos, 3, "<T>") == 0) {
        if (objects) objects->CellEnd(out, *this);
        pos += 3;
        continue;
      } else if (next == 'Y') {
        pos = FontTag(markup, pos);
        continue;
      } else if (next == 'Z') {
        pos = ParagraphStart(markup, pos, out);
        continue;
      }
      size_t end = markup.find('>', pos);
      pos = end == std::string_view::npos ? markup.size() : end + 1;
      continue;
    }
    if (c == '&') {
      size_t end = markup.find(';', pos);
      const size_t lt = markup.find('<', pos);
      if (end != std::string_view::npos && end < lt && end - pos <= 10) {
        WriteFontChange(out);
        out.append(markup.substr(pos, end + 1 - pos));  // an entity already in the text
        ++textWritten_;
        pos = end + 1;
        continue;
      }
    }
    WriteFontChange(out);
    auto ch = static_cast<unsigned char>(c);
    if (ch == ' ') {
      if (inBlanks) ch = 160;  // a run of blanks keeps its width
      inBlanks = true;
    } else {
      inBlanks = false;
    }
    Character(ch, out);
    ++pos;
  }
  if (paragraphOpen_) {
    WriteFontChange(out);
    CloseParagraph(out);
  }
}

}  // namespace tolvane
