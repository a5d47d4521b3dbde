#include "model/undo_steps.h"

#include "model/document.h"
#include "model/object.h"

namespace tolvane {

TogBackup::TogBackup(TYKAset& doc, const TYKAoggetto& object, std::string caption)
    : TYKAbackup(std::move(caption)),
      doc_(doc),
      object_(&object),
      kind_(object.Kind()),
      slot_(object.Slot()),
      locked_(object.ContentLocked()) {
  // Content that cannot be read would come back empty: such a step is never applied.
  Bytes probe;
  if (object.HasContent() && !object.ReadContent(probe)) locked_ = true;
  object.SaveToTransfer(snapshot_);
  doc_.SetModified(true);
}

std::unique_ptr<TYKAbackup> TogBackup::Restore(RestoreResult& result) {
  // Only onto the object it was taken from, while it is in use: a step never
  // brings back a deleted object nor overwrites the one now in its slot.
  TYKAoggetto* target = doc_.ObjectAt(kind_, slot_);
  if (!target || target != object_ || target->IsFree() || locked_) return nullptr;
  auto reverse = std::make_unique<TogBackup>(doc_, *target, Caption());
  // Loaded into the object in place: whatever points at it (paragraphs at
  // their style, pages at their picture) sees the old values again.
  ByteReader in(snapshot_);
  if (!target->LoadFromTransfer(in)) return nullptr;
  if (kind_ == immagine) doc_.ReleasePicture(target);
  if (doc_.OnObjectRestored) doc_.OnObjectRestored(*target);
  result.applied = true;
  result.keepFocus = true;
  return reverse;
}

void RecordObjectUndo(TYKAset& doc, const TYKAoggetto& object, std::string caption) {
  doc.UndoList().AddUndo(std::make_unique<TogBackup>(doc, object, std::move(caption)));
}

}  // namespace tolvane
