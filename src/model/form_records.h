// Typed views over the records of the objects that make HTML forms, and of the
// independent frame that shares the form field's kind. Each view reads and
// writes one object's record bytes at their offsets; bytes not named below are
// left as they were read.
//
// Form field (inputStat, types 1..9)
//   OFFSET WIDTH MEANING
//        4     1 field type (FormFieldType)
//       17    80 name, short string
//       97    80 value, short string: initial text (1..3), submitted value (5..7),
//                name of the parameter whose value selects a list entry (8, 9)
//      177     1 text box columns (default 40)
//      178     1 text box rows (default 10); the number of options of a list
//      179     1 size: width in characters (1..3, default 20; 9, default 0 =
//                standard width); visible rows (8, default 10)
//      180     1 1 = the value (1..3) or the content (4) is shown; always 1 for 5..7
//      181     1 checked by default (6, 7)
//      182     1 multiple selection (8; always 0 for 9)
//   content blob: the initial text of a text box (4), the option list (8, 9)
//
// Independent frame (inputStat, type 18)
//   OFFSET WIDTH MEANING
//        4     1 18
//       17    80 name, short string
//       97     1 scrolling
//       98     1 margin height
//       99     1 margin width
//      100     4 border colour, 0x00BBGGRR
//      104     4 id of the page that holds the frame
//      108     4 id of the page shown
//      116     1 show the shown page's frames
//      117     1 write no extra HTML attributes
//      118    59 reserved, written 0
//      177     1 link target: 0 "_top", 1 "_self", 2 "_parent", 3 "_blank"
//      178     1 size in percent
//      180     2 height (pixels, or percent of the page area's height)
//      182     2 width (pixels, or percent of the available width)
//
// Dynamic form field (inputDin), filled from a server file when the page is served
//   OFFSET WIDTH MEANING
//        4     1 type (DynamicFieldType)
//       17    80 name, short string
//      177     1 columns (2, default 40)
//      178     1 rows (2, default 10)
//      179     1 visible rows (6, default 10)
//      182     1 multiple selection (6; always 0 for 7)
//      183     1 reserved, written 0
//      320   128 name of the file to read on the server, short string
//      448     1 live list: spacing between rows
//      449     1 live list: number of comment rows
//
// Form button (bottoneCGI)
//   OFFSET WIDTH MEANING
//        4     1 action (ButtonAction)
//       17    80 name, short string
//       97    80 caption, also the value submitted with the name, short string
//      177     4 picture (immagine id), -1 = text button
//      181     4 page to show (object id), -1 none
//      186   2+2 natural width and height of the picture
//      190   2+2 display width and height of the picture, pixels
//      194     1 size entered as percent of the natural size (the dialog's choice)
//
// Form start (inizioForm)
//   OFFSET WIDTH MEANING
//        4     1 method (FormMethod)
//       17   256 action, short string: script address (1, 2), e-mail address (4),
//                title of the file dialog (5)
//      273     1 write the encoding type (1, 2)
//      276    80 encoding type, short string (1, 2)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ansi.h"
#include "model/kinds.h"
#include "model/record_fields.h"

namespace tolvane {

class TYKAoggetto;

namespace form_field_rec {
constexpr size_t kType = kStateByte;
constexpr size_t kName = 17, kNameSize = 80;
constexpr size_t kValue = 97, kValueSize = 80;
constexpr size_t kColumns = 177, kRows = 178, kSize = 179;
constexpr size_t kShowsInitialValue = 180, kChecked = 181, kMultiple = 182;
}  // namespace form_field_rec

namespace independent_frame_rec {
constexpr size_t kName = 17, kNameSize = 80;
constexpr size_t kScrolling = 97, kMarginHeight = 98, kMarginWidth = 99;
constexpr size_t kBorderColour = 100, kHoldingPage = 104, kShownPage = 108;
constexpr size_t kShowFrames = 116, kNoExtraAttributes = 117;
constexpr size_t kReserved = 118, kReservedSize = 59;
constexpr size_t kLinkTarget = 177, kSizeInPercent = 178, kHeight = 180, kWidth = 182;
static_assert(kShownPage == input_rec::kPage);
}  // namespace independent_frame_rec

namespace dynamic_field_rec {
constexpr size_t kType = kStateByte;
constexpr size_t kName = 17, kNameSize = 80;
constexpr size_t kColumns = 177, kRows = 178, kVisibleRows = 179, kMultiple = 182, kReserved = 183;
constexpr size_t kServerFile = 320, kServerFileSize = 128;
constexpr size_t kRowSpacing = 448, kCommentRows = 449;
}  // namespace dynamic_field_rec

namespace form_button_rec {
constexpr size_t kAction = kStateByte;
constexpr size_t kName = 17, kNameSize = 80;
constexpr size_t kCaption = 97, kCaptionSize = 80;
constexpr size_t kPicture = 177, kPage = 181;
constexpr size_t kNaturalWidth = 186, kNaturalHeight = 188;
constexpr size_t kDisplayWidth = 190, kDisplayHeight = 192;
constexpr size_t kSizeInPercent = 194;
static_assert(kPicture == button_rec::kPicture && kPage == button_rec::kLink);
}  // namespace form_button_rec

namespace form_start_rec {
constexpr size_t kMethod = kStateByte;
constexpr size_t kAction = 17, kActionSize = 256;
constexpr size_t kWritesEncoding = 273;
constexpr size_t kEncoding = 276, kEncodingSize = 80;
}  // namespace form_start_rec

// The enumerations have a fixed underlying type so that any stored byte,
// also one outside the list, survives a read and a write.
enum class FormFieldType : uint8_t {
  Text = 1,
  Password = 2,
  File = 3,
  TextBox = 4,
  Hidden = 5,
  Radio = 6,
  CheckBox = 7,
  List = 8,
  DropDown = 9,
  IndependentFrame = 18,
};

enum class DynamicFieldType : uint8_t { TextBox = 2, List = 6, DropDown = 7, LiveList = 11, FreeOutput = 12 };

enum class ButtonAction : uint8_t { Submit = 1, SubmitPicture = 2, RestoreFields = 3, ClearFields = 4 };

enum class FormMethod : uint8_t { Get = 1, Post = 2, CallPage = 3, Mail = 4, SaveToFile = 5 };

constexpr uint8_t kDefaultTextBoxColumns = 40;
constexpr uint8_t kDefaultTextBoxRows = 10;
constexpr uint8_t kDefaultVisibleRows = 10;
constexpr uint8_t kDefaultFrameMargin = 2;
// The size a field of this type gets when none can be read: 20 characters for
// one-line fields, 10 visible rows for a list, 0 (standard width) otherwise.
uint8_t DefaultFieldSize(FormFieldType type);

// ---- option list of a list or drop-down field: lines in groups of three

struct FormOption {
  AnsiString text;   // shown
  AnsiString value;  // submitted
  AnsiString flag;   // as typed in the grid, "X" for a selected option
  // Empty, "n" and "N" leave the option unselected; anything else selects it.
  bool Flagged() const { return !(flag.empty() || flag == "n" || flag == "N"); }
};

// Lines end with LF (a CR before it is dropped); an incomplete last group is ignored.
std::vector<FormOption> ParseOptionList(std::string_view content);
// Three LF-ended lines per option.
std::string OptionListText(const std::vector<FormOption>& options);
// Indices of the options a list shows selected, in ascending order. With a
// given value, the options whose value equals it in lower case stand in for
// the flags. A multi-selection list selects every such option; any other list
// only the last one.
std::vector<size_t> SelectedOptions(const std::vector<FormOption>& options, bool multiSelection,
                                    const std::optional<AnsiString>& givenValue = std::nullopt);

// ---- form field

class FormFieldView {
 public:
  explicit FormFieldView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  FormFieldType Type() const;
  bool IsList() const { return Type() == FormFieldType::List || Type() == FormFieldType::DropDown; }
  AnsiString Name() const;
  AnsiString Value() const;
  uint8_t Columns() const;
  uint8_t Rows() const;
  uint8_t OptionCount() const { return Rows(); }
  uint8_t Size() const;
  // True when the stored byte is 1, and always for hidden fields, radio buttons and check boxes.
  bool ShowsInitialValue() const;
  bool CheckedByDefault() const;
  bool MultipleSelection() const;

  // The text box's initial text.
  AnsiString InitialText() const;
  // The option list; empty when the content cannot be read.
  std::vector<FormOption> Options() const;
  // The selected options of this field (multi-selection only for a list box).
  std::vector<size_t> Selection(const std::optional<AnsiString>& givenValue = std::nullopt) const;

 private:
  const TYKAoggetto& object_;
};

class FormFieldRecord : public FormFieldView {
 public:
  explicit FormFieldRecord(TYKAoggetto& object) : FormFieldView(object), edit_(object) {}

  // Also writes what the type fixes: 180 = 1 for types 5..7, 182 = 0 for type 9.
  void SetType(FormFieldType type);
  void SetName(std::string_view name);
  void SetValue(std::string_view value);
  void SetColumns(uint8_t columns);
  void SetRows(uint8_t rows);
  void SetSize(uint8_t size);
  void SetShowsInitialValue(bool on);
  void SetCheckedByDefault(bool on);
  // Stored only for a list box; other types keep 0.
  void SetMultipleSelection(bool on);
  void SetInitialText(std::string_view text);
  // Writes the content and the option count (at most 255).
  void SetOptions(const std::vector<FormOption>& options);

 private:
  TYKAoggetto& edit_;
};

// ---- independent frame

class IndependentFrameView {
 public:
  explicit IndependentFrameView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  bool IsFrame() const;
  AnsiString Name() const;
  uint8_t Scrolling() const;
  uint8_t MarginHeight() const;
  uint8_t MarginWidth() const;
  uint32_t BorderColour() const;
  int32_t HoldingPageId() const;
  int32_t ShownPageId() const;
  bool ShowFrames() const;
  bool NoExtraAttributes() const;
  uint8_t LinkTarget() const;
  // "_top", "_self", "_parent" or "_blank"; empty for other values.
  std::string_view LinkTargetName() const;
  bool SizeInPercent() const;
  int16_t Height() const;
  int16_t Width() const;

 private:
  const TYKAoggetto& object_;
};

class IndependentFrameRecord : public IndependentFrameView {
 public:
  explicit IndependentFrameRecord(TYKAoggetto& object) : IndependentFrameView(object), edit_(object) {}

  // What storing a frame always writes: type 18, link target 0, reserved bytes 0.
  void MarkAsFrame();
  void SetName(std::string_view name);
  void SetScrolling(uint8_t value);
  void SetMarginHeight(uint8_t value);
  void SetMarginWidth(uint8_t value);
  void SetBorderColour(uint32_t colour);
  void SetHoldingPageId(int32_t id);
  void SetShownPageId(int32_t id);
  void SetShowFrames(bool on);
  void SetNoExtraAttributes(bool on);
  void SetLinkTarget(uint8_t target);
  void SetSizeInPercent(bool on);
  void SetHeight(int16_t height);
  void SetWidth(int16_t width);

 private:
  TYKAoggetto& edit_;
};

// ---- dynamic form field

class DynamicFieldView {
 public:
  explicit DynamicFieldView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  DynamicFieldType Type() const;
  AnsiString Name() const;
  uint8_t Columns() const;
  uint8_t Rows() const;
  uint8_t VisibleRows() const;
  bool MultipleSelection() const;
  AnsiString ServerFileName() const;
  uint8_t RowSpacing() const;
  uint8_t CommentRows() const;

 private:
  const TYKAoggetto& object_;
};

class DynamicFieldRecord : public DynamicFieldView {
 public:
  explicit DynamicFieldRecord(TYKAoggetto& object) : DynamicFieldView(object), edit_(object) {}

  // Also clears the reserved byte, and multiple selection for a drop-down list.
  void SetType(DynamicFieldType type);
  void SetName(std::string_view name);
  void SetColumns(uint8_t columns);
  void SetRows(uint8_t rows);
  void SetVisibleRows(uint8_t rows);
  // Stored only for a list; other types keep 0.
  void SetMultipleSelection(bool on);
  void SetServerFileName(std::string_view name);
  void SetRowSpacing(uint8_t spacing);
  void SetCommentRows(uint8_t rows);

 private:
  TYKAoggetto& edit_;
};

// ---- form button

class FormButtonView {
 public:
  explicit FormButtonView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  ButtonAction Action() const;
  AnsiString Name() const;
  AnsiString Caption() const;
  int32_t PictureId() const;
  bool IsTextButton() const { return PictureId() == kNoObject; }
  int32_t PageId() const;
  int16_t NaturalWidth() const;
  int16_t NaturalHeight() const;
  int16_t DisplayWidth() const;
  int16_t DisplayHeight() const;
  bool SizeInPercent() const;

 private:
  const TYKAoggetto& object_;
};

class FormButtonRecord : public FormButtonView {
 public:
  explicit FormButtonRecord(TYKAoggetto& object) : FormButtonView(object), edit_(object) {}

  void SetAction(ButtonAction action);
  void SetName(std::string_view name);
  void SetCaption(std::string_view caption);
  void SetPictureId(int32_t id);
  void SetPageId(int32_t id);
  void SetNaturalSize(int16_t width, int16_t height);
  void SetDisplaySize(int16_t width, int16_t height);
  void SetSizeInPercent(bool on);

 private:
  TYKAoggetto& edit_;
};

// ---- form start

class FormStartView {
 public:
  explicit FormStartView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  FormMethod Method() const;
  // Only the script methods submit data to an address.
  bool CallsScript() const { return Method() == FormMethod::Get || Method() == FormMethod::Post; }
  AnsiString Action() const;
  bool WritesEncoding() const;
  AnsiString Encoding() const;

 private:
  const TYKAoggetto& object_;
};

class FormStartRecord : public FormStartView {
 public:
  explicit FormStartRecord(TYKAoggetto& object) : FormStartView(object), edit_(object) {}

  void SetMethod(FormMethod method);
  void SetAction(std::string_view action);
  void SetWritesEncoding(bool on);
  void SetEncoding(std::string_view encoding);

 private:
  TYKAoggetto& edit_;
};

}  // namespace tolvane
