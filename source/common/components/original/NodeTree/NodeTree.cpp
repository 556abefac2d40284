// The node structure: allocation, linking and unlinking with the counters kept in step,
// child counts, deletion, initialisation on demand, counting, comparing and iteration.
#include "common/components/original/NodeTree/NodeTree.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include "common/components/original/NodeTree/DragDrop.h"
#include "common/components/original/NodeTree/ValidationThread.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

namespace {

std::mutex& TreeRegistryLock() {
  static std::mutex lock;
  return lock;
}
std::map<uint64_t, TNodeTree*>& TreeRegistry() {
  static std::map<uint64_t, TNodeTree*> trees;
  return trees;
}
std::atomic<uint64_t> nextTreeId{1};

}  // namespace

TNodeTree::TNodeTree(TComponent* owner)
    : TCustomControl(owner),
      options_(std::make_unique<TNodeTreeOptions>(this)),
      header_(std::make_unique<TNodeTreeHeader>(this)),
      background_(std::make_unique<TBitmap>()),
      plusBM_(std::make_unique<TBitmap>()),
      minusBM_(std::make_unique<TBitmap>()) {
  root_ = static_cast<PNode>(std::calloc(1, kNodeHeaderSize));
  if (root_ == nullptr) throw std::bad_alloc();
  root_->TotalCount = 1;
  root_->States = nsInitialized | nsExpanded | nsHasChildren | nsVisible;
  root_->Align = 50;
  const TColor defaults[kColorCount] = {clBtnShadow, clBtnFace,   clHighlight, clHighlight, clBtnFace,
                                        clGray,      clBtnFace,   clBtnShadow, clBtnShadow, clHighlight,
                                        clBtnFace,   clHighlight, clHighlight, clHighlight};
  std::copy(std::begin(defaults), std::end(defaults), colors_);
  SetWidth(200);
  SetHeight(100);
  treeId_ = nextTreeId++;
  {
    const std::lock_guard<std::mutex> guard(TreeRegistryLock());
    TreeRegistry()[treeId_] = this;
  }
  BuildButtonBitmaps(true, true);
  // Text is measured in the tree's font: another font makes every remembered width stale.
  Font().OnChange = [this](TFont&) { NodeWidthChanged(nullptr); };
  ValidationThread::AddUser();
}

TNodeTree::~TNodeTree() {
  IncludeState(tsDestroying);
  Font().OnChange = nullptr;
  InterruptValidation();
  {
    const std::lock_guard<std::mutex> guard(TreeRegistryLock());
    TreeRegistry().erase(treeId_);
  }
  if (dragManager_ != nullptr) {
    TVTDragManager* manager = dragManager_;
    dragManager_ = nullptr;
    manager->TreeGone();
    manager->Release();
  }
  ExcludeState(tsIterating);
  ++updateCount_;  // no notifications from a tree that is going
  DeleteChildren(root_, true);
  std::free(root_);
  ValidationThread::RemoveUser();
}

TNodeTree* TNodeTree::FindTreeById(uint64_t id) {
  const std::lock_guard<std::mutex> guard(TreeRegistryLock());
  const auto it = TreeRegistry().find(id);
  return it == TreeRegistry().end() ? nullptr : it->second;
}

void TNodeTree::SetNodeDataSize(int32_t size) {
  if (size == nodeDataSize_) return;
  if (root_->ChildCount > 0)
    throw ENodeTreeError("Cannot change the node data size of a tree with nodes.", 0);
  nodeDataSize_ = size;
}

void TNodeTree::SetInternalDataSize(int32_t size) {
  if (root_->ChildCount > 0)
    throw ENodeTreeError("Cannot change the internal data size of a tree with nodes.", 0);
  internalDataSize_ = std::max<int32_t>(0, (size + 15) / 16 * 16);
}

void TNodeTree::SetIndent(int32_t indent) {
  if (indent == indent_) return;
  indent_ = indent;
  InvalidateCache();
  if (updateCount_ == 0) {
    UpdateScrollBars(true);
    Invalidate();
  }
}

TNodeTreeOptions& TNodeTree::GetOptions() {
  auto* options = dynamic_cast<TNodeTreeOptions*>(options_.get());
  if (options == nullptr) throw EInvalidCast("Invalid class typecast");
  return *options;
}

void TNodeTree::SetOptionsObject(std::unique_ptr<TCustomNodeTreeOptions> options) {
  options_->AssignTo(options.get());
  options_ = std::move(options);
}

// --- Allocation and data ----------------------------------------------------------------

int32_t TNodeTree::DoGetNodeDataSize() {
  int32_t size = static_cast<int32_t>(sizeof(TTextNodeData));
  if (OnGetNodeDataSize) OnGetNodeDataSize(this, size);
  return size;
}

PNode TNodeTree::AllocateNode() {
  if (nodeDataSize_ < 0) nodeDataSize_ = std::max<int32_t>(0, DoGetNodeDataSize());
  const size_t size = static_cast<size_t>(kNodeHeaderSize) + static_cast<size_t>(internalDataSize_) +
                      static_cast<size_t>(nodeDataSize_);
  auto* node = static_cast<PNode>(std::calloc(1, size));
  if (node == nullptr) throw std::bad_alloc();
  node->TotalCount = 1;
  node->NodeHeight = defaultNodeHeight_;
  node->TotalHeight = defaultNodeHeight_;
  node->States = nsVisible;
  node->Align = 50;
  // Trees whose data area can hold a text record keep one in every node.
  if (nodeDataSize_ >= static_cast<int32_t>(sizeof(TTextNodeData))) new (GetNodeData(node)) TTextNodeData();
  return node;
}

void* TNodeTree::GetNodeData(PNode node) {
  // Asking for data of a tree that has none (its size is unknown until the first node is
  // made, or was set to 0) is the caller's mistake.
  TreeAssert(nodeDataSize_ >= 1, kNodeDataSizeUnset);
  if (node == nullptr || node == root_) return nullptr;
  return reinterpret_cast<uint8_t*>(node) + kNodeHeaderSize + internalDataSize_;
}

TTextNodeData* TNodeTree::TextData(PNode node) {
  if (node == nullptr || node == root_ || nodeDataSize_ < static_cast<int32_t>(sizeof(TTextNodeData)))
    return nullptr;
  return static_cast<TTextNodeData*>(GetNodeData(node));
}

void TNodeTree::DoFreeNode(PNode node) {
  if (OnFreeNode) OnFreeNode(this, node);
}

void TNodeTree::FreeNodeRecord(PNode node) {
  if (node == focusedNode_) focusedNode_ = nullptr;
  if (node == rangeAnchor_) rangeAnchor_ = focusedNode_;
  if (node == dropTargetNode_) dropTargetNode_ = nullptr;
  if (node == pendingStructureNode_) pendingStructureNode_ = node->Parent == root_ ? nullptr : node->Parent;
  if (node == pendingChangeNode_) pendingChangeNode_ = nullptr;
  DoFreeNode(node);
  if (TTextNodeData* data = TextData(node)) data->~TTextNodeData();
  std::free(node);
}

// --- Counters ---------------------------------------------------------------------------

void TNodeTree::AdjustTotalCount(PNode node, int64_t delta) {
  for (; node != nullptr; node = node->Parent)
    node->TotalCount = static_cast<uint32_t>(node->TotalCount + delta);
}

void TNodeTree::AdjustTotalHeight(PNode node, int64_t delta, bool relative) {
  if (!relative) delta -= node->TotalHeight;
  if (delta == 0) return;
  node->TotalHeight = static_cast<uint32_t>(node->TotalHeight + delta);
  // A change reaches the parent only through visible nodes under expanded parents.
  while (node != root_ && node->Has(nsVisible) && node->Parent->Has(nsExpanded)) {
    node = node->Parent;
    node->TotalHeight = static_cast<uint32_t>(node->TotalHeight + delta);
  }
}

uint32_t TNodeTree::VisibleSubtreeCount(PNode node) const {
  if (!node->Has(nsExpanded)) return 0;
  uint32_t count = 0;
  for (PNode child = node->FirstChild; child != nullptr; child = child->NextSibling)
    if (child->Has(nsVisible)) count += 1 + VisibleSubtreeCount(child);
  return count;
}

uint32_t TNodeTree::CountVisibleChildren(PNode node) const {
  return VisibleSubtreeCount(node);
}

bool TNodeTree::IsVisibleInTree(PNode node) const {
  TreeAssert(node != nullptr, kInvalidParameter);
  if (node == root_) return true;
  if (!node->Has(nsVisible)) return false;
  for (PNode parent = node->Parent; parent != root_; parent = parent->Parent) {
    TreeAssert(parent != nullptr, kInvalidParameters);
    if (!parent->Has(nsExpanded) || !parent->Has(nsVisible)) return false;
  }
  return true;
}

void TNodeTree::DetermineHiddenChildrenFlag(PNode node) {
  if (node == nullptr || node == root_) return;
  if (node->Has(nsClearing)) return;
  bool allHidden = node->ChildCount > 0;
  for (PNode child = node->FirstChild; child != nullptr && allHidden; child = child->NextSibling)
    if (child->Has(nsVisible)) allHidden = false;
  if (allHidden)
    node->Include(nsAllChildrenHidden);
  else
    node->Exclude(nsAllChildrenHidden);
}

void TNodeTree::DetermineHiddenChildrenFlagAllNodes() {
  for (PNode node = GetNextNoInit(root_); node != nullptr; node = GetNextNoInit(node))
    DetermineHiddenChildrenFlag(node);
}

// --- Linking ----------------------------------------------------------------------------

void TNodeTree::InternalConnectNode(PNode node, PNode destination, TNodeAttachMode mode) {
  InterruptValidation();
  PNode parent = nullptr;
  switch (mode) {
    case amInsertBefore:
      parent = destination->Parent;
      node->PrevSibling = destination->PrevSibling;
      node->NextSibling = destination;
      destination->PrevSibling = node;
      if (node->PrevSibling != nullptr)
        node->PrevSibling->NextSibling = node;
      else
        parent->FirstChild = node;
      node->Index = destination->Index;
      for (PNode run = destination; run != nullptr; run = run->NextSibling) ++run->Index;
      break;
    case amInsertAfter:
      parent = destination->Parent;
      node->PrevSibling = destination;
      node->NextSibling = destination->NextSibling;
      destination->NextSibling = node;
      if (node->NextSibling != nullptr)
        node->NextSibling->PrevSibling = node;
      else
        parent->LastChild = node;
      node->Index = destination->Index + 1;
      for (PNode run = node->NextSibling; run != nullptr; run = run->NextSibling) ++run->Index;
      break;
    case amAddChildFirst:
      parent = destination;
      node->PrevSibling = nullptr;
      node->NextSibling = parent->FirstChild;
      if (parent->FirstChild != nullptr)
        parent->FirstChild->PrevSibling = node;
      else
        parent->LastChild = node;
      parent->FirstChild = node;
      node->Index = 0;
      for (PNode run = node->NextSibling; run != nullptr; run = run->NextSibling) ++run->Index;
      break;
    case amAddChildLast:
      parent = destination;
      node->NextSibling = nullptr;
      node->PrevSibling = parent->LastChild;
      if (parent->LastChild != nullptr)
        parent->LastChild->NextSibling = node;
      else
        parent->FirstChild = node;
      parent->LastChild = node;
      node->Index = node->PrevSibling != nullptr ? node->PrevSibling->Index + 1 : 0;
      break;
    case amNoWhere:
      return;
  }
  node->Parent = parent;
  ++parent->ChildCount;
  parent->Include(nsHasChildren);
  AdjustTotalCount(parent, node->TotalCount);
  if (parent->Has(nsExpanded) && node->Has(nsVisible)) AdjustTotalHeight(parent, node->TotalHeight, true);
  if (IsVisibleInTree(node)) visibleCount_ += VisibleSubtreeCount(node) + 1;
  if (parent != root_) {
    if (node->Has(nsVisible))
      parent->Exclude(nsAllChildrenHidden);
    else if (parent->ChildCount == 1)
      parent->Include(nsAllChildrenHidden);
  }
}

void TNodeTree::InternalDisconnectNode(PNode node, bool keepFocus, bool reindex) {
  TreeAssert(node != nullptr && node != root_, kNodeNilOrRoot);
  InterruptValidation();
  if (node == focusedNode_ && !keepFocus) SetFocusedNodeInternal(nullptr);
  if (node == rangeAnchor_) rangeAnchor_ = focusedNode_;
  PNode parent = node->Parent;
  if (!node->Has(nsDeleting)) {
    if (IsVisibleInTree(node)) visibleCount_ -= VisibleSubtreeCount(node) + 1;
    if (parent->Has(nsExpanded) && node->Has(nsVisible))
      AdjustTotalHeight(parent, -int64_t{node->TotalHeight}, true);
    AdjustTotalCount(parent, -int64_t{node->TotalCount});
    --parent->ChildCount;
    if (parent->ChildCount == 0 && parent != root_) parent->Exclude(nsHasChildren);
  }
  if (node->PrevSibling != nullptr)
    node->PrevSibling->NextSibling = node->NextSibling;
  else
    parent->FirstChild = node->NextSibling;
  if (node->NextSibling != nullptr)
    node->NextSibling->PrevSibling = node->PrevSibling;
  else
    parent->LastChild = node->PrevSibling;
  if (reindex)
    for (PNode run = node->NextSibling; run != nullptr; run = run->NextSibling) --run->Index;
  node->Parent = nullptr;
  node->PrevSibling = nullptr;
  node->NextSibling = nullptr;
  if (!parent->Has(nsClearing)) DetermineHiddenChildrenFlag(parent);
}

void TNodeTree::CancelEdit() {
  if (HandleAllocated() && HasState(tsEditing | tsEditPending)) {
    ExcludeState(tsEditing | tsEditPending);
    if (OnCancelEdit) OnCancelEdit(this);
  }
}

PNode TNodeTree::InsertNode(PNode node, TNodeAttachMode mode, const uint32_t* userData) {
  if (mode == amNoWhere) return nullptr;
  CancelEdit();
  if (node == nullptr) node = root_;
  if (node == root_) {
    if (mode == amInsertBefore) mode = amAddChildFirst;
    if (mode == amInsertAfter) mode = amAddChildLast;
  }
  // Check the data size before anything is linked, so that a refused insert changes nothing.
  if (userData != nullptr) {
    if (nodeDataSize_ < 0) nodeDataSize_ = std::max<int32_t>(0, DoGetNodeDataSize());
    if (nodeDataSize_ < 4)
      throw ENodeTreeError(
          "Cannot set initial user data because there is not enough user data space allocated.", 2008);
  }
  if ((mode == amAddChildFirst || mode == amAddChildLast) && !node->Has(nsInitialized)) InitNode(node);
  PNode result = AllocateNode();
  InternalConnectNode(result, node, mode);
  if (userData != nullptr) {
    std::memcpy(GetNodeData(result), userData, 4);
    result->Include(nsInitialUserData);
  }
  InvalidateCache();
  if (updateCount_ == 0) {
    if ((options_->AutoOptions() & toAutoSort) != 0 && header_->SortColumn() >= NoColumn)
      Sort(mode == amInsertBefore || mode == amInsertAfter ? node->Parent : node, header_->SortColumn(),
           header_->SortAscending(), true);
    UpdateScrollBars(true);
    InvalidateToBottom(mode == amInsertBefore ? result : node);
  }
  StructureChange(result, crNodeAdded);
  return result;
}

void TNodeTree::MoveTo(PNode node, PNode target, TNodeAttachMode mode) {
  TreeAssert(node != nullptr && node != root_, kNodeNilOrRoot);
  if (mode == amNoWhere) return;
  if (target == nullptr) target = root_;
  if (target == root_) {
    if (mode == amInsertBefore) mode = amAddChildFirst;
    if (mode == amInsertAfter) mode = amAddChildLast;
  }
  // A node cannot go into its own subtree.
  if (target == node || IsDescendantOf(target, node)) return;
  if ((mode == amAddChildFirst || mode == amAddChildLast) && !target->Has(nsInitialized)) InitNode(target);
  PNode oldParent = node->Parent;
  InternalDisconnectNode(node, true, true);
  InternalConnectNode(node, target, mode);
  InvalidateCache();
  if (updateCount_ == 0) {
    UpdateScrollBars(true);
    Invalidate();
  }
  StructureChange(oldParent == root_ ? nullptr : oldParent, crChildDeleted);
  StructureChange(node, crNodeAdded);
}

void TNodeTree::SetChildCount(PNode node, uint32_t newCount) {
  if ((options_->MiscOptions() & toReadOnly) != 0) return;
  if (node == nullptr) node = root_;
  if (newCount == 0) {
    DeleteChildren(node);
    return;
  }
  const int64_t difference = int64_t{newCount} - node->ChildCount;
  if (difference > 0) {
    InterruptValidation();
    uint32_t index = node->LastChild != nullptr ? node->LastChild->Index + 1 : 0;
    if (node->LastChild == nullptr) node->Include(nsHasChildren);
    int64_t heightSum = 0;
    for (int64_t i = 0; i < difference; ++i) {
      PNode child = AllocateNode();
      child->Index = index++;
      child->Parent = node;
      child->PrevSibling = node->LastChild;
      if (node->LastChild != nullptr)
        node->LastChild->NextSibling = child;
      else
        node->FirstChild = child;
      node->LastChild = child;
      heightSum += child->TotalHeight;
    }
    if (node->Has(nsExpanded)) {
      AdjustTotalHeight(node, heightSum, true);
      if (IsVisibleInTree(node)) visibleCount_ += static_cast<uint32_t>(difference);
    }
    AdjustTotalCount(node, difference);
    node->ChildCount = newCount;
    node->Exclude(nsAllChildrenHidden);
    if (updateCount_ == 0 && (options_->AutoOptions() & toAutoSort) != 0)
      Sort(node, header_->SortColumn(), header_->SortAscending(), true);
    InvalidateCache();
  } else {
    for (int64_t i = 0; i < -difference && node->LastChild != nullptr; ++i) DeleteNode(node->LastChild, true);
  }
  if (updateCount_ == 0) {
    InvalidateCache();
    UpdateScrollBars(true);
    Invalidate();
  }
  StructureChange(node == root_ ? nullptr : node, crChildAdded);
}

void TNodeTree::DeleteNode(PNode node, bool reindex) {
  if (node == nullptr || node == root_ || (options_->MiscOptions() & toReadOnly) != 0) return;
  TreeAssert(!HasState(tsIterating), kDeleteWhileIterating);
  PNode parent = node->Parent;
  const bool clearing = parent->Has(nsClearing);
  if (!clearing) StructureChange(parent == root_ ? nullptr : parent, crChildDeleted);
  const int32_t oldX = offsetX_;
  const int32_t oldY = offsetY_;
  if (node->Has(nsSelected)) {
    InternalRemoveFromSelection(node);
  } else if (!clearing) {
    InvalidateToBottom(parent);
  }
  DeleteChildren(node, false);
  InternalDisconnectNode(node, false, reindex);
  FreeNodeRecord(node);
  if (!clearing) {
    DetermineHiddenChildrenFlag(parent);
    InvalidateCache();
    if (updateCount_ == 0) {
      UpdateScrollBars(true);
      if (oldX != offsetX_ || oldY != offsetY_) Invalidate();
    }
  }
}

void TNodeTree::DeleteChildren(PNode node, bool resetHasChildren) {
  if (node == nullptr || node->FirstChild == nullptr) {
    if (node != nullptr && resetHasChildren && node != root_) node->Exclude(nsHasChildren);
    return;
  }
  if ((options_->MiscOptions() & toReadOnly) != 0 && !HasState(tsDestroying)) return;
  TreeAssert(!HasState(tsIterating), kDeleteWhileIterating);
  InterruptValidation();
  ++updateCount_;
  const bool countsVisible = node->Has(nsExpanded) && IsVisibleInTree(node);
  node->Include(nsClearing);
  for (PNode child = node->LastChild; child != nullptr; child = node->LastChild) {
    child->Include(nsDeleting);
    if (countsVisible && child->Has(nsVisible)) --visibleCount_;
    if (child->Has(nsSelected)) InternalRemoveFromSelection(child);
    DeleteChildren(child, false);
    InternalDisconnectNode(child, false, false);
    FreeNodeRecord(child);
  }
  node->Exclude(nsClearing);
  if (resetHasChildren) node->Exclude(nsHasChildren);
  if (node != root_) node->Exclude(nsExpanded);
  node->ChildCount = 0;
  if (node != root_ && !node->Has(nsDeleting)) {
    AdjustTotalHeight(node, node->NodeHeight, false);
    AdjustTotalCount(node, 1 - int64_t{node->TotalCount});
  } else {
    node->TotalHeight = node->NodeHeight;
    node->TotalCount = 1;
  }
  node->FirstChild = nullptr;
  node->LastChild = nullptr;
  --updateCount_;
  // Selected children were only marked while the children went; drop those entries now.
  if (updateCount_ == 0) PackSelection();
  InvalidateCache();
  if (updateCount_ == 0) {
    const int32_t oldX = offsetX_;
    const int32_t oldY = offsetY_;
    UpdateScrollBars(true);
    if (oldX == offsetX_ && oldY == offsetY_)
      InvalidateToBottom(node);
    else
      Invalidate();
  }
  if (!node->Has(nsDeleting)) StructureChange(node == root_ ? nullptr : node, crChildDeleted);
}

void TNodeTree::Clear() {
  BeginUpdate();
  ClearSelection();
  DeleteChildren(root_, true);
  offsetX_ = 0;
  offsetY_ = 0;
  EndUpdate();
}

// --- Initialisation ---------------------------------------------------------------------

uint8_t TNodeTree::DoInitNode(PNode parent, PNode node) {
  uint8_t states = 0;
  if (OnInitNode) OnInitNode(this, parent, node, states);
  return states;
}

uint32_t TNodeTree::DoInitChildren(PNode node) {
  uint32_t count = node->ChildCount;
  if (OnInitChildren) OnInitChildren(this, node, count);
  return count;
}

void TNodeTree::InitNode(PNode node) {
  TreeAssert(node != nullptr, kNodeNil);
  if (node == root_) return;
  const uint8_t states = DoInitNode(node->Parent == root_ ? nullptr : node->Parent, node);
  node->Include(nsInitialized);
  // The init hook gives the node its content: a width measured before is stale.
  if (node->WidthStamp != 0) NodeWidthChanged(node);
  if ((states & ivsDisabled) != 0) node->Include(nsDisabled);
  if ((states & ivsHasChildren) != 0) node->Include(nsHasChildren);
  if ((states & ivsMultiline) != 0) node->Include(nsMultiline);
  if ((states & ivsSelected) != 0 && !node->Has(nsSelected)) InternalAddToSelection({node}, true);
  const bool wantExpanded = (states & ivsExpanded) != 0;
  if (wantExpanded && !node->Has(nsExpanded)) ToggleNode(node);
}

void TNodeTree::InitChildren(PNode node) {
  if (node == nullptr || node == root_ || !node->Has(nsHasChildren)) return;
  const uint32_t count = DoInitChildren(node);
  if (count == 0) {
    DeleteChildren(node, true);
    node->Exclude(nsHasChildren);
  } else {
    SetChildCount(node, count);
  }
}

// --- Counting and comparing -------------------------------------------------------------

uint32_t TNodeTree::GetNodeLevel(PNode node) const {
  uint32_t level = 0;
  if (node == nullptr || node == root_) return 0;
  for (PNode run = node->Parent; run != root_ && run != nullptr; run = run->Parent) ++level;
  return level;
}

int64_t TNodeTree::CompareTreeOrder(PNode a, PNode b) const {
  TreeAssert(a != nullptr && b != nullptr, kNodesNil);
  if (a == b) return 0;
  if (IsDescendantOf(b, a)) return -1;
  if (IsDescendantOf(a, b)) return 1;
  uint32_t levelA = GetNodeLevel(a);
  uint32_t levelB = GetNodeLevel(b);
  for (; levelA > levelB; --levelA) a = a->Parent;
  for (; levelB > levelA; --levelB) b = b->Parent;
  while (a->Parent != b->Parent) {
    a = a->Parent;
    b = b->Parent;
  }
  return int64_t{a->Index} - int64_t{b->Index};
}

int32_t TNodeTree::LevelDistance(PNode a, PNode b) const {
  TreeAssert(a != nullptr && b != nullptr, kBothAssigned);
  return static_cast<int32_t>(GetNodeLevel(a)) - static_cast<int32_t>(GetNodeLevel(b));
}

bool TNodeTree::IsDescendantOf(PNode node, PNode ancestor) const {
  if (node == nullptr || ancestor == nullptr || node == ancestor) return false;
  for (PNode run = node->Parent; run != nullptr; run = run->Parent)
    if (run == ancestor) return true;
  return false;
}

// --- Iteration --------------------------------------------------------------------------

PNode TNodeTree::GetFirst() {
  return GetFirstChild(nullptr);
}

PNode TNodeTree::GetFirstChild(PNode node) {
  if (node == nullptr) node = root_;
  if (node != root_ && !node->Has(nsInitialized)) InitNode(node);
  if (node->Has(nsHasChildren) && node->ChildCount == 0) InitChildren(node);
  PNode child = node->FirstChild;
  if (child != nullptr && !child->Has(nsInitialized)) InitNode(child);
  return child;
}

PNode TNodeTree::GetLastChild(PNode node) {
  if (node == nullptr) node = root_;
  if (node != root_ && !node->Has(nsInitialized)) InitNode(node);
  if (node->Has(nsHasChildren) && node->ChildCount == 0) InitChildren(node);
  PNode child = node->LastChild;
  if (child != nullptr && !child->Has(nsInitialized)) InitNode(child);
  return child;
}

PNode TNodeTree::GetNext(PNode node) {
  if (node == nullptr) return nullptr;
  TreeAssert(node != root_, kNodeIsRoot);
  if (node->Has(nsHasChildren) && node->ChildCount == 0) InitChildren(node);
  PNode result = node->FirstChild;
  if (result == nullptr) {
    for (PNode run = node; run != root_ && result == nullptr; run = run->Parent) result = run->NextSibling;
  }
  if (result != nullptr && !result->Has(nsInitialized)) InitNode(result);
  return result;
}

PNode TNodeTree::GetNextNoInit(PNode node) const {
  if (node == nullptr) return nullptr;
  if (node->FirstChild != nullptr) return node->FirstChild;
  for (PNode run = node; run != root_ && run != nullptr; run = run->Parent)
    if (run->NextSibling != nullptr) return run->NextSibling;
  return nullptr;
}

PNode TNodeTree::GetVisibleParent(PNode node) const {
  TreeAssert(node != nullptr, kNodeNil);
  PNode result = node;
  for (PNode run = node; run != root_; run = run->Parent)
    if (!run->Parent->Has(nsExpanded) || !run->Parent->Has(nsVisible) || !run->Has(nsVisible))
      result = run->Parent;
  return result;
}

PNode TNodeTree::GetFirstVisible() {
  PNode node = GetFirstChild(nullptr);
  while (node != nullptr && !node->Has(nsVisible)) {
    node = node->NextSibling;
    if (node != nullptr && !node->Has(nsInitialized)) InitNode(node);
  }
  return node;
}

PNode TNodeTree::GetNextVisibleSibling(PNode node) const {
  PNode run = node->NextSibling;
  while (run != nullptr && !run->Has(nsVisible)) run = run->NextSibling;
  return run;
}

PNode TNodeTree::GetPreviousVisibleSibling(PNode node) const {
  TreeAssert(node != nullptr && node != root_, kInvalidParameter);
  PNode run = node->PrevSibling;
  while (run != nullptr && !run->Has(nsVisible)) run = run->PrevSibling;
  return run;
}

PNode TNodeTree::GetNextVisibleNoInit(PNode node) const {
  if (node == nullptr || node == root_) return nullptr;
  if (!IsVisibleInTree(node)) {
    node = GetVisibleParent(node);
    if (node == root_) return nullptr;
  }
  if (node->Has(nsExpanded))
    for (PNode child = node->FirstChild; child != nullptr; child = child->NextSibling)
      if (child->Has(nsVisible)) return child;
  for (PNode run = node; run != root_; run = run->Parent)
    if (PNode sibling = GetNextVisibleSibling(run)) return sibling;
  return nullptr;
}

PNode TNodeTree::GetNextVisible(PNode node) {
  if (node != nullptr && node != root_ && node->Has(nsExpanded) && node->Has(nsHasChildren) &&
      node->ChildCount == 0)
    InitChildren(node);
  PNode result = GetNextVisibleNoInit(node);
  if (result != nullptr && !result->Has(nsInitialized)) InitNode(result);
  return result;
}

PNode TNodeTree::GetLastVisibleChild(PNode node) {
  if (node == nullptr) node = root_;
  if (!node->Has(nsExpanded)) return nullptr;
  PNode result = GetLastChild(node);
  while (result != nullptr && !result->Has(nsVisible)) result = result->PrevSibling;
  return result;
}

PNode TNodeTree::GetLastVisible() {
  PNode result = GetLastVisibleChild(root_);
  while (result != nullptr && result->Has(nsExpanded)) {
    PNode last = GetLastVisibleChild(result);
    if (last == nullptr) break;
    result = last;
  }
  return result;
}

PNode TNodeTree::GetPreviousVisible(PNode node) {
  if (node == nullptr || node == root_) return nullptr;
  if (!IsVisibleInTree(node)) {
    node = GetVisibleParent(node);
    if (node == root_) return nullptr;
  }
  PNode previous = GetPreviousVisibleSibling(node);
  if (previous == nullptr) return node->Parent == root_ ? nullptr : node->Parent;
  // The deepest last visible descendant of the previous visible sibling.
  while (previous->Has(nsExpanded)) {
    PNode last = GetLastVisibleChild(previous);
    if (last == nullptr) break;
    previous = last;
  }
  if (!previous->Has(nsInitialized)) InitNode(previous);
  return previous;
}

// --- Text nodes -------------------------------------------------------------------------

PNode TNodeTree::AddTextNode(PNode parent, TNodeAttachMode mode, bool expand, int32_t number, uint8_t flagB,
                             uint8_t flagA, uint32_t kind, const std::string& text) {
  PNode node = InsertNode(parent, mode, nullptr);
  if (node == nullptr) return nullptr;
  if (TTextNodeData* data = TextData(node)) {
    data->Kind = kind;
    data->Text = MultiByteToWide(CP_ACP, 0, text);
    data->FlagA = flagA;
    data->FlagB = flagB;
    data->Number = number;
    NodeWidthChanged(node);
  }
  if (expand) SetExpanded(node->Parent, true);
  return node;
}

void TNodeTree::SetMargin(int32_t value) {
  if (value == margin_) return;
  margin_ = value;
  rangeWidthValid_ = false;
  if (HandleAllocated() && !HasState(tsLoading)) Invalidate();
}

void TNodeTree::ReplaceImageList(TCustomImageList*& field, TChangeLink& link, TCustomImageList* images) {
  if (images == field) return;
  if (field != nullptr) field->UnRegisterChanges(&link);
  if (images != nullptr) {
    // New or changed pictures may change node widths as well as what is drawn.
    link.OnChange = [this](TCustomImageList&) {
      rangeWidthValid_ = false;
      Invalidate();
    };
    images->RegisterChanges(&link);
  }
  // The tree hears when a list it shows goes, so it never draws from a freed list.
  if (field != nullptr && !ShowsImageListElsewhere(field, &field)) RemoveFreeNotification(field);
  field = images;
  if (field != nullptr) FreeNotification(field);
  rangeWidthValid_ = false;
  if (!HasState(tsLoading)) Invalidate();
}

bool TNodeTree::ShowsImageListElsewhere(TCustomImageList* list, TCustomImageList* const* except) const {
  for (TCustomImageList* const* field : {&images_, &stateImages_, &checkImages_})
    if (field != except && *field == list) return true;
  return false;
}

void TNodeTree::SetImages(TCustomImageList* images) {
  ReplaceImageList(images_, imagesLink_, images);
}

void TNodeTree::SetStateImages(TCustomImageList* images) {
  ReplaceImageList(stateImages_, stateImagesLink_, images);
}

void TNodeTree::SetCheckImages(TCustomImageList* images) {
  ReplaceImageList(checkImages_, checkImagesLink_, images);
}

void TNodeTree::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != opRemove) return;
  for (TCustomImageList** field : {&images_, &stateImages_, &checkImages_})
    if (*field == component) {
      *field = nullptr;
      rangeWidthValid_ = false;
    }
  if (header_ != nullptr && header_->Images() == component) header_->SetImages(nullptr);
}

TRect TNodeTree::GetTreeRect() {
  return Rect(0, 0, std::max<int32_t>(ClientWidth(), RangeWidth()),
              static_cast<int32_t>(std::max<int64_t>(ClientHeight(), rangeHeight_)));
}

// --- Drag and drop ----------------------------------------------------------------------

TVTDragManager& TNodeTree::DragManager() {
  if (dragManager_ == nullptr) {
    TVTDragManager* manager = OnCreateDragManager ? OnCreateDragManager(this) : nullptr;
    if (manager == nullptr) manager = new TVTDragManager(this);
    manager->AddRef();  // the tree's own reference, dropped in the destructor
    dragManager_ = manager;
  }
  return *dragManager_;
}

void TNodeTree::RegisterDropTarget(bool accept) {
  if (!accept && dragManager_ == nullptr) return;
  dropTargetRegistered_ = DragManager().Register(accept) && accept;
}

HRESULT TNodeTree::DoDragEnter(uint32_t keyState, TPoint point, uint32_t& effect) {
  return DoDragOver(dragManager_ != nullptr ? dragManager_->DragSource() : nullptr, keyState, point, effect);
}

HRESULT TNodeTree::DoDragOver(TNodeTree* source, uint32_t keyState, TPoint point, uint32_t& effect) {
  uint32_t answer = DROPEFFECT_NONE;
  if (OnDragOver) {
    answer = effect;
    OnDragOver(this, source, keyState, point, answer);
  }
  effect = answer;
  return S_OK;
}

void TNodeTree::DoDragLeave() {
  if (OnDragLeave) OnDragLeave(this);
}

HRESULT TNodeTree::DoDragDrop(TVTDataObject* data, uint32_t keyState, TPoint point, uint32_t& effect) {
  TNodeTree* source = TreeFromDataObject(data);
  if (!OnDragDrop) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  OnDragDrop(this, data, source, keyState, point, effect);
  return S_OK;
}
