#include "richtext/markup_reader.h"

#include <optional>

#include "richtext/markup_parameters.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "common/hex_id.h"
#include "model/object.h"
#include "richtext/text_attributes.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"

namespace tolvane {
namespace {

constexpr size_t kParagraphFaceLimit = 20;

uint32_t Lookup(const std::vector<uint32_t>& from, const std::vector<uint32_t>& to, uint32_t key, bool* found) {
  size_t n = std::min(from.size(), to.size());
  for (size_t i = 0; i < n; ++i)
    if (from[i] == key) {
      *found = true;
      return to[i];
    }
  *found = false;
  return key;
}

struct Metrics {
  int height = 0, ascent = 0;
};

// The state of reading one paragraph.
class Parser {
 public:
  Parser(TYKAparag& p, MarkupStream& s, MarkupHost& host, bool tablesNotInline, const PasteRemap* remap)
      : p_(p), s_(s), data_(s.data), host_(host), measurer_(host.Measurer()), tablesNotInline_(tablesNotInline),
        remap_(remap) {}

  bool Run();

 private:
  // ---- parameters of a tag, read at pos_
  // The parameter reader at the current position; Sync takes its position back.
  ParameterReader& Params() {
    params_.emplace(data_, pos_, host_.Messages());
    return *params_;
  }
  bool Sync() {
    pos_ = params_->pos();
    return true;
  }
  // The value text after the letter, up to its blank; moves past the blank.
  bool ValueText(char letter, std::string_view* value);
  bool Integer(char letter, int32_t* out);
  bool Colour(char letter, uint32_t* out);
  bool Face(char letter, size_t limit, AnsiString* out);
  void SkipPast(char c) {
    size_t q = data_.find(c, pos_);
    pos_ = q == std::string_view::npos ? data_.size() : q + 1;
  }

  bool ReadParagraphTag();
  void ReadFontTag();
  void ReadReference();
  void CloseLink();
  void SkipBlock(char letter);
  void AppendCharacter(unsigned char c);
  void AppendRun(const char* chars, size_t n);
  bool Finish(bool ended);

  Metrics Measure(const TMyFont& f);
  void Remeasure() { metrics_ = Measure(running_); }
  void SetRunningForLink();
  CharCell& Pending() { return p_.cells.back(); }
  void NewPendingCell() {
    CharCell c;
    c.link = linkState_;
    p_.cells.push_back(c);
  }

  TYKAparag& p_;
  MarkupStream& s_;
  std::string_view data_;
  MarkupHost& host_;
  TextMeasurer& measurer_;
  bool tablesNotInline_;
  const PasteRemap* remap_;
  size_t pos_ = 0;
  std::optional<ParameterReader> params_;

  // The paragraph's character values before its tag's parameters: what a
  // font tag leaves out. For a new paragraph they are the style's.
  TMyFont fallback_;
  bool fallbackIsStyle_ = true;
  TMyFont running_;   // the font characters are measured in
  Metrics metrics_;
  int32_t linkState_ = -1;
  unsigned char previous_ = 0;
};

bool Parser::ValueText(char letter, std::string_view* value) { return Params().Text(letter, value) && Sync(); }
bool Parser::Integer(char letter, int32_t* out) { return Params().Integer(letter, out) && Sync(); }
bool Parser::Colour(char letter, uint32_t* out) { return Params().Colour(letter, out) && Sync(); }
bool Parser::Face(char letter, size_t limit, AnsiString* out) { return Params().Face(letter, limit, out) && Sync(); }

Metrics Parser::Measure(const TMyFont& f) {
  FontSpec spec{f.face, f.size, f.style, f.colour, host_.FontCharSet()};
  measurer_.SelectFont(spec);
  Metrics m{measurer_.Height(), measurer_.Ascent()};
  if (f.position == 1) m.height += m.height / 2;
  else if (f.position == 2) m.ascent += m.height / 2;
  return m;
}

// "<Z S3 c...>": the style and the paragraph's own values.
bool Parser::ReadParagraphTag() {
  pos_ += 3;  // "<Z "
  int32_t slot = -1;
  if (pos_ > data_.size() || !Integer('S', &slot)) slot = -1;
  if (slot >= 0 && remap_) {
    bool found = false;
    uint32_t id = Lookup(remap_->oldStyles, remap_->newStyles, static_cast<uint32_t>(slot) | 0x11000000u, &found);
    if (found) slot = static_cast<int32_t>(id & 0xFFFFFF);
  }
  if (slot < 0) {
    pos_ = std::min(pos_, data_.size());
    SkipPast('>');
    return false;
  }
  TYKAParaStyle& f = p_.format;
  f.SetBase(host_.StyleBySlot(slot));
  fallback_ = f.ToMyFont();
  fallbackIsStyle_ = true;
  for (int i = 0; i < kCharacterFieldCount; ++i) fallbackIsStyle_ = fallbackIsStyle_ && !f.IsOwn(static_cast<FormatField>(i));

  int32_t n = 0;
  uint32_t c = 0;
  AnsiString face;
  if (Colour('c', &c)) f.Set(FormatField::Colour, static_cast<int32_t>(c));
  if (Face('F', kParagraphFaceLimit, &face)) f.SetFace(face);
  if (Integer('s', &n)) f.Set(FormatField::Size, n);
  if (Integer('y', &n)) f.Set(FormatField::Style, n & 0xFF);
  if (Integer('p', &n)) f.Set(FormatField::Position, n & 0xFF);
  if (Integer('P', &n)) f.Set(FormatField::Spare, n & 0xFF);
  if (Integer('A', &n)) f.Set(FormatField::Alignment, n & 0xFF);
  if (Integer('N', &n)) f.Set(FormatField::ListMark, n & 0xFF);
  if (Integer('M', &n)) f.Set(FormatField::Unit, n & 0xFF);
  if (Integer('L', &n)) f.Set(FormatField::LineHeight, n);
  if (Integer('I', &n)) f.Set(FormatField::Indent, n);
  if (Integer('l', &n)) f.Set(FormatField::Left, n);
  if (Integer('r', &n)) f.Set(FormatField::Right, n);
  if (Integer('t', &n)) f.Set(FormatField::Before, n);
  if (Integer('b', &n)) f.Set(FormatField::After, n);
  if (Colour('C', &c)) f.Set(FormatField::LinkColour, static_cast<int32_t>(c));
  if (Integer('S', &n)) f.Set(FormatField::LinkSize, n);
  if (Integer('Y', &n)) f.Set(FormatField::LinkStyle, n & 0xFF);
  SkipPast('>');

  f.Scratch().AssignFrom(f);
  running_ = f.ToMyFont();
  Remeasure();
  p_.fontLineHeight = metrics_.height;
  return true;
}

void Parser::ReadFontTag() {
  pos_ += 3;  // "<Y "
  if (pos_ > data_.size()) pos_ = data_.size();
  TYKAFontStyle& scratch = p_.format.Scratch();
  CharCell& pending = Pending();
  // A second tag before any character keeps what the first one set.
  const bool keep = pending.font >= 0;
  // Without a character since the last tag, the values it left stand;
  // otherwise what the tag leaves out is the style's (no own value).
  if (!keep) {
    scratch.ClearOwnValues();
    if (!fallbackIsStyle_) scratch.AssignFrom(fallback_);
  }
  int32_t n = 0;
  uint32_t c = 0;
  AnsiString face;
  if (Colour('c', &c)) scratch.SetColour(c);
  if (Face('F', AnsiString::npos, &face)) scratch.SetFace(face);
  if (Integer('s', &n)) scratch.SetSize(n);
  // i and g (read, never written) switch italic and bold: on for 1, off
  // for any other value; a y after them sets all the bits.
  uint8_t style = scratch.Style();
  bool styleSet = false;
  for (auto [letter, bit] : {std::pair{'i', style_bits::kItalic}, std::pair{'g', style_bits::kBold}}) {
    std::string_view v;
    if (!ValueText(letter, &v)) continue;
    style = v == "1" ? (style | bit) : (style & ~bit);
    styleSet = true;
  }
  if (Integer('y', &n)) {
    style = static_cast<uint8_t>(n);
    styleSet = true;
  }
  if (styleSet) scratch.SetStyle(style);
  if (Integer('p', &n)) scratch.SetPosition(static_cast<uint8_t>(n));
  SkipPast('>');

  if (keep) {
    p_.fonts[static_cast<size_t>(pending.font)] = scratch;
  } else {
    if (p_.fonts.empty()) p_.fonts.reserve(4);
    p_.fonts.push_back(scratch);
    pending.font = static_cast<int32_t>(p_.fonts.size() - 1);
  }
  const TYKAParaStyle& f = p_.format;
  if (linkState_ == -1) {
    running_ = scratch.ToMyFont();
  } else if (f.LinkSize() == -1) {
    running_.size = scratch.Size();
    running_.face = scratch.Face();
    running_.style = static_cast<uint8_t>(scratch.Style() ^ f.LinkStyle());
  }
  Remeasure();
}

void Parser::SetRunningForLink() {
  const TYKAParaStyle& f = p_.format;
  running_ = f.Scratch().ToMyFont();
  running_.colour = f.LinkColour();
  running_.style = static_cast<uint8_t>(running_.style ^ f.LinkStyle());
  if (f.LinkSize() != -1) running_.size = f.LinkSize();
  Remeasure();
}

// "<$" and 8 hex digits: a link, an embedded object, or nothing.
void Parser::ReadReference() {
  const size_t tag = pos_;
  uint32_t value = 0;
  for (size_t i = 0; i < 8; ++i) {
    size_t at = tag + 2 + i;
    int d = at < data_.size() ? HexDigitValue(data_[at]) : -1;
    value = value * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
  }
  const uint32_t kind = value >> 24;
  if (kind == 0xFF) {
    uint32_t number = value & 0xFFFFFF;
    if (remap_) {
      bool found = false;
      number = Lookup(remap_->oldObjects, remap_->newObjects, number, &found);
    }
    MarkupObject* object = host_.ObjectByNumber(static_cast<int32_t>(number));
    Pending().link = linkState_;
    if (!object) {
      SkipPast('>');
      return;
    }
    CharCell& cell = Pending();
    cell.width = cell.advance = object->Width();
    cell.height = cell.ascent = object->Height();
    p_.objects.push_back(object);
    cell.object = static_cast<int32_t>(p_.objects.size() - 1);
    if (object->IsTable() && !tablesNotInline_) {
      pos_ = std::min(tag + 11, data_.size());
      if (data_.substr(pos_, 3) == "<@>") pos_ += 3;
      else pos_ = std::clamp(object->ReadCells(data_, pos_), pos_, data_.size());
      Remeasure();  // the cells measured in their own fonts
    } else {
      SkipPast('>');
    }
    p_.text += ' ';
    NewPendingCell();
    previous_ = 0;
    if (!p_.lines.empty()) ++p_.lines[0].count;
    return;
  }
  if (kind == 0x6F || kind < 4) {
    if (kind == 0x6F && remap_) {
      bool found = false;
      value = Lookup(remap_->oldLinks, remap_->newLinks, value, &found);
      if (!found) value = 0xFFFFFFFFu;
    }
    linkState_ = static_cast<int32_t>(value);
    if (linkState_ == -1) {
      running_ = p_.format.Scratch().ToMyFont();
      Remeasure();
    } else {
      SetRunningForLink();
    }
  }
  Pending().link = linkState_;
  SkipPast('>');
}

void Parser::CloseLink() {
  linkState_ = -1;
  Pending().link = -1;
  running_ = p_.format.Scratch().ToMyFont();
  Remeasure();
  SkipPast('>');
}

void Parser::SkipBlock(char letter) {
  const char closing[3] = {'<', static_cast<char>(letter - 'A' + 'a'), '>'};
  size_t q = data_.find(std::string_view(closing, 3), pos_ + 2);
  pos_ = q == std::string_view::npos ? data_.size() : q + 3;
}

void Parser::AppendCharacter(unsigned char c) {
  if (c < 32) return;
  CharCell& cell = Pending();
  cell.height = metrics_.height;
  cell.ascent = metrics_.ascent;
  cell.width = cell.advance = measurer_.CharWidth(previous_, c);
  previous_ = c;
  p_.text += static_cast<char>(c);
  NewPendingCell();
  ++p_.lines[0].count;
}

// Plain characters, all in the running font.
void Parser::AppendRun(const char* chars, size_t n) {
  const size_t base = p_.cells.size() - 1;  // the pending cell
  p_.cells.resize(base + 1 + n);
  p_.text.append(chars, n);
  CharCell* cell = p_.cells.data() + base;
  for (size_t k = 0; k < n; ++k, ++cell) {
    const auto c = static_cast<unsigned char>(chars[k]);
    cell->height = metrics_.height;
    cell->ascent = metrics_.ascent;
    cell->width = cell->advance = measurer_.CharWidth(previous_, c);
    previous_ = c;
    cell[1].link = linkState_;
  }
  p_.lines[0].count += static_cast<int32_t>(n);
}

bool Parser::Finish(bool ended) {
  if (p_.text.empty()) {
    running_ = p_.format.Scratch().ToMyFont();
    Remeasure();
  }
  // The end cell carries the metrics the caret takes there.
  Pending().height = metrics_.height;
  Pending().ascent = metrics_.ascent;
  TYKAline& first = p_.lines[0];
  if (first.height <= 0) first.height = p_.fontLineHeight;
  if (first.height <= 0) first.height = 20;
  return ended;
}

bool Parser::Run() {
  pos_ = std::min(s_.pos, data_.size());
  const void* lt = pos_ < data_.size() ? std::memchr(data_.data() + pos_, '<', data_.size() - pos_) : nullptr;
  if (!lt) return true;  // nothing to read
  pos_ = static_cast<size_t>(static_cast<const char*>(lt) - data_.data());
  if (!ReadParagraphTag()) {
    s_.pos = pos_;
    return pos_ >= data_.size();
  }
  // A paragraph read again starts empty.
  p_.text.clear();
  p_.cells.clear();
  p_.fonts.clear();
  p_.objects.clear();
  p_.lines.assign(1, TYKAline{});
  linkState_ = -1;
  // At most one cell per byte up to the next paragraph, so no growing on
  // the way; capped, since tags and skipped blocks give no cells at all.
  constexpr size_t kReserveCap = 1 << 16;
  size_t next = data_.find("<Z", pos_);
  size_t bound = std::min((next == std::string_view::npos ? data_.size() : next) - pos_, kReserveCap);
  p_.text.reserve(bound);
  p_.cells.reserve(bound + 1);
  NewPendingCell();

  bool ended = true;
  const char* bytes = data_.data();
  const size_t size = data_.size();
  while (pos_ < size && bytes[pos_] != 0) {
    // Runs of plain characters, the bulk of any text, go without dispatch.
    unsigned char ch = static_cast<unsigned char>(bytes[pos_]);
    if (ch >= 32 && ch != '<' && ch != '&') {
      size_t end = pos_ + 1;
      while (end < size) {
        const auto c = static_cast<unsigned char>(bytes[end]);
        if (c < 32 || c == '<' || c == '&') break;
        ++end;
      }
      AppendRun(bytes + pos_, end - pos_);
      pos_ = end;
      continue;
    }
    if (ch != '<' && ch != '&') {
      ++pos_;  // a control byte: dropped
      continue;
    }
    if (ch == '&') {
      AppendCharacter(DecodeEntity(data_, pos_));
      continue;
    }
    char next = pos_ + 1 < size ? bytes[pos_ + 1] : '\0';
    if (next == '$') {
      ReadReference();
    } else if (next == '%') {
      CloseLink();
    } else if (next == 'Y') {
      ReadFontTag();
    } else if (next == 'T') {
      pos_ = std::min(pos_ + 3, size);
      s_.pos = pos_;
      return Finish(true);
    } else if (next == 'Z') {
      ended = false;
      break;
    } else if (next == 'D' || next == 'F' || next == 'R') {
      SkipBlock(next);
    } else {
      ++pos_;
      SkipPast('>');
    }
  }
  s_.pos = pos_;
  return Finish(ended);
}

}  // namespace

bool ParseParagraph(TYKAparag& paragraph, MarkupStream& stream, MarkupHost& host, bool tablesNotInline,
                    const PasteRemap* remap) {
  if (stream.data.empty()) return true;
  Parser parser(paragraph, stream, host, tablesNotInline, remap);
  return parser.Run();
}

}  // namespace tolvane
