// The table item: a grid of rows whose slots hold cell documents (RVTableCell.h), or nothing
// where a merged cell covers the slot. The grid operations keep the grid invariant (every
// slot covered by exactly one cell) and report what they change to an undo sink, which the
// editor installs; a table in the viewer records nothing. The table also writes itself to
// RVF (RVTableRVF.cpp), HTML and plain text (RVTableExport.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Cursors.h"
#include "platform/graphics/Pen.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVClasses.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/viewer/RVDataList.h"

class TFiler;
class TWinControl;
class TRVTableCellData;
class TRVTableItemInfo;
class TRVTableRows;

/// Vertical alignment of a row or cell; rvcVDefault takes the row's (a row's counts as middle).
enum TRVCellVAlign : uint8_t { rvcTop = 0, rvcMiddle = 1, rvcBottom = 2, rvcVDefault = 3 };

enum TRVTableBorderStyle : uint8_t { rvtbRaised, rvtbLowered, rvtbColor, rvtbRaisedColor, rvtbLoweredColor };

/// Behaviour flags of a table (bits in declaration order).
using TRVTableOptions = uint16_t;
constexpr TRVTableOptions rvtoEditing = 1 << 0;
constexpr TRVTableOptions rvtoRowSizing = 1 << 1;
constexpr TRVTableOptions rvtoColSizing = 1 << 2;
constexpr TRVTableOptions rvtoRowSelect = 1 << 3;
constexpr TRVTableOptions rvtoColSelect = 1 << 4;
constexpr TRVTableOptions rvtoRTFSaveCellPixelBestWidth = 1 << 5;
constexpr TRVTableOptions rvtoRTFAllowAutofit = 1 << 6;
constexpr TRVTableOptions rvtoHideGridLines = 1 << 7;
constexpr TRVTableOptions rvtoOverlappingCorners = 1 << 8;
constexpr TRVTableOptions rvtoCellBelowBorders = 1 << 9;
constexpr TRVTableOptions rvtoDefaultOptions =
    rvtoEditing | rvtoRowSizing | rvtoColSizing | rvtoRowSelect | rvtoColSelect;

using TRVTablePrintOptions = uint8_t;
constexpr TRVTablePrintOptions rvtoHalftoneBorders = 1 << 0;
constexpr TRVTablePrintOptions rvtoRowsSplit = 1 << 1;
constexpr TRVTablePrintOptions rvtoWhiteBackground = 1 << 2;
constexpr TRVTablePrintOptions rvtoDefaultPrintOptions = rvtoHalftoneBorders | rvtoRowsSplit;

/// A requested width: above 0 pixels, below 0 the negated percentage, 0 automatic.
using TRVHTMLLength = int32_t;

/// State bits of a table (TRVTableItemInfo::State).
constexpr uint16_t rvtsInserted = 1 << 0;           // the table lies in a document
constexpr uint16_t rvtsEditMode = 1 << 1;           // that document's root is editor data
constexpr uint16_t rvtsFormatWidth = 1 << 2;        // the width must be recomputed
constexpr uint16_t rvtsCellsSelected = 1 << 3;      // the cell selection is in force
constexpr uint16_t rvtsPaddingChanged = 1 << 4;     // CellPadding changed while a cell editor was open
constexpr uint16_t rvtsItemActionToCells = 1 << 6;  // item notices reach the cells' items

// ---------------------------------------------------------------------------------------
// Undo recording. Grid operations describe each change in a record and hand it to the
// table's sink; cells that leave the grid travel inside the record, so that undoing can put
// them back. Without a sink (the viewer) nothing is recorded and such cells are freed.

enum class TRVTableUndoKind : uint8_t {
  Span,                  // a cell's span changed: Old is the previous value, Horizontal which
  CellBestWidth,         // a cell's BestWidth changed: Old is the previous value
  CellBestHeight,        // a cell's BestHeight changed
  Merge,                 // cells merged into (Row, Col): see MergeItems
  InsertEmptyCells,      // Count nil slots inserted at (Row, Col)
  InsertTableCells,      // Count new cells inserted at (Row, Col)
  InsertTableRows,       // Count rows inserted at Row
  FreeEmptyCells,        // new cells of rows Row..Row+Count-1 in column Col became nil slots
  SpreadOverEmptyCells,  // the cell at (Row, Col) spread over Count columns
  CellSplitVert,         // a cell at (Row, Col) was split; the new part starts at column Count
  DeleteCols,            // columns Col..Col+Count-1 removed; Cells holds their slots
  ClearCell,             // the cell at (Row, Col) was replaced by an empty one (Cells[0] is the old)
  CellAttributes,        // the attributes of the cell at (Row, Col) are about to change
};

/// A cell that a merge took out of the grid, with the number of items it gave the merged cell.
struct TRVUndoMergeItem {
  int Row = 0;
  int Col = 0;
  int ItemCount = 0;
  std::unique_ptr<TRVTableCellData> Cell;
};

class TRVTableUndoRecord : public TObject {
 public:
  TRVTableUndoRecord();
  ~TRVTableUndoRecord() override;
  std::string ClassName() const override { return "TRVTableUndoRecord"; }

  TRVTableUndoKind Kind = TRVTableUndoKind::Span;
  TCustomRVData* Document = nullptr;  // the document holding the table
  int ItemNo = -1;
  int Row = 0;
  int Col = 0;
  int Count = 0;
  int Old = 0;
  bool Horizontal = false;
  // Merge: the merged cell's old values and the rectangle.
  int OldColSpan = 1;
  int OldRowSpan = 1;
  TRVHTMLLength OldBestWidth = 0;  // also the split cell's before CellSplitVert
  bool DivideWidth = false;        // CellSplitVert: the split cell's width was divided
  int RowCount = 0;
  int ColCount = 0;
  std::vector<TRVUndoMergeItem> MergeItems;
  /// Cells the record keeps out of the grid (null entries are covered slots), row by row.
  std::vector<std::unique_ptr<TRVTableCellData>> Cells;
};

/// What the editor supplies to record the grid operations of a table.
class TRVTableUndoSink {
 public:
  virtual ~TRVTableUndoSink() = default;
  /// Brackets the records of an operation that changes several cells.
  virtual void ModifyItemTerminator(int ItemNo, bool Opening) = 0;
  virtual void Record(std::unique_ptr<TRVTableUndoRecord> Record) = 0;
};

// ---------------------------------------------------------------------------------------
// The in-place cell editor. The editor makes it and hands the table this link while a cell
// is open; the table asks it what painting, hyperlinks and closing need.

class TRVTableCellEditorLink {
 public:
  virtual ~TRVTableCellEditorLink() = default;
  /// The editor's control, told apart from other controls by the document's hooks.
  virtual const TWinControl* GetControl() const = 0;
  virtual int GetRow() const = 0;
  virtual int GetCol() const = 0;
  /// True while the editor scrolls its content itself (it is taller than the cell): the
  /// table then marks the cell with a hatch and leaves the content to the editor.
  virtual bool ScrollsItself() const = 0;
  /// The document the editor edits in place of the cell.
  virtual TCustomRVData* GetEditorData() = 0;
  /// Hyperlinks of the editor's document are numbered on from FirstJumpNo.
  virtual void SetFirstJumpNo(int FirstJumpNo) = 0;
  virtual int GetJumpCount() const = 0;
  /// Closes the editor, storing its content in the cell or dropping it; the table forgets
  /// the link before this returns.
  virtual void Close(bool StoreContent) = 0;
  /// True while the editor runs one of its own operations and must not be closed.
  virtual bool Busy() const { return false; }
  /// The table now stands at (Left, Top) in the client area: the editor follows its cell.
  virtual void TableMoved(int32_t Left, int32_t Top) { (void)Left, (void)Top; }
  /// The cell the editor shows changed its colour or background: the editor takes them again.
  virtual void CellLookChanged() {}
};

/// The cell editor cannot be closed now.
ZUK_DECLARE_EXCEPTION(ERVTableInplaceError, ERVError)

// ---------------------------------------------------------------------------------------
// What the table's own code needs of the editor. The editor library installs one set of
// hooks at start-up; without an editor linked in there are none, and a table then behaves
// as in a viewer (it never lies in editor data anyway).

class TRVTableEditorHooks {
 public:
  virtual ~TRVTableEditorHooks() = default;
  /// The table lies in an editor whose CanChange agrees.
  virtual bool CanChange(TRVTableItemInfo& Table) = 0;
  /// The table is inserted in an editor whose UndoLimit is not 0.
  virtual bool UndoEnabled(TRVTableItemInfo& Table) = 0;
  /// Reports a change of the table to its editor (its document data's Change).
  virtual void ChangeEditor(TRVTableItemInfo& Table, bool ClearRedo) = 0;
  /// Sets a published integer property of the table by name, recording the old value.
  virtual void SetTableProperty(TRVTableItemInfo& Table, const std::string& PropName, int32_t Value,
                                bool AffectWidth, bool AffectSize) = 0;
  /// The same for a property of the cell at (Row, Col); ItemNo -1 is the table's own.
  virtual void SetCellProperty(TRVTableItemInfo& Table, int ItemNo, const std::string& PropName,
                               bool AffectWidth, bool AffectSize, int Row, int Col, int32_t Value) = 0;
  /// Opens (and closes, with EndTableChange) one undoable change of the table item: its
  /// formatted position is kept, an undo group opened and group mode switched on.
  virtual void BeginTableChange(TRVTableItemInfo& Table, int32_t& State) = 0;
  virtual void EndTableChange(TRVTableItemInfo& Table, int32_t State) = 0;
  /// Opens the in-place editor on the cell (see TRVTableItemInfo::OpenCellEditor).
  virtual void OpenCellEditor(TRVTableItemInfo& Table, int ItemNo, int Row, int Col, bool Prepare,
                              bool CaretAtStart, bool CaretAtEnd, uint32_t ClickTime, bool SkipCheck) = 0;
};

/// The installed hooks, null when no editor is linked in.
TRVTableEditorHooks* RVTableEditorHooks();
void RVSetTableEditorHooks(TRVTableEditorHooks* Hooks);

// ---------------------------------------------------------------------------------------
// Painting

/// Flags of a table painting.
using TRVTablePaintFlags = uint8_t;
constexpr TRVTablePaintFlags rvtpSelected = 1 << 0;           // every cell is drawn selected
constexpr TRVTablePaintFlags rvtpFocused = 1 << 1;            // the control has the focus
constexpr TRVTablePaintFlags rvtpPrinting = 1 << 3;           // drawn on a printer page
constexpr TRVTablePaintFlags rvtpPreview = 1 << 4;            // the page is a preview
constexpr TRVTablePaintFlags rvtpPreviewCorrection = 1 << 5;  // the preview corrects text widths

/// The pen style of the dotted lines that show hidden borders while a table is edited;
/// psClear shows none.
extern TPenStyle RVTableGridStyle;

/// One border as painting is about to draw it; Row and Col are -1 for the table's own.
struct TRVTableBorder {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width = 0;
  TColor LightColor = clNone;
  TColor Color = clNone;
  TColor BackgroundColor = clNone;
  TRVTableBorderStyle Style = rvtbColor;
  bool DrawHiddenGrid = false;
  bool Printing = false;
  const TRVBooleanRect* VisibleBorders = nullptr;  // null: all sides
  int Row = -1;
  int Col = -1;
};

// ---------------------------------------------------------------------------------------

/// A cell's printable document in a print layout: the layout formats it for the width of
/// its cell and places it inside the cell's padding (device pixels).
class TRVTablePrintableCell {
 public:
  virtual ~TRVTablePrintableCell() = default;
  /// Formats the document for Width; answers the height of its content.
  virtual int32_t FormatForWidth(int32_t Width) = 0;
  virtual void Place(int32_t Left, int32_t Top, int32_t Width, int32_t Height) = 0;
  /// Height of the content as last formatted, and of the place it was given.
  virtual int32_t GetContentHeight() const = 0;
  virtual int32_t GetPlacedHeight() const = 0;
  /// Prints the document with the table's top-left corner at (X, Y) on Canvas.
  virtual void Print(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction) = 0;
};

/// Results of the last layout of a table.
class TRVTableItemFormattingInfo {
 public:
  /// Clears the lists; the printable cells stay.
  void Clear();
  /// The printable document of slot (Row, Col) in a grid of ColCount columns, null when the
  /// slot has none.
  TRVTablePrintableCell* PrintableCell(int Row, int Col, int ColCount) const {
    const size_t index = static_cast<size_t>(Row) * static_cast<size_t>(ColCount) + static_cast<size_t>(Col);
    return index < Cells.size() ? Cells[index].get() : nullptr;
  }

  TRVIntegerList ColWidths;
  TRVIntegerList RowHeights;
  TRVIntegerList ColStarts;
  TRVIntegerList RowStarts;
  int32_t Width = 0;
  int32_t Height = 0;
  /// A print layout's printable documents, one a slot row by row (null where none); empty
  /// for the layout on the screen, which places and formats the cells themselves.
  std::vector<std::unique_ptr<TRVTablePrintableCell>> Cells;
};

/// One row of the grid: slots holding cells or nil.
class TRVTableRow : public TRVDataList {
 public:
  TRVTableRow(int nCols, TRVTableRows* Rows);
  /// Frees the cells while the row can still answer them.
  ~TRVTableRow() { Clear(); }

  TRVTableCellData* GetCell(int Index) const;
  TRVTableCellData* AddCell();
  TRVTableCellData* InsertCell(int Index);
  void InsertEmptySlot(int Index);
  void InsertCellObject(int Index, std::unique_ptr<TRVTableCellData> Cell);
  /// Replaces the slot's content; the previous cell is handed back (null for a nil slot).
  std::unique_ptr<TRVTableCellData> PutCell(int Index, std::unique_ptr<TRVTableCellData> Cell);
  /// Takes the cell out of its slot, leaving the slot nil.
  std::unique_ptr<TRVTableCellData> TakeCell(int Index);
  TCustomRVData* GetParentRVData() const override;
  TRVTableRows* GetRows() const { return Rows_; }
  /// Largest BestHeight of the cells spanning this row only, 0 when none.
  int32_t GetBestHeight() const;
  /// Largest content height of the cells spanning this row only, 10 when that is 0.
  int32_t GetHeight() const;

  TRVCellVAlign VAlign = rvcTop;

 private:
  TRVTableRows* Rows_;
};

/// The grid: rows of equal slot counts.
class TRVTableRows : public TRVList<TRVTableRow> {
 public:
  TRVTableRows(int nRows, int nCols, TRVTableItemInfo* Table, TCustomRVData* RVData);

  TRVTableItemInfo* GetTable() const { return Table_; }
  TCustomRVData* GetRVData() const { return RVData_; }
  void SetRVData(TCustomRVData* Value) { RVData_ = Value; }

  /// On an empty grid: nRows rows of nCols new cells.
  void InitRows(int nRows, int nCols);
  bool IsEmpty() const { return Count() == 0 || Get(0)->Count() == 0; }
  TRVTableRow* AddRow(int nCols);
  TRVTableRow* InsertRow(int Index, int nCols);
  TRVTableRow* GetRow(int Index) const { return Get(Index); }
  int GetColCount() const { return Count() == 0 ? 0 : Get(0)->Count(); }
  /// The cell covering (Row, Col) and its slot. Null (MainRow and MainCol -1) when the
  /// grid is broken and no cell covers the slot.
  TRVTableCellData* GetMainCell(int Row, int Col, int& MainRow, int& MainCol) const;

  /// Pixel widths add up along a row, percentages win over pixels; the largest per kind.
  TRVHTMLLength GetBestWidthOfRange(int Row, int Col, int RowCount, int ColCount) const;
  /// Merges the rectangle into its top-left cell when the grid allows it; a refused merge
  /// beeps and changes nothing. True when the grid changed.
  bool MergeCells(int Row, int Col, int ColCount, int RowCount, bool AllowEmptyLines, bool CombineWidth);
  /// Undoes a merge that Record describes, taking its cells back.
  void UnmergeCells(TRVTableUndoRecord& Record);
  void InsertCols(int Index, int Count, int CopyIndex, bool DivideWidth);
  void InsertRows(int Index, int Count, int CopyIndex, bool DivideHeight);
  void DeleteCols(int Index, int Count, bool DivideWidth);
  /// Empties the listed cells (pairs of row and column).
  void ClearCells(const std::vector<std::pair<int, int>>& Cells);
  void SpreadOverEmptyCells(int Row, int Col, int ColSpan);
  void UnspreadOverEmptyCells(int Row, int Col, int ColSpan);
  void JoinCellsHorizontally(int Row, int Col, TRVHTMLLength BestWidth, int Col2);
  void SetCellSpan(int ItemNo, int Row, bool Horizontal, int Value, int Col);
  /// Splits the cell at (Row, Col): its last NewColSpan columns become a new cell at NewCol
  /// with its attributes and their share of its width; with DivideWidth the cell keeps the
  /// rest of its width. ItemNo -1 records nothing.
  void SplitCellVertically(int ItemNo, int Row, int Col, int NewCol, int NewColSpan, bool DivideWidth);

  // Column measures of layout, over the cells of the column that span it alone.
  int32_t GetColMinWidth(int Col, const TRVFormatScale* Scale) const;
  /// The largest pixel BestWidth, 0 when any of the cells asks for a percentage.
  int32_t GetColBestWidth(int Col) const;
  /// The largest percentage of Width the cells ask for.
  int32_t GetColPercentWidth(int Col, int32_t Width) const;
  bool IsPercentColumn(int Col) const;

  /// Set while a file is read: a refused merge then stays silent (the reader reports it).
  bool Reading = false;

 private:
  /// The table's item number when undo is recorded, else -1.
  int EditorItemNo() const;
  std::unique_ptr<TRVTableUndoRecord> CreateUndoRecord(int ItemNo, TRVTableUndoKind Kind, int Row, int Col);
  void Submit(std::unique_ptr<TRVTableUndoRecord> Record);
  /// Sets BestWidth (Width) or BestHeight of a cell, recording the old value.
  void SetCellBestSize(int ItemNo, int Row, int Col, bool Width, int32_t Value);
  bool CheckMergeRect(int Row, int Col, int RowCount, int ColCount, bool& OtherCells) const;
  bool MergeLeavesEmptyLine(int Row, int Col, int RowCount, int ColCount) const;
  /// Gives the new cell at (Row, Col) the attributes of Copy and the best sizes.
  void FillNewCell(int ItemNo, int Row, int Col, const TRVTableCellData& Copy, TRVHTMLLength BestWidth,
                   int32_t BestHeight);

  TRVTableItemInfo* Table_;
  TCustomRVData* RVData_;
};

// ---------------------------------------------------------------------------------------

using TRVCellEditingEvent =
    std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool Automatic, bool& AllowEdit)>;
using TRVCellEndEditEvent = std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool Clearing)>;
using TRVCellAllowEditEvent =
    std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool& AllowEdit)>;
using TRVLeaveMeEvent = std::function<void(TRVTableItemInfo* Sender, bool DoNextItem)>;
using TRVOnTableCellClick = std::function<void(TRVTableItemInfo* Sender, int Row, int Col)>;
using TRVCellInplaceCreateEvent = std::function<void(TRVTableItemInfo* Sender, int Row, int Col)>;
/// Asked before each border is drawn; clearing DoDefault leaves that border undrawn.
using TRVTableDrawBorderEvent = std::function<void(TRVTableItemInfo* Sender, TCanvas& Canvas,
                                                   const TRVTableBorder& Border, bool& DoDefault)>;

/// Background pictures of tables and cells: a background exists only while it shows a
/// picture or a style other than rvbsColor.
TGraphic* RVTableBackgroundImage(const std::unique_ptr<TRVBackground>& Background);
void RVTableSetBackgroundImage(std::unique_ptr<TRVBackground>& Background, const TGraphic* Image,
                               TCustomRVData* RVData);
TRVItemBackgroundStyle RVTableBackgroundStyle(const std::unique_ptr<TRVBackground>& Background);
void RVTableSetBackgroundStyle(std::unique_ptr<TRVBackground>& Background, TRVItemBackgroundStyle Value);
/// Takes the picture out of the background (an empty background is freed); null when none.
std::unique_ptr<TGraphic> RVTableTakeBackgroundImage(std::unique_ptr<TRVBackground>& Background);
/// Makes Image itself the picture, without copying (the background owns it from now on).
void RVTableGiveBackgroundImage(std::unique_ptr<TRVBackground>& Background, std::unique_ptr<TGraphic> Image,
                                TCustomRVData* RVData);

/// Registers the table class under rvsTable with the item factory; runs at start-up and
/// again harmlessly.
void RVRegisterTableItemClass();

/// The screen cursors for choosing a table row and a table column.
constexpr TCursor crRVSelectRow = 104;
constexpr TCursor crRVSelectCol = 105;
/// Puts the row and column cursors into the screen cursor table, once.
void RVLoadTableSelectionCursors();

class TRVTableItemInfo : public TRVFullLineItemInfo {
  ZUK_RV_ITEM_CLASS(TRVTableItemInfo)
  ZUK_PUBLISHED(TRVTableItemInfo)

 public:
  /// A 1 x 1 table.
  explicit TRVTableItemInfo(TCustomRVData* RVData);
  TRVTableItemInfo(int nRows, int nCols, TCustomRVData* RVData);
  ~TRVTableItemInfo() override;
  static std::unique_ptr<TRVTableItemInfo> CreateWithSize(int nRows, int nCols, TCustomRVData* RVData) {
    return std::make_unique<TRVTableItemInfo>(nRows, nCols, RVData);
  }

  TRVTableRows& Rows() const { return *Rows_; }
  /// The slot's cell or null; the lists check the indexes.
  TRVTableCellData* GetCell(int Row, int Col) const;
  TCustomRVData* GetParentData() const { return Rows_->GetRVData(); }
  /// Item number of the table in its document, -1 when it lies in none.
  int GetMyItemNo() const;

  // Background picture of the whole table.
  TGraphic* GetBackgroundImage() const;
  void SetBackgroundImage(const TGraphic* Image);
  TRVItemBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TRVItemBackgroundStyle Value);
  TRVBackground* GetTableBackground() const { return Background_.get(); }
  /// The picture handed over without copying, and taken back out (for undo).
  void GiveBackgroundImage(std::unique_ptr<TGraphic> Image);
  std::unique_ptr<TGraphic> TakeBackgroundImage();

  /// Answers rvfqOwnLine and the canvas-font, Unicode-text and text-only queries.
  bool QueryFeature(int Code) const override;
  /// A table is printed on the page itself, never through a bitmap.
  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  int32_t GetTotalHeight() const override { return FormattingInfo.Height; }
  int32_t GetTotalWidth() const override { return FormattingInfo.Width; }
  /// Joins RVData (null: leaves any): every cell gets a line to type into and its texts
  /// converted for the document.
  void Inserting(TCustomRVData* RVData, bool Clearing) override;
  /// The first time a new table joins a document its cells' items hear of it too.
  void Inserted(TCustomRVData* RVData, int ItemNo) override;
  /// A table read from a file already told its cells' items when they were read.
  void BeforeLoading(int Format) override;
  void AfterLoading(int Format) override;
  /// True when a cell holds an item with the control.
  bool OwnsControl(const TObject* Control) const override;
  /// Passes the notice to the first cell in reading order whose document holds the control.
  bool ControlAction(TRVControlAction Action, const TObject* Control) override;
  bool OwnsInplaceEditor(const TWinControl* Editor) const override;
  /// Closes the cell editor, keeping what was typed.
  void FinishEditing() override;
  /// The cells' hyperlinks, numbered on in reading order, at their places in the document;
  /// the cell open in the editor lends the editor the numbers instead.
  void BuildSubJumps(int32_t Left, int32_t Top, TRVList<TRVJumpInfo>& List, int& StartJumpNo) override;
  /// Top of a row in the last layout.
  int32_t GetRowTop(int Row) const { return FormattingInfo.RowStarts[Row]; }

  // Printing (RVTablePrint.cpp).
  /// A print piece (TRVTablePrintInfo) with a printable document for every cell that has
  /// something to print.
  std::unique_ptr<TRVDrawLineInfo> CreateDrawItem(TCustomRVData* RVData,
                                                  const TRVFormatScale* ScreenAndDevice) override;
  /// Prints part PartIndex of the print piece (every row for -1) at (X, Y).
  void PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                   TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                   TRVDrawLineInfo* DrawItem) override;
  /// The table's colour or background picture behind a printed part.
  int32_t DrawBackgroundForPrinting(int32_t Top, TCanvas& Canvas, const TRect& ItemRect,
                                    TRVColorMode ColorMode) override;

  // Rows tied together by merged cells, for page breaks (RVTableGrid.cpp).
  /// The last row of the run of rows that merged cells tie Row to.
  int GetBlockEnd(int Row) const;
  /// The first row of the run of rows that merged cells tie Row to.
  int GetBlockStart(int Row) const;
  /// True when HeadingRowCount rows (at most all) can repeat on every page: none of their
  /// cells reaches below them.
  bool CanUseHeadings() const;
  void MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                       TRVIntegerList& UsedListStyles) const override;
  void RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                      const TRVIntegerList& ListStylesMap) override;
  TCustomRVData* GetSubDocument(std::unique_ptr<TRVStoreSubRVData>& State, int Direction) override;
  void DetachFromData(TCustomRVData* RVData, int ItemNo) override;
  void AttachToData(TCustomRVData* RVData, int ItemNo) override;
  /// The cell at (X, Y) relative to the table; the cell hit last is tried first (shrunk by
  /// a pixel on each side) and remembered. False outside every cell.
  bool GetCellAtPoint(int32_t X, int32_t Y, int& Row, int& Col) override;
  /// The active document of the cell at the point, null when none.
  TCustomRVData* GetSubDocumentAt(int32_t X, int32_t Y) override;
  /// Forgets the cell hit last; the document stops treating the focused cell as its focused
  /// sub-document and the table forgets it.
  void ClearFocusHook() override;
  /// The focused cell drops its selection, the table forgets it and the cell editor closes,
  /// keeping what was typed.
  void FocusLost() override;
  /// Moves the focus to the next (previous) focusable item of the cells in reading order,
  /// from the focused cell's focused item or, with no focused cell, from the first (last)
  /// cell; the cell found becomes the focused cell. False past the last (first) one.
  bool MoveFocusInside(bool GoForward, TCustomRVData*& FocusedData, int& FocusedItemNo) override;
  /// The cell holding Control becomes the focused cell, with Control's item focused in it.
  void FocusFromControl(const TObject* Control, TCustomRVData*& FocusedData, int& FocusedItemNo) override;
  /// The top of row Index below the table's top: where a page break before that row lies.
  int32_t GetSoftPageBreakDY(int Index) const override;
  /// The focused cell's main cell; a focused cell outside the grid is forgotten. Null when
  /// there is none.
  TRVTableCellData* GetFocusedCell();
  /// Where Cell lies in the grid; false when it is none of the table's cells.
  bool FindCell(const TRVTableCellData& Cell, int& Row, int& Col) const;
  /// Cell becomes the focused cell.
  void FocusCell(const TRVTableCellData& Cell);
  /// Item ItemNo of Data, inside Cell, took the focus: the cell becomes the focused cell and
  /// the table the focused item of the document around it, which is told in turn.
  void CellHoldsFocusedItem(const TRVTableCellData& Cell, TCustomRVFormattedData* Data, int ItemNo);
  /// While the table writes its cells it ignores the mouse.
  void BeginBusy() override { ++BusyCount; }
  void EndBusy() override { --BusyCount; }
  bool IsBusy() const { return BusyCount > 0; }
  /// Stores where the table is in RVData's client area, where its cells' scroll offsets
  /// come from (a hit test into a cell needs them current).
  void RefreshClientCoords(TCustomRVData* RVData) override;
  bool CanEditCell(int Row, int Col) override;
  void DoCellClick(int Row, int Col) override;

  // RVF (RVTableRVF.cpp).
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  bool ReadRVFLine(std::string_view S, TRVFLineContext& Context) override;
  /// The table's component stream ("TPF0", the root TRVTableSW with T., C and RowVAlign).
  void WriteComponentStream(TStream& Stream);
  /// The same with rows FirstRow..FirstRow+RowCount-1 only, as one printed part shows them.
  void WritePartComponentStream(TStream& Stream, int FirstRow, int RowCount);
  /// Before its cells are read anew, a table in a document closes its cell editor without
  /// storing it and lets go of the mouse and of the sizing line it draws.
  void ReleaseCellsForReading();
  /// Reads a component stream into this table; EReadError on bad input.
  void ReadComponentStream(TStream& Stream);

  // Layout (RVTableLayout.cpp).
  int32_t GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) override;
  void GetWidthRequirements(int32_t Width, TRVDrawLineInfo* DrawItem, bool Printing, TCanvas* Canvas,
                            TCustomRVData* RVData, const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                            int32_t& Descent, int32_t& Offset) override;
  /// Lays the table out for a document of DocWidth pixels into Info; a pass with the width
  /// already stored and no Force does nothing.
  void Format(int32_t DocWidth, TRVTableItemFormattingInfo& Info, bool Force);
  int32_t GetHorzOverhead() const;
  int32_t ScaleH(int32_t Value) const;
  int32_t ScaleV(int32_t Value) const;

  // RTF (RVTableRTF.cpp).
  void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text, double tpp,
               int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
               TRVRTFFontTable& FontTable) override;
  void FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                     TCustomRVData* RVData) override;

  // Export (RVTableExport.cpp).
  bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                TRVHTMLBulletList* Bullets) override;
  std::string GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                           const std::string& Path, bool TextOnly, bool Unicode) override;
  /// The colour a cell shows: its own, the table's, or the document's behind it.
  TColor GetEffectiveCellColor(const TRVTableCellData& Cell) const;

  // Painting (RVTablePaint.cpp).
  void PaintFullWidth(int32_t Left, int32_t Right, int32_t Top, TCanvas& Canvas, TRVItemDrawStates State,
                      TRVStyle* Style, const TRect& ClipRect, TRVDrawLineInfo* DrawItem) override;
  /// Paints the table with its top-left corner at (X, Y): on the screen every row from the
  /// first that reaches ClipRect; when printing, RowCount rows from FirstRow after
  /// HeadingRows heading rows, placed right below them.
  void PaintTo(TCanvas& Canvas, int32_t X, int32_t Y, const TRect& ClipRect,
               const TRVTableItemFormattingInfo& Info, TRVTablePaintFlags Flags, TRVColorMode ColorMode,
               int FirstRow, int RowCount, int HeadingRows);
  /// Draws one border; ClipRect and ColorMode are those of the painting it belongs to.
  void DrawBorder(TCanvas& Canvas, const TRVTableBorder& Border, const TRect& ClipRect,
                  TRVColorMode ColorMode);
  /// Fills Rect (coordinates of the cell's own area) with the table's background as it lies
  /// under the cell.
  void PaintBackgroundForCell(TCanvas& Canvas, const TRVTableCellData& Cell, const TRect& Rect);
  /// The dotted line shown while a column (V) or row (H) border is dragged, in the
  /// canvas's current pen.
  static void DrawSizingLineV(TCanvas& Canvas, int32_t X, int32_t Y1, int32_t Y2);
  static void DrawSizingLineH(TCanvas& Canvas, int32_t X1, int32_t X2, int32_t Y);
  /// Where content of ContentHeight starts inside a cell of CellHeight.
  static int32_t GetVAlignShift(int32_t ContentHeight, int32_t CellHeight, TRVCellVAlign VAlign);
  /// Whether the cell at (Row, Col), with its spans, lies in the table's cell selection.
  bool IsCellSelected(int Row, int Col) const;
  /// The rectangle of slots the cell selection covers, widened to whole merged cells; false
  /// when no cells are selected.
  bool GetSelectionBounds(int& TopRow, int& LeftCol, int& ColCount, int& RowCount) const;

  // Editing: the selection of cells and the mouse (RVTableMouse.cpp).
  /// Selects the cells from (StartRow, StartCol) over ColOffs columns and RowOffs rows.
  void Select(int StartRow, int StartCol, int ColOffs, int RowOffs);
  void SelectRows(int StartRow, int Count);
  void SelectCols(int StartCol, int Count);
  /// Starts a selection drag at the cell; False when the document allows no selection.
  bool SelectCell(int Row, int Col);
  void Deselect();
  /// Close the cell editor for an operation, and open it again on the same cell with the
  /// same selection afterwards. ERVTableInplaceError when the editor is busy.
  void StoreInplace();
  void RestoreInplace();
  /// The selected rectangle as GetSelectionBounds answers it; without selected cells and
  /// with WithEditor, the cell open in the editor. A selection whose anchor left the grid
  /// is dropped first.
  bool GetSelectionBounds(bool WithEditor, int& TopRow, int& LeftCol, int& ColCount, int& RowCount);
  /// Cells are selected.
  bool HasInnerSelection() const override { return (State & rvtsCellsSelected) != 0; }
  /// After formatting: the cell editor goes where its cell now is.
  void SetControlPosition(int32_t Left, int32_t Top, bool RestoreTop) override;
  void DropInnerSelection() override { Deselect(); }
  /// Presses, moves and releases at (X, Y) relative to the table: cell editing, cell
  /// selection and the sizing of columns and rows.
  bool MouseDownHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                     TCustomRVData* RVData) override;
  bool MouseMoveHook(TShiftState Shift, int32_t X, int32_t Y, int ItemNo, TCustomRVData* RVData) override;
  void MouseUpHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                   TCustomRVData* RVData) override;
  /// The column (row) border near X (Y) relative to the table: 0 the outer left (top), the
  /// column (row) count the outer right (bottom), i + 1 the one after column (row) i, -1
  /// none. Before is the column (row) before it, Pos the border's position.
  int GetColBorderAt(int32_t X, int& Before, int32_t& Pos) const;
  int GetRowBorderAt(int32_t Y, int& Before, int32_t& Pos) const;
  /// The column (row) whose content spans X (Y), -1 when none.
  int GetColAt(int32_t X) const;
  int GetRowAt(int32_t Y) const;
  /// Applies the size a border drag ended at (X or Y relative to the table) as cell best
  /// sizes, recorded through Hooks.
  void ApplyColumnSize(TRVTableEditorHooks& Hooks, int ItemNo, int32_t X);
  void ApplyRowSize(TRVTableEditorHooks& Hooks, int ItemNo, int32_t Y);

  // Editing: queries and property changes, through the editor's hooks.
  /// The table's document is editor data.
  bool InEditor() const;
  bool CanChange();
  bool UndoEnabled();
  /// -1 (record no undo) unless UndoEnabled, else GetMyItemNo.
  int GetEditorItemNoForUndo();
  /// The formatted width must be computed again.
  void Changed() { State |= rvtsFormatWidth; }
  void ChangeEditor(bool ClearRedo);
  void SetTableProperty(const std::string& PropName, int32_t Value, bool AffectWidth, bool AffectSize);
  void SetCellProperty(int ItemNo, const std::string& PropName, bool AffectWidth, bool AffectSize, int Row,
                       int Col, int32_t Value);
  void SetCellBestWidth(int ItemNo, TRVHTMLLength Width, int Row, int Col);
  void SetCellBestHeight(int ItemNo, int32_t Height, int Row, int Col);
  /// Sets a published integer, colour, enumeration or Boolean property as its setter does:
  /// in a document through SetTableProperty, elsewhere by storing the field. ERVError for
  /// a name that is no such property.
  void SetIntProperty(const std::string& PropName, int32_t Value);
  void SetBestWidth(TRVHTMLLength Value) { SetIntProperty("BestWidth", Value); }
  void SetColor(TColor Value) { SetIntProperty("Color", static_cast<int32_t>(Value)); }
  void SetHeadingRowCount(int32_t Value) { SetIntProperty("HeadingRowCount", Value); }
  void SetBorderWidth(int32_t Value) { SetIntProperty("BorderWidth", Value); }
  void SetBorderColor(TColor Value) { SetIntProperty("BorderColor", static_cast<int32_t>(Value)); }
  void SetBorderLightColor(TColor Value) { SetIntProperty("BorderLightColor", static_cast<int32_t>(Value)); }
  void SetBorderStyle(TRVTableBorderStyle Value) { SetIntProperty("BorderStyle", Value); }
  void SetBorderVSpacing(int32_t Value) { SetIntProperty("BorderVSpacing", Value); }
  void SetBorderHSpacing(int32_t Value) { SetIntProperty("BorderHSpacing", Value); }
  void SetCellBorderWidth(int32_t Value) { SetIntProperty("CellBorderWidth", Value); }
  void SetCellBorderColor(TColor Value) { SetIntProperty("CellBorderColor", static_cast<int32_t>(Value)); }
  void SetCellBorderLightColor(TColor Value) {
    SetIntProperty("CellBorderLightColor", static_cast<int32_t>(Value));
  }
  void SetCellPadding(int32_t Value) { SetIntProperty("CellPadding", Value); }
  void SetCellBorderStyle(TRVTableBorderStyle Value) { SetIntProperty("CellBorderStyle", Value); }
  void SetVRuleWidth(int32_t Value) { SetIntProperty("VRuleWidth", Value); }
  void SetVRuleColor(TColor Value) { SetIntProperty("VRuleColor", static_cast<int32_t>(Value)); }
  void SetHRuleWidth(int32_t Value) { SetIntProperty("HRuleWidth", Value); }
  void SetHRuleColor(TColor Value) { SetIntProperty("HRuleColor", static_cast<int32_t>(Value)); }
  void SetCellVSpacing(int32_t Value) { SetIntProperty("CellVSpacing", Value); }
  void SetCellHSpacing(int32_t Value) { SetIntProperty("CellHSpacing", Value); }
  void SetVOutermostRule(bool Value) { SetIntProperty("VOutermostRule", Value); }
  void SetHOutermostRule(bool Value) { SetIntProperty("HOutermostRule", Value); }

  // Editing: the in-place cell editor and keyboard navigation.
  /// Opens the cell editor on (Row, Col); ItemNo -1 is GetMyItemNo.
  void OpenCellEditor(int ItemNo, int Row, int Col, bool Prepare, bool CaretAtStart, bool CaretAtEnd,
                      uint32_t ClickTime, bool SkipCheck);
  /// Closes the cell editor, storing its content in the cell or not.
  void DestroyInplace(bool StoreContent);
  /// Opens the editor on a cell also when the table is nested in a cell of another table.
  void EditCell(int Row, int Col, bool SkipCheck);
  /// The cell next to (Row, Col) in Direction (0 left, 1 up, 2 right, 3 down, 6 next, 7
  /// previous); False when there is none (OnLeaveMe fires unless NoLeaveEvent).
  bool GetAdjacentCell(int Row, int Col, bool NoLeaveEvent, int& NewCol, int& NewRow, int Direction);
  /// Moves the caret into the table: From 0 before, 1 after, 2 above, 3 below (X picks the
  /// column); False when it cannot.
  bool EnterFrom(int From, int32_t X);
  /// The cell document at Position, null when none: 0 the first and 1 the last cell that
  /// may be edited, 2 the bottom-right and 3 the top-left cell of the selected cells (or of
  /// the edited cell, else the focused cell), 4 the next and 5 the previous one from Store.
  /// Positions 0 to 3 put a new position in Store; 4 and 5 move it.
  TCustomRVData* GetSubRVData(std::unique_ptr<TRVStoreSubRVData>& Store, int Position);
  /// Makes the cell at Store the focused one, opening the cell editor on it in an editor.
  void ChooseSubRVData(const TRVStoreSubRVData& Store);
  bool SearchText(bool Down, int Flags, const std::string& Text);
  void ClearSearch();

  // Published properties, in declaration order.
  TRVTableOptions Options = rvtoDefaultOptions;
  TRVTablePrintOptions PrintOptions = rvtoDefaultPrintOptions;
  TRVHTMLLength BestWidth = 0;
  TColor Color = clWindow;
  int32_t HeadingRowCount = 0;
  std::string TextRowSeparator = "\r\n";
  std::string TextColSeparator = "\r\n";
  int32_t BorderWidth = 0;
  TColor BorderColor = clWindowText;
  TColor BorderLightColor = clBtnHighlight;
  TRVTableBorderStyle BorderStyle = rvtbRaised;
  int32_t BorderVSpacing = 2;
  int32_t BorderHSpacing = 2;
  int32_t CellBorderWidth = 0;
  TColor CellBorderColor = clWindowText;
  TColor CellBorderLightColor = clBtnHighlight;
  int32_t CellPadding = 1;
  TRVTableBorderStyle CellBorderStyle = rvtbLowered;
  int32_t VRuleWidth = 0;
  TColor VRuleColor = clWindowText;
  int32_t HRuleWidth = 0;
  TColor HRuleColor = clWindowText;
  int32_t CellVSpacing = 2;
  int32_t CellHSpacing = 2;
  bool VOutermostRule = false;
  bool HOutermostRule = false;
  TRVCellEditingEvent OnCellEditing;
  TRVCellEndEditEvent OnCellEndEdit;
  TRVCellAllowEditEvent OnCellAllowEdit;
  TRVLeaveMeEvent OnLeaveMe;
  TRVOnTableCellClick OnTableCellClick;
  TRVCellInplaceCreateEvent OnCellInplaceCreate;
  TRVTableDrawBorderEvent OnDrawBorder;

  uint16_t State = 0;
  /// The editor's recorder of grid operations; null records nothing.
  TRVTableUndoSink* UndoSink = nullptr;
  /// The open in-place cell editor, null when none.
  TRVTableCellEditorLink* CellEditor = nullptr;
  TRVTableItemFormattingInfo FormattingInfo;
  // Hit-test memory, selection and the further cell coordinates of mouse and keyboard work.
  int LastHitRow = -1;
  int LastHitCol = -1;
  /// The cell that last received a click, -1 when none.
  int FocusedCellRow = -1;
  int FocusedCellCol = -1;
  int SelStartRow = -1;
  int SelStartCol = -1;
  int SelRowOffs = 0;
  int SelColOffs = 0;
  int MoreCoords[4] = {-1, -1, -1, -1};
  // Mouse work (RVTableMouse.cpp).
  /// A selection drag that started in a cell is in progress.
  bool DragSelecting = false;
  /// A dragged border: its index, the start of the row or column before it, the offset
  /// between the border and the pointer at the press, which kind, and Shift at the press.
  int SizingIndex = -1;
  int32_t SizingStart = 0;
  int32_t SizingOffset = 0;
  bool SizingCols = false;
  bool SizingShift = false;
  /// A cell editor closed for an operation (StoreInplace): where it was and its selection.
  bool InplaceStored = false;
  int StoredRow = -1;
  int StoredCol = -1;
  int StoredSelection[4] = {-1, 0, -1, 0};
  TCustomRVItemInfo* StoredPartialItem = nullptr;
  /// Pending-click state, reset by every mouse handler.
  int PendingClick[2] = {0, 0};
  /// The cell a search goes on from, -1 when none.
  int SearchRow = -1;
  int SearchCol = -1;
  // Saved-row range of the RVF writer and its busy count.
  /// The resolutions to convert to while measuring for a device; null on the screen.
  const TRVFormatScale* DeviceScale = nullptr;
  /// The device canvas a printed layout measures its cells on, while it is made.
  TCanvas* DeviceCanvas = nullptr;
  // Client coordinates of the table, kept for the cells' scroll offsets.
  int32_t ClientLeft = 0;
  int32_t ClientTop = 0;
  int SaveRowStart = 0;
  int SaveRowCount = 0;
  int BusyCount = 0;

 private:
  void InitTable(int nRows, int nCols, TCustomRVData* RVData);
  /// Data is one of the table's cells, or lies in a table nested in one.
  bool HoldsData(const TCustomRVData* Data) const;
  /// An item of a cell (or of a nested table's cell) carries Checkpoint.
  bool HoldsCheckpoint(const TRVCPInfo* Checkpoint) const;
  /// Drops what the formatted documents around the table keep of its cells: hyperlink
  /// areas, the hovered document and the checkpoint last reported visible.
  void ForgetCellsInParents();
  void ForEachCell(const std::function<void(TRVTableCellData&)>& Action) const;
  /// The first cell in reading order whose active document holds an item with Control, and
  /// that item's number there; null when none.
  TCustomRVData* FindControlData(const TObject* Control, int& ItemNo) const;

  std::unique_ptr<TRVTableRows> Rows_;
  std::unique_ptr<TRVBackground> Background_;
  mutable int ItemNoHint_ = -1;
};

/// The position of a cell, as enumeration state of GetSubDocument and parent information.
class TRVTableStoreSubRVData : public TRVStoreSubRVData {
 public:
  TRVTableStoreSubRVData(int Row, int Col) : Row(Row), Col(Col) {}
  std::string ClassName() const override { return "TRVTableStoreSubRVData"; }
  int Row;
  int Col;
};
