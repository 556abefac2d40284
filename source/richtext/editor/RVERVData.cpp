// The editor document data's own life cycle: construction, clearing, formatting with the
// caret carried over, and the opening of undo and redo groups.
#include "richtext/editor/RVERVData.h"

#include "richtext/core/RVError.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVItemResizer.h"
#include "richtext/viewer/RVViewer.h"

void TRVCharPos::Assign(const TPersistent* Source) {
  if (const auto* pos = dynamic_cast<const TRVCharPos*>(Source)) {
    X = pos->X;
    DrawItemNo = pos->DrawItemNo;
    Offset = pos->Offset;
    return;
  }
  TCollectionItem::Assign(Source);
}

TRVEditRVData::TRVEditRVData(TCustomRVViewer* Viewer)
    : TRVViewerRVData(Viewer),
      CharPositions(std::make_unique<TRVCharPosCollection>()),
      UndoList(std::make_unique<TRVUndoList>(this)),
      RedoList(std::make_unique<TRVUndoList>(this)) {}

// The records free items through this data's hooks, so the lists go before the rest of it.
TRVEditRVData::~TRVEditRVData() {
  UndoList.reset();
  RedoList.reset();
  CharPositions.reset();
}

TCustomRVEdit* TRVEditRVData::Editor() const {
  return dynamic_cast<TCustomRVEdit*>(Viewer());
}

void TRVEditRVData::ClearDrawLines() {
  if (CharPositions) CharPositions->Clear();
  CaretDrawItemNo = -1;
  CaretOffs = -1;
  Resizer.reset();
  TRVViewerRVData::ClearDrawLines();
}

void TRVEditRVData::Clear() {
  TRVViewerRVData::Clear();
  StateFlags &= ~rvstStyleChangePending;
  if (UndoList) UndoList->ClearList();
  if (RedoList) RedoList->ClearList();
  LastTextStyleNo = 0;
  // Once the editor's own part is destroyed the control is no editor any more; the data
  // then keeps the styles itself.
  if (TCustomRVEdit* editor = Editor()) {
    editor->SetCurParaStyleNo(0);
    editor->SetCurTextStyleNo(0);
  } else {
    CurParaStyleNo = 0;
    CurTextStyleNo = 0;
  }
  StateFlags |= rvstStylesFromCaret;
}

void TRVEditRVData::FormatLines(bool KeepPosition, bool Repaint, bool NoScrollRestore, int Depth,
                                TCanvas* Canvas, bool OnlyTail, bool LayoutFlag) {
  PrepareEmptyDocument();
  if ((StateFlags & rvstSkipNextFormatting) != 0) {
    StateFlags &= ~rvstSkipNextFormatting;
    return;
  }
  const bool carryCaret = GetRVStyle() != nullptr && (StateFlags & rvstNoCaretChange) == 0;
  const bool keepPlace = carryCaret && (KeepPosition || OnlyTail) && CaretDrawItemNo >= 0 && CaretOffs >= 0 &&
                         CaretOffs < CharPositions->Count();
  int caretItemNo = -1;
  int caretItemOffs = 0;
  if (keepPlace) {
    const TRVCharPos* pos = CharPositions->Items(CaretOffs);
    DrawItemToItem(pos->DrawItemNo, pos->Offset, caretItemNo, caretItemOffs);
  }
  TRVViewerRVData::FormatLines(KeepPosition, Repaint, NoScrollRestore, Depth, Canvas, OnlyTail, LayoutFlag);
  DocMinWidth = GetItemCount() > 0 ? CalculateMinItemsWidth(0, GetItemCount() - 1) : 0;
  if (carryCaret) {
    if (keepPlace && caretItemNo >= 0 && caretItemNo < GetItemCount()) {
      int dOffs = 0;
      ItemToDrawItem(caretItemNo, caretItemOffs, CaretDrawItemNo, dOffs);
      if (CaretDrawItemNo >= 0) OnChangeCaretLine(dOffs - 2);
    } else if (DrawItems().Count() > 0) {
      CaretDrawItemNo = 0;
      OnChangeCaretLine(GetDrawItemStartOffset(0) - 2);
      CaretOffs = 0;
    } else {
      CaretDrawItemNo = -1;
      CaretOffs = -1;
    }
    UpdateResizer();
    ChangeCaret(false, false, (StateFlags & rvstStylesFromCaret) == 0, false);
  }
  StateFlags &= ~rvstStylesFromCaret;
}

bool TRVEditRVData::PassToInplaceEditor(uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  if (GetInplaceEditor() != nullptr) return TRVViewerRVData::PassToInplaceEditor(Msg, WParam, LParam);
  TCustomRVEdit* editor = Editor();
  if (editor == nullptr) return false;
  editor->Perform(Msg, WParam, LParam);
  return true;
}

TRVUndoList* TRVEditRVData::GetUndoList() {
  switch (UndoMode) {
    case rvumUndo:
      return UndoList->Limit != 0 ? UndoList.get() : nullptr;
    case rvumRedo:
      return RedoList.get();
    default:
      return nullptr;
  }
}

void TRVEditRVData::BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize) {
  BeginNamedUndoSequence(UndoType, std::string(), AllowFinalize);
}

void TRVEditRVData::BeginNamedUndoSequence(TRVUndoType UndoType, const std::string& Caption,
                                           bool AllowFinalize) {
  if (AllowFinalize && (StateFlags & rvstFinishing) == 0) {
    // An inner document (a cell editor) must hand its edit over before this group opens.
    TRVStateScope finishing(*this, rvstFinishing);
    if (PartiallySelectedItem != nullptr)
      PartiallySelectedItem->FinishEditing();
    else if (TCustomRVItemInfo* focused = GetFocusedSubItem())
      focused->FinishEditing();
  }
  const int caretItemNo = CaretDrawItemNo >= 0 ? GetCaretItemNo() : -1;
  const int caretOffs = CaretDrawItemNo >= 0 ? GetCaretOffset() : -1;
  UndoMode = UndoList->BeginUndoGroup(UndoType, Caption, caretOffs, caretItemNo) ? rvumUndo : rvumNone;
}

void TRVEditRVData::BeginRedoSequence(TRVUndoType UndoType, const std::string& Caption) {
  const int caretItemNo = CaretDrawItemNo >= 0 ? GetCaretItemNo() : -1;
  const int caretOffs = CaretDrawItemNo >= 0 ? GetCaretOffset() : -1;
  UndoMode = RedoList->BeginUndoGroup(UndoType, Caption, caretOffs, caretItemNo) ? rvumRedo : rvumNone;
}

void TRVEditRVData::SetUndoGroupMode(bool On) {
  UndoList->GroupModeCount += On ? 1 : -1;
}

int TRVEditRVData::Reformat(bool Force) {
  TCustomRVEdit* editor = Editor();
  if (!Force && editor != nullptr && editor->GetReadOnly()) return 0;
  if (UpdateLockCount != 0) return 0;
  ClearDrawLines();
  LastDItemMovedAbove = -1;
  Format(false);
  SetViewerState(GetViewerState() | rvvsTrackJumps);
  StateFlags &= ~rvstJumpHighlighted;
  InvalidateControl();
  // The formatter reports by the lines it laid out: none when it was locked, skipped or had
  // no style sheet to lay out with.
  return DrawItems().Count() > 0 ? 1 : 0;
}

void TRVEditRVData::UpdateAfterReformat() {
  TCustomRVEdit* editor = Editor();
  if (editor != nullptr && editor->GetReadOnly()) return;
  if (UpdateLockCount != 0 || (GetViewerState() & rvvsTrackJumps) == 0) return;
  LastDItemMovedAbove = -1;
  // Only the hyperlink areas go: the layout stays, so that the caret can be placed on it.
  ClearJumps();
  SetViewerState(GetViewerState() & ~rvvsTrackJumps);
  StateFlags &= ~rvstJumpHighlighted;
  ChangeCaret(false, false, true, false);
  InvalidateControl();
}

std::unique_ptr<TCustomRVItemInfo> TRVEditRVData::RV_CreateTextCopy(const TCustomRVItemInfo& Source,
                                                                    TCustomRVData* RVData) {
  std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(RVData);
  item->CopyProperties(Source);
  item->ItemOptions = 0;
  item->SetSameAsPrev(Source.GetSameAsPrev());
  if (Source.IsTwoByteText()) item->ItemOptions |= rvioTwoByteText;
  item->Tag = RVCopyTag(Source.Tag, RVData != nullptr && (RVData->GetOptions() & rvoTagsArePChars) != 0);
  return item;
}
