// The undo step of a page's free objects: their stacking order, restored
// through the page's place in its frame set.
#pragma once

#include <vector>

#include "model/undo.h"

namespace tolvane {

class TYKApage;
class TYKAset;

class PageObjectsBackup : public TYKAbackup {
 public:
  // `path`: the page's index in its frame set, then the frame set's index
  // in the document's list.
  PageObjectsBackup(TYKAset& doc, TYKApage& page, std::vector<int> path, std::string caption);
  std::unique_ptr<TYKAbackup> Restore(RestoreResult& result) override;

 private:
  TYKAset& doc_;
  std::vector<int> order_;  // control indexes, back to front
};

}  // namespace tolvane
