#include "model/undo.h"

#include <algorithm>

#include "platform/control.h"
#include "platform/messages.h"

namespace tolvane {

// ---- TYKAundoIndiciList

int TYKAundoIndiciList::RegisterControl(Control* control) {
  controls_.push_back(control);
  return static_cast<int>(controls_.size()) - 1;
}

Control* TYKAundoIndiciList::ControlAt(int index) const {
  return index >= 0 && index < Count() ? controls_[static_cast<size_t>(index)] : nullptr;
}

void TYKAundoIndiciList::PutControl(Control* control, int index) {
  if (index < 0) return;
  if (index >= Count()) controls_.resize(static_cast<size_t>(index) + 1, nullptr);
  controls_[static_cast<size_t>(index)] = control;
}

int TYKAundoIndiciList::IndexOf(const Control* control) const {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  return it == controls_.end() || !control ? -1 : static_cast<int>(it - controls_.begin());
}

void TYKAundoIndiciList::Forget(const Control* control) {
  for (auto& c : controls_)
    if (c == control) c = nullptr;
}

// ---- TYKAbackup

Control* TYKAbackup::ResolveTarget(TYKAundoIndiciList& frameSets, MessageBoxes& messages) const {
  if (path_.empty()) return nullptr;
  Control* frameSet = frameSets.ControlAt(path_.back());
  if (path_.size() < 2) return frameSet;
  auto* frames = dynamic_cast<ControlIndexOwner*>(frameSet);
  if (!frames) {
    messages.ShowError("Errore nella catena undo list!");
    return nullptr;
  }
  Control* page = frames->ControlIndex().ControlAt(path_[path_.size() - 2]);
  if (path_.size() < 3) return page;
  auto* controls = dynamic_cast<ControlIndexOwner*>(page);
  if (!controls) {
    messages.ShowError("Error in undo list chain!");
    return nullptr;
  }
  return controls->ControlIndex().ControlAt(path_[path_.size() - 3]);
}

// ---- TYKAundoList

void TYKAundoList::AddUndo(std::unique_ptr<TYKAbackup> step) {
  if (!step) return;
  redo_.clear();
  undo_.push_back(std::move(step));
  Trim();
}

void TYKAundoList::Trim() {
  // A depth of 0 keeps everything.
  if (depth_ > 0 && static_cast<int>(undo_.size()) > depth_)
    undo_.erase(undo_.begin(), undo_.begin() + (static_cast<int>(undo_.size()) - depth_));
}

RestoreResult TYKAundoList::Apply(std::vector<std::unique_ptr<TYKAbackup>>& from,
                                  std::vector<std::unique_ptr<TYKAbackup>>& to) {
  RestoreResult result;
  if (from.empty()) return result;
  std::unique_ptr<TYKAbackup> step = std::move(from.back());
  from.pop_back();
  std::unique_ptr<TYKAbackup> reverse = step->Restore(result);
  if (reverse) {
    to.push_back(std::move(reverse));
    if (&to == &undo_) Trim();
  }
  return result;
}

RestoreResult TYKAundoList::Undo() { return Apply(undo_, redo_); }
RestoreResult TYKAundoList::Redo() { return Apply(redo_, undo_); }

RestoreResult TYKAundoList::Undo(int n) {
  RestoreResult last;
  for (int i = 0; i < n && CanUndo(); ++i) last = Undo();
  return last;
}

RestoreResult TYKAundoList::Redo(int n) {
  RestoreResult last;
  for (int i = 0; i < n && CanRedo(); ++i) last = Redo();
  return last;
}

void TYKAundoList::Clear() {
  undo_.clear();
  redo_.clear();
}

void TYKAundoList::SetDepth(int depth) {
  if (depth < 2) return;
  depth_ = depth;
  Trim();
}

std::vector<std::string> TYKAundoList::UndoCaptions() const {
  std::vector<std::string> out;
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) out.push_back((*it)->Caption());
  return out;
}

std::vector<std::string> TYKAundoList::RedoCaptions() const {
  std::vector<std::string> out;
  for (auto it = redo_.rbegin(); it != redo_.rend(); ++it) out.push_back((*it)->Caption());
  return out;
}

}  // namespace tolvane
