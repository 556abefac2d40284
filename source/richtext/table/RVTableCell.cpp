#include "richtext/table/RVTableCell.h"

#include <algorithm>
#include <optional>

#include "platform/graphics/Graphic.h"
#include "richtext/core/RVStyle.h"

TRVTableCellData::TRVTableCellData(TRVTableRow* Row) : TRVItemFormattedData(Row), Row_(Row) {
  // A cell is never without items: typing needs somewhere to go.
  AddTextItem("", 0, 0);
}

TRVTableCellData::~TRVTableCellData() {
  Destroying_ = true;
  Background_.reset();
  // The overrides of Clear no longer run in the base destructor.
  Clear();
}

TRVTableItemInfo* TRVTableCellData::GetTable() const {
  if (UndoHolder_ != nullptr || Row_ == nullptr || Row_->GetRows() == nullptr) return nullptr;
  return Row_->GetRows()->GetTable();
}

TCustomRVData* TRVTableCellData::HolderDocument() const {
  if (UndoHolder_ != nullptr) return UndoHolder_->Document;
  return Row_ != nullptr ? Row_->GetParentRVData() : nullptr;
}

TCustomRVData* TRVTableCellData::GetParentData() const {
  return Row_ != nullptr ? Row_->GetParentRVData() : nullptr;
}

int32_t TRVTableCellData::Padding() const {
  const TRVTableItemInfo* table = GetTable();
  return table != nullptr ? table->CellPadding : 0;
}

bool TRVTableCellData::HasContent(bool Strict) const {
  // While the cell is edited, its items are in the cell editor's document.
  const TCustomRVData& content = *const_cast<TRVTableCellData*>(this)->GetActiveData();
  const int count = content.GetItemCount();
  if (count == 0) return false;
  if (count > 1) return true;
  const TCustomRVItemInfo* item = content.GetItem(0);
  if (!item->IsTextItem() || !content.GetItemText(0).empty()) return true;
  if (!Strict) return false;
  return item->StyleNo != 0 || item->ParaNo != 0;
}

void TRVTableCellData::AssignAttributesFrom(const TRVTableCellData& Source, bool IncludeSize, int RowDivisor,
                                            int ColDivisor) {
  Color = Source.Color;
  BorderColor = Source.BorderColor;
  BorderLightColor = Source.BorderLightColor;
  VisibleBorders.Assign(&Source.VisibleBorders);
  VAlign = Source.VAlign;
  SetBackgroundImageEx(Source.GetBackgroundImage());
  SetBackgroundStyle(Source.GetBackgroundStyle());
  if (IncludeSize) {
    BestWidth = ColDivisor != 0 ? Source.BestWidth / ColDivisor : Source.BestWidth;
    BestHeight = RowDivisor != 0 ? Source.BestHeight / RowDivisor : Source.BestHeight;
  }
}

void TRVTableCellData::AssignSizeFrom(const TRVTableCellData& Source) {
  Left = Source.Left;
  Top = Source.Top;
  Width = Source.Width;
  Height = Source.Height;
}

TRVCellVAlign TRVTableCellData::GetEffectiveVAlign() const {
  if (VAlign != rvcVDefault) return VAlign;
  const TRVCellVAlign rowAlign = Row_ != nullptr ? Row_->VAlign : rvcTop;
  return rowAlign == rvcVDefault ? rvcMiddle : rowAlign;
}

int32_t TRVTableCellData::GetVerticalShift() const {
  const int32_t content = ContentHeight();
  const int32_t padding = Padding();
  switch (GetEffectiveVAlign()) {
    case rvcMiddle:
      return (Height - content) / 2 - padding;
    case rvcBottom:
      return Height - content - 2 * padding;
    default:
      return 0;
  }
}

int32_t TRVTableCellData::GetCellHeight() const {
  return std::max(ContentHeight(), BestHeight);
}

int32_t TRVTableCellData::GetMinWidth(const TRVFormatScale* Scale) const {
  const TCustomRVData& content = *const_cast<TRVTableCellData*>(this)->GetActiveData();
  if (content.GetItemCount() == 0) return 0;
  if (content.GetItemCount() == 1 && content.GetItem(0)->IsTextItem() && content.GetItemText(0).empty()) {
    const TRVStyle* style = GetRVStyle();
    const int32_t paraNo = content.GetItem(0)->ParaNo;
    if (style == nullptr || paraNo < 0 || paraNo >= style->ParaStyles().Count()) return 0;
    const auto* para = static_cast<const TParaInfo*>(style->ParaStyles().Items(paraNo));
    const int32_t indents = para->FirstIndent + para->LeftIndent + para->RightIndent;
    return Scale != nullptr ? RVScreenToDeviceX(indents, *Scale) : indents;
  }
  // A printed layout measures on the device's canvas, the screen's else; a document that
  // lies on no control yet measures on a canvas of its own.
  auto* formatted = dynamic_cast<TCustomRVFormattedData*>(const_cast<TCustomRVData*>(&content));
  if (formatted == nullptr) return 10;
  const TRVTableItemInfo* table = GetTable();
  TCanvas* canvas = Scale != nullptr && table != nullptr ? table->DeviceCanvas : nullptr;
  if (canvas == nullptr) canvas = formatted->GetCanvas();
  std::optional<TCanvas> measuring;
  if (canvas == nullptr) canvas = &measuring.emplace();
  const int32_t width = formatted->CalculateMinDocWidth(Scale, *canvas);
  return width == 0 ? 10 : width;
}

void TRVTableCellData::DetachItems(TRVTableUndoRecord* Holder) {
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->DetachFromData(this, i);
  UndoHolder_ = Holder;
  Row_ = nullptr;
}

void TRVTableCellData::ReattachItems() {
  UndoHolder_ = nullptr;
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->AttachToData(this, i);
}

TGraphic* TRVTableCellData::GetBackgroundImage() const {
  return RVTableBackgroundImage(Background_);
}

void TRVTableCellData::SetColor(TColor Value) {
  Color = Value;
  LookChanged();
}

void TRVTableCellData::LookChanged() {
  TRVTableItemInfo* table = GetTable();
  TRVTableCellEditorLink* editor = table != nullptr ? table->CellEditor : nullptr;
  int row = 0, col = 0;
  if (editor != nullptr && table->Rows().GetMainCell(editor->GetRow(), editor->GetCol(), row, col) == this)
    editor->CellLookChanged();
}

void TRVTableCellData::SetBackgroundImageEx(const TGraphic* Image) {
  if (Image == GetBackgroundImage()) return;
  TRVTableItemInfo* table = GetTable();
  RVTableSetBackgroundImage(Background_, Image, table != nullptr ? table->GetParentData() : nullptr);
  LookChanged();
}

TRVItemBackgroundStyle TRVTableCellData::GetBackgroundStyle() const {
  return RVTableBackgroundStyle(Background_);
}

void TRVTableCellData::SetBackgroundStyle(TRVItemBackgroundStyle Value) {
  if (Value == GetBackgroundStyle()) return;
  RVTableSetBackgroundStyle(Background_, Value);
  LookChanged();
}

TRVOptions TRVTableCellData::GetOptions() const {
  TCustomRVData* holder = UndoHolder_ != nullptr ? UndoHolder_->Document : nullptr;
  const TRVOptions options = holder != nullptr ? holder->GetOptions() : TRVItemFormattedData::GetOptions();
  return options & ~rvoClientTextWidth;
}

void TRVTableCellData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                                  TCustomRVData* RVData) {
  if (TCustomRVData* holder = HolderDocument()) holder->ItemAction(Action, Item, Text, RVData);
}

void TRVTableCellData::ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) {
  (void)ItemNo;
  TCustomRVData* holder = HolderDocument();
  if (holder == nullptr) return;
  const TRVTableItemInfo* table = GetTable();
  holder->ControlAction(Action, table != nullptr ? table->GetMyItemNo() : -1, Item);
}

void TRVTableCellData::GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location) {
  ParentItemNo = -1;
  Location.reset();
  const TRVTableItemInfo* table = GetTable();
  if (table == nullptr) return;
  ParentItemNo = table->GetMyItemNo();
  int row = -1, col = -1;
  if (table->FindCell(*this, row, col)) Location = std::make_unique<TRVTableStoreSubRVData>(row, col);
}

void TRVTableCellData::GetOrigin(int32_t& X, int32_t& Y) {
  X = Left + Padding();
  Y = Top + Padding();
  const TRVTableItemInfo* table = GetTable();
  auto* parent = dynamic_cast<TCustomRVFormattedData*>(GetParentData());
  if (table == nullptr || parent == nullptr) return;
  int32_t px = 0, py = 0;
  parent->GetOrigin(px, py);
  X += px;
  Y += py;
  const int drawItemNo = table->DrawItemNo;
  if (drawItemNo < 0 || drawItemNo >= parent->DrawItems().Count()) return;
  if (const TRVDrawLineInfo* piece = parent->DrawItems().GetItem(drawItemNo)) {
    X += piece->Left;
    Y += piece->Top;
  }
}

int32_t TRVTableCellData::GetHOffs() const {
  const TRVTableItemInfo* table = GetTable();
  return -((table != nullptr ? table->ClientLeft : 0) + Padding() + Left);
}

int32_t TRVTableCellData::GetVOffs() const {
  const TRVTableItemInfo* table = GetTable();
  return -((table != nullptr ? table->ClientTop : 0) + Padding() + Top + GetVerticalShift());
}

namespace {

/// The table's cell editor when it is open on Cell, else null.
TRVTableCellEditorLink* EditorOn(const TRVTableCellData& Cell) {
  const TRVTableItemInfo* table = Cell.GetTable();
  TRVTableCellEditorLink* editor = table != nullptr ? table->CellEditor : nullptr;
  if (editor == nullptr) return nullptr;
  const int row = editor->GetRow(), col = editor->GetCol();
  const TRVTableRows& rows = table->Rows();
  if (row < 0 || row >= rows.Count() || col < 0 || col >= rows.GetColCount()) return nullptr;
  return table->GetCell(row, col) == &Cell ? editor : nullptr;
}

}  // namespace

TCustomRVData* TRVTableCellData::GetActiveData() {
  TRVTableCellEditorLink* editor = EditorOn(*this);
  TCustomRVData* data = editor != nullptr ? editor->GetEditorData() : nullptr;
  return data != nullptr ? data : this;
}

TWinControl* TRVTableCellData::GetOwnInplaceEditor() {
  TRVTableCellEditorLink* editor = EditorOn(*this);
  return editor != nullptr ? const_cast<TWinControl*>(editor->GetControl()) : nullptr;
}

int32_t TRVTableCellData::ContentHeight() const {
  auto* active =
      dynamic_cast<const TCustomRVFormattedData*>(const_cast<TRVTableCellData*>(this)->GetActiveData());
  if (active == nullptr || active == this) return DocumentHeight;
  // The editor's document keeps the padding as its margins.
  return std::max(active->DocumentHeight - active->GetTopMargin() - active->GetBottomMargin(), 0);
}

// ---- list markers and focus -----------------------------------------------------------------

TRVMarkerList* TRVTableCellData::GetMarkers(bool AllowCreate) {
  if (UndoHolder_ != nullptr) return nullptr;
  const TRVTableItemInfo* table = GetTable();
  TCustomRVData* parent = GetParentData();
  if (table == nullptr || parent == nullptr || (table->State & rvtsInserted) == 0) return nullptr;
  // Asked through the parent, so that a cell of a nested table outside any document answers
  // none as well.
  return parent->GetMarkers(AllowCreate);
}

void TRVTableCellData::Deselect(TCustomRVItemInfo* Item, bool Notify) {
  // Releasing the cell deselects it again (the table's FocusLost): that call ends here.
  const bool again = (StateFlags & rvstDeselecting) != 0;
  TRVItemFormattedData::Deselect(Item, Notify);
  if (again || UndoHolder_ != nullptr || Destroying_ || Item != nullptr) return;
  const TRVTableItemInfo* table = GetTable();
  auto* parent = table != nullptr ? dynamic_cast<TCustomRVFormattedData*>(table->GetParentData()) : nullptr;
  if (parent == nullptr || parent->GetFocusedSubData() != this) return;
  TRVStateScope deselecting(*this, rvstDeselecting);
  parent->UnassignFocusedSubData(this);
}

void TRVTableCellData::AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) {
  if (TRVTableItemInfo* table = GetTable()) table->FocusCell(*this);
  TRVItemFormattedData::AssignFocusedSubData(RVData, Item);
  if (FocusedSubData_ != nullptr && FocusedSubData_ != RVData) UnassignFocusedSubData(FocusedSubData_);
  FocusedSubData_ = RVData;
  FocusedSubItem_ = Item;
}

void TRVTableCellData::UnassignFocusedSubData(TCustomRVFormattedData* RVData) {
  TRVItemFormattedData::UnassignFocusedSubData(RVData);
  TCustomRVFormattedData* focused = FocusedSubData_;
  if (focused == nullptr || (RVData != focused && RVData != focused->GetActiveData())) return;
  // Forgotten first: the focused item's FocusLost may ask this cell again.
  TCustomRVItemInfo* item = FocusedSubItem_;
  FocusedSubData_ = nullptr;
  FocusedSubItem_ = nullptr;
  if (!Destroying_ && !ParentControlDestroying())
    if (auto* active = dynamic_cast<TCustomRVFormattedData*>(focused->GetActiveData()))
      active->Deselect(nullptr, false);
  if (item != nullptr) item->FocusLost();
}

void TRVTableCellData::ReplaceFocusedSubData(TCustomRVFormattedData* RVData) {
  FocusedSubData_ = RVData;
  if (RVData == nullptr) FocusedSubItem_ = nullptr;
}

void TRVTableCellData::SetFocusedItem(TCustomRVFormattedData* Data, int ItemNo) {
  TRVItemFormattedData::SetFocusedItem(Data, ItemNo);
  if (TRVTableItemInfo* table = GetTable()) table->CellHoldsFocusedItem(*this, Data, ItemNo);
}

void TRVTableCellData::NotifyCoordsChanged() {
  TRVItemFormattedData::NotifyCoordsChanged();
  if (TRVTableItemInfo* table = GetTable()) table->RefreshClientCoords(table->GetParentData());
}
