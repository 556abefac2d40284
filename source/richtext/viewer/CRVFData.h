// TCustomRVFormattedData: a document that can be laid out and shown. On top of the item list
// it keeps the drawn pieces, the hyperlink areas, the selection in draw-item coordinates, the
// formatted size and the hover state. It never knows which window it lives in: the area,
// margins, scroll position, canvas and events come from its owner through virtual hooks
// (the viewer's data, a table cell's data, printable data).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/Colors.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Messages.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVFuncs.h"

class TCanvas;
class TGraphic;
class TRVBackground;

/// Further state bits of a formatted document (TCustomRVData::StateFlags).
constexpr TRVDataStates rvstMakingSelection = 1u << 0;       // a mouse selection is in progress
constexpr TRVDataStates rvstHover = 1u << 1;                 // a hyperlink is under the mouse
constexpr TRVDataStates rvstFormattingLocked = 1u << 2;      // FormatLines returns at once
constexpr TRVDataStates rvstPartialFormatting = 1u << 3;     // a range is being reformatted
constexpr TRVDataStates rvstUpdatingPalette = 1u << 5;       // palette settings are being handed out
constexpr TRVDataStates rvstClicked = 1u << 6;               // the focus came with a mouse press
constexpr TRVDataStates rvstKeepPosition = 1u << 8;          // formatting keeps the scroll position
constexpr TRVDataStates rvstFocusReleased = 1u << 9;         // the focused sub-document was released
constexpr TRVDataStates rvstUnassigningFocus = 1u << 10;     // UnassignFocusedSubData is running
constexpr TRVDataStates rvstControlDeselecting = 1u << 11;   // the control data's Deselect is running
constexpr TRVDataStates rvstIgnoreNextSelection = 1u << 12;  // the next press starts no selection
constexpr TRVDataStates rvstDeselecting = 1u << 13;          // Deselect is running
constexpr TRVDataStates rvstWholeDataSelected = 1u << 14;    // a cell counts as selected as a whole

/// Viewer-state bit: hyperlink areas are recorded while formatting and tracked under the mouse.
constexpr uint16_t rvvsTrackJumps = 0x0001;

/// Sets state bits for a scope and clears them again on leaving it, also when an exception
/// passes; bits that were already set stay set.
class TRVStateScope {
 public:
  TRVStateScope(TCustomRVData& data, TRVDataStates bits) : data_(data), bits_(bits & ~data.StateFlags) {
    data_.StateFlags |= bits;
  }
  ~TRVStateScope() { data_.StateFlags &= ~bits_; }
  TRVStateScope(const TRVStateScope&) = delete;
  TRVStateScope& operator=(const TRVStateScope&) = delete;

 private:
  TCustomRVData& data_;
  TRVDataStates bits_;
};

/// Makes formatting count the characters that fit a line from the canvas's extents of every
/// prefix instead of searching with whole-text measures (for devices whose text widths do
/// not add up). Off by default.
inline bool RVMeasureCharByChar = false;

/// The checkpoint a checkpoint event reports (null for none).
using TCheckpointData = TRVCPInfo*;

/// The control's checkpoint event kind.
enum TCPEventKind : uint8_t { cpeNone, cpeAsSectionStart, cpeWhenVisible };

/// One hyperlink area found while formatting.
class TRVJumpInfo : public TObject {
 public:
  std::string ClassName() const override { return "TRVJumpInfo"; }

  TCustomRVData* RVData = nullptr;  // the document the area belongs to (a cell's for cells)
  int32_t Left = 0;                 // position in the root document's coordinates
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Id = 0;          // hyperlink number, 0-based in formatting order
  int32_t DrawItemNo = 0;  // the draw item in RVData
  TCursor Cursor = 0;      // shown over the area
};

/// A page break that pagination found inside the document: before character Offset of item
/// ItemNo, and for an item split across pages (a table) the index of the place inside it
/// (SubPos, -1 for none).
struct TRVSoftPageBreakInfo {
  int ItemNo = 0;
  int Offset = 0;
  int SubPos = -1;
};

/// Soft page breaks in document order.
using TRVSoftPageBreakList = std::vector<TRVSoftPageBreakInfo>;

/// The method that draws the temporary XOR figure at a point.
using TRVXorDrawingMethod = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;

class TCustomRVFormattedData : public TCustomRVData {
 public:
  TCustomRVFormattedData();
  ~TCustomRVFormattedData() override;
  std::string ClassName() const override { return "TCustomRVFormattedData"; }

  // ---- clearing ------------------------------------------------------------------------

  /// Frees the drawn pieces and hyperlink areas and drops mouse, hover and focus state.
  /// Sizes keep the values of the last formatting.
  virtual void ClearDrawLines();
  /// Frees the hyperlink areas, then ResetHover.
  void ClearJumps();
  /// Drops the hover of this document and of the inner document that held it (telling the
  /// host that the mouse left every hyperlink).
  void ResetHover();
  /// Deselects, frees the drawn pieces, then the items.
  void Clear() override;
  /// Deselects first: the selection refers to drawn pieces of the removed items.
  void DeleteItems(int FirstItemNo, int Count) override;

  // ---- formatting entry ----------------------------------------------------------------

  /// Lays out the items into drawn pieces on Canvas (null: GetCanvas). Returns at once while
  /// formatting is locked or the owner is being told the new size, and gives up below one
  /// nested call (Depth). KeepPosition keeps the selection and, unless NoScrollRestore, the
  /// item at the top of the view; with it nothing is laid out again when neither width
  /// changed and Repaint is false. OnlyTail appends the items added since the last
  /// formatting (a paragraph that they continue is laid out again with them). LayoutFlag is
  /// handed to the items' layout.
  virtual void FormatLines(bool KeepPosition, bool Repaint, bool NoScrollRestore, int Depth, TCanvas* Canvas,
                           bool OnlyTail, bool LayoutFlag);
  /// A full format of the whole document.
  void Format(bool LayoutFlag);
  /// Lays out again the items of the drawn pieces StartDItemNo..EndDItemNo (whole lines of
  /// whole paragraphs), after ItemsAdded items were inserted (or removed, when negative) in
  /// that range; later pieces are moved, not laid out again.
  void FormatParas(int StartDItemNo, int EndDItemNo, int ItemsAdded);
  /// Widens a range of drawn pieces to whole paragraphs, with one more paragraph on each side.
  void ExpandToParaDrawItems(int StartDItemNo, int EndDItemNo, int& First, int& Last) const;
  /// FormatParas over StartDItemNo..EndDItemNo widened to whole lines of the items: back to
  /// an item that starts a line, forward over the items that continue it.
  void ReformatItemParas(int StartDItemNo, int EndDItemNo, int ItemsAdded);
  /// Hands the owner's palette settings to Background (bit rvstUpdatingPalette meanwhile).
  void UpdatePaletteInfo(TRVBackground& Background);
  /// After scrolling: tells the host which checkpoint became visible (or that none is),
  /// each change once.
  void CheckCheckpointVisibility();
  void LockFormatting() { StateFlags |= rvstFormattingLocked; }
  void UnlockFormatting() { StateFlags &= ~rvstFormattingLocked; }
  bool FormattingLocked() const { return (StateFlags & rvstFormattingLocked) != 0; }
  bool IsPaletteUpdating() const { return (StateFlags & rvstUpdatingPalette) != 0; }

  // ---- measuring ---------------------------------------------------------------------------

  /// Size of Text in the canvas's current font. Formatting and hit testing measure only
  /// through this, so a document can be laid out with another measure.
  virtual TSize MeasureText(TCanvas& Canvas, std::u16string_view Text);
  /// Metrics of the canvas's current font.
  virtual void ReadTextMetrics(TCanvas& Canvas, TTextMetric& Metrics);
  /// The item's text as UTF-16, 8-bit text decoded through its style's code page, one
  /// character per byte; all capitals applied when the style asks for them.
  std::u16string GetItemTextForDrawing(int ItemNo) const;

  // ---- coordinates and lookups -------------------------------------------------------------

  /// Item position of a drawn-piece position (ItemNo -1 for DItemNo -1).
  void DrawItemToItem(int DItemNo, int DOffs, int& ItemNo, int& Offs) const;
  /// Drawn-piece position of an item position; a boundary between two pieces belongs to
  /// the earlier one.
  void ItemToDrawItem(int ItemNo, int Offs, int& DItemNo, int& DOffs) const;
  /// The first piece of ItemNo found by searching the pieces, -1 when none.
  int FindDrawItemOfItem(int ItemNo) const;
  /// The piece starts a screen line, or follows the list marker that starts it.
  bool IsDrawItemLineStart(int DItemNo) const;
  /// The pieces of DItemNo's screen line.
  void GetLineDrawItemRange(int DItemNo, int& First, int& Last) const;
  /// Index of a piece near vertical position Y (see the modes in the implementation).
  int FindDrawItemByY(int32_t Y, int Mode) const;
  /// The piece whose rectangle holds the point, -1 when none.
  int GetDrawItemAtPos(int32_t X, int32_t Y) const;
  /// Caret position for a point: DItemNo -1 when nothing was hit (Strict) or the document
  /// is empty.
  void FindDrawItemAtPos(int32_t X, int32_t Y, bool Strict, int& DItemNo, int& DOffs);
  /// Moves the hyperlink areas to their pieces plus the origin of their document.
  void UpdateJumpPositions();
  /// Moves windowed controls to their pieces, scrolled.
  void AdjustControlsPlacement();
  /// The narrowest width the whole document can be laid out at, in canvas pixels. Wrapped
  /// text asks only for its item's minimum width (20 pixels): it never forces more.
  int32_t CalculateMinDocWidth(const TRVFormatScale* Scale, TCanvas& Canvas);
  /// The narrowest width of the paragraph that starts at item ParaStart.
  int32_t CalculateMinParaWidth(int ParaStart, const TRVFormatScale* Scale, TCanvas& Canvas);
  /// The largest minimum width of the paragraphs that hold items FirstItemNo..LastItemNo.
  int32_t CalculateMinItemsWidth(int FirstItemNo, int LastItemNo, const TRVFormatScale* Scale,
                                 TCanvas& Canvas);
  int32_t CalculateMinItemsWidth(int FirstItemNo, int LastItemNo);
  /// The minimum width of items FirstItemNo..LastItemNo only, with the indents of their
  /// paragraphs: the first and last paragraphs count from and up to the range's ends.
  int32_t CalculateMinRangeWidth(int FirstItemNo, int LastItemNo);
  /// The minimum width of the item's paragraph, unscaled, on GetCanvas.
  int32_t CalculateMinItemWidth(int ItemNo);
  /// The same, scaled to GetCanvas's resolution.
  int32_t CalculateMinItemWidthOnCanvas(int ItemNo);

  // ---- drawn pieces and selection ------------------------------------------------------

  TRVDrawLines& DrawItems() { return *DrawItems_; }
  const TRVDrawLines& DrawItems() const { return *DrawItems_; }
  TRVList<TRVJumpInfo>& Jumps() { return *Jumps_; }
  /// 1 for a text piece (before its first character), 0 otherwise.
  int GetDrawItemStartOffset(int DItemNo) const;
  /// Length + 1 for a text piece, 1 otherwise.
  int GetDrawItemEndOffset(int DItemNo) const;
  /// The first drawn piece of ItemNo, -1 when it has none.
  int GetFirstDrawItemOfItem(int ItemNo) const;

  /// Drops the selection except inside Item; with Notify tells the host (DoSelect).
  virtual void Deselect(TCustomRVItemInfo* Item, bool Notify);
  /// Selects every drawn piece and tells the host.
  void SelectAll();
  /// Drops the inner selection of the partially selected item unless it is KeepItem.
  void DeselectPartiallySelectedItem(TCustomRVItemInfo* KeepItem);
  virtual void SetPartiallySelectedItem(TCustomRVItemInfo* Item);
  /// True for a non-empty selection of drawn pieces.
  bool SelectionExists() const;
  /// Whether a selection exists, asking the focused sub-document when there is one. An
  /// empty selection (both ends at one place) answers false and, with AllowReset (ignored
  /// while a mouse selection is in progress), is dropped. With UsePartialSelected an item
  /// that holds a selection of its own counts.
  bool SelectionExists(bool AllowReset, bool UsePartialSelected);
  /// The anchor of the selection after dropping an empty one (-1 for none).
  void GetSelStartDrawItem(int& DItemNo, int& DOffs);
  /// The stored selection; with Normalize the earlier end first.
  void GetSelBoundsInDrawItems(int& StartDNo, int& StartDOffs, int& EndDNo, int& EndDOffs,
                               bool Normalize) const;
  /// The selection in item coordinates (items -1 for none).
  void GetItemSelectionBounds(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs, bool Normalize);
  virtual void GetSelectionRange(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                                 bool Normalize);
  /// With SelectionOnly, the normalised selection; otherwise the whole document.
  void GetSelectionBounds(bool SelectionOnly, int& StartItemNo, int& EndItemNo, int& StartOffs, int& EndOffs,
                          TCustomRVItemInfo*& StartPartial, TCustomRVItemInfo*& EndPartial) override;
  /// Stores a selection given in item coordinates, telling nobody.
  void StoreSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs);
  /// Selects from (StartItemNo, StartOffs) to (EndItemNo, EndOffs); an end on a list marker
  /// moves to the start of the item after it. Tells the host; repaints nothing.
  void SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs);
  /// Selects Len characters from Offs of item ItemNo (the anchor at the far end with
  /// Reverse), scrolls the selection into view and repaints.
  void SelectRangeAndShow(int ItemNo, int Offs, int Len, bool Reverse);
  /// Where a search starts: the moving end of a non-empty selection, else the first visible
  /// item (Down) or the last one.
  void GetStartPosition(bool Down, int& ItemNo, int& Offs);

  // ---- XOR figure ------------------------------------------------------------------------

  /// Draws or erases the figure. A window shows drawing only from its painting, so outside
  /// painting the control is asked to paint again, and painting draws a shown figure last.
  virtual void XorDrawing();
  void XorDrawingAt(int32_t X, int32_t Y);
  /// Installs the figure's method (erasing a shown figure first). Methods are told apart by
  /// their Owner, the object that installed them.
  void AssignXorDrawing(const TObject* Owner, TRVXorDrawingMethod Method);
  void UnassignXorDrawing(const TObject* Owner);
  bool UsingThisXorDrawing(const TObject* Owner) const { return XorOwner_ != nullptr && XorOwner_ == Owner; }
  /// Erases a shown figure; answers whether one was shown.
  bool ClearXorDrawing();
  bool XorDrawn() const { return XorDrawn_; }
  /// Set by the control while it paints: drawing the figure then asks for no repaint.
  void SetXorPainting(bool Value) { XorPainting_ = Value; }

  // ---- focus among items -----------------------------------------------------------------

  /// The item where the focus goes next from StartItemNo, -1 when none; FocusedData and
  /// FocusedItemNo receive the document and item that take it.
  int GetNextFocusedItem(int StartItemNo, bool GoForward, TCustomRVFormattedData*& FocusedData,
                         int& FocusedItem);
  /// An out-of-range FocusedItemNo becomes -1; a valid one tells its item to drop inner focus.
  void ClearFocus();
  /// Item ItemNo of Data takes the focus; Data is this document or one nested in it (whose
  /// holding item then is this document's focused item).
  virtual void SetFocusedItem(TCustomRVFormattedData* Data, int ItemNo);

  // ---- scrolling and coordinates -----------------------------------------------------------

  /// Scrolls so that a rectangle in document coordinates becomes visible.
  virtual void ScrollToShowRect(int32_t X, int32_t Y, int32_t Width, int32_t Height);
  /// The document position of the item's first drawn piece; false when it has none.
  bool GetItemCoords(int ItemNo, int32_t& Left, int32_t& Top) const;
  bool GetItemClientCoords(int ItemNo, int32_t& Left, int32_t& Top);
  void GetOriginEx(int32_t& X, int32_t& Y) { GetOrigin(X, Y); }

  // ---- hooks the owner answers ---------------------------------------------------------------

  virtual bool GetStoredItemRange(int& First, int& Last) const;
  /// Pixels per inch of the screen and of the canvas.
  virtual void GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale);
  /// Drawn at the end of painting, with the offsets the pieces were drawn with and the
  /// range of pieces painted (Last below First when there were none).
  virtual void PaintOverlay(TCanvas& Canvas, int32_t HOffs, int32_t VOffs, int FirstDItemNo,
                            int LastDItemNo) {
    (void)Canvas, (void)HOffs, (void)VOffs, (void)FirstDItemNo, (void)LastDItemNo;
  }
  virtual void GetOrigin(int32_t& X, int32_t& Y) {
    X = 0;
    Y = 0;
  }
  virtual uint16_t GetViewerState() const = 0;
  virtual void SetViewerState(uint16_t Value) = 0;
  virtual int32_t GetAreaWidth() const = 0;
  virtual int32_t GetLeftMargin() const = 0;
  virtual int32_t GetRightMargin() const = 0;
  virtual int32_t GetTopMargin() const = 0;
  virtual int32_t GetBottomMargin() const = 0;
  virtual int32_t GetMinTextWidth() const = 0;
  virtual int32_t GetMaxTextWidth() const = 0;
  virtual TRVBackground* GetBackground() const = 0;
  /// Recomputes the vertical scroll step from DocumentHeight.
  virtual void AdjustVScrollUnits() = 0;
  /// Tells the owner the formatted size.
  virtual void SetDocumentAreaSize(int32_t Width, int32_t Height, bool UpdateH) = 0;
  virtual int32_t GetHOffs() const { return 0; }
  virtual int32_t GetVOffs() const { return 0; }
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  /// The canvas for measuring and painting: the root's.
  virtual TCanvas* GetCanvas();
  virtual void VScrollTo(int32_t Y, bool Redraw) = 0;
  virtual void HScrollTo(int32_t X) = 0;
  virtual int32_t GetVSmallStep() const = 0;
  virtual TColor GetColor() const = 0;
  /// Draws GetBackground on GetColor for Rect (client coordinates) with the scroll position
  /// and area size; the canvas's origin is at Rect's top-left corner.
  virtual void DrawBackground(TCanvas& Canvas, const TRect& Rect);
  /// Paints the pieces that reach into ClipRect (client coordinates) over the background,
  /// then the overlay, onto a canvas whose (0, 0) is ClipRect's top-left corner.
  virtual void Paint(TCanvas& Canvas, const TRect& ClipRect);

  // Events of the host. The owner answers the abstract ones; the rest ask the root.
  virtual bool HasRVMouseUp() const = 0;
  virtual bool HasRVMouseDown() const = 0;
  virtual bool HasJump() const = 0;
  virtual bool HasCheckpointVisible() const = 0;
  virtual void DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) = 0;
  virtual void DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) = 0;
  virtual void DoJump(int32_t Id) = 0;
  virtual void DoRVMouseMove(int32_t Id) = 0;
  virtual void DoCheckpointVisible(TCheckpointData Checkpoint) = 0;
  virtual TCursor GetNormalCursor() const = 0;
  /// An item fired hyperlink JumpID: the root reports it, counted from its FirstJumpNo.
  void DoItemJump(int JumpID) override;
  virtual bool HasRVRightClick() const;
  virtual bool HasRVDblClick() const;
  virtual void DoRVRightClick(const std::string& ClickedWord, int StyleNo, int32_t X, int32_t Y);
  virtual void DoRVDblClick(const std::string& ClickedWord, int StyleNo);
  virtual void DoSelect();
  virtual TCPEventKind GetCPEventKind() const;
  virtual void AfterFormatParas(int /*FirstItemNo*/, int /*LastItemNo*/, bool /*Flag*/) {}
  /// Called by the control after each step of scrolling while a selection is dragged.
  virtual void AfterAutoScroll() {}
  virtual int GetFirstVisibleItem() const;
  virtual int GetLastVisibleItem() const;
  // ---- mouse (client coordinates of the control) -------------------------------------------

  /// A press: routes it into items and cells, remembers the pressed hyperlink, starts or
  /// extends a selection.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  /// A move: extends a selection in progress, tracks the hyperlink under the mouse, lets the
  /// item under the mouse set the cursor; the XOR figure follows the mouse.
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  /// A release: ends a selection, collapses it on a right click outside it, moves the item
  /// focus, fires the release, right-click and hyperlink events.
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  /// A double click at the mouse pointer.
  virtual void DblClick();
  /// A double click at (X, Y): selects the word there (or reports it).
  void DblClickAt(int32_t X, int32_t Y);
  /// The mouse left the control: hover ends.
  virtual void MouseLeave();
  /// Finds the drawn piece under the mouse (LastDItemMovedAbove) unless an item holds the
  /// mouse.
  void UpdateDrawItemUnderMouse(int32_t X, int32_t Y);
  /// The word (or non-text item) at a client point: Word in the item's own text bytes, the
  /// document holding it (a cell's for a point in a table), the item, the 1-based offset
  /// where the word starts and the item's style. An empty Word at a delimiter. False when no
  /// drawn piece is there, or the text item is empty.
  bool GetWordAt(int32_t X, int32_t Y, std::string& Word, TCustomRVFormattedData*& RVData, int& ItemNo,
                 int& Offs, int& StyleNo);
  /// Item takes the mouse (moves go to it); Left and Top receive its drawn piece's position.
  void SetMouseCapture(TCustomRVItemInfo* Item, int32_t& Left, int32_t& Top);
  /// Ends the capture when Item holds it.
  void ReleaseMouseCapture(TCustomRVItemInfo* Item);
  /// An item leaving the document gives up the mouse and its inner selection first.
  void FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing) override;
  /// Shows Cursor over the control, leaving its Cursor property as it is.
  virtual void SetCursor(TCursor Cursor);
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;
  /// Called after the selection changed (the editor moves its caret).
  virtual void SelectionChanged() {}
  /// Called after a mouse selection ended.
  virtual void MouseSelectionDone() {}

  // ---- hyperlinks ------------------------------------------------------------------------------

  /// Rebuilds the hyperlink areas into List (this document's own list when null), numbering
  /// the hyperlinks from StartJumpNo (pieces of one item share a number) and advancing it;
  /// items with documents inside add theirs.
  void BuildJumpList(int& StartJumpNo, TRVList<TRVJumpInfo>* List);

  /// Repaints the areas of hyperlink Id (the whole control with the sheet's FullRedraw).
  void RedrawJump(int32_t Id);

  // ---- clipboard ---------------------------------------------------------------------------------

  /// Copies the selection in the formats the options choose. False when no format and no
  /// OnCopy handler is wanted; true otherwise, also when nothing was selected.
  bool CopyDefault(TColor Color, TRVBackground* Background);
  /// One format each; CopyDefault calls them while the clipboard is open.
  void CopyRVF(TColor Color, TRVBackground* Background);
  void CopyText();
  void CopyImage();
  void CopyUnicodeText();
  void CopyRTF(TColor Color, TRVBackground* Background);
  /// The selection as plain text: 8-bit, or UTF-16 bytes with Unicode.
  void GetSelText(bool Unicode, std::string& S);
  /// The picture of a selection that covers exactly one picture item, else null.
  TGraphic* GetSelectedImage();
  /// The control's OnCopy, through the root.
  virtual void DoCopy();
  virtual bool HasOnCopy() const;
  /// Lets the owner drop an in-place editor (the viewer frees its cell editor).
  virtual void DestroyInplaceEditor() {}
  virtual TWinControl* GetInplaceEditor() { return nullptr; }
  virtual TWinControl* GetOwnInplaceEditor() { return nullptr; }
  virtual void AssignFocusedSubData(TCustomRVFormattedData* /*RVData*/, TCustomRVItemInfo* /*Item*/) {}
  virtual void ReplaceFocusedSubData(TCustomRVFormattedData* /*RVData*/) {}
  virtual void UnassignFocusedSubData(TCustomRVFormattedData* RVData);
  virtual TCustomRVItemInfo* GetFocusedSubItem() { return nullptr; }
  /// Hands a message down to the document of the in-place editor (a cell being edited), and
  /// from there down the chain of editors; true when one of them took it. Nothing takes it
  /// here: the editor's document does, when it is the innermost one.
  virtual bool PassToInplaceEditor(uint32_t Msg, WPARAM WParam, LPARAM LParam);
  virtual void NotifyCoordsChanged() {}
  /// Invalidates, repaints at once or updates the owning control, when there is one.
  virtual void InvalidateControl();
  virtual void RefreshControl();
  virtual void UpdateControl();
  /// Invalidates Rect (client coordinates) of the owning control, when there is one.
  virtual void InvalidateControlRect(const TRect& Rect);
  /// Whether the owning control is being destroyed.
  virtual bool ParentControlDestroying() const;

  // ---- fields ------------------------------------------------------------------------------

  TCheckpointData LastRaisedCP = nullptr;
  int32_t JumpCount = 0;
  int32_t LastFormattedItemNo = -1;
  int32_t LastJumpMovedAbove = -1;
  TCustomRVFormattedData* HoverSubData = nullptr;
  int32_t LastDItemMovedAbove = -1;
  bool AreaResizing = false;
  int32_t DocumentWidth = -1;
  int32_t DocumentHeight = 0;
  int32_t TextWidth = -1;
  int32_t SelStartNo = -1;
  int32_t SelEndNo = -1;
  int32_t SelStartOffs = 0;
  int32_t SelEndOffs = 0;
  TCustomRVItemInfo* PartiallySelectedItem = nullptr;
  TCustomRVItemInfo* CaptureMouseItem = nullptr;
  int32_t ClickedDrawItem = -1;
  int32_t FocusedItemNo = -1;
  int32_t XorX = 0;
  int32_t XorY = 0;
  int32_t LastJumpDowned = -1;
  /// The control item the editor's caret stands on; painted with its frame. Null in a viewer.
  TCustomRVItemInfo* CaretControlItem = nullptr;
  /// Marks shown where pagination broke pages; null when nobody paginated the document.
  std::unique_ptr<TRVSoftPageBreakList> SoftPageBreaks;
  void ClearSoftPageBreaks() { SoftPageBreaks.reset(); }

 protected:
  /// Answers the root as formatted data, or null when the root is not one.
  TCustomRVFormattedData* FormattedRoot();
  const TCustomRVFormattedData* FormattedRoot() const;

 private:
  /// The focused sub-document as formatted data, null when none (or when it is this one).
  TCustomRVFormattedData* FocusedFormattedSub();
  /// The owning control is the program's editor class, which handles empty presses and
  /// double clicks itself.
  bool ParentIsProgramEditor() const;
  /// Drops any in-place editor and gives the owning control the keyboard focus.
  void CloseInplaceEditor();
  /// Routes a press into the item under it; false when the press is handled there.
  bool RoutePressIntoItem(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int& ItemNo);
  /// Starts (or, with Shift, extends) a mouse selection at a client point.
  void StartMouseSelection(TShiftState Shift, int32_t X, int32_t Y);
  /// The moving end of the selection goes to a client point clipped to the client area;
  /// true when it moved.
  bool MoveSelectionEnd(int32_t X, int32_t Y);
  /// A right click outside the selection collapses it to the clicked position.
  void CollapseSelectionAt(int32_t X, int32_t Y);
  /// Passes a move to the item under the mouse (or holding it); sets the cursor unless the
  /// item did.
  void ItemMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  /// The valid drawn piece under the mouse (the capturing item's when one holds it), -1 when
  /// none; indexes kept from before a reformat are checked again here.
  int DrawItemUnderMouse();
  /// Index in Jumps of the first area holding a client point; Edges counts the right and
  /// bottom edges in.
  int FindJumpAt(int32_t X, int32_t Y, bool Edges);
  /// Hover over the hyperlink at a client point; false when none is there.
  bool HoverJumpAt(int32_t X, int32_t Y);
  /// Ends the hover of HoverSubData, telling the host.
  void DropHover();
  /// A left release: fires the pressed hyperlink when released on it.
  void ClickJumpAt(int32_t X, int32_t Y, bool HadSelection);

  /// What a reformat that keeps the position restores: the selection in items, the item at
  /// the top of the view and its distance from the scroll position, the scroll position.
  struct TRVKeptPosition {
    int SelStartItemNo = -1, SelStartOffs = 0, SelEndItemNo = -1, SelEndOffs = 0;
    int TopItemNo = -1;
    int32_t TopDistance = 0;
    int32_t ScrollPos = 0;
  };
  void RememberPosition(bool OnlyTail, bool NoScrollRestore, TRVKeptPosition& Kept);
  void RestoreSelection(const TRVKeptPosition& Kept);
  /// The first item a tail format lays out, -1 when the pieces do not allow a tail format.
  int TailStartItem() const;
  /// The bottom of the line before piece DItemNo with its spacing, at least the top margin.
  int32_t LineBottomBefore(int DItemNo) const;
  /// The item takes a hyperlink number when it is laid out.
  bool IsNumberedJump(int ItemNo) const;
  /// For every document nested in this one's items (a table's cells, and documents nested
  /// in those), the piece of this document that holds it.
  using TRVNestedPieces = std::unordered_map<const TCustomRVData*, int>;
  TRVNestedPieces NestedDocumentPieces();
  /// The piece of this document a hyperlink area lies in; -1 when its document is gone.
  int PieceOfJump(const TRVJumpInfo& Jump, const TRVNestedPieces& Nested) const;
  /// The hyperlink number the first hyperlink at or after ItemNo gets; its first piece is
  /// DItemNo, and areas of nested documents count when they lie before it.
  int JumpIdAt(int ItemNo, int DItemNo, const TRVNestedPieces& Nested) const;
  /// Frees the hyperlink areas of pieces First..Last, those of documents nested in them
  /// and those of nested documents that are gone.
  void DropJumpsOfPieces(int First, int Last, const TRVNestedPieces& Nested);
  /// Minimum width of items From..To of the paragraph that starts at ParaStart.
  int32_t MinParaWidth(int ParaStart, int From, int To, const TRVFormatScale* Scale, TCanvas& Canvas);
  /// The piece's item starts a paragraph (an item outside the list counts as one).
  bool PieceStartsPara(int DItemNo, int ItemsAdded) const;
  /// The piece starts a paragraph: its item differs from the previous piece's and starts one.
  bool BeginsParagraph(int DItemNo) const;
  /// The x of every character boundary of a text piece whose text is Text, from its left.
  std::vector<int32_t> CharacterBoundaries(TCanvas& Canvas, int DItemNo, const std::u16string& Text);
  /// Draws characters SelFrom..SelTo of a text piece selected where the canvas places them;
  /// false when the piece's text is not bidirectional or cannot be placed.
  bool PaintPlacedSelection(TCanvas& Canvas, int DItemNo, int SelFrom, int SelTo, bool Hover, int32_t HOffs,
                            int32_t VOffs);
  /// Soft page-break marks of the pieces First..Last.
  void PaintSoftPageBreaks(TCanvas& Canvas, int First, int Last, int32_t HOffs, int32_t VOffs);
  /// Paragraph backgrounds and borders from First; Last shrinks to where the area ends.
  void PaintParagraphBacks(TCanvas& Canvas, int First, int& Last, const TRect& DocRect, int32_t HOffs,
                           int32_t VOffs);
  /// Characters From..To of a text piece at X, Width wide.
  void PaintTextRun(TCanvas& Canvas, int DItemNo, int From, int To, bool Selected, bool Hover,
                    TRVTextDrawStates BaseState, int32_t X, int32_t Width, int32_t SpaceBefore,
                    int32_t VOffs);

  std::unique_ptr<TRVDrawLines> DrawItems_;
  std::unique_ptr<TRVList<TRVJumpInfo>> Jumps_;
  TRVXorDrawingMethod XorMethod_;
  const TObject* XorOwner_ = nullptr;
  bool XorDrawn_ = false;
  bool XorPainting_ = false;
};
