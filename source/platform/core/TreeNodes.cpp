#include "platform/core/TreeNodes.h"

#include <algorithm>

#include "platform/core/Exceptions.h"

namespace {

int SubtreeSize(const TTreeNode& node) {
  // Most nodes freed are leaves, one at a time: they need no list to walk.
  if (!node.HasChildren()) return 1;
  int n = 0;
  std::vector<const TTreeNode*> pending{&node};
  while (!pending.empty()) {
    const TTreeNode* next = pending.back();
    pending.pop_back();
    ++n;
    for (int i = 0; i < next->Count(); ++i) pending.push_back(next->Item(i));
  }
  return n;
}

}  // namespace

TTreeNode::~TTreeNode() {
  // Free the subtree without recursing through the destructors, so depth is no limit, and
  // without a list of pending nodes, as this runs while an exception for a failed allocation
  // unwinds: go down to the last leaf along the parent links, free it, and go back up.
  TTreeNode* node = this;
  while (true) {
    if (!node->children_.empty()) {
      node = node->children_.back().get();
      continue;
    }
    if (node == this) break;
    node = node->parent_;
    node->children_.pop_back();
  }
}

TTreeView* TTreeNode::TreeView() const {
  return owner_ ? owner_->Owner() : nullptr;
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return children_[static_cast<size_t>(index)].get();
}

int TTreeNode::Index() const {
  const auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

void TTreeNode::Delete() {
  owner_->Delete(this);
}

void TTreeNode::DeleteChildren() {
  while (HasChildren()) owner_->Delete(children_.back().get());
}

// ---------------------------------------------------------------------------------------

TTreeNode* TTreeNodes::TopLevelItem(int index) const {
  if (index < 0 || index >= TopLevelCount()) RaiseListIndexError(index);
  return roots_[static_cast<size_t>(index)].get();
}

TTreeNode* TTreeNodes::Item(int index) const {
  if (index < 0 || index >= count_) RaiseListIndexError(index);
  // Walk in tree order with an explicit stack of (siblings, next position).
  std::vector<std::pair<const NodeList*, size_t>> stack{{&roots_, 0}};
  int seen = 0;
  while (!stack.empty()) {
    auto& [list, pos] = stack.back();
    if (pos >= list->size()) {
      stack.pop_back();
      continue;
    }
    TTreeNode* node = (*list)[pos++].get();
    if (seen++ == index) return node;
    if (node->HasChildren()) stack.emplace_back(&node->children_, 0);
  }
  RaiseListIndexError(index);
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, size_t position, const std::string& text, TObject* data) {
  CheckOwn(parent);
  std::unique_ptr<TTreeNode> node(new TTreeNode(this));
  node->parent_ = parent;
  node->Text = text;
  node->Data = data;
  TTreeNode* raw = node.get();
  NodeList& siblings = SiblingsOf(parent);
  const auto at = siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), std::move(node));
  ++count_;
  try {
    if (observer_) observer_->NodeInserted(*raw, static_cast<int>(position));
  } catch (...) {
    // All or nothing: a node whose insertion failed must not stay behind with data that its
    // caller frees.
    siblings.erase(at);
    --count_;
    throw;
  }
  return raw;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
  return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, TObject* data) {
  CheckOwn(sibling);
  TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
  return InsertAt(parent, SiblingsOf(parent).size(), text, data);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
  return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, TObject* data) {
  CheckOwn(parent);
  return InsertAt(parent, SiblingsOf(parent).size(), text, data);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) {
  return AddChildObjectFirst(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* parent, const std::string& text, TObject* data) {
  return InsertAt(parent, 0, text, data);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
  return InsertObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const std::string& text, TObject* data) {
  CheckOwn(sibling);
  if (!sibling) return InsertAt(nullptr, roots_.size(), text, data);
  return InsertAt(sibling->parent_, static_cast<size_t>(sibling->Index()), text, data);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node) return;
  CheckOwn(node);
  NodeList& siblings = SiblingsOf(node->parent_);
  // Owners free their children from the last one down, so look from the end.
  auto it =
      std::find_if(siblings.rbegin(), siblings.rend(), [node](const auto& p) { return p.get() == node; });
  if (it == siblings.rend()) throw EInvalidOperation("Tree node is not in its tree");
  const auto position = std::next(it).base();
  if (observer_) observer_->NodeDeleting(*node, static_cast<int>(position - siblings.begin()));
  count_ -= SubtreeSize(*node);
  std::unique_ptr<TTreeNode> doomed = std::move(*position);
  siblings.erase(position);
  doomed.reset();
}

void TTreeNodes::Clear() {
  while (!roots_.empty()) {
    std::unique_ptr<TTreeNode>& last = roots_.back();
    if (observer_) observer_->NodeDeleting(*last, static_cast<int>(roots_.size()) - 1);
    std::unique_ptr<TTreeNode> doomed = std::move(last);
    roots_.pop_back();
  }
  count_ = 0;
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && observer_) observer_->UpdatingChanged(true);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && observer_) observer_->UpdatingChanged(false);
}

void TTreeNodes::CheckOwn(const TTreeNode* node) const {
  if (node && node->owner_ != this) throw EInvalidOperation("Tree node belongs to another tree");
}
