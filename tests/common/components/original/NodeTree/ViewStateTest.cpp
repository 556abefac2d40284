// Expanding and collapsing, geometry, the selection list, update batching and delayed
// notifications.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

#include "TreeTestSupport.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

using treetest::Add;

class ViewStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.SetBounds(0, 0, 200, 100);
    tree.SetDefaultNodeHeight(10);
  }
  TNodeTree tree;
};

TEST_F(ViewStateTest, ExpandingNodeWithHiddenChildrenKeepsTheVisibleCount) {
  PNode a = Add(tree, nullptr, "a");
  PNode a1 = Add(tree, a, "a1");
  PNode a2 = Add(tree, a, "a2");
  tree.SetVisible(a1, false);
  tree.SetVisible(a2, false);
  EXPECT_TRUE(a->Has(nsAllChildrenHidden));
  EXPECT_EQ(tree.VisibleCount(), 1u);
  tree.SetExpanded(a, true);
  EXPECT_EQ(tree.VisibleCount(), 1u);
  EXPECT_EQ(tree.TotalHeight(), 10);
  tree.SetVisible(a2, true);
  EXPECT_EQ(tree.VisibleCount(), 2u);
  EXPECT_EQ(tree.TotalHeight(), 20);
  EXPECT_FALSE(a->Has(nsAllChildrenHidden));
}

TEST_F(ViewStateTest, CollapseWithAutoFreeAsksForTheChildrenAgain) {
  int asked = 0;
  tree.OnInitNode = [](TNodeTree*, PNode parent, PNode, uint8_t& states) {
    if (parent == nullptr) states |= ivsHasChildren;
  };
  tree.OnInitChildren = [&](TNodeTree*, PNode, uint32_t& count) {
    ++asked;
    count = 3;
  };
  tree.GetOptions().SetAutoOptions(tree.GetOptions().AutoOptions() | toAutoFreeOnCollapse);
  tree.SetChildCount(nullptr, 1);
  PNode a = tree.GetFirst();
  tree.SetExpanded(a, true);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(tree.VisibleCount(), 4u);
  tree.SetExpanded(a, false);
  EXPECT_EQ(a->ChildCount, 0u);
  EXPECT_TRUE(a->Has(nsHasChildren));
  EXPECT_EQ(tree.VisibleCount(), 1u);
  tree.SetExpanded(a, true);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(tree.TotalCount(), 4u);
}

TEST_F(ViewStateTest, HooksMayRefuseExpandingAndCollapsing) {
  PNode a = Add(tree, nullptr, "a");
  Add(tree, a, "a1");
  bool allow = false;
  tree.OnExpanding = [&](TNodeTree*, PNode, bool& allowed) { allowed = allow; };
  tree.SetExpanded(a, true);
  EXPECT_FALSE(tree.Expanded(a));
  allow = true;
  tree.SetExpanded(a, true);
  EXPECT_TRUE(tree.Expanded(a));
  tree.OnCollapsing = [](TNodeTree*, PNode, bool& allowed) { allowed = false; };
  tree.SetExpanded(a, false);
  EXPECT_TRUE(tree.Expanded(a));
}

TEST_F(ViewStateTest, TwoChangesInOneUpdateReachTheHookOnceAccumulated) {
  std::vector<TChangeReason> reasons;
  tree.OnStructureChange = [&](TNodeTree*, PNode, TChangeReason reason) { reasons.push_back(reason); };
  tree.BeginUpdate();
  Add(tree, nullptr, "a");
  Add(tree, nullptr, "b");
  EXPECT_TRUE(reasons.empty());
  tree.EndUpdate();
  ASSERT_EQ(reasons.size(), 1u);
  EXPECT_EQ(reasons[0], crAccumulated);
}

TEST_F(ViewStateTest, ChangeDelayReportsOnceAfterTheTimer) {
  tree.HandleNeeded();
  PNode a = Add(tree, nullptr, "a");
  PNode b = Add(tree, nullptr, "b");
  tree.GetOptions().SetSelectionOptions(toMultiSelect);
  int changes = 0;
  tree.OnChange = [&](TNodeTree*, PNode) { ++changes; };
  tree.SetSelected(a, true);
  EXPECT_EQ(changes, 1);  // no delay: at once
  tree.SetChangeDelay(20);
  tree.SetSelected(b, true);
  tree.SetSelected(a, false);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(guitest::PumpUntil([&] { return changes > 1; }, 2000));
  guitest::Pump();
  EXPECT_EQ(changes, 2);
}

TEST_F(ViewStateTest, SelectionStaysSortedAndDefersRemovalDuringUpdates) {
  tree.GetOptions().SetSelectionOptions(toMultiSelect);
  std::vector<PNode> nodes;
  for (int i = 0; i < 20; ++i) nodes.push_back(Add(tree, nullptr, "n" + std::to_string(i)));
  for (int i = 19; i >= 0; i -= 2) tree.SetSelected(nodes[i], true);
  std::vector<PNode> selection = tree.GetSelection();
  EXPECT_EQ(selection.size(), 10u);
  EXPECT_TRUE(std::is_sorted(selection.begin(), selection.end(), std::less<PNode>()));
  tree.BeginUpdate();
  tree.SetSelected(nodes[19], false);
  tree.DeleteNode(nodes[17]);
  EXPECT_EQ(tree.SelectedCount(), 8u);
  EXPECT_EQ(tree.GetSelection().size(), 8u);  // marked entries are left out
  // A node made at a freed address must not be taken for the dropped entry.
  for (int i = 0; i < 5; ++i) tree.SetSelected(Add(tree, nullptr, "x"), true);
  tree.EndUpdate();
  EXPECT_EQ(tree.SelectedCount(), 13u);
  EXPECT_EQ(tree.GetSelection().size(), 13u);
  for (PNode node : tree.GetSelection()) EXPECT_TRUE(node->Has(nsSelected));
}

TEST_F(ViewStateTest, SelectionConstraintsRejectOtherLevelsAndParents) {
  PNode a = Add(tree, nullptr, "a");
  PNode b = Add(tree, nullptr, "b");
  PNode a1 = Add(tree, a, "a1");
  PNode b1 = Add(tree, b, "b1");
  tree.GetOptions().SetSelectionOptions(toMultiSelect | toLevelSelectConstraint);
  tree.SetSelected(a, true);
  tree.SetSelected(a1, true);
  tree.SetSelected(b, true);
  EXPECT_TRUE(tree.Selected(b));
  EXPECT_FALSE(tree.Selected(a1));
  tree.ClearSelection();
  tree.GetOptions().SetSelectionOptions(toMultiSelect | toSiblingSelectConstraint);
  tree.SetSelected(a1, true);
  tree.SetSelected(b1, true);
  EXPECT_FALSE(tree.Selected(b1));
  PNode a2 = Add(tree, a, "a2");
  tree.SetSelected(a2, true);
  EXPECT_TRUE(tree.Selected(a2));
}

TEST_F(ViewStateTest, ScrollIntoViewExpandsAncestorsAndMovesTheView) {
  tree.HandleNeeded();
  // Without the tree's own scrolling on expansion, so only ScrollIntoView moves the view.
  tree.GetOptions().SetAutoOptions(tree.GetOptions().AutoOptions() & ~toAutoScrollOnExpand);
  PNode last = nullptr;
  for (int i = 0; i < 30; ++i) last = Add(tree, nullptr, "n" + std::to_string(i));
  PNode deep = Add(tree, Add(tree, last, "child"), "grandchild");
  EXPECT_FALSE(tree.Expanded(last));
  EXPECT_TRUE(tree.ScrollIntoView(deep, false));
  EXPECT_TRUE(tree.Expanded(last));
  EXPECT_TRUE(tree.Expanded(deep->Parent));
  const TRect r = tree.GetDisplayRect(deep, NoColumn, false);
  EXPECT_GE(r.Top, 0);
  EXPECT_LE(r.Bottom, tree.ClientHeight());
  EXPECT_TRUE(tree.ScrollIntoView(tree.GetFirst(), false));
  EXPECT_EQ(tree.OffsetY(), 0);
  EXPECT_FALSE(tree.ScrollIntoView(nullptr, false));
}

TEST_F(ViewStateTest, ScrollIntoViewHorizontallyBringsADeepRowIntoView) {
  tree.HandleNeeded();
  PNode node = tree.GetFirst();
  for (int level = 0; level < 20; ++level) {
    node = Add(tree, node, "level " + std::to_string(level));
    if (node->Parent != tree.RootNode()) tree.SetExpanded(node->Parent, true);
  }
  ASSERT_GT(tree.RangeWidth(), tree.ClientWidth());
  EXPECT_TRUE(tree.ScrollIntoView(node, false, true));
  const TRect r = tree.GetDisplayRect(node, NoColumn, true);
  EXPECT_LT(tree.OffsetX(), 0);
  EXPECT_GE(r.Left, 0);
  EXPECT_LE(r.Right, tree.ClientWidth());
  // Centring stops at the end of the range: the view never scrolls past the widest row.
  EXPECT_EQ(tree.OffsetX(), tree.ClientWidth() - tree.RangeWidth());
}

TEST_F(ViewStateTest, ScrollBarsFollowTheScrollBarOptions) {
  tree.HandleNeeded();
  // The options, whether rows overflow the client area, and the bars: 0 hidden, 1 disabled, 2 enabled.
  const std::tuple<TScrollBarOptions, bool, std::pair<int, int>> cases[] = {
      {{ssBoth, false}, false, {0, 0}},
      {{ssBoth, true}, false, {1, 1}},
      {{ssVertical, true}, true, {0, 2}},
      {{ssHorizontal, false}, true, {2, 0}}};
  auto state = [&](int bar) { return tree.ScrollBarVisible(bar) ? 1 + tree.ScrollBarEnabled(bar) : 0; };
  for (const auto& [options, overflow, bars] : cases) {
    tree.Clear();
    for (int i = 0; i < (overflow ? 20 : 1); ++i) Add(tree, nullptr, std::string(overflow ? 60 : 1, 'w'));
    tree.SetScrollBarOptions(options);
    EXPECT_EQ(std::pair(state(SB_HORZ), state(SB_VERT)), bars) << options.ScrollBars << overflow;
  }
  // Without a horizontal bar the rows still scroll sideways, but never past the range.
  tree.SetScrollBarOptions({ssNone, false});
  tree.SetOffsetX(-40);
  EXPECT_EQ(tree.OffsetX(), -40);
  while (tree.GetFirst() != nullptr) tree.DeleteNode(tree.GetFirst());
  EXPECT_EQ(tree.OffsetX(), 0);
}

TEST_F(ViewStateTest, DisplayRectOfTextFollowsIndentAndAlignment) {
  PNode a = Add(tree, nullptr, "a");
  PNode a1 = Add(tree, a, "wide text");
  tree.SetExpanded(a, true);
  const int32_t width = tree.Canvas().TextExtentW(u"wide text").cx;
  TRect r = tree.GetDisplayRect(a1, NoColumn, true);
  // Margin, one level and the root indent.
  EXPECT_EQ(r.Left, tree.Margin() + 2 * tree.Indent());
  EXPECT_EQ(r.Width(), width);
  EXPECT_EQ(r.Top, 10);
  tree.SetAlignment(taRightJustify);
  r = tree.GetDisplayRect(a1, NoColumn, true);
  EXPECT_EQ(r.Right, std::max(tree.ClientWidth(), tree.RangeWidth()));
  tree.SetExpanded(a, false);
  EXPECT_EQ(tree.GetDisplayRect(a1, NoColumn, true), TRect{});
}

TEST_F(ViewStateTest, AnimatedToggleSlidesAndKeepsTheCounters) {
  tree.HandleNeeded();
  std::vector<std::string> states;
  tree.OnStateChange = [&](TNodeTree*, const char* what) { states.emplace_back(what); };
  tree.GetOptions().SetAnimationOptions(toAnimatedToggle);
  tree.SetAnimationDuration(20);
  PNode a = Add(tree, nullptr, "a");
  for (int i = 0; i < 3; ++i) Add(tree, a, "child");
  Add(tree, nullptr, "b");
  states.clear();
  tree.SetExpanded(a, true);
  EXPECT_EQ(states, (std::vector<std::string>{"animation begin", "animation end"}));
  EXPECT_EQ(tree.VisibleCount(), 5u);
  EXPECT_EQ(tree.TotalHeight(), 50);
  states.clear();
  tree.SetExpanded(a, false);
  EXPECT_EQ(states, (std::vector<std::string>{"animation begin", "animation end"}));
  EXPECT_EQ(tree.VisibleCount(), 2u);
  EXPECT_EQ(tree.TotalHeight(), 20);
  // No duration, no animation.
  tree.SetAnimationDuration(0);
  states.clear();
  tree.SetExpanded(a, true);
  EXPECT_TRUE(states.empty());
}

TEST_F(ViewStateTest, GetNodeAtFindsTheRowUnderAPoint) {
  PNode a = Add(tree, nullptr, "a");
  PNode a1 = Add(tree, a, "a1");
  PNode b = Add(tree, nullptr, "b");
  tree.SetExpanded(a, true);
  int32_t top = -1;
  EXPECT_EQ(tree.GetNodeAt(0, false, &top), a);
  EXPECT_EQ(tree.GetNodeAt(15, false, &top), a1);
  EXPECT_EQ(top, 10);
  EXPECT_EQ(tree.GetNodeAt(29, false), b);
  EXPECT_EQ(tree.GetNodeAt(30, false), nullptr);
  EXPECT_EQ(tree.GetNodeAt(-1, false), nullptr);
}

// A tree measures each node's width once, and again only for what a change touched.
TEST(RangeWidthTest, MeasuresEachNodeOnceAndFollowsChanges) {
  const struct {
    const char* name;
    int measured;
    std::function<void(TNodeTree&)> change;
  } cases[] = {
      {"scrolling", 0,
       [](TNodeTree& t) { t.ScrollIntoView(t.GetLastVisible(), false), t.UpdateScrollBars(true); }},
      {"a text changed and said so", 1,
       [](TNodeTree& t) {
         t.TextData(t.GetFirst())->Text = u"a text wider than every other row";
         t.NodeWidthChanged(t.GetFirst());
       }},
      // Measured when shown, then again once the text is in.
      {"a text node added", 2, [](TNodeTree& t) { Add(t, t.GetFirst(), "a wide new row"); }},
      {"the font changed", 8, [](TNodeTree& t) { t.Font().SetHeight(-30); }},
      // Regression: a width measured before the init hook gave the node its text stayed.
      {"measured nodes initialised", 6,
       [](TNodeTree& t) {
         t.OnInitNode = [](TNodeTree* self, PNode, PNode node, uint8_t&) {
           self->TextData(node)->Text = u"a text the init hook gave";
         };
         t.SetChildCount(t.GetFirst(), 4);
         t.RangeWidth();
         for (PNode child = t.GetFirst()->FirstChild->NextSibling; child; child = child->NextSibling)
           t.InitNode(child);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TNodeTree tree;
    tree.SetBounds(0, 0, 100, 50);
    tree.HandleNeeded();
    int measured = 0;
    tree.OnGetNodeWidth = [&](TNodeTree*, TCanvas&, PNode, int32_t, int32_t&) { ++measured; };
    for (int i = 1; i <= 4; ++i)
      tree.SetExpanded(Add(tree, Add(tree, nullptr, "p"), std::string(i, 'w'))->Parent, true);
    for (PNode node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node)) {
    }
    tree.RangeWidth();
    measured = 0;
    c.change(tree);
    const int32_t range = tree.RangeWidth();
    int32_t widest = 0;  // the widest visible row, measured by hand
    for (PNode node = tree.GetFirstVisible(); node != nullptr; node = tree.GetNextVisible(node))
      widest = std::max(widest, static_cast<int32_t>(tree.GetNodeLevel(node) + 1) * tree.Indent() +
                                    tree.Canvas().TextExtentW(tree.TextData(node)->Text).cx);
    EXPECT_EQ(range, widest + 2 * tree.Margin());
    EXPECT_EQ(measured, c.measured);
  }
}

}  // namespace
