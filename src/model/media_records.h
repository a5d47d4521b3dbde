// Typed views over multimedia objects, object prototypes and the parameter
// values of prototype instances.
//
// Multimedia object (multiMedia)
//   OFFSET WIDTH MEANING
//        4     1 media kind (MediaKind)
//       17     4 media file (a file link id; for kind 6 the prototype's id), -1 none
//       21     4 alternative picture (immagine id), -1 none
//       25     1 action: 1 play in a loop, otherwise show the player's buttons
//       27     2 loop count, signed, -1 endless
//       31     2 loops left: the working copy the player counts down
//       33     2 width (pixels, or percent of the available width)
//       35     2 height (pixels, or percent of the page area's height)
//       37     1 size in percent (any value above 1 counts as 1)
//   content blob (kind 6): the instance's parameter values, see below
//
// Prototype (custom)
//   OFFSET WIDTH MEANING
//        4     1 state: 0 free, otherwise the look of its instances on the page;
//                only look 2 has a size the user sets
//       17    41 name, short string
//   attribute text: the HTML template
//   content blob:
//        0     4 N, byte count of the object list
//        4     N object ids, 32-bit each ("!ReCF:" i names entry i)
//      4+N     4 C, line count of the parameter definitions
//      8+N     - lines ended by CR LF, in pairs: name, type as a decimal number
//
// Instance values (content blob of a multimedia object of kind 6)
//        0     4 line count, twice the number of parameters
//        4     - lines ended by CR LF, in pairs: name in lower case, value
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ansi.h"
#include "common/bytes.h"
#include "model/kinds.h"
#include "model/record_fields.h"

namespace tolvane {

class TYKAoggetto;

namespace multimedia_rec {
constexpr size_t kKind = kStateByte;
constexpr size_t kMediaFile = 17, kAlternativePicture = 21;
constexpr size_t kAction = 25, kLoopCount = 27, kLoopsLeft = 31;
constexpr size_t kWidth = 33, kHeight = 35, kSizeInPercent = 37;
static_assert(kMediaFile == media_rec::kLink && kAlternativePicture == media_rec::kAlternativePicture);
}  // namespace multimedia_rec

namespace prototype_rec {
constexpr size_t kLook = kStateByte;
constexpr size_t kName = 17, kNameSize = 41;
}  // namespace prototype_rec

// Kinds 2 and 4 are older variants of sound and video; the dialog writes 1, 3, 5 or 6.
enum class MediaKind : uint8_t {
  Sound = 1,
  OtherSound = 2,
  Video = 3,
  OtherVideo = 4,
  Embedded = 5,
  PrototypeInstance = 6,
};

constexpr uint8_t kPlayInLoop = 1;
constexpr int16_t kEndlessLoop = -1;

// ---- parameters of prototypes

enum class ParameterEditor : uint8_t {
  None,
  TextField,
  ColourList,      // colour names, with a colour dialog
  FontList,        // font names, "Arial" when empty
  LinkChooser,     // a "..." button opening the link target chooser
  PictureChooser,  // a "..." button opening the picture chooser
};

struct ParameterTypeInfo {
  int code;
  std::string_view name;  // UTF-8, as the type list shows it
  ParameterEditor editor;
};

// Codes 0 to 9, in code order.
std::span<const ParameterTypeInfo> ParameterTypes();
// The name shown for a type code; empty for 0 and for codes the program does not know.
std::string_view ParameterTypeName(int code);
ParameterEditor ParameterEditorOf(int code);
// Page, picture and archive-file parameters hold an object id.
inline bool IsObjectParameter(int code) { return code >= 6 && code <= 8; }
constexpr int kColourParameter = 3;
constexpr std::string_view kDefaultParameterFont = "Arial";

// A colour parameter stores "#" + RRGGBB; colours here are 0x00BBGGRR.
AnsiString ColourParameterValue(uint32_t colour);
// False when the text is not "#" and six hexadecimal digits.
bool ParseColourParameterValue(std::string_view text, uint32_t& colour);
// Object parameters store the id in decimal, -1 for none.
AnsiString ObjectParameterValue(int32_t id);
// -1 when the text is not a 32-bit decimal number.
int32_t ObjectIdOfParameterValue(std::string_view text);

struct ParameterDefinition {
  AnsiString name;
  int type = 0;  // 0 when the stored type could not be read
};

struct PrototypeContent {
  std::vector<int32_t> objectIds;
  std::vector<ParameterDefinition> parameters;
};

// Reads what is there: a byte count or a line count beyond the data gives the
// ids and definitions that the data holds, never more.
PrototypeContent ParsePrototypeContent(const Bytes& content);
// The inverse of the reader. The editor never defines parameters; this serves
// copies of prototypes and documents built by code.
Bytes EncodePrototypeContent(const PrototypeContent& content);

// A parameter of an instance: the prototype's definition with the instance's value.
struct InstanceParameter {
  AnsiString name;
  int type = 0;
  AnsiString value;
};

// The name/value pairs of an instance blob, as stored.
std::vector<std::pair<AnsiString, AnsiString>> ParseInstanceValues(const Bytes& content);
// One entry per definition, in the prototype's order. Values are matched by
// name without regard to case; a value the prototype does not define is
// dropped, and a definition without a value gets an empty one.
std::vector<InstanceParameter> MatchInstanceValues(const std::vector<ParameterDefinition>& definitions,
                                                   const Bytes& content);
// Names are written in lower case. Line breaks inside a value would shift the
// pairs on reading, so they become spaces.
Bytes EncodeInstanceValues(const std::vector<InstanceParameter>& parameters);

// ---- multimedia object

class MultimediaView {
 public:
  explicit MultimediaView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  MediaKind Kind() const;
  bool IsSound() const { return Kind() == MediaKind::Sound || Kind() == MediaKind::OtherSound; }
  bool IsVideo() const { return Kind() == MediaKind::Video || Kind() == MediaKind::OtherVideo; }
  bool IsPrototypeInstance() const { return Kind() == MediaKind::PrototypeInstance; }
  // An embedded object whose file (the caption of its file link) ends in ".swf".
  bool IsFlashAnimation() const;
  int32_t MediaFileId() const;
  int32_t PrototypeId() const { return MediaFileId(); }
  int32_t AlternativePictureId() const;
  bool PlaysInLoop() const;
  int16_t LoopCount() const;
  int16_t LoopsLeft() const;
  int16_t Width() const;
  int16_t Height() const;
  bool SizeInPercent() const;

  // The instance's values as stored (an unreadable content gives none).
  std::vector<std::pair<AnsiString, AnsiString>> StoredValues() const;
  // The prototype's parameters with this instance's values; empty when the
  // prototype is missing, free or not a prototype.
  std::vector<InstanceParameter> Parameters() const;

 private:
  const TYKAoggetto& object_;
};

class MultimediaRecord : public MultimediaView {
 public:
  explicit MultimediaRecord(TYKAoggetto& object) : MultimediaView(object), edit_(object) {}

  void SetKind(MediaKind kind);
  void SetMediaFileId(int32_t id);
  void SetPrototypeId(int32_t id) { SetMediaFileId(id); }
  void SetAlternativePictureId(int32_t id);
  void SetPlaysInLoop(bool on);
  // The stored value as it stands, -1 for endless.
  void SetLoopCount(int16_t count);
  // A count as typed in the dialog: negative counts are stored as 0, larger
  // ones than the field holds as its largest value.
  void SetTypedLoopCount(int count);
  // The player's copy of the loop count, made when it is built.
  void RestartLoops();
  void SetLoopsLeft(int16_t count);
  void SetWidth(int16_t width);
  void SetHeight(int16_t height);
  void SetSizeInPercent(bool on);
  void SetStoredValues(const std::vector<InstanceParameter>& parameters);

 private:
  TYKAoggetto& edit_;
};

// ---- prototype

class PrototypeView {
 public:
  explicit PrototypeView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  AnsiString Name() const;
  uint8_t Look() const;
  bool HasUserSize() const { return Look() == 2; }
  std::string Template() const;
  // Empty when the content cannot be read.
  PrototypeContent Content() const;

 private:
  const TYKAoggetto& object_;
};

}  // namespace tolvane
