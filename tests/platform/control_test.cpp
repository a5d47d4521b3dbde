#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/control.h"
#include "platform/fakes/recording_canvas.h"

namespace tolvane {
namespace {

// A control that fills itself with its colour and logs what reaches it.
class Probe : public Control {
 public:
  Probe(std::string name, Colour colour, std::vector<std::string>& log) : name_(std::move(name)), colour_(colour), log_(log) {}
  bool takeKeys = false, takeWheel = false;

 protected:
  void Paint(Canvas& c) override { c.FillRect(ClientRect(), colour_); }
  void MouseDown(const MouseEvent& e) override { Log("down", e.pos); }
  void MouseMove(const MouseEvent& e) override { Log("move", e.pos); }
  void MouseUp(const MouseEvent& e) override { Log("up", e.pos); }
  bool KeyDown(const KeyEvent&) override {
    log_.push_back(name_ + " key");
    return takeKeys;
  }
  bool Wheel(int delta, Point) override {
    log_.push_back(name_ + " wheel " + std::to_string(delta));
    return takeWheel;
  }
  void FocusChanged(bool focused) override { log_.push_back(name_ + (focused ? " focus" : " blur")); }

 private:
  void Log(const char* what, Point p) {
    log_.push_back(name_ + " " + what + " " + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  std::string name_;
  Colour colour_;
  std::vector<std::string>& log_;
};

struct Tree {
  std::vector<std::string> log;
  Probe root{"root", 0xFFFFFF, log};
  Probe* a = Add(root, "a", Rect{10, 10, 100, 100}, 0x0000FF);
  Probe* inner = Add(*a, "inner", Rect::Sized(5, 5, 20, 20), 0x00FF00);
  Probe* b = Add(root, "b", Rect{50, 50, 150, 150}, 0xFF0000);
  Tree() {
    root.SetBounds(Rect::Sized(0, 0, 200, 200));
    root.TakeDirtyRect();
  }
  Probe* Add(Control& parent, const char* name, Rect r, Colour c) {
    auto* p = static_cast<Probe*>(parent.Adopt(std::make_unique<Probe>(name, c, log)));
    p->SetBounds(r);
    return p;
  }
};

TEST(Control, ClicksGoToTheFrontMostControlAndCaptureHoldsThem) {
  Tree t;
  EXPECT_EQ(t.root.SendMouseDown({60, 60}), t.b);
  EXPECT_EQ(t.log.back(), "b down 10,10");
  EXPECT_EQ(t.root.SendMouseMove({20, 20}), t.b);  // captured until the button goes up
  EXPECT_EQ(t.log.back(), "b move -30,-30");
  EXPECT_EQ(t.root.SendMouseUp({20, 20}), t.b);
  EXPECT_EQ(t.root.SendMouseMove({20, 20}), t.inner);
  EXPECT_EQ(t.log.back(), "inner move 5,5");
  EXPECT_EQ(t.root.SendMouseDown({190, 10}), &t.root);
  t.root.SendMouseUp({190, 10});
  EXPECT_EQ(t.root.SendMouseDown({250, 10}), nullptr);  // outside everything

  t.a->BringToFront();
  EXPECT_EQ(t.root.ControlAt({60, 60}), t.a);
  t.a->SendToBack();
  t.b->SetVisible(false);
  EXPECT_EQ(t.root.ControlAt({60, 60}), t.a);
  t.a->SetEnabled(false);  // a disabled control lets its parent have the click
  EXPECT_EQ(t.root.ControlAt({20, 20}), &t.root);
}

TEST(Control, ScrollingMovesTheContentUnderThePointer) {
  std::vector<std::string> log;
  ScrollBox page;
  page.SetBounds(Rect::Sized(0, 0, 300, 200));
  page.SetContentSize(300, 1000);
  auto* far = static_cast<Probe*>(page.Adopt(std::make_unique<Probe>("far", 0, log)));
  far->SetBounds(Rect::Sized(0, 500, 100, 100));
  EXPECT_EQ(page.ControlAt({10, 60}), &page);
  page.ScrollTo({0, 450});
  EXPECT_EQ(page.SendMouseDown({10, 60}), far);
  EXPECT_EQ(log.back(), "far down 10,10");
  EXPECT_EQ(far->ToRoot({0, 0}), (Point{0, 50}));
  page.ScrollTo({-5, 5000});  // clamped to the content
  EXPECT_EQ(page.ScrollOffset(), (Point{0, 800}));
}

TEST(Control, InvalidatedAreasAreAllThatRepaints) {
  Tree t;
  RecordingCanvas canvas;
  t.root.PaintTree(canvas, t.root.ClientRect());
  EXPECT_EQ(canvas.Text(),
            "fill 0,0 200x200 #FFFFFF\n"
            "fill 10,10 90x90 #FF0000\n"
            "fill 15,15 20x20 #00FF00\n"
            "fill 50,50 100x100 #0000FF\n");
  canvas.Clear();
  t.b->Invalidate(Rect::Sized(80, 80, 10, 10));  // b only, away from a
  t.root.PaintDirty(canvas);
  EXPECT_EQ(canvas.Text(), "fill 130,130 10x10 #FFFFFF\nfill 130,130 10x10 #0000FF\n");
  canvas.Clear();
  t.root.PaintDirty(canvas);
  EXPECT_TRUE(canvas.calls().empty());  // nothing left to paint
  // Moving a control repaints where it was and where it goes.
  t.inner->SetBounds(Rect::Sized(60, 5, 20, 20));
  EXPECT_EQ(t.root.TakeDirtyRect(), (Rect{15, 15, 90, 35}));
  // A hidden parent hides what its children invalidate.
  t.a->SetVisible(false);
  t.root.TakeDirtyRect();
  t.inner->Invalidate();
  EXPECT_TRUE(t.root.TakeDirtyRect().Empty());
}

TEST(Control, KeysGoToTheFocusAndUpToItsParents) {
  Tree t;
  t.inner->SetFocus();
  t.b->SetFocus();
  EXPECT_EQ(t.log, (std::vector<std::string>{"inner focus", "inner blur", "b focus"}));
  t.log.clear();
  t.inner->SetFocus();
  t.a->takeKeys = true;
  EXPECT_TRUE(t.root.SendKey({Key::Enter, {}}));
  EXPECT_EQ(t.log, (std::vector<std::string>{"b blur", "inner focus", "inner key", "a key"}));
  t.log.clear();
  EXPECT_FALSE(t.root.SendWheel({20, 20}, -120));  // nobody takes it: it climbs to the root
  EXPECT_EQ(t.log, (std::vector<std::string>{"inner wheel -120", "a wheel -120", "root wheel -120"}));
  // Hiding or destroying the focused or capturing control lets go of it.
  t.a->SetVisible(false);
  EXPECT_EQ(t.root.FocusedControl(), nullptr);
  t.root.SendMouseDown({60, 60});
  EXPECT_EQ(t.root.CaptureControl(), t.b);
  t.b->SetParent(nullptr);
  EXPECT_EQ(t.root.CaptureControl(), nullptr);
  delete t.b;  // still owned by the root, which forgets it
}

TEST(Control, CursorComesFromTheControlUnderThePointer) {
  Tree t;
  t.b->SetCursor(CursorShape::Hand);
  EXPECT_EQ(t.root.CursorAtRoot({60, 60}), CursorShape::Hand);
  EXPECT_EQ(t.root.CursorAtRoot({20, 20}), CursorShape::Arrow);
}

}  // namespace
}  // namespace tolvane
