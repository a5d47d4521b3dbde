// A typed view over the record of a short helper object (shortObj): notes,
// HTML blocks, window actions, anchors and the placeholders of prototypes.
// The view reads and writes one object's record bytes at their offsets; bytes
// not named below are left as they were read.
//
// Short object (shortObj, 28 bytes)
//   OFFSET WIDTH MEANING
//        0     4 content blob position
//        4     1 sub-kind (ShortObjectKind), 0 free
//        5     4 value: a link id (13), an anchor number (14), an object id (21..24)
//        9     1 note written into the page as an HTML comment: 1 yes (10);
//                any other value no (a fresh record holds 0xFF)
//       13     4 content blob size
//       20   4+4 attribute blob position and size
//   content blob: the text of a note (10)
//   attribute text: the HTML of an HTML block (11, 12)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/ansi.h"
#include "model/record_fields.h"

namespace tolvane {

class TYKAoggetto;

namespace short_object_rec {
constexpr size_t kSubKind = kStateByte;
constexpr size_t kValue = 5;
constexpr size_t kAsComment = 9;
static_assert(kValue == shortobj_rec::kValue);
}  // namespace short_object_rec

enum class ShortObjectKind : uint8_t {
  Panel = 5,
  Note = 10,
  HtmlBlock = 11,
  BinaryBlock = 12,
  WindowAction = 13,
  Anchor = 14,
  NumberedLink = 15,
};

class ShortObjectView {
 public:
  explicit ShortObjectView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  ShortObjectKind SubKind() const;
  int32_t Value() const;
  int32_t LinkId() const { return Value(); }
  int32_t AnchorNumber() const { return Value(); }
  bool WrittenAsComment() const;
  // The note's text; empty when the content cannot be read.
  AnsiString StoredText() const;

 private:
  const TYKAoggetto& object_;
};

class ShortObjectRecord : public ShortObjectView {
 public:
  explicit ShortObjectRecord(TYKAoggetto& object) : ShortObjectView(object), edit_(object) {}

  void SetSubKind(ShortObjectKind kind);
  void SetValue(int32_t value);
  void SetWrittenAsComment(bool on);
  void SetStoredText(std::string_view text);

 private:
  TYKAoggetto& edit_;
};

}  // namespace tolvane
