#include "platform/control.h"

#include <algorithm>

namespace tolvane {

Control::~Control() {
  if (onDestroyed) onDestroyed(this);
  ForgetSubtreeAt(Root());
  // Children this control does not own stay alive, detached; owned ones go
  // with it, after they were let go so that they do not reach back into it.
  std::vector<std::unique_ptr<Control>> owned = std::move(owned_);
  owned_.clear();
  for (auto& o : owned) o->owner_ = nullptr;
  for (Control* c : children_) {
    c->parent_ = nullptr;
    c->focus_ = c->capture_ = nullptr;
  }
  children_.clear();
  owned.clear();
  if (owner_) {
    for (auto& o : owner_->owned_)
      if (o.get() == this) o.release();
    auto& list = owner_->owned_;
    list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
    owner_ = nullptr;
  }
  Detach();
}

void Control::ForgetSubtreeAt(Control* root) {
  auto inside = [this](Control* c) {
    for (; c; c = c->parent_)
      if (c == this) return true;
    return false;
  };
  if (inside(root->focus_)) root->focus_ = nullptr;
  if (inside(root->capture_)) root->capture_ = nullptr;
}

void Control::Detach() {
  if (!parent_) {
    focus_ = capture_ = nullptr;
    return;
  }
  if (visible_) parent_->Invalidate(bounds_.Offset(-parent_->scroll_.x, -parent_->scroll_.y));
  ForgetSubtreeAt(Root());
  auto& siblings = parent_->children_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  parent_ = nullptr;
}

void Control::SetParent(Control* parent) {
  if (parent == parent_) return;
  for (Control* p = parent; p; p = p->parent_)
    if (p == this) return;  // a control cannot go under itself
  Detach();
  parent_ = parent;
  if (parent_) {
    focus_ = capture_ = nullptr;  // no longer a root
    parent_->children_.push_back(this);
    Invalidate();
  }
}

Control* Control::Adopt(std::unique_ptr<Control> child) {
  Control* c = child.get();
  if (!c) return nullptr;
  if (c->owner_) {  // from its previous owner
    for (auto& o : c->owner_->owned_)
      if (o.get() == c) o.release();
    auto& list = c->owner_->owned_;
    list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
  }
  c->owner_ = this;
  owned_.push_back(std::move(child));
  c->SetParent(this);
  return c;
}

Control* Control::Root() {
  Control* c = this;
  while (c->parent_) c = c->parent_;
  return c;
}

void Control::BringToFront() {
  if (!parent_) return;
  auto& s = parent_->children_;
  s.erase(std::remove(s.begin(), s.end(), this), s.end());
  s.push_back(this);
  Invalidate();
}

void Control::SendToBack() {
  if (!parent_) return;
  auto& s = parent_->children_;
  s.erase(std::remove(s.begin(), s.end(), this), s.end());
  s.insert(s.begin(), this);
  Invalidate();
}

void Control::SetBounds(const Rect& bounds) {
  if (bounds == bounds_) return;
  if (parent_ && visible_) parent_->Invalidate(bounds_.Offset(-parent_->scroll_.x, -parent_->scroll_.y));
  bounds_ = bounds;
  Invalidate();
  BoundsChanged();
}

Point Control::OriginInParent() const {
  return parent_ ? bounds_.TopLeft() - parent_->scroll_ : bounds_.TopLeft();
}

Point Control::ToRoot(Point local) const {
  Point p = local;
  for (const Control* c = this; c->parent_; c = c->parent_) p = p + c->OriginInParent();
  return p;
}

Point Control::FromRoot(Point root) const { return root - ToRoot({0, 0}); }

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) {
    Invalidate();
    ForgetSubtreeAt(Root());
  }
  visible_ = visible;
  if (visible) Invalidate();
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void Control::SetFocus() {
  Control* root = Root();
  Control* old = root->focus_;
  if (old == this) return;
  root->focus_ = this;
  if (old) old->FocusChanged(false);
  FocusChanged(true);
}

bool Control::Focused() { return Root()->focus_ == this; }

void Control::ReleaseCapture() {
  Control* root = Root();
  if (root->capture_ == this) root->capture_ = nullptr;
}

void Control::Invalidate(const Rect& local) {
  if (!visible_) return;
  // Cut to what each control up the tree shows of it.
  Rect r = local.Intersect(ClientRect());
  const Control* c = this;
  for (; c->parent_ && !r.Empty(); c = c->parent_) {
    if (!c->parent_->visible_) return;
    r = r.Offset(c->OriginInParent()).Intersect(c->parent_->ClientRect());
  }
  if (r.Empty()) return;
  Control* root = const_cast<Control*>(c);
  root->dirty_ = root->dirty_.Union(r);
}

Rect Control::TakeDirtyRect() {
  Rect r = dirty_;
  dirty_ = Rect{};
  return r;
}

void Control::PaintDirty(Canvas& canvas) {
  Rect area = TakeDirtyRect();
  if (!area.Empty()) PaintTree(canvas, area);
}

void Control::PaintTree(Canvas& canvas, const Rect& area) {
  if (!visible_) return;
  Rect mine = area.Intersect(ClientRect());
  if (mine.Empty()) return;
  canvas.Save();
  canvas.Clip(mine);
  Paint(canvas);
  for (Control* child : std::vector<Control*>(children_)) {
    if (!child->visible_) continue;
    const Point at = child->OriginInParent();
    Rect inChild = mine.Offset(-at.x, -at.y).Intersect(child->ClientRect());
    if (inChild.Empty()) continue;
    canvas.Save();
    canvas.Translate(at.x, at.y);
    child->PaintTree(canvas, inChild);
    canvas.Restore();
  }
  canvas.Restore();
}

Control* Control::ControlAt(Point root) {
  // Children front to back, deepest first.
  std::vector<Control*> path;
  Control* hit = nullptr;
  Point p = root;
  Control* c = this;
  if (!c->visible_ || !c->ClientRect().Contains(p)) return nullptr;
  hit = c->enabled_ ? c : nullptr;
  for (bool descended = true; descended;) {
    descended = false;
    for (auto it = c->children_.rbegin(); it != c->children_.rend(); ++it) {
      Control* child = *it;
      Point local = p - child->OriginInParent();
      if (!child->visible_ || !child->ClientRect().Contains(local)) continue;
      if (!child->enabled_) return hit;  // a disabled control swallows what falls on it
      c = child;
      p = local;
      hit = child;
      descended = true;
      break;
    }
  }
  return hit;
}

template <class F>
Control* Control::Deliver(Point root, F&& handler) {
  Control* target = capture_ ? capture_ : ControlAt(root);
  if (!target) return nullptr;
  MouseEvent e;
  e.pos = target->FromRoot(root);
  handler(*target, e);
  return target;
}

Control* Control::SendMouseDown(Point root, MouseButton button, Modifiers modifiers) {
  return Deliver(root, [&](Control& t, MouseEvent& e) {
    e.button = button;
    e.modifiers = modifiers;
    capture_ = &t;
    t.MouseDown(e);
  });
}

Control* Control::SendMouseMove(Point root, Modifiers modifiers) {
  return Deliver(root, [&](Control& t, MouseEvent& e) {
    e.button = MouseButton::None;
    e.modifiers = modifiers;
    t.MouseMove(e);
  });
}

Control* Control::SendMouseUp(Point root, MouseButton button, Modifiers modifiers) {
  return Deliver(root, [&](Control& t, MouseEvent& e) {
    e.button = button;
    e.modifiers = modifiers;
    capture_ = nullptr;
    t.MouseUp(e);
  });
}

Control* Control::SendDoubleClick(Point root, MouseButton button, Modifiers modifiers) {
  return Deliver(root, [&](Control& t, MouseEvent& e) {
    e.button = button;
    e.modifiers = modifiers;
    t.DoubleClick(e);
  });
}

bool Control::SendWheel(Point root, int delta) {
  for (Control* c = capture_ ? capture_ : ControlAt(root); c; c = c->parent_)
    if (c->Wheel(delta, c->FromRoot(root))) return true;
  return false;
}

bool Control::SendKey(const KeyEvent& key) {
  for (Control* c = focus_; c; c = c->parent_)
    if (c->enabled_ && c->KeyDown(key)) return true;
  return false;
}

bool Control::SendChar(unsigned char ch) {
  for (Control* c = focus_; c; c = c->parent_)
    if (c->enabled_ && c->KeyPress(ch)) return true;
  return false;
}

CursorShape Control::CursorAtRoot(Point root) {
  Control* c = capture_ ? capture_ : ControlAt(root);
  return c ? c->CursorAt(c->FromRoot(root)) : CursorShape::Arrow;
}

void Control::SetScrollOffset(Point offset) {
  if (offset == scroll_) return;
  scroll_ = offset;
  Invalidate();
  ScrollChanged();
}

void ScrollBox::SetContentSize(int width, int height) {
  contentWidth_ = std::max(0, width);
  contentHeight_ = std::max(0, height);
  ScrollTo(ScrollOffset());
  ScrollChanged();
}

void ScrollBox::ScrollTo(Point offset) {
  const int maxX = std::max(0, contentWidth_ - Width()), maxY = std::max(0, contentHeight_ - Height());
  SetScrollOffset({std::clamp(offset.x, 0, maxX), std::clamp(offset.y, 0, maxY)});
}

}  // namespace tolvane
