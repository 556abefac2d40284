// Standard controls, menus and actions: what the user does reaches the control's properties
// and events, and what the program sets shows in the widget.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <random>

#include "GuiTestSupport.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/StdCtrls.h"

using guitest::Pump;
using guitest::Widget;

namespace {

class StdCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override { form.SetBounds(0, 0, 400, 300); }
  template <typename T>
  T* Add() {
    auto* c = new T(&form);
    c->SetParent(&form);
    return c;
  }
  TForm form;
};

TEST_F(StdCtrlsTest, ButtonClickRaisesOnClickOnce) {
  auto* button = Add<TButton>();
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  button->SetCaption("&Go");
  form.Show();
  auto* w = qobject_cast<QPushButton*>(Widget(*button));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->text(), "&Go");
  QTest::mouseClick(w, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  button->SetEnabled(false);
  QTest::mouseClick(w, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST_F(StdCtrlsTest, TypingChangesTheEditText) {
  auto* edit = Add<TEdit>();
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetMaxLength(5);
  edit->SetText("abcdefgh");
  EXPECT_EQ(edit->Text(), "abcde");
  form.Show();
  auto* w = qobject_cast<QLineEdit*>(Widget(*edit));
  EXPECT_EQ(w->text(), "abcde");
  w->clear();
  QKeyEvent ya(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\xD0\xAF"));  // Cyrillic Ya
  QCoreApplication::sendEvent(w, &ya);
  QTest::keyClicks(w, "x");
  EXPECT_EQ(edit->Text(),
            "\xD0\xAF"
            "x");
  EXPECT_EQ(changes, 3);
  edit->SetReadOnly(true);
  QTest::keyClicks(w, "y");
  EXPECT_EQ(edit->Text(),
            "\xD0\xAF"
            "x");
}

TEST_F(StdCtrlsTest, RadioButtonsExcludeTheirSiblings) {
  auto* a = Add<TRadioButton>();
  auto* b = Add<TRadioButton>();
  auto* check = Add<TCheckBox>();
  a->SetChecked(true);
  check->SetChecked(true);
  form.Show();
  QTest::mouseClick(Widget(*b), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(check->Checked());  // not a radio button
  QTest::mouseClick(Widget(*b), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_TRUE(b->Checked());  // a click does not uncheck a radio button
  QTest::mouseClick(Widget(*check), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(check->Checked());
}

TEST_F(StdCtrlsTest, ComboBoxFollowsItsItemList) {
  auto* combo = Add<TComboBox>();
  combo->SetStyle(csDropDownList);
  combo->Items().Add("one");
  combo->Items().Add("two");
  combo->SetItemIndex(1);
  form.Show();
  auto* w = qobject_cast<QComboBox*>(Widget(*combo));
  EXPECT_EQ(w->count(), 2);
  EXPECT_EQ(w->currentText(), "two");
  combo->Items().BeginUpdate();
  combo->Items().Clear();
  combo->Items().Add("uno");
  EXPECT_EQ(w->count(), 2);  // nothing shown while updating
  combo->Items().EndUpdate();
  EXPECT_EQ(w->count(), 1);
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->SetItemIndex(5);
  EXPECT_EQ(combo->ItemIndex(), -1);
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  w->activated(0);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), "uno");
  EXPECT_EQ(changes, 1);
}

TEST_F(StdCtrlsTest, LabelAccessKeyFocusesItsControl) {
  auto* label = Add<TStaticText>();
  auto* edit = Add<TEdit>();
  auto* button = Add<TButton>();
  label->SetCaption("&Name");
  label->SetFocusControl(edit);
  form.Show();
  button->SetFocus();
  EXPECT_EQ(qobject_cast<QLabel*>(Widget(*label))->buddy(), Widget(*edit));
  delete edit;  // the label forgets a freed focus control
  EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(StdCtrlsTest, ProgressBarKeepsPositionInRange) {
  auto* bar = Add<TProgressBar>();
  bar->SetMax(10);
  bar->SetPosition(15);
  EXPECT_EQ(bar->Position(), 10);
  bar->SetPosition(-1);
  EXPECT_EQ(bar->Position(), 0);
  bar->SetStep(4);
  bar->StepIt();
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 8);
  bar->SetMin(9);
  EXPECT_EQ(bar->Position(), 9);
}

TEST(ActionsTest, ActionRunsOnlyWhenEnabledAndDrivesItsMenuItem) {
  TActionList list;
  TAction action;
  action.SetActionList(&list);
  action.SetCaption("&Convert");
  action.SetShortCut(ShortCut('K', ssCtrl));
  bool allowed = false;
  int runs = 0;
  action.OnUpdate = [&](TObject*) { action.SetEnabled(allowed); };
  action.OnExecute = [&](TObject*) { ++runs; };
  EXPECT_FALSE(list.IsShortCut('K', ssCtrl));
  allowed = true;
  EXPECT_FALSE(list.IsShortCut('K', ssCtrl | ssShift));
  EXPECT_TRUE(list.IsShortCut('K', ssCtrl));
  TMenuItem item;
  item.SetAction(&action);
  EXPECT_EQ(item.Caption(), "&Convert");
  EXPECT_EQ(ShortCutToText(item.GetShortCut()), "Ctrl+K");
  item.Click();
  EXPECT_EQ(runs, 2);
  allowed = false;
  item.Click();
  EXPECT_EQ(runs, 2);
}

TEST(ActionsTest, ShortCutTextsRoundTrip) {
  for (const char* text : {"Ctrl+C", "Shift+Del", "Shift+Ctrl+Alt+F12", "Ins", "Ctrl+PgDn", "Enter"})
    EXPECT_EQ(ShortCutToText(TextToShortCut(text)), text);
  EXPECT_EQ(TextToShortCut("Hyper+C"), scNone);
  EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
  EXPECT_EQ(ShortCutToText(scNone), "");
}

TEST(MenusTest, ItemsOwnedByAFormLeaveTheMenuWhenFreed) {
  TForm form;
  TPopupMenu menu(&form);
  auto* item = new TMenuItem(&form);
  menu.Items().Insert(item);
  TMenuItem* own = menu.Items().Add("Own");
  EXPECT_EQ(menu.Items().Count(), 2);
  delete item;
  EXPECT_EQ(menu.Items().Count(), 1);
  EXPECT_EQ(menu.Items().Items(0), own);
  EXPECT_THROW(own->Insert(&menu.Items()), EInvalidOperation);
  // A control forgets a freed menu.
  TForm other;
  auto* popup = new TPopupMenu(&other);
  form.SetPopupMenu(popup);
  delete popup;
  EXPECT_EQ(form.PopupMenu(), nullptr);
}

}  // namespace

namespace {

int CountItems(const QTreeWidgetItem* item) {
  int n = 1;
  for (int i = 0; i < item->childCount(); ++i) n += CountItems(item->child(i));
  return n;
}

TEST_F(StdCtrlsTest, TreeViewCarriesNodesHiddenAndShowsThemWhenItHasAWindow) {
  auto* tree = Add<TTreeView>();
  tree->SetVisible(false);
  TTreeNode* root = tree->Items.Add(nullptr, "Exam");
  TTreeNode* set = tree->Items.AddChild(root, "Set");
  tree->Items.AddChild(set, "Question");
  EXPECT_EQ(set->TreeView(), tree);
  EXPECT_FALSE(tree->HandleAllocated());
  tree->SetVisible(true);
  form.Show();
  auto* w = qobject_cast<QTreeWidget*>(Widget(*tree)->parentWidget());
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->topLevelItemCount(), 1);
  EXPECT_EQ(CountItems(w->topLevelItem(0)), 3);
  EXPECT_EQ(w->topLevelItem(0)->child(0)->text(0), "Set");
  set->Delete();
  EXPECT_EQ(CountItems(w->topLevelItem(0)), 1);
  tree->Items.Clear();
  EXPECT_EQ(w->topLevelItemCount(), 0);
}

/// Pairs nodes and items below `parent` and `item` in tree order; false unless both trees match.
bool Match(const TTreeNodes& nodes, TTreeNode* parent, QTreeWidgetItem* item,
           std::vector<std::pair<TTreeNode*, QTreeWidgetItem*>>& pairs) {
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

// After any run of changes the widget holds the nodes' tree, each change making only its own
// node's item, and a batch of changes keeps it from redrawing until the batch ends.
TEST_F(StdCtrlsTest, RandomNodeOperationsKeepTheItemsTheNodesTree) {
  auto* tree = Add<TTreeView>();
  form.Show();
  auto widget = [&] { return qobject_cast<QTreeWidget*>(Widget(*tree)->parentWidget()); };
  int itemsMade = 0;
  QObject::connect(widget()->model(), &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) { itemsMade += last - first + 1; });
  std::mt19937 random(20261207);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  TTreeNodes& nodes = tree->Items;
  // Each step answers how many items it should make; deleting comes in once the tree has grown.
  const std::function<int(TTreeNode*, const std::string&)> steps[] = {
      [&](TTreeNode* n, const std::string& t) { return nodes.Add(n, t), 1; },
      [&](TTreeNode* n, const std::string& t) { return nodes.AddChild(n, t), 1; },
      [&](TTreeNode* n, const std::string& t) { return nodes.AddChildFirst(n, t), 1; },
      [&](TTreeNode* n, const std::string& t) { return nodes.Insert(n, t), 1; },
      [&](TTreeNode*, const std::string&) { return nodes.BeginUpdate(), 0; },
      [&](TTreeNode*, const std::string&) { return nodes.EndUpdate(), 0; },
      [&](TTreeNode* n, const std::string&) { return nodes.Delete(n), 0; },
      [&](TTreeNode* n, const std::string&) { return n ? n->DeleteChildren() : nodes.Clear(), 0; },
  };
  std::vector<std::pair<TTreeNode*, QTreeWidgetItem*>> before, after;
  for (int step = 0; step < 3000; ++step) {
    TTreeNode* some = before.empty() || pick(8) == 0 ? nullptr : before[pick(before.size())].first;
    itemsMade = 0;
    const int made = steps[pick(before.size() > 60 ? 8 : 6)](some, "n" + std::to_string(step));
    SCOPED_TRACE(step);
    after.clear();
    ASSERT_TRUE(Match(nodes, nullptr, widget()->invisibleRootItem(), after));
    EXPECT_EQ(itemsMade, made);
    const std::map<TTreeNode*, QTreeWidgetItem*> was(before.begin(), before.end());
    for (const auto& [node, item] : after)  // the nodes that were there kept their items
      ASSERT_TRUE(!was.contains(node) || was.at(node) == item);
    EXPECT_EQ(widget()->updatesEnabled(), !nodes.Updating());
    std::swap(before, after);
  }
}

}  // namespace

namespace {

TEST(FreeingInHandlersTest, AFormFreedByItsButtonsClickGoesQuietly) {
  auto* form = new TForm();
  auto* button = new TButton(form);
  button->SetParent(form);
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  button->OnClick = [&](TObject*) { delete form; };
  form->Show();
  QTest::mouseClick(Widget(*button), Qt::LeftButton);
  EXPECT_TRUE(destroyed);
  Pump();  // the widgets go once the toolkit is done with the click
}

TEST(FreeingInHandlersTest, AControlFreedByItsKeyHandler) {
  TForm form;
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { delete edit; };
  form.Show();
  edit->SetFocus();
  QTest::keyClick(Widget(*edit), Qt::Key_A);
  Pump();
  EXPECT_EQ(form.ControlCount(), 0);
}

}  // namespace
