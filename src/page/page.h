// The page surface. It never edits the stored page: showing a page takes a
// working copy of it and of every object it uses, shows the copy's text in a
// box with the objects as controls, and committing writes the copy back into
// the document under the ids the objects then have.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "model/undo.h"
#include "page/background.h"
#include "page/object_control.h"
#include "page/page_text_box.h"
#include "platform/control.h"
#include "richtext/document_markup_host.h"

namespace tolvane {

class TYKAset;
class TYKAtesto;
class TYKAoggetto;
class TextMeasurer;

struct SearchOptions {
  bool matchCase = false;
  bool wholeWord = false;
};

class TYKApage : public ScrollBox, public ControlIndexOwner {
 public:
  using BoxMaker = std::function<std::unique_ptr<PageTextBox>(TYKApage&, MarkupHost&)>;
  // `makeBox` gives the box that shows the text; by default a MarkupTextBox.
  TYKApage(TYKAset& doc, ControlFactory& factory, TextMeasurer& measurer, BoxMaker makeBox = {});
  ~TYKApage() override;

  // ---- showing and committing
  // A registered page gets a working copy; none gives a new page. An
  // unregistered page object is copied too and becomes a new page. Returns
  // the working copy.
  TYKAtesto* ShowPage(TYKAtesto* page);
  // A page object of the caller's, edited itself and registered on commit.
  TYKAtesto* ShowPage(std::unique_ptr<TYKAtesto> page);
  // Writes the working copy back, once per shown page; false when nothing was written.
  bool CommitPage();
  // Drops the working copy and every control of the page.
  void ClosePage();
  void ShowBackground(const TYKAtesto& page);

  TYKAtesto* WorkingCopy() const { return working_; }
  TYKAtesto* PageObject() const { return pageObject_; }
  int32_t PageSlot() const { return pageSlot_; }
  bool IsNewPage() const { return newPage_; }
  PageTextBox* TextBox() const { return box_.get(); }
  TYKAsfondo* Background() const { return background_; }
  TYKAundoIndiciList& ControlIndex() override { return controls_; }
  // The controls of one object of the working copy; null for none.
  ObjectControl* ControlOf(const TYKAoggetto& copy) const;

  // ---- the objects placed freely on the page, back to front
  const std::vector<ObjectControl*>& EmbeddedObjects() const { return embedded_; }
  void AddEmbedded(ObjectControl* control);
  void BringEmbeddedToFront(ObjectControl* control);
  void SendEmbeddedToBack(ObjectControl* control);
  // Puts the free objects in this order (undo of a stacking change).
  void SetEmbeddedOrder(const std::vector<int>& controlIndexes);
  const std::vector<ObjectControl*>& HeaderFooterObjects() const { return headerFooter_; }

  // ---- reading
  bool FindText(std::string_view text, SearchOptions options = {});
  void ResetSearch() { search_ = {}; }
  // The anchor with `number` in the page's text: the caret goes before it.
  bool GoToAnchor(int number);
  // The names of the page's objects of a kind, after "frame" + separator
  // when the page is inside a named frame.
  void ObjectsOfKind(int kind, std::vector<std::string>& names, std::string_view frameName = {}) const;

  // ---- modes
  void SetReadMode(bool on);
  bool ReadMode() const { return readMode_; }
  void SetPreview(bool on);
  bool Preview() const { return preview_; }
  void SetScrollBarMode(uint8_t mode);
  bool ScrollBarsShown() const { return scrollBars_; }
  void SetDisplayFlag(bool on) { display_ = on; }

  bool modified = false;
  static constexpr int kWheelStep = 100;

 protected:
  bool Wheel(int delta, Point local) override;
  void ScrollChanged() override { PlaceBackground(); }
  void BoundsChanged() override { PlaceBackground(); }

 private:
  struct Copy {
    std::unique_ptr<TYKAoggetto> object;
    int32_t origin;                  // the document object it copies, or -1
    const TYKAoggetto* original;     // that object itself: its slot may go to another
  };
  class WorkingForm;  // the markup conversions' view of this page
  TYKAoggetto* AddCopy(const TYKAoggetto& original);
  std::string TakeWorkingText(const TYKAtesto& text, std::vector<ObjectControl*>* into);
  ObjectControl* MakeControl(TYKAoggetto& copy);
  size_t SplitPageObjects(const std::string& text);
  std::optional<int32_t> CommitObject(TYKAoggetto& copy);
  // The original of a copy while it is still the same object, in use.
  TYKAoggetto* LiveOriginal(const Copy& copy) const;
  void ShowWorkingCopy();
  void PlaceBackground();
  void AutoTitle(TYKAtesto& page);
  void FreeOldObjects(std::string_view storedMarkup);
  void ApplyScrollBars();

  TYKAset& doc_;
  ControlFactory& factory_;
  TextMeasurer& measurer_;
  BoxMaker makeBox_;
  DocumentMarkupHost markupHost_;

  TYKAundoIndiciList controls_;
  std::vector<ObjectControl*> embedded_;
  std::vector<ObjectControl*> headerFooter_;
  std::vector<ObjectControl*> objectControls_;  // every control the page made, owned by it
  std::vector<Copy> copies_;
  std::map<const TYKAoggetto*, int32_t> committed_;  // copies written in this commit
  std::map<int32_t, size_t> copiedFrom_;            // document id -> index in copies_
  std::unique_ptr<PageTextBox> box_;
  TYKAsfondo* background_ = nullptr;
  std::unique_ptr<TYKAtesto> ownWorking_;  // the working copy while it is ours
  TYKAtesto* working_ = nullptr;
  TYKAtesto* pageObject_ = nullptr;
  int32_t pageSlot_ = -1;
  bool newPage_ = false;
  bool done_ = false;      // committed since shown
  bool readOnly_ = false;  // locked or unreadable: shown, never written back

  struct Search {
    int paragraph = 0;
    int from = 0;
    bool active = false;
  } search_;
  uint8_t scrollBarMode_ = 3;
  bool readMode_ = false, preview_ = false, display_ = true, scrollBars_ = true;
};

}  // namespace tolvane
