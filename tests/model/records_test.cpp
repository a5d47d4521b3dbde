#include <array>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "model/form_records.h"
#include "model/media_records.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;

// Record bytes start as a pattern, so that writing 0xFF or 0 shows.
constexpr uint8_t kPattern = 0xA5;

std::unique_ptr<TYKAoggetto> PatternObject(TOggettiHel kind) {
  auto o = TYKAoggetto::Create(kind, nullptr);
  std::memset(o->Record(), kPattern, kRecordBytes);
  return o;
}

Bytes Text(std::string_view s) { return ToBytes(s); }

TEST(RecordViews, EveryFieldIsWrittenAtItsOffsetAndNothingElseChanges) {
  using Write = std::function<void(TYKAoggetto&)>;
  using Check = std::function<bool(const TYKAoggetto&)>;
  struct Case {
    const char* field;
    TOggettiHel kind;
    uint8_t typeBefore;  // state byte the write starts from, kPattern for none
    std::vector<std::pair<size_t, Bytes>> changes;
    Write write;
    Check readBack;
  };
  const Case cases[] = {
      // form field
      {"field type", inputStat, kPattern, {{4, {8}}},
       [](auto& o) { FormFieldRecord(o).SetType(FormFieldType::List); },
       [](auto& o) { return FormFieldView(o).Type() == FormFieldType::List; }},
      {"field name", inputStat, kPattern, {{17, Text("\x02" "ab")}},
       [](auto& o) { FormFieldRecord(o).SetName("ab"); }, [](auto& o) { return FormFieldView(o).Name() == "ab"; }},
      {"field value", inputStat, kPattern, {{97, Text("\x03" "val")}},
       [](auto& o) { FormFieldRecord(o).SetValue("val"); }, [](auto& o) { return FormFieldView(o).Value() == "val"; }},
      {"columns", inputStat, kPattern, {{177, {41}}}, [](auto& o) { FormFieldRecord(o).SetColumns(41); },
       [](auto& o) { return FormFieldView(o).Columns() == 41; }},
      {"rows", inputStat, kPattern, {{178, {12}}}, [](auto& o) { FormFieldRecord(o).SetRows(12); },
       [](auto& o) { return FormFieldView(o).Rows() == 12 && FormFieldView(o).OptionCount() == 12; }},
      {"size", inputStat, kPattern, {{179, {33}}}, [](auto& o) { FormFieldRecord(o).SetSize(33); },
       [](auto& o) { return FormFieldView(o).Size() == 33; }},
      {"shows initial value", inputStat, 1, {{180, {1}}}, [](auto& o) { FormFieldRecord(o).SetShowsInitialValue(true); },
       [](auto& o) { return FormFieldView(o).ShowsInitialValue(); }},
      {"checked", inputStat, 7, {{181, {0}}}, [](auto& o) { FormFieldRecord(o).SetCheckedByDefault(false); },
       [](auto& o) { return !FormFieldView(o).CheckedByDefault(); }},
      {"multiple selection", inputStat, 8, {{182, {1}}}, [](auto& o) { FormFieldRecord(o).SetMultipleSelection(true); },
       [](auto& o) { return FormFieldView(o).MultipleSelection(); }},
      // independent frame
      {"scrolling", inputStat, 18, {{97, {1}}}, [](auto& o) { IndependentFrameRecord(o).SetScrolling(1); },
       [](auto& o) { return IndependentFrameView(o).Scrolling() == 1; }},
      {"margin height", inputStat, 18, {{98, {5}}}, [](auto& o) { IndependentFrameRecord(o).SetMarginHeight(5); },
       [](auto& o) { return IndependentFrameView(o).MarginHeight() == 5; }},
      {"margin width", inputStat, 18, {{99, {6}}}, [](auto& o) { IndependentFrameRecord(o).SetMarginWidth(6); },
       [](auto& o) { return IndependentFrameView(o).MarginWidth() == 6; }},
      {"border colour", inputStat, 18, {{100, {0x33, 0x22, 0x11, 0x00}}},
       [](auto& o) { IndependentFrameRecord(o).SetBorderColour(0x112233); },
       [](auto& o) { return IndependentFrameView(o).BorderColour() == 0x112233u; }},
      {"holding page", inputStat, 18, {{104, {4, 3, 2, 1}}},
       [](auto& o) { IndependentFrameRecord(o).SetHoldingPageId(0x01020304); },
       [](auto& o) { return IndependentFrameView(o).HoldingPageId() == 0x01020304; }},
      {"shown page", inputStat, 18, {{108, {0xFF, 0xFF, 0xFF, 0xFF}}},
       [](auto& o) { IndependentFrameRecord(o).SetShownPageId(-1); },
       [](auto& o) { return IndependentFrameView(o).ShownPageId() == -1; }},
      {"show frames", inputStat, 18, {{116, {1}}}, [](auto& o) { IndependentFrameRecord(o).SetShowFrames(true); },
       [](auto& o) { return IndependentFrameView(o).ShowFrames(); }},
      {"no extra attributes", inputStat, 18, {{117, {0}}},
       [](auto& o) { IndependentFrameRecord(o).SetNoExtraAttributes(false); },
       [](auto& o) { return !IndependentFrameView(o).NoExtraAttributes(); }},
      {"link target", inputStat, 18, {{177, {3}}}, [](auto& o) { IndependentFrameRecord(o).SetLinkTarget(3); },
       [](auto& o) { return IndependentFrameView(o).LinkTargetName() == "_blank"; }},
      {"frame percent", inputStat, 18, {{178, {1}}}, [](auto& o) { IndependentFrameRecord(o).SetSizeInPercent(true); },
       [](auto& o) { return IndependentFrameView(o).SizeInPercent(); }},
      {"frame height", inputStat, 18, {{180, {0x2C, 0x01}}}, [](auto& o) { IndependentFrameRecord(o).SetHeight(300); },
       [](auto& o) { return IndependentFrameView(o).Height() == 300; }},
      {"frame width", inputStat, 18, {{182, {0xFE, 0xFF}}}, [](auto& o) { IndependentFrameRecord(o).SetWidth(-2); },
       [](auto& o) { return IndependentFrameView(o).Width() == -2; }},
      // dynamic field
      {"dynamic type", inputDin, kPattern, {{4, {11}}, {183, {0}}},
       [](auto& o) { DynamicFieldRecord(o).SetType(DynamicFieldType::LiveList); },
       [](auto& o) { return DynamicFieldView(o).Type() == DynamicFieldType::LiveList; }},
      {"dynamic name", inputDin, kPattern, {{17, Text("\x01" "d")}}, [](auto& o) { DynamicFieldRecord(o).SetName("d"); },
       [](auto& o) { return DynamicFieldView(o).Name() == "d"; }},
      {"dynamic columns", inputDin, kPattern, {{177, {60}}}, [](auto& o) { DynamicFieldRecord(o).SetColumns(60); },
       [](auto& o) { return DynamicFieldView(o).Columns() == 60; }},
      {"dynamic rows", inputDin, kPattern, {{178, {4}}}, [](auto& o) { DynamicFieldRecord(o).SetRows(4); },
       [](auto& o) { return DynamicFieldView(o).Rows() == 4; }},
      {"dynamic visible rows", inputDin, kPattern, {{179, {7}}}, [](auto& o) { DynamicFieldRecord(o).SetVisibleRows(7); },
       [](auto& o) { return DynamicFieldView(o).VisibleRows() == 7; }},
      {"dynamic multiple", inputDin, 6, {{182, {1}}}, [](auto& o) { DynamicFieldRecord(o).SetMultipleSelection(true); },
       [](auto& o) { return DynamicFieldView(o).MultipleSelection(); }},
      {"server file", inputDin, kPattern, {{320, Text("\x05" "f.txt")}},
       [](auto& o) { DynamicFieldRecord(o).SetServerFileName("f.txt"); },
       [](auto& o) { return DynamicFieldView(o).ServerFileName() == "f.txt"; }},
      {"row spacing", inputDin, kPattern, {{448, {2}}}, [](auto& o) { DynamicFieldRecord(o).SetRowSpacing(2); },
       [](auto& o) { return DynamicFieldView(o).RowSpacing() == 2; }},
      {"comment rows", inputDin, kPattern, {{449, {3}}}, [](auto& o) { DynamicFieldRecord(o).SetCommentRows(3); },
       [](auto& o) { return DynamicFieldView(o).CommentRows() == 3; }},
      // form button
      {"button action", bottoneCGI, kPattern, {{4, {4}}},
       [](auto& o) { FormButtonRecord(o).SetAction(ButtonAction::ClearFields); },
       [](auto& o) { return FormButtonView(o).Action() == ButtonAction::ClearFields; }},
      {"button name", bottoneCGI, kPattern, {{17, Text("\x02" "ok")}}, [](auto& o) { FormButtonRecord(o).SetName("ok"); },
       [](auto& o) { return FormButtonView(o).Name() == "ok"; }},
      {"button caption", bottoneCGI, kPattern, {{97, Text("\x03" "Go!")}},
       [](auto& o) { FormButtonRecord(o).SetCaption("Go!"); },
       [](auto& o) { return FormButtonView(o).Caption() == "Go!"; }},
      {"button picture", bottoneCGI, kPattern, {{177, {0xFF, 0xFF, 0xFF, 0xFF}}},
       [](auto& o) { FormButtonRecord(o).SetPictureId(-1); }, [](auto& o) { return FormButtonView(o).IsTextButton(); }},
      {"button page", bottoneCGI, kPattern, {{181, {7, 0, 0, 0}}}, [](auto& o) { FormButtonRecord(o).SetPageId(7); },
       [](auto& o) { return FormButtonView(o).PageId() == 7; }},
      {"natural size", bottoneCGI, kPattern, {{186, {0x80, 0x02, 0xE0, 0x01}}},
       [](auto& o) { FormButtonRecord(o).SetNaturalSize(640, 480); },
       [](auto& o) { return FormButtonView(o).NaturalWidth() == 640 && FormButtonView(o).NaturalHeight() == 480; }},
      {"display size", bottoneCGI, kPattern, {{190, {0x40, 0x01, 0xFF, 0xFF}}},
       [](auto& o) { FormButtonRecord(o).SetDisplaySize(320, -1); },
       [](auto& o) { return FormButtonView(o).DisplayWidth() == 320 && FormButtonView(o).DisplayHeight() == -1; }},
      {"button percent", bottoneCGI, kPattern, {{194, {0}}}, [](auto& o) { FormButtonRecord(o).SetSizeInPercent(false); },
       [](auto& o) { return !FormButtonView(o).SizeInPercent(); }},
      // form start
      {"method", inizioForm, kPattern, {{4, {5}}}, [](auto& o) { FormStartRecord(o).SetMethod(FormMethod::SaveToFile); },
       [](auto& o) { return FormStartView(o).Method() == FormMethod::SaveToFile && !FormStartView(o).CallsScript(); }},
      {"form action", inizioForm, kPattern, {{17, Text("\x06" "/s.cgi")}},
       [](auto& o) { FormStartRecord(o).SetAction("/s.cgi"); },
       [](auto& o) { return FormStartView(o).Action() == "/s.cgi"; }},
      {"writes encoding", inizioForm, kPattern, {{273, {1}}}, [](auto& o) { FormStartRecord(o).SetWritesEncoding(true); },
       [](auto& o) { return FormStartView(o).WritesEncoding(); }},
      {"encoding", inizioForm, kPattern, {{276, Text("\x04" "text")}}, [](auto& o) { FormStartRecord(o).SetEncoding("text"); },
       [](auto& o) { return FormStartView(o).Encoding() == "text"; }},
      // multimedia object
      {"media kind", multiMedia, kPattern, {{4, {6}}},
       [](auto& o) { MultimediaRecord(o).SetKind(MediaKind::PrototypeInstance); },
       [](auto& o) { return MultimediaView(o).IsPrototypeInstance(); }},
      {"media file", multiMedia, kPattern, {{17, {1, 0, 0, 3}}},
       [](auto& o) { MultimediaRecord(o).SetMediaFileId(MakeObjectId(genLink, 1)); },
       [](auto& o) { return MultimediaView(o).MediaFileId() == MakeObjectId(genLink, 1); }},
      {"alternative picture", multiMedia, kPattern, {{21, {2, 0, 0, 5}}},
       [](auto& o) { MultimediaRecord(o).SetAlternativePictureId(MakeObjectId(immagine, 2)); },
       [](auto& o) { return MultimediaView(o).AlternativePictureId() == MakeObjectId(immagine, 2); }},
      {"loop action", multiMedia, kPattern, {{25, {1}}}, [](auto& o) { MultimediaRecord(o).SetPlaysInLoop(true); },
       [](auto& o) { return MultimediaView(o).PlaysInLoop(); }},
      {"loop count", multiMedia, kPattern, {{27, {0xFF, 0xFF}}},
       [](auto& o) { MultimediaRecord(o).SetLoopCount(kEndlessLoop); },
       [](auto& o) { return MultimediaView(o).LoopCount() == -1; }},
      {"loops left", multiMedia, kPattern, {{31, {3, 0}}}, [](auto& o) { MultimediaRecord(o).SetLoopsLeft(3); },
       [](auto& o) { return MultimediaView(o).LoopsLeft() == 3; }},
      {"media width", multiMedia, kPattern, {{33, {100, 0}}}, [](auto& o) { MultimediaRecord(o).SetWidth(100); },
       [](auto& o) { return MultimediaView(o).Width() == 100; }},
      {"media height", multiMedia, kPattern, {{35, {50, 0}}}, [](auto& o) { MultimediaRecord(o).SetHeight(50); },
       [](auto& o) { return MultimediaView(o).Height() == 50; }},
      {"media percent", multiMedia, kPattern, {{37, {0}}}, [](auto& o) { MultimediaRecord(o).SetSizeInPercent(false); },
       [](auto& o) { return !MultimediaView(o).SizeInPercent(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    auto o = PatternObject(c.kind);
    o->SetState(c.typeBefore);
    Bytes expected(o->Record(), o->Record() + kRecordBytes);
    for (const auto& [offset, bytes] : c.changes) std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
    c.write(*o);
    EXPECT_EQ(Bytes(o->Record(), o->Record() + kRecordBytes), expected);
    EXPECT_TRUE(c.readBack(*o));
  }
}

TEST(RecordViews, ShortStringsStopAtTheirFieldWidth) {
  using Write = std::function<void(TYKAoggetto&, std::string_view)>;
  using Read = std::function<AnsiString(const TYKAoggetto&)>;
  struct Case {
    const char* field;
    TOggettiHel kind;
    size_t offset, width;
    Write write;
    Read read;
  };
  const Case cases[] = {
      {"field name", inputStat, 17, 80, [](auto& o, auto t) { FormFieldRecord(o).SetName(t); },
       [](auto& o) { return FormFieldView(o).Name(); }},
      {"field value", inputStat, 97, 80, [](auto& o, auto t) { FormFieldRecord(o).SetValue(t); },
       [](auto& o) { return FormFieldView(o).Value(); }},
      {"frame name", inputStat, 17, 80, [](auto& o, auto t) { IndependentFrameRecord(o).SetName(t); },
       [](auto& o) { return IndependentFrameView(o).Name(); }},
      {"server file", inputDin, 320, 128, [](auto& o, auto t) { DynamicFieldRecord(o).SetServerFileName(t); },
       [](auto& o) { return DynamicFieldView(o).ServerFileName(); }},
      {"button caption", bottoneCGI, 97, 80, [](auto& o, auto t) { FormButtonRecord(o).SetCaption(t); },
       [](auto& o) { return FormButtonView(o).Caption(); }},
      {"form action", inizioForm, 17, 256, [](auto& o, auto t) { FormStartRecord(o).SetAction(t); },
       [](auto& o) { return FormStartView(o).Action(); }},
      {"encoding", inizioForm, 276, 80, [](auto& o, auto t) { FormStartRecord(o).SetEncoding(t); },
       [](auto& o) { return FormStartView(o).Encoding(); }},
      {"prototype name", custom, 17, 41, [](auto& o, auto t) { o.SetCaption(t); },
       [](auto& o) { return PrototypeView(o).Name(); }},
  };
  const std::string longText(300, 'x');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    auto o = PatternObject(c.kind);
    c.write(*o, longText);
    const size_t kept = std::min<size_t>(c.width - 1, 255);
    EXPECT_EQ(o->U8(c.offset), kept);
    EXPECT_EQ(c.read(*o), longText.substr(0, kept));
    EXPECT_EQ(o->U8(c.offset + c.width), kPattern);  // the next field is untouched
    // A length byte beyond the field reads as the field's full width.
    o->SetU8(c.offset, 255);
    EXPECT_EQ(c.read(*o).size(), kept);
  }
}

TEST(RecordViews, NewObjectsCarryTheFieldDefaults) {
  DocFixture f;
  FormFieldView field(*f.doc->CreateObject(inputStat));
  EXPECT_EQ(field.Type(), FormFieldType::Text);
  EXPECT_EQ(field.Columns(), 40);
  EXPECT_EQ(field.Rows(), 10);
  EXPECT_EQ(field.Size(), 20);

  TYKAoggetto* dynamicObject = f.doc->CreateObject(inputDin);
  DynamicFieldView dynamic(*dynamicObject);
  EXPECT_EQ(dynamic.Columns(), 40);
  EXPECT_EQ(dynamic.Rows(), 10);
  EXPECT_EQ(dynamic.VisibleRows(), 10);
  EXPECT_EQ(dynamicObject->U8(dynamic_field_rec::kReserved), 0);

  FormButtonView button(*f.doc->CreateObject(bottoneCGI));
  EXPECT_EQ(button.Action(), ButtonAction::Submit);
  EXPECT_TRUE(button.IsTextButton());
  EXPECT_EQ(button.PageId(), kNoObject);

  MultimediaView media(*f.doc->CreateObject(multiMedia));
  EXPECT_EQ(media.MediaFileId(), kNoObject);
  EXPECT_EQ(media.AlternativePictureId(), kNoObject);

  // A freed field gets the defaults back.
  TYKAoggetto* used = f.doc->CreateObject(inputStat);
  FormFieldRecord(*used).SetColumns(3);
  used->Reset();
  EXPECT_TRUE(used->IsFree());
  EXPECT_EQ(FormFieldView(*used).Columns(), 40);

  // The size a dialog falls back on, by type.
  const std::pair<FormFieldType, int> sizes[] = {{FormFieldType::Text, 20},    {FormFieldType::Password, 20},
                                                 {FormFieldType::File, 20},    {FormFieldType::List, 10},
                                                 {FormFieldType::DropDown, 0}, {FormFieldType::TextBox, 0}};
  for (auto [type, size] : sizes) EXPECT_EQ(DefaultFieldSize(type), size) << static_cast<int>(type);
}

TEST(RecordViews, TheTypeFixesSomeFlags) {
  auto o = PatternObject(inputStat);
  FormFieldRecord field(*o);
  o->SetU8(form_field_rec::kShowsInitialValue, 0);
  field.SetType(FormFieldType::CheckBox);
  EXPECT_EQ(o->U8(form_field_rec::kShowsInitialValue), 1);
  field.SetShowsInitialValue(false);  // hidden fields, radio buttons and check boxes always show their value
  EXPECT_EQ(o->U8(form_field_rec::kShowsInitialValue), 1);
  field.SetType(FormFieldType::Text);
  field.SetShowsInitialValue(false);
  EXPECT_FALSE(field.ShowsInitialValue());

  field.SetType(FormFieldType::List);
  field.SetMultipleSelection(true);
  EXPECT_TRUE(field.MultipleSelection());
  field.SetType(FormFieldType::DropDown);
  EXPECT_FALSE(field.MultipleSelection());
  field.SetMultipleSelection(true);
  EXPECT_EQ(o->U8(form_field_rec::kMultiple), 0);

  auto dynamicObject = PatternObject(inputDin);
  DynamicFieldRecord dynamic(*dynamicObject);
  dynamic.SetType(DynamicFieldType::List);
  dynamic.SetMultipleSelection(true);
  dynamic.SetType(DynamicFieldType::DropDown);
  EXPECT_FALSE(dynamic.MultipleSelection());
}

TEST(RecordViews, StoringAFrameClearsTheReservedBytesAndTheTarget) {
  auto o = PatternObject(inputStat);
  IndependentFrameRecord frame(*o);
  EXPECT_FALSE(frame.IsFrame());
  frame.MarkAsFrame();
  EXPECT_TRUE(frame.IsFrame());
  EXPECT_EQ(frame.LinkTarget(), 0);
  EXPECT_EQ(frame.LinkTargetName(), "_top");
  for (size_t i = 118; i < 177; ++i) EXPECT_EQ(o->U8(i), 0) << i;
  EXPECT_EQ(o->U8(117), kPattern);
  EXPECT_EQ(o->U8(178), kPattern);

  const std::pair<uint8_t, std::string_view> targets[] = {
      {0, "_top"}, {1, "_self"}, {2, "_parent"}, {3, "_blank"}, {4, ""}, {255, ""}};
  for (auto [value, name] : targets) {
    frame.SetLinkTarget(value);
    EXPECT_EQ(frame.LinkTargetName(), name) << int(value);
  }
}

// ---- option lists

TEST(OptionList, LinesInGroupsOfThree) {
  struct Case {
    const char* content;
    std::vector<std::array<const char*, 3>> options;
  } cases[] = {
      {"", {}},
      {"Un\n1\nX\nDeux\n2\n\n", {{"Un", "1", "X"}, {"Deux", "2", ""}}},
      {"Un\r\n1\r\nX\r\n", {{"Un", "1", "X"}}},                // CR LF lines read alike
      {"Un\n1\nX\nDeux\n", {{"Un", "1", "X"}}},                // a last group of one line is ignored
      {"Un\n1\nX\nDeux\n2\n", {{"Un", "1", "X"}}},             // ... and of two
      {"Un\n1\nx", {{"Un", "1", "x"}}},                        // no final line feed
      {"\n\n\n", {{"", "", ""}}},                              // empty lines count
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.content)));
    const auto options = ParseOptionList(c.content);
    ASSERT_EQ(options.size(), c.options.size());
    for (size_t i = 0; i < options.size(); ++i) {
      EXPECT_EQ(options[i].text, c.options[i][0]);
      EXPECT_EQ(options[i].value, c.options[i][1]);
      EXPECT_EQ(options[i].flag, c.options[i][2]);
    }
  }

  const std::pair<const char*, bool> flags[] = {{"", false}, {"n", false}, {"N", false}, {"X", true},
                                                {"x", true}, {"no", true},  {"0", true},  {" ", true}};
  for (auto [flag, selected] : flags) EXPECT_EQ((FormOption{"t", "v", flag}.Flagged()), selected) << '"' << flag << '"';
}

TEST(OptionList, WrittenBackWithLineFeedsAndCounted) {
  DocFixture f;
  TYKAoggetto* o = f.doc->CreateObject(inputStat);
  FormFieldRecord field(*o);
  field.SetType(FormFieldType::List);
  o->SetContentText("Un\r\n1\r\nX\r\nDeux\r\n2\r\n\r\nTrois\r\n");
  std::vector<FormOption> options = field.Options();
  ASSERT_EQ(options.size(), 2u);
  options.push_back({"Quatre", "4", "n"});
  field.SetOptions(options);
  Bytes content;
  ASSERT_TRUE(o->ReadContent(content));
  EXPECT_EQ(AsText(content), "Un\n1\nX\nDeux\n2\n\nQuatre\n4\nn\n");
  EXPECT_EQ(field.OptionCount(), 3);
  EXPECT_EQ(field.Options().size(), 3u);
}

TEST(OptionList, WhichOptionsAreSelected) {
  const std::vector<FormOption> options = {
      {"Un", "un", "X"}, {"Deux", "Deux", ""}, {"Trois", "trois", "X"}, {"Quatre", "quatre", "n"}, {"Bis", "DEUX", ""}};
  struct Case {
    const char* name;
    bool multi;
    std::optional<AnsiString> given;
    std::vector<size_t> selected;
  } cases[] = {
      {"multi-selection applies every flag", true, std::nullopt, {0, 2}},
      {"single selection keeps the last flagged", false, std::nullopt, {2}},
      {"a given value wins over the flags, in lower case", true, "deux", {1, 4}},
      {"single selection with a given value keeps the last match", false, "DeUx", {4}},
      {"a given value that matches nothing selects nothing", false, "cinq", {}},
      {"an empty given value matches only an empty value", true, "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SelectedOptions(options, c.multi, c.given), c.selected) << c.name;
  EXPECT_TRUE(SelectedOptions({}, false, "x").empty());

  // A field applies multi-selection only as a list box.
  DocFixture f;
  TYKAoggetto* o = f.doc->CreateObject(inputStat);
  FormFieldRecord field(*o);
  field.SetType(FormFieldType::List);
  field.SetOptions(options);
  field.SetMultipleSelection(true);
  EXPECT_EQ(field.Selection(), (std::vector<size_t>{0, 2}));
  EXPECT_EQ(field.Selection("TROIS"), (std::vector<size_t>{2}));
  o->SetU8(form_field_rec::kType, static_cast<uint8_t>(FormFieldType::DropDown));  // a stray multi byte
  EXPECT_EQ(field.Selection(), (std::vector<size_t>{2}));
}

// ---- multimedia

TEST(Multimedia, TypedLoopCountsAndPercentFlag) {
  auto o = PatternObject(multiMedia);
  MultimediaRecord media(*o);
  const std::pair<int, int16_t> typed[] = {{-5, 0}, {-1, 0}, {0, 0}, {7, 7}, {40000, 32767}};
  for (auto [count, stored] : typed) {
    media.SetTypedLoopCount(count);
    EXPECT_EQ(media.LoopCount(), stored) << count;
  }
  media.SetLoopCount(kEndlessLoop);
  EXPECT_EQ(media.LoopCount(), -1);  // stored values pass unchanged
  media.RestartLoops();
  EXPECT_EQ(media.LoopsLeft(), -1);

  const std::pair<uint8_t, bool> percent[] = {{0, false}, {1, true}, {2, true}, {255, true}};
  for (auto [byte, on] : percent) {
    o->SetU8(multimedia_rec::kSizeInPercent, byte);
    EXPECT_EQ(media.SizeInPercent(), on) << int(byte);
  }
  o->SetU8(multimedia_rec::kAction, 2);
  EXPECT_FALSE(media.PlaysInLoop());
}

TEST(Multimedia, FlashIsAnEmbeddedSwfFile) {
  DocFixture f;
  TYKAoggetto* swf = f.doc->CreateObject(genLink);
  swf->SetCaption("Intro.SWF");
  TYKAoggetto* movie = f.doc->CreateObject(genLink);
  movie->SetCaption("intro.mov");
  struct Case {
    MediaKind kind;
    int32_t file;
    bool flash;
  } cases[] = {{MediaKind::Embedded, swf->ObjectId(), true},
               {MediaKind::Embedded, movie->ObjectId(), false},
               {MediaKind::Video, swf->ObjectId(), false},
               {MediaKind::Embedded, kNoObject, false}};
  TYKAoggetto* o = f.doc->CreateObject(multiMedia);
  MultimediaRecord media(*o);
  for (const auto& c : cases) {
    media.SetKind(c.kind);
    media.SetMediaFileId(c.file);
    EXPECT_EQ(media.IsFlashAnimation(), c.flash) << static_cast<int>(c.kind) << " " << c.file;
  }
}

// ---- prototypes and instances

Bytes PrototypeBlob(const std::vector<int32_t>& ids, int32_t lineCount, std::string_view lines) {
  Bytes b;
  ByteWriter w(b);
  w.U32(static_cast<uint32_t>(ids.size() * 4));
  for (int32_t id : ids) w.I32(id);
  w.I32(lineCount);
  w.Text(lines);
  return b;
}

TEST(Prototype, DefinitionsAreReadInPairsUpToTheLineCount) {
  struct Case {
    const char* name;
    int32_t lineCount;
    const char* lines;
    std::vector<std::pair<const char*, int>> parameters;
  } cases[] = {
      {"an odd count reads count / 2 pairs", 5, "Couleur\r\n3\r\nTitre\r\n1\r\nReste\r\n9\r\n",
       {{"Couleur", 3}, {"Titre", 1}}},
      {"only the counted lines", 2, "Couleur\r\n3\r\nTitre\r\n1\r\n", {{"Couleur", 3}}},
      {"a count beyond the lines reads what is there", 40, "Couleur\r\n3\r\nTitre\r\n", {{"Couleur", 3}}},
      {"an unreadable type is 0", 4, "A\r\nx\r\nB\r\n\r\n", {{"A", 0}, {"B", 0}}},
      {"a negative count reads nothing", -2, "A\r\n1\r\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PrototypeContent content = ParsePrototypeContent(PrototypeBlob({7, -1}, c.lineCount, c.lines));
    EXPECT_EQ(content.objectIds, (std::vector<int32_t>{7, -1}));
    ASSERT_EQ(content.parameters.size(), c.parameters.size());
    for (size_t i = 0; i < c.parameters.size(); ++i) {
      EXPECT_EQ(content.parameters[i].name, c.parameters[i].first);
      EXPECT_EQ(content.parameters[i].type, c.parameters[i].second);
    }
  }

  // A byte count that is not a whole number of ids: the definitions follow all of its bytes.
  Bytes odd;
  ByteWriter w(odd);
  w.U32(6);
  w.I32(0x05000002);
  w.Text("zz");
  w.I32(2);
  w.Text("Fond\r\n3\r\n");
  const PrototypeContent read = ParsePrototypeContent(odd);
  EXPECT_EQ(read.objectIds, (std::vector<int32_t>{0x05000002}));
  ASSERT_EQ(read.parameters.size(), 1u);
  EXPECT_EQ(read.parameters[0].name, "Fond");

  const PrototypeContent written{{1, 2, 3}, {{"Couleur", 3}, {"Lien", 6}}};
  const PrototypeContent again = ParsePrototypeContent(EncodePrototypeContent(written));
  EXPECT_EQ(again.objectIds, written.objectIds);
  ASSERT_EQ(again.parameters.size(), 2u);
  EXPECT_EQ(again.parameters[1].name, "Lien");
  EXPECT_EQ(again.parameters[1].type, 6);
}

TEST(Prototype, TruncatedBlobsGiveWhatIsThere) {
  const Bytes full = PrototypeBlob({10, 20, 30}, 4, "Couleur\r\n3\r\nTitre\r\n1\r\n");
  const PrototypeContent whole = ParsePrototypeContent(full);
  ASSERT_EQ(whole.parameters.size(), 2u);
  for (size_t size = 0; size < full.size(); ++size) {
    SCOPED_TRACE(size);
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
    const PrototypeContent part = ParsePrototypeContent(cut);
    const size_t idsThere = size < 4 ? 0 : std::min<size_t>((size - 4) / 4, 3);
    EXPECT_EQ(part.objectIds, std::vector<int32_t>(whole.objectIds.begin(), whole.objectIds.begin() + idsThere));
    // Definitions need the whole list and the line count before them.
    if (size < 20) {
      EXPECT_TRUE(part.parameters.empty());
    }
    EXPECT_LE(part.parameters.size(), whole.parameters.size());
    for (size_t i = 0; i < part.parameters.size(); ++i)
      EXPECT_EQ(whole.parameters[i].name.rfind(part.parameters[i].name, 0), 0u);
  }
  // Counts far beyond the data.
  Bytes hostile;
  ByteWriter w(hostile);
  w.U32(0xFFFFFFF0u);
  w.I32(42);
  EXPECT_EQ(ParsePrototypeContent(hostile).objectIds, (std::vector<int32_t>{42}));
  EXPECT_TRUE(ParseInstanceValues(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'a', '\r', '\n'}).empty());
  EXPECT_TRUE(ParseInstanceValues(Bytes{2, 0}).empty());
}

TEST(Prototype, InstanceValuesMatchTheDefinitionsIgnoringCase) {
  DocFixture f;
  TYKAoggetto* proto = f.doc->CreateObject(custom);
  proto->SetState(2);
  proto->SetContent(PrototypeBlob({}, 6, "Couleur\r\n3\r\nTitre\r\n1\r\nLien\r\n6\r\n"));
  TYKAoggetto* instance = f.doc->CreateObject(multiMedia);
  MultimediaRecord media(*instance);
  media.SetKind(MediaKind::PrototypeInstance);
  media.SetPrototypeId(proto->ObjectId());
  Bytes values;
  ByteWriter w(values);
  w.U32(6);
  w.Text("titre\r\nBonjour\r\nCOULEUR\r\n#FF0000\r\ninconnu\r\nx\r\n");
  instance->SetContent(values);

  EXPECT_TRUE(PrototypeView(*proto).HasUserSize());
  std::vector<InstanceParameter> params = media.Parameters();
  ASSERT_EQ(params.size(), 3u);  // the prototype's order; the unknown name is dropped
  const std::array<std::array<const char*, 2>, 3> expected = {
      {{"Couleur", "#FF0000"}, {"Titre", "Bonjour"}, {"Lien", ""}}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(params[i].name, expected[i][0]);
    EXPECT_EQ(params[i].value, expected[i][1]);
  }
  EXPECT_EQ(params[2].type, 6);

  // Written back: names in lower case, two lines per parameter.
  params[2].value = ObjectParameterValue(proto->ObjectId());
  params[1].value = "Deux\r\nlignes";
  media.SetStoredValues(params);
  Bytes stored;
  ASSERT_TRUE(instance->ReadContent(stored));
  Bytes expectedBlob;
  ByteWriter e(expectedBlob);
  e.U32(6);
  e.Text("couleur\r\n#FF0000\r\ntitre\r\nDeux  lignes\r\nlien\r\n" + std::to_string(proto->ObjectId()) + "\r\n");
  EXPECT_EQ(stored, expectedBlob);
  EXPECT_EQ(ObjectIdOfParameterValue(media.Parameters()[2].value), proto->ObjectId());

  // An odd line count leaves the last name without a value.
  Bytes odd;
  ByteWriter o(odd);
  o.U32(3);
  o.Text("titre\r\nSalut\r\ncouleur\r\n#00FF00\r\n");
  instance->SetContent(odd);
  params = media.Parameters();
  EXPECT_EQ(params[1].value, "Salut");
  EXPECT_EQ(params[0].value, "");

  // Without its prototype an instance has no parameters.
  media.SetPrototypeId(kNoObject);
  EXPECT_TRUE(media.Parameters().empty());
  EXPECT_EQ(media.StoredValues().size(), 1u);
}

TEST(Prototype, ParameterValueTexts) {
  EXPECT_EQ(ColourParameterValue(0x00336699), "#996633");
  const std::pair<const char*, std::optional<uint32_t>> colours[] = {
      {"#996633", 0x00336699}, {"#a0b0c0", 0x00C0B0A0}, {"#12345", std::nullopt},
      {"996633", std::nullopt}, {"#GG0000", std::nullopt}, {"", std::nullopt}};
  for (const auto& [text, colour] : colours) {
    uint32_t value = 0;
    EXPECT_EQ(ParseColourParameterValue(text, value), colour.has_value()) << text;
    if (colour) {
      EXPECT_EQ(value, *colour) << text;
    }
  }
  const std::pair<const char*, int32_t> ids[] = {
      {"16777217", 16777217}, {"-1", -1}, {"", -1}, {"12a", -1}, {"99999999999", -1}};
  for (auto [text, id] : ids) EXPECT_EQ(ObjectIdOfParameterValue(text), id) << text;

  // Names come from the type list; unknown codes have none.
  EXPECT_EQ(ParameterTypes().size(), 10u);
  for (const auto& t : ParameterTypes()) EXPECT_EQ(ParameterTypeName(t.code), t.name);
  EXPECT_EQ(ParameterTypeName(1), "Cha\xC3\xAEne");  // UTF-8, as the GUI takes it
  EXPECT_EQ(ParameterTypeName(10), "");
  EXPECT_EQ(ParameterTypeName(-1), "");
  EXPECT_EQ(ParameterEditorOf(3), ParameterEditor::ColourList);
  EXPECT_EQ(ParameterEditorOf(12), ParameterEditor::None);
}

}  // namespace
}  // namespace tolvane
