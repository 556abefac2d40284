// Commands that change a table lying in an editor, recording undo: property changes by name
// (the editor's side of TRVTableEditorHooks), cell attributes and pictures, the structural
// commands and the commands on the selected cells. A table outside an editor is changed
// directly. Structural commands let the table's grid operations describe what they change to
// a TRVTableUndoRecorder installed for the duration of the command.
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/graphics/Graphic.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/editor/RVTableUndo.h"

namespace {

[[noreturn]] void RaiseBadIndex() {
  throw ERVError("Invalid row or column index");
}

/// The editor data the table lies in when it is inserted there, else null.
TRVEditRVData* InsertedEditData(const TRVTableItemInfo& Table) {
  return (Table.State & rvtsInserted) != 0 ? RVTableEditData(Table) : nullptr;
}

/// The cell editor's pending undo goes to the document first, so that the document's own
/// record follows it.
void MovePendingEditorUndo(TRVTableItemInfo& Table) {
  if (Table.CellEditor != nullptr) TRVTableCellEditing::MoveEditorUndo(Table, false);
}

TRVTableCellData& CellAt(TRVTableItemInfo& Table, int Row, int Col) {
  TRVTableCellData* cell = Table.GetCell(Row, Col);
  if (cell == nullptr) RaiseBadIndex();
  return *cell;
}

int ItemNoOrMine(TRVTableItemInfo& Table, int ItemNo) {
  return ItemNo < 0 ? Table.GetMyItemNo() : ItemNo;
}

/// One undoable change of the table's attributes: an undo group opened with the table's
/// inserted bit cleared, so that the property setters store their values.
class TAttributeChange {
 public:
  TAttributeChange(TRVTableItemInfo& Table, TRVEditRVData& Data) : Table_(Table), Data_(Data) {
    Table_.State &= ~rvtsInserted;
    Data.BeginUndoSequence(rvutModifyItem, true);
  }
  ~TAttributeChange() {
    // An unchanged value leaves no empty step for the user to undo.
    Data_.UndoList->DeleteEmptyLastGroup();
    Table_.State |= rvtsInserted;
    Table_.Changed();
  }
  TAttributeChange(const TAttributeChange&) = delete;
  TAttributeChange& operator=(const TAttributeChange&) = delete;

 private:
  TRVTableItemInfo& Table_;
  TRVEditRVData& Data_;
};

/// Group mode of the document's undo list for the lifetime of the object.
class TUndoGroup {
 public:
  explicit TUndoGroup(TRVEditRVData* Data) : Data_(Data) {
    if (Data_ == nullptr) return;
    Data_->BeginUndoSequence(rvutModifyItem, true);
    Data_->SetUndoGroupMode(true);
  }
  ~TUndoGroup() {
    if (Data_ != nullptr) Data_->SetUndoGroupMode(false);
  }
  TUndoGroup(const TUndoGroup&) = delete;
  TUndoGroup& operator=(const TUndoGroup&) = delete;

 private:
  TRVEditRVData* Data_;
};

/// Lets the table's grid operations record into the document while the object lives, when
/// the table records undo at all.
class TScopedRecorder {
 public:
  TScopedRecorder(TRVTableItemInfo& Table, TRVEditRVData* Data)
      : Table_(Table), Saved_(Table.UndoSink), Recorder_(Data) {
    if (Data != nullptr && Table.GetEditorItemNoForUndo() >= 0) Table_.UndoSink = &Recorder_;
  }
  ~TScopedRecorder() { Table_.UndoSink = Saved_; }
  TScopedRecorder(const TScopedRecorder&) = delete;
  TScopedRecorder& operator=(const TScopedRecorder&) = delete;

 private:
  TRVTableItemInfo& Table_;
  TRVTableUndoSink* Saved_;
  TRVTableUndoRecorder Recorder_;
};

/// Runs a grid operation as a structural command: the cell editor closes keeping its
/// content, the operation runs inside one undo group (closed also when it fails), and the
/// document hears of the change and is formatted again.
template <typename Operation>
void RunStructural(TRVTableItemInfo& Table, Operation operation) {
  if (Table.CellEditor != nullptr) Table.DestroyInplace(true);
  TRVEditRVData* data = InsertedEditData(Table);
  {
    TUndoGroup group(data);
    TScopedRecorder recorder(Table, data);
    operation();
  }
  Table.Changed();
  if (data == nullptr) return;
  // A change that is no undo or redo empties the redo list: its records describe a grid
  // that no longer exists.
  Table.ChangeEditor(true);
  data->Reformat(true);
}

bool HasCellSelection(const TRVTableItemInfo& Table) {
  int top = 0, left = 0, cols = 0, rows = 0;
  return Table.GetSelectionBounds(top, left, cols, rows);
}

/// The selected cells (main cells, each once) in reading order.
std::vector<std::pair<int, int>> SelectedCells(const TRVTableItemInfo& Table) {
  std::vector<std::pair<int, int>> cells;
  const TRVTableRows& rows = Table.Rows();
  for (int r = 0; r < rows.Count(); ++r)
    for (int c = 0; c < rows.GetColCount(); ++c)
      if (rows.Get(r)->GetCell(c) != nullptr && Table.IsCellSelected(r, c)) cells.emplace_back(r, c);
  return cells;
}

bool AllowsAutomaticEdit(TRVTableItemInfo& Table, int Row, int Col) {
  bool allow = true;
  if (Table.OnCellEditing) Table.OnCellEditing(&Table, Row, Col, true, allow);
  return allow;
}

bool HoldsProtectedContent(const TRVTableCellData& Cell) {
  const TRVStyle* style = Cell.GetRVStyle();
  for (int i = 0; i < Cell.GetItemCount(); ++i) {
    const TCustomRVItemInfo* item = Cell.GetItem(i);
    if (!item->IsTextItem() || style == nullptr) continue;
    const int styleNo = item->StyleNo;
    if (styleNo < 0 || styleNo >= style->TextStyles().Count()) continue;
    if ((style->TextStyles().Items(styleNo)->Protection & rvprDeleteProtect) != 0) return true;
  }
  return false;
}

/// Nothing of the cell, the table or the table's paragraph has a colour: the document's
/// background shows through.
bool ShowsDocumentBackground(const TRVTableItemInfo& Table, const TRVTableCellData& Cell) {
  if (Cell.Color != clNone || Table.Color != clNone) return false;
  const TCustomRVData* parent = Table.GetParentData();
  const TRVStyle* style = parent != nullptr ? parent->GetRVStyle() : nullptr;
  if (style == nullptr || Table.ParaNo < 0 || Table.ParaNo >= style->ParaStyles().Count()) return true;
  return static_cast<const TParaInfo*>(style->ParaStyles().Items(Table.ParaNo))->Background().Color == clNone;
}

}  // namespace

void RVRefreshCellEditorLook(TRVTableItemInfo& Table) {
  TRVTableInplaceEdit* editor = TRVTableCellEditing::GetInplaceEditor(Table);
  if (editor == nullptr || editor->Cell == nullptr) return;
  editor->SetColor(Table.GetEffectiveCellColor(*editor->Cell));
  editor->Transparent = ShowsDocumentBackground(Table, *editor->Cell);
  editor->Invalidate();
}

TRVEditRVData* RVTableEditData(const TRVTableItemInfo& Table) {
  TCustomRVData* parent = Table.GetParentData();
  if (parent == nullptr || !parent->IsEditData()) return nullptr;
  return dynamic_cast<TRVEditRVData*>(parent);
}

// ---------------------------------------------------------------------------------------
// The editor's side of the table's hooks

bool TRVTableEditorServices::CanChange(TRVTableItemInfo& Table) {
  TRVEditRVData* data = RVTableEditData(Table);
  return data != nullptr && data->Editor() != nullptr && data->Editor()->CanChange();
}

bool TRVTableEditorServices::UndoEnabled(TRVTableItemInfo& Table) {
  // The editor's undo limit is its document's; a cell editor's follows its root's.
  TRVEditRVData* data = InsertedEditData(Table);
  return data != nullptr && data->UndoList->Limit != 0;
}

void TRVTableEditorServices::ChangeEditor(TRVTableItemInfo& Table, bool ClearRedo) {
  if (TRVEditRVData* data = InsertedEditData(Table)) data->Change(ClearRedo);
}

void TRVTableEditorServices::SetTableProperty(TRVTableItemInfo& Table, const std::string& PropName,
                                              int32_t Value, bool AffectWidth, bool AffectSize) {
  TRVEditRVData* data = RVTableEditData(Table);
  if (data == nullptr) return;
  if (PropName == "CellPadding") {
    if (TRVTableInplaceEdit* editor = TRVTableCellEditing::GetInplaceEditor(Table)) {
      editor->LeftMargin = editor->RightMargin = editor->TopMargin = editor->BottomMargin = Value;
      Table.State |= rvtsPaddingChanged;
    }
  }
  MovePendingEditorUndo(Table);
  {
    TAttributeChange change(Table, *data);
    data->DoModifyItemIntProperty(Table.GetMyItemNo(), &Table, RVUndoPropsClass<TRVUndoModifyItemIntProperty>,
                                  AffectWidth, AffectSize, Value, PropName);
    data->InvalidateControl();
  }
  if (PropName == "Color") RVRefreshCellEditorLook(Table);
}

void TRVTableEditorServices::SetCellProperty(TRVTableItemInfo& Table, int ItemNo, const std::string& PropName,
                                             bool AffectWidth, bool AffectSize, int Row, int Col,
                                             int32_t Value) {
  TRVEditRVData* data = RVTableEditData(Table);
  if (data == nullptr) return;
  TRVTableCellData& cell = CellAt(Table, Row, Col);
  TAttributeChange change(Table, *data);
  auto* record = static_cast<TRVUndoModifyCellIntProperty*>(data->DoModifyItemIntProperty(
      ItemNoOrMine(Table, ItemNo), &cell, RVUndoPropsClass<TRVUndoModifyCellIntProperty>, AffectWidth,
      AffectSize, Value, PropName));
  if (record == nullptr) return;
  record->Row = Row;
  record->Col = Col;
}

void TRVTableEditorServices::BeginTableChange(TRVTableItemInfo& Table, int32_t& State) {
  TRVEditRVData* data = RVTableEditData(Table);
  if (data == nullptr) return;
  data->BeginItemModify(Table.GetMyItemNo(), State);
  data->BeginUndoSequence(rvutModifyItem, true);
  data->SetUndoGroupMode(true);
}

void TRVTableEditorServices::EndTableChange(TRVTableItemInfo& Table, int32_t State) {
  TRVEditRVData* data = RVTableEditData(Table);
  if (data == nullptr) return;
  data->SetUndoGroupMode(false);
  data->EndItemModify(Table.GetMyItemNo(), State);
}

// ---------------------------------------------------------------------------------------
// Cell attributes and pictures

void TRVTableCommands::SetCellVisibleBorders(TRVTableItemInfo& Table, int ItemNo, bool Left, bool Top,
                                             bool Right, bool Bottom, int Row, int Col) {
  TRVTableCellData& cell = CellAt(Table, Row, Col);
  TRVBooleanRect& borders = cell.VisibleBorders;
  if (borders.Left == Left && borders.Top == Top && borders.Right == Right && borders.Bottom == Bottom)
    return;
  if (TRVEditRVData* data = InsertedEditData(Table)) {
    data->BeginUndoSequence(rvutModifyItem, true);
    if (auto* record = static_cast<TRVUndoModifyCellVisibleBorders*>(
            CreateTableUndoRecord(data, RVUndoPropsClass<TRVUndoModifyCellVisibleBorders>,
                                  ItemNoOrMine(Table, ItemNo), false, false))) {
      record->Row = Row;
      record->Col = Col;
      record->Left = borders.Left;
      record->Top = borders.Top;
      record->Right = borders.Right;
      record->Bottom = borders.Bottom;
    }
  }
  borders.Left = Left;
  borders.Top = Top;
  borders.Right = Right;
  borders.Bottom = Bottom;
  Table.Changed();
}

namespace {

/// Writes the record that keeps the old picture of the table (Row and Col -1) or of a cell;
/// the record takes the picture out of its owner. Nothing when nothing is recorded.
void RecordOldPicture(TRVTableItemInfo& Table, TRVEditRVData& Data, int Row, int Col) {
  MovePendingEditorUndo(Table);
  Data.BeginUndoSequence(rvutModifyItem, true);
  auto* record = static_cast<TRVUndoModifyBackgroundImage*>(CreateTableUndoRecord(
      &Data, RVUndoPropsClass<TRVUndoModifyBackgroundImage>, Table.GetMyItemNo(), true, true));
  if (record == nullptr) return;
  record->Row = Row;
  record->Col = Col;
  record->Image = Row < 0 ? Table.TakeBackgroundImage() : CellAt(Table, Row, Col).TakeBackgroundImage();
}

}  // namespace

void TRVTableCommands::SetCellBackgroundImage(TRVTableItemInfo& Table, const TGraphic* Picture, int Row,
                                              int Col) {
  TRVTableCellData& cell = CellAt(Table, Row, Col);
  if (cell.GetBackgroundImage() == Picture) return;
  if (TRVEditRVData* data = InsertedEditData(Table)) RecordOldPicture(Table, *data, Row, Col);
  cell.SetBackgroundImageEx(Picture);
  Table.Changed();
}

void TRVTableCommands::SetBackgroundImage(TRVTableItemInfo& Table, const TGraphic* Picture) {
  if (Table.GetBackgroundImage() == Picture) return;
  if (TRVEditRVData* data = InsertedEditData(Table)) RecordOldPicture(Table, *data, -1, -1);
  Table.SetBackgroundImage(Picture);
  if (TRVTableInplaceEdit* editor = TRVTableCellEditing::GetInplaceEditor(Table)) editor->Invalidate();
  Table.Changed();
}

void TRVTableCommands::SetBackgroundStyle(TRVTableItemInfo& Table, TRVItemBackgroundStyle Value) {
  Table.SetIntProperty("BackgroundStyle", Value);
}

void TRVTableCommands::AssignCellAttributes(TRVTableItemInfo& Table, int ItemNo, int Row, int Col,
                                            const TRVTableCellData& Source, bool IncludeSize, int RowDivisor,
                                            int ColDivisor) {
  TRVTableCellData& cell = CellAt(Table, Row, Col);
  TRVEditRVData* data = InsertedEditData(Table);
  if (data == nullptr) {
    cell.AssignAttributesFrom(Source, IncludeSize, RowDivisor, ColDivisor);
    Table.Changed();
    return;
  }
  // One undo group for the whole assignment.
  TUndoGroup group(data);
  const TRVBooleanRect& borders = Source.VisibleBorders;
  SetCellVisibleBorders(Table, ItemNo, borders.Left, borders.Top, borders.Right, borders.Bottom, Row, Col);
  SetCellBackgroundImage(Table, Source.GetBackgroundImage(), Row, Col);
  TRVIntPropertyList props = {{"Color", Source.Color},
                              {"BorderColor", Source.BorderColor},
                              {"BorderLightColor", Source.BorderLightColor},
                              {"VAlign", Source.VAlign},
                              {"BackgroundStyle", Source.GetBackgroundStyle()}};
  if (IncludeSize) {
    props.push_back({"BestWidth", ColDivisor != 0 ? Source.BestWidth / ColDivisor : Source.BestWidth});
    props.push_back({"BestHeight", RowDivisor != 0 ? Source.BestHeight / RowDivisor : Source.BestHeight});
  }
  data->BeginUndoSequence(rvutModifyItem, true);
  if (auto* record = static_cast<TRVUndoModifyCellIntProperties*>(data->DoModifyItemIntProperties(
          ItemNoOrMine(Table, ItemNo), &cell, RVUndoPropsClass<TRVUndoModifyCellIntProperties>, true, true,
          props))) {
    record->Row = Row;
    record->Col = Col;
  }
  Table.Changed();
}

// ---------------------------------------------------------------------------------------
// Structure

void TRVTableCommands::InsertColumns(TRVTableItemInfo& Table, int Index, int Count, int CopyIndex,
                                     bool Select) {
  const int colCount = Table.Rows().GetColCount();
  if (Count < 1 || Index < 0 || Index > colCount || CopyIndex < -1 || CopyIndex >= colCount) RaiseBadIndex();
  RunStructural(Table, [&] { Table.Rows().InsertCols(Index, Count, CopyIndex, false); });
  if (Select) Table.SelectCols(Index, Count);
}

void TRVTableCommands::InsertRows(TRVTableItemInfo& Table, int Index, int Count, int CopyIndex, bool Select) {
  const int rowCount = Table.Rows().Count();
  if (Count < 1 || Index < 0 || Index > rowCount || CopyIndex < -1 || CopyIndex >= rowCount) RaiseBadIndex();
  RunStructural(Table, [&] { Table.Rows().InsertRows(Index, Count, CopyIndex, false); });
  if (Select) Table.SelectRows(Index, Count);
}

void TRVTableCommands::DeleteColumns(TRVTableItemInfo& Table, int Index, int Count, bool DivideWidth) {
  TRVTableRows& rows = Table.Rows();
  if (rows.Count() == 0) return;
  const int colCount = rows.GetColCount();
  if (Index < 0 || Index >= colCount || Count < 1 || (Index == 0 && Count > colCount)) RaiseBadIndex();
  // Where the cell editor stands, moved left when the deleted columns lie before it.
  int editRow = 0;
  int editCol = Index;
  if (Table.CellEditor != nullptr) {
    editRow = Table.CellEditor->GetRow();
    editCol = Table.CellEditor->GetCol();
    if (Index + Count - 1 < editCol) editCol -= Count;
  }
  if (Table.CellEditor != nullptr) Table.DestroyInplace(true);
  if (HasCellSelection(Table)) Table.Deselect();
  RunStructural(Table, [&] { rows.DeleteCols(Index, Count, DivideWidth); });
  if (rows.Count() == 0 || rows.GetColCount() == 0 || !Table.InEditor() || (Table.Options & rvtoEditing) == 0)
    return;
  editRow = std::min(editRow, rows.Count() - 1);
  editCol = std::min(editCol, rows.GetColCount() - 1);
  int mainRow = 0, mainCol = 0;
  if (rows.GetMainCell(editRow, editCol, mainRow, mainCol) == nullptr) return;
  Table.OpenCellEditor(-1, mainRow, mainCol, false, false, false, 0, false);
}

void TRVTableCommands::MergeCells(TRVTableItemInfo& Table, int TopRow, int LeftCol, int ColSpan, int RowSpan,
                                  bool AllowEmptyLines) {
  RunStructural(Table,
                [&] { Table.Rows().MergeCells(TopRow, LeftCol, ColSpan, RowSpan, AllowEmptyLines, true); });
}

// ---------------------------------------------------------------------------------------
// The selected cells

bool TRVTableCommands::CanDeleteSelectedCellsContent(TRVTableItemInfo& Table) {
  if ((Table.Options & rvtoEditing) == 0 || !HasCellSelection(Table) || !Table.InEditor()) return false;
  for (const auto& [r, c] : SelectedCells(Table))
    if (HoldsProtectedContent(*Table.GetCell(r, c))) return false;
  return true;
}

void TRVTableCommands::DeleteSelectedCellsContent(TRVTableItemInfo& Table) {
  if (!Table.CanChange() || !HasCellSelection(Table)) return;
  TRVIntegerList rowList, colList;
  for (const auto& [r, c] : SelectedCells(Table))
    if (AllowsAutomaticEdit(Table, r, c)) {
      rowList.AddValue(r);
      colList.AddValue(c);
    }
  if (rowList.Count() == 0) return;
  TRVEditRVData& data = *RVTableEditData(Table);
  const int itemNo = Table.GetMyItemNo();
  int32_t state = 0;
  data.BeginItemModify(itemNo, state);
  {
    TUndoGroup group(&data);
    TRVUndoCellsClear* record = nullptr;
    if (Table.GetEditorItemNoForUndo() >= 0)
      record = static_cast<TRVUndoCellsClear*>(
          CreateTableUndoRecord(&data, RVUndoPropsClass<TRVUndoCellsClear>, itemNo, true, true));
    if (record != nullptr) {
      record->Rows.CopyFrom(rowList);
      record->Cols.CopyFrom(colList);
    }
    RVTableClearCells(Table, rowList, colList, record);
  }
  Table.Changed();
  data.EndItemModify(itemNo, state);
  Table.ChangeEditor(true);
}

namespace {

/// Applies Operation to the whole content of every selected cell that may be changed, in a
/// hidden scratch editor; the undo groups it writes are kept in one record for the table.
template <typename Operation>
void ApplyToSelectedCells(TRVTableItemInfo& Table, Operation operation) {
  if (!HasCellSelection(Table) || !Table.CanChange()) return;
  TRVEditRVData& data = *RVTableEditData(Table);
  TCustomRVEdit* root = data.Editor();
  const int itemNo = Table.GetMyItemNo();
  int32_t state = 0;
  data.BeginItemModify(itemNo, state);
  {
    TUndoGroup group(&data);
    TRVEdit scratch;
    scratch.SetStyle(data.GetRVStyle());
    scratch.SetUndoLimit(root != nullptr ? root->GetUndoLimit() : -1);
    if (root != nullptr) {
      scratch.OnStyleConversion = root->OnStyleConversion;
      scratch.OnParaStyleConversion = root->OnParaStyleConversion;
    }
    TRVEditRVData& scratchData = scratch.EditRVData();
    auto record = std::make_unique<TRVUndoMultiCellsModify>();
    record->Action = rvuaModifyItem;
    record->ItemNo = itemNo;
    record->UndoList = std::make_unique<TRVUndoList>(&data);
    for (const auto& [r, c] : SelectedCells(Table)) {
      if (!AllowsAutomaticEdit(Table, r, c)) continue;
      TRVTableCellData& cell = *Table.GetCell(r, c);
      scratchData.Clear();
      scratchData.AppendItemsFrom(&cell);
      scratch.Format();
      scratch.SelectAll();
      try {
        operation(scratch);
      } catch (...) {
        cell.AppendItemsFrom(&scratchData);
        throw;
      }
      const int groups = scratchData.UndoList->Count();
      while (scratchData.UndoList->Count() > 0) record->UndoList->AddInfos(scratchData.UndoList->Extract(0));
      record->Rows.AddValue(r);
      record->Cols.AddValue(c);
      record->GroupCounts.AddValue(groups);
      cell.AppendItemsFrom(&scratchData);
    }
    if (record->UndoList->Count() > 0 && Table.GetEditorItemNoForUndo() >= 0)
      if (TRVUndoList* list = data.GetUndoList()) list->AddInfo(std::move(record));
    Table.Changed();
  }
  data.EndItemModify(itemNo, state);
  Table.ChangeEditor(true);
}

}  // namespace

void TRVTableCommands::ApplyStyleConversionToCells(TRVTableItemInfo& Table, int UserData) {
  ApplyToSelectedCells(Table, [UserData](TCustomRVEdit& editor) { editor.ApplyStyleConversion(UserData); });
}

void TRVTableCommands::ApplyParaStyleToCells(TRVTableItemInfo& Table, int32_t ParaNo) {
  ApplyToSelectedCells(Table, [ParaNo](TCustomRVEdit& editor) { editor.ApplyParaStyle(ParaNo); });
}

void TRVTableCommands::ApplyParaStyleConversionToCells(TRVTableItemInfo& Table, int UserData) {
  ApplyToSelectedCells(Table,
                       [UserData](TCustomRVEdit& editor) { editor.ApplyParaStyleConversion(UserData); });
}
