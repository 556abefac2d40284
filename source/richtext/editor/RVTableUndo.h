// The undo records of table editing. Each knows its table by the item number in the
// editor's document and its cells by row and column; undoing one writes the inverse record
// and performs the inverse grid operation. The table's grid operations describe what they
// change in TRVTableUndoRecord objects (RVTable.h); TRVTableUndoRecorder, the sink the
// editor installs in a table, turns those into the records below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphic.h"
#include "richtext/editor/RVUndo.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

class TRVEditRVData;

/// The table at ItemNo of RVData; ERVError when the item is no table.
TRVTableItemInfo& RVUndoTable(TRVEditRVData* RVData, int ItemNo);

/// A property of one cell: the cell at (Row, Col) is the object put back.
class TRVUndoModifyCellIntProperty : public TRVUndoModifyItemIntProperty {
 public:
  std::string ClassName() const override { return "TRVUndoModifyCellIntProperty"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyCellIntProperty>;
  }
  TPersistent* GetSubObject(TRVEditRVData* RVData) override;
  void AssignToRedo(TRVUndoModifyItemProps* RedoInfo) override;

  int Row = 0;
  int Col = 0;
};

class TRVUndoModifyCellIntProperties : public TRVUndoModifyItemIntProperties {
 public:
  std::string ClassName() const override { return "TRVUndoModifyCellIntProperties"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyCellIntProperties>;
  }
  TPersistent* GetSubObject(TRVEditRVData* RVData) override;
  void AssignToRedo(TRVUndoModifyItemProps* RedoInfo) override;

  int Row = 0;
  int Col = 0;
};

/// The base of the table records whose redo record is made by hand.
class TRVUndoTableRecord : public TRVUndoModifyItemProps {
 public:
  TRVUndoTableRecord() {
    Action = rvuaModifyItem;
    AffectWidth = true;
    AffectSize = true;
  }
  std::string ClassName() const override { return "TRVUndoTableRecord"; }

  /// The holder that cells this record keeps out of the grid refer to; it answers their
  /// document (Document, made on first use). Declared before the cells so that it outlives
  /// them.
  TRVTableUndoRecord* CellHolder(TCustomRVData* Document);
  std::unique_ptr<TRVTableUndoRecord> Holder;
};

class TRVUndoModifyCellVisibleBorders : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoModifyCellVisibleBorders"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyCellVisibleBorders>;
  }
  void Undo(TRVEditRVData* RVData) override;

  int Row = 0;
  int Col = 0;
  bool Left = true;
  bool Right = true;
  bool Top = true;
  bool Bottom = true;
};

class TRVUndoModifyBackgroundImage : public TRVUndoTableRecord {
 public:
  ~TRVUndoModifyBackgroundImage() override;
  std::string ClassName() const override { return "TRVUndoModifyBackgroundImage"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyBackgroundImage>;
  }
  void Undo(TRVEditRVData* RVData) override;

  int Row = -1;  // -1 and -1: the table's own picture
  int Col = -1;
  std::unique_ptr<TGraphic> Image;
};

class TRVUndoInsertTableRows : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoInsertTableRows"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoInsertTableRows>;
  }
  void Undo(TRVEditRVData* RVData) override;

  int Index = 0;
  int Count = 0;
  bool Insert = false;
};

class TRVUndoInsertTableCell : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoInsertTableCell"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoInsertTableCell>;
  }
  void Undo(TRVEditRVData* RVData) override;

  int Row = 0;
  int Col = 0;
  bool Insert = false;
};

class TRVUndoSpreadOverEmptyCells : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoSpreadOverEmptyCells"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoSpreadOverEmptyCells>;
  }
  void Undo(TRVEditRVData* RVData) override;

  int Row = 0;
  int Col = 0;
  int ColSpan = 0;
  bool Spread = false;
};

class TRVUndoSpan : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoSpan"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override { return RVUndoPropsClass<TRVUndoSpan>; }
  void Undo(TRVEditRVData* RVData) override;

  bool Horizontal = false;
  int Row = 0;
  int Col = 0;
  int Value = 0;
};

class TRVUndoFreeEmptyCell : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoFreeEmptyCell"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override { return RVUndoPropsClass<TRVUndoFreeEmptyCell>; }
  void Undo(TRVEditRVData* RVData) override;

  bool Free = false;
  int Row = 0;
  int Col = 0;
  int ColCount = 0;
  int RowCount = 0;
};

class TRVUndoInsertEmptyCell : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoInsertEmptyCell"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoInsertEmptyCell>;
  }
  void Undo(TRVEditRVData* RVData) override;

  bool Insert = false;
  int Row = 0;
  int Col = 0;
  int ColCount = 0;
  int RowCount = 0;
};

class TRVUndoCellSpitVert : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoCellSpitVert"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override { return RVUndoPropsClass<TRVUndoCellSpitVert>; }
  void Undo(TRVEditRVData* RVData) override;

  bool Split = false;
  bool AdjustWidth = false;
  int Row = 0;
  int Col = 0;
  int AtCol = 0;
  TRVHTMLLength BestWidth = 0;
};

/// Records that keep cells out of the grid; the cells are freed with the record.
class TCustomRVUndoWithCells : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TCustomRVUndoWithCells"; }

  bool Forward = false;
  std::vector<std::unique_ptr<TRVTableCellData>> Cells;
};

class TRVUndoDeleteCols : public TCustomRVUndoWithCells {
 public:
  std::string ClassName() const override { return "TRVUndoDeleteCols"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override { return RVUndoPropsClass<TRVUndoDeleteCols>; }
  void Undo(TRVEditRVData* RVData) override;

  int Index = 0;
  int Count = 0;
};

class TRVUndoCellsClear : public TCustomRVUndoWithCells {
 public:
  std::string ClassName() const override { return "TRVUndoCellsClear"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override { return RVUndoPropsClass<TRVUndoCellsClear>; }
  void Undo(TRVEditRVData* RVData) override;

  TRVIntegerList Rows;
  TRVIntegerList Cols;
};

class TRVUndoMerge : public TRVUndoTableRecord {
 public:
  std::string ClassName() const override { return "TRVUndoMerge"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override { return RVUndoPropsClass<TRVUndoMerge>; }
  void Undo(TRVEditRVData* RVData) override;

  bool Merge = false;
  int Row = 0;
  int Col = 0;
  int OldColSpan = 1;
  int OldRowSpan = 1;
  int ColCount = 0;
  int RowCount = 0;
  TRVHTMLLength OldBestWidth = 0;
  std::vector<TRVUndoMergeItem> Items;
};

/// The undo groups of a cell's in-place editor, kept whole when the editor closed; undoing
/// hands them back to a cell editor reopened on the cell.
class TRVUndoCellModify : public TRVCompositeUndo {
 public:
  std::string ClassName() const override { return "TRVUndoCellModify"; }
  void Undo(TRVEditRVData* RVData) override;

  int Row = 0;
  int Col = 0;
  int SelStartItemNo = 0;
  int SelStartOffs = 0;
};

/// The undo groups of a change applied to several selected cells, GroupCounts[k] groups
/// for cell (Rows[k], Cols[k]).
class TRVUndoMultiCellsModify : public TRVCompositeUndo {
 public:
  std::string ClassName() const override { return "TRVUndoMultiCellsModify"; }
  void Undo(TRVEditRVData* RVData) override;
  bool RequiresFormat() const override { return true; }
  bool NeedsFullReformatBefore(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  TRVIntegerList Rows;
  TRVIntegerList Cols;
  TRVIntegerList GroupCounts;

 private:
  int32_t MeasuredWidth_ = 0;
};

/// Appends a new table record of RecordClass to the list that receives records now, with
/// the table's ItemNo and the two reformat flags; null when nothing is recorded.
TRVUndoModifyItemProps* CreateTableUndoRecord(TRVEditRVData* RVData, TRVUndoModifyItemPropsClass RecordClass,
                                              int ItemNo, bool AffectWidth, bool AffectSize);

/// Replaces the listed cells (Rows[k], Cols[k]) by empty ones with the same attributes, size
/// and spans; the old cells go to Keeper, detached, or without a keeper are emptied in place.
void RVTableClearCells(TRVTableItemInfo& Table, const TRVIntegerList& Rows, const TRVIntegerList& Cols,
                       TRVUndoCellsClear* Keeper);

/// The sink the editor installs in each table of its documents: turns the grid operations'
/// descriptions into the records above.
class TRVTableUndoRecorder : public TRVTableUndoSink {
 public:
  explicit TRVTableUndoRecorder(TRVEditRVData* ARVData) : RVData(ARVData) {}
  void ModifyItemTerminator(int ItemNo, bool Opening) override;
  void Record(std::unique_ptr<TRVTableUndoRecord> Record) override;

  TRVEditRVData* RVData;
};
