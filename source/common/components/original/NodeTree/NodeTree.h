// TNodeTree: a tree control that keeps its nodes in its own linked records and asks its owner
// for everything else (data size, initial states, child counts, texts) through hooks, making each
// node only when it is first reached. The tree-wide counters (TotalCount, TotalHeight, the
// visible count) stay equal to a recount after every operation; the position cache, the
// selection list and the batching of updates and notifications sit on top of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/components/original/NodeTree/DragDrop.h"
#include "common/components/original/NodeTree/NodeRecord.h"
#include "common/components/original/NodeTree/NodeTreeHeader.h"
#include "common/components/original/NodeTree/NodeTreeOptions.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/CustomControl.h"

class TBitmap;
class TCustomImageList;

/// The record text nodes keep in their data area (the first field is the initial-user-data slot).
struct TTextNodeData {
  uint32_t UserData = 0;
  uint32_t Kind = 0;
  std::u16string Text;
  uint8_t FlagA = 0;
  uint8_t FlagB = 0;
  int32_t Number = 0;
};

/// Tree-wide states.
enum TTreeState : uint32_t {
  tsIterating = 1u << 0,
  tsEditing = 1u << 1,
  tsEditPending = 1u << 2,
  tsChangePending = 1u << 3,
  tsStructureChangePending = 1u << 4,
  tsCacheValid = 1u << 5,
  tsValidationNeeded = 1u << 6,
  tsChildrenHiddenUpdate = 1u << 7,  // all-children-hidden states must be re-evaluated
  tsSynchMode = 1u << 8,
  tsUpdating = 1u << 9,
  tsPainting = 1u << 10,
  tsCollapsing = 1u << 11,
  tsToggling = 1u << 12,  // an animated toggle scrolls the window
  tsDestroying = 1u << 13,
  tsLoading = 1u << 14,
  tsRectSelecting = 1u << 15,  // a selection rectangle is being drawn
  tsFlushingClipboard = 1u << 16,
  tsUseThemes = 1u << 17,
};

/// Paint options of PaintTree, one bit each.
enum TVTInternalPaintOption : uint8_t {
  poBackground = 1 << 0,
  poColumnColor = 1 << 1,
  poDrawFocusRect = 1 << 2,
  poDrawSelection = 1 << 3,
  poDrawDropMark = 1 << 4,
  poGridLines = 1 << 5,
  poMainOnly = 1 << 6,
  poSelectedOnly = 1 << 7,
};
using TVTInternalPaintOptions = uint8_t;

/// What the tree-line painter draws in one indentation cell.
enum TVTLineType : uint8_t {
  ltNone,
  ltBottomRight,
  ltTopDown,
  ltTopDownRight,
  ltRight,
  ltTopRight,
  ltLeft,
  ltLeftBottom,
};

/// Indexes into the tree's colour table.
enum TVTColorIndex : uint8_t {
  ciDropTargetFill = 2,
  ciFocusedSelectionFill = 3,
  ciGridLine = 4,
  ciButtonFrame = 5,
  ciUnfocusedSelectionFill = 6,
  ciTreeLine = 7,
  ciFocusedSelectionBorder = 9,
  ciUnfocusedSelectionBorder = 10,
  ciDropTargetBorder = 11,
  ciSelectionRectangleBlend = 12,
  ciSelectionRectangleBorder = 13,
  kColorCount = 14,
};

enum TVTImageKind : uint8_t { ikNormal, ikSelected, ikState };
enum TVTButtonStyle : uint8_t { bsRectangle, bsTriangle };
enum TVTButtonFillMode : uint8_t { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
enum TVTLineStyle : uint8_t { lsCustomStyle, lsDotted, lsSolid };
enum TVTNodeAlignment : uint8_t { naFromBottom, naFromTop, naProportional };
enum TVTDropMode : uint8_t { dmNowhere, dmAbove, dmOnNode, dmBelow };
enum TVTDrawSelectionMode : uint8_t { smDottedRectangle, smBlendedRectangle };

/// Everything the cell hooks of PaintTree need about the cell being drawn.
struct TVTPaintInfo {
  TCanvas* Canvas = nullptr;
  TVTInternalPaintOptions PaintOptions = 0;
  PNode Node = nullptr;
  int32_t Column = -1;
  int32_t Position = 0;  // display position of the column
  TRect CellRect;
  TRect ContentRect;  // the cell less margin, indentation and images
  int32_t NodeWidth = 0;
  TAlignment Alignment = taLeftJustify;
  bool RightToLeft = false;
  TPoint ImagePos;       // normal image
  TPoint StateImagePos;  // state image
  TPoint CheckPos;
  int32_t ImageIndex = -1;
  int32_t StateIndex = -1;
  TPoint ButtonPos;
  int32_t VAlign = 0;  // middle of button and lines within the row
};

/// The scroll bars a tree may show.
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

/// Which bars the tree shows, and whether a shown bar stays (disabled) when there is nothing to
/// scroll instead of being hidden.
struct TScrollBarOptions {
  TScrollStyle ScrollBars = ssBoth;
  bool AlwaysVisible = false;
  bool operator==(const TScrollBarOptions&) const = default;
};

/// Vertical positions of visible nodes, sampled every few nodes.
struct TCacheEntry {
  PNode Node;
  int64_t Top;
};

class TNodeTree : public TCustomControl {
 public:
  explicit TNodeTree(TComponent* owner = nullptr);
  ~TNodeTree() override;
  std::string ClassName() const override { return "TNodeTree"; }

  // --- Settings -------------------------------------------------------------------------
  PNode RootNode() const { return root_; }
  int32_t NodeDataSize() const { return nodeDataSize_; }
  /// Changes the data size; only possible while the tree has no nodes.
  void SetNodeDataSize(int32_t size);
  int32_t InternalDataSize() const { return internalDataSize_; }
  void SetInternalDataSize(int32_t size);
  uint16_t DefaultNodeHeight() const { return defaultNodeHeight_; }
  void SetDefaultNodeHeight(uint16_t height) { defaultNodeHeight_ = height; }
  int32_t Indent() const { return indent_; }
  void SetIndent(int32_t indent);
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }
  int32_t MinTextWidth() const { return minTextWidth_; }
  void SetMinTextWidth(int32_t value) { minTextWidth_ = value; }
  uint32_t ChangeDelay() const { return changeDelay_; }
  void SetChangeDelay(uint32_t ms) { changeDelay_ = ms; }
  uint32_t AnimationDuration() const { return animationDuration_; }
  void SetAnimationDuration(uint32_t ms) { animationDuration_ = ms; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* images);
  TCustomImageList* CheckImages() const { return checkImages_; }
  void SetCheckImages(TCustomImageList* images);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { alignment_ = value; }
  bool RightToLeft() const { return rightToLeft_; }
  void SetRightToLeft(bool value) { rightToLeft_ = value; }

  TCustomNodeTreeOptions& TreeOptions() { return *options_; }
  /// The option object as the published class; EInvalidCast for any other option class.
  TNodeTreeOptions& GetOptions();
  /// Replaces the option object (its sets are copied first).
  void SetOptionsObject(std::unique_ptr<TCustomNodeTreeOptions> options);
  TNodeTreeHeader& Header() { return *header_; }
  const TNodeTreeHeader& Header() const { return *header_; }

  bool HasState(uint32_t states) const { return (states_ & states) != 0; }
  void IncludeState(uint32_t states) { states_ |= states; }
  void ExcludeState(uint32_t states) { states_ &= ~states; }

  // --- Structure ------------------------------------------------------------------------
  /// A new node, zero-filled, not yet linked.
  PNode AllocateNode();
  /// Inserts a node relative to `node` (none: the hidden root); amNoWhere gives none.
  PNode InsertNode(PNode node, TNodeAttachMode mode, const uint32_t* userData = nullptr);
  /// Moves `node` (with its subtree) relative to `target`.
  void MoveTo(PNode node, PNode target, TNodeAttachMode mode);
  void SetChildCount(PNode node, uint32_t newCount);
  void DeleteNode(PNode node, bool reindex = true);
  void DeleteChildren(PNode node, bool resetHasChildren = false);
  /// Removes every node.
  virtual void Clear();
  void InitNode(PNode node);
  void InitChildren(PNode node);
  /// The node's data area, or null for none and for the hidden root. EAssertionFailed when
  /// the tree has no node data: its size is below 1, or not yet known (no node made, none set).
  void* GetNodeData(PNode node);
  TTextNodeData* TextData(PNode node);
  uint32_t TotalCount() const { return root_->TotalCount - 1; }
  uint32_t VisibleCount() const { return visibleCount_; }
  int64_t TotalHeight() const { return root_->TotalHeight - root_->NodeHeight; }

  // Queries.
  bool IsVisibleInTree(PNode node) const;
  uint32_t GetNodeLevel(PNode node) const;
  uint32_t CountVisibleChildren(PNode node) const;
  /// 0 for the same node, negative when A comes first in tree order, positive when B does.
  int64_t CompareTreeOrder(PNode a, PNode b) const;
  int32_t LevelDistance(PNode a, PNode b) const;
  bool IsDescendantOf(PNode node, PNode ancestor) const;

  // Iteration (initialising the nodes returned, making children before descending).
  PNode GetFirst();
  PNode GetFirstChild(PNode node);
  PNode GetLastChild(PNode node);
  PNode GetNext(PNode node);
  PNode GetNextNoInit(PNode node) const;
  PNode GetFirstVisible();
  PNode GetNextVisible(PNode node);
  PNode GetNextVisibleNoInit(PNode node) const;
  PNode GetPreviousVisible(PNode node);
  PNode GetLastVisibleChild(PNode node);
  PNode GetLastVisible();
  PNode GetVisibleParent(PNode node) const;
  PNode GetPreviousVisibleSibling(PNode node) const;
  PNode GetNextVisibleSibling(PNode node) const;

  // --- View state -----------------------------------------------------------------------
  void ToggleNode(PNode node);
  void SetExpanded(PNode node, bool value);
  bool Expanded(PNode node) const { return node != nullptr && node->Has(nsExpanded); }
  void FullExpand(PNode node = nullptr);
  void SetVisible(PNode node, bool value);
  void SetNodeHeight(PNode node, uint16_t height);
  /// Changes the TotalHeight of `node` and its expanded ancestors by `delta`.
  void AdjustTotalHeight(PNode node, int64_t delta, bool relative);
  /// The visible node covering y (client coordinates with `relative`), and its top.
  PNode GetNodeAt(int32_t y, bool relative, int32_t* nodeTop = nullptr);
  TRect GetDisplayRect(PNode node, int32_t column, bool textOnly, bool unclipped = false);
  /// The node's top in tree coordinates (-1 when it is not visible in the tree).
  int64_t NodeTop(PNode node);
  bool ScrollIntoView(PNode node, bool center, bool horizontally = false);
  int32_t OffsetX() const { return offsetX_; }
  int32_t OffsetY() const { return offsetY_; }
  void SetOffsetX(int32_t value);
  void SetOffsetY(int32_t value);
  /// The width of the widest visible row (or of the columns). Each node is measured once and
  /// the widest row is kept until the structure, the settings or a node's width change.
  int32_t RangeWidth();
  /// The node's content changed (its text, or what the node-width hook answers for it): it is
  /// measured again when next needed. None: every node's.
  void NodeWidthChanged(PNode node);
  int64_t RangeHeight() const { return rangeHeight_; }
  const TScrollBarOptions& ScrollBarOptions() const { return scrollBarOptions_; }
  void SetScrollBarOptions(const TScrollBarOptions& value);
  void UpdateScrollBars(bool repaint);
  void UpdateHorizontalScrollBar(bool repaint);
  void UpdateVerticalScrollBar(bool repaint);
  /// Drops the position cache; a tree with tsValidationNeeded and enough visible nodes has it
  /// rebuilt by the background validation thread.
  void InvalidateCache();
  /// Builds the position cache now, on this thread.
  void ValidateCache();
  const std::vector<TCacheEntry>& PositionCache() const { return positionCache_; }
  /// Fills `cache` with every few visible nodes and their tops, reading only links, states and
  /// heights; gives up (false) as soon as `stop` is set. Safe on the validation thread.
  bool CollectCachePositions(std::vector<TCacheEntry>& cache, const std::atomic<bool>* stop) const;
  /// Takes a cache built in the background for the cache state `generation`; refused when the
  /// tree has changed since (or the cache was built here meanwhile).
  void PositionCacheValidated(std::vector<TCacheEntry>&& cache, uint64_t generation);

  // Selection.
  PNode FocusedNode() const { return focusedNode_; }
  void SetFocusedNode(PNode node);
  int32_t FocusedColumn() const { return focusedColumn_; }
  void SetFocusedColumn(int32_t column);
  PNode RangeAnchor() const { return rangeAnchor_; }
  void SetSelected(PNode node, bool value);
  bool Selected(PNode node) const { return node != nullptr && node->Has(nsSelected); }
  void ClearSelection();
  /// The selected nodes (entries awaiting removal left out), in address order.
  std::vector<PNode> GetSelection() const;
  uint32_t SelectedCount() const { return selectedCount_; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  /// Reports a structure change now, or when updates end, or after the change delay.
  void StructureChange(PNode node, TChangeReason reason);
  void Change(PNode node);
  /// Sorts the children of `node` by the comparison hook.
  void Sort(PNode node, int32_t column, bool ascending, bool doInit = true);
  void SortTree(int32_t column, bool ascending);

  // --- Text nodes -------------------------------------------------------------------------
  PNode AddTextNode(PNode parent, TNodeAttachMode mode, bool expand, int32_t number, uint8_t flagB,
                    uint8_t flagA, uint32_t kind, const std::string& text);
  void UpdateNodeHeights();
  TRect GetTreeRect();

  // --- Painting ---------------------------------------------------------------------------
  void PaintTree(TCanvas& target, const TRect& window, TPoint targetPoint, TVTInternalPaintOptions options);
  void BuildButtonBitmaps(bool needButtons, bool needLines);
  TColor Colors(TVTColorIndex index) const { return colors_[index]; }
  void SetColors(TVTColorIndex index, TColor color) { colors_[index] = color; }
  TVTButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TVTButtonStyle style);
  TVTButtonFillMode ButtonFillMode() const { return buttonFillMode_; }
  void SetButtonFillMode(TVTButtonFillMode mode);
  TVTLineStyle LineStyle() const { return lineStyle_; }
  void SetLineStyle(TVTLineStyle style);
  bool BandLineMode() const { return bandLines_; }
  void SetBandLineMode(bool value) { bandLines_ = value; }
  TVTNodeAlignment NodeAlignment() const { return nodeAlignment_; }
  void SetNodeAlignment(TVTNodeAlignment value) { nodeAlignment_ = value; }
  int32_t SelectionCurveRadius() const { return selectionCurveRadius_; }
  void SetSelectionCurveRadius(int32_t value) { selectionCurveRadius_ = value; }
  uint8_t SelectionBlendFactor() const { return selectionBlendFactor_; }
  void SetSelectionBlendFactor(uint8_t value) { selectionBlendFactor_ = value; }
  TVTDrawSelectionMode DrawSelectionMode() const { return drawSelectionMode_; }
  void SetDrawSelectionMode(TVTDrawSelectionMode value) { drawSelectionMode_ = value; }
  TBitmap& Background() { return *background_; }
  TPoint BackgroundOffset() const { return backgroundOffset_; }
  void SetBackgroundOffset(TPoint value) { backgroundOffset_ = value; }
  /// The selection rectangle in tree coordinates, drawn while tsRectSelecting is set.
  void SetSelectionRect(const TRect& rect) { selectRect_ = rect; }
  PNode DropTargetNode() const { return dropTargetNode_; }
  void SetDropTarget(PNode node, TVTDropMode mode) {
    dropTargetNode_ = node;
    dropMode_ = mode;
  }
  TBitmap& PlusBitmap() { return *plusBM_; }
  TBitmap& MinusBitmap() { return *minusBM_; }
  /// The 8 x 8 pattern of dotted lines (bit set = gap), one byte a row.
  const uint8_t* LinePattern() const { return linePattern_; }
  /// Whether themed drawing is in use.
  bool UseThemes() const { return HasState(tsUseThemes); }
  /// Re-reads whether themes apply (after the theme or toThemeAware changed).
  void UpdateThemeUsage();

  // --- Drag and drop ---------------------------------------------------------------------
  /// The drag manager, made on first use.
  TVTDragManager& DragManager();
  bool HasDragManager() const { return dragManager_ != nullptr; }
  void DragManagerDestroyed() { dragManager_ = nullptr; }
  /// Registers or revokes the window as a drop target.
  void RegisterDropTarget(bool accept);
  bool DropTargetRegistered() const { return dropTargetRegistered_; }
  /// Process-wide identifier of this tree (carried in drag data instead of an address).
  uint64_t TreeId() const { return treeId_; }
  /// The live tree with that identifier, or none.
  static TNodeTree* FindTreeById(uint64_t id);

  // --- Hooks -----------------------------------------------------------------------------
  std::function<void(TNodeTree*, int32_t& size)> OnGetNodeDataSize;
  std::function<void(TNodeTree*, PNode parent, PNode node, uint8_t& initialStates)> OnInitNode;
  std::function<void(TNodeTree*, PNode node, uint32_t& childCount)> OnInitChildren;
  std::function<void(TNodeTree*, PNode node)> OnFreeNode;
  std::function<void(TNodeTree*, PNode node, bool& allowed)> OnExpanding;
  std::function<void(TNodeTree*, PNode node, bool& allowed)> OnCollapsing;
  std::function<void(TNodeTree*, PNode node)> OnExpanded;
  std::function<void(TNodeTree*, PNode node)> OnCollapsed;
  std::function<void(TNodeTree*, PNode node, TChangeReason reason)> OnStructureChange;
  std::function<void(TNodeTree*, PNode node)> OnChange;
  std::function<void(TNodeTree*, PNode node, int32_t column)> OnFocusChanged;
  std::function<int(TNodeTree*, PNode a, PNode b, int32_t column)> OnCompareNodes;
  std::function<void(TNodeTree*, PNode node, TVTImageKind kind, int32_t column, int32_t& index)>
      OnGetImageIndex;
  std::function<void(TNodeTree*, TCanvas& canvas, PNode node, int32_t column, int32_t& width)> OnGetNodeWidth;
  std::function<void(TNodeTree*, TVTPaintInfo& info)> OnPaintNode;
  std::function<void(TNodeTree*, TCanvas& canvas, PNode node, const TRect& rect, int& eraseAction,
                     TColor& color)>
      OnBeforeItemErase;
  std::function<void(TNodeTree*, TCanvas& canvas, PNode node, const TRect& rect)> OnAfterItemErase;
  std::function<void(TNodeTree*, TCanvas& canvas, PNode node, const TRect& rect, bool& handled)>
      OnBeforeItemPaint;
  std::function<void(TNodeTree*, TCanvas& canvas, PNode node, const TRect& rect)> OnAfterItemPaint;
  std::function<void(TNodeTree*, TCanvas& canvas, PNode node, int32_t column, const TRect& rect)>
      OnAfterCellPaint;
  std::function<void(TNodeTree*, TCanvas& canvas)> OnBeforePaint;
  std::function<void(TNodeTree*, TCanvas& canvas)> OnAfterPaint;
  std::function<void(TNodeTree*, TCanvas& canvas, const TRect& rect, bool& handled)> OnPaintBackground;
  /// With lsCustomStyle: may point `pattern` at 8 rows of line bits (bit set = gap) instead of dots.
  std::function<void(TNodeTree*, const uint8_t*& pattern)> OnGetLineStyle;
  /// Asked for cells of right-to-left columns: setting `skip` leaves out the cell's vertical grid line.
  std::function<void(TNodeTree*, PNode node, int32_t column, bool& skip)> OnSkipVerticalGridLine;
  std::function<void(TNodeTree*, int32_t column)> OnColumnResize;
  /// Draws a header cell itself; `drop_mark` tells where a column being dragged would land.
  std::function<void(TNodeTree*, TCanvas& canvas, TNodeTreeColumn* column, const TRect& rect, bool hot,
                     bool pressed, TVTDropMarkMode dropMark)>
      OnHeaderDraw;
  /// Names the elements of a header cell that OnAdvancedHeaderDraw draws instead of the header.
  std::function<void(TNodeTree*, THeaderPaintInfo& info, THeaderPaintElements& elements)>
      OnHeaderDrawQueryElements;
  /// Draws the elements OnHeaderDrawQueryElements took, after the header drew the rest of the cell.
  std::function<void(TNodeTree*, THeaderPaintInfo& info, THeaderPaintElements elements)> OnAdvancedHeaderDraw;
  /// A press and release on the same clickable column of the header.
  std::function<void(TNodeTree*, int32_t column)> OnHeaderClick;
  /// A column drag is about to start; clearing `allowed` keeps the column where it is.
  std::function<void(TNodeTree*, int32_t column, bool& allowed)> OnHeaderDragging;
  /// A dragged column was dropped at a new display position (the old one is given).
  std::function<void(TNodeTree*, int32_t column, int32_t oldPosition)> OnHeaderDragged;
  /// Tells about begin/end of updates and animations ("update begin", "animation end", ...).
  std::function<void(TNodeTree*, const char* what)> OnStateChange;
  std::function<void(TNodeTree*)> OnCancelEdit;
  /// Formats the tree's data objects offer besides the tree reference.
  std::function<void(TNodeTree*, TFormatEtcArray& formats)> OnGetUserClipboardFormats;
  std::function<HRESULT(TNodeTree*, const TFormatEtc& format, TStgMedium& medium, bool forClipboard)>
      OnRenderOLEData;
  std::function<TVTDataObject*(TNodeTree*)> OnCreateDataObject;
  std::function<TVTDragManager*(TNodeTree*)> OnCreateDragManager;
  /// Drag over the tree (entering too): `source` is the tree the data came from, or none.
  std::function<void(TNodeTree*, TNodeTree* source, uint32_t keyState, TPoint point, uint32_t& effect)>
      OnDragOver;
  std::function<void(TNodeTree*)> OnDragLeave;
  std::function<void(TNodeTree*, TVTDataObject* data, TNodeTree* source, uint32_t keyState, TPoint point,
                     uint32_t& effect)>
      OnDragDrop;

  // The drag manager's calls into the tree.
  HRESULT DoDragEnter(uint32_t keyState, TPoint point, uint32_t& effect);
  HRESULT DoDragOver(TNodeTree* source, uint32_t keyState, TPoint point, uint32_t& effect);
  void DoDragLeave();
  HRESULT DoDragDrop(TVTDataObject* data, uint32_t keyState, TPoint point, uint32_t& effect);

  void WndProc(TMessage& message) override;
  /// Marks the rows and the header to be painted.
  void Invalidate() override;
  /// Shows the header band in the window while the header is visible, with the header's height.
  void UpdateHeaderBand();

 protected:
  void Paint() override;
  void PaintNonClient(TCanvas& canvas, const TRect& band) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Resize() override;

  // Hooks with their default behaviour; descendants override them.
  virtual int32_t DoGetNodeDataSize();
  virtual uint8_t DoInitNode(PNode parent, PNode node);
  virtual uint32_t DoInitChildren(PNode node);
  virtual void DoFreeNode(PNode node);
  virtual int32_t DoGetNodeWidth(TCanvas& canvas, PNode node, int32_t column);
  virtual int32_t DoGetImageIndex(PNode node, TVTImageKind kind, int32_t column);
  virtual void DoPaintNode(TVTPaintInfo& info);
  virtual int DoCompare(PNode a, PNode b, int32_t column);
  virtual void PaintTreeLines(const TVTPaintInfo& info, int32_t valign, int32_t vlineX,
                              const std::vector<TVTLineType>& lineImage);
  virtual void PaintNodeButton(TCanvas& canvas, PNode node, const TRect& rect, int32_t buttonX,
                               int32_t buttonY);
  virtual void PaintImage(TVTPaintInfo& info, TVTImageKind kind, bool doOverlay);
  virtual void PaintCheckImage(const TVTPaintInfo& info);
  virtual void PaintDropMark(TCanvas& canvas, PNode node, const TRect& rect);

 private:
  friend class TNodeTreeHeader;
  friend class TNodeTreeColumns;
  friend class TNodeTreeColumn;
  friend class TCustomNodeTreeOptions;
  friend class TValidationWorker;
  struct SelectionEntry {
    PNode Node;
    bool PendingRemoval;  // cleared while updates ran; dropped by EndUpdate
  };

  /// Stops a background validation of this tree before its links or heights change.
  void InterruptValidation();
  void FreeNodeRecord(PNode node);
  void InternalConnectNode(PNode node, PNode destination, TNodeAttachMode mode);
  void InternalDisconnectNode(PNode node, bool keepFocus, bool reindex);
  void InternalAddToSelection(const std::vector<PNode>& nodes, bool force);
  void InternalRemoveFromSelection(PNode node);
  void PackSelection();
  void AdjustTotalCount(PNode node, int64_t delta);
  void DetermineHiddenChildrenFlag(PNode node);
  void DetermineHiddenChildrenFlagAllNodes();
  uint32_t VisibleSubtreeCount(PNode node) const;
  void CancelEdit();
  void InvalidateToBottom(PNode node);
  void InvalidateNode(PNode node);
  void DoStructureChange(PNode node, TChangeReason reason);
  void DoChange(PNode node);
  void SortChildren(PNode node);
  void SetFocusedNodeInternal(PNode node);
  int32_t CachePositionOf(PNode node, PNode& start);
  int32_t ScrollBarHeight() const;
  /// Whether the scroll-bar options let the tree show `bar` (SB_HORZ or SB_VERT).
  bool ShowsScrollBar(int bar) const;
  /// SIF_ALL, with SIF_DISABLENOSCROLL for bars that stay visible.
  uint32_t ScrollInfoMask() const;
  void Animate(int32_t distance, uint32_t duration,
               const std::function<bool(int32_t step, int32_t size)>& callback);
  bool ToggleCallback(int32_t step, int32_t size, const TRect& area, bool expanding);
  int32_t MainColumn() const;
  bool UseColumns() const;
  int32_t ImageWidth(TCustomImageList* list) const;
  int32_t TextOffset(PNode node, int32_t column);
  int32_t ComputeRangeWidth();
  /// The node-width hook's answer for the node without a column, measured on first need.
  int32_t CachedNodeWidth(TCanvas& canvas, PNode node);
  void RangeWidthChanged() { rangeWidthValid_ = false; }
  void ReplaceImageList(TCustomImageList*& field, TChangeLink& link, TCustomImageList* images);
  bool ShowsImageListElsewhere(TCustomImageList* list, TCustomImageList* const* except) const;

  // Painting helpers (NodeTreePaint.cpp).
  struct PaintContext;
  void PaintRow(PaintContext& context, PNode node, int32_t rowTop);
  void PaintCell(PaintContext& context, TVTPaintInfo& info, int32_t columnIndex);
  void EraseRow(PaintContext& context, PNode node, TRect rect);
  void PaintSelectionBackground(PaintContext& context, TVTPaintInfo& info);
  void PaintSelectionRectangle(PaintContext& context, TCanvas& canvas, const TRect& row, int32_t rowTop);
  void DrawDottedHLine(TCanvas& canvas, int32_t left, int32_t right, int32_t y, TColor color);
  void DrawDottedVLine(TCanvas& canvas, int32_t top, int32_t bottom, int32_t x, TColor color);
  void TileBackground(TCanvas& canvas, const TRect& rect, TPoint offset);
  void PaintBelowLastNode(PaintContext& context, TCanvas& target, const TRect& window, TPoint targetPoint,
                          int32_t top);
  void BuildLineImage(PNode node, std::vector<TVTLineType>& lineImage);

  PNode root_ = nullptr;
  std::unique_ptr<TCustomNodeTreeOptions> options_;
  std::unique_ptr<TNodeTreeHeader> header_;
  uint32_t states_ = 0;
  int32_t nodeDataSize_ = -1;
  int32_t internalDataSize_ = 0;
  uint16_t defaultNodeHeight_ = 18;
  int32_t indent_ = 18;
  int32_t margin_ = 4;
  bool wordWrap_ = false;
  int32_t minTextWidth_ = 20;
  int updateCount_ = 0;
  uint32_t visibleCount_ = 0;
  PNode focusedNode_ = nullptr;
  int32_t focusedColumn_ = -1;
  PNode rangeAnchor_ = nullptr;
  uint32_t lastSelectionLevel_ = UINT32_MAX;  // none
  std::vector<SelectionEntry> selection_;
  uint32_t selectedCount_ = 0;
  std::vector<TCacheEntry> positionCache_;
  uint64_t cacheGeneration_ = 0;  // counts invalidations, so a stale background result is refused
  // On the validation thread's list or being validated; cleared by that thread when it lets go.
  std::atomic<bool> validationListed_{false};
  int32_t rangeWidth_ = 0;
  bool rangeWidthValid_ = false;
  uint32_t widthStamp_ = 1;  // node widths measured under another stamp are stale
  int64_t rangeHeight_ = 0;
  TScrollBarOptions scrollBarOptions_;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  uint32_t changeDelay_ = 0;
  uint32_t animationDuration_ = 200;
  PNode pendingStructureNode_ = nullptr;
  TChangeReason pendingReason_ = crIgnore;
  PNode pendingChangeNode_ = nullptr;
  TCustomImageList* images_ = nullptr;
  // One per list field, so a list shown in two roles is still heard while either shows it.
  TChangeLink imagesLink_, stateImagesLink_, checkImagesLink_;
  TCustomImageList* stateImages_ = nullptr;
  TCustomImageList* checkImages_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
  bool rightToLeft_ = false;

  TColor colors_[kColorCount];
  TVTButtonStyle buttonStyle_ = bsRectangle;
  TVTButtonFillMode buttonFillMode_ = fmTreeColor;
  TVTLineStyle lineStyle_ = lsDotted;
  bool bandLines_ = false;
  TVTNodeAlignment nodeAlignment_ = naProportional;
  int32_t selectionCurveRadius_ = 0;
  uint8_t selectionBlendFactor_ = 128;
  TVTDrawSelectionMode drawSelectionMode_ = smDottedRectangle;
  std::unique_ptr<TBitmap> background_;
  TPoint backgroundOffset_;
  TRect selectRect_;
  PNode dropTargetNode_ = nullptr;
  TVTDropMode dropMode_ = dmNowhere;
  std::unique_ptr<TBitmap> plusBM_;
  std::unique_ptr<TBitmap> minusBM_;
  uint8_t linePattern_[8] = {};
  TVTDragManager* dragManager_ = nullptr;  // owned through its reference count
  bool dropTargetRegistered_ = false;
  int32_t rowParity_ = 0;  // tree y of the row being painted, for dot alignment
  uint64_t treeId_ = 0;
};

/// Blending modes of BlendRectangle.
enum TBlendMode : uint8_t {
  bmConstantAlpha = 0,
  bmPerPixelAlpha = 1,
  bmMasterAlpha = 2,
  bmConstantAlphaAndColor = 3,
};

/// Blends `rect` of `source` onto `dest` at `target` (both 32 bits per pixel). In mode 3 there is
/// no source and `bias_or_color` carries the colour. Raises EAssertionFailed for other formats.
void BlendRectangle(TBitmap* source, TBitmap* dest, const TRect& rect, TPoint target, TBlendMode mode,
                    int32_t alpha, int32_t biasOrColor);
