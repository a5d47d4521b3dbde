// Localises a Qt form: the form and its named children (widgets, actions,
// menus) seen as the components of a localisable tree. The described
// property names map onto Qt: caption is a button's or label's text, a group
// box's or menu's title, a tab page's tab text and a window's title; text is
// the editable text; hint the tool tip; items and strings a list's or combo
// box's entries; lines a text editor's lines; columns a tree's or table's
// header labels; tabs the tab texts of a tab widget; filter a dynamic property
// of that name. Other published text properties (placeholderText, statusTip,
// whatsThis) go by their Qt names.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string_view>
#include <vector>

#include "localisation/languager.h"

namespace tolvane {

class QtLocalisableTree : public LocalisableTree {
 public:
  explicit QtLocalisableTree(QWidget& form);
  ~QtLocalisableTree() override;
  LocalisableComponent& Owner() override;
  std::vector<LocalisableComponent*> Components() override;
  // Components destroyed before the tree are reported here.
  void SetLanguager(TNyLanguager* languager) { languager_ = languager; }

 private:
  class Component;
  std::unique_ptr<Component> owner_;
  std::vector<std::unique_ptr<Component>> parts_;
  TNyLanguager* languager_ = nullptr;
};

// Applies a localisation text to `form` and its children at once.
void LocaliseForm(QWidget& form, std::string_view text);

}  // namespace tolvane
