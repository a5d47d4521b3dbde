// The engine's own controls: the page surface and every object on it are
// Controls, so that pages can be laid out, painted, clicked and typed into
// without a display. One toolkit widget per page hosts a tree of them,
// paints it through a Canvas and forwards input to the root.
//
// Coordinates: a control's bounds are in its parent's client coordinates,
// which a scrolling parent shifts by its scroll offset. Children are kept back
// to front; the last one paints last and is hit first.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace tolvane {

enum class MouseButton { None, Left, Right, Middle };
struct Modifiers {
  bool shift = false, ctrl = false, alt = false;
};
struct MouseEvent {
  Point pos;  // in the receiving control's coordinates
  MouseButton button = MouseButton::Left;
  Modifiers modifiers;
};

enum class Key { Left, Right, Up, Down, Home, End, PageUp, PageDown, Enter, Escape, Tab, Backspace, Delete, Insert, Other };
struct KeyEvent {
  Key key = Key::Other;
  Modifiers modifiers;
};

enum class CursorShape { Arrow, IBeam, Hand, Move, Cross, SizeNS, SizeWE, SizeNWSE, SizeNESW, Wait };

class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // ---- the tree
  Control* Parent() const { return parent_; }
  // Moves the control under `parent` (null: detached), in front of its siblings.
  // Ownership does not change with the parent.
  void SetParent(Control* parent);
  // Owns `child` from now on (it goes when this control goes, wherever it is
  // shown) and shows it as a child.
  Control* Adopt(std::unique_ptr<Control> child);
  Control* Owner() const { return owner_; }
  // Told just before the control goes, so that lists that name it can forget it.
  std::function<void(Control*)> onDestroyed;
  const std::vector<Control*>& Children() const { return children_; }
  Control* Root();
  void BringToFront();
  void SendToBack();

  // ---- geometry
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds);
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  Rect ClientRect() const { return {0, 0, bounds_.Width(), bounds_.Height()}; }
  // How far a scrolling control has moved its content (children) up and left.
  Point ScrollOffset() const { return scroll_; }
  Point ToRoot(Point local) const;
  Point FromRoot(Point root) const;

  // ---- state
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  // Visible together with every control above it.
  bool Showing() const;

  // ---- focus, capture, cursor
  void SetFocus();
  bool Focused();
  Control* FocusedControl() { return Root()->focus_; }
  void SetCapture() { Root()->capture_ = this; }
  void ReleaseCapture();
  Control* CaptureControl() { return Root()->capture_; }
  void SetCursor(CursorShape shape) { cursor_ = shape; }
  virtual CursorShape CursorAt(Point /*local*/) const { return cursor_; }

  // ---- painting
  void Invalidate() { Invalidate(ClientRect()); }
  void Invalidate(const Rect& local);
  // Paints this control over `area` (its coordinates), then its children.
  void PaintTree(Canvas& canvas, const Rect& area);
  // Root only: what was invalidated since the last call, in root coordinates.
  Rect TakeDirtyRect();
  // Root only: paints what was invalidated and forgets it.
  void PaintDirty(Canvas& canvas);

  // ---- input, as the root receives it (root coordinates)
  // The front-most showing, enabled control under the point.
  Control* ControlAt(Point root);
  // Pressing a button captures the mouse until it is released.
  Control* SendMouseDown(Point root, MouseButton button = MouseButton::Left, Modifiers modifiers = {});
  Control* SendMouseMove(Point root, Modifiers modifiers = {});
  Control* SendMouseUp(Point root, MouseButton button = MouseButton::Left, Modifiers modifiers = {});
  Control* SendDoubleClick(Point root, MouseButton button = MouseButton::Left, Modifiers modifiers = {});
  // To the control under the pointer, then up to its parents until one takes it.
  bool SendWheel(Point root, int delta);
  // To the focused control, then up to its parents until one takes it.
  bool SendKey(const KeyEvent& key);
  bool SendChar(unsigned char c);
  CursorShape CursorAtRoot(Point root);

 protected:
  virtual void Paint(Canvas& /*canvas*/) {}
  virtual void MouseDown(const MouseEvent& /*e*/) {}
  virtual void MouseMove(const MouseEvent& /*e*/) {}
  virtual void MouseUp(const MouseEvent& /*e*/) {}
  virtual void DoubleClick(const MouseEvent& /*e*/) {}
  virtual bool Wheel(int /*delta*/, Point /*local*/) { return false; }
  virtual bool KeyDown(const KeyEvent& /*key*/) { return false; }
  virtual bool KeyPress(unsigned char /*c*/) { return false; }
  virtual void FocusChanged(bool /*focused*/) {}
  virtual void BoundsChanged() {}
  // The content moved or changed size (scrolling surfaces).
  virtual void ScrollChanged() {}
  // For scrolling surfaces: moves the content and repaints.
  void SetScrollOffset(Point offset);

 private:
  Point OriginInParent() const;  // where (0, 0) of this control lies in the parent
  void Detach();
  void ForgetSubtreeAt(Control* root);  // drops focus and capture held inside this subtree
  template <class F>
  Control* Deliver(Point root, F&& handler);

  Control* parent_ = nullptr;
  Control* owner_ = nullptr;
  std::vector<Control*> children_;
  std::vector<std::unique_ptr<Control>> owned_;
  Rect bounds_;
  Point scroll_;
  bool visible_ = true;
  bool enabled_ = true;
  CursorShape cursor_ = CursorShape::Arrow;
  // Kept by the root for its whole tree.
  Control* focus_ = nullptr;
  Control* capture_ = nullptr;
  Rect dirty_;
};

// A control whose content can be larger than itself and scrolls.
class ScrollBox : public Control {
 public:
  void SetContentSize(int width, int height);
  int ContentWidth() const { return contentWidth_; }
  int ContentHeight() const { return contentHeight_; }
  // Clamped to the content: never before its start nor past its end.
  void ScrollTo(Point offset);
  void ScrollBy(int dx, int dy) { ScrollTo(ScrollOffset() + Point{dx, dy}); }

 private:
  int contentWidth_ = 0, contentHeight_ = 0;
};

}  // namespace tolvane
