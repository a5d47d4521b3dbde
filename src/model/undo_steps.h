// The undo steps of stored objects: an object (a picture, a style, a page)
// taken whole through the transfer stream before it changes, and put back
// into its slot on undo.
#pragma once

#include <string>

#include "common/bytes.h"
#include "model/undo.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;

class TogBackup : public TYKAbackup {
 public:
  // Captures `object` as it is now; the document counts as modified.
  TogBackup(TYKAset& doc, const TYKAoggetto& object, std::string caption);
  std::unique_ptr<TYKAbackup> Restore(RestoreResult& result) override;

 private:
  TYKAset& doc_;
  const TYKAoggetto* object_;  // the object itself: its slot may have gone to another
  int kind_;
  int32_t slot_;
  bool locked_;  // a locked page's snapshot holds a stand-in text, never to be put back
  Bytes snapshot_;
};

// Records, in the document's undo list, how `object` is before a change.
void RecordObjectUndo(TYKAset& doc, const TYKAoggetto& object, std::string caption);

}  // namespace tolvane
