// The tree view's widget holds the nodes' tree after any run of changes, each making only its
// own node's item, and a batch of changes keeps it from redrawing until the batch ends.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/gui/ComCtrls.h"

namespace {

using TItems = std::vector<std::pair<TTreeNode*, QTreeWidgetItem*>>;

/// Pairs the nodes below `parent` (null: the top level) with the items below `item`, in tree
/// order; false unless both have the same shape and texts, every item with children expanded.
bool Match(const TTreeNodes& nodes, TTreeNode* parent, QTreeWidgetItem* item, TItems& pairs) {
  const int count = parent ? parent->Count() : nodes.TopLevelCount();
  if (item->childCount() != count || (parent && count > 0 && !item->isExpanded())) return false;
  for (int i = 0; i < count; ++i) {
    TTreeNode* node = parent ? parent->Item(i) : nodes.TopLevelItem(i);
    pairs.emplace_back(node, item->child(i));
    if (item->child(i)->text(0).toStdString() != node->Text || !Match(nodes, node, item->child(i), pairs))
      return false;
  }
  return true;
}

TEST(TreeViewTest, RandomNodeOperationsKeepTheItemsTheNodesTree) {
  TForm form;
  auto* tree = new TTreeView(&form);
  tree->SetParent(&form);
  form.Show();
  auto widget = [&] { return qobject_cast<QTreeWidget*>(guitest::Widget(*tree)->parentWidget()); };
  int itemsMade = 0;
  QObject::connect(widget()->model(), &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) { itemsMade += last - first + 1; });
  std::mt19937 random(20261207);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  TTreeNodes& nodes = tree->Items;
  // Each step answers how many items it should make; deleting comes in once the tree has grown.
  using TStep = std::function<int(TTreeNode*, const std::string&)>;
  const TStep steps[] = {
      [&](TTreeNode* n, const std::string& t) { return nodes.Add(n, t), 1; },
      [&](TTreeNode* n, const std::string& t) { return nodes.AddChild(n, t), 1; },
      [&](TTreeNode* n, const std::string& t) { return nodes.AddChildFirst(n, t), 1; },
      [&](TTreeNode* n, const std::string& t) { return nodes.Insert(n, t), 1; },
      [&](TTreeNode*, const std::string&) { return nodes.BeginUpdate(), 0; },
      [&](TTreeNode*, const std::string&) { return nodes.EndUpdate(), 0; },
      [&](TTreeNode* n, const std::string&) { return nodes.Delete(n), 0; },
      [&](TTreeNode* n, const std::string&) { return n ? n->DeleteChildren() : nodes.Clear(), 0; },
  };
  TItems before;
  for (int step = 0; step < 3000; ++step) {
    TTreeNode* some = before.empty() || pick(8) == 0 ? nullptr : before[pick(before.size())].first;
    itemsMade = 0;
    const int made = steps[pick(before.size() > 60 ? 8 : 6)](some, "n" + std::to_string(step));
    SCOPED_TRACE(step);
    TItems after;
    ASSERT_TRUE(Match(tree->Items, nullptr, widget()->invisibleRootItem(), after));
    EXPECT_EQ(itemsMade, made);
    const std::map<TTreeNode*, QTreeWidgetItem*> was(before.begin(), before.end());
    for (const auto& [node, item] : after) {  // the nodes that were there kept their items
      const auto found = was.find(node);
      ASSERT_TRUE(found == was.end() || found->second == item);
    }
    EXPECT_EQ(widget()->updatesEnabled(), !tree->Items.Updating());
    before = std::move(after);
  }
}

}  // namespace
