#include "model/short_records.h"

#include "model/object.h"

namespace tolvane {

ShortObjectKind ShortObjectView::SubKind() const {
  return static_cast<ShortObjectKind>(object_.U8(short_object_rec::kSubKind));
}
int32_t ShortObjectView::Value() const { return object_.I32(short_object_rec::kValue); }
bool ShortObjectView::WrittenAsComment() const { return object_.U8(short_object_rec::kAsComment) == 1; }

AnsiString ShortObjectView::StoredText() const {
  Bytes content;
  if (!object_.ReadContent(content)) return {};
  return AnsiString(AsText(content));
}

void ShortObjectRecord::SetSubKind(ShortObjectKind kind) {
  edit_.SetU8(short_object_rec::kSubKind, static_cast<uint8_t>(kind));
}
void ShortObjectRecord::SetValue(int32_t value) { edit_.SetI32(short_object_rec::kValue, value); }
void ShortObjectRecord::SetWrittenAsComment(bool on) { edit_.SetU8(short_object_rec::kAsComment, on ? 1 : 0); }
void ShortObjectRecord::SetStoredText(std::string_view text) { edit_.SetContentText(text); }

}  // namespace tolvane
