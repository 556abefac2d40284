#include <gtest/gtest.h>

#include <string>

#include "platform/core/Exceptions.h"
#include "platform/core/TreeNodes.h"

namespace {

/// The texts of all nodes in tree order, each prefixed by its level: "0a 1b 0c".
std::string Outline(const TTreeNodes& nodes) {
  std::string out;
  for (int i = 0; i < nodes.Count(); ++i) {
    const TTreeNode* node = nodes.Item(i);
    if (!out.empty()) out += ' ';
    out += std::to_string(node->Level()) + node->Text;
  }
  return out;
}

}  // namespace

TEST(TreeNodesTest, AddsChildrenInOrderAndFirstAndBefore) {
  TTreeNodes nodes;
  TTreeNode* a = nodes.Add(nullptr, "a");
  nodes.AddChild(a, "c");
  nodes.AddChildFirst(a, "b");
  TTreeNode* e = nodes.AddChild(a, "e");
  nodes.Insert(e, "d");
  nodes.Add(a, "f");
  nodes.AddChildFirst(nullptr, "top");
  EXPECT_EQ(Outline(nodes), "0top 0a 1b 1c 1d 1e 0f");
  EXPECT_EQ(nodes.Count(), 7);
  EXPECT_EQ(a->Count(), 4);
  EXPECT_EQ(e->Index(), 3);
  EXPECT_EQ(e->Parent(), a);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(e->TreeView(), nullptr);
}

TEST(TreeNodesTest, DeletingANodeRemovesItsSubtreeFromTheCount) {
  TTreeNodes nodes;
  TTreeNode* a = nodes.Add(nullptr, "a");
  TTreeNode* b = nodes.AddChild(a, "b");
  nodes.AddChild(b, "c");
  nodes.AddChild(a, "d");
  nodes.Add(nullptr, "e");
  b->Delete();
  EXPECT_EQ(Outline(nodes), "0a 1d 0e");
  EXPECT_EQ(nodes.Count(), 3);
  a->DeleteChildren();
  EXPECT_EQ(nodes.Count(), 2);
  nodes.Delete(nullptr);
  nodes.Clear();
  EXPECT_EQ(nodes.Count(), 0);
  EXPECT_EQ(nodes.GetFirstNode(), nullptr);
}

TEST(TreeNodesTest, KeepsDataImagesAndRefusesForeignNodes) {
  TTreeNodes nodes;
  TTreeNodes other;
  TObject data;
  TTreeNode* node = nodes.AddChildObject(nullptr, "x", &data);
  node->ImageIndex = 2;
  node->SelectedIndex = 3;
  EXPECT_EQ(nodes.GetFirstNode()->Data, &data);
  EXPECT_EQ(nodes.GetFirstNode()->ImageIndex, 2);
  EXPECT_THROW(other.AddChild(node, "y"), EInvalidOperation);
  EXPECT_THROW(other.Delete(node), EInvalidOperation);
  EXPECT_THROW(node->Item(0), EListError);
  EXPECT_THROW(nodes.Item(1), EListError);
}

TEST(TreeNodesTest, FreesAVeryDeepChainWithoutRecursing) {
  TTreeNodes nodes;
  TTreeNode* node = nodes.Add(nullptr, "root");
  for (int i = 0; i < 200000; ++i) node = nodes.AddChild(node, "");
  EXPECT_EQ(nodes.Count(), 200001);
  nodes.Delete(nodes.GetFirstNode());
  EXPECT_EQ(nodes.Count(), 0);
}
