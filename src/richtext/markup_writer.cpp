#include "richtext/markup_writer.h"

#include <algorithm>
#include <charconv>

#include "model/object.h"
#include "richtext/markup_host.h"

namespace tolvane {
namespace {

void AppendFace(std::string& out, const AnsiString& face) {
  out += "F\"";
  out += face;
  out += "\" ";
}

// The five character values of a format: its own ones, or all of them.
template <class Format>
void AppendCharacterValues(std::string& out, const Format& f, bool all) {
  if (all || f.IsOwn(FormatField::Colour)) AppendColourParameter(out, 'c', f.Colour());
  if (all || f.IsOwn(FormatField::Face)) AppendFace(out, f.Face());
  if (all || f.IsOwn(FormatField::Size)) AppendIntegerParameter(out, 's', f.Size());
  if (all || f.IsOwn(FormatField::Style)) AppendIntegerParameter(out, 'y', f.Style());
  if (all || f.IsOwn(FormatField::Position)) AppendIntegerParameter(out, 'p', f.Position() & 0x7F);
}

void AppendFontValues(std::string& out, const TMyFont& f) {
  AppendColourParameter(out, 'c', f.colour);
  AppendFace(out, f.face);
  AppendIntegerParameter(out, 's', f.size);
  AppendIntegerParameter(out, 'y', f.style);
  AppendIntegerParameter(out, 'p', f.position & 0x7F);
}

void AppendParagraphTag(std::string& out, const TYKAParaStyle& f) {
  out += "<Z S";
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, f.Base() ? f.Base()->Slot() : 0);
  out.append(buf, r.ptr);
  out += ' ';
  AppendCharacterValues(out, f, false);
  struct Param {
    char letter;
    FormatField field;
    bool byte;
  };
  static constexpr Param kParams[] = {
      {'P', FormatField::Spare, true},      {'A', FormatField::Alignment, true}, {'N', FormatField::ListMark, true},
      {'M', FormatField::Unit, true},       {'L', FormatField::LineHeight, false}, {'I', FormatField::Indent, false},
      {'l', FormatField::Left, false},      {'r', FormatField::Right, false},    {'t', FormatField::Before, false},
      {'b', FormatField::After, false},     {'C', FormatField::LinkColour, false}, {'S', FormatField::LinkSize, false},
      {'Y', FormatField::LinkStyle, false},
  };
  for (const auto& p : kParams) {
    if (!f.IsOwn(p.field)) continue;
    int32_t v = f.Get(p.field);
    if (p.field == FormatField::LinkColour) AppendColourParameter(out, 'C', static_cast<uint32_t>(v));
    else AppendIntegerParameter(out, p.letter, p.byte ? (v & 0x7F) : v);
  }
  out += '>';
}

}  // namespace

void AppendHex(std::string& out, uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int i = digits - 1; i >= 0; --i) out += kDigits[(value >> (4 * i)) & 0xF];
}

void AppendColourParameter(std::string& out, char letter, uint32_t colour) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += letter;
  for (int shift : {0, 8, 16}) {
    uint32_t byte = (colour >> shift) & 0xFF;
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  out += ' ';
}

void AppendIntegerParameter(std::string& out, char letter, int64_t value) {
  out += letter;
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, r.ptr);
  out += ' ';
}

size_t WriteParagraph(const TYKAparag& p, std::string& out, int mode, int start, int end) {
  const size_t before = out.size();
  const int length = static_cast<int>(p.text.size());
  if (end < 0 || end > length) end = length;
  start = std::clamp(start, 0, length);
  const int requestedStart = start, requestedEnd = end;
  if (mode == kWriteDeletion) {
    start = 0;
    end = length;
  }

  // The last font tag written, so that a tag with nothing after it can give
  // way to the next one.
  size_t fontTagStart = std::string::npos, fontTagEnd = std::string::npos;
  if (mode == kWriteJoin && !p.BeginsWithTable()) {
    fontTagStart = out.size();
    out += "<Y ";
    AppendCharacterValues(out, p.format, true);
    out += '>';
    fontTagEnd = out.size();
  } else {
    AppendParagraphTag(out, p.format);
  }

  const TYKAFontStyle* running = nullptr;  // null: the paragraph's default format
  int32_t lastLink = -1;
  const size_t cellCount = p.cells.size();
  const size_t needed = out.size() + static_cast<size_t>(end - start) + 64;
  if (out.capacity() < needed) out.reserve(std::max(needed, out.capacity() * 2));
  for (int i = 0; i < end; ++i) {
    const CharCell* cell = static_cast<size_t>(i) < cellCount ? &p.cells[static_cast<size_t>(i)] : nullptr;
    const bool inRange = i >= start;
    const int32_t fontIndex = cell ? cell->font : -1;
    if (fontIndex >= 0 && static_cast<size_t>(fontIndex) < p.fonts.size()) {
      const TYKAFontStyle& font = p.fonts[static_cast<size_t>(fontIndex)];
      if (inRange) {
        if (fontTagEnd == out.size()) out.resize(fontTagStart);
        fontTagStart = out.size();
        out += "<Y ";
        // After a join's head the change is spelt out whole: what it leaves
        // out would otherwise come from the other paragraph's style.
        AppendCharacterValues(out, font, mode == kWriteJoin && i == start);
        out += '>';
        fontTagEnd = out.size();
      }
      running = &font;
    } else if (i == start && start > 0) {
      if (fontTagEnd == out.size()) out.resize(fontTagStart);
      fontTagStart = out.size();
      out += "<Y ";
      AppendFontValues(out, running ? running->ToMyFont() : p.format.ToMyFont());
      out += '>';
      fontTagEnd = out.size();
    }
    if (!inRange) continue;
    const int32_t link = cell ? cell->link : -1;
    if (link != lastLink) {
      if (link == -1) {
        out += "<%>";
      } else {
        out += "<$";
        AppendHex(out, static_cast<uint32_t>(link), 8);
        out += '>';
      }
      lastLink = link;
    }
    const int32_t objectIndex = cell ? cell->object : -1;
    if (objectIndex >= 0 && static_cast<size_t>(objectIndex) < p.objects.size() &&
        p.objects[static_cast<size_t>(objectIndex)]) {
      const MarkupObject& object = *p.objects[static_cast<size_t>(objectIndex)];
      out += "<$FF";
      AppendHex(out, static_cast<uint32_t>(object.IndexNumber()) & 0xFFFFFF, 6);
      out += '>';
      if (object.IsTable()) {
        const bool requested = i >= requestedStart && i < requestedEnd;
        if (mode == kWriteFull || (mode == kWriteDeletion && requested)) object.WriteCells(out);
        else if (mode == kWriteDeletion) out += "<@>";
      }
      continue;
    }
    const char c = p.text[static_cast<size_t>(i)];
    if (c == '&') out += "&#38;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
    // The plain characters after it, the bulk of a text, go in one piece.
    int j = i + 1;
    while (j < end && static_cast<size_t>(j) < cellCount) {
      const CharCell& next = p.cells[static_cast<size_t>(j)];
      const char nc = p.text[static_cast<size_t>(j)];
      if (next.font >= 0 || next.object >= 0 || next.link != lastLink || nc == '&' || nc == '<' || nc == '>') break;
      ++j;
    }
    out.append(p.text, static_cast<size_t>(i + 1), static_cast<size_t>(j - i - 1));
    i = j - 1;
  }
  if (lastLink != -1) out += "<%>";
  return out.size() - before;
}

}  // namespace tolvane
