// The few things long engine work asks of the user interface: letting pending
// window messages run and showing the wait cursor. Headless, they do nothing.
#pragma once

namespace tolvane {

class UiHooks {
 public:
  virtual ~UiHooks() = default;
  virtual void ProcessPendingMessages(int /*rounds*/) {}
  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}
};

// Shows the wait cursor for the life of the object.
class WaitCursor {
 public:
  explicit WaitCursor(UiHooks& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~WaitCursor() { ui_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  UiHooks& ui_;
};

}  // namespace tolvane
