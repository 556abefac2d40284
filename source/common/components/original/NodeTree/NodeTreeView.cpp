// What depends on what is shown: expanding and collapsing (with the sliding animation), the
// selection list, the position cache and geometry, scrolling, update batching and the delayed
// notifications, and the word-wrapped heights of text nodes.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "common/components/original/NodeTree/NodeTree.h"
#include "common/components/original/NodeTree/TextWrap.h"
#include "common/components/original/NodeTree/ValidationThread.h"
#include "platform/graphics/ImageList.h"

namespace {

constexpr uintptr_t kChangeTimer = 5;
constexpr uintptr_t kStructureChangeTimer = 6;
// The cache keeps every n-th visible node's top; lookups walk at most that many nodes.
constexpr uint32_t kCacheStride = 32;
// Trees with fewer visible nodes are left to the GUI thread.
constexpr uint32_t kValidationThreshold = 4 * kCacheStride;

uint32_t MillisecondClock() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

// --- Expanding and collapsing -------------------------------------------------------------

void TNodeTree::ToggleNode(PNode node) {
  TreeAssert(node != nullptr, kNodeNil);
  if (node->Has(nsDeleting) || node == root_) return;
  PNode topNode = updateCount_ == 0 ? GetNodeAt(0, true) : nullptr;
  bool changed = false;
  const bool animate = (options_->AnimationOptions() & toAnimatedToggle) != 0 && updateCount_ == 0 &&
                       HandleAllocated() && !HasState(tsCollapsing | tsToggling);
  if (node->Has(nsExpanded)) {
    bool allowed = true;
    if (OnCollapsing) OnCollapsing(this, node, allowed);
    if (!allowed) return;
    if (animate && IsVisibleInTree(node)) {
      const TRect r = GetDisplayRect(node, NoColumn, false);
      const int32_t below = std::min<int32_t>(ClientHeight() - r.Bottom,
                                              static_cast<int32_t>(node->TotalHeight - node->NodeHeight));
      if (below > 0) {
        IncludeState(tsCollapsing);
        const TRect area = Rect(0, r.Bottom, ClientWidth(), ClientHeight());
        Animate(below, animationDuration_,
                [&](int32_t, int32_t size) { return ToggleCallback(0, size, area, false); });
        ExcludeState(tsCollapsing);
      }
    }
    const uint32_t hidden = IsVisibleInTree(node) ? VisibleSubtreeCount(node) : 0;
    AdjustTotalHeight(node, node->NodeHeight, false);
    node->Exclude(nsExpanded);
    visibleCount_ -= hidden;
    changed = true;
    if (OnCollapsed) OnCollapsed(this, node);
    if ((options_->AutoOptions() & toAutoFreeOnCollapse) != 0) {
      DeleteChildren(node, false);
      node->Include(nsHasChildren);
    }
  } else {
    bool allowed = true;
    if (OnExpanding) OnExpanding(this, node, allowed);
    if (!allowed) return;
    if (!node->Has(nsInitialized)) InitNode(node);
    if (node->Has(nsExpanded)) return;  // the init hook expanded it already
    if (node->Has(nsHasChildren) && node->ChildCount == 0) InitChildren(node);
    if (node->ChildCount > 0) {
      int64_t heightSum = 0;
      for (PNode child = node->FirstChild; child != nullptr; child = child->NextSibling)
        if (child->Has(nsVisible)) heightSum += child->TotalHeight;
      if (animate && IsVisibleInTree(node) && GetNextVisibleNoInit(node) != nullptr) {
        const TRect r = GetDisplayRect(node, NoColumn, false);
        if (r.Bottom > 0 && r.Top < ClientHeight()) {
          const int32_t room = static_cast<int32_t>(std::min<int64_t>(ClientHeight() - r.Bottom, heightSum));
          if (room > 0) {
            IncludeState(tsToggling);
            const TRect area = Rect(0, r.Bottom, ClientWidth(), ClientHeight());
            Animate(room, animationDuration_,
                    [&](int32_t, int32_t size) { return ToggleCallback(0, size, area, true); });
            ExcludeState(tsToggling);
          }
        }
      }
      node->Include(nsExpanded);
      AdjustTotalHeight(node, heightSum, true);
      if (IsVisibleInTree(node)) visibleCount_ += VisibleSubtreeCount(node);
      changed = true;
      if (OnExpanded) OnExpanded(this, node);
    }
  }
  if (!changed) return;
  InvalidateCache();
  if (updateCount_ > 0) return;
  if (node->ChildCount == 0) {
    InvalidateNode(node);
    return;
  }
  UpdateScrollBars(true);
  if ((options_->AutoOptions() & toAutoScrollOnExpand) != 0 && node->Has(nsExpanded) && HandleAllocated()) {
    if (node->TotalHeight <= static_cast<uint32_t>(std::max<int32_t>(0, ClientHeight())))
      ScrollIntoView(GetLastVisibleChild(node), false);
    else
      SetOffsetY(offsetY_ - GetDisplayRect(node, NoColumn, false).Top);
  }
  if (topNode == GetNodeAt(0, true))
    InvalidateToBottom(node);
  else
    Invalidate();
}

void TNodeTree::SetExpanded(PNode node, bool value) {
  if (node != nullptr && node != root_ && node->Has(nsExpanded) != value) ToggleNode(node);
}

void TNodeTree::FullExpand(PNode node) {
  BeginUpdate();
  PNode stop = nullptr;
  if (node == nullptr) {
    node = GetFirst();
  } else {
    stop = node->NextSibling;
    for (PNode run = node; stop == nullptr && run->Parent != root_ && run->Parent != nullptr;
         run = run->Parent)
      stop = run->Parent->NextSibling;
  }
  for (; node != nullptr && node != stop; node = GetNext(node))
    if (node->Has(nsHasChildren)) SetExpanded(node, true);
  EndUpdate();
}

void TNodeTree::SetVisible(PNode node, bool value) {
  TreeAssert(node != nullptr && node != root_, kNodeNilOrRoot);
  if (node->Has(nsVisible) == value) return;
  PNode parent = node->Parent;
  if (value) {
    node->Include(nsVisible);
    if (parent->Has(nsExpanded)) AdjustTotalHeight(parent, node->TotalHeight, true);
    if (IsVisibleInTree(node)) visibleCount_ += 1 + VisibleSubtreeCount(node);
  } else {
    if (IsVisibleInTree(node)) visibleCount_ -= 1 + VisibleSubtreeCount(node);
    node->Exclude(nsVisible);
    if (parent->Has(nsExpanded)) AdjustTotalHeight(parent, -int64_t{node->TotalHeight}, true);
  }
  DetermineHiddenChildrenFlag(parent);
  InvalidateCache();
  if (updateCount_ == 0) {
    UpdateScrollBars(true);
    Invalidate();
  }
}

void TNodeTree::SetNodeHeight(PNode node, uint16_t height) {
  TreeAssert(node != nullptr && node != root_, kNodeNilOrRoot);
  if (node->NodeHeight == height) return;
  const int64_t delta = int64_t{height} - node->NodeHeight;
  InterruptValidation();
  node->NodeHeight = height;
  AdjustTotalHeight(node, delta, true);
  InvalidateCache();
  if (updateCount_ == 0) {
    UpdateScrollBars(true);
    InvalidateToBottom(node);
  }
}

// --- Sliding animation --------------------------------------------------------------------

void TNodeTree::Animate(int32_t distance, uint32_t duration,
                        const std::function<bool(int32_t step, int32_t size)>& callback) {
  if (duration == 0 || distance <= 0) return;
  if (OnStateChange) OnStateChange(this, "animation begin");
  double stepSize = std::max(static_cast<double>(distance) / duration, 1.0);
  int32_t size = static_cast<int32_t>(std::nearbyint(stepSize));  // half to even
  int32_t steps = distance / size;
  int64_t remaining = duration;
  int32_t step = 0;
  while (steps > 0 && remaining > 0) {
    const uint32_t start = MillisecondClock();
    const uint32_t slotEnd = start + static_cast<uint32_t>(remaining / steps);
    if (!callback(step, size)) break;
    while (static_cast<int32_t>(MillisecondClock() - slotEnd) < 0) {
    }
    const int64_t elapsed = MillisecondClock() - start;
    if (elapsed > remaining) {
      remaining = 0;
      steps = 0;
    } else {
      remaining -= elapsed;
      --steps;
    }
    while (steps > 0 && remaining / steps == 0) {
      ++size;
      steps = static_cast<int32_t>(remaining / size);
    }
    step = distance - steps;
  }
  callback(0, 0);
  if (OnStateChange) OnStateChange(this, "animation end");
}

bool TNodeTree::ToggleCallback(int32_t, int32_t size, const TRect& area, bool expanding) {
  if (size == 0 || !HandleAllocated()) return true;
  ScrollWindow(0, expanding ? size : -size, &area);
  Update();
  return true;
}

// --- Geometry -----------------------------------------------------------------------------

void TNodeTree::InvalidateCache() {
  ExcludeState(tsCacheValid);
  rangeWidthValid_ = false;
  positionCache_.clear();
  ++cacheGeneration_;
  // Small trees are walked faster than a thread is woken; a tree being changed under BeginUpdate
  // is listed when the updates end.
  if (HasState(tsValidationNeeded) && !HasState(tsDestroying) && updateCount_ == 0 &&
      visibleCount_ > kValidationThreshold)
    ValidationThread::Add(this, cacheGeneration_);
}

void TNodeTree::InterruptValidation() {
  if (validationListed_.load(std::memory_order_acquire)) ValidationThread::Interrupt(this);
}

void TNodeTree::ValidateCache() {
  if (HasState(tsCacheValid)) return;
  CollectCachePositions(positionCache_, nullptr);
  IncludeState(tsCacheValid);
}

bool TNodeTree::CollectCachePositions(std::vector<TCacheEntry>& cache, const std::atomic<bool>* stop) const {
  cache.clear();
  int64_t top = 0;
  uint32_t count = 0;
  PNode node = root_->FirstChild;
  while (node != nullptr && !node->Has(nsVisible)) node = node->NextSibling;
  while (node != nullptr) {
    if (count++ % kCacheStride == 0) {
      if (stop != nullptr && stop->load(std::memory_order_relaxed)) return false;
      cache.push_back({node, top});
    }
    top += node->NodeHeight;
    // The next shown node: the first visible child of an expanded node, else the next visible
    // sibling of the node or of its nearest ancestor that has one.
    PNode next = nullptr;
    if (node->Has(nsExpanded))
      for (PNode child = node->FirstChild; child != nullptr && next == nullptr; child = child->NextSibling)
        if (child->Has(nsVisible)) next = child;
    for (PNode run = node; next == nullptr && run != root_; run = run->Parent)
      for (PNode sibling = run->NextSibling; sibling != nullptr && next == nullptr;
           sibling = sibling->NextSibling)
        if (sibling->Has(nsVisible)) next = sibling;
    node = next;
  }
  return true;
}

void TNodeTree::PositionCacheValidated(std::vector<TCacheEntry>&& cache, uint64_t generation) {
  // The thread is stopped before any change reaches it; the generation guards the handover.
  if (generation != cacheGeneration_ || HasState(tsCacheValid)) return;
  positionCache_ = std::move(cache);
  IncludeState(tsCacheValid);
}

PNode TNodeTree::GetNodeAt(int32_t y, bool relative, int32_t* nodeTop) {
  int64_t treeY = relative ? int64_t{y} - offsetY_ : y;
  if (treeY < 0) return nullptr;
  PNode found = nullptr;
  int64_t top = 0;
  if (HasState(tsCacheValid) && !positionCache_.empty()) {
    auto it = std::upper_bound(positionCache_.begin(), positionCache_.end(), treeY,
                               [](int64_t value, const TCacheEntry& entry) { return value < entry.Top; });
    if (it != positionCache_.begin()) {
      --it;
      top = it->Top;
      for (PNode node = it->Node; node != nullptr; node = GetNextVisibleNoInit(node)) {
        if (treeY < top + node->NodeHeight) {
          found = node;
          break;
        }
        top += node->NodeHeight;
      }
    }
  } else {
    // Skip whole subtrees by their total heights.
    PNode parent = root_;
    PNode child = parent->FirstChild;
    while (child != nullptr) {
      if (child->Has(nsVisible)) {
        if (treeY < top + child->TotalHeight) {
          if (treeY < top + child->NodeHeight) {
            found = child;
            break;
          }
          top += child->NodeHeight;
          child = child->FirstChild;
          continue;
        }
        top += child->TotalHeight;
      }
      child = child->NextSibling;
    }
  }
  if (found != nullptr && nodeTop != nullptr)
    *nodeTop = static_cast<int32_t>(relative ? top + offsetY_ : top);
  return found;
}

int64_t TNodeTree::NodeTop(PNode node) {
  if (node == nullptr || node == root_ || !IsVisibleInTree(node)) return -1;
  if (!HasState(tsCacheValid) && visibleCount_ > kValidationThreshold) ValidateCache();
  if (HasState(tsCacheValid) && !positionCache_.empty()) {
    // Last cached node at or before `node` in tree order.
    auto it = std::upper_bound(
        positionCache_.begin(), positionCache_.end(), node,
        [this](PNode value, const TCacheEntry& entry) { return CompareTreeOrder(value, entry.Node) < 0; });
    if (it != positionCache_.begin()) {
      --it;
      int64_t top = it->Top;
      for (PNode run = it->Node; run != nullptr && run != node; run = GetNextVisibleNoInit(run))
        top += run->NodeHeight;
      return top;
    }
  }
  // Sum what lies above: earlier visible siblings' subtrees and the rows of the ancestors.
  int64_t top = 0;
  for (PNode run = node; run != root_; run = run->Parent) {
    for (PNode sibling = run->PrevSibling; sibling != nullptr; sibling = sibling->PrevSibling)
      if (sibling->Has(nsVisible)) top += sibling->TotalHeight;
    if (run->Parent != root_) top += run->Parent->NodeHeight;
  }
  return top;
}

int32_t TNodeTree::MainColumn() const {
  return UseColumns() ? header_->MainColumn() : NoColumn;
}

bool TNodeTree::UseColumns() const {
  return header_->Columns().Count() > 0;
}

int32_t TNodeTree::ImageWidth(TCustomImageList* list) const {
  return list != nullptr ? list->Width() + 2 : 0;
}

int32_t TNodeTree::TextOffset(PNode node, int32_t column) {
  int32_t offset = margin_;
  if (column == MainColumn()) {
    offset += indent_ * static_cast<int32_t>(GetNodeLevel(node));
    if ((options_->PaintOptions() & toShowRoot) != 0) offset += indent_;
    if ((options_->MiscOptions() & toCheckSupport) != 0 && node->CheckType != 0)
      offset += ImageWidth(checkImages_);
  }
  if (stateImages_ != nullptr && DoGetImageIndex(node, ikState, column) >= 0)
    offset += ImageWidth(stateImages_);
  if (images_ != nullptr && DoGetImageIndex(node, ikNormal, column) >= 0) offset += ImageWidth(images_);
  return offset;
}

TRect TNodeTree::GetDisplayRect(PNode node, int32_t column, bool textOnly, bool unclipped) {
  TreeAssert(node != nullptr, kNodeNil);
  TreeAssert(node != root_, kNodeIsRoot);
  if (!node->Has(nsInitialized)) InitNode(node);
  if (!IsVisibleInTree(node)) return TRect{};
  const int32_t top = static_cast<int32_t>(NodeTop(node));
  TRect r = Rect(0, top, std::max<int32_t>(ClientWidth(), RangeWidth()), top + node->NodeHeight);
  TNodeTreeColumn* col = column >= 0 && UseColumns() ? header_->Columns().Column(column) : nullptr;
  if (col == nullptr) {
    r.Offset(offsetX_, offsetY_);
  } else {
    r.Left = col->Left() + offsetX_;
    r.Right = r.Left + col->Width() - 1;
    r.Offset(0, offsetY_);
  }
  if (!textOnly) return r;
  const int32_t textWidth =
      column < 0 ? CachedNodeWidth(Canvas(), node) : DoGetNodeWidth(Canvas(), node, column);
  const int32_t offset = TextOffset(node, col != nullptr ? column : NoColumn);
  const bool rtl = col != nullptr ? col->UseRightToLeftReading() : rightToLeft_;
  TAlignment alignment = col != nullptr ? col->Alignment() : alignment_;
  if (!rtl) {
    r.Left += offset;
  } else {
    r.Right -= offset;
    alignment = MirroredAlignment(alignment);
  }
  const int32_t width = r.Right - r.Left;
  if (!unclipped && width <= textWidth) return r;
  if (unclipped && width < textWidth) alignment = rtl ? taRightJustify : taLeftJustify;
  AlignSpan(r, textWidth, alignment);
  return r;
}

bool TNodeTree::ScrollIntoView(PNode node, bool center, bool horizontally) {
  if (node == nullptr || node == root_) return false;
  for (PNode run = node->Parent; run != root_; run = run->Parent)
    if (!run->Has(nsExpanded)) ToggleNode(run);
  UpdateScrollBars(false);
  const bool columns = UseColumns();
  const TRect r = columns ? GetDisplayRect(node, focusedColumn_, false)
                          : GetDisplayRect(node, NoColumn, (options_->MiscOptions() & toGridExtensions) == 0);
  if (r.IsEmpty() && r.Top == 0 && r.Bottom == 0) return false;
  bool moved = false;
  const int32_t clientHeight = ClientHeight();
  if (r.Top >= 0) {
    if (r.Bottom > clientHeight || center) {
      int32_t delta = (center ? clientHeight / 2 : clientHeight) - r.Bottom;
      if (!columns && !ScrollBarVisible(SB_HORZ) && RangeWidth() > ClientWidth()) delta -= ScrollBarSize();
      SetOffsetY(offsetY_ + delta);
      moved = true;
    }
  } else {
    SetOffsetY(offsetY_ - r.Top + (center ? clientHeight / 2 : 0));
    moved = true;
  }
  if (horizontally && (r.Left < 0 || r.Right > ClientWidth())) {
    SetOffsetX(offsetX_ + ClientWidth() / 2 - (r.Left + r.Right) / 2);
    moved = true;
  }
  return moved;
}

void TNodeTree::SetOffsetX(int32_t value) {
  value = std::clamp(value, std::min<int32_t>(0, ClientWidth() - RangeWidth()), 0);
  if (value == offsetX_) return;
  offsetX_ = value;
  SetScrollPos(SB_HORZ, -value, true);
  Invalidate();
}

void TNodeTree::SetOffsetY(int32_t value) {
  const int64_t lowest = std::min<int64_t>(0, int64_t{ClientHeight()} - rangeHeight_);
  value = static_cast<int32_t>(std::clamp<int64_t>(value, lowest, 0));
  if (value == offsetY_) return;
  offsetY_ = value;
  SetScrollPos(SB_VERT, -value, true);
  Invalidate();
}

void TNodeTree::UpdateScrollBars(bool repaint) {
  if (updateCount_ > 0) return;
  UpdateVerticalScrollBar(repaint);
  UpdateHorizontalScrollBar(repaint);
}

void TNodeTree::SetScrollBarOptions(const TScrollBarOptions& value) {
  if (value == scrollBarOptions_) return;
  scrollBarOptions_ = value;
  UpdateScrollBars(true);
}

bool TNodeTree::ShowsScrollBar(int bar) const {
  const TScrollStyle bars = scrollBarOptions_.ScrollBars;
  return bars == ssBoth || bars == (bar == SB_HORZ ? ssHorizontal : ssVertical);
}

uint32_t TNodeTree::ScrollInfoMask() const {
  return SIF_ALL | (scrollBarOptions_.AlwaysVisible ? SIF_DISABLENOSCROLL : 0u);
}

void TNodeTree::UpdateVerticalScrollBar(bool repaint) {
  rangeHeight_ = TotalHeight();
  if (ShowsScrollBar(SB_VERT)) {
    TScrollInfo info;
    info.fMask = ScrollInfoMask();
    info.nMin = 0;
    info.nMax = static_cast<int32_t>(std::min<int64_t>(rangeHeight_, INT32_MAX));
    info.nPage = static_cast<uint32_t>(std::max<int32_t>(0, ClientHeight() + 1));
    info.nPos = -offsetY_;
    SetScrollInfo(SB_VERT, info, repaint);
  } else {
    ShowScrollBar(SB_VERT, false);
  }
  const int64_t lowest = std::min<int64_t>(0, int64_t{ClientHeight()} - rangeHeight_);
  offsetY_ = static_cast<int32_t>(std::clamp<int64_t>(offsetY_, lowest, 0));
}

int32_t TNodeTree::ComputeRangeWidth() {
  if (UseColumns()) return header_->Columns().TotalWidth();
  int32_t widest = 0;
  const bool showRoot = (options_->PaintOptions() & toShowRoot) != 0;
  const bool checks = (options_->MiscOptions() & toCheckSupport) != 0;
  TCanvas& canvas = Canvas();
  PNode node = root_->FirstChild;
  while (node != nullptr && !node->Has(nsVisible)) node = node->NextSibling;
  for (; node != nullptr; node = GetNextVisibleNoInit(node)) {
    int32_t width = indent_ * static_cast<int32_t>(GetNodeLevel(node)) + (showRoot ? indent_ : 0);
    width += ImageWidth(stateImages_) + ImageWidth(images_);
    if (checks && node->CheckType != 0) width += ImageWidth(checkImages_);
    width += CachedNodeWidth(canvas, node);
    widest = std::max(widest, width);
  }
  return widest + 2 * margin_;
}

int32_t TNodeTree::CachedNodeWidth(TCanvas& canvas, PNode node) {
  if (node->WidthStamp != widthStamp_) {
    node->Width = DoGetNodeWidth(canvas, node, NoColumn);
    node->WidthStamp = widthStamp_;
  }
  return node->Width;
}

void TNodeTree::NodeWidthChanged(PNode node) {
  if (node == nullptr || node == root_)
    ++widthStamp_;
  else
    node->WidthStamp = 0;
  rangeWidthValid_ = false;
}

int32_t TNodeTree::RangeWidth() {
  // The header keeps the column widths; only rows are worth remembering.
  if (UseColumns()) return header_->Columns().TotalWidth();
  if (!rangeWidthValid_) {
    rangeWidth_ = ComputeRangeWidth();
    rangeWidthValid_ = true;
  }
  return rangeWidth_;
}

void TNodeTree::UpdateHorizontalScrollBar(bool repaint) {
  // The range is walked again only after something changed it, so scrolling and repeated
  // updates cost nothing here; without a window nothing shows the bar, so the walk waits until
  // someone asks for the width.
  if (!HandleAllocated()) return;
  const int32_t range = RangeWidth();
  if (!ShowsScrollBar(SB_HORZ)) {
    // The rows may still be scrolled sideways (ScrollIntoView), within the range as it is now.
    ShowScrollBar(SB_HORZ, false);
    SetOffsetX(offsetX_);
    return;
  }
  TScrollInfo info;
  if (ClientWidth() >= range && !scrollBarOptions_.AlwaysVisible) {
    ShowScrollBar(SB_HORZ, false);
    info.fMask = SIF_ALL;
    SetScrollInfo(SB_HORZ, info, repaint);
    offsetX_ = -GetScrollPos(SB_HORZ);
    return;
  }
  info.fMask = ScrollInfoMask();
  info.nMin = 0;
  info.nMax = range;
  info.nPos = -offsetX_;
  info.nPage = static_cast<uint32_t>(std::max<int32_t>(0, ClientWidth() + 1));
  ShowScrollBar(SB_HORZ, true);
  SetScrollInfo(SB_HORZ, info, repaint);
  offsetX_ = -GetScrollPos(SB_HORZ);
}

// --- Invalidation ---------------------------------------------------------------------------

void TNodeTree::InvalidateNode(PNode node) {
  if (!HandleAllocated() || updateCount_ > 0 || node == nullptr || node == root_) return;
  const TRect r = GetDisplayRect(node, NoColumn, false);
  if (!r.IsEmpty()) InvalidateRect(r);
}

void TNodeTree::InvalidateToBottom(PNode node) {
  if (!HandleAllocated() || updateCount_ > 0) return;
  if (node == nullptr || node == root_ || !IsVisibleInTree(node)) {
    Invalidate();
    return;
  }
  TRect r = GetDisplayRect(node, NoColumn, false);
  r.Bottom = ClientHeight();
  r.Left = 0;
  r.Right = ClientWidth();
  if (r.Top < r.Bottom) InvalidateRect(r);
}

// --- Selection and focus ------------------------------------------------------------------

void TNodeTree::InternalAddToSelection(const std::vector<PNode>& nodes, bool force) {
  if (nodes.empty()) return;
  const TVTSelectionOptions options = options_->SelectionOptions();
  const bool levelConstraint = (options & toLevelSelectConstraint) != 0;
  const bool siblingConstraint = (options & toSiblingSelectConstraint) != 0;
  if (!force) {
    if (levelConstraint && lastSelectionLevel_ == UINT32_MAX)
      lastSelectionLevel_ = GetNodeLevel(nodes.front());
    if (siblingConstraint && rangeAnchor_ == nullptr) rangeAnchor_ = nodes.front();
  }
  std::vector<PNode> batch;
  for (PNode node : nodes) {
    if (node == nullptr || node == root_ || node->Has(nsSelected)) continue;
    if (!force) {
      if (node->Has(nsDisabled)) continue;
      if (levelConstraint && GetNodeLevel(node) != lastSelectionLevel_) continue;
      if (siblingConstraint && rangeAnchor_ != nullptr && node->Parent != rangeAnchor_->Parent) continue;
    }
    node->Include(nsSelected);
    batch.push_back(node);
  }
  if (batch.empty()) return;
  std::sort(batch.begin(), batch.end(), std::less<PNode>());
  std::vector<SelectionEntry> merged;
  merged.reserve(selection_.size() + batch.size());
  size_t i = 0;
  for (PNode node : batch) {
    while (i < selection_.size() && std::less<PNode>()(selection_[i].Node, node))
      merged.push_back(selection_[i++]);
    // An entry awaiting removal at the same address belongs to a freed node: reuse it.
    if (i < selection_.size() && selection_[i].Node == node) ++i;
    merged.push_back({node, false});
  }
  while (i < selection_.size()) merged.push_back(selection_[i++]);
  selection_ = std::move(merged);
  selectedCount_ += static_cast<uint32_t>(batch.size());
}

void TNodeTree::InternalRemoveFromSelection(PNode node) {
  if (node == nullptr || !node->Has(nsSelected)) return;
  node->Exclude(nsSelected);
  const auto it =
      std::lower_bound(selection_.begin(), selection_.end(), node,
                       [](const SelectionEntry& e, PNode n) { return std::less<PNode>()(e.Node, n); });
  if (it == selection_.end() || it->Node != node) return;
  --selectedCount_;
  if (updateCount_ > 0) {
    it->PendingRemoval = true;
  } else {
    selection_.erase(it);
    if (selectedCount_ == 0) rangeAnchor_ = focusedNode_;
    InvalidateNode(node);
  }
  if (!HasState(tsDestroying)) Change(node->Has(nsDeleting) ? nullptr : node);
}

void TNodeTree::PackSelection() {
  std::erase_if(selection_, [](const SelectionEntry& e) { return e.PendingRemoval; });
}

void TNodeTree::SetSelected(PNode node, bool value) {
  TreeAssert(node != nullptr && node != root_, kNodeNilOrRoot);
  if (node->Has(nsSelected) == value) return;
  if (value) {
    if ((options_->SelectionOptions() & toMultiSelect) == 0) ClearSelection();
    InternalAddToSelection({node}, false);
    if (node->Has(nsSelected)) {
      InvalidateNode(node);
      Change(node);
    }
  } else {
    InternalRemoveFromSelection(node);
  }
}

void TNodeTree::ClearSelection() {
  if (selection_.empty()) return;
  for (const SelectionEntry& entry : selection_) {
    if (entry.PendingRemoval) continue;
    if (!HasState(tsDestroying)) InvalidateNode(entry.Node);
    entry.Node->Exclude(nsSelected);
  }
  selection_.clear();
  selectedCount_ = 0;
  rangeAnchor_ = nullptr;
  lastSelectionLevel_ = UINT32_MAX;
  if (!HasState(tsDestroying)) Change(nullptr);
}

std::vector<PNode> TNodeTree::GetSelection() const {
  std::vector<PNode> result;
  for (const SelectionEntry& entry : selection_)
    if (!entry.PendingRemoval) result.push_back(entry.Node);
  return result;
}

void TNodeTree::SetFocusedNodeInternal(PNode node) {
  if (node == focusedNode_) return;
  focusedNode_ = node;
  if (OnFocusChanged) OnFocusChanged(this, node, focusedColumn_);
}

void TNodeTree::SetFocusedNode(PNode node) {
  if (node == root_) node = nullptr;
  const PNode old = focusedNode_;
  SetFocusedNodeInternal(node);
  InvalidateNode(old);
  InvalidateNode(node);
  if (rangeAnchor_ == nullptr) rangeAnchor_ = node;
}

void TNodeTree::SetFocusedColumn(int32_t column) {
  if (column == focusedColumn_) return;
  focusedColumn_ = column;
  InvalidateNode(focusedNode_);
}

// --- Updates and notifications ------------------------------------------------------------

void TNodeTree::BeginUpdate() {
  if (updateCount_ == 0) {
    if (Visible() && HandleAllocated()) Perform(WM_SETREDRAW, 0, 0);
    if (OnStateChange) OnStateChange(this, "update begin");
  }
  ++updateCount_;
  IncludeState(tsUpdating);
}

void TNodeTree::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ > 0) return;
  ExcludeState(tsUpdating);
  if (HasState(tsDestroying)) return;
  if (HasState(tsChildrenHiddenUpdate)) {
    DetermineHiddenChildrenFlagAllNodes();
    ExcludeState(tsChildrenHiddenUpdate);
  }
  PackSelection();
  if (selectedCount_ == 0 && rangeAnchor_ == nullptr) rangeAnchor_ = focusedNode_;
  InvalidateCache();
  UpdateScrollBars(true);
  if (HasState(tsStructureChangePending)) DoStructureChange(pendingStructureNode_, pendingReason_);
  if (HasState(tsChangePending)) DoChange(pendingChangeNode_);
  if ((options_->AutoOptions() & toAutoSort) != 0) SortTree(header_->SortColumn(), header_->SortAscending());
  if (Visible() && HandleAllocated()) Perform(WM_SETREDRAW, 1, 0);
  Invalidate();
  if (OnStateChange) OnStateChange(this, "update end");
}

void TNodeTree::StructureChange(PNode node, TChangeReason reason) {
  if (HasState(tsDestroying)) return;
  if (HasState(tsStructureChangePending)) {
    pendingReason_ = crAccumulated;
    pendingStructureNode_ = nullptr;
  } else {
    pendingStructureNode_ = node;
    pendingReason_ = reason;
    IncludeState(tsStructureChangePending);
  }
  if (updateCount_ > 0) return;
  if (changeDelay_ > 0)
    SetTimer(kStructureChangeTimer, changeDelay_);
  else
    DoStructureChange(pendingStructureNode_, pendingReason_);
}

void TNodeTree::DoStructureChange(PNode node, TChangeReason reason) {
  KillTimer(kStructureChangeTimer);
  ExcludeState(tsStructureChangePending);
  pendingStructureNode_ = nullptr;
  pendingReason_ = crIgnore;
  if (OnStructureChange) OnStructureChange(this, node, reason);
}

void TNodeTree::Change(PNode node) {
  if (HasState(tsDestroying)) return;
  if (HasState(tsChangePending) && pendingChangeNode_ != node) pendingChangeNode_ = nullptr;
  if (!HasState(tsChangePending)) pendingChangeNode_ = node;
  IncludeState(tsChangePending);
  if (updateCount_ > 0) return;
  if (changeDelay_ > 0)
    SetTimer(kChangeTimer, changeDelay_);
  else
    DoChange(pendingChangeNode_);
}

void TNodeTree::DoChange(PNode node) {
  KillTimer(kChangeTimer);
  ExcludeState(tsChangePending);
  pendingChangeNode_ = nullptr;
  if (OnChange) OnChange(this, node);
}

// --- Sorting ------------------------------------------------------------------------------

int TNodeTree::DoCompare(PNode a, PNode b, int32_t column) {
  if (OnCompareNodes) return OnCompareNodes(this, a, b, column);
  const TTextNodeData* da = TextData(a);
  const TTextNodeData* db = TextData(b);
  if (da == nullptr || db == nullptr) return 0;
  return da->Text.compare(db->Text);
}

void TNodeTree::Sort(PNode node, int32_t column, bool ascending, bool doInit) {
  if (node == nullptr) node = root_;
  if (doInit && node != root_ && !node->Has(nsInitialized)) InitNode(node);
  if (node->ChildCount < 2) return;
  std::vector<PNode> children;
  children.reserve(node->ChildCount);
  for (PNode child = node->FirstChild; child != nullptr; child = child->NextSibling) {
    if (doInit && !child->Has(nsInitialized)) InitNode(child);
    children.push_back(child);
  }
  std::stable_sort(children.begin(), children.end(), [&](PNode a, PNode b) {
    const int result = DoCompare(a, b, column);
    return ascending ? result < 0 : result > 0;
  });
  InterruptValidation();
  PNode previous = nullptr;
  uint32_t index = 0;
  for (PNode child : children) {
    child->Index = index++;
    child->PrevSibling = previous;
    child->NextSibling = nullptr;
    if (previous != nullptr) previous->NextSibling = child;
    previous = child;
  }
  node->FirstChild = children.front();
  node->LastChild = children.back();
  InvalidateCache();
  if (updateCount_ == 0) Invalidate();
}

void TNodeTree::SortTree(int32_t column, bool ascending) {
  ++updateCount_;
  Sort(root_, column, ascending, false);
  for (PNode node = GetNextNoInit(root_); node != nullptr; node = GetNextNoInit(node))
    if (node->ChildCount > 1) Sort(node, column, ascending, false);
  --updateCount_;
}

// --- Text node heights --------------------------------------------------------------------

void TNodeTree::UpdateNodeHeights() {
  if (!wordWrap_) return;
  BeginUpdate();
  TCanvas& canvas = Canvas();
  canvas.SetFont(Font());
  const int32_t minHeight = canvas.TextHeight("abcdmABCDM");
  TTextMetric tm;
  canvas.GetTextMetrics(tm);
  const int32_t lineHeight = tm.tmHeight;
  for (PNode node = GetFirst(); node != nullptr; node = GetNext(node)) {
    // Only the left edge of the text rectangle matters here.
    constexpr int32_t kFixedTextWidth = 15;
    int32_t left = offsetX_ + TextOffset(node, NoColumn);
    if (rightToLeft_)
      left = std::max<int32_t>(ClientWidth(), RangeWidth()) + offsetX_ - TextOffset(node, NoColumn) -
             kFixedTextWidth;
    const int32_t rightLimit = ClientWidth() + offsetX_ - margin_ - 1;
    const int32_t width = std::max(rightLimit - left, minTextWidth_);
    const int32_t wrapWidth = std::max<int32_t>(0, width - 2);
    const TTextNodeData* data = TextData(node);
    int32_t textHeight = 0;
    if (data != nullptr && !data->Text.empty())
      textHeight = static_cast<int32_t>(WrapTextLines(canvas, data->Text, wrapWidth).size()) * lineHeight;
    const int32_t height = std::clamp<int32_t>(textHeight + 4, minHeight, UINT16_MAX);
    SetNodeHeight(node, static_cast<uint16_t>(height));
  }
  EndUpdate();
}

// --- Hooks with defaults ------------------------------------------------------------------

int32_t TNodeTree::DoGetNodeWidth(TCanvas& canvas, PNode node, int32_t column) {
  int32_t width = 0;
  if (const TTextNodeData* data = TextData(node); data != nullptr && !data->Text.empty())
    width = canvas.TextExtentW(data->Text).cx;
  if (OnGetNodeWidth) OnGetNodeWidth(this, canvas, node, column, width);
  return width;
}

int32_t TNodeTree::DoGetImageIndex(PNode node, TVTImageKind kind, int32_t column) {
  int32_t index = -1;
  if (OnGetImageIndex) OnGetImageIndex(this, node, kind, column, index);
  return index;
}

// --- Messages -----------------------------------------------------------------------------

void TNodeTree::WndProc(TMessage& message) {
  if (header_->HandleMessage(message)) return;
  switch (message.Msg) {
    case WM_KEYDOWN:
      if (message.WParam == VK_ESCAPE && header_->DragIndex() >= 0) {
        header_->CancelDrag();
        return;
      }
      break;
    case WM_CANCELMODE:
      header_->CancelDrag();
      break;
    case WM_TIMER:
      if (message.WParam == kChangeTimer) {
        DoChange(pendingChangeNode_);
        return;
      }
      if (message.WParam == kStructureChangeTimer) {
        DoStructureChange(pendingStructureNode_, pendingReason_);
        return;
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const bool vertical = message.Msg == WM_VSCROLL;
      const uint32_t code = static_cast<uint32_t>(message.WParam & 0xFFFF);
      const int32_t page = vertical ? ClientHeight() : ClientWidth();
      const int32_t line = vertical ? defaultNodeHeight_ : indent_;
      int32_t offset = vertical ? offsetY_ : offsetX_;
      switch (code) {
        case SB_LINEUP:
          offset += line;
          break;
        case SB_LINEDOWN:
          offset -= line;
          break;
        case SB_PAGEUP:
          offset += page;
          break;
        case SB_PAGEDOWN:
          offset -= page;
          break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
          TScrollInfo info;
          info.fMask = SIF_TRACKPOS;
          GetScrollInfo(vertical ? SB_VERT : SB_HORZ, info);
          offset = -info.nTrackPos;
          break;
        }
        case SB_TOP:
          offset = 0;
          break;
        case SB_BOTTOM:
          offset = INT32_MIN;
          break;
        default:
          break;
      }
      if (vertical)
        SetOffsetY(offset);
      else
        SetOffsetX(offset);
      return;
    }
    case WM_THEMECHANGED:
      UpdateThemeUsage();
      BuildButtonBitmaps(true, false);
      Invalidate();
      break;
    default:
      break;
  }
  TCustomControl::WndProc(message);
}

void TNodeTree::Invalidate() {
  TCustomControl::Invalidate();
  InvalidateNonClient();
}

void TNodeTree::UpdateHeaderBand() {
  SetNonClientTop((header_->Options() & hoVisible) != 0 ? header_->Height() : 0);
  UpdateScrollBars(true);
  Invalidate();
}

void TNodeTree::PaintNonClient(TCanvas& canvas, const TRect& band) {
  // The header paints in its own coordinates: (0, 0) is the band's top-left corner.
  canvas.SetWindowOrg(-band.Left, -band.Top);
  header_->Columns().PaintHeader(canvas, Rect(0, 0, band.Width(), band.Height()), offsetX_);
  canvas.SetWindowOrg(0, 0);
}

void TNodeTree::Resize() {
  UpdateScrollBars(true);
  TCustomControl::Resize();
}

void TNodeTree::CreateWnd() {
  TCustomControl::CreateWnd();
  // A tree on screen looks rows up by position all the time: keep its cache filled.
  IncludeState(tsValidationNeeded);
  UpdateThemeUsage();
  BuildButtonBitmaps(true, false);
  UpdateScrollBars(false);
  if ((options_->MiscOptions() & toAcceptOLEDrop) != 0) RegisterDropTarget(true);
}

void TNodeTree::Paint() {
  TCanvas& canvas = Canvas();
  const TRect client = ClientRect();
  const TRect window = Rect(-offsetX_, -offsetY_, -offsetX_ + client.Width(), -offsetY_ + client.Height());
  PaintTree(canvas, window, Point(0, 0),
            poBackground | poColumnColor | poDrawFocusRect | poDrawSelection | poDrawDropMark | poGridLines);
}
