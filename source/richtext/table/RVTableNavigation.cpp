// Moving between the cells of a table: the cell next to another in a direction, entering
// the table from outside, opening the cell editor on a cell (also through enclosing tables)
// and closing it. The editor itself lives in the editor library, which opens it through
// the table's editor hooks and closes it through its link.
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/CRVFData.h"

void TRVTableItemInfo::OpenCellEditor(int ItemNo, int Row, int Col, bool Prepare, bool CaretAtStart,
                                      bool CaretAtEnd, uint32_t ClickTime, bool SkipCheck) {
  if (TRVTableEditorHooks* hooks = RVTableEditorHooks())
    hooks->OpenCellEditor(*this, ItemNo, Row, Col, Prepare, CaretAtStart, CaretAtEnd, ClickTime, SkipCheck);
}

void TRVTableItemInfo::SetControlPosition(int32_t Left, int32_t Top, bool /*RestoreTop*/) {
  if (CellEditor != nullptr) CellEditor->TableMoved(Left, Top);
}

void TRVTableItemInfo::DestroyInplace(bool StoreContent) {
  TRVTableCellEditorLink* editor = CellEditor;
  if (editor == nullptr) return;
  editor->Close(StoreContent);
  if (CellEditor == editor) CellEditor = nullptr;
}

void TRVTableItemInfo::EditCell(int Row, int Col, bool SkipCheck) {
  TCustomRVData* parent = GetParentData();
  if (parent == nullptr) return;
  // A table inside a cell: that cell is opened first, which moves this table into the
  // outer cell editor's document.
  if (auto* outerCell = dynamic_cast<TRVTableCellData*>(parent->GetSourceData())) {
    TRVTableItemInfo* outer = outerCell->GetTable();
    int outerRow = -1, outerCol = -1;
    for (int r = 0; outer != nullptr && r < outer->Rows().Count() && outerRow < 0; ++r)
      for (int c = 0; c < outer->Rows().GetColCount(); ++c)
        if (outer->GetCell(r, c) == outerCell) {
          outerRow = r;
          outerCol = c;
          break;
        }
    if (outerRow < 0) throw ERVError("Internal error");
    const bool open = outer->CellEditor != nullptr && outer->CellEditor->GetRow() == outerRow &&
                      outer->CellEditor->GetCol() == outerCol;
    if (!open) outer->EditCell(outerRow, outerCol, SkipCheck);
  }
  OpenCellEditor(-1, Row, Col, false, true, false, 0, SkipCheck);
}

bool TRVTableItemInfo::GetAdjacentCell(int Row, int Col, bool NoLeaveEvent, int& NewCol, int& NewRow,
                                       int Direction) {
  const int rows = Rows_->Count(), cols = Rows_->GetColCount();
  if (Row < 0 || Row >= rows || Col < 0 || Col >= cols) return false;
  auto leave = [&](bool DoNextItem) {
    if (!NoLeaveEvent && OnLeaveMe) OnLeaveMe(this, DoNextItem);
    return false;
  };
  auto mainAt = [&](int r, int c) { return Rows_->GetMainCell(r, c, NewRow, NewCol) != nullptr; };
  int mainRow = -1, mainCol = -1;
  const TRVTableCellData* cell = Rows_->GetMainCell(Row, Col, mainRow, mainCol);
  const int colSpan = cell != nullptr ? cell->ColSpan : 1;
  const int rowSpan = cell != nullptr ? cell->RowSpan : 1;
  switch (Direction) {
    case 0:
      if (Col > 0) return mainAt(Row, Col - 1);
      if (Row > 0) return GetAdjacentCell(Row, Col, NoLeaveEvent, NewCol, NewRow, 7);
      return leave(false);
    case 1:
      return Row > 0 && mainAt(Row - 1, Col);
    case 2:
      if (Col + colSpan < cols) return mainAt(Row, Col + colSpan);
      if (Row + rowSpan < rows) return GetAdjacentCell(Row, Col, NoLeaveEvent, NewCol, NewRow, 6);
      return leave(true);
    case 3:
      return Row + rowSpan < rows && mainAt(Row + rowSpan, Col);
    case 6:
    case 7: {
      // Slots in reading order from the one after (before) this, skipping covered slots and
      // cells that may not be edited.
      const int step = Direction == 6 ? 1 : -1;
      for (int index = Row * cols + Col + step; index >= 0 && index < rows * cols; index += step) {
        const int r = index / cols, c = index % cols;
        if (GetCell(r, c) == nullptr || !CanEditCell(r, c)) continue;
        NewRow = r;
        NewCol = c;
        return true;
      }
      return leave(Direction == 6);
    }
    default:
      return false;
  }
}

bool TRVTableItemInfo::EnterFrom(int From, int32_t X) {
  if (Rows_->IsEmpty() || (Options & rvtoEditing) == 0) return false;
  const int lastRow = Rows_->Count() - 1, lastCol = Rows_->GetColCount() - 1;
  int row = -1, col = -1;
  bool atEnd = false;
  switch (From) {
    case 0:
      row = 0;
      col = 0;
      break;
    case 1:
      Rows_->GetMainCell(lastRow, lastCol, row, col);
      atEnd = true;
      break;
    case 2:
    case 3: {
      const int column = GetColAt(X);
      if (column < 0) return false;
      Rows_->GetMainCell(From == 2 ? 0 : lastRow, column, row, col);
      atEnd = From == 3;
      break;
    }
    default:
      return false;
  }
  if (row < 0 || col < 0) return false;
  OpenCellEditor(-1, row, col, false, !atEnd, atEnd, 0, false);
  return CellEditor != nullptr && CellEditor->GetRow() == row && CellEditor->GetCol() == col;
}

TCustomRVData* TRVTableItemInfo::GetSubRVData(std::unique_ptr<TRVStoreSubRVData>& Store, int Position) {
  const int rows = Rows_->Count(), cols = Rows_->GetColCount();
  if (rows == 0 || cols == 0) return nullptr;
  auto answer = [&](int Row, int Col) -> TCustomRVData* {
    Store = std::make_unique<TRVTableStoreSubRVData>(Row, Col);
    return GetCell(Row, Col);
  };
  int row = -1, col = -1;
  switch (Position) {
    case 0:
    case 1: {
      const int first = Position == 0 ? 0 : rows - 1, firstCol = Position == 0 ? 0 : cols - 1;
      if (GetCell(first, firstCol) != nullptr && CanEditCell(first, firstCol)) return answer(first, firstCol);
      if (!GetAdjacentCell(first, firstCol, true, col, row, Position == 0 ? 6 : 7)) return nullptr;
      return answer(row, col);
    }
    case 2:
    case 3: {
      int top = 0, left = 0, colCount = 0, rowCount = 0;
      if (GetSelectionBounds(true, top, left, colCount, rowCount)) {
        const int r = Position == 2 ? top + rowCount - 1 : top,
                  c = Position == 2 ? left + colCount - 1 : left;
        if (Rows_->GetMainCell(r, c, row, col) == nullptr) return nullptr;
        return answer(row, col);
      }
      if (GetFocusedCell() == nullptr) return nullptr;
      return answer(FocusedCellRow, FocusedCellCol);
    }
    case 4:
    case 5: {
      auto* position = dynamic_cast<TRVTableStoreSubRVData*>(Store.get());
      if (position == nullptr ||
          !GetAdjacentCell(position->Row, position->Col, true, col, row, Position == 4 ? 6 : 7))
        return nullptr;
      position->Row = row;
      position->Col = col;
      return GetCell(row, col);
    }
    default:
      return nullptr;
  }
}

void TRVTableItemInfo::ChooseSubRVData(const TRVStoreSubRVData& Store) {
  const auto* position = dynamic_cast<const TRVTableStoreSubRVData*>(&Store);
  auto* data = dynamic_cast<TCustomRVFormattedData*>(GetParentData());
  if (position == nullptr || data == nullptr) return;
  const int row = position->Row, col = position->Col;
  if (row < 0 || row >= Rows_->Count() || col < 0 || col >= Rows_->GetColCount()) return;
  TRVTableCellData* cell = GetCell(row, col);
  if (cell == nullptr || GetFocusedCell() == cell) return;
  // The cell's own selection survives the move of the focus (and of its items into an editor).
  int selection[4] = {-1, 0, -1, 0};
  cell->GetItemSelectionBounds(selection[0], selection[1], selection[2], selection[3], false);
  const int itemNo = GetMyItemNo();
  data->SetSelectionBounds(itemNo, 1, itemNo, 1);
  data->AssignFocusedSubData(cell, this);
  FocusedCellRow = row;
  FocusedCellCol = col;
  if ((Options & rvtoEditing) != 0 && (State & rvtsInserted) != 0 && data->GetRootData()->IsEditData())
    EditCell(row, col, true);
  if (auto* active = dynamic_cast<TCustomRVFormattedData*>(cell->GetActiveData())) {
    const int count = active->GetItemCount();
    if (selection[0] >= 0 && selection[0] < count && selection[2] >= 0 && selection[2] < count)
      active->SetSelectionBounds(selection[0], selection[1], selection[2], selection[3]);
  }
  data->InvalidateControl();
}
