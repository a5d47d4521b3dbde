#include <gtest/gtest.h>

#include "model/undo.h"
#include "model/undo_steps.h"
#include "platform/control.h"
#include "test_support.h"

namespace tolvane::testing {
namespace {

// A step over one shared value: restoring puts its value back and leaves a
// step holding what it replaced.
struct ValueStep : TYKAbackup {
  ValueStep(std::string caption, int& target, int saved) : TYKAbackup(std::move(caption)), target_(target), saved_(saved) {}
  std::unique_ptr<TYKAbackup> Restore(RestoreResult& r) override {
    auto reverse = std::make_unique<ValueStep>(Caption(), target_, target_);
    target_ = saved_;
    r.applied = true;
    return reverse;
  }
  int& target_;
  int saved_;
};

// Records the value, then changes it, as an edit does.
void Edit(TYKAundoList& list, int& value, int to) {
  list.AddUndo(std::make_unique<ValueStep>("set " + std::to_string(to), value, value));
  value = to;
}

TEST(Undo, DepthDropsTheOldestStepsAndUndoGoesNewestFirst) {
  TYKAundoList list;  // depth 10
  int value = 0;
  for (int i = 1; i <= 12; ++i) Edit(list, value, i);
  EXPECT_EQ(list.UndoCaptions().size(), 10u);
  EXPECT_EQ(list.UndoCaptions().front(), "set 12");
  EXPECT_EQ(list.UndoCaptions().back(), "set 3");
  list.Undo();
  EXPECT_EQ(value, 11);
  list.Undo(4);  // four at once, as the drop-down does
  EXPECT_EQ(value, 7);
  while (list.CanUndo()) list.Undo();
  EXPECT_EQ(value, 2);  // the first two edits were dropped

  TYKAundoList small;
  for (int i = 1; i <= 8; ++i) Edit(small, value, i);
  small.SetDepth(1);  // ignored
  EXPECT_EQ(small.UndoCaptions().size(), 8u);
  small.SetDepth(3);
  EXPECT_EQ(small.UndoCaptions(), (std::vector<std::string>{"set 8", "set 7", "set 6"}));
}

TEST(Undo, RedoReappliesUntilANewEdit) {
  TYKAundoList list;
  int value = 0;
  Edit(list, value, 1);
  Edit(list, value, 2);
  Edit(list, value, 3);
  list.Undo(2);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(list.RedoCaptions(), (std::vector<std::string>{"set 2", "set 3"}));
  list.Redo();
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(list.CanRedo());
  Edit(list, value, 5);  // a new edit: what was undone cannot come back
  EXPECT_FALSE(list.CanRedo());
  list.Undo();
  EXPECT_EQ(value, 2);
  list.Clear();
  EXPECT_FALSE(list.CanUndo());
  EXPECT_FALSE(list.Undo().applied);
}

TEST(Undo, StoredObjectsComeBackByteForByte) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAoggetto* style = doc.CreateObject(stileParagrafo);
  style->SetCaption("Titre");
  TYKAtesto* page = doc.CreatePage();
  page->SetContentText("<Z S0 >avant");
  page->SetCaption("Accueil");
  const Bytes styleBefore = StoredRecord(*style);
  const Bytes pageBefore = StoredRecord(*page);

  RecordObjectUndo(doc, *style, "Modification du style : Titre");
  style->SetI16(72, 14);
  style->SetShortString(39, 33, "Verdana");
  RecordObjectUndo(doc, *page, "Page");
  page->SetContentText("<Z S0 >apr\xE8s");
  page->SetCaption("Autre");
  const Bytes styleAfter = StoredRecord(*style), pageAfter = StoredRecord(*page);
  EXPECT_TRUE(doc.IsModified());

  int restored = 0;
  doc.OnObjectRestored = [&](TYKAoggetto&) { ++restored; };
  RestoreResult r = doc.UndoList().Undo();
  EXPECT_TRUE(r.applied);
  EXPECT_TRUE(r.keepFocus);
  EXPECT_EQ(StoredRecord(*page), pageBefore);
  Bytes content;
  ASSERT_TRUE(page->ReadContent(content));
  EXPECT_EQ(AsText(content), "<Z S0 >avant");
  doc.UndoList().Undo();
  EXPECT_EQ(doc.ObjectAt(stileParagrafo, style->Slot()), style);  // the same object, loaded in place
  EXPECT_EQ(StoredRecord(*style), styleBefore);
  EXPECT_EQ(restored, 2);

  doc.UndoList().Redo(2);
  EXPECT_EQ(StoredRecord(*style), styleAfter);
  EXPECT_EQ(StoredRecord(*page), pageAfter);
  ASSERT_TRUE(page->ReadContent(content));
  EXPECT_EQ(AsText(content), "<Z S0 >apr\xE8s");

  // A slot that no longer holds the object gives nothing to apply; closing
  // the document empties the list.
  doc.DeleteObject(page);
  EXPECT_FALSE(doc.UndoList().Undo().applied);
  doc.Close();
  EXPECT_FALSE(doc.UndoList().CanUndo());
  EXPECT_FALSE(doc.UndoList().CanRedo());
}

TEST(Undo, ControlIndexAndPaths) {
  TYKAundoIndiciList index;
  Control a, b;
  EXPECT_EQ(index.RegisterControl(&a), 0);
  EXPECT_EQ(index.RegisterControl(&b), 1);
  index.PutControl(&a, 4);
  EXPECT_EQ(index.Count(), 5);
  EXPECT_EQ(index.ControlAt(3), nullptr);
  EXPECT_EQ(index.ControlAt(4), &a);
  EXPECT_EQ(index.ControlAt(-1), nullptr);
  EXPECT_EQ(index.ControlAt(9), nullptr);
  index.Forget(&a);
  EXPECT_EQ(index.IndexOf(&a), -1);
  EXPECT_EQ(index.IndexOf(&b), 1);

  // Frame set -> page -> control, resolved from the outside in.
  struct Indexed : Control, ControlIndexOwner {
    TYKAundoIndiciList list;
    TYKAundoIndiciList& ControlIndex() override { return list; }
  };
  struct PathStep : TYKAbackup {
    PathStep(std::vector<int> path) : TYKAbackup("x") { path_ = std::move(path); }
    std::unique_ptr<TYKAbackup> Restore(RestoreResult&) override { return nullptr; }
    Control* Resolve(TYKAundoIndiciList& sets, MessageBoxes& m) { return ResolveTarget(sets, m); }
  };
  Indexed frameSet, page;
  Control object;
  TYKAundoIndiciList sets;
  sets.PutControl(&frameSet, 1);
  frameSet.list.PutControl(&page, 2);
  page.list.PutControl(&object, 3);
  ScriptedMessages messages;
  EXPECT_EQ(PathStep({3, 2, 1}).Resolve(sets, messages), &object);
  EXPECT_EQ(PathStep({2, 1}).Resolve(sets, messages), &page);
  EXPECT_EQ(PathStep({3, 2, 0}).Resolve(sets, messages), nullptr);  // no frame set there
  EXPECT_EQ(PathStep({3, 5, 1}).Resolve(sets, messages), nullptr);  // no page there
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Errore nella catena undo list!", "Error in undo list chain!"}));
}

}  // namespace
}  // namespace tolvane::testing
