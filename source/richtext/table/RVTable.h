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

#include "richtext/core/RVBack.h"
#include "richtext/core/RVClasses.h"
#include "richtext/core/RVItem.h"
#include "richtext/viewer/RVDataList.h"

class TFiler;
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
  TRVHTMLLength OldBestWidth = 0;
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

/// Results of the last layout of a table.
class TRVTableItemFormattingInfo {
 public:
  void Clear();

  TRVIntegerList ColWidths;
  TRVIntegerList RowHeights;
  TRVIntegerList ColStarts;
  TRVIntegerList RowStarts;
  int32_t Width = 0;
  int32_t Height = 0;
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
  void FillNewCell(int ItemNo, TRVTableCellData& Cell, const TRVTableCellData& Copy, TRVHTMLLength BestWidth,
                   int32_t BestHeight);
  void SplitCellVertically(int ItemNo, int Row, int Col, int NewCol, int NewColSpan, bool DivideWidth);

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

/// Background pictures of tables and cells: a background exists only while it shows a
/// picture or a style other than rvbsColor.
TGraphic* RVTableBackgroundImage(const std::unique_ptr<TRVBackground>& Background);
void RVTableSetBackgroundImage(std::unique_ptr<TRVBackground>& Background, const TGraphic* Image,
                               TCustomRVData* RVData);
TRVItemBackgroundStyle RVTableBackgroundStyle(const std::unique_ptr<TRVBackground>& Background);
void RVTableSetBackgroundStyle(std::unique_ptr<TRVBackground>& Background, TRVItemBackgroundStyle Value);

/// Registers the table class under rvsTable with the item factory; runs at start-up and
/// again harmlessly.
void RVRegisterTableItemClass();

class TRVTableItemInfo : public TRVFullLineItemInfo {
  ZUK_RV_ITEM_CLASS(TRVTableItemInfo)

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

  /// Answers rvfqOwnLine and the canvas-font, Unicode-text and text-only queries.
  bool QueryFeature(int Code) const override;
  int32_t GetTotalHeight() const override { return FormattingInfo.Height; }
  int32_t GetTotalWidth() const override { return FormattingInfo.Width; }
  void Inserted(TCustomRVData* RVData, int ItemNo) override;
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
  /// Forgets the cell hit last.
  void ClearFocusHook() override;
  /// Stores where the table is in RVData's client area, where its cells' scroll offsets
  /// come from (a hit test into a cell needs them current).
  void RefreshClientCoords(TCustomRVData* RVData) override;
  bool CanEditCell(int Row, int Col) override;
  /// The hyperlink areas of every cell, in the coordinates of the document holding the table
  /// drawn at (Left, Top), numbered on from StartJumpNo.
  void BuildSubJumps(int32_t Left, int32_t Top, TObjectList<TRVJumpInfo>& List, int& StartJumpNo) override;
  void DoCellClick(int Row, int Col) override;

  // RVF (RVTableRVF.cpp).
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               bool ForceSameAsPrev) override;
  bool ReadRVFLine(std::string_view S, TRVFLineContext& Context) override;
  /// The table's component stream ("TPF0", the root TRVTableSW with T., C and RowVAlign).
  void WriteComponentStream(TStream& Stream);
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

  uint16_t State = 0;
  /// The editor's recorder of grid operations; null records nothing.
  TRVTableUndoSink* UndoSink = nullptr;
  TRVTableItemFormattingInfo FormattingInfo;
  // Hit-test memory, selection and the further cell coordinates of mouse and keyboard work.
  int LastHitRow = -1;
  int LastHitCol = -1;
  int SelStartRow = -1;
  int SelStartCol = -1;
  int SelRowOffs = 0;
  int SelColOffs = 0;
  int MoreCoords[4] = {-1, -1, -1, -1};
  // Saved-row range of the RVF writer and its busy count.
  /// The resolutions to convert to while measuring for a device; null on the screen.
  const TRVFormatScale* DeviceScale = nullptr;
  // Client coordinates of the table, kept for the cells' scroll offsets.
  int32_t ClientLeft = 0;
  int32_t ClientTop = 0;
  int SaveRowStart = 0;
  int SaveRowCount = 0;
  int BusyCount = 0;

 private:
  void InitTable(int nRows, int nCols, TCustomRVData* RVData);

  std::unique_ptr<TRVTableRows> Rows_;
  std::unique_ptr<TRVBackground> Background_;
};

/// The position of a cell, as enumeration state of GetSubDocument and parent information.
class TRVTableStoreSubRVData : public TRVStoreSubRVData {
 public:
  TRVTableStoreSubRVData(int Row, int Col) : Row(Row), Col(Col) {}
  std::string ClassName() const override { return "TRVTableStoreSubRVData"; }
  int Row;
  int Col;
};
