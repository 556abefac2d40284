#include "richtext/table/RVTable.h"

#include "platform/graphics/Cursors.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/GraphicResources.h"
#include "platform/graphics/Icon.h"
#include "richtext/table/RVTableCell.h"

TRVTableUndoRecord::TRVTableUndoRecord() = default;
TRVTableUndoRecord::~TRVTableUndoRecord() = default;

void TRVTableItemFormattingInfo::Clear() {
  ColWidths.Clear();
  RowHeights.Clear();
  ColStarts.Clear();
  RowStarts.Clear();
}

// ---------------------------------------------------------------------------------------
// Backgrounds

TGraphic* RVTableBackgroundImage(const std::unique_ptr<TRVBackground>& Background) {
  return Background ? Background->GetBitmap() : nullptr;
}

void RVTableSetBackgroundImage(std::unique_ptr<TRVBackground>& Background, const TGraphic* Image,
                               TCustomRVData* RVData) {
  if (Image == RVTableBackgroundImage(Background)) return;
  if (!Background && Image != nullptr && !Image->Empty()) Background = std::make_unique<TRVBackground>(false);
  if (!Background) return;
  Background->AssignBitmap(Image, RVData);
  if (Background->IsEmpty()) Background.reset();
}

TRVItemBackgroundStyle RVTableBackgroundStyle(const std::unique_ptr<TRVBackground>& Background) {
  return Background ? Background->GetItemBackgroundStyle() : rvbsColor;
}

void RVTableSetBackgroundStyle(std::unique_ptr<TRVBackground>& Background, TRVItemBackgroundStyle Value) {
  if (Value == RVTableBackgroundStyle(Background)) return;
  if (!Background) Background = std::make_unique<TRVBackground>(false);
  Background->SetItemBackgroundStyle(Value);
  if (Background->IsEmpty()) Background.reset();
}

// ---------------------------------------------------------------------------------------
// Rows

TRVTableRow::TRVTableRow(int nCols, TRVTableRows* Rows) : Rows_(Rows) {
  SetCapacity(nCols);
  for (int i = 0; i < nCols; ++i) AddCell();
}

TRVTableCellData* TRVTableRow::GetCell(int Index) const {
  return static_cast<TRVTableCellData*>(Get(Index));
}

TRVTableCellData* TRVTableRow::AddCell() {
  auto cell = std::make_unique<TRVTableCellData>(this);
  TRVTableCellData* result = cell.get();
  Add(std::move(cell));
  return result;
}

TRVTableCellData* TRVTableRow::InsertCell(int Index) {
  auto cell = std::make_unique<TRVTableCellData>(this);
  TRVTableCellData* result = cell.get();
  Insert(Index, std::move(cell));
  return result;
}

void TRVTableRow::InsertEmptySlot(int Index) {
  Insert(Index, nullptr);
}

void TRVTableRow::InsertCellObject(int Index, std::unique_ptr<TRVTableCellData> Cell) {
  if (Cell) Cell->SetRow(this);
  Insert(Index, std::move(Cell));
}

std::unique_ptr<TRVTableCellData> TRVTableRow::PutCell(int Index, std::unique_ptr<TRVTableCellData> Cell) {
  if (Cell) Cell->SetRow(this);
  std::unique_ptr<TRVItemFormattedData> old = Extract(Index);
  Insert(Index, std::move(Cell));
  return std::unique_ptr<TRVTableCellData>(static_cast<TRVTableCellData*>(old.release()));
}

std::unique_ptr<TRVTableCellData> TRVTableRow::TakeCell(int Index) {
  return PutCell(Index, nullptr);
}

TCustomRVData* TRVTableRow::GetParentRVData() const {
  return Rows_ != nullptr ? Rows_->GetRVData() : nullptr;
}

int32_t TRVTableRow::GetBestHeight() const {
  int32_t result = 0;
  for (int c = 0; c < Count(); ++c) {
    const TRVTableCellData* cell = GetCell(c);
    if (cell != nullptr && cell->RowSpan < 2) result = std::max(result, cell->BestHeight);
  }
  return result;
}

int32_t TRVTableRow::GetHeight() const {
  int32_t result = 0;
  for (int c = 0; c < Count(); ++c) {
    const TRVTableCellData* cell = GetCell(c);
    if (cell != nullptr && cell->RowSpan < 2) result = std::max(result, cell->GetCellHeight());
  }
  return result == 0 ? 10 : result;
}

TRVTableRows::TRVTableRows(int nRows, int nCols, TRVTableItemInfo* Table, TCustomRVData* RVData)
    : Table_(Table), RVData_(RVData) {
  InitRows(nRows, nCols);
}

void TRVTableRows::InitRows(int nRows, int nCols) {
  if (Count() != 0) return;
  SetCapacity(nRows);
  for (int r = 0; r < nRows; ++r) AddRow(nCols);
}

TRVTableRow* TRVTableRows::AddRow(int nCols) {
  auto row = std::make_unique<TRVTableRow>(nCols, this);
  TRVTableRow* result = row.get();
  Add(std::move(row));
  return result;
}

TRVTableRow* TRVTableRows::InsertRow(int Index, int nCols) {
  auto row = std::make_unique<TRVTableRow>(nCols, this);
  TRVTableRow* result = row.get();
  Insert(Index, std::move(row));
  return result;
}

TRVTableCellData* TRVTableRows::GetMainCell(int Row, int Col, int& MainRow, int& MainCol) const {
  MainRow = -1;
  MainCol = -1;
  if (TRVTableCellData* cell = Get(Row)->GetCell(Col)) {
    MainRow = Row;
    MainCol = Col;
    return cell;
  }
  // Walk up row by row; in each row the nearest cell to the left is the candidate. A grid
  // whose invariant is broken has no covering cell: the walk ends at the top edge.
  for (int r = Row; r >= 0; --r) {
    const TRVTableRow* row = Get(r);
    for (int c = Col; c >= 0; --c) {
      TRVTableCellData* cell = row->GetCell(c);
      if (cell == nullptr) continue;
      if (c + cell->ColSpan > Col && r + cell->RowSpan > Row) {
        MainRow = r;
        MainCol = c;
        return cell;
      }
      break;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// The item

void RVLoadTableSelectionCursors() {
  for (const auto& [cursor, name] :
       {std::pair{crRVSelectRow, "RV_SELECTROW_CURSOR"}, std::pair{crRVSelectCol, "RV_SELECTCOL_CURSOR"}}) {
    if (GetScreenCursor(cursor) != nullptr) continue;
    auto image = std::make_shared<TIcon>();
    LoadCursorResource(name, *image);
    SetScreenCursor(cursor, std::move(image));
  }
}

void RVRegisterTableItemClass() {
  if (RVFindRegisteredItemClass(rvsTable) == TRVTableItemInfo::ItemClass()) return;
  RVRegisterItemClass(rvsTable, TRVTableItemInfo::ItemClass());
}

TRVTableItemInfo::TRVTableItemInfo(TCustomRVData* RVData) : TRVFullLineItemInfo(RVData) {
  InitTable(1, 1, RVData);
}

TRVTableItemInfo::TRVTableItemInfo(int nRows, int nCols, TCustomRVData* RVData)
    : TRVFullLineItemInfo(RVData) {
  InitTable(nRows, nCols, RVData);
}

void TRVTableItemInfo::InitTable(int nRows, int nCols, TCustomRVData* RVData) {
  StyleNo = rvsTable;
  Rows_ = std::make_unique<TRVTableRows>(nRows, nCols, this, RVData);
  RVLoadTableSelectionCursors();
  State |= rvtsItemActionToCells;
}

bool TRVTableItemInfo::HoldsData(const TCustomRVData* Data) const {
  for (const TCustomRVData* data = Data; data != nullptr; data = data->GetParentData())
    if (const auto* cell = dynamic_cast<const TRVTableCellData*>(data);
        cell != nullptr && cell->GetTable() == this)
      return true;
  return false;
}

bool TRVTableItemInfo::HoldsCheckpoint(const TRVCPInfo* Checkpoint) const {
  bool found = false;
  ForEachCell([&](TRVTableCellData& cell) {
    for (int i = 0; i < cell.GetItemCount() && !found; ++i) {
      const TCustomRVItemInfo* item = cell.GetItem(i);
      const auto* nested = dynamic_cast<const TRVTableItemInfo*>(item);
      found =
          item->Checkpoint.get() == Checkpoint || (nested != nullptr && nested->HoldsCheckpoint(Checkpoint));
    }
  });
  return found;
}

void TRVTableItemInfo::ForgetCellsInParents() {
  for (TCustomRVData* data = GetParentData(); data != nullptr; data = data->GetParentData()) {
    auto* formatted = dynamic_cast<TCustomRVFormattedData*>(data);
    if (formatted == nullptr) continue;
    TRVList<TRVJumpInfo>& jumps = formatted->Jumps();
    for (int i = jumps.Count() - 1; i >= 0; --i)
      if (HoldsData(jumps[i]->RVData)) jumps.Delete(i);
    if (HoldsData(formatted->HoverSubData)) formatted->HoverSubData = nullptr;
    if (formatted->LastRaisedCP != nullptr && HoldsCheckpoint(formatted->LastRaisedCP))
      formatted->LastRaisedCP = nullptr;
    // A cell around the table keeps one of its cells as its focused sub-document.
    if (auto* cell = dynamic_cast<TRVTableCellData*>(formatted);
        cell != nullptr && cell->GetFocusedSubItem() == this)
      cell->ReplaceFocusedSubData(nullptr);
  }
}

TRVTableItemInfo::~TRVTableItemInfo() {
  // An open cell editor gives the items back before the cells go; the documents around
  // the table then forget the cells.
  DestroyInplace(false);
  ForgetCellsInParents();
  FormattingInfo.Clear();
  // Cells tell their items' leaving to the document through the table: the rows must still
  // be there while they go.
  Rows_->Clear();
  Rows_.reset();
  Background_.reset();
}

TRVTableCellData* TRVTableItemInfo::GetCell(int Row, int Col) const {
  return Rows_->Get(Row)->GetCell(Col);
}

int TRVTableItemInfo::GetMyItemNo() const {
  TCustomRVData* parent = GetParentData();
  if (parent == nullptr) return -1;
  // The number found last is only a hint: items may have come and gone since.
  if (ItemNoHint_ >= 0 && ItemNoHint_ < parent->GetItemCount() && parent->GetItem(ItemNoHint_) == this)
    return ItemNoHint_;
  ItemNoHint_ = parent->FindItemIndex(this);
  return ItemNoHint_;
}

TGraphic* TRVTableItemInfo::GetBackgroundImage() const {
  return RVTableBackgroundImage(Background_);
}

void TRVTableItemInfo::SetBackgroundImage(const TGraphic* Image) {
  RVTableSetBackgroundImage(Background_, Image, GetParentData());
}

TRVItemBackgroundStyle TRVTableItemInfo::GetBackgroundStyle() const {
  return RVTableBackgroundStyle(Background_);
}

void TRVTableItemInfo::SetBackgroundStyle(TRVItemBackgroundStyle Value) {
  RVTableSetBackgroundStyle(Background_, Value);
}

bool TRVTableItemInfo::QueryFeature(int Code) const {
  switch (Code) {
    case rvfqOwnLine:
    case rvfqChangesCanvasFont:
    case rvfqUnicodePlainText:
    case rvfqInTextOnlyOutput:
      return true;
    default:
      return TRVFullLineItemInfo::QueryFeature(Code);
  }
}

bool TRVTableItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  return Code != rvsfPrintViaBitmap && TRVFullLineItemInfo::QueryFeatureForStyle(Code, Style);
}

void TRVTableItemInfo::ForEachCell(const std::function<void(TRVTableCellData&)>& Action) const {
  for (const auto& row : *Rows_)
    for (int c = 0; c < row->Count(); ++c)
      if (TRVTableCellData* cell = row->GetCell(c)) Action(*cell);
}

void TRVTableItemInfo::Inserting(TCustomRVData* RVData, bool Clearing) {
  Rows_->SetRVData(RVData);
  State &= ~(rvtsInserted | rvtsEditMode);
  if (RVData != nullptr) {
    State |= rvtsInserted;
    if (RVData->GetRootData()->IsEditData()) State |= rvtsEditMode;
  }
  ForEachCell([&](TRVTableCellData& cell) {
    if (cell.GetItemCount() == 0) cell.AddTextItem("", 0, 0);
    cell.ConvertItemTexts(Clearing);
  });
  TRVFullLineItemInfo::Inserting(RVData, Clearing);
}

namespace {

/// Lists the markers of Item's documents (and of the items nested in them) in document order,
/// so that each finds the one before it listed already.
void ListMarkersInside(TCustomRVItemInfo& Item) {
  std::unique_ptr<TRVStoreSubRVData> state;
  for (TCustomRVData* sub = Item.GetSubDocument(state, 0); sub != nullptr;
       sub = Item.GetSubDocument(state, 4))
    for (int i = 0; i < sub->GetItemCount(); ++i) {
      if (sub->GetItemStyleNo(i) == rvsListMarker)
        sub->AddMarkerToList(i);
      else
        ListMarkersInside(*sub->GetItem(i));
    }
}

}  // namespace

void TRVTableItemInfo::Inserted(TCustomRVData* RVData, int ItemNo) {
  TRVFullLineItemInfo::Inserted(RVData, ItemNo);
  Rows_->SetRVData(RVData);
  // The cells kept their markers out of every list while the table lay in no document (read,
  // built or imported); they join the document's list where they now stand.
  if (RVData != nullptr) ListMarkersInside(*this);
  if ((State & rvtsItemActionToCells) == 0) return;
  ForEachCell([](TRVTableCellData& cell) {
    for (int i = 0; i < cell.GetItemCount(); ++i) {
      cell.GetItem(i)->Inserted(&cell, i);
      std::string none;
      cell.ItemAction(rviaInserted, cell.GetItem(i), none, &cell);
    }
  });
  State &= ~rvtsItemActionToCells;
}

void TRVTableItemInfo::BeforeLoading(int Format) {
  if (Format >= 2 && Format <= 4) State &= ~rvtsItemActionToCells;
  TRVFullLineItemInfo::BeforeLoading(Format);
}

void TRVTableItemInfo::AfterLoading(int Format) {
  TRVFullLineItemInfo::AfterLoading(Format);
  ForEachCell([Format](TRVTableCellData& cell) {
    for (int i = 0; i < cell.GetItemCount(); ++i) cell.GetItem(i)->AfterLoading(Format);
  });
}

void TRVTableItemInfo::DetachFromData(TCustomRVData* RVData, int ItemNo) {
  if (CellEditor != nullptr) CellEditor->Close(false);
  ForEachCell([](TRVTableCellData& cell) {
    for (int i = 0; i < cell.GetItemCount(); ++i) cell.GetItem(i)->DetachFromData(&cell, i);
  });
  Rows_->SetRVData(nullptr);
  TRVFullLineItemInfo::DetachFromData(RVData, ItemNo);
  State &= ~(rvtsInserted | rvtsEditMode);
}

void TRVTableItemInfo::AttachToData(TCustomRVData* RVData, int ItemNo) {
  TRVFullLineItemInfo::AttachToData(RVData, ItemNo);
  Rows_->SetRVData(RVData);
  State |= rvtsInserted;
  if (RVData != nullptr && RVData->GetRootData()->IsEditData()) State |= rvtsEditMode;
  ForEachCell([](TRVTableCellData& cell) {
    for (int i = 0; i < cell.GetItemCount(); ++i) cell.GetItem(i)->AttachToData(&cell, i);
  });
}

TCustomRVData* TRVTableItemInfo::FindControlData(const TObject* Control, int& ItemNo) const {
  TCustomRVData* found = nullptr;
  ItemNo = -1;
  ForEachCell([&](TRVTableCellData& cell) {
    if (found != nullptr) return;
    TCustomRVData* data = cell.GetActiveData();
    ItemNo = data->FindItemByOwnedObject(Control);
    if (ItemNo >= 0) found = data;
  });
  return found;
}

bool TRVTableItemInfo::OwnsControl(const TObject* Control) const {
  int itemNo = -1;
  return FindControlData(Control, itemNo) != nullptr;
}

bool TRVTableItemInfo::ControlAction(TRVControlAction Action, const TObject* Control) {
  int itemNo = -1;
  TCustomRVData* data = FindControlData(Control, itemNo);
  if (data == nullptr) return false;
  data->ControlAction(Action, itemNo, data->GetItem(itemNo));
  return true;
}

bool TRVTableItemInfo::OwnsInplaceEditor(const TWinControl* Editor) const {
  return CellEditor != nullptr && Editor != nullptr && CellEditor->GetControl() == Editor;
}

void TRVTableItemInfo::BuildSubJumps(int32_t Left, int32_t Top, TRVList<TRVJumpInfo>& List,
                                     int& StartJumpNo) {
  for (int r = 0; r < Rows_->Count(); ++r)
    for (int c = 0; c < Rows_->GetColCount(); ++c) {
      TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr) continue;
      if (CellEditor != nullptr && CellEditor->GetRow() == r && CellEditor->GetCol() == c) {
        CellEditor->SetFirstJumpNo(StartJumpNo);
        StartJumpNo += CellEditor->GetJumpCount();
        continue;
      }
      const int first = List.Count();
      cell->BuildJumpList(StartJumpNo, &List);
      const int32_t dx = Left + cell->Left + CellPadding;
      const int32_t dy = Top + cell->Top + CellPadding + cell->GetVerticalShift();
      for (int i = first; i < List.Count(); ++i) {
        List[i]->Left += dx;
        List[i]->Top += dy;
      }
    }
}

void TRVTableItemInfo::FinishEditing() {
  if (CellEditor != nullptr) CellEditor->Close(true);
}

void TRVTableItemInfo::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                       TRVIntegerList& UsedListStyles) const {
  TRVFullLineItemInfo::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
  for (const auto& row : *Rows_)
    for (const auto& cell : *row)
      if (cell) cell->MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
}

void TRVTableItemInfo::RenumberStyles(const TRVIntegerList& TextStylesMap,
                                      const TRVIntegerList& ParaStylesMap,
                                      const TRVIntegerList& ListStylesMap) {
  TRVFullLineItemInfo::RenumberStyles(TextStylesMap, ParaStylesMap, ListStylesMap);
  for (const auto& row : *Rows_)
    for (const auto& cell : *row)
      if (cell) cell->RenumberStyles(TextStylesMap, ParaStylesMap, ListStylesMap);
}

TCustomRVData* TRVTableItemInfo::GetSubDocument(std::unique_ptr<TRVStoreSubRVData>& State, int Direction) {
  const int rows = Rows_->Count();
  const int cols = Rows_->GetColCount();
  if (rows == 0 || cols == 0) return nullptr;
  // Slots in row-major order; covered slots are skipped.
  auto step = [&](int index, int delta) -> TCustomRVData* {
    for (index += delta; index >= 0 && index < rows * cols; index += delta) {
      TRVTableCellData* cell = GetCell(index / cols, index % cols);
      if (cell == nullptr) continue;
      State = std::make_unique<TRVTableStoreSubRVData>(index / cols, index % cols);
      return cell;
    }
    return nullptr;
  };
  auto* position = dynamic_cast<TRVTableStoreSubRVData*>(State.get());
  switch (Direction) {
    case 0:
      return step(-1, 1);
    case 1:
      return step(rows * cols, -1);
    case 4:
      return position != nullptr ? step(position->Row * cols + position->Col, 1) : nullptr;
    case 5:
      return position != nullptr ? step(position->Row * cols + position->Col, -1) : nullptr;
    default:
      return nullptr;
  }
}

TCustomRVData* TRVTableItemInfo::GetSubDocumentAt(int32_t X, int32_t Y) {
  int row = 0, col = 0;
  if (!GetCellAtPoint(X, Y, row, col)) return nullptr;
  return GetCell(row, col)->GetActiveData();
}

TRVTableCellData* TRVTableItemInfo::GetFocusedCell() {
  if (FocusedCellRow < 0 || FocusedCellRow >= Rows_->Count() || FocusedCellCol < 0 ||
      FocusedCellCol >= Rows_->GetColCount()) {
    FocusedCellRow = FocusedCellCol = -1;
    return nullptr;
  }
  int row = -1, col = -1;
  TRVTableCellData* cell = Rows_->GetMainCell(FocusedCellRow, FocusedCellCol, row, col);
  FocusedCellRow = row;
  FocusedCellCol = col;
  return cell;
}

bool TRVTableItemInfo::FindCell(const TRVTableCellData& Cell, int& Row, int& Col) const {
  for (int r = 0; r < Rows_->Count(); ++r) {
    const int c = Rows_->Get(r)->IndexOf(&Cell);
    if (c >= 0) {
      Row = r;
      Col = c;
      return true;
    }
  }
  return false;
}

void TRVTableItemInfo::FocusCell(const TRVTableCellData& Cell) {
  int row = -1, col = -1;
  if (!FindCell(Cell, row, col)) return;
  FocusedCellRow = row;
  FocusedCellCol = col;
}

void TRVTableItemInfo::CellHoldsFocusedItem(const TRVTableCellData& Cell, TCustomRVFormattedData* Data,
                                            int ItemNo) {
  FocusCell(Cell);
  auto* parent = dynamic_cast<TCustomRVFormattedData*>(GetParentData());
  const int myItemNo = GetMyItemNo();
  if (parent == nullptr || myItemNo < 0) return;
  parent->FocusedItemNo = myItemNo;
  parent->SetFocusedItem(Data, ItemNo);
}

void TRVTableItemInfo::ClearFocusHook() {
  LastHitRow = -1;
  LastHitCol = -1;
  TRVTableCellData* cell = GetFocusedCell();
  // Forgotten first: giving up the sub-document tells the focused item, which is this table.
  FocusedCellRow = FocusedCellCol = -1;
  if (cell == nullptr) return;
  if (auto* data = dynamic_cast<TCustomRVFormattedData*>(GetParentData())) data->UnassignFocusedSubData(cell);
}

void TRVTableItemInfo::FocusLost() {
  if (TRVTableCellData* cell = GetFocusedCell())
    if (auto* active = dynamic_cast<TCustomRVFormattedData*>(cell->GetActiveData()))
      active->Deselect(nullptr, false);
  FocusedCellRow = FocusedCellCol = -1;
  FinishEditing();
}

bool TRVTableItemInfo::MoveFocusInside(bool GoForward, TCustomRVData*& FocusedData, int& FocusedItemNo) {
  const int cols = Rows_->GetColCount();
  const int slots = Rows_->Count() * cols;
  const int step = GoForward ? 1 : -1;
  int index = GoForward ? 0 : slots - 1;
  int start = -1;
  if (TRVTableCellData* cell = GetFocusedCell()) {
    index = FocusedCellRow * cols + FocusedCellCol;
    if (const auto* data = dynamic_cast<const TCustomRVFormattedData*>(cell->GetActiveData()))
      start = data->FocusedItemNo;
  }
  for (; index >= 0 && index < slots; index += step, start = -1) {
    const int row = index / cols, col = index % cols;
    TRVTableCellData* cell = GetCell(row, col);
    auto* data = cell != nullptr ? dynamic_cast<TCustomRVFormattedData*>(cell->GetActiveData()) : nullptr;
    if (data == nullptr) continue;
    TCustomRVFormattedData* innerData = nullptr;
    int innerItem = -1;
    const int next = data->GetNextFocusedItem(start, GoForward, innerData, innerItem);
    data->FocusedItemNo = next;
    if (next < 0) continue;
    FocusedCellRow = row;
    FocusedCellCol = col;
    FocusedData = innerData;
    FocusedItemNo = innerItem;
    return true;
  }
  FocusedCellRow = FocusedCellCol = -1;
  return false;
}

void TRVTableItemInfo::FocusFromControl(const TObject* Control, TCustomRVData*& FocusedData,
                                        int& FocusedItemNo) {
  for (int r = 0; r < Rows_->Count(); ++r)
    for (int c = 0; c < Rows_->GetColCount(); ++c) {
      TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr) continue;
      TCustomRVData* data = cell->GetActiveData();
      const int itemNo = data->FindItemByOwnedObject(Control);
      if (itemNo < 0) continue;
      FocusedCellRow = r;
      FocusedCellCol = c;
      auto* formatted = dynamic_cast<TCustomRVFormattedData*>(data);
      if (formatted == nullptr) return;
      formatted->FocusedItemNo = itemNo;
      FocusedData = data;
      FocusedItemNo = itemNo;
      // A control of a table nested in the cell: that table names the innermost cell.
      data->GetItem(itemNo)->FocusFromControl(Control, FocusedData, FocusedItemNo);
      return;
    }
}

int32_t TRVTableItemInfo::GetSoftPageBreakDY(int Index) const {
  if (Index < 0 || Index >= FormattingInfo.RowStarts.Count()) return 0;
  return FormattingInfo.RowStarts[Index];
}

void TRVTableItemInfo::RefreshClientCoords(TCustomRVData* RVData) {
  auto* data = dynamic_cast<TCustomRVFormattedData*>(RVData);
  if (data == nullptr) return;
  int32_t left = 0, top = 0;
  if (!data->GetItemClientCoords(GetMyItemNo(), left, top)) return;
  ClientLeft = left;
  ClientTop = top;
}

bool TRVTableItemInfo::CanEditCell(int Row, int Col) {
  bool allow = true;
  if (OnCellAllowEdit) OnCellAllowEdit(this, Row, Col, allow);
  return allow;
}

void TRVTableItemInfo::DoCellClick(int Row, int Col) {
  if (OnTableCellClick) OnTableCellClick(this, Row, Col);
}

namespace {
TRVTableEditorHooks* editorHooks = nullptr;
}  // namespace

TRVTableEditorHooks* RVTableEditorHooks() {
  return editorHooks;
}

void RVSetTableEditorHooks(TRVTableEditorHooks* Hooks) {
  editorHooks = Hooks;
}
