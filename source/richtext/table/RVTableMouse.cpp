// The table under the mouse: finding the cell at a point, passing presses and releases into
// cells and the cell editor, selecting rectangles, rows and columns of cells, and dragging
// the borders between columns and rows to resize them (an inverted dotted line follows the
// pointer until the button is released). What needs the editor (opening the cell editor,
// recording the new sizes) goes through the editor's hooks.
#include <algorithm>
#include <cstdlib>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Cursors.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/CRVFData.h"

namespace {

/// A document state bit the table ignores presses under (never set by the table itself).
constexpr TRVDataStates kIgnoreTablePresses = 16;
/// A document state bit set while a press in a cell collapses the selection after the table.
constexpr TRVDataStates kCollapsingAfterTable = 32768;

/// Inside the cell shrunk by one pixel on each side: its frame belongs to no cell.
bool PointInCell(const TRVTableCellData& Cell, int32_t X, int32_t Y) {
  return Cell.Left + 1 <= X && X < Cell.Left + 1 + (Cell.Width - 2) && Cell.Top + 1 <= Y &&
         Y < Cell.Top + 1 + (Cell.Height - 2);
}

bool PointInContent(const TRVTableCellData& Cell, int32_t Padding, int32_t X, int32_t Y) {
  return Cell.Left + Padding <= X && X < Cell.Left + Cell.Width - Padding && Cell.Top + Padding <= Y &&
         Y < Cell.Top + Cell.Height - Padding;
}

/// P lies on a line at Line that is Width wide (at least two pixels each side).
bool Near(int32_t P, int32_t Line, int32_t Width) {
  return std::abs(P - Line) <= std::max(Width / 2, 2);
}

/// The border near P along one axis: outer zones at both ends, inner gaps before each start.
int BorderAt(int32_t P, int32_t Extent, int32_t Outer, int32_t Gap, const TRVIntegerList& Starts, int& Before,
             int32_t& Pos) {
  Before = -1;
  Pos = 0;
  const int count = Starts.Count();
  if (P < 0 || P > Extent || count == 0) return -1;
  if (Near(P, Outer / 2, Outer)) {
    Pos = Outer / 2;
    return 0;
  }
  if (Near(P, Extent - Outer / 2, Outer)) {
    Before = count - 1;
    Pos = Extent - Outer / 2;
    return count;
  }
  for (int i = 0; i + 1 < count; ++i)
    if (Near(P, Starts[i + 1] - Gap / 2, Gap)) {
      Before = i;
      Pos = Starts[i + 1] - (Gap + 1) / 2;
      return i + 1;
    }
  return -1;
}

/// The first line (column or row) whose span holds P; -1 when P lies before it or past all.
int LineAt(int32_t P, const TRVIntegerList& Starts, const TRVIntegerList& Sizes) {
  for (int i = 0; i < Starts.Count() && i < Sizes.Count(); ++i) {
    if (Starts[i] > P) return -1;
    if (P <= Starts[i] + Sizes[i]) return i;
  }
  return -1;
}

TCustomRVFormattedData* Formatted(TCustomRVData* Data) {
  return dynamic_cast<TCustomRVFormattedData*>(Data);
}

/// The root control is the program's editor, which keeps cell editors open on empty presses.
bool RootIsProgramEditor(TCustomRVData* Data) {
  const TWinControl* control = Data != nullptr ? Data->GetRootData()->GetParentControl() : nullptr;
  return control != nullptr && control->ClassName() == "TZUKEdit";
}

void FocusRootControl(TCustomRVData* Data) {
  TWinControl* control = Data->GetRootData()->GetParentControl();
  if (control != nullptr && control->HandleAllocated() && control->CanFocus()) control->SetFocus();
}

}  // namespace

// ---- hit tests ----------------------------------------------------------------------------------

bool TRVTableItemInfo::GetCellAtPoint(int32_t X, int32_t Y, int& Row, int& Col) {
  const TRVTableRows& rows = *Rows_;
  if (rows.IsEmpty()) return false;
  if (LastHitRow >= 0 && LastHitRow < rows.Count() && LastHitCol >= 0 && LastHitCol < rows.GetColCount()) {
    const TRVTableCellData* last = GetCell(LastHitRow, LastHitCol);
    if (last != nullptr && PointInCell(*last, X, Y)) {
      Row = LastHitRow;
      Col = LastHitCol;
      return true;
    }
  }
  const TRVTableItemFormattingInfo& info = FormattingInfo;
  const TRVTableCellData* first = GetCell(0, 0);
  if (first == nullptr || info.RowStarts.Count() != rows.Count() ||
      info.ColStarts.Count() != rows.GetColCount())
    return false;
  const int32_t l = first->Left, t = first->Top;
  if (X < l + 1 || X >= l + 1 + (info.Width - 2 * l - 2) || Y < t + 1 ||
      Y >= t + 1 + (info.Height - 2 * t - 2))
    return false;
  int row = rows.Count() - 1;
  for (int i = 0; i + 1 < rows.Count(); ++i)
    if (info.RowStarts[i + 1] > Y) {
      row = i;
      break;
    }
  int col = rows.GetColCount() - 1;
  for (int i = 0; i + 1 < rows.GetColCount(); ++i)
    if (info.ColStarts[i + 1] > X) {
      col = i;
      break;
    }
  int mainRow = -1, mainCol = -1;
  const TRVTableCellData* cell = rows.GetMainCell(row, col, mainRow, mainCol);
  if (cell == nullptr || !PointInCell(*cell, X, Y)) return false;
  Row = LastHitRow = mainRow;
  Col = LastHitCol = mainCol;
  return true;
}

int TRVTableItemInfo::GetColBorderAt(int32_t X, int& Before, int32_t& Pos) const {
  return BorderAt(X, FormattingInfo.Width, BorderWidth + BorderHSpacing + CellBorderWidth,
                  CellBorderWidth * 2 + CellHSpacing, FormattingInfo.ColStarts, Before, Pos);
}

int TRVTableItemInfo::GetRowBorderAt(int32_t Y, int& Before, int32_t& Pos) const {
  return BorderAt(Y, FormattingInfo.Height, BorderWidth + BorderVSpacing + CellBorderWidth,
                  CellBorderWidth * 2 + CellVSpacing, FormattingInfo.RowStarts, Before, Pos);
}

int TRVTableItemInfo::GetColAt(int32_t X) const {
  return LineAt(X, FormattingInfo.ColStarts, FormattingInfo.ColWidths);
}

int TRVTableItemInfo::GetRowAt(int32_t Y) const {
  return LineAt(Y, FormattingInfo.RowStarts, FormattingInfo.RowHeights);
}

// ---- cell selection -----------------------------------------------------------------------------

namespace {

/// Every cell's selected mark follows the selection; a cell that is not selected drops its
/// own text selection, except the anchor, where a drag selects text.
void UpdateSelectionMarks(TRVTableItemInfo& Table) {
  TRVTableRows& rows = Table.Rows();
  for (int r = 0; r < rows.Count(); ++r)
    for (int c = 0; c < rows.GetColCount(); ++c) {
      TRVTableCellData* cell = Table.GetCell(r, c);
      if (cell == nullptr) continue;
      if (Table.IsCellSelected(r, c)) {
        cell->StateFlags |= rvstWholeDataSelected;
        continue;
      }
      if (r != Table.SelStartRow || c != Table.SelStartCol) cell->Deselect(nullptr, false);
      cell->StateFlags &= ~rvstWholeDataSelected;
    }
}

bool AllowsSelection(TCustomRVFormattedData* Data) {
  return Data != nullptr && (Data->GetOptions() & rvoAllowSelection) != 0;
}

}  // namespace

void TRVTableItemInfo::Select(int StartRow, int StartCol, int ColOffs, int RowOffs) {
  if ((State & rvtsInserted) == 0) return;
  DestroyInplace(true);
  TCustomRVFormattedData* data = Formatted(GetParentData());
  if (AllowsSelection(data)) data->SetPartiallySelectedItem(this);
  State |= rvtsCellsSelected;
  SelStartRow = StartRow;
  SelStartCol = StartCol;
  SelColOffs = ColOffs;
  SelRowOffs = RowOffs;
  UpdateSelectionMarks(*this);
  if (data != nullptr) data->InvalidateControl();
}

void TRVTableItemInfo::SelectRows(int StartRow, int Count) {
  Select(StartRow, 0, Rows_->GetColCount() - 1, Count - 1);
}

void TRVTableItemInfo::SelectCols(int StartCol, int Count) {
  Select(0, StartCol, Count - 1, Rows_->Count() - 1);
}

bool TRVTableItemInfo::SelectCell(int Row, int Col) {
  TCustomRVFormattedData* data = Formatted(GetParentData());
  if (!AllowsSelection(data)) return false;
  SelStartRow = Row;
  SelStartCol = Col;
  SelColOffs = 0;
  SelRowOffs = 0;
  State &= ~rvtsCellsSelected;
  data->SetPartiallySelectedItem(this);
  int32_t left = 0, top = 0;
  data->SetMouseCapture(this, left, top);
  UpdateSelectionMarks(*this);
  DragSelecting = true;
  return true;
}

void TRVTableItemInfo::Deselect() {
  DestroyInplace(true);
  State &= ~rvtsCellsSelected;
  SelStartRow = -1;
  SelStartCol = -1;
  SelColOffs = 0;
  SelRowOffs = 0;
  UpdateSelectionMarks(*this);
  InplaceStored = false;
  StoredPartialItem = nullptr;
  if (TCustomRVFormattedData* data = Formatted(GetParentData())) data->InvalidateControl();
}

bool TRVTableItemInfo::GetSelectionBounds(bool WithEditor, int& TopRow, int& LeftCol, int& ColCount,
                                          int& RowCount) {
  const bool anchorValid = SelStartRow >= 0 && SelStartRow < Rows_->Count() && SelStartCol >= 0 &&
                           SelStartCol < Rows_->GetColCount();
  if (!anchorValid && (State & rvtsCellsSelected) != 0) {
    State &= ~rvtsCellsSelected;
    if (TCustomRVFormattedData* data = Formatted(GetParentData())) {
      data->ReleaseMouseCapture(this);
      if (auto* focused = Formatted(data->GetFocusedSubData()); focused != nullptr && focused != data)
        data->UnassignFocusedSubData(focused);
    }
    DragSelecting = false;
  }
  if ((State & rvtsCellsSelected) != 0) return GetSelectionBounds(TopRow, LeftCol, ColCount, RowCount);
  if (!WithEditor || CellEditor == nullptr) return false;
  int row = -1, col = -1;
  const TRVTableCellData* cell = Rows_->GetMainCell(CellEditor->GetRow(), CellEditor->GetCol(), row, col);
  if (cell == nullptr) return false;
  TopRow = row;
  LeftCol = col;
  ColCount = cell->ColSpan;
  RowCount = cell->RowSpan;
  return true;
}

// ---- closing and reopening the cell editor around an operation ----------------------------------

void TRVTableItemInfo::StoreInplace() {
  if (CellEditor == nullptr) return;
  if (CellEditor->Busy()) throw ERVTableInplaceError("Cannot destroy cell inplace editor at this time");
  if (TCustomRVFormattedData* editorData = Formatted(CellEditor->GetEditorData())) {
    editorData->GetItemSelectionBounds(StoredSelection[0], StoredSelection[1], StoredSelection[2],
                                       StoredSelection[3], false);
    StoredPartialItem = editorData->PartiallySelectedItem;
  }
  StoredRow = CellEditor->GetRow();
  StoredCol = CellEditor->GetCol();
  InplaceStored = true;
  DestroyInplace(true);
}

void TRVTableItemInfo::RestoreInplace() {
  if (!InplaceStored) return;
  InplaceStored = false;
  TCustomRVItemInfo* partial = StoredPartialItem;
  StoredPartialItem = nullptr;
  if (StoredRow < 0 || StoredRow >= Rows_->Count() || StoredCol < 0 || StoredCol >= Rows_->GetColCount())
    return;
  OpenCellEditor(-1, StoredRow, StoredCol, false, true, false, 0, true);
  if (CellEditor == nullptr) return;
  TCustomRVFormattedData* editorData = Formatted(CellEditor->GetEditorData());
  if (editorData == nullptr) return;
  const int count = editorData->GetItemCount();
  if (StoredSelection[0] >= 0 && StoredSelection[0] < count && StoredSelection[2] >= 0 &&
      StoredSelection[2] < count)
    editorData->SetSelectionBounds(StoredSelection[0], StoredSelection[1], StoredSelection[2],
                                   StoredSelection[3]);
  if (partial != nullptr && editorData->FindItemIndex(partial) >= 0)
    editorData->SetPartiallySelectedItem(partial);
}

// ---- the mouse ----------------------------------------------------------------------------------

namespace {

/// The whole table lies in the document's selection.
bool TableInsideSelection(TCustomRVFormattedData& Data, int ItemNo) {
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  Data.GetItemSelectionBounds(startNo, startOffs, endNo, endOffs, true);
  if (startNo < 0 || endNo < 0) return false;
  const bool startsBefore = startNo < ItemNo || (startNo == ItemNo && startOffs == 0);
  const bool endsAfter = endNo > ItemNo || (endNo == ItemNo && endOffs == 1);
  return startsBefore && endsAfter;
}

/// The inverted dotted line at the dragged border, following the pointer (client X, Y).
void DrawSizingLine(TRVTableItemInfo& Table, TObject* Sender, int32_t X, int32_t Y) {
  auto* data = dynamic_cast<TCustomRVFormattedData*>(Sender);
  TCanvas* canvas = data != nullptr ? data->GetCanvas() : nullptr;
  if (canvas == nullptr || !canvas->HasTarget()) return;
  canvas->Pen().SetMode(pmNot);
  canvas->Pen().SetWidth(1);
  canvas->Pen().SetStyle(psSolid);
  canvas->Brush().SetStyle(bsClear);
  const int32_t left = Table.ClientLeft, top = Table.ClientTop;
  if (Table.SizingCols)
    TRVTableItemInfo::DrawSizingLineV(*canvas, X + Table.SizingOffset, top,
                                      top + Table.FormattingInfo.Height);
  else
    TRVTableItemInfo::DrawSizingLineH(*canvas, left, left + Table.FormattingInfo.Width,
                                      Y + Table.SizingOffset);
  canvas->Pen().SetMode(pmCopy);
}

}  // namespace

bool TRVTableItemInfo::MouseDownHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                                     TCustomRVData* RVData) {
  TCustomRVFormattedData* data = Formatted(RVData);
  if (data == nullptr || Rows_->IsEmpty() || IsBusy() || (RVData->StateFlags & kIgnoreTablePresses) != 0)
    return false;
  RefreshClientCoords(RVData);
  const bool inEditor = RVData->GetRootData()->IsEditData();
  int row = -1, col = -1;
  const bool hit = GetCellAtPoint(X, Y, row, col);
  TRVTableCellData* cell = hit ? GetCell(row, col) : nullptr;

  // A click in an editable cell of an editor opens the cell editor and hands it the press.
  if ((Button == mbLeft || Button == mbRight) && inEditor && (Options & rvtoEditing) != 0 && hit) {
    if (Button == mbRight && (IsCellSelected(row, col) || TableInsideSelection(*data, ItemNo))) return true;
    if (!CanEditCell(row, col)) return true;
    // The editor notes the time of a left click, so that a second click makes a double click.
    OpenCellEditor(ItemNo, row, col, (Shift & ssCtrl) != 0, false, false, Button == mbLeft ? 1u : 0u, false);
    if (CellEditor != nullptr && CellEditor->GetRow() == row && CellEditor->GetCol() == col) {
      auto* editor = const_cast<TWinControl*>(CellEditor->GetControl());
      editor->SetMouseCapture(true);
      editor->MouseDown(Button, Shift, X - cell->Left, Y - cell->Top - cell->GetVerticalShift());
      return true;
    }
  }

  PendingClick[0] = PendingClick[1] = 0;
  if (hit) {
    DoCellClick(row, col);
    if (CanEditCell(row, col)) {
      DestroyInplace(true);
      if (inEditor) FocusRootControl(RVData);
      if (Button == mbLeft) {
        TRVStateScope collapsing(*data, kCollapsingAfterTable);
        data->SetSelectionBounds(ItemNo, 1, ItemNo, 1);
        PendingClick[0] = PendingClick[1] = 0;
      }
      if (Button == mbLeft || Button == mbRight) {
        data->AssignFocusedSubData(cell, this);
        FocusedCellRow = row;
        FocusedCellCol = col;
      }
      if (PointInContent(*cell, CellPadding, X, Y))
        cell->MouseDown(Button, Shift, X + ClientLeft, Y + ClientTop);
      if (Button == mbLeft && SelectCell(row, col)) {
        int32_t left = 0, top = 0;
        data->SetMouseCapture(this, left, top);
        data->InvalidateControl();
      }
    }
    // The document still reports the press and notes a pressed hyperlink of the cell; while
    // the table holds the mouse it selects nothing of its own.
    return false;
  }

  // A press on a border starts sizing, or selects a row or column from the outer border.
  if (Button == mbLeft && (Options & (rvtoRowSizing | rvtoColSizing | rvtoRowSelect | rvtoColSelect)) != 0) {
    const bool colSizing = inEditor && (Options & rvtoColSizing) != 0;
    const bool rowSizing = inEditor && (Options & rvtoRowSizing) != 0;
    int before = -1;
    int32_t pos = 0;
    const int colBorder = colSizing || (Options & rvtoRowSelect) != 0 ? GetColBorderAt(X, before, pos) : -1;
    if (colBorder > 0 && colSizing) {
      SizingIndex = colBorder;
      SizingStart = FormattingInfo.ColStarts[before];
      SizingOffset = pos - X;
      SizingCols = true;
    } else {
      const int rowBorder = rowSizing || (Options & rvtoColSelect) != 0 ? GetRowBorderAt(Y, before, pos) : -1;
      if (rowBorder > 0 && rowSizing) {
        SizingIndex = rowBorder;
        SizingStart = FormattingInfo.RowStarts[before];
        SizingOffset = pos - Y;
        SizingCols = false;
      } else {
        int line = -1;
        if (rowBorder == 0 && (Options & rvtoColSelect) != 0 && (line = GetColAt(X)) >= 0)
          SelectCols(line, 1);
        else if (colBorder == 0 && (Options & rvtoRowSelect) != 0 && (line = GetRowAt(Y)) >= 0)
          SelectRows(line, 1);
        if (line >= 0) {
          int32_t left = 0, top = 0;
          data->SetMouseCapture(this, left, top);
          return true;
        }
        SizingIndex = -1;
      }
    }
    if (SizingIndex > 0) {
      SizingShift = (Shift & ssShift) != 0;
      data->AssignXorDrawing(this, [this](TObject* Sender, TShiftState, int32_t PX, int32_t PY) {
        DrawSizingLine(*this, Sender, PX, PY);
      });
      int32_t left = 0, top = 0;
      data->SetMouseCapture(this, left, top);
      StoreInplace();
      data->XorDrawingAt(X + ClientLeft, Y + ClientTop);
      return true;
    }
  }

  if (RootIsProgramEditor(RVData)) return true;
  DestroyInplace(true);
  FocusRootControl(RVData);
  return false;
}

bool TRVTableItemInfo::MouseMoveHook(TShiftState /*Shift*/, int32_t X, int32_t Y, int /*ItemNo*/,
                                     TCustomRVData* RVData) {
  int row = -1, col = -1;
  if (Rows_->IsEmpty() || !GetCellAtPoint(X, Y, row, col)) return false;
  if (CanEditCell(row, col) && RootIsProgramEditor(RVData))
    if (TCustomRVFormattedData* data = Formatted(RVData)) data->SetCursor(crIBeam);
  return true;
}

namespace {

/// Sets the best size of every cell that ends at Line (a column when Width, else a row): a
/// cell spanning that line alone takes Value; a merged cell reaching it from before takes 0
/// when a single cell took the value, else Merged(cell).
template <typename TMerged>
void SetLineBestSize(TRVTableItemInfo& Table, TRVTableEditorHooks& Hooks, int ItemNo, bool Width, int Line,
                     int32_t Value, TMerged Merged) {
  TRVTableRows& rows = Table.Rows();
  const int count = Width ? rows.Count() : rows.GetColCount();
  auto set = [&](int r, int c, int32_t v) {
    Hooks.SetCellProperty(Table, ItemNo, Width ? "BestWidth" : "BestHeight", true, true, r, c, v);
  };
  bool single = false;
  for (int k = 0; k < count; ++k) {
    const int r = Width ? k : Line, c = Width ? Line : k;
    const TRVTableCellData* cell = Table.GetCell(r, c);
    if (cell == nullptr || (Width ? cell->ColSpan : cell->RowSpan) != 1) continue;
    set(r, c, Value);
    single = true;
  }
  for (int k = 0; k < count; ++k) {
    const int r = Width ? k : Line, c = Width ? Line : k;
    int mr = -1, mc = -1;
    TRVTableCellData* cell = rows.GetMainCell(r, c, mr, mc);
    if (cell == nullptr || (Width ? mc : mr) >= Line || (Width ? mr : mc) != (Width ? r : c)) continue;
    if ((Width ? mc + cell->ColSpan : mr + cell->RowSpan) - 1 != Line) continue;
    set(mr, mc, single ? 0 : Merged(*cell));
  }
}

}  // namespace

void TRVTableItemInfo::MouseUpHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                                   TCustomRVData* RVData) {
  TCustomRVFormattedData* data = Formatted(RVData);
  if (data == nullptr || Rows_->IsEmpty() || IsBusy()) return;
  PendingClick[0] = PendingClick[1] = 0;
  RefreshClientCoords(RVData);

  if (Button == mbLeft && data->UsingThisXorDrawing(this)) {
    data->UnassignXorDrawing(this);
    // The drag ends whatever the change does: the mouse goes back and the cell editor
    // reopens where it was.
    auto endDrag = [&] {
      SizingIndex = -1;
      data->ReleaseMouseCapture(this);
    };
    TRVTableEditorHooks* hooks = RVTableEditorHooks();
    if (RVData->GetRootData()->IsEditData() && hooks != nullptr && hooks->CanChange(*this)) {
      int32_t state = 0;
      hooks->BeginTableChange(*this, state);
      try {
        Changed();
        if (SizingCols)
          ApplyColumnSize(*hooks, ItemNo, X);
        else
          ApplyRowSize(*hooks, ItemNo, Y);
      } catch (...) {
        hooks->EndTableChange(*this, state);
        endDrag();
        throw;
      }
      hooks->EndTableChange(*this, state);
      data->InvalidateControl();
    }
    endDrag();
    RestoreInplace();
    return;
  }

  int row = -1, col = -1;
  const bool hit = GetCellAtPoint(X, Y, row, col);
  TRVTableCellData* cell = hit ? GetCell(row, col) : nullptr;
  const bool inContent = hit && PointInContent(*cell, CellPadding, X, Y);
  if (Button == mbLeft) {
    if (DragSelecting && CellEditor == nullptr) {
      int ar = -1, ac = -1;
      if (SelStartRow >= 0 && SelStartRow < Rows_->Count() && SelStartCol >= 0 &&
          SelStartCol < Rows_->GetColCount())
        if (TRVTableCellData* anchor = Rows_->GetMainCell(SelStartRow, SelStartCol, ar, ac))
          anchor->MouseUp(Button, Shift, X + ClientLeft, Y + ClientTop);
      auto* focused = Formatted(data->GetFocusedSubData());
      if (focused != nullptr && focused != data && (focused->StateFlags & rvstWholeDataSelected) != 0)
        data->UnassignFocusedSubData(focused);
    } else if (!DragSelecting && CellEditor == nullptr && inContent) {
      cell->MouseUp(Button, Shift, X + ClientLeft, Y + ClientTop);
    }
    data->ReleaseMouseCapture(this);
    DragSelecting = false;
    return;
  }
  if (CellEditor != nullptr || !inContent || !CanEditCell(row, col)) return;
  cell->MouseUp(Button, Shift, X + ClientLeft, Y + ClientTop);
  if (Button != mbRight || (data->GetOptions() & rvoRClickDeselects) == 0) return;
  const bool focusedWithSelection =
      row == FocusedCellRow && col == FocusedCellCol && cell->SelectionExists(false, true);
  if (!IsCellSelected(row, col) && !TableInsideSelection(*data, ItemNo) && !focusedWithSelection)
    data->SetSelectionBounds(ItemNo, 1, ItemNo, 1);
}

void TRVTableItemInfo::ApplyColumnSize(TRVTableEditorHooks& Hooks, int ItemNo, int32_t X) {
  const int cols = Rows_->GetColCount();
  const int c = SizingIndex - 1;
  if (c < 0 || c >= cols) return;
  const int32_t drop = X - SizingStart + SizingOffset;
  const bool last = c == cols - 1;
  const int32_t edge =
      last ? (BorderWidth + BorderHSpacing + CellBorderWidth + 1) / 2 : CellBorderWidth + CellHSpacing / 2;
  const int32_t width = std::max<int32_t>(drop - 2 * CellPadding - edge, 1);
  const int32_t oldWidth = FormattingInfo.ColWidths[c];
  if (Rows_->IsPercentColumn(c)) {
    // Without room beyond the overhead a percentage means nothing: the widths stay.
    const int32_t room = FormattingInfo.Width - GetHorzOverhead();
    if (room <= 0) return;
    int32_t percent = static_cast<int32_t>(-(static_cast<int64_t>(width) * 100) / room);
    if (percent >= 0) percent = -1;
    SetLineBestSize(*this, Hooks, ItemNo, true, c, percent,
                    [](const TRVTableCellData& Cell) { return Cell.BestWidth; });
    return;
  }
  const int32_t padding = 2 * CellPadding;
  SetLineBestSize(*this, Hooks, ItemNo, true, c, width, [&](const TRVTableCellData& Cell) {
    return std::max<int32_t>(Cell.Width - padding - oldWidth + width, 1);
  });
  // The column after the border gives or takes what this one took or gave, so that its
  // right edge stays.
  if (SizingShift || last || Rows_->IsPercentColumn(c + 1)) return;
  const int32_t nextOld = FormattingInfo.ColWidths[c + 1];
  const int32_t next = std::max<int32_t>(nextOld - (width - oldWidth), 1);
  SetLineBestSize(*this, Hooks, ItemNo, true, c + 1, next, [&](const TRVTableCellData& Cell) {
    return std::max<int32_t>(Cell.Width - padding - nextOld + next, 1);
  });
}

void TRVTableItemInfo::ApplyRowSize(TRVTableEditorHooks& Hooks, int ItemNo, int32_t Y) {
  const int rows = Rows_->Count();
  const int r = SizingIndex - 1;
  if (r < 0 || r >= rows) return;
  const int32_t drop = Y - SizingStart + SizingOffset;
  const int32_t edge = r == rows - 1 ? (BorderWidth + BorderVSpacing + CellBorderWidth + 1) / 2
                                     : CellVSpacing / 2 + CellBorderWidth;
  const int32_t height = std::max<int32_t>(drop - 2 * CellPadding - edge, 0);
  const int32_t rowTop = FormattingInfo.RowStarts[r];
  SetLineBestSize(*this, Hooks, ItemNo, false, r, height, [&](const TRVTableCellData& Cell) {
    return std::max<int32_t>(rowTop + height - Cell.Top, 0);
  });
}
