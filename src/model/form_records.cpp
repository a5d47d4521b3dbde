#include "model/form_records.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "model/object.h"
#include "model/text_lines.h"

namespace tolvane {
namespace {

bool IsFixedValueType(FormFieldType t) {
  return t == FormFieldType::Hidden || t == FormFieldType::Radio || t == FormFieldType::CheckBox;
}

}  // namespace

uint8_t DefaultFieldSize(FormFieldType type) {
  switch (type) {
    case FormFieldType::Text:
    case FormFieldType::Password:
    case FormFieldType::File: return 20;
    case FormFieldType::List: return kDefaultVisibleRows;
    default: return 0;
  }
}

// ---- option list

std::vector<FormOption> ParseOptionList(std::string_view content) {
  const std::vector<std::string_view> lines = SplitLfLines(content);
  std::vector<FormOption> options;
  options.reserve(lines.size() / 3);
  for (size_t i = 0; i + 3 <= lines.size(); i += 3)
    options.push_back({AnsiString(lines[i]), AnsiString(lines[i + 1]), AnsiString(lines[i + 2])});
  return options;
}

std::string OptionListText(const std::vector<FormOption>& options) {
  std::string out;
  for (const auto& o : options) {
    for (const AnsiString* line : {&o.text, &o.value, &o.flag}) {
      out += *line;
      out += '\n';
    }
  }
  return out;
}

std::vector<size_t> SelectedOptions(const std::vector<FormOption>& options, bool multiSelection,
                                    const std::optional<AnsiString>& givenValue) {
  const std::optional<AnsiString> wanted =
      givenValue ? std::optional<AnsiString>(AnsiLowerCase(*givenValue)) : std::nullopt;
  std::vector<size_t> selected;
  for (size_t i = 0; i < options.size(); ++i) {
    const bool on = wanted ? AnsiLowerCase(options[i].value) == *wanted : options[i].Flagged();
    if (!on) continue;
    if (!multiSelection) selected.clear();  // a single-selection list keeps the last one
    selected.push_back(i);
  }
  return selected;
}

// ---- form field

FormFieldType FormFieldView::Type() const { return static_cast<FormFieldType>(object_.U8(form_field_rec::kType)); }
AnsiString FormFieldView::Name() const { return object_.ShortString(form_field_rec::kName, form_field_rec::kNameSize); }
AnsiString FormFieldView::Value() const {
  return object_.ShortString(form_field_rec::kValue, form_field_rec::kValueSize);
}
uint8_t FormFieldView::Columns() const { return object_.U8(form_field_rec::kColumns); }
uint8_t FormFieldView::Rows() const { return object_.U8(form_field_rec::kRows); }
uint8_t FormFieldView::Size() const { return object_.U8(form_field_rec::kSize); }
bool FormFieldView::ShowsInitialValue() const {
  return IsFixedValueType(Type()) || object_.U8(form_field_rec::kShowsInitialValue) == 1;
}
bool FormFieldView::CheckedByDefault() const { return object_.U8(form_field_rec::kChecked) != 0; }
bool FormFieldView::MultipleSelection() const { return object_.U8(form_field_rec::kMultiple) != 0; }

AnsiString FormFieldView::InitialText() const { return ContentText(object_); }

std::vector<FormOption> FormFieldView::Options() const { return ParseOptionList(ContentText(object_)); }

std::vector<size_t> FormFieldView::Selection(const std::optional<AnsiString>& givenValue) const {
  const bool multi = Type() == FormFieldType::List && MultipleSelection();
  return SelectedOptions(Options(), multi, givenValue);
}

void FormFieldRecord::SetType(FormFieldType type) {
  edit_.SetU8(form_field_rec::kType, static_cast<uint8_t>(type));
  if (IsFixedValueType(type)) edit_.SetU8(form_field_rec::kShowsInitialValue, 1);
  if (type == FormFieldType::DropDown) edit_.SetU8(form_field_rec::kMultiple, 0);
}
void FormFieldRecord::SetName(std::string_view name) {
  edit_.SetShortString(form_field_rec::kName, form_field_rec::kNameSize, name);
}
void FormFieldRecord::SetValue(std::string_view value) {
  edit_.SetShortString(form_field_rec::kValue, form_field_rec::kValueSize, value);
}
void FormFieldRecord::SetColumns(uint8_t columns) { edit_.SetU8(form_field_rec::kColumns, columns); }
void FormFieldRecord::SetRows(uint8_t rows) { edit_.SetU8(form_field_rec::kRows, rows); }
void FormFieldRecord::SetSize(uint8_t size) { edit_.SetU8(form_field_rec::kSize, size); }
void FormFieldRecord::SetShowsInitialValue(bool on) {
  edit_.SetU8(form_field_rec::kShowsInitialValue, on || IsFixedValueType(Type()) ? 1 : 0);
}
void FormFieldRecord::SetCheckedByDefault(bool on) { edit_.SetU8(form_field_rec::kChecked, on ? 1 : 0); }
void FormFieldRecord::SetMultipleSelection(bool on) {
  edit_.SetU8(form_field_rec::kMultiple, on && Type() == FormFieldType::List ? 1 : 0);
}
void FormFieldRecord::SetInitialText(std::string_view text) { edit_.SetContentText(text); }
void FormFieldRecord::SetOptions(const std::vector<FormOption>& options) {
  edit_.SetContentText(OptionListText(options));
  SetRows(static_cast<uint8_t>(std::min<size_t>(options.size(), 255)));
}

// ---- independent frame

bool IndependentFrameView::IsFrame() const {
  return object_.Kind() == inputStat && object_.U8(kStateByte) == input_rec::kFloatingPanel;
}
AnsiString IndependentFrameView::Name() const {
  return object_.ShortString(independent_frame_rec::kName, independent_frame_rec::kNameSize);
}
uint8_t IndependentFrameView::Scrolling() const { return object_.U8(independent_frame_rec::kScrolling); }
uint8_t IndependentFrameView::MarginHeight() const { return object_.U8(independent_frame_rec::kMarginHeight); }
uint8_t IndependentFrameView::MarginWidth() const { return object_.U8(independent_frame_rec::kMarginWidth); }
uint32_t IndependentFrameView::BorderColour() const {
  return static_cast<uint32_t>(object_.I32(independent_frame_rec::kBorderColour));
}
int32_t IndependentFrameView::HoldingPageId() const { return object_.I32(independent_frame_rec::kHoldingPage); }
int32_t IndependentFrameView::ShownPageId() const { return object_.I32(independent_frame_rec::kShownPage); }
bool IndependentFrameView::ShowFrames() const { return object_.U8(independent_frame_rec::kShowFrames) != 0; }
bool IndependentFrameView::NoExtraAttributes() const {
  return object_.U8(independent_frame_rec::kNoExtraAttributes) != 0;
}
uint8_t IndependentFrameView::LinkTarget() const { return object_.U8(independent_frame_rec::kLinkTarget); }
std::string_view IndependentFrameView::LinkTargetName() const {
  static constexpr std::string_view kNames[] = {"_top", "_self", "_parent", "_blank"};
  const uint8_t t = LinkTarget();
  return t < std::size(kNames) ? kNames[t] : std::string_view();
}
bool IndependentFrameView::SizeInPercent() const { return object_.U8(independent_frame_rec::kSizeInPercent) != 0; }
int16_t IndependentFrameView::Height() const { return object_.I16(independent_frame_rec::kHeight); }
int16_t IndependentFrameView::Width() const { return object_.I16(independent_frame_rec::kWidth); }

void IndependentFrameRecord::MarkAsFrame() {
  edit_.SetU8(kStateByte, input_rec::kFloatingPanel);
  std::memset(edit_.Record() + independent_frame_rec::kReserved, 0, independent_frame_rec::kReservedSize);
  SetLinkTarget(0);
}
void IndependentFrameRecord::SetName(std::string_view name) {
  edit_.SetShortString(independent_frame_rec::kName, independent_frame_rec::kNameSize, name);
}
void IndependentFrameRecord::SetScrolling(uint8_t v) { edit_.SetU8(independent_frame_rec::kScrolling, v); }
void IndependentFrameRecord::SetMarginHeight(uint8_t v) { edit_.SetU8(independent_frame_rec::kMarginHeight, v); }
void IndependentFrameRecord::SetMarginWidth(uint8_t v) { edit_.SetU8(independent_frame_rec::kMarginWidth, v); }
void IndependentFrameRecord::SetBorderColour(uint32_t colour) {
  edit_.SetI32(independent_frame_rec::kBorderColour, static_cast<int32_t>(colour));
}
void IndependentFrameRecord::SetHoldingPageId(int32_t id) { edit_.SetI32(independent_frame_rec::kHoldingPage, id); }
void IndependentFrameRecord::SetShownPageId(int32_t id) { edit_.SetI32(independent_frame_rec::kShownPage, id); }
void IndependentFrameRecord::SetShowFrames(bool on) { edit_.SetU8(independent_frame_rec::kShowFrames, on ? 1 : 0); }
void IndependentFrameRecord::SetNoExtraAttributes(bool on) {
  edit_.SetU8(independent_frame_rec::kNoExtraAttributes, on ? 1 : 0);
}
void IndependentFrameRecord::SetLinkTarget(uint8_t target) { edit_.SetU8(independent_frame_rec::kLinkTarget, target); }
void IndependentFrameRecord::SetSizeInPercent(bool on) {
  edit_.SetU8(independent_frame_rec::kSizeInPercent, on ? 1 : 0);
}
void IndependentFrameRecord::SetHeight(int16_t h) { edit_.SetI16(independent_frame_rec::kHeight, h); }
void IndependentFrameRecord::SetWidth(int16_t w) { edit_.SetI16(independent_frame_rec::kWidth, w); }

// ---- dynamic form field

DynamicFieldType DynamicFieldView::Type() const {
  return static_cast<DynamicFieldType>(object_.U8(dynamic_field_rec::kType));
}
AnsiString DynamicFieldView::Name() const {
  return object_.ShortString(dynamic_field_rec::kName, dynamic_field_rec::kNameSize);
}
uint8_t DynamicFieldView::Columns() const { return object_.U8(dynamic_field_rec::kColumns); }
uint8_t DynamicFieldView::Rows() const { return object_.U8(dynamic_field_rec::kRows); }
uint8_t DynamicFieldView::VisibleRows() const { return object_.U8(dynamic_field_rec::kVisibleRows); }
bool DynamicFieldView::MultipleSelection() const { return object_.U8(dynamic_field_rec::kMultiple) != 0; }
AnsiString DynamicFieldView::ServerFileName() const {
  return object_.ShortString(dynamic_field_rec::kServerFile, dynamic_field_rec::kServerFileSize);
}
uint8_t DynamicFieldView::RowSpacing() const { return object_.U8(dynamic_field_rec::kRowSpacing); }
uint8_t DynamicFieldView::CommentRows() const { return object_.U8(dynamic_field_rec::kCommentRows); }

void DynamicFieldRecord::SetType(DynamicFieldType type) {
  edit_.SetU8(dynamic_field_rec::kType, static_cast<uint8_t>(type));
  edit_.SetU8(dynamic_field_rec::kReserved, 0);
  if (type == DynamicFieldType::DropDown) edit_.SetU8(dynamic_field_rec::kMultiple, 0);
}
void DynamicFieldRecord::SetName(std::string_view name) {
  edit_.SetShortString(dynamic_field_rec::kName, dynamic_field_rec::kNameSize, name);
}
void DynamicFieldRecord::SetColumns(uint8_t v) { edit_.SetU8(dynamic_field_rec::kColumns, v); }
void DynamicFieldRecord::SetRows(uint8_t v) { edit_.SetU8(dynamic_field_rec::kRows, v); }
void DynamicFieldRecord::SetVisibleRows(uint8_t v) { edit_.SetU8(dynamic_field_rec::kVisibleRows, v); }
void DynamicFieldRecord::SetMultipleSelection(bool on) {
  edit_.SetU8(dynamic_field_rec::kMultiple, on && Type() == DynamicFieldType::List ? 1 : 0);
}
void DynamicFieldRecord::SetServerFileName(std::string_view name) {
  edit_.SetShortString(dynamic_field_rec::kServerFile, dynamic_field_rec::kServerFileSize, name);
}
void DynamicFieldRecord::SetRowSpacing(uint8_t v) { edit_.SetU8(dynamic_field_rec::kRowSpacing, v); }
void DynamicFieldRecord::SetCommentRows(uint8_t v) { edit_.SetU8(dynamic_field_rec::kCommentRows, v); }

// ---- form button

ButtonAction FormButtonView::Action() const { return static_cast<ButtonAction>(object_.U8(form_button_rec::kAction)); }
AnsiString FormButtonView::Name() const { return object_.ShortString(form_button_rec::kName, form_button_rec::kNameSize); }
AnsiString FormButtonView::Caption() const {
  return object_.ShortString(form_button_rec::kCaption, form_button_rec::kCaptionSize);
}
int32_t FormButtonView::PictureId() const { return object_.I32(form_button_rec::kPicture); }
int32_t FormButtonView::PageId() const { return object_.I32(form_button_rec::kPage); }
int16_t FormButtonView::NaturalWidth() const { return object_.I16(form_button_rec::kNaturalWidth); }
int16_t FormButtonView::NaturalHeight() const { return object_.I16(form_button_rec::kNaturalHeight); }
int16_t FormButtonView::DisplayWidth() const { return object_.I16(form_button_rec::kDisplayWidth); }
int16_t FormButtonView::DisplayHeight() const { return object_.I16(form_button_rec::kDisplayHeight); }
bool FormButtonView::SizeInPercent() const { return object_.U8(form_button_rec::kSizeInPercent) != 0; }

void FormButtonRecord::SetAction(ButtonAction action) {
  edit_.SetU8(form_button_rec::kAction, static_cast<uint8_t>(action));
}
void FormButtonRecord::SetName(std::string_view name) {
  edit_.SetShortString(form_button_rec::kName, form_button_rec::kNameSize, name);
}
void FormButtonRecord::SetCaption(std::string_view caption) {
  edit_.SetShortString(form_button_rec::kCaption, form_button_rec::kCaptionSize, caption);
}
void FormButtonRecord::SetPictureId(int32_t id) { edit_.SetI32(form_button_rec::kPicture, id); }
void FormButtonRecord::SetPageId(int32_t id) { edit_.SetI32(form_button_rec::kPage, id); }
void FormButtonRecord::SetNaturalSize(int16_t width, int16_t height) {
  edit_.SetI16(form_button_rec::kNaturalWidth, width);
  edit_.SetI16(form_button_rec::kNaturalHeight, height);
}
void FormButtonRecord::SetDisplaySize(int16_t width, int16_t height) {
  edit_.SetI16(form_button_rec::kDisplayWidth, width);
  edit_.SetI16(form_button_rec::kDisplayHeight, height);
}
void FormButtonRecord::SetSizeInPercent(bool on) { edit_.SetU8(form_button_rec::kSizeInPercent, on ? 1 : 0); }

// ---- form start

FormMethod FormStartView::Method() const { return static_cast<FormMethod>(object_.U8(form_start_rec::kMethod)); }
AnsiString FormStartView::Action() const {
  return object_.ShortString(form_start_rec::kAction, form_start_rec::kActionSize);
}
bool FormStartView::WritesEncoding() const { return object_.U8(form_start_rec::kWritesEncoding) != 0; }
AnsiString FormStartView::Encoding() const {
  return object_.ShortString(form_start_rec::kEncoding, form_start_rec::kEncodingSize);
}

void FormStartRecord::SetMethod(FormMethod method) { edit_.SetU8(form_start_rec::kMethod, static_cast<uint8_t>(method)); }
void FormStartRecord::SetAction(std::string_view action) {
  edit_.SetShortString(form_start_rec::kAction, form_start_rec::kActionSize, action);
}
void FormStartRecord::SetWritesEncoding(bool on) { edit_.SetU8(form_start_rec::kWritesEncoding, on ? 1 : 0); }
void FormStartRecord::SetEncoding(std::string_view encoding) {
  edit_.SetShortString(form_start_rec::kEncoding, form_start_rec::kEncodingSize, encoding);
}

}  // namespace tolvane
