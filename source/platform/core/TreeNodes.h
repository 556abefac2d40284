// The node structure of a tree view, without any display: nodes with a text, image indexes
// and a data pointer, children kept in order. A tree view owns its nodes; deleting a node
// deletes its subtree. The tree-view control of the GUI layer (TTreeView) shows this structure
// and hears of every node added or deleted, one at a time, so that it never redoes the rest.
#pragma once

#include <cstdint>
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

/// What the control showing a node list hears of it. Each change names the one node it
/// touches, so following a change costs the same however large the tree.
class ITreeNodesObserver {
 public:
  /// `node` was linked in at `index` among its siblings; it has no children yet.
  virtual void NodeInserted(TTreeNode& node, int index) = 0;
  /// `node`, at `index` among its siblings, is about to go with its subtree.
  virtual void NodeDeleting(TTreeNode& node, int index) = 0;
  /// A batch of changes begins (BeginUpdate's first call) or ends (EndUpdate's last).
  virtual void UpdatingChanged(bool updating) = 0;

 protected:
  ~ITreeNodesObserver() = default;
};

/// The nodes of one tree view. Every operation that takes a node accepts null for "the top
/// level" where the class library does (Add, AddChild with a null parent).
class TTreeNodes {
 public:
  /// `observer` (the control showing the nodes, or null) hears of every change.
  explicit TTreeNodes(TTreeView* owner = nullptr, ITreeNodesObserver* observer = nullptr)
      : owner_(owner), observer_(observer) {}
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;
  ~TTreeNodes() {
    observer_ = nullptr;
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

  /// Starts a batch of changes: the control showing the nodes stops redrawing until the
  /// matching EndUpdate. Calls nest.
  void BeginUpdate();
  /// Ends a batch; the last of nested calls lets the control redraw. An EndUpdate without a
  /// BeginUpdate does nothing.
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }

 private:
  friend class TTreeNode;
  using NodeList = std::vector<std::unique_ptr<TTreeNode>>;

  NodeList& SiblingsOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }
  TTreeNode* InsertAt(TTreeNode* parent, size_t position, const std::string& text, TObject* data);
  void CheckOwn(const TTreeNode* node) const;

  TTreeView* owner_;
  ITreeNodesObserver* observer_;
  NodeList roots_;
  int count_ = 0;
  int updateCount_ = 0;
};

/// A batch of changes to `nodes` for the guard's life (BeginUpdate, then EndUpdate however the
/// scope is left).
class TTreeNodesUpdate {
 public:
  explicit TTreeNodesUpdate(TTreeNodes& nodes) : nodes_(nodes) { nodes_.BeginUpdate(); }
  ~TTreeNodesUpdate() { nodes_.EndUpdate(); }
  TTreeNodesUpdate(const TTreeNodesUpdate&) = delete;
  TTreeNodesUpdate& operator=(const TTreeNodesUpdate&) = delete;

 private:
  TTreeNodes& nodes_;
};
