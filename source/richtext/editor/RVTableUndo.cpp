// Undo records of table editing. Undoing a record writes its inverse into the list that
// receives records now (the redo list while undoing, the undo list while redoing) and then
// performs the inverse grid operation directly on the rows, so that the grid operation
// itself records nothing more. Cells that leave the grid are detached and travel inside the
// record; cells that come back are the very objects that left.
#include "richtext/editor/RVTableUndo.h"

#include <algorithm>
#include <utility>

#include "platform/gui/Messaging.h"
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"

namespace {

TRVTableCellData& CellAt(TRVTableItemInfo& Table, int Row, int Col) {
  TRVTableCellData* cell = Table.GetCell(Row, Col);
  if (cell == nullptr) throw ERVError("Undo error");
  return *cell;
}

/// Writes the record that reverses Record's undo: a new record of its redo class with the
/// same item number and the given reformat flags; null when nothing is recorded.
template <typename R>
R* WriteInverse(const TRVUndoModifyItemProps& Record, TRVEditRVData* RVData, bool AffectWidth,
                bool AffectSize) {
  return static_cast<R*>(
      CreateTableUndoRecord(RVData, Record.GetRedoClass(), Record.ItemNo, AffectWidth, AffectSize));
}

template <typename R>
R* WriteInverse(const TRVUndoModifyItemProps& Record, TRVEditRVData* RVData) {
  return WriteInverse<R>(Record, RVData, Record.AffectWidth, Record.AffectSize);
}

/// A slot taken out of the grid: kept by Keeper (a cell detached, referring to the keeper's
/// holder) or, without a keeper, freed.
void KeepOrFree(std::unique_ptr<TRVTableCellData> Cell, TCustomRVUndoWithCells* Keeper,
                TCustomRVData* Document) {
  if (Keeper == nullptr) return;  // the cell is freed here
  if (Cell) Cell->DetachItems(Keeper->CellHolder(Document));
  Keeper->Cells.push_back(std::move(Cell));
}

std::unique_ptr<TRVTableCellData> ExtractCell(TRVTableRow& Row, int Col) {
  return std::unique_ptr<TRVTableCellData>(static_cast<TRVTableCellData*>(Row.Extract(Col).release()));
}

// ---- the inverse grid operations -------------------------------------------------------

void InsertRowsAt(TRVTableRows& Rows, int Index, int Count) {
  const int colCount = Rows.GetColCount();
  for (int i = 0; i < Count; ++i) Rows.InsertRow(Index, colCount);
}

void DeleteRowsAt(TRVTableRows& Rows, int Index, int Count) {
  for (int i = 0; i < Count; ++i) Rows.Delete(Index);
}

void FreeCells(TRVTableRows& Rows, int Row, int Col, int RowCount, int ColCount) {
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c) Rows.Get(r)->TakeCell(c).reset();
}

void CreateCells(TRVTableRows& Rows, int Row, int Col, int RowCount, int ColCount) {
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c)
      Rows.Get(r)->PutCell(c, std::make_unique<TRVTableCellData>(Rows.Get(r))).reset();
}

void InsertEmptySlots(TRVTableRows& Rows, int Row, int Col, int RowCount, int ColCount) {
  for (int r = Row; r < Row + RowCount; ++r)
    for (int i = 0; i < ColCount; ++i) Rows.Get(r)->InsertEmptySlot(Col);
}

void DeleteSlots(TRVTableRows& Rows, int Row, int Col, int RowCount, int ColCount) {
  for (int r = Row; r < Row + RowCount; ++r)
    for (int i = 0; i < ColCount; ++i) Rows.Get(r)->Delete(Col);
}

/// Splits the cell at (Row, Col) at column AtCol: the part from AtCol on becomes a new cell.
void SplitCellVertically(TRVTableRows& Rows, int Row, int Col, bool AdjustWidth, int AtCol) {
  const TRVTableCellData* old = Rows.Get(Row)->GetCell(Col);
  if (old == nullptr || AtCol <= Col || AtCol >= Col + old->ColSpan) throw ERVError("Undo error");
  Rows.SplitCellVertically(-1, Row, Col, AtCol, Col + old->ColSpan - AtCol, AdjustWidth);
}

/// Merges the rectangle into its top-left cell; the absorbed cells go to Keeper's Items
/// (or are freed without a keeper).
void DoMergeCells(TRVTableRows& Rows, int Row, int Col, int ColCount, int RowCount, TRVUndoMerge* Keeper) {
  TRVTableCellData& topLeft = *Rows.Get(Row)->GetCell(Col);
  topLeft.BestWidth = Rows.GetBestWidthOfRange(Row, Col, RowCount, ColCount);
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c) {
      if ((r == Row && c == Col) || Rows.Get(r)->GetCell(c) == nullptr) continue;
      std::unique_ptr<TRVTableCellData> cell = Rows.Get(r)->TakeCell(c);
      int moved = 0;
      if (cell->HasContent(false)) {
        moved = cell->GetItemCount();
        topLeft.AppendItemsFrom(cell.get());
      }
      if (Keeper == nullptr) continue;
      cell->DetachItems(Keeper->CellHolder(Rows.GetRVData()));
      Keeper->Items.push_back({r, c, moved, std::move(cell)});
    }
  topLeft.RowSpan = RowCount;
  topLeft.ColSpan = ColCount;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Shared

TRVTableItemInfo& RVUndoTable(TRVEditRVData* RVData, int ItemNo) {
  if (RVData == nullptr || ItemNo < 0 || ItemNo >= RVData->GetItemCount()) throw ERVError("Undo error");
  auto* table = dynamic_cast<TRVTableItemInfo*>(RVData->GetItem(ItemNo));
  if (table == nullptr) throw ERVError("Undo error: the item is not a table");
  return *table;
}

TRVUndoModifyItemProps* CreateTableUndoRecord(TRVEditRVData* RVData, TRVUndoModifyItemPropsClass RecordClass,
                                              int ItemNo, bool AffectWidth, bool AffectSize) {
  TRVUndoList* list = RVData != nullptr ? RVData->GetUndoList() : nullptr;
  if (list == nullptr) return nullptr;
  std::unique_ptr<TRVUndoModifyItemProps> record = RecordClass();
  record->Action = rvuaModifyItem;
  record->ItemNo = ItemNo;
  record->AffectWidth = AffectWidth;
  record->AffectSize = AffectSize;
  return static_cast<TRVUndoModifyItemProps*>(list->AddInfo(std::move(record)));
}

TRVTableUndoRecord* TRVUndoTableRecord::CellHolder(TCustomRVData* Document) {
  if (!Holder) {
    Holder = std::make_unique<TRVTableUndoRecord>();
    Holder->Document = Document;
    Holder->ItemNo = ItemNo;
  }
  return Holder.get();
}

// ---------------------------------------------------------------------------------------
// Cell properties

TPersistent* TRVUndoModifyCellIntProperty::GetSubObject(TRVEditRVData* RVData) {
  return &CellAt(RVUndoTable(RVData, ItemNo), Row, Col);
}

void TRVUndoModifyCellIntProperty::AssignToRedo(TRVUndoModifyItemProps* RedoInfo) {
  if (auto* redo = dynamic_cast<TRVUndoModifyCellIntProperty*>(RedoInfo)) {
    redo->Row = Row;
    redo->Col = Col;
  }
}

TPersistent* TRVUndoModifyCellIntProperties::GetSubObject(TRVEditRVData* RVData) {
  return &CellAt(RVUndoTable(RVData, ItemNo), Row, Col);
}

void TRVUndoModifyCellIntProperties::AssignToRedo(TRVUndoModifyItemProps* RedoInfo) {
  if (auto* redo = dynamic_cast<TRVUndoModifyCellIntProperties*>(RedoInfo)) {
    redo->Row = Row;
    redo->Col = Col;
  }
}

void TRVUndoModifyCellVisibleBorders::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  TRVTableCellData& cell = CellAt(table, Row, Col);
  if (auto* inverse = WriteInverse<TRVUndoModifyCellVisibleBorders>(*this, RVData, false, false)) {
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->Left = cell.VisibleBorders.Left;
    inverse->Right = cell.VisibleBorders.Right;
    inverse->Top = cell.VisibleBorders.Top;
    inverse->Bottom = cell.VisibleBorders.Bottom;
  }
  cell.VisibleBorders.Left = Left;
  cell.VisibleBorders.Right = Right;
  cell.VisibleBorders.Top = Top;
  cell.VisibleBorders.Bottom = Bottom;
  table.Changed();
}

TRVUndoModifyBackgroundImage::~TRVUndoModifyBackgroundImage() = default;

void TRVUndoModifyBackgroundImage::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  const bool ofTable = Row < 0 || Col < 0;
  TRVTableCellData* cell = ofTable ? nullptr : &CellAt(table, Row, Col);
  std::unique_ptr<TGraphic> current = ofTable ? table.TakeBackgroundImage() : cell->TakeBackgroundImage();
  if (auto* inverse = WriteInverse<TRVUndoModifyBackgroundImage>(*this, RVData, false, false)) {
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->Image = std::move(current);
  }
  if (ofTable)
    table.GiveBackgroundImage(std::move(Image));
  else
    cell->GiveBackgroundImage(std::move(Image));
  table.Changed();
}

// ---------------------------------------------------------------------------------------
// Structure

void TRVUndoInsertTableRows::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  if (auto* inverse = WriteInverse<TRVUndoInsertTableRows>(*this, RVData)) {
    inverse->Index = Index;
    inverse->Count = Count;
    inverse->Insert = !Insert;
  }
  if (Insert)
    InsertRowsAt(table.Rows(), Index, Count);
  else
    DeleteRowsAt(table.Rows(), Index, Count);
  table.Changed();
}

void TRVUndoInsertTableCell::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  if (auto* inverse = WriteInverse<TRVUndoInsertTableCell>(*this, RVData)) {
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->Insert = !Insert;
  }
  if (Insert)
    table.Rows().Get(Row)->InsertCell(Col);
  else
    table.Rows().Get(Row)->Delete(Col);
  table.Changed();
}

void TRVUndoSpreadOverEmptyCells::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  if (auto* inverse = WriteInverse<TRVUndoSpreadOverEmptyCells>(*this, RVData)) {
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->ColSpan = ColSpan;
    inverse->Spread = !Spread;
  }
  if (Spread)
    table.Rows().SpreadOverEmptyCells(Row, Col, ColSpan);
  else
    table.Rows().UnspreadOverEmptyCells(Row, Col, ColSpan);
  table.Changed();
}

void TRVUndoSpan::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  TRVTableCellData& cell = CellAt(table, Row, Col);
  int& span = Horizontal ? cell.ColSpan : cell.RowSpan;
  if (auto* inverse = WriteInverse<TRVUndoSpan>(*this, RVData)) {
    inverse->Horizontal = Horizontal;
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->Value = span;
  }
  span = Value;
  table.Changed();
}

void TRVUndoFreeEmptyCell::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  if (auto* inverse = WriteInverse<TRVUndoFreeEmptyCell>(*this, RVData)) {
    inverse->Free = !Free;
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->ColCount = ColCount;
    inverse->RowCount = RowCount;
  }
  if (Free)
    FreeCells(table.Rows(), Row, Col, RowCount, ColCount);
  else
    CreateCells(table.Rows(), Row, Col, RowCount, ColCount);
  table.Changed();
}

void TRVUndoInsertEmptyCell::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  if (auto* inverse = WriteInverse<TRVUndoInsertEmptyCell>(*this, RVData)) {
    inverse->Insert = !Insert;
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->ColCount = ColCount;
    inverse->RowCount = RowCount;
  }
  if (Insert)
    InsertEmptySlots(table.Rows(), Row, Col, RowCount, ColCount);
  else
    DeleteSlots(table.Rows(), Row, Col, RowCount, ColCount);
  table.Changed();
}

void TRVUndoCellSpitVert::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  TRVTableCellData& cell = CellAt(table, Row, Col);
  if (auto* inverse = WriteInverse<TRVUndoCellSpitVert>(*this, RVData)) {
    inverse->Split = !Split;
    inverse->AdjustWidth = AdjustWidth;
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->AtCol = AtCol;
    // Joining again gives the cell back the width it has before this split.
    inverse->BestWidth = Split ? cell.BestWidth : BestWidth;
  }
  if (Split)
    SplitCellVertically(table.Rows(), Row, Col, AdjustWidth, AtCol);
  else
    table.Rows().JoinCellsHorizontally(Row, Col, BestWidth, AtCol);
  table.Changed();
}

// ---------------------------------------------------------------------------------------
// Records holding cells

void TRVUndoDeleteCols::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  TRVTableRows& rows = table.Rows();
  auto* inverse = WriteInverse<TRVUndoDeleteCols>(*this, RVData);
  if (inverse != nullptr) {
    inverse->Forward = !Forward;
    inverse->Index = Index;
    inverse->Count = Count;
  }
  if (Forward) {
    // Row by row, the last column first: the order in which restoring takes them back.
    for (int r = 0; r < rows.Count(); ++r)
      for (int c = Index + Count - 1; c >= Index; --c)
        KeepOrFree(ExtractCell(*rows.Get(r), c), inverse, rows.GetRVData());
  } else {
    if (static_cast<int64_t>(Cells.size()) != static_cast<int64_t>(rows.Count()) * Count)
      throw ERVError("Undo error");
    size_t next = 0;
    for (int r = 0; r < rows.Count(); ++r)
      for (int i = 0; i < Count; ++i) {
        std::unique_ptr<TRVTableCellData> cell = std::move(Cells[next++]);
        TRVTableCellData* restored = cell.get();
        rows.Get(r)->InsertCellObject(Index, std::move(cell));
        if (restored != nullptr) restored->ReattachItems();
      }
    Cells.clear();
  }
  table.Changed();
}

void RVTableClearCells(TRVTableItemInfo& Table, const TRVIntegerList& Rows, const TRVIntegerList& Cols,
                       TRVUndoCellsClear* Keeper) {
  TRVTableRows& rows = Table.Rows();
  if (Keeper == nullptr) {
    std::vector<std::pair<int, int>> cells;
    for (int k = 0; k < Rows.Count(); ++k) cells.emplace_back(Rows[k], Cols[k]);
    rows.ClearCells(cells);
    return;
  }
  auto* parent = dynamic_cast<TCustomRVFormattedData*>(rows.GetRVData());
  for (int k = 0; k < Rows.Count(); ++k) {
    TRVTableRow* row = rows.Get(Rows[k]);
    TRVTableCellData& old = CellAt(Table, Rows[k], Cols[k]);
    old.Deselect(nullptr, false);
    auto cell = std::make_unique<TRVTableCellData>(row);
    cell->AssignAttributesFrom(old, true, 1, 1);
    cell->AssignSizeFrom(old);
    cell->RowSpan = old.RowSpan;
    cell->ColSpan = old.ColSpan;
    TRVTableCellData* fresh = cell.get();
    std::unique_ptr<TRVTableCellData> kept = row->PutCell(Cols[k], std::move(cell));
    if (parent != nullptr && parent->GetFocusedSubData() == kept.get()) parent->ReplaceFocusedSubData(fresh);
    kept->DetachItems(Keeper->CellHolder(rows.GetRVData()));
    Keeper->Cells.push_back(std::move(kept));
  }
}

void TRVUndoCellsClear::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  auto* inverse = WriteInverse<TRVUndoCellsClear>(*this, RVData);
  if (inverse != nullptr) {
    inverse->Forward = !Forward;
    inverse->Rows.CopyFrom(Rows);
    inverse->Cols.CopyFrom(Cols);
  }
  if (Forward) {
    RVTableClearCells(table, Rows, Cols, inverse);
  } else {
    if (static_cast<int>(Cells.size()) != Rows.Count() || Rows.Count() != Cols.Count())
      throw ERVError("Undo error");
    for (int k = 0; k < Rows.Count(); ++k) {
      TRVTableCellData* restored = Cells[static_cast<size_t>(k)].get();
      table.Rows().Get(Rows[k])->PutCell(Cols[k], std::move(Cells[static_cast<size_t>(k)])).reset();
      if (restored != nullptr) restored->ReattachItems();
    }
    Cells.clear();
  }
  table.Changed();
}

void TRVUndoMerge::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  TRVTableRows& rows = table.Rows();
  TRVTableCellData& topLeft = CellAt(table, Row, Col);
  auto* inverse = WriteInverse<TRVUndoMerge>(*this, RVData);
  if (inverse != nullptr) {
    inverse->Merge = !Merge;
    inverse->Row = Row;
    inverse->Col = Col;
    inverse->ColCount = ColCount;
    inverse->RowCount = RowCount;
    inverse->OldColSpan = topLeft.ColSpan;
    inverse->OldRowSpan = topLeft.RowSpan;
    inverse->OldBestWidth = topLeft.BestWidth;
  }
  if (Merge) {
    DoMergeCells(rows, Row, Col, ColCount, RowCount, inverse);
  } else {
    // The table's unmerging works on its own description of a merge.
    TRVTableUndoRecord merged;
    merged.Row = Row;
    merged.Col = Col;
    merged.OldColSpan = OldColSpan;
    merged.OldRowSpan = OldRowSpan;
    merged.OldBestWidth = OldBestWidth;
    merged.MergeItems = std::move(Items);
    Items.clear();
    rows.UnmergeCells(merged);
  }
  table.Changed();
}

// ---------------------------------------------------------------------------------------
// Cell content

void TRVUndoCellModify::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  TRVTableInplaceEdit* editor = TRVTableCellEditing::GetInplaceEditor(table);
  if (editor == nullptr || editor->Row != Row || editor->Col != Col) {
    table.OpenCellEditor(ItemNo, Row, Col, false, false, false, 0, true);
    editor = TRVTableCellEditing::GetInplaceEditor(table);
  }
  if (editor == nullptr || !UndoList) return;
  TRVEditRVData& data = editor->EditRVData();
  TRVUndoList& target = IsRedo != 0 ? *data.RedoList : *data.UndoList;
  while (UndoList->Count() > 0) target.AddInfos(UndoList->Extract(0));
  editor->SetSelectionBounds(SelStartItemNo, SelStartOffs, SelStartItemNo, SelStartOffs);
  editor->SetReadOnly(true);
  PostMessage(editor, IsRedo != 0 ? WM_RVINPLACEREDO : WM_RVINPLACEUNDO);
}

namespace {

/// Moves Count groups from the front of From to the end of To.
void MoveGroups(TRVUndoList& From, TRVUndoList& To, int Count) {
  for (int i = 0; i < Count && From.Count() > 0; ++i) To.AddInfos(From.Extract(0));
}

}  // namespace

void TRVUndoMultiCellsModify::Undo(TRVEditRVData* RVData) {
  TRVTableItemInfo& table = RVUndoTable(RVData, ItemNo);
  if (!UndoList || Rows.Count() != Cols.Count() || Rows.Count() != GroupCounts.Count())
    throw ERVError("Undo error");
  // The inverse takes the groups that replaying writes, so that redo replays them again.
  TRVUndoMultiCellsModify* inverse = nullptr;
  if (TRVUndoList* list = RVData->GetUndoList()) {
    auto record = std::make_unique<TRVUndoMultiCellsModify>();
    record->Action = Action;
    record->ItemNo = ItemNo;
    record->IsRedo = IsRedo != 0 ? 0 : 1;
    record->UndoList = std::make_unique<TRVUndoList>(RVData);
    inverse = static_cast<TRVUndoMultiCellsModify*>(list->AddInfo(std::move(record)));
  }
  TRVEdit scratch;
  scratch.SetStyle(RVData->GetRVStyle());
  TRVEditRVData& data = scratch.EditRVData();
  TRVUndoList& replayFrom = IsRedo != 0 ? *data.RedoList : *data.UndoList;
  TRVUndoList& replayedInto = IsRedo != 0 ? *data.UndoList : *data.RedoList;
  while (Rows.Count() > 0) {
    TRVTableCellData& cell = CellAt(table, Rows[0], Cols[0]);
    data.Clear();
    data.AppendItemsFrom(&cell);
    scratch.Format();
    MoveGroups(*UndoList, replayFrom, GroupCounts[0]);
    data.StateFlags |= rvstWorkingForUndo;
    try {
      while (replayFrom.Count() > 0) {
        if (IsRedo != 0)
          replayFrom.Redo(&data);
        else
          replayFrom.Undo(&data);
      }
    } catch (...) {
      data.StateFlags &= ~rvstWorkingForUndo;
      cell.Clear();
      cell.AppendItemsFrom(&data);
      throw;
    }
    data.StateFlags &= ~rvstWorkingForUndo;
    if (inverse != nullptr) {
      inverse->Rows.AddValue(Rows[0]);
      inverse->Cols.AddValue(Cols[0]);
      inverse->GroupCounts.AddValue(replayedInto.Count());
      MoveGroups(replayedInto, *inverse->UndoList, replayedInto.Count());
    }
    replayedInto.ClearList();
    cell.Clear();
    cell.AppendItemsFrom(&data);
    Rows.Delete(0);
    Cols.Delete(0);
    GroupCounts.Delete(0);
  }
  table.Changed();
}

bool TRVUndoMultiCellsModify::NeedsFullReformatBefore(TRVEditRVData* RVData) {
  MeasuredWidth_ = RVData->CalculateMinItemWidthOnCanvas(ItemNo);
  return MeasuredWidth_ >= RVData->DocMinWidth;
}

bool TRVUndoMultiCellsModify::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  const int32_t width = RVData->CalculateMinItemWidthOnCanvas(ItemNo);
  if (width == MeasuredWidth_) return false;
  return RVData->DocMinWidth < width;
}

// ---------------------------------------------------------------------------------------
// The table's descriptions turned into records

void TRVTableUndoRecorder::ModifyItemTerminator(int ItemNo, bool Opening) {
  RVData->AddModifyItemTerminator(ItemNo, Opening);
}

namespace {

template <typename R>
R* NewRecord(TRVEditRVData* RVData, int ItemNo) {
  return static_cast<R*>(CreateTableUndoRecord(RVData, RVUndoPropsClass<R>, ItemNo, true, true));
}

/// Records the attributes the cell at (Row, Col) has now, before they change: its borders,
/// its picture and its integer attributes, as setting them one by one with undo would.
void RecordCellAttributes(TRVEditRVData* RVData, int ItemNo, int Row, int Col) {
  TRVTableCellData& cell = CellAt(RVUndoTable(RVData, ItemNo), Row, Col);
  if (auto* r = NewRecord<TRVUndoModifyCellVisibleBorders>(RVData, ItemNo)) {
    r->AffectWidth = r->AffectSize = false;
    r->Row = Row;
    r->Col = Col;
    r->Left = cell.VisibleBorders.Left;
    r->Top = cell.VisibleBorders.Top;
    r->Right = cell.VisibleBorders.Right;
    r->Bottom = cell.VisibleBorders.Bottom;
  }
  if (auto* r = NewRecord<TRVUndoModifyBackgroundImage>(RVData, ItemNo)) {
    r->Row = Row;
    r->Col = Col;
    r->Image = cell.TakeBackgroundImage();
  }
  if (auto* r = NewRecord<TRVUndoModifyCellIntProperties>(RVData, ItemNo)) {
    r->Row = Row;
    r->Col = Col;
    r->PropList = {{"Color", cell.Color},
                   {"BorderColor", cell.BorderColor},
                   {"BorderLightColor", cell.BorderLightColor},
                   {"VAlign", cell.VAlign},
                   {"BackgroundStyle", cell.GetBackgroundStyle()}};
  }
}

}  // namespace

void TRVTableUndoRecorder::Record(std::unique_ptr<TRVTableUndoRecord> Record) {
  const TRVTableUndoRecord& d = *Record;
  switch (d.Kind) {
    case TRVTableUndoKind::Span:
      if (auto* r = NewRecord<TRVUndoSpan>(RVData, d.ItemNo)) {
        r->Horizontal = d.Horizontal;
        r->Row = d.Row;
        r->Col = d.Col;
        r->Value = d.Old;
      }
      break;
    case TRVTableUndoKind::CellBestWidth:
    case TRVTableUndoKind::CellBestHeight: {
      const bool width = d.Kind == TRVTableUndoKind::CellBestWidth;
      auto* r = static_cast<TRVUndoModifyCellIntProperty*>(CreateTableUndoRecord(
          RVData, RVUndoPropsClass<TRVUndoModifyCellIntProperty>, d.ItemNo, width, true));
      if (r == nullptr) break;
      r->Row = d.Row;
      r->Col = d.Col;
      r->PropertyName = width ? "BestWidth" : "BestHeight";
      r->Value = d.Old;
      break;
    }
    case TRVTableUndoKind::Merge:
      if (auto* r = NewRecord<TRVUndoMerge>(RVData, d.ItemNo)) {
        r->Row = d.Row;
        r->Col = d.Col;
        r->OldColSpan = d.OldColSpan;
        r->OldRowSpan = d.OldRowSpan;
        r->OldBestWidth = d.OldBestWidth;
        r->ColCount = d.ColCount;
        r->RowCount = d.RowCount;
        r->Items = std::move(Record->MergeItems);
        r->Holder = std::move(Record);  // the absorbed cells refer to it
      }
      break;
    case TRVTableUndoKind::InsertEmptyCells:
      if (auto* r = NewRecord<TRVUndoInsertEmptyCell>(RVData, d.ItemNo)) {
        r->Row = d.Row;
        r->Col = d.Col;
        r->ColCount = d.Count;
        r->RowCount = 1;
      }
      break;
    case TRVTableUndoKind::InsertTableCells:
      // One record a cell: undoing each deletes the slot at (Row, Col) once.
      for (int i = 0; i < d.Count; ++i)
        if (auto* r = NewRecord<TRVUndoInsertTableCell>(RVData, d.ItemNo)) {
          r->Row = d.Row;
          r->Col = d.Col;
        }
      break;
    case TRVTableUndoKind::InsertTableRows:
      if (auto* r = NewRecord<TRVUndoInsertTableRows>(RVData, d.ItemNo)) {
        r->Index = d.Row;
        r->Count = d.Count;
      }
      break;
    case TRVTableUndoKind::FreeEmptyCells:
      if (auto* r = NewRecord<TRVUndoFreeEmptyCell>(RVData, d.ItemNo)) {
        r->Row = d.Row;
        r->Col = d.Col;
        r->ColCount = 1;
        r->RowCount = d.Count;
      }
      break;
    case TRVTableUndoKind::SpreadOverEmptyCells:
      if (auto* r = NewRecord<TRVUndoSpreadOverEmptyCells>(RVData, d.ItemNo)) {
        r->Row = d.Row;
        r->Col = d.Col;
        r->ColSpan = d.Count;
      }
      break;
    case TRVTableUndoKind::CellSplitVert:
      if (auto* r = NewRecord<TRVUndoCellSpitVert>(RVData, d.ItemNo)) {
        r->AdjustWidth = d.DivideWidth;
        r->Row = d.Row;
        r->Col = d.Col;
        r->AtCol = d.Count;
        r->BestWidth = d.OldBestWidth;
      }
      break;
    case TRVTableUndoKind::DeleteCols:
      if (auto* r = NewRecord<TRVUndoDeleteCols>(RVData, d.ItemNo)) {
        r->Index = d.Col;
        r->Count = d.Count;
        r->Cells = std::move(Record->Cells);
        r->Holder = std::move(Record);
      }
      break;
    case TRVTableUndoKind::CellAttributes:
      RecordCellAttributes(RVData, d.ItemNo, d.Row, d.Col);
      break;
    case TRVTableUndoKind::ClearCell:
      if (auto* r = NewRecord<TRVUndoCellsClear>(RVData, d.ItemNo)) {
        r->Rows.AddValue(d.Row);
        r->Cols.AddValue(d.Col);
        r->Cells = std::move(Record->Cells);
        r->Holder = std::move(Record);
      }
      break;
  }
}
