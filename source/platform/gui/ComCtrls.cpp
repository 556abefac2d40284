// Progress bars, page controls and list views on toolkit widgets.
#include "platform/gui/ComCtrls.h"

#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/core/MemoryReserve.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/WidgetSupport.h"

namespace {
template <typename W>
W* WidgetOf(TWinControl& control) {
  if (!control.HandleAllocated()) return nullptr;
  return static_cast<W*>(static_cast<TWidgetHandle*>(control.Handle())->Outer());
}

// A sheet's window is a page of the tab widget, which places and shows it.
class TPageHandle : public TWidgetHandle {
 public:
  using TWidgetHandle::TWidgetHandle;
  void BoundsChanged() override {}
  void VisibleChanged() override {}
  void ParentChanged() override {}
};
}  // namespace

// --- TProgressBar ---------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 16);
}

TProgressBar::~TProgressBar() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TProgressBar::CreateWindowHandle() {
  auto* bar = new QProgressBar();
  bar->setTextVisible(false);
  return std::make_unique<TWidgetHandle>(*this, bar, bar);
}

void TProgressBar::Show() {
  auto* bar = WidgetOf<QProgressBar>(*this);
  if (bar == nullptr) return;
  bar->setRange(min_, max_);
  bar->setValue(position_);
}

void TProgressBar::SetMin(int value) {
  min_ = value;
  max_ = std::max(max_, min_);
  SetPosition(position_);
}

void TProgressBar::SetMax(int value) {
  max_ = value;
  min_ = std::min(min_, max_);
  SetPosition(position_);
}

void TProgressBar::SetPosition(int value) {
  position_ = std::clamp(value, min_, max_);
  Show();
}

// --- TTabSheet and TPageControl -------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TLocalizedCaptionControl(owner) {}

TTabSheet::~TTabSheet() {
  SetPageControl(nullptr);
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TTabSheet::CreateWindowHandle() {
  auto* page = new QWidget();
  return std::make_unique<TPageHandle>(*this, page, page);
}

void TTabSheet::CaptionChanged() {
  if (pageControl_ != nullptr) pageControl_->PagesChanged();
}

void TTabSheet::SetPageControl(TPageControl* control) {
  if (control == pageControl_) return;
  if (pageControl_ != nullptr) {
    TPageControl* old = pageControl_;
    std::erase(old->pages_, this);
    if (old->active_ == this) old->active_ = old->pages_.empty() ? nullptr : old->pages_.front();
    pageControl_ = nullptr;
    SetParent(nullptr);
    old->PagesChanged();
  }
  if (control == nullptr) return;
  pageControl_ = control;
  control->pages_.push_back(this);
  if (control->active_ == nullptr) control->active_ = this;
  SetParent(control);
  control->PagesChanged();
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  while (!pages_.empty()) pages_.back()->SetPageControl(nullptr);
  DestroyHandle();
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) RaiseListIndexError(index);
  return pages_[static_cast<size_t>(index)];
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page != nullptr && page->pageControl_ != this) return;
  active_ = page;
  PagesChanged();
}

std::unique_ptr<TWindowHandle> TPageControl::CreateWindowHandle() {
  auto* tabs = new QTabWidget();
  auto handle = std::make_unique<TWidgetHandle>(*this, tabs, tabs);
  QObject::connect(tabs, &QTabWidget::currentChanged, handle.get(), [this](int index) {
    if (index >= 0 && index < PageCount()) active_ = pages_[static_cast<size_t>(index)];
  });
  return handle;
}

// The sheets' windows live in the tab widget's pages; each sheet covers its page.
void TPageControl::PagesChanged() {
  auto* tabs = WidgetOf<QTabWidget>(*this);
  if (tabs == nullptr) return;
  const QSignalBlocker block(tabs);
  while (tabs->count() > 0) tabs->removeTab(0);
  for (TTabSheet* page : pages_) {
    page->HandleNeeded();
    QWidget* w = static_cast<TWidgetHandle*>(page->Handle())->Outer();
    tabs->addTab(w, QString::fromStdString(page->Caption()));
  }
  if (active_ != nullptr)
    tabs->setCurrentIndex(
        static_cast<int>(std::find(pages_.begin(), pages_.end(), active_) - pages_.begin()));
}

// --- TListView ------------------------------------------------------------------------

TListView::TListView(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 250, 150);
}

TListView::~TListView() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TListView::CreateWindowHandle() {
  auto* tree = new QTreeWidget();
  tree->setRootIsDecorated(false);
  return std::make_unique<TWidgetHandle>(*this, tree, tree->viewport());
}

void TListView::AddColumn(const std::string& caption, int width) {
  columns_.push_back(Column{caption, width});
  Refill();
}

const std::string& TListView::ColumnCaption(int index) const {
  if (index < 0 || index >= ColumnCount()) RaiseListIndexError(index);
  return columns_[static_cast<size_t>(index)].Caption;
}

void TListView::SetLocalizedColumnCaption(int index, const std::string& caption) {
  if (index < 0 || index >= ColumnCount()) RaiseListIndexError(index);
  columns_[static_cast<size_t>(index)].Caption = caption;
  Refill();
}

void TListView::AddItem(const std::vector<std::string>& texts) {
  rows_.push_back(texts);
  Refill();
}

void TListView::Clear() {
  rows_.clear();
  Refill();
}

void TListView::Refill() {
  auto* tree = WidgetOf<QTreeWidget>(*this);
  if (tree == nullptr) return;
  tree->clear();
  tree->setColumnCount(std::max(ColumnCount(), 1));
  QStringList headers;
  for (const Column& c : columns_) headers << QString::fromStdString(c.Caption);
  tree->setHeaderLabels(headers);
  for (int i = 0; i < ColumnCount(); ++i) tree->setColumnWidth(i, columns_[static_cast<size_t>(i)].Width);
  for (const auto& row : rows_) {
    QStringList texts;
    for (const std::string& t : row) texts << QString::fromStdString(t);
    tree->addTopLevelItem(new QTreeWidgetItem(texts));
  }
}

// --- TTreeView ------------------------------------------------------------------------

namespace {
/// An item that shows its node's image as the node has it when drawn: the node's image index
/// is often set just after the node was added (and shown).
class TNodeItem : public QTreeWidgetItem {
 public:
  TNodeItem(const TTreeNode& node, const TTreeView& view) : node_(node), view_(view) {}
  QVariant data(int column, int role) const override {
    if (column != 0 || role != Qt::DecorationRole) return QTreeWidgetItem::data(column, role);
    const bool selected = isSelected() && node_.SelectedIndex >= 0;
    const int index = selected ? node_.SelectedIndex : node_.ImageIndex;
    if (view_.Images == nullptr || index < 0) return {};
    const QImage image = TImageListAccess::Image(*view_.Images, index);
    if (image.isNull()) return {};
    return QIcon(QPixmap::fromImage(image));
  }

 private:
  const TTreeNode& node_;
  const TTreeView& view_;
};

}  // namespace

// The window of a tree view: the toolkit's tree widget and, for every node shown, its item.
// Nodes reach the widget one at a time, so that a tree filled node by node costs time in
// proportion to its size; only RefreshNodes remakes every item. Nothing here recurses over the
// tree's depth.
class TTreeHandle : public TWidgetHandle {
 public:
  TTreeHandle(TTreeView& view, QTreeWidget* tree)
      : TWidgetHandle(view, tree, tree->viewport()), view_(view), tree_(tree) {}

  /// Makes an item for `node` (a leaf) at `index` among its siblings' items, under an
  /// expanded parent. All or nothing: when memory runs out, no item is left behind that
  /// names a node its caller takes away again.
  void Insert(const TTreeNode& node, int index) {
    QTreeWidgetItem* parent = node.Parent() != nullptr ? ItemOf(node.Parent()) : tree_->invisibleRootItem();
    if (parent == nullptr) return;
    // The toolkit does not survive a failed allocation of its own; a tree filled with a large
    // exam is where it would meet one.
    CheckMemoryHeadroom(kItemHeadroom);
    std::unique_ptr<QTreeWidgetItem> item(NewItem(node));
    auto& slot = items_[&node];
    try {
      parent->insertChild(std::clamp(index, 0, parent->childCount()), item.get());
    } catch (...) {
      items_.erase(&node);
      throw;
    }
    slot = item.release();
    if (parent != tree_->invisibleRootItem() && !parent->isExpanded()) parent->setExpanded(true);
  }

  /// Takes away the item of `node` (at `index` among its siblings) with the items below it.
  void Remove(const TTreeNode& node, int index) {
    QTreeWidgetItem* item = ItemOf(&node);
    if (item == nullptr) return;
    QTreeWidgetItem* parent = item->parent() != nullptr ? item->parent() : tree_->invisibleRootItem();
    if (parent->child(index) != item) index = parent->indexOfChild(item);
    Forget(node);
    FreeItems(parent->takeChild(index));
  }

  /// Makes every item afresh.
  void Fill(const TTreeNodes& nodes) {
    items_.clear();
    QList<QTreeWidgetItem*> old = tree_->invisibleRootItem()->takeChildren();
    for (QTreeWidgetItem* item : old) FreeItems(item);
    // The items are built apart from the widget and handed over at once.
    QList<QTreeWidgetItem*> tops;
    std::vector<std::pair<const TTreeNode*, QTreeWidgetItem*>> pending;
    for (int i = nodes.TopLevelCount() - 1; i >= 0; --i) pending.emplace_back(nodes.TopLevelItem(i), nullptr);
    while (!pending.empty()) {
      const auto [node, parent] = pending.back();
      pending.pop_back();
      QTreeWidgetItem* item = NewItem(*node);
      items_[node] = item;
      if (parent != nullptr)
        parent->addChild(item);
      else
        tops.append(item);
      for (int i = node->Count() - 1; i >= 0; --i) pending.emplace_back(node->Item(i), item);
    }
    tree_->addTopLevelItems(tops);
    tree_->expandAll();
  }

  QTreeWidget* Tree() const { return tree_; }

 private:
  QTreeWidgetItem* NewItem(const TTreeNode& node) const {
    auto* item = new TNodeItem(node, view_);
    item->setText(0, QString::fromStdString(node.Text));
    return item;
  }

  QTreeWidgetItem* ItemOf(const TTreeNode* node) const {
    const auto found = items_.find(node);
    return found != items_.end() ? found->second : nullptr;
  }

  /// Drops the items of `node` and of its subtree from the index. A leaf, as the holders of an
  /// exam free their nodes while a failed allocation unwinds, needs no list.
  void Forget(const TTreeNode& node) {
    items_.erase(&node);
    if (!node.HasChildren()) return;
    std::vector<const TTreeNode*> pending{&node};
    while (!pending.empty()) {
      const TTreeNode* next = pending.back();
      pending.pop_back();
      items_.erase(next);
      for (int i = 0; i < next->Count(); ++i) pending.push_back(next->Item(i));
    }
  }

  /// Frees an item taken out of the widget with the items below it, each once its children
  /// are taken out of it: the toolkit would free them recursively.
  static void FreeItems(QTreeWidgetItem* item) {
    if (item == nullptr || item->childCount() == 0) {
      delete item;
      return;
    }
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
      QTreeWidgetItem* next = pending.back();
      pending.pop_back();
      for (QTreeWidgetItem* child : next->takeChildren()) pending.push_back(child);
      delete next;
    }
  }

  /// What one item may cost the toolkit, its sibling list growing included.
  static constexpr size_t kItemHeadroom = 4 << 20;

  const TTreeView& view_;
  QTreeWidget* tree_;
  std::unordered_map<const TTreeNode*, QTreeWidgetItem*> items_;
};

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner), Items(this, this) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TTreeView::CreateWindowHandle() {
  auto* tree = new QTreeWidget();
  tree->setHeaderHidden(true);
  return std::make_unique<TTreeHandle>(*this, tree);
}

TTreeHandle* TTreeView::TreeHandle() {
  return HandleAllocated() ? static_cast<TTreeHandle*>(Handle()) : nullptr;
}

void TTreeView::RefreshNodes() {
  TTreeHandle* handle = TreeHandle();
  if (handle == nullptr) return;
  handle->Tree()->setIndentation(Indent);
  if (Images != nullptr) handle->Tree()->setIconSize(QSize(Images->Width(), Images->Height()));
  handle->Tree()->setUpdatesEnabled(!Items.Updating());
  handle->Fill(Items);
}

void TTreeView::NodeInserted(TTreeNode& node, int index) {
  if (TTreeHandle* handle = TreeHandle()) handle->Insert(node, index);
}

void TTreeView::NodeDeleting(TTreeNode& node, int index) {
  if (TTreeHandle* handle = TreeHandle()) handle->Remove(node, index);
}

void TTreeView::UpdatingChanged(bool updating) {
  if (TTreeHandle* handle = TreeHandle()) handle->Tree()->setUpdatesEnabled(!updating);
}
