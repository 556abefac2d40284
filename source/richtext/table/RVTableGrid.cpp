// The grid operations of a table: merging and unmerging, inserting rows and columns,
// deleting columns, clearing, spreading, joining and splitting cells. Each keeps every slot
// covered by exactly one cell and, when the table records undo, reports each change.
#include <algorithm>

#include "richtext/core/RVError.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

[[noreturn]] void RaiseBadIndex() {
  throw ERVError("Invalid row or column index");
}

}  // namespace

int TRVTableRows::EditorItemNo() const {
  if (Table_ == nullptr || Table_->UndoSink == nullptr || (Table_->State & rvtsInserted) == 0) return -1;
  return Table_->GetMyItemNo();
}

std::unique_ptr<TRVTableUndoRecord> TRVTableRows::CreateUndoRecord(int ItemNo, TRVTableUndoKind Kind, int Row,
                                                                   int Col) {
  if (ItemNo < 0) return nullptr;
  auto record = std::make_unique<TRVTableUndoRecord>();
  record->Kind = Kind;
  record->Document = RVData_;
  record->ItemNo = ItemNo;
  record->Row = Row;
  record->Col = Col;
  return record;
}

void TRVTableRows::Submit(std::unique_ptr<TRVTableUndoRecord> Record) {
  if (Record && Table_ != nullptr && Table_->UndoSink != nullptr) Table_->UndoSink->Record(std::move(Record));
}

void TRVTableRows::SetCellSpan(int ItemNo, int Row, bool Horizontal, int Value, int Col) {
  TRVTableCellData* cell = Get(Row)->GetCell(Col);
  int& span = Horizontal ? cell->ColSpan : cell->RowSpan;
  if (span == Value) return;
  if (auto record = CreateUndoRecord(ItemNo, TRVTableUndoKind::Span, Row, Col)) {
    record->Horizontal = Horizontal;
    record->Old = span;
    Submit(std::move(record));
  }
  span = Value;
}

void TRVTableRows::SetCellBestSize(int ItemNo, int Row, int Col, bool Width, int32_t Value) {
  TRVTableCellData* cell = Get(Row)->GetCell(Col);
  int32_t& size = Width ? cell->BestWidth : cell->BestHeight;
  if (size == Value) return;
  const auto kind = Width ? TRVTableUndoKind::CellBestWidth : TRVTableUndoKind::CellBestHeight;
  if (auto record = CreateUndoRecord(ItemNo, kind, Row, Col)) {
    record->Old = size;
    Submit(std::move(record));
  }
  size = Value;
}

TRVHTMLLength TRVTableRows::GetBestWidthOfRange(int Row, int Col, int RowCount, int ColCount) const {
  TRVHTMLLength result = 0;
  for (int r = Row; r < Row + RowCount; ++r) {
    TRVHTMLLength total = 0;
    for (int c = Col; c < Col + ColCount; ++c) {
      const TRVTableCellData* cell = Get(r)->GetCell(c);
      if (cell == nullptr) continue;
      if (cell->BestWidth > 0 && total >= 0) {
        total += cell->BestWidth;
      } else if (cell->BestWidth < 0) {
        if (total > 0) total = 0;
        total += cell->BestWidth;
      }
    }
    if (result >= 0) {
      if (total < 0 || total > result) result = total;
    } else if (total < result) {
      result = total;
    }
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Merging

bool TRVTableRows::CheckMergeRect(int Row, int Col, int RowCount, int ColCount, bool& OtherCells) const {
  const TRVTableCellData* topLeft = Get(Row)->GetCell(Col);
  OtherCells = false;
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c) {
      int mr = 0, mc = 0;
      const TRVTableCellData* main = GetMainCell(r, c, mr, mc);
      if (main == nullptr) return false;
      if (mr < Row || mc < Col || mr + main->RowSpan > Row + RowCount || mc + main->ColSpan > Col + ColCount)
        return false;
      if (main != topLeft) OtherCells = true;
    }
  return true;
}

bool TRVTableRows::MergeLeavesEmptyLine(int Row, int Col, int RowCount, int ColCount) const {
  for (int c = Col + 1; c < Col + ColCount && ColCount > 1; ++c) {
    bool hasCell = false;
    for (int r = 0; r < Count() && !hasCell; ++r)
      if ((r < Row || r >= Row + RowCount) && Get(r)->GetCell(c) != nullptr) hasCell = true;
    if (!hasCell) return true;
  }
  for (int r = Row + 1; r < Row + RowCount && RowCount > 1; ++r) {
    bool hasCell = false;
    for (int c = 0; c < GetColCount() && !hasCell; ++c)
      if ((c < Col || c >= Col + ColCount) && Get(r)->GetCell(c) != nullptr) hasCell = true;
    if (!hasCell) return true;
  }
  return false;
}

bool TRVTableRows::MergeCells(int Row, int Col, int ColCount, int RowCount, bool AllowEmptyLines,
                              bool CombineWidth) {
  if (Row < 0 || Col < 0 || Row >= Count() || Col >= GetColCount())
    throw ERVError("Parameters for cell merging are not correct");
  RowCount = std::min(RowCount, Count() - Row);
  ColCount = std::min(ColCount, GetColCount() - Col);
  if (RowCount < 2 && ColCount < 2) return false;
  if (RowCount < 1 || ColCount < 1) throw ERVError("Parameters for cell merging are not correct");
  TRVTableCellData* topLeft = Get(Row)->GetCell(Col);
  if (topLeft == nullptr || (topLeft->RowSpan >= RowCount && topLeft->ColSpan >= ColCount)) return false;

  bool otherCells = false;
  bool allowed = CheckMergeRect(Row, Col, RowCount, ColCount, otherCells);
  if (allowed) allowed = AllowEmptyLines ? otherCells : !MergeLeavesEmptyLine(Row, Col, RowCount, ColCount);
  if (!allowed) {
    if (RVData_ != nullptr && !Reading) RVData_->Beep();
    return false;
  }

  const int itemNo = EditorItemNo();
  auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::Merge, Row, Col);
  if (record) {
    record->OldColSpan = topLeft->ColSpan;
    record->OldRowSpan = topLeft->RowSpan;
    record->OldBestWidth = topLeft->BestWidth;
    record->RowCount = RowCount;
    record->ColCount = ColCount;
  }
  if (CombineWidth) topLeft->BestWidth = GetBestWidthOfRange(Row, Col, RowCount, ColCount);
  for (int r = Row; r < Row + RowCount; ++r)
    for (int c = Col; c < Col + ColCount; ++c) {
      if ((r == Row && c == Col) || Get(r)->GetCell(c) == nullptr) continue;
      std::unique_ptr<TRVTableCellData> cell = Get(r)->TakeCell(c);
      int moved = 0;
      if (cell->HasContent(false)) {
        moved = cell->GetItemCount();
        topLeft->AppendItemsFrom(cell.get());
      }
      if (record) {
        cell->DetachItems(record.get());
        record->MergeItems.push_back({r, c, moved, std::move(cell)});
      }
    }
  topLeft->RowSpan = RowCount;
  topLeft->ColSpan = ColCount;
  Submit(std::move(record));
  return true;
}

void TRVTableRows::UnmergeCells(TRVTableUndoRecord& Record) {
  TRVTableCellData* topLeft = Get(Record.Row)->GetCell(Record.Col);
  topLeft->BestWidth = Record.OldBestWidth;
  int kept = topLeft->GetItemCount();
  for (auto it = Record.MergeItems.rbegin(); it != Record.MergeItems.rend(); ++it) {
    std::unique_ptr<TRVTableCellData> cell = std::move(it->Cell);
    TRVTableCellData* target = cell.get();
    Get(it->Row)->PutCell(it->Col, std::move(cell));
    target->ReattachItems();
    if (it->ItemCount == 0) continue;
    // The cell's own items came to the end of the merged cell; they go back as items
    // arrive in a document, so that nested tables, controls and markers know their cell.
    kept -= it->ItemCount;
    target->Clear();
    topLeft->MoveItemsTo(kept, it->ItemCount, *target);
  }
  topLeft->GetItems().DeleteRange(kept, topLeft->GetItemCount() - kept);
  Record.MergeItems.clear();
  topLeft->RowSpan = Record.OldRowSpan;
  topLeft->ColSpan = Record.OldColSpan;
}

// ---------------------------------------------------------------------------------------
// Inserting

void TRVTableRows::FillNewCell(int ItemNo, int Row, int Col, const TRVTableCellData& Copy,
                               TRVHTMLLength BestWidth, int32_t BestHeight) {
  // Recorded like any change of a cell, so that redoing the insertion makes the cell alike.
  if (auto record = CreateUndoRecord(ItemNo, TRVTableUndoKind::CellAttributes, Row, Col))
    Submit(std::move(record));
  Get(Row)->GetCell(Col)->AssignAttributesFrom(Copy, false, 1, 1);
  SetCellBestSize(ItemNo, Row, Col, true, BestWidth);
  SetCellBestSize(ItemNo, Row, Col, false, BestHeight);
}

void TRVTableRows::InsertCols(int Index, int Count, int CopyIndex, bool DivideWidth) {
  const int colCount = GetColCount();
  if (Count < 1 || Index < 0 || Index > colCount || CopyIndex < -1 || CopyIndex >= colCount) RaiseBadIndex();
  const int itemNo = EditorItemNo();
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, true);
  std::vector<char> marked(static_cast<size_t>(this->Count()), 0);
  if (Index != colCount) {
    for (int r = this->Count() - 1; r >= 0;) {
      int mr = 0, mc = 0;
      TRVTableCellData* main = GetMainCell(r, Index, mr, mc);
      if (main != nullptr && mc < Index) {
        for (int i = mr; i < mr + main->RowSpan; ++i) marked[static_cast<size_t>(i)] = 1;
        SetCellSpan(itemNo, mr, true, main->ColSpan + Count, mc);
      }
      r = (main != nullptr ? mr : r) - 1;
    }
  }
  auto insertEmpty = [&](int r) {
    if (auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::InsertEmptyCells, r, Index)) {
      record->Count = Count;
      Submit(std::move(record));
    }
    for (int i = 0; i < Count; ++i) Get(r)->InsertEmptySlot(Index);
  };
  for (int r = 0; r < this->Count();) {
    if (marked[static_cast<size_t>(r)]) {
      insertEmpty(r++);
      continue;
    }
    TRVTableCellData* copy = CopyIndex >= 0 ? Get(r)->GetCell(CopyIndex) : nullptr;
    if (copy != nullptr && DivideWidth)
      SetCellBestSize(itemNo, r, CopyIndex, true, copy->BestWidth * copy->ColSpan / (copy->ColSpan + Count));
    if (auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::InsertTableCells, r, Index)) {
      record->Count = Count;
      Submit(std::move(record));
    }
    // The new cells reach down as far as the copied cell, but never into a row whose slots
    // at Index a widened cell covers already.
    int span = 1;
    if (copy != nullptr)
      while (span < copy->RowSpan && r + span < this->Count() && !marked[static_cast<size_t>(r + span)])
        ++span;
    for (int i = 0; i < Count; ++i) Get(r)->InsertCell(Index);
    for (int i = 0; i < Count && copy != nullptr; ++i) {
      FillNewCell(itemNo, r, Index + i, *copy, copy->BestWidth / copy->ColSpan, copy->BestHeight);
      SetCellSpan(itemNo, r, false, span, Index + i);
    }
    for (int i = 1; i < span; ++i) insertEmpty(r + i);
    r += span;
  }
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, false);
}

void TRVTableRows::InsertRows(int Index, int Count, int CopyIndex, bool DivideHeight) {
  const int rowCount = this->Count();
  const int colCount = GetColCount();
  if (Count < 1 || Index < 0 || Index > rowCount || CopyIndex < -1 || CopyIndex >= rowCount) RaiseBadIndex();
  const int itemNo = EditorItemNo();
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, true);
  std::vector<char> marked(static_cast<size_t>(colCount), 0);
  if (Index != rowCount) {
    for (int c = colCount - 1; c >= 0;) {
      int mr = 0, mc = 0;
      TRVTableCellData* main = GetMainCell(Index, c, mr, mc);
      if (main != nullptr && mr < Index) {
        for (int i = mc; i < mc + main->ColSpan; ++i) marked[static_cast<size_t>(i)] = 1;
        SetCellSpan(itemNo, mr, false, main->RowSpan + Count, mc);
      }
      c = (main != nullptr ? mc : c) - 1;
    }
  }
  if (CopyIndex >= Index) CopyIndex += Count;
  if (auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::InsertTableRows, Index, 0)) {
    record->Count = Count;
    Submit(std::move(record));
  }
  for (int i = 0; i < Count; ++i) InsertRow(Index, colCount);
  for (int c = 0; c < colCount;) {
    if (marked[static_cast<size_t>(c)]) {
      if (auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::FreeEmptyCells, Index, c)) {
        record->Count = Count;
        Submit(std::move(record));
      }
      for (int r = Index; r < Index + Count; ++r) Get(r)->TakeCell(c).reset();
      ++c;
      continue;
    }
    TRVTableCellData* copy = CopyIndex >= 0 ? Get(CopyIndex)->GetCell(c) : nullptr;
    if (copy == nullptr) {
      ++c;
      continue;
    }
    if (DivideHeight)
      SetCellBestSize(itemNo, CopyIndex, c, false,
                      copy->BestHeight * copy->RowSpan / (copy->RowSpan + Count));
    // Likewise the new cells spread only over columns no widened cell covers.
    int span = 1;
    while (span < copy->ColSpan && c + span < colCount && !marked[static_cast<size_t>(c + span)]) ++span;
    for (int r = Index; r < Index + Count; ++r) {
      FillNewCell(itemNo, r, c, *copy, copy->BestWidth, copy->BestHeight / copy->RowSpan);
      if (span > 1) {
        if (auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::SpreadOverEmptyCells, r, c)) {
          record->Count = span;
          Submit(std::move(record));
        }
        SpreadOverEmptyCells(r, c, span);
      }
    }
    c += span;
  }
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, false);
}

// ---------------------------------------------------------------------------------------
// Deleting columns

void TRVTableRows::SplitCellVertically(int ItemNo, int Row, int Col, int NewCol, int NewColSpan,
                                       bool DivideWidth) {
  TRVTableCellData* old = Get(Row)->GetCell(Col);
  if (auto record = CreateUndoRecord(ItemNo, TRVTableUndoKind::CellSplitVert, Row, Col)) {
    record->Count = NewCol;
    record->Old = old->ColSpan;
    record->OldBestWidth = old->BestWidth;
    record->DivideWidth = DivideWidth;
    Submit(std::move(record));
  }
  auto cell = std::make_unique<TRVTableCellData>(Get(Row));
  cell->AssignAttributesFrom(*old, false, 1, 1);
  cell->RowSpan = old->RowSpan;
  cell->ColSpan = NewColSpan;
  cell->BestWidth = old->BestWidth * NewColSpan / old->ColSpan;
  cell->BestHeight = old->BestHeight;
  if (DivideWidth) old->BestWidth = old->BestWidth * (old->ColSpan - NewColSpan) / old->ColSpan;
  old->ColSpan -= NewColSpan;
  Get(Row)->PutCell(NewCol, std::move(cell)).reset();
}

void TRVTableRows::DeleteCols(int Index, int Count, bool DivideWidth) {
  const int colCount = GetColCount();
  if (Index < 0 || Index >= colCount || Count < 1 || (Index == 0 && Count > colCount)) RaiseBadIndex();
  Count = std::min(Count, colCount - Index);
  const int last = Index + Count - 1;
  const int itemNo = EditorItemNo();
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, true);
  // Cells that start inside the range and reach beyond it keep their right part.
  for (int r = this->Count() - 1; r >= 0; --r)
    for (int c = Index; c <= last; ++c) {
      const TRVTableCellData* cell = Get(r)->GetCell(c);
      if (cell != nullptr && c + cell->ColSpan - 1 > last)
        SplitCellVertically(itemNo, r, c, last + 1, c + cell->ColSpan - 1 - last, DivideWidth);
    }
  // Cells that start left of the range and reach into it shrink.
  for (int r = 0; r < this->Count(); ++r)
    for (int c = 0; c < Index; ++c) {
      TRVTableCellData* cell = Get(r)->GetCell(c);
      if (cell == nullptr || c + cell->ColSpan <= Index) continue;
      const int oldSpan = cell->ColSpan;
      const int newSpan = c + oldSpan - 1 > last ? oldSpan - Count : Index - c;
      if (DivideWidth) SetCellBestSize(itemNo, r, c, true, cell->BestWidth * newSpan / oldSpan);
      SetCellSpan(itemNo, r, true, newSpan, c);
    }
  auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::DeleteCols, 0, Index);
  if (record) record->Count = Count;
  for (int r = 0; r < this->Count(); ++r)
    for (int c = last; c >= Index; --c) {
      std::unique_ptr<TRVTableCellData> cell(static_cast<TRVTableCellData*>(Get(r)->Extract(c).release()));
      if (!record) continue;
      if (cell) cell->DetachItems(record.get());
      record->Cells.push_back(std::move(cell));
    }
  Submit(std::move(record));
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, false);
}

// ---------------------------------------------------------------------------------------
// Clearing, spreading, joining

void TRVTableRows::ClearCells(const std::vector<std::pair<int, int>>& Cells) {
  const int itemNo = EditorItemNo();
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, true);
  for (const auto& [r, c] : Cells) {
    TRVTableCellData* old = Get(r)->GetCell(c);
    if (old == nullptr) continue;
    auto record = CreateUndoRecord(itemNo, TRVTableUndoKind::ClearCell, r, c);
    if (!record) {
      old->Clear();
      old->AddTextItem("", 0, 0);
      continue;
    }
    old->Deselect(nullptr, false);
    auto cell = std::make_unique<TRVTableCellData>(Get(r));
    cell->AssignAttributesFrom(*old, true, 1, 1);
    cell->AssignSizeFrom(*old);
    cell->RowSpan = old->RowSpan;
    cell->ColSpan = old->ColSpan;
    std::unique_ptr<TRVTableCellData> kept = Get(r)->PutCell(c, std::move(cell));
    kept->DetachItems(record.get());
    record->Cells.push_back(std::move(kept));
    Submit(std::move(record));
  }
  if (itemNo >= 0) Table_->UndoSink->ModifyItemTerminator(itemNo, false);
}

void TRVTableRows::SpreadOverEmptyCells(int Row, int Col, int ColSpan) {
  TRVTableRow* row = Get(Row);
  row->GetCell(Col)->ColSpan = ColSpan;
  for (int c = Col + 1; c < Col + ColSpan; ++c) row->TakeCell(c).reset();
}

void TRVTableRows::UnspreadOverEmptyCells(int Row, int Col, int ColSpan) {
  TRVTableRow* row = Get(Row);
  row->GetCell(Col)->ColSpan = 1;
  for (int c = Col + 1; c < Col + ColSpan; ++c)
    row->PutCell(c, std::make_unique<TRVTableCellData>(row)).reset();
}

void TRVTableRows::JoinCellsHorizontally(int Row, int Col, TRVHTMLLength BestWidth, int Col2) {
  TRVTableRow* row = Get(Row);
  TRVTableCellData* first = row->GetCell(Col);
  first->BestWidth = BestWidth;
  first->ColSpan += row->GetCell(Col2)->ColSpan;
  row->TakeCell(Col2).reset();
}

// ---------------------------------------------------------------------------------------
// Rows tied together

int TRVTableItemInfo::GetBlockEnd(int Row) const {
  int last = Row;
  for (int r = Row; r <= last; ++r)
    for (int c = 0; c < Rows_->GetColCount(); ++c) {
      int mr = 0, mc = 0;
      const TRVTableCellData* main = Rows_->GetMainCell(r, c, mr, mc);
      if (main != nullptr) last = std::max(last, std::min(mr + main->RowSpan, Rows_->Count()) - 1);
    }
  return last;
}

int TRVTableItemInfo::GetBlockStart(int Row) const {
  int first = Row;
  for (bool moved = true; moved;) {
    moved = false;
    for (int c = 0; c < Rows_->GetColCount(); ++c) {
      int mr = 0, mc = 0;
      if (Rows_->GetMainCell(first, c, mr, mc) != nullptr && mr < first) {
        first = mr;
        moved = true;
      }
    }
  }
  return first;
}

bool TRVTableItemInfo::CanUseHeadings() const {
  const int headings = std::min(HeadingRowCount, Rows_->Count());
  if (headings <= 0) return false;
  for (int c = 0; c < Rows_->GetColCount(); ++c) {
    int mr = 0, mc = 0;
    const TRVTableCellData* main = Rows_->GetMainCell(headings - 1, c, mr, mc);
    if (main != nullptr && mr + main->RowSpan - 1 > headings - 1) return false;
  }
  return true;
}
