// The two forms of the same markup. Stored: every "<$" tag holds a document
// object id. Working (in a text box, on the clipboard, in undo snapshots):
// link objects become 0x6F + their place in the page's link list, embedded
// objects 0xFF + their place in the page's object list. Both conversions
// patch the 11-byte tags in place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

class UiHooks;

// What opening a page for editing needs from the page's working copy.
class WorkingFormHost {
 public:
  virtual ~WorkingFormHost() = default;
  // The object exists in the document and is in use.
  virtual bool IsLiveObject(uint32_t id) = 0;
  // A working copy of a link object (kinds 1 and 10); its link-list position.
  virtual uint32_t AddLinkCopy(uint32_t id) = 0;
  // A working copy of an embedded object; its position in the page's list.
  virtual uint32_t AddEmbeddedCopy(uint32_t id) = 0;
};

// What saving a page needs: each working object committed to the document.
class StoredFormHost {
 public:
  virtual ~StoredFormHost() = default;
  // The committed document id, or nothing when the object is gone or free.
  virtual std::optional<uint32_t> CommitLink(uint32_t position) = 0;
  virtual std::optional<uint32_t> CommitEmbedded(uint32_t number) = 0;
};

// A page's stored text made working: a 0 byte is added when missing (an
// empty text becomes "<Z S0 >"), tags of missing or free objects, and
// working ids found in it, become eleven '!'.
// `embeddedTags`, when given, receives where each embedded object's tag
// stands, in the order the objects were added.
std::string ToWorkingForm(std::string text, WorkingFormHost& host, std::vector<size_t>* embeddedTags = nullptr);

// A working text made stored, in place: working tags become document ids,
// tags of objects gone become eleven '#', a font tag equal to the one before
// it becomes bytes of 3. The wait cursor shows for long texts.
void ToStoredForm(std::string& text, StoredFormHost& host, UiHooks* ui = nullptr);

}  // namespace tolvane
