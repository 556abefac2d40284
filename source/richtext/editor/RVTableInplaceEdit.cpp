// The in-place cell editor and its document data. The editor lives as a child window of the
// root control over one cell; everything that would close or re-open it from inside its own
// handlers (moving to another cell, undo handed over by a cell record, releasing itself after
// a click that selected the whole cell) is posted to its own window and runs after the
// current message.
#include "richtext/editor/RVTableInplaceEdit.h"

#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/table/RVTableCell.h"

namespace {

/// Counts a handler that runs inside the editor; the editor must not close meanwhile.
class TBusyScope {
 public:
  explicit TBusyScope(int& Count) : count_(Count) { ++count_; }
  ~TBusyScope() { --count_; }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  int& count_;
};

/// Posts Record to Target's window as an event of the root viewer.
void PostRootEvent(TWinControl* Target, std::unique_ptr<TRVMessageData> Record) {
  if (Target != nullptr) PostMessage(Target, WM_RVEVENT, 0, 0, std::move(Record));
}

}  // namespace

// ---- document data ------------------------------------------------------------------------------

TRVTableInplaceRVData::TRVTableInplaceRVData(TCustomRVViewer* Viewer) : TRVEditRVData(Viewer) {}

TRVTableInplaceEdit* TRVTableInplaceRVData::InplaceEditor() const {
  return dynamic_cast<TRVTableInplaceEdit*>(Viewer());
}

TCustomRVData* TRVTableInplaceRVData::GetSourceData() {
  TRVTableInplaceEdit* editor = InplaceEditor();
  return editor != nullptr && editor->Cell != nullptr ? static_cast<TCustomRVData*>(editor->Cell) : this;
}

TCustomRVData* TRVTableInplaceRVData::GetOuterParentData() const {
  TRVTableInplaceEdit* editor = InplaceEditor();
  return editor != nullptr && editor->Cell != nullptr ? editor->Cell->GetOuterParentData() : nullptr;
}

TCustomRVData* TRVTableInplaceRVData::GetOuterRootData() {
  // Without a cell the editor stands alone: its own document is the outermost one.
  TRVTableInplaceEdit* editor = InplaceEditor();
  return editor != nullptr && editor->Cell != nullptr ? editor->Cell->GetOuterRootData() : this;
}

void TRVTableInplaceRVData::GetParentItemInfo(int& ParentItemNo,
                                              std::unique_ptr<TRVStoreSubRVData>& Location) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor != nullptr && editor->Cell != nullptr) {
    editor->Cell->GetParentItemInfo(ParentItemNo, Location);
    return;
  }
  TRVEditRVData::GetParentItemInfo(ParentItemNo, Location);
}

TRVBackground* TRVTableInplaceRVData::GetBackground() const {
  TRVTableInplaceEdit* editor = InplaceEditor();
  TRVBackground* cellBackground =
      editor != nullptr && editor->Cell != nullptr ? editor->Cell->GetCellBackground() : nullptr;
  if (cellBackground != nullptr && (StateFlags & rvstWholeDataSelected) == 0) return cellBackground;
  return TRVEditRVData::GetBackground();
}

void TRVTableInplaceRVData::SetDocumentAreaSize(int32_t Width, int32_t Height, bool UpdateH) {
  TRVEditRVData::SetDocumentAreaSize(Width, Height, UpdateH);
  Changed = true;
}

void TRVTableInplaceRVData::ScrollToShowRect(int32_t X, int32_t Y, int32_t Width, int32_t Height) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor != nullptr && !editor->ScrollsItself_ && editor->ParentData != nullptr) {
    // The parent document scrolls to show the part of the cell.
    TCustomRVFormattedData& parent = *editor->ParentData;
    parent.ScrollToShowRect(X - GetHOffs() + editor->Left() + parent.GetHOffs(),
                            Y - GetVOffs() + editor->Top() + parent.GetVOffs(), Width, Height);
  }
  TRVEditRVData::ScrollToShowRect(X, Y, Width, Height);
}

void TRVTableInplaceRVData::GetOrigin(int32_t& X, int32_t& Y) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor == nullptr || editor->Cell == nullptr || editor->Table == nullptr) {
    TRVEditRVData::GetOrigin(X, Y);
    return;
  }
  editor->Cell->GetOrigin(X, Y);
  X -= editor->Table->CellPadding;
  Y -= editor->Table->CellPadding;
}

void TRVTableInplaceRVData::DrawBackground(TCanvas& Canvas, const TRect& Rect) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  TRVTableCellData* cell = editor != nullptr ? editor->Cell : nullptr;
  if (cell == nullptr || editor->Table == nullptr) {
    TRVEditRVData::DrawBackground(Canvas, Rect);
    return;
  }
  const bool whole = (StateFlags & rvstWholeDataSelected) != 0;
  const TRect area = ::Rect(0, 0, Rect.Width(), Rect.Height());
  TRVBackground* picture = cell->GetCellBackground();
  if (cell->IsTransparent() && !whole) {
    // What lies under a transparent cell: the parent document, then the table.
    if (editor->Transparent && editor->ParentData != nullptr) {
      TRect under = Rect;
      under.Left += editor->Left();
      under.Right += editor->Left();
      under.Top += editor->Top();
      under.Bottom += editor->Top();
      editor->ParentData->DrawBackground(Canvas, under);
    }
    editor->Table->PaintBackgroundForCell(Canvas, *cell, area);
    if (picture != nullptr)
      picture->Draw(Canvas, Rect, GetHOffs(), GetVOffs() - cell->GetVerticalShift(), 0, 0, GetWidth(),
                    GetHeight(), clNone, false);
    return;
  }
  const TColor color = whole ? editor->Color() : cell->Color;
  if (picture != nullptr && !whole) {
    picture->Draw(Canvas, Rect, GetHOffs(), GetVOffs(), 0, 0, GetWidth(), GetHeight(), color, false);
    return;
  }
  if (color == clNone) return;
  Canvas.Brush().SetColor(color);
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.FillRect(area);
}

int TRVTableInplaceRVData::Reformat(bool Force) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  TCustomRVFormattedData* parent = editor != nullptr ? editor->ParentData : nullptr;
  if (auto* parentEdit = dynamic_cast<TRVEditRVData*>(parent))
    parentEdit->Reformat(Force);
  else if (parent != nullptr)
    parent->Format(false);
  return -100;
}

void TRVTableInplaceRVData::UpdateAfterReformat() {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor != nullptr)
    if (auto* parent = dynamic_cast<TRVEditRVData*>(editor->ParentData)) parent->UpdateAfterReformat();
  TRVEditRVData::UpdateAfterReformat();
}

void TRVTableInplaceRVData::AfterFormatParas(int /*FirstItemNo*/, int /*LastItemNo*/, bool /*Flag*/) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor != nullptr && editor->OnFormat) editor->OnFormat(editor);
}

int TRVTableInplaceRVData::FormatForced() {
  return TRVEditRVData::Reformat(true);
}

namespace {

/// A press (kind 3) or release (kind 2) in the editor at (X, Y), for the root control.
void PostMouseEvent(TRVTableInplaceEdit* Editor, uint8_t Kind, TMouseButton Button, TShiftState Shift,
                    int ItemNo, int32_t X, int32_t Y) {
  if (Editor == nullptr) return;
  TWinControl* root = Editor->RootControl();
  auto record = std::make_unique<TRVMouseUpDownMessageData>(Kind);
  const TPoint p =
      root != nullptr ? root->ScreenToClient(Editor->ClientToScreen(TPoint{X, Y})) : TPoint{X, Y};
  record->X = p.X;
  record->Y = p.Y;
  record->ItemNo = ItemNo;
  record->Shift = Shift;
  record->Button = Button;
  PostRootEvent(root, std::move(record));
}

}  // namespace

void TRVTableInplaceRVData::DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X,
                                        int32_t Y) {
  PostMouseEvent(InplaceEditor(), 2, Button, Shift, ItemNo, X, Y);
}

void TRVTableInplaceRVData::DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X,
                                          int32_t Y) {
  PostMouseEvent(InplaceEditor(), 3, Button, Shift, ItemNo, X, Y);
}

void TRVTableInplaceRVData::DoRVDblClick(const std::string& ClickedWord, int StyleNo) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor == nullptr) return;
  auto record = std::make_unique<TRVDblClickMessageData>();
  record->ClickedWord = ClickedWord;
  record->Style = StyleNo;
  PostRootEvent(editor->RootControl(), std::move(record));
}

void TRVTableInplaceRVData::DoJump(int32_t Id) {
  TRVTableInplaceEdit* editor = InplaceEditor();
  if (editor == nullptr) return;
  auto record = std::make_unique<TRVJumpMessageData>();
  record->id = Id;
  PostRootEvent(editor->RootControl(), std::move(record));
}

// ---- the control --------------------------------------------------------------------------------

namespace {

/// Viewer state bits that a cell editor keeps clear.
constexpr uint16_t kClearedViewerBits = 0x0080 | 0x0100;

}  // namespace

TRVTableInplaceEdit::TRVTableInplaceEdit(TComponent* AOwner)
    : TRVEdit(AOwner, [](TCustomRVViewer* Viewer) -> std::unique_ptr<TRVViewerRVData> {
        return std::make_unique<TRVTableInplaceRVData>(Viewer);
      }) {
  SetBorderStyle(bsNone);
  SetVisible(false);
  SetViewerFlags(static_cast<uint16_t>(ViewerFlags() & ~kClearedViewerBits));
  SetWheelStep(0);
}

TRVTableInplaceEdit::~TRVTableInplaceEdit() {
  Destroying_ = true;
  if (CloseQuietly)
    if (auto* nested = dynamic_cast<TRVTableInplaceEdit*>(GetInplaceEditor())) nested->CloseQuietly = true;
  DestroyInplaceEditor();
  if (PendingReadOnly_)
    if (TCustomRVEdit* root = RootEditor()) root->SetReadOnly(false);
  const bool hadFocus = Focused();
  if (ParentData != nullptr && Cell != nullptr) ParentData->UnassignFocusedSubData(Cell);
  if (Table != nullptr) TRVTableCellEditing::InplaceEditorDestroyed(*Table, CloseQuietly);
  if (!CloseQuietly && hadFocus && ParentData != nullptr)
    if (auto* parent = dynamic_cast<TRVScroller*>(ParentData->GetParentControl())) parent->SetFocusSilent();
}

TRVTableInplaceRVData& TRVTableInplaceEdit::InplaceRVData() {
  return static_cast<TRVTableInplaceRVData&>(RVData());
}

void TRVTableInplaceEdit::SetParentViewer(TCustomRVFormattedData* Data) {
  ParentData = Data;
  if (Data == nullptr) return;
  Options = Data->GetOptions();
  RVFOptions = Data->GetRVFOptions();
  RTFOptions = Data->GetRTFOptions();
  SetStyle(Data->GetRVStyle());
  Format();
}

void TRVTableInplaceEdit::SetCell(int ARow, int ACol, TRVTableItemInfo* ATable, int32_t Padding) {
  Row = ARow;
  Col = ACol;
  Table = ATable;
  Cell = ATable != nullptr ? ATable->GetCell(ARow, ACol) : nullptr;
  ItemNo = ParentData != nullptr && ATable != nullptr ? ParentData->FindItemIndex(ATable) : -1;
  LeftMargin = TopMargin = RightMargin = BottomMargin = Padding;
  // Records address the outermost document, where undo finds the table again.
  TCustomRVData* root = InplaceRVData().GetOuterRootData();
  InplaceRVData().UndoList->RVData = root;
  InplaceRVData().RedoList->RVData = root;
}

bool TRVTableInplaceEdit::FetchChangedFlag() {
  const bool changed = InplaceRVData().Changed;
  InplaceRVData().Changed = false;
  return changed;
}

void TRVTableInplaceEdit::SetCellSelected(bool On) {
  TRVTableInplaceRVData& data = InplaceRVData();
  if (((data.StateFlags & rvstWholeDataSelected) != 0) == On) return;
  if (On) {
    data.StateFlags |= rvstWholeDataSelected;
    SavedColor = Color();
    if (Style() != nullptr) SetColor(Style()->SelColor);
  } else {
    data.StateFlags &= ~rvstWholeDataSelected;
    SetColor(SavedColor);
  }
  Invalidate();
}

TCustomRVEdit* TRVTableInplaceEdit::RootEditor() const {
  if (dynamic_cast<TRVEditRVData*>(ParentData) == nullptr) return nullptr;
  return dynamic_cast<TCustomRVEdit*>(ParentData->GetParentControl());
}

TWinControl* TRVTableInplaceEdit::RootControl() const {
  auto& data = const_cast<TRVTableInplaceEdit*>(this)->InplaceRVData();
  TCustomRVData* root = data.GetOuterRootData();
  return root != nullptr && root != &data ? root->GetParentControl() : nullptr;
}

// ---- answered by the root editor ----------------------------------------------------------------

void TRVTableInplaceEdit::SetReadOnly(bool Value) {
  TCustomRVEdit* root = RootEditor();
  if (root == nullptr) {
    TRVEdit::SetReadOnly(Value);
    return;
  }
  // Read-only set here is pending until this editor makes itself writable again (after the
  // undo handed to it); if it goes first, the root must not stay read-only.
  PendingReadOnly_ = Value && (PendingReadOnly_ || !root->GetReadOnly());
  root->SetReadOnly(Value);
}

bool TRVTableInplaceEdit::GetReadOnly() const {
  const TCustomRVEdit* root = RootEditor();
  return root != nullptr && root->GetReadOnly();
}

bool TRVTableInplaceEdit::CanChange(bool /*Flag*/) {
  // This editor is the root's nested edit: the root must not refuse it for being pending.
  TCustomRVEdit* root = RootEditor();
  return root != nullptr && root->CanChange(true);
}

TRVCustomRTFReaderProperties* TRVTableInplaceEdit::GetRTFReadProperties() {
  if (TCustomRVEdit* root = RootEditor()) return root->GetRTFReadProperties();
  return TRVEdit::GetRTFReadProperties();
}

bool TRVTableInplaceEdit::HasRTFReadProperties() const {
  if (const TCustomRVEdit* root = RootEditor()) return root->HasRTFReadProperties();
  return TRVEdit::HasRTFReadProperties();
}

void TRVTableInplaceEdit::Undo() {
  TCustomRVEdit* root = RootEditor();
  if (root != nullptr && UndoAction() == rvutNone)
    root->Undo();
  else
    TRVEdit::Undo();
}

void TRVTableInplaceEdit::Redo() {
  TCustomRVEdit* root = RootEditor();
  if (root != nullptr && RedoAction() == rvutNone)
    root->Redo();
  else
    TRVEdit::Redo();
}

void TRVTableInplaceEdit::Change(bool ClearRedo) {
  TRVEdit::Change(ClearRedo);
  // A new edit in the cell makes what the document could redo stale.
  if (ClearRedo)
    if (auto* root = dynamic_cast<TRVEditRVData*>(InplaceRVData().GetOuterRootData()))
      root->RedoList->ClearList();
  if (InplaceRVData().UpdateLockCount == 0 && OnChangeCallback) OnChangeCallback(this);
}

void TRVTableInplaceEdit::UpdateView(bool Refresh) {
  if (Transparent) TRVEdit::UpdateView(Refresh);
}

void TRVTableInplaceEdit::SetVPos(int32_t Pos, bool Redraw) {
  if (ScrollsItself_) TRVEdit::SetVPos(Pos, Redraw);
}

void TRVTableInplaceEdit::SetHPos(int32_t /*Pos*/) {}

// ---- messages -----------------------------------------------------------------------------------

void TRVTableInplaceEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_RVMOVEEDITOR:
      MoveEditor(static_cast<int>(Message.WParam));
      return;  // the editor may be gone
    case WM_RVINPLACEUNDO:
      SetReadOnly(false);
      Undo();
      return;
    case WM_RVINPLACEREDO:
      SetReadOnly(false);
      Redo();
      return;
    case EM_CANUNDO:
    case EM_UNDO:
    case WM_UNDO:
    case EM_REDO:
    case EM_CANREDO:
      if (ParentData != nullptr && ParentData->GetParentControl() != nullptr) {
        Message.Result =
            SendMessage(ParentData->GetParentControl(), Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case CM_RELEASE: {
      TWinControl* parent = ParentData != nullptr ? ParentData->GetParentControl() : nullptr;
      const bool wantsFocus = Focused();
      delete this;
      if (parent != nullptr && wantsFocus && parent->HandleAllocated() && parent->CanFocus())
        parent->SetFocus();
      return;
    }
    case WM_LBUTTONDOWN:
      // The click that opened the editor and this one make a double click.
      if (ClickTime != 0 && GetTickCount() - ClickTime < GetDoubleClickTime()) Message.Msg = WM_LBUTTONDBLCLK;
      ClickTime = 0;
      break;
    default:
      break;
  }
  TRVEdit::WndProc(Message);
}

void TRVTableInplaceEdit::MoveEditor(int Direction) {
  TRVTableItemInfo* table = Table;
  TCustomRVFormattedData* parentData = ParentData;
  if (table == nullptr || parentData == nullptr) return;
  TWinControl* parent = parentData->GetParentControl();
  auto focusParent = [&] {
    if (parent != nullptr && parent->HandleAllocated() && parent->CanFocus()) parent->SetFocus();
  };
  // What follows may free this editor: only locals from here on.
  const int row = Row, col = Col, itemNo = ItemNo;
  TCustomRVData* root = InplaceRVData().GetOuterRootData();
  auto* rootData = dynamic_cast<TCustomRVFormattedData*>(root);
  switch (Direction) {
    case rvdTop:
    case rvdBottom:
      if (rootData != nullptr && rootData->GetItemCount() > 0) {
        const int target = Direction == rvdTop ? 0 : rootData->GetItemCount() - 1;
        const int offs =
            Direction == rvdTop ? rootData->GetItemStartOffset(target) : rootData->GetItemEndOffset(target);
        rootData->SetSelectionBounds(target, offs, target, offs);
      }
      focusParent();
      return;
    default:
      break;
  }
  int newRow = -1, newCol = -1;
  if (table->GetAdjacentCell(row, col, false, newCol, newRow, Direction)) {
    const bool atEnd = Direction == rvdLeft || Direction == rvdUp || Direction == rvdPrev;
    table->OpenCellEditor(itemNo, newRow, newCol, false, !atEnd, atEnd, 0, false);
    return;
  }
  if ((Direction == rvdLeft && col == 0) || (Direction == rvdUp && row == 0)) {
    parentData->SetSelectionBounds(itemNo, 0, itemNo, 0);
    focusParent();
  }
}

// ---- keys ---------------------------------------------------------------------------------------

bool TRVTableInplaceEdit::LeavesCell(uint16_t Key, TShiftState Shift) {
  if ((Shift & (ssShift | ssCtrl | ssAlt)) != 0) return false;
  TRVTableInplaceRVData& data = InplaceRVData();
  if (data.CaretDrawItemNo < 0 || data.SelectionExists()) return false;
  const int itemNo = data.GetCaretItemNo();
  const int offs = data.GetCaretOffset();
  const int last = data.GetItemCount() - 1;
  const bool rightToLeft = BiDiMode() == rvbdRightToLeft;
  switch (Key) {
    case VK_LEFT:
    case VK_RIGHT: {
      const bool backward = (Key == VK_LEFT) != rightToLeft;
      return backward ? itemNo == 0 && offs <= data.GetItemStartOffset(0)
                      : itemNo == last && offs >= data.GetItemEndOffset(last);
    }
    case VK_UP:
      return data.CaretOnFirstLine();
    case VK_DOWN:
      return data.CaretOnLastLine();
    default:
      return false;
  }
}

void TRVTableInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_TAB && (Shift & ssCtrl) == 0) {
    PostMessage(this, WM_RVMOVEEDITOR, (Shift & ssShift) != 0 ? rvdPrev : rvdNext);
    Key = 0;
    return;
  }
  if (LeavesCell(Key, Shift)) {
    TRVGetOutDirection direction = rvdDown;
    const bool rightToLeft = BiDiMode() == rvbdRightToLeft;
    if (Key == VK_LEFT) direction = rightToLeft ? rvdRight : rvdLeft;
    if (Key == VK_RIGHT) direction = rightToLeft ? rvdLeft : rvdRight;
    if (Key == VK_UP) direction = rvdUp;
    Key = 0;
    if (OnCaretGetOut) OnCaretGetOut(this, direction);
    return;
  }
  TBusyScope busy(BusyCount_);
  TRVEdit::KeyDown(Key, Shift);
}

void TRVTableInplaceEdit::KeyPress(char16_t& Key) {
  if (Key == u'\t' && (GetShiftState() & ssCtrl) == 0) {
    Key = 0;
    return;
  }
  TBusyScope busy(BusyCount_);
  TRVEdit::KeyPress(Key);
}

// ---- mouse --------------------------------------------------------------------------------------

void TRVTableInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  {
    TBusyScope busy(BusyCount_);
    TRVEdit::MouseDown(Button, Shift, X, Y);
  }
  if (Button != mbLeft || Table == nullptr || !Table->SelectCell(Row, Col)) return;
  if (auto* viewerData = dynamic_cast<TRVViewerRVData*>(ParentData)) viewerData->Viewer()->StartAutoScroll();
  MouseInCell = true;
}

void TRVTableInplaceEdit::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if ((Shift & ssLeft) != 0 && (InplaceRVData().StateFlags & rvstMakingSelection) != 0 &&
      ParentData != nullptr)
    if (TWinControl* parent = ParentData->GetParentControl()) parent->MouseMove(Shift, X + Left(), Y + Top());
  TBusyScope busy(BusyCount_);
  TRVEdit::MouseMove(Shift, X, Y);
}

void TRVTableInplaceEdit::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if ((Button == mbLeft || Button == mbRight) && MouseCapture()) SetMouseCapture(false);
  {
    TBusyScope busy(BusyCount_);
    TRVEdit::MouseUp(Button, Shift, X, Y);
  }
  if (Button != mbLeft) return;
  MouseInCell = false;
  if (Table != nullptr && (Table->DragSelecting || (Table->State & rvtsCellsSelected) != 0))
    if (auto* viewerData = dynamic_cast<TRVViewerRVData*>(ParentData))
      viewerData->Viewer()->MouseUp(Button, Shift, X + Left(), Y + Top());
  if ((InplaceRVData().StateFlags & rvstWholeDataSelected) != 0)
    PostMessage(this, CM_RELEASE);
  else
    SetCellSelected(false);
}

void TRVTableInplaceEdit::Click() {
  PostRootEvent(RootControl(), std::make_unique<TRVClickMessageData>(4));
}

// ---- the table's link ---------------------------------------------------------------------------

TCustomRVData* TRVTableInplaceEdit::GetEditorData() {
  return &InplaceRVData();
}

void TRVTableInplaceEdit::SetFirstJumpNo(int FirstJumpNo) {
  TRVEdit::SetFirstJumpNo(FirstJumpNo);
}

int TRVTableInplaceEdit::GetJumpCount() const {
  return const_cast<TRVTableInplaceEdit*>(this)->InplaceRVData().JumpCount;
}

void TRVTableInplaceEdit::TableMoved(int32_t Left, int32_t Top) {
  if (Table != nullptr && !Destroying_) TRVTableCellEditing::AdjustInplaceEditor(*Table, Left, Top);
}

void TRVTableInplaceEdit::CellLookChanged() {
  if (Table != nullptr && !Destroying_) RVRefreshCellEditorLook(*Table);
}

void TRVTableInplaceEdit::Close(bool StoreContent) {
  if (Destroying_ || Closing_) return;
  Closing_ = true;
  if (StoreContent) {
    if (ParentData != nullptr && Cell != nullptr) ParentData->UnassignFocusedSubData(Cell);
  } else {
    CloseQuietly = true;
  }
  delete this;
}
