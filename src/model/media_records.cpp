#include "model/media_records.h"

#include <algorithm>
#include <array>
#include <limits>

#include "common/decimal.h"
#include "common/hex_id.h"
#include "model/document.h"
#include "model/object.h"
#include "model/text_lines.h"

namespace tolvane {
namespace {

// The type names are the program's own texts.
constexpr std::array<ParameterTypeInfo, 10> kParameterTypes = {{
    {0, "", ParameterEditor::None},
    {1, "Chaîne", ParameterEditor::TextField},
    {2, "Nombre", ParameterEditor::TextField},
    {3, "Couleur", ParameterEditor::ColourList},
    {4, "Nom de la police", ParameterEditor::FontList},
    {5, "Style de la police", ParameterEditor::TextField},
    {6, "Page", ParameterEditor::LinkChooser},
    {7, "Image", ParameterEditor::PictureChooser},
    {8, "Fichier venant d'une archive interne", ParameterEditor::LinkChooser},
    {9, "Fichier externe ou http ://", ParameterEditor::TextField},
}};

// A line count followed by lines; only the first `count` lines count, and no
// more than the data holds.
std::vector<std::string_view> CountedLines(ByteReader& in, std::string& storage) {
  int32_t count = 0;
  if (!in.I32(count) || count <= 0) return {};
  if (!in.Text(storage, in.remaining())) return {};
  std::vector<std::string_view> lines = SplitLfLines(storage);
  lines.resize(std::min<size_t>(lines.size(), static_cast<size_t>(count)));
  return lines;
}

AnsiString OneLine(std::string_view value) {
  AnsiString out(value);
  std::replace_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return out;
}

}  // namespace

// ---- parameter types and values

std::span<const ParameterTypeInfo> ParameterTypes() { return kParameterTypes; }

std::string_view ParameterTypeName(int code) {
  return code >= 0 && code < static_cast<int>(kParameterTypes.size()) ? kParameterTypes[static_cast<size_t>(code)].name
                                                                      : std::string_view();
}

ParameterEditor ParameterEditorOf(int code) {
  return code >= 0 && code < static_cast<int>(kParameterTypes.size())
             ? kParameterTypes[static_cast<size_t>(code)].editor
             : ParameterEditor::None;
}

AnsiString ColourParameterValue(uint32_t colour) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  AnsiString out = "#";
  for (int shift : {0, 8, 16}) {  // red, green, blue
    const unsigned byte = (colour >> shift) & 0xFF;
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  }
  return out;
}

bool ParseColourParameterValue(std::string_view text, uint32_t& colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  uint32_t value = 0;
  for (size_t i = 0; i < 3; ++i) {
    const int hi = HexDigitValue(text[1 + 2 * i]), lo = HexDigitValue(text[2 + 2 * i]);
    if (hi < 0 || lo < 0) return false;
    value |= static_cast<uint32_t>(hi * 16 + lo) << (8 * i);
  }
  colour = value;
  return true;
}

AnsiString ObjectParameterValue(int32_t id) { return std::to_string(id); }

int32_t ObjectIdOfParameterValue(std::string_view text) {
  const std::optional<int64_t> v = ParseDecimal(text);
  if (!v || *v < std::numeric_limits<int32_t>::min() || *v > std::numeric_limits<int32_t>::max()) return kNoObject;
  return static_cast<int32_t>(*v);
}

// ---- prototype content

PrototypeContent ParsePrototypeContent(const Bytes& content) {
  PrototypeContent out;
  ByteReader in(content);
  uint32_t listBytes = 0;
  if (!in.U32(listBytes)) return out;
  const bool listComplete = listBytes <= in.remaining();
  const size_t present = std::min<size_t>(listBytes, in.remaining());
  for (size_t i = 0; i + 4 <= present; i += 4) {
    int32_t id = 0;
    in.I32(id);
    out.objectIds.push_back(id);
  }
  // The definitions follow the whole list; a cut list leaves none.
  if (!listComplete) return out;
  Bytes rest;
  in.Take(rest, present % 4);

  std::string text;
  const std::vector<std::string_view> lines = CountedLines(in, text);
  for (size_t i = 0; i + 2 <= lines.size(); i += 2) {
    const std::optional<int64_t> type = ParseDecimal(lines[i + 1]);
    const bool readable = type && *type >= std::numeric_limits<int>::min() && *type <= std::numeric_limits<int>::max();
    out.parameters.push_back({AnsiString(lines[i]), readable ? static_cast<int>(*type) : 0});
  }
  return out;
}

Bytes EncodePrototypeContent(const PrototypeContent& content) {
  Bytes out;
  ByteWriter w(out);
  w.U32(static_cast<uint32_t>(content.objectIds.size() * 4));
  for (int32_t id : content.objectIds) w.I32(id);
  w.U32(static_cast<uint32_t>(content.parameters.size() * 2));
  for (const auto& p : content.parameters) {
    w.Text(OneLine(p.name));
    w.Text("\r\n");
    w.Text(std::to_string(p.type));
    w.Text("\r\n");
  }
  return out;
}

// ---- instance values

std::vector<std::pair<AnsiString, AnsiString>> ParseInstanceValues(const Bytes& content) {
  std::vector<std::pair<AnsiString, AnsiString>> values;
  ByteReader in(content);
  std::string text;
  const std::vector<std::string_view> lines = CountedLines(in, text);
  for (size_t i = 0; i + 2 <= lines.size(); i += 2) values.emplace_back(lines[i], lines[i + 1]);
  return values;
}

std::vector<InstanceParameter> MatchInstanceValues(const std::vector<ParameterDefinition>& definitions,
                                                   const Bytes& content) {
  const auto stored = ParseInstanceValues(content);
  std::vector<InstanceParameter> parameters;
  parameters.reserve(definitions.size());
  for (const auto& d : definitions) {
    InstanceParameter p{d.name, d.type, {}};
    for (const auto& [name, value] : stored)
      if (AnsiSameText(name, d.name)) p.value = value;  // a repeated name: the later value stands
    parameters.push_back(std::move(p));
  }
  return parameters;
}

Bytes EncodeInstanceValues(const std::vector<InstanceParameter>& parameters) {
  Bytes out;
  ByteWriter w(out);
  w.U32(static_cast<uint32_t>(parameters.size() * 2));
  for (const auto& p : parameters) {
    w.Text(OneLine(AnsiLowerCase(p.name)));
    w.Text("\r\n");
    w.Text(OneLine(p.value));
    w.Text("\r\n");
  }
  return out;
}

// ---- multimedia object

MediaKind MultimediaView::Kind() const { return static_cast<MediaKind>(object_.U8(multimedia_rec::kKind)); }

bool MultimediaView::IsFlashAnimation() const {
  if (Kind() != MediaKind::Embedded || !object_.Document()) return false;
  const TYKAoggetto* file = object_.Document()->FindObject(MediaFileId());
  if (!file || file->IsFree()) return false;
  const AnsiString name = AnsiLowerCase(file->ObjectCaption());
  return name.size() >= 4 && name.compare(name.size() - 4, 4, ".swf") == 0;
}

int32_t MultimediaView::MediaFileId() const { return object_.I32(multimedia_rec::kMediaFile); }
int32_t MultimediaView::AlternativePictureId() const { return object_.I32(multimedia_rec::kAlternativePicture); }
bool MultimediaView::PlaysInLoop() const { return object_.U8(multimedia_rec::kAction) == kPlayInLoop; }
int16_t MultimediaView::LoopCount() const { return object_.I16(multimedia_rec::kLoopCount); }
int16_t MultimediaView::LoopsLeft() const { return object_.I16(multimedia_rec::kLoopsLeft); }
int16_t MultimediaView::Width() const { return object_.I16(multimedia_rec::kWidth); }
int16_t MultimediaView::Height() const { return object_.I16(multimedia_rec::kHeight); }
bool MultimediaView::SizeInPercent() const { return object_.U8(multimedia_rec::kSizeInPercent) != 0; }

std::vector<std::pair<AnsiString, AnsiString>> MultimediaView::StoredValues() const {
  Bytes content;
  if (!object_.ReadContent(content)) return {};
  return ParseInstanceValues(content);
}

std::vector<InstanceParameter> MultimediaView::Parameters() const {
  if (!object_.Document()) return {};
  const TYKAoggetto* prototype = object_.Document()->FindObject(PrototypeId());
  if (!prototype || prototype->Kind() != custom || prototype->IsFree()) return {};
  Bytes content;
  if (!object_.ReadContent(content)) content.clear();
  return MatchInstanceValues(PrototypeView(*prototype).Content().parameters, content);
}

void MultimediaRecord::SetKind(MediaKind kind) { edit_.SetU8(multimedia_rec::kKind, static_cast<uint8_t>(kind)); }
void MultimediaRecord::SetMediaFileId(int32_t id) { edit_.SetI32(multimedia_rec::kMediaFile, id); }
void MultimediaRecord::SetAlternativePictureId(int32_t id) { edit_.SetI32(multimedia_rec::kAlternativePicture, id); }
void MultimediaRecord::SetPlaysInLoop(bool on) { edit_.SetU8(multimedia_rec::kAction, on ? kPlayInLoop : 0); }
void MultimediaRecord::SetLoopCount(int16_t count) { edit_.SetI16(multimedia_rec::kLoopCount, count); }
void MultimediaRecord::SetTypedLoopCount(int count) {
  SetLoopCount(static_cast<int16_t>(std::clamp<int>(count, 0, std::numeric_limits<int16_t>::max())));
}
void MultimediaRecord::RestartLoops() { SetLoopsLeft(LoopCount()); }
void MultimediaRecord::SetLoopsLeft(int16_t count) { edit_.SetI16(multimedia_rec::kLoopsLeft, count); }
void MultimediaRecord::SetWidth(int16_t width) { edit_.SetI16(multimedia_rec::kWidth, width); }
void MultimediaRecord::SetHeight(int16_t height) { edit_.SetI16(multimedia_rec::kHeight, height); }
void MultimediaRecord::SetSizeInPercent(bool on) { edit_.SetU8(multimedia_rec::kSizeInPercent, on ? 1 : 0); }
void MultimediaRecord::SetStoredValues(const std::vector<InstanceParameter>& parameters) {
  edit_.SetContent(EncodeInstanceValues(parameters));
}

// ---- prototype

AnsiString PrototypeView::Name() const { return object_.ShortString(prototype_rec::kName, prototype_rec::kNameSize); }
uint8_t PrototypeView::Look() const { return object_.U8(prototype_rec::kLook); }
std::string PrototypeView::Template() const { return object_.AttributeText(); }

PrototypeContent PrototypeView::Content() const {
  Bytes content;
  if (!object_.ReadContent(content)) return {};
  return ParsePrototypeContent(content);
}

}  // namespace tolvane
