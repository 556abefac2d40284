// The node structure: counters against a recount under random operations, linking modes,
// child counts, deletion, initialisation on demand, comparing and iteration.
#include <gtest/gtest.h>

#include <random>

#include "TreeTestSupport.h"

namespace {

using treetest::Add;
using treetest::AllNodes;
using treetest::TextOf;

class NodeStructureTest : public ::testing::Test {
 protected:
  TNodeTree tree;

  /// Random inserts, deletes, moves, toggles, hides, resizes, child counts, selections and
  /// update brackets, each followed by a full recount.
  void RunRandomOperations(uint32_t seeds);

  /// Compares every counter, the visible count and the position cache with a recount.
  void ExpectConsistent(const char* step) {
    uint32_t visible = 0;
    ASSERT_EQ(treetest::CheckSubtree(tree, tree.RootNode(), true, visible), 0) << step;
    ASSERT_EQ(tree.VisibleCount(), visible) << step;
    std::vector<std::pair<PNode, int64_t>> rows;
    int64_t top = 0;
    treetest::CollectVisible(tree, tree.RootNode(), top, rows);
    ASSERT_EQ(tree.TotalHeight(), top) << step;
    tree.ValidateCache();
    for (const TCacheEntry& entry : tree.PositionCache()) {
      const auto it =
          std::find_if(rows.begin(), rows.end(), [&](const auto& row) { return row.first == entry.Node; });
      ASSERT_NE(it, rows.end()) << step << ": cache holds a node that is not shown";
      ASSERT_EQ(it->second, entry.Top) << step;
    }
    for (const auto& [node, node_top] : rows) {
      ASSERT_EQ(tree.NodeTop(node), node_top) << step;
      int32_t foundTop = -1;
      ASSERT_EQ(tree.GetNodeAt(static_cast<int32_t>(node_top + node->NodeHeight - 1), false, &foundTop), node)
          << step;
      ASSERT_EQ(foundTop, node_top) << step;
    }
    uint32_t selected = 0;
    for (PNode node : AllNodes(tree)) selected += node->Has(nsSelected) ? 1 : 0;
    ASSERT_EQ(tree.SelectedCount(), selected) << step;
    if (tree.UpdateCount() == 0) {
      ASSERT_EQ(tree.GetSelection().size(), selected) << step;
    }
  }
};

TEST_F(NodeStructureTest, RandomOperationsKeepCountersEqualToARecount) {
  RunRandomOperations(300);
}

TEST_F(NodeStructureTest, RandomOperationsOnAShownTreeKeepCountersEqualToARecount) {
  // With a window, every change also repaints and scrolls through the geometry code.
  tree.SetBounds(0, 0, 120, 90);
  tree.HandleNeeded();
  tree.GetOptions().SetAutoOptions(tree.GetOptions().AutoOptions() | toAutoScroll);
  RunRandomOperations(60);
}

void NodeStructureTest::RunRandomOperations(uint32_t seeds) {
  tree.TreeOptions().SetSelectionOptions(toMultiSelect);
  for (uint32_t seed = 1; seed <= seeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    tree.Clear();
    auto pick = [&](bool allowRoot) -> PNode {
      std::vector<PNode> nodes = AllNodes(tree);
      if (nodes.empty() || (allowRoot && random() % 8 == 0)) return nullptr;
      return nodes[random() % nodes.size()];
    };
    int updates = 0;
    for (int step = 0; step < 120; ++step) {
      const uint32_t op = random() % 14;
      PNode node = pick(true);
      switch (op) {
        case 0:
        case 1:
        case 2:
          tree.InsertNode(node, static_cast<TNodeAttachMode>(1 + random() % 4));
          break;
        case 3:
          tree.DeleteNode(node);
          break;
        case 4:
          if (node != nullptr) tree.MoveTo(node, pick(true), static_cast<TNodeAttachMode>(1 + random() % 4));
          break;
        case 5:
        case 6:
          if (node != nullptr) tree.ToggleNode(node);
          break;
        case 7:
          if (node != nullptr) tree.SetVisible(node, !node->Has(nsVisible));
          break;
        case 8:
          if (node != nullptr) tree.SetNodeHeight(node, static_cast<uint16_t>(1 + random() % 40));
          break;
        case 9:
          tree.SetChildCount(node, random() % 4);
          break;
        case 10:
          if (node != nullptr) tree.SetSelected(node, !node->Has(nsSelected));
          break;
        case 11:
          if (updates < 3) {
            tree.BeginUpdate();
            ++updates;
          }
          break;
        case 12:
          if (updates > 0) {
            tree.EndUpdate();
            --updates;
          }
          break;
        case 13:
          tree.DeleteChildren(node, random() % 2 == 0);
          break;
      }
      ExpectConsistent(("step " + std::to_string(step) + " op " + std::to_string(op)).c_str());
      if (HasFatalFailure()) return;
    }
    while (updates-- > 0) tree.EndUpdate();
    ExpectConsistent("after the updates");
    if (HasFatalFailure()) return;
  }
}

TEST_F(NodeStructureTest, InsertModesPlaceAndNumberNodes) {
  PNode b = Add(tree, nullptr, "b");
  PNode a = tree.InsertNode(nullptr, amInsertBefore);  // no node: first top-level node
  PNode c = tree.InsertNode(nullptr, amInsertAfter);   // no node: last top-level node
  EXPECT_EQ(tree.GetFirst(), a);
  EXPECT_EQ(tree.RootNode()->LastChild, c);
  EXPECT_EQ(a->Index, 0u);
  EXPECT_EQ(b->Index, 1u);
  EXPECT_EQ(c->Index, 2u);
  PNode between = tree.InsertNode(b, amInsertBefore);
  EXPECT_EQ(between->Index, 1u);
  EXPECT_EQ(b->Index, 2u);
  PNode after = tree.InsertNode(b, amInsertAfter);
  EXPECT_EQ(after->Index, 3u);
  EXPECT_EQ(c->Index, 4u);
  PNode first = tree.InsertNode(b, amAddChildFirst);
  PNode last = tree.InsertNode(b, amAddChildLast);
  EXPECT_EQ(b->FirstChild, first);
  EXPECT_EQ(b->LastChild, last);
  EXPECT_EQ(last->Index, 1u);
  EXPECT_TRUE(b->Has(nsHasChildren));
  EXPECT_EQ(tree.InsertNode(b, amNoWhere), nullptr);
  EXPECT_EQ(tree.TotalCount(), 7u);
}

TEST_F(NodeStructureTest, SetChildCountGrowsAndShrinksAtTheEnd) {
  PNode parent = Add(tree, nullptr, "p");
  tree.SetChildCount(parent, 2);
  EXPECT_TRUE(parent->Has(nsHasChildren));
  EXPECT_EQ(parent->FirstChild->Index, 0u);
  EXPECT_EQ(parent->LastChild->Index, 1u);
  tree.SetChildCount(parent, 3);
  PNode first = parent->FirstChild;
  tree.SetChildCount(parent, 1);
  EXPECT_EQ(parent->ChildCount, 1u);
  EXPECT_EQ(parent->FirstChild, first);
  EXPECT_EQ(tree.TotalCount(), 2u);
}

TEST_F(NodeStructureTest, InitialUserDataNeedsFourBytesAndARefusedInsertChangesNothing) {
  TNodeTree small;
  small.SetNodeDataSize(2);
  const uint32_t value = 0xDEADBEEF;
  try {
    small.InsertNode(nullptr, amAddChildLast, &value);
    FAIL() << "expected ENodeTreeError";
  } catch (const ENodeTreeError& error) {
    EXPECT_STREQ(error.what(),
                 "Cannot set initial user data because there is not enough user data space allocated.");
    EXPECT_EQ(error.HelpContext(), 2008);
  }
  EXPECT_EQ(small.TotalCount(), 0u);
  EXPECT_EQ(small.RootNode()->FirstChild, nullptr);

  PNode node = tree.InsertNode(nullptr, amAddChildLast, &value);
  EXPECT_TRUE(node->Has(nsInitialUserData));
  EXPECT_EQ(*static_cast<uint32_t*>(tree.GetNodeData(node)), value);
}

TEST_F(NodeStructureTest, NodeDataIsNoneForTheRootAndAMistakeForATreeWithoutData) {
  Add(tree, nullptr, "a");
  EXPECT_EQ(tree.GetNodeData(tree.RootNode()), nullptr);
  EXPECT_EQ(tree.GetNodeData(nullptr), nullptr);
  TNodeTree bare;
  bare.SetNodeDataSize(0);
  PNode node = bare.InsertNode(nullptr, amAddChildLast);
  EXPECT_THROW(bare.GetNodeData(node), EAssertionFailed);
  EXPECT_EQ(bare.TextData(node), nullptr);
}

TEST_F(NodeStructureTest, DeletingTheFocusedNodeAndTheAnchor) {
  PNode a = Add(tree, nullptr, "a");
  PNode b = Add(tree, nullptr, "b");
  tree.SetFocusedNode(a);
  tree.DeleteNode(a);
  EXPECT_EQ(tree.FocusedNode(), nullptr);
  PNode c = Add(tree, nullptr, "c");
  tree.SetFocusedNode(c);
  tree.SetSelected(b, true);  // the anchor becomes b's selection start
  EXPECT_NE(tree.RangeAnchor(), nullptr);
  tree.DeleteNode(tree.RangeAnchor());
  EXPECT_EQ(tree.RangeAnchor(), tree.FocusedNode());
}

TEST_F(NodeStructureTest, DeletingDuringIterationAsserts) {
  PNode a = Add(tree, nullptr, "a");
  tree.IncludeState(tsIterating);
  try {
    tree.DeleteNode(a);
    FAIL();
  } catch (const EAssertionFailed& error) {
    EXPECT_STREQ(error.what(), "Deleting nodes during tree iteration leads to invalid pointers.");
  }
  tree.ExcludeState(tsIterating);
  EXPECT_EQ(tree.TotalCount(), 1u);
}

TEST_F(NodeStructureTest, PreconditionsRaiseTheirTexts) {
  auto message = [](auto call) {
    try {
      call();
    } catch (const EAssertionFailed& error) {
      return std::string(error.what());
    }
    return std::string("no assertion");
  };
  PNode a = Add(tree, nullptr, "a");
  EXPECT_EQ(message([&] { tree.ToggleNode(nullptr); }), "Node must not be nil.");
  EXPECT_EQ(message([&] { tree.GetDisplayRect(nullptr, -1, false); }), "Node must not be nil.");
  EXPECT_EQ(message([&] { tree.GetDisplayRect(tree.RootNode(), -1, false); }),
            "Node must not be the hidden root node.");
  EXPECT_EQ(message([&] { tree.GetNext(tree.RootNode()); }), "Node must not be the hidden root node.");
  EXPECT_EQ(message([&] { tree.CompareTreeOrder(a, nullptr); }), "Nodes must never be nil.");
  EXPECT_EQ(message([&] { tree.LevelDistance(nullptr, a); }), "Both nodes must be Assigned.");
  EXPECT_EQ(message([&] { tree.IsVisibleInTree(nullptr); }), "Invalid parameter.");
  EXPECT_EQ(message([&] { tree.GetVisibleParent(nullptr); }), "Node must not be nil.");
  EXPECT_EQ(message([&] { tree.MoveTo(tree.RootNode(), a, amAddChildLast); }),
            "Node must neither be nil nor the root node.");
  TNodeTree unsized;  // no node made yet, so its data size is still unknown
  EXPECT_EQ(message([&] { unsized.GetNodeData(nullptr); }), "NodeDataSize not initialized.");
}

TEST_F(NodeStructureTest, CompareTreeOrderAndDescendants) {
  PNode a = Add(tree, nullptr, "a");
  PNode a1 = Add(tree, a, "a1");
  PNode a2 = Add(tree, a, "a2");
  PNode b = Add(tree, nullptr, "b");
  PNode b1 = Add(tree, b, "b1");
  EXPECT_EQ(tree.CompareTreeOrder(a, a), 0);
  EXPECT_EQ(tree.CompareTreeOrder(a, a1), -1);
  EXPECT_EQ(tree.CompareTreeOrder(a1, a), 1);
  EXPECT_LT(tree.CompareTreeOrder(a2, b1), 0);
  EXPECT_GT(tree.CompareTreeOrder(b1, a1), 0);
  EXPECT_LT(tree.CompareTreeOrder(a1, a2), 0);
  EXPECT_TRUE(tree.IsDescendantOf(a2, a));
  EXPECT_FALSE(tree.IsDescendantOf(a, a));
  EXPECT_FALSE(tree.IsDescendantOf(b1, a));
  EXPECT_EQ(tree.LevelDistance(b1, b), 1);
  EXPECT_EQ(tree.GetNodeLevel(a1), 1u);
}

TEST_F(NodeStructureTest, IterationInitialisesNodesAndMakesChildrenOnDemand) {
  std::vector<PNode> initialised;
  tree.OnInitNode = [&](TNodeTree*, PNode parent, PNode node, uint8_t& states) {
    initialised.push_back(node);
    if (parent == nullptr) states |= ivsHasChildren;
  };
  tree.OnInitChildren = [](TNodeTree*, PNode, uint32_t& count) { count = 2; };
  tree.SetChildCount(nullptr, 3);
  EXPECT_TRUE(initialised.empty());
  int visited = 0;
  for (PNode node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node)) ++visited;
  EXPECT_EQ(visited, 9);  // three top-level nodes with two children each
  EXPECT_EQ(initialised.size(), 9u);
  EXPECT_EQ(tree.TotalCount(), 9u);
  // Nothing is expanded, so only the top level is visible.
  visited = 0;
  for (PNode node = tree.GetFirstVisible(); node != nullptr; node = tree.GetNextVisible(node)) ++visited;
  EXPECT_EQ(visited, 3);
  EXPECT_EQ(tree.GetLastVisible(), tree.RootNode()->LastChild);
}

TEST_F(NodeStructureTest, VisibleIterationSkipsHiddenNodesAndCollapsedSubtrees) {
  PNode a = Add(tree, nullptr, "a");
  PNode a1 = Add(tree, a, "a1");
  PNode a2 = Add(tree, a, "a2");
  PNode b = Add(tree, nullptr, "b");
  tree.SetExpanded(a, true);
  tree.SetVisible(a2, false);
  EXPECT_EQ(tree.GetNextVisible(a), a1);
  EXPECT_EQ(tree.GetNextVisible(a1), b);
  EXPECT_EQ(tree.GetPreviousVisible(b), a1);
  EXPECT_EQ(tree.GetPreviousVisible(a1), a);
  tree.SetExpanded(a, false);
  EXPECT_EQ(tree.GetNextVisible(a), b);
  EXPECT_EQ(tree.GetVisibleParent(a1), a);
  EXPECT_EQ(tree.GetPreviousVisibleSibling(b), a);
}

TEST_F(NodeStructureTest, StructureChangesReportReasons) {
  std::vector<std::pair<PNode, TChangeReason>> changes;
  tree.OnStructureChange = [&](TNodeTree*, PNode node, TChangeReason reason) {
    changes.emplace_back(node, reason);
  };
  PNode a = tree.InsertNode(nullptr, amAddChildLast);
  tree.SetChildCount(a, 2);
  tree.DeleteNode(a->FirstChild);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0], std::make_pair(a, crNodeAdded));
  EXPECT_EQ(changes[1], std::make_pair(a, crChildAdded));
  EXPECT_EQ(changes[2], std::make_pair(a, crChildDeleted));
}

TEST_F(NodeStructureTest, FreeNodeHookSeesEveryNodeOnce) {
  int freed = 0;
  tree.OnFreeNode = [&](TNodeTree*, PNode) { ++freed; };
  PNode a = Add(tree, nullptr, "a");
  Add(tree, a, "a1");
  Add(tree, Add(tree, a, "a2"), "a21");
  Add(tree, nullptr, "b");
  tree.DeleteNode(a);
  EXPECT_EQ(freed, 4);
  tree.Clear();
  EXPECT_EQ(freed, 5);
  EXPECT_EQ(tree.TotalCount(), 0u);
  EXPECT_EQ(tree.VisibleCount(), 0u);
}

TEST_F(NodeStructureTest, MovingANodeIntoItsOwnSubtreeIsRefused) {
  PNode a = Add(tree, nullptr, "a");
  PNode a1 = Add(tree, a, "a1");
  tree.MoveTo(a, a1, amAddChildLast);
  EXPECT_EQ(a->Parent, tree.RootNode());
  EXPECT_EQ(a1->Parent, a);
  PNode b = Add(tree, nullptr, "b");
  tree.MoveTo(a1, b, amAddChildFirst);
  EXPECT_EQ(a1->Parent, b);
  EXPECT_FALSE(a->Has(nsHasChildren));
  EXPECT_EQ(TextOf(tree, b->FirstChild), "a1");
}

}  // namespace

namespace {

TEST(NodeInitialisationTest, InitialStatesSelectExpandAndDisable) {
  TNodeTree tree;
  tree.GetOptions().SetSelectionOptions(toMultiSelect | toLevelSelectConstraint);
  tree.OnInitNode = [](TNodeTree*, PNode parent, PNode node, uint8_t& states) {
    if (parent == nullptr) states |= ivsHasChildren | ivsExpanded;
    if (parent != nullptr && node->Index == 0) states |= ivsSelected | ivsDisabled;
    if (parent != nullptr && node->Index == 1) states |= ivsSelected | ivsMultiline;
  };
  tree.OnInitChildren = [](TNodeTree*, PNode, uint32_t& count) { count = 2; };
  tree.SetChildCount(nullptr, 2);
  for (PNode node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node)) {
  }
  PNode first = tree.GetFirst();
  EXPECT_TRUE(tree.Expanded(first));
  EXPECT_EQ(tree.VisibleCount(), 6u);
  // Selected on initialisation without the checks: even disabled nodes.
  EXPECT_TRUE(first->FirstChild->Has(nsSelected | nsDisabled));
  EXPECT_TRUE(first->LastChild->Has(nsMultiline));
  EXPECT_EQ(tree.SelectedCount(), 4u);
  EXPECT_EQ(tree.GetSelection().size(), 4u);
}

TEST(NodeInitialisationTest, NoChildrenFromTheHookClearsHasChildren) {
  TNodeTree tree;
  tree.OnInitNode = [](TNodeTree*, PNode, PNode, uint8_t& states) { states |= ivsHasChildren; };
  tree.OnInitChildren = [](TNodeTree*, PNode, uint32_t& count) { count = 0; };
  tree.SetChildCount(nullptr, 1);
  PNode node = tree.GetFirst();
  EXPECT_TRUE(node->Has(nsHasChildren));
  EXPECT_EQ(tree.GetNext(node), nullptr);
  EXPECT_FALSE(node->Has(nsHasChildren));
}

TEST(NodeGeometryTest, RelativePositionsFollowTheScrollOffset) {
  TNodeTree tree;
  tree.SetBounds(0, 0, 100, 50);
  tree.SetDefaultNodeHeight(10);
  std::vector<PNode> nodes;
  for (int i = 0; i < 20; ++i) nodes.push_back(tree.InsertNode(nullptr, amAddChildLast));
  tree.SetOffsetY(-35);
  EXPECT_EQ(tree.OffsetY(), -35);
  int32_t top = 0;
  EXPECT_EQ(tree.GetNodeAt(0, true, &top), nodes[3]);
  EXPECT_EQ(top, -5);
  EXPECT_EQ(tree.GetDisplayRect(nodes[4], NoColumn, false).Top, 5);
  tree.SetOffsetY(-1000);  // clamped to the last screen
  EXPECT_EQ(tree.OffsetY(), tree.ClientHeight() - 200);
  tree.SetOffsetY(10);
  EXPECT_EQ(tree.OffsetY(), 0);
}

}  // namespace
