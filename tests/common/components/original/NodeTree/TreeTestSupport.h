// Shared pieces of the tree tests: a recount of every counter from the links alone, and small
// builders of trees.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/components/original/NodeTree/NodeTree.h"

namespace treetest {

/// Checks links, indexes, ChildCount, TotalCount and TotalHeight of the subtree under `node`
/// against a recount, adding the nodes visible in the tree to `visible`. Returns the number of
/// failures found.
inline int CheckSubtree(TNodeTree& tree, PNode node, bool shown, uint32_t& visible) {
  int failures = 0;
  const bool expanded = node == tree.RootNode() || node->Has(nsExpanded);
  uint32_t count = 1;
  uint64_t height = node->NodeHeight;
  uint32_t index = 0;
  PNode previous = nullptr;
  for (PNode child = node->FirstChild; child != nullptr; child = child->NextSibling) {
    if (child->Parent != node || child->Index != index || child->PrevSibling != previous) ++failures;
    const bool childShown = shown && expanded && child->Has(nsVisible);
    if (childShown) ++visible;
    failures += CheckSubtree(tree, child, childShown, visible);
    count += child->TotalCount;
    if (expanded && child->Has(nsVisible)) height += child->TotalHeight;
    previous = child;
    ++index;
  }
  if (node->ChildCount != index || node->LastChild != previous) ++failures;
  if (node->TotalCount != count) ++failures;
  if (node->TotalHeight != height) ++failures;
  return failures;
}

/// The visible nodes in display order with their tops, walked by hand.
inline void CollectVisible(TNodeTree& tree, PNode node, int64_t& top,
                           std::vector<std::pair<PNode, int64_t>>& out) {
  for (PNode child = node->FirstChild; child != nullptr; child = child->NextSibling) {
    if (!child->Has(nsVisible)) continue;
    out.emplace_back(child, top);
    top += child->NodeHeight;
    if (child->Has(nsExpanded)) CollectVisible(tree, child, top, out);
  }
}

/// Every node of the tree in tree order, without initialising any.
inline std::vector<PNode> AllNodes(TNodeTree& tree) {
  std::vector<PNode> nodes;
  for (PNode node = tree.GetNextNoInit(tree.RootNode()); node != nullptr; node = tree.GetNextNoInit(node))
    nodes.push_back(node);
  return nodes;
}

/// Adds text nodes "name" under `parent` (none: top level).
inline PNode Add(TNodeTree& tree, PNode parent, const std::string& text) {
  return tree.AddTextNode(parent, parent == nullptr ? amInsertAfter : amAddChildLast, false, -1, 1, 0, 4,
                          text);
}

inline std::string TextOf(TNodeTree& tree, PNode node) {
  const TTextNodeData* data = tree.TextData(node);
  return data == nullptr ? std::string() : std::string(data->Text.begin(), data->Text.end());
}

}  // namespace treetest
