// Undo. Every edit that can be undone records a step just before it changes
// anything; the document keeps the steps in an undo list with a caption each.
// Steps never hold controls: pages and their controls are made again each
// time a page is shown, so a step keeps a path of indices through the
// control indexes (document -> frame set -> page -> control) and resolves it
// when it is applied. A step undone leaves a step that redoes it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class Control;
class MessageBoxes;

// The controls of a page, of a frame set or of the document, by index. An
// index stays valid while the list lives: entries are replaced or emptied,
// never removed.
class TYKAundoIndiciList {
 public:
  int RegisterControl(Control* control);
  Control* ControlAt(int index) const;
  // Places `control` at `index`, adding empty entries before it as needed.
  void PutControl(Control* control, int index);
  int Count() const { return static_cast<int>(controls_.size()); }
  // The index of `control`, or -1.
  int IndexOf(const Control* control) const;
  // Empties every entry holding `control` (a control that goes away).
  void Forget(const Control* control);

 private:
  std::vector<Control*> controls_;
};

// A control that keeps an index of the controls under it (frame sets, pages).
class ControlIndexOwner {
 public:
  virtual ~ControlIndexOwner() = default;
  virtual TYKAundoIndiciList& ControlIndex() = 0;
};

// What applying a step asks of the user interface afterwards.
struct RestoreResult {
  bool applied = false;
  Control* focus = nullptr;      // the control that should get the focus
  bool keepFocus = false;        // leave the focus where it is
};

class TYKAbackup {
 public:
  explicit TYKAbackup(std::string caption) : caption_(std::move(caption)) {}
  virtual ~TYKAbackup() = default;
  const std::string& Caption() const { return caption_; }

  // Puts the subject back as captured and returns the step that takes it
  // back to how it was just before (null when that cannot be made).
  virtual std::unique_ptr<TYKAbackup> Restore(RestoreResult& result) = 0;

 protected:
  // Where the subject's control is: innermost index first, ending with the
  // frame set's index in the document's list.
  std::vector<int> path_;
  // Walks `path_` from the document's frame sets inwards; reports a broken
  // chain through `messages` and gives null.
  Control* ResolveTarget(TYKAundoIndiciList& frameSets, MessageBoxes& messages) const;

 private:
  std::string caption_;
};

class TYKAundoList {
 public:
  static constexpr int kDefaultDepth = 10;
  explicit TYKAundoList(int depth = kDefaultDepth) : depth_(depth) {}

  // A new edit: forgets what could be redone, drops the oldest steps beyond the depth.
  void AddUndo(std::unique_ptr<TYKAbackup> step);
  void AddRedo(std::unique_ptr<TYKAbackup> step) { redo_.push_back(std::move(step)); }
  // The newest step applied and removed; its reverse goes to the other list.
  RestoreResult Undo();
  RestoreResult Redo();
  // `n` steps at once (the drop-down list); the last result.
  RestoreResult Undo(int n);
  RestoreResult Redo(int n);
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  void Clear();
  // Ignored below 2; otherwise the oldest steps beyond it are dropped.
  void SetDepth(int depth);
  int Depth() const { return depth_; }
  // Newest first, as the drop-down lists them.
  std::vector<std::string> UndoCaptions() const;
  std::vector<std::string> RedoCaptions() const;
  bool busy = false;  // while the drop-down is open

 private:
  RestoreResult Apply(std::vector<std::unique_ptr<TYKAbackup>>& from, std::vector<std::unique_ptr<TYKAbackup>>& to);
  void Trim();
  std::vector<std::unique_ptr<TYKAbackup>> undo_, redo_;  // oldest first
  int depth_;
};

}  // namespace tolvane
