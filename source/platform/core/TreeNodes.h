// The node structure of a tree view, without any display: nodes with a text, image indexes
// and a data pointer, children kept in order. A tree view owns its nodes; deleting a node
// deletes its subtree. The tree-view control of the GUI layer (TTreeView) shows this structure.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Object.h"

class TTreeNodes;
class TTreeView;

/// One node of a tree view. Nodes are created and deleted through their TTreeNodes.
class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;
  ~TTreeNode();

  std::string Text;
  int32_t ImageIndex = -1;
  int32_t SelectedIndex = -1;
  /// Not owned: whoever stores an object here frees it.
  TObject* Data = nullptr;

  TTreeNodes* Owner() const { return owner_; }
  TTreeView* TreeView() const;
  /// Null for a top-level node.
  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  bool HasChildren() const { return !children_.empty(); }
  /// Child `index` (0-based); raises EListError outside 0 .. Count-1.
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
  /// Position among the siblings (top-level nodes count among themselves).
  int Index() const;
  /// 0 for a top-level node.
  int Level() const;
  /// Deletes this node and its subtree; the pointer is invalid afterwards.
  void Delete();
  void DeleteChildren();

 private:
  friend class TTreeNodes;
  explicit TTreeNode(TTreeNodes* owner) : owner_(owner) {}

  TTreeNodes* owner_;
  TTreeNode* parent_ = nullptr;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

/// The nodes of one tree view. Every operation that takes a node accepts null for "the top
/// level" where the class library does (Add, AddChild with a null parent).
class TTreeNodes {
 public:
  explicit TTreeNodes(TTreeView* owner = nullptr) : owner_(owner) {}
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;
  ~TTreeNodes() {
    OnChange = nullptr;
    Clear();
  }

  TTreeView* Owner() const { return owner_; }
  /// All nodes of the tree, at every level.
  int Count() const { return count_; }
  int TopLevelCount() const { return static_cast<int>(roots_.size()); }
  TTreeNode* TopLevelItem(int index) const;
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  /// Node `index` in tree order (depth first, parents before children).
  TTreeNode* Item(int index) const;

  /// Adds a node after the last sibling of `sibling` (at the top level when null).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text);
  TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, TObject* data);
  /// Adds a node as the last child of `parent` (at the top level when null).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, TObject* data);
  /// Adds a node as the first child of `parent` (at the top level when null).
  TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
  TTreeNode* AddChildObjectFirst(TTreeNode* parent, const std::string& text, TObject* data);
  /// Inserts a node just before `sibling` (at the end of the top level when null).
  TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
  TTreeNode* InsertObject(TTreeNode* sibling, const std::string& text, TObject* data);

  /// Deletes `node` and its subtree; null does nothing. Raises EInvalidOperation for a node
  /// of another tree.
  void Delete(TTreeNode* node);
  void Clear();

  /// Called after nodes were added or deleted (the control showing them follows).
  std::function<void()> OnChange;

 private:
  friend class TTreeNode;
  using NodeList = std::vector<std::unique_ptr<TTreeNode>>;

  NodeList& SiblingsOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }
  TTreeNode* InsertAt(TTreeNode* parent, size_t position, const std::string& text, TObject* data);
  void Changed() {
    if (OnChange) OnChange();
  }
  void CheckOwn(const TTreeNode* node) const;

  TTreeView* owner_;
  NodeList roots_;
  int count_ = 0;
};
