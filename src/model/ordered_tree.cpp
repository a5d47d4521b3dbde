#include "model/ordered_tree.h"

#include <algorithm>
#include <charconv>

#include "common/decimal.h"
#include "common/file_names.h"
#include "model/document.h"

namespace tolvane {
namespace {

constexpr int32_t kChapter = -3, kRootMarker = -2, kPlain = -1;
// Deeper trees are no outline a person reads, and would only cost stack.
constexpr int kMaxTreeDepth = 64;

bool ParseInt(std::string_view text, int32_t& out) {
  auto v = ParseDecimal(text);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
  out = static_cast<int32_t>(*v);
  return true;
}

template <typename F>
void Walk(const std::vector<std::unique_ptr<TreeNode>>& nodes, F f) {
  for (const auto& n : nodes) {
    f(*n);
    Walk(n->children, f);
  }
}

bool IsWithin(const TreeNode* node, const TreeNode* ancestor) {
  for (const TreeNode* p = node; p; p = p->parent)
    if (p == ancestor) return true;
  return false;
}

TYKAoggetto* TreeObjectOf(TYKAset& doc, TOggettiHel kind) {
  return kind == custom ? doc.PrototypeTreeObject() : doc.PageTreeObject();
}

}  // namespace

TYKAorderedTree::TYKAorderedTree(TYKAset& doc, TOggettiHel objects) : doc_(doc), kind_(objects) {}

void TYKAorderedTree::Load() {
  nodes_.clear();
  TYKAoggetto* tree = TreeObjectOf(doc_, kind_);
  Bytes content;
  if (tree && tree->ReadContent(content) && !content.empty()) {
    Parse(AsText(content));
    return;
  }
  BuildDefault();
  Store();
}

std::unique_ptr<TreeNode> TYKAorderedTree::MakeNode(int32_t marker, std::string_view caption) const {
  auto node = std::make_unique<TreeNode>();
  node->caption = AnsiString(caption);
  if (marker == kChapter) node->type = TreeNode::Type::Chapter;
  else if (marker == kRootMarker) node->type = TreeNode::Type::Root;
  else if (marker == kPlain) node->type = TreeNode::Type::Caption;
  else {
    TYKAoggetto* o = doc_.FindObject(marker);
    if (o && o->Kind() == kind_ && !o->IsFree()) {
      node->type = TreeNode::Type::Object;
      node->id = marker;
      node->caption = o->ObjectCaption();
    } else {
      node->type = TreeNode::Type::Missing;
      node->caption = "*";
    }
  }
  return node;
}

void TYKAorderedTree::Parse(std::string_view text) {
  TreeNode* previous = nullptr;
  bool decodeError = false, levelError = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end;
    while (start < text.size() && (text[start] == '\r' || text[start] == '\n')) ++start;
    if (line.empty()) continue;

    const size_t first = line.find(','), second = first == std::string_view::npos ? first : line.find(',', first + 1);
    int32_t level = 0, marker = 0;
    if (line[0] != 'a' || second == std::string_view::npos || !ParseInt(line.substr(1, first - 1), level) ||
        !ParseInt(line.substr(first + 1, second - first - 1), marker) || level < 0) {
      decodeError = true;
      continue;
    }
    auto node = MakeNode(marker, line.substr(second + 1));
    TreeNode* raw = node.get();
    if (!previous) {
      nodes_.push_back(std::move(node));
    } else {
      const int prevLevel = previous->Level();
      if (level > prevLevel + 1) {
        levelError = true;  // a jump of levels: the node goes one level deeper only
        level = prevLevel + 1;
      }
      if (level > kMaxTreeDepth) {
        levelError = true;
        level = kMaxTreeDepth;
      }
      if (level == prevLevel + 1) {
        Insert(previous, previous->children.size(), std::move(node));
      } else {
        TreeNode* sibling = previous;
        while (sibling->Level() > level) sibling = sibling->parent;
        auto& siblings = SiblingsOf(sibling);
        Insert(sibling->parent, siblings.size(), std::move(node));
      }
    }
    previous = raw;
  }
  if (decodeError) doc_.messages().ShowError("error decoding nodes");
  if (levelError) doc_.messages().ShowError("error loading nodes");
}

void TYKAorderedTree::BuildDefault() {
  auto root = std::make_unique<TreeNode>();
  root->type = TreeNode::Type::Root;
  root->caption = Utf8ToAnsi(ExtractFileName(doc_.YKAFileName()));
  TreeNode* r = root.get();
  nodes_.push_back(std::move(root));
  for (int32_t slot = 0; slot < doc_.KindCount(kind_); ++slot) {
    TYKAoggetto* o = doc_.ObjectAt(kind_, slot);
    if (o && !o->IsFree()) Insert(r, r->children.size(), MakeNode(o->ObjectId(), ""));
  }
}

std::vector<std::string> TYKAorderedTree::Lines() const {
  std::vector<std::string> lines;
  Walk(nodes_, [&](const TreeNode& n) {
    const std::string level = "a" + std::to_string(n.Level()) + ",";
    switch (n.type) {
      case TreeNode::Type::Object: lines.push_back(level + std::to_string(n.id) + ",x"); break;
      case TreeNode::Type::Chapter: lines.push_back(level + std::to_string(kChapter) + "," + n.caption); break;
      case TreeNode::Type::Root: lines.push_back(level + std::to_string(kRootMarker) + "," + n.caption); break;
      default: lines.push_back(level + std::to_string(kPlain) + "," + n.caption); break;
    }
  });
  return lines;
}

void TYKAorderedTree::Store() {
  TYKAoggetto* tree = TreeObjectOf(doc_, kind_);
  if (!tree) return;
  std::string text;
  for (const auto& line : Lines()) text += line + "\r\n";
  tree->SetContentText(text);
  doc_.SetModified(true);
}

TreeNode* TYKAorderedTree::Root() const {
  for (const auto& n : nodes_)
    if (n->type == TreeNode::Type::Root) return n.get();
  return nodes_.empty() ? nullptr : nodes_.front().get();
}

std::vector<std::unique_ptr<TreeNode>>& TYKAorderedTree::SiblingsOf(TreeNode* node) {
  return node->parent ? node->parent->children : nodes_;
}

void TYKAorderedTree::Insert(TreeNode* parent, size_t index, std::unique_ptr<TreeNode> node) {
  node->parent = parent;
  auto& list = parent ? parent->children : nodes_;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(index, list.size())), std::move(node));
}

size_t TYKAorderedTree::IndexOf(TreeNode* node) {
  auto& siblings = SiblingsOf(node);
  return static_cast<size_t>(
      std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; }) -
      siblings.begin());
}

std::unique_ptr<TreeNode> TYKAorderedTree::Detach(TreeNode* node) {
  auto& siblings = SiblingsOf(node);
  auto it = siblings.begin() + static_cast<std::ptrdiff_t>(IndexOf(node));
  if (it == siblings.end()) return nullptr;
  auto owned = std::move(*it);
  siblings.erase(it);
  owned->parent = nullptr;
  return owned;
}

bool TYKAorderedTree::Rename(TreeNode* node, std::string_view caption) {
  if (!editable || !node) return false;
  switch (node->type) {
    case TreeNode::Type::Root:
    case TreeNode::Type::Chapter:
    case TreeNode::Type::Caption: node->caption = AnsiString(caption); break;
    case TreeNode::Type::Object: {
      // A page node shows its page's title, which is changed elsewhere.
      if (kind_ == testoHtml) return false;
      TYKAoggetto* o = doc_.FindObject(node->id);
      if (!o) return false;
      o->SetCaption(caption);
      node->caption = o->ObjectCaption();
      if (OnRenameItem) OnRenameItem(*node);
      break;
    }
    default: return false;
  }
  Store();
  return true;
}

bool TYKAorderedTree::Move(TreeNode* node, TreeNode* onto) {
  if (!editable || !node || !onto || node->type == TreeNode::Type::Root || IsWithin(onto, node)) return false;
  auto owned = Detach(node);
  if (!owned) return false;
  if (onto->type == TreeNode::Type::Chapter || onto->type == TreeNode::Type::Root) {
    Insert(onto, onto->children.size(), std::move(owned));
  } else {
    Insert(onto->parent, IndexOf(onto), std::move(owned));
  }
  Store();
  return true;
}

bool TYKAorderedTree::MoveAmongSiblings(TreeNode* node, int step) {
  if (!editable || !node) return false;
  auto& siblings = SiblingsOf(node);
  const size_t index = IndexOf(node);
  const size_t other = index + static_cast<size_t>(step);
  if (index >= siblings.size() || other >= siblings.size()) return false;  // also catches index 0 - 1
  std::swap(siblings[index], siblings[other]);
  Store();
  return true;
}

bool TYKAorderedTree::MoveUp(TreeNode* node) { return MoveAmongSiblings(node, -1); }
bool TYKAorderedTree::MoveDown(TreeNode* node) { return MoveAmongSiblings(node, 1); }

TreeNode* TYKAorderedTree::Place(TreeNode* selected, std::unique_ptr<TreeNode> node) {
  TreeNode* raw = node.get();
  if (!selected) selected = Root();
  if (!selected) {
    Insert(nullptr, nodes_.size(), std::move(node));
  } else if (selected->type == TreeNode::Type::Chapter || selected->type == TreeNode::Type::Root) {
    Insert(selected, selected->children.size(), std::move(node));
  } else {
    Insert(selected->parent, IndexOf(selected) + 1, std::move(node));
  }
  Store();
  return raw;
}

TreeNode* TYKAorderedTree::NewChapter(TreeNode* selected, std::string_view caption) {
  if (!editable) return nullptr;
  return Place(selected, MakeNode(kChapter, caption));
}

TreeNode* TYKAorderedTree::NewObjectNode(TreeNode* selected, int32_t id) {
  if (!editable) return nullptr;
  auto node = MakeNode(id, "");
  if (node->type != TreeNode::Type::Object) return nullptr;
  return Place(selected, std::move(node));
}

bool TYKAorderedTree::Delete(TreeNode* node) {
  if (!editable || !node || node->type == TreeNode::Type::Root) return false;
  if (kind_ == custom && OnDel && !OnDel(*node)) return false;
  if (!Detach(node)) return false;
  Store();
  if (OnAfterDel) OnAfterDel();
  return true;
}

}  // namespace tolvane
