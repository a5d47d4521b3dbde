// The page tree (and the prototype tree): chapters and object nodes kept as
// lines of text in a tree object of the document, and the edits a tree view
// makes to them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ansi.h"
#include "model/kinds.h"

namespace tolvane {

class TYKAset;

struct TreeNode {
  enum class Type { Root, Chapter, Caption, Object, Missing };
  Type type = Type::Caption;
  AnsiString caption;
  int32_t id = -1;  // Object nodes: the page or prototype
  TreeNode* parent = nullptr;
  std::vector<std::unique_ptr<TreeNode>> children;

  int Level() const {
    int level = 0;
    for (const TreeNode* p = parent; p; p = p->parent) ++level;
    return level;
  }
};

class TYKAorderedTree {
 public:
  // `objects` is testoHtml for the page tree, custom for the prototype tree.
  TYKAorderedTree(TYKAset& doc, TOggettiHel objects);

  // Reads the tree object; without content, builds the default tree (a root
  // named after the document file and every object of the kind) and stores it.
  void Load();
  // Writes every node, in tree order, to the tree object.
  void Store();
  // The lines Store writes.
  std::vector<std::string> Lines() const;
  // Top-level nodes (normally the root alone).
  const std::vector<std::unique_ptr<TreeNode>>& Nodes() const { return nodes_; }
  TreeNode* Root() const;

  // ---- edits, refused when the tree is not editable
  bool editable = true;
  bool Rename(TreeNode* node, std::string_view caption);
  // Onto a chapter or the root: the last child; onto an object node: just before it.
  bool Move(TreeNode* node, TreeNode* onto);
  bool MoveUp(TreeNode* node);
  bool MoveDown(TreeNode* node);
  // Under the selected chapter or root, or after the selected object node.
  TreeNode* NewChapter(TreeNode* selected, std::string_view caption);
  TreeNode* NewObjectNode(TreeNode* selected, int32_t id);
  bool Delete(TreeNode* node);

  std::function<bool(TreeNode&)> OnDel;  // prototype trees ask before a node goes
  std::function<void()> OnAfterDel;
  std::function<void(TreeNode&)> OnRenameItem;

 private:
  void Parse(std::string_view text);
  void BuildDefault();
  std::unique_ptr<TreeNode> MakeNode(int32_t marker, std::string_view caption) const;
  std::unique_ptr<TreeNode> Detach(TreeNode* node);
  std::vector<std::unique_ptr<TreeNode>>& SiblingsOf(TreeNode* node);
  // The node's position among its siblings (their count when it is not there).
  size_t IndexOf(TreeNode* node);
  bool MoveAmongSiblings(TreeNode* node, int step);
  void Insert(TreeNode* parent, size_t index, std::unique_ptr<TreeNode> node);
  TreeNode* Place(TreeNode* selected, std::unique_ptr<TreeNode> node);

  TYKAset& doc_;
  TOggettiHel kind_;
  std::vector<std::unique_ptr<TreeNode>> nodes_;
};

}  // namespace tolvane
