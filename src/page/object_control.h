// What the page needs of the controls it creates for its objects, and of the
// factory that makes them. The controls live in the objects layer; each is
// bound to the page's working copy of its object and, placed in the text,
// stands for one character of a size it gives.
#pragma once

#include <memory>

#include "platform/control.h"
#include "richtext/markup_host.h"

namespace tolvane {

class TYKAoggetto;
class TYKApage;

class ObjectControl : public Control, public MarkupObject {
 public:
  explicit ObjectControl(TYKAoggetto& object) : object_(&object) {}
  TYKAoggetto& BoundObject() const { return *object_; }
  // Its place in the page's control index, which object tags name.
  int IndexNumber() const override { return index_; }
  void SetIndexNumber(int index) { index_ = index; }
  // The size the text gives its character.
  int Width() const override { return Control::Width(); }
  int Height() const override { return Control::Height(); }

 private:
  TYKAoggetto* object_;
  int index_ = -1;
};

class ControlFactory {
 public:
  virtual ~ControlFactory() = default;
  // A control for `object`, or null for a kind that has none yet.
  virtual std::unique_ptr<ObjectControl> CreateVisual(TYKAoggetto& object, TYKApage& page) = 0;
};

}  // namespace tolvane
