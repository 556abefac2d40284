// The tree view's window against its node list: after any run of additions, insertions and
// deletions the widget holds the same tree as the nodes, each change having made or freed only
// its own node's item, and a batch of changes keeps the widget from redrawing until it ends.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTreeWidget>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/gui/ComCtrls.h"

namespace {

/// Every node below `parent` (the top level when null), parents before children.
void CollectNodes(const TTreeNodes& nodes, TTreeNode* parent, std::vector<TTreeNode*>& out) {
  const int count = parent ? parent->Count() : nodes.TopLevelCount();
  for (int i = 0; i < count; ++i) {
    TTreeNode* node = parent ? parent->Item(i) : nodes.TopLevelItem(i);
    out.push_back(node);
    CollectNodes(nodes, node, out);
  }
}

/// Pairs each node with the item at the same place of the widget, and answers whether the two
/// trees have the same shape and texts, with every item that has children expanded.
bool Match(const TTreeNodes& nodes, TTreeNode* parent, QTreeWidgetItem* item,
           std::map<TTreeNode*, QTreeWidgetItem*>& pairs) {
  const int count = parent ? parent->Count() : nodes.TopLevelCount();
  if (item->childCount() != count) return false;
  if (parent && count > 0 && !item->isExpanded()) return false;
  for (int i = 0; i < count; ++i) {
    TTreeNode* node = parent ? parent->Item(i) : nodes.TopLevelItem(i);
    QTreeWidgetItem* child = item->child(i);
    if (child->text(0).toStdString() != node->Text) return false;
    pairs[node] = child;
    if (!Match(nodes, node, child, pairs)) return false;
  }
  return true;
}

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.SetBounds(0, 0, 300, 300);
    tree = new TTreeView(&form);
    tree->SetParent(&form);
  }
  QTreeWidget* Widget() { return qobject_cast<QTreeWidget*>(guitest::Widget(*tree)->parentWidget()); }

  TForm form;
  TTreeView* tree;
};

TEST_F(TreeViewTest, RandomNodeOperationsKeepTheItemsTheNodesTree) {
  std::mt19937 random(20261207);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  form.Show();
  int itemsMade = 0;
  auto watch = [&] {
    QObject::connect(Widget()->model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) { itemsMade += last - first + 1; });
  };
  watch();
  std::map<TTreeNode*, QTreeWidgetItem*> before;
  int serial = 0;
  for (int step = 0; step < 3000; ++step) {
    std::vector<TTreeNode*> all;
    CollectNodes(tree->Items, nullptr, all);
    // A node of the tree, or null (the top level) now and then.
    TTreeNode* some =
        all.empty() || pick(8) == 0 ? nullptr : all[static_cast<size_t>(pick(static_cast<int>(all.size())))];
    const std::string text = "n" + std::to_string(serial++);
    itemsMade = 0;
    int added = 1;
    switch (pick(all.size() > 60 ? 12 : 8)) {
      case 0:
        tree->Items.Add(some, text);
        break;
      case 1:
        tree->Items.AddChildFirst(some, text);
        break;
      case 2:
        tree->Items.Insert(some, text);
        break;
      case 3:
        tree->Items.BeginUpdate();
        added = 0;
        break;
      case 4:
        tree->Items.EndUpdate();
        added = 0;
        break;
      case 5:
        if (pick(50) == 0) {
          tree->RecreateWnd();  // a new window shows the nodes as they are
          watch();
          before.clear();
          added = 0;
          break;
        }
        [[fallthrough]];
      case 6:
      case 7:
        tree->Items.AddChild(some, text);
        break;
      case 8:
      case 9:
      case 10:
        tree->Items.Delete(some);
        added = 0;
        break;
      default:
        if (some) {
          some->DeleteChildren();
        } else if (pick(10) == 0) {
          tree->Items.Clear();
        }
        added = 0;
    }
    std::map<TTreeNode*, QTreeWidgetItem*> after;
    ASSERT_TRUE(Match(tree->Items, nullptr, Widget()->invisibleRootItem(), after)) << "step " << step;
    EXPECT_EQ(itemsMade, added) << "step " << step;
    // The nodes that were there before kept their items.
    for (const auto& [node, item] : after) {
      const auto found = before.find(node);
      ASSERT_TRUE(found == before.end() || found->second == item) << "step " << step;
    }
    EXPECT_EQ(Widget()->updatesEnabled(), !tree->Items.Updating()) << "step " << step;
    before = std::move(after);
  }
}

}  // namespace
