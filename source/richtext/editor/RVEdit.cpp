// The editor control: construction, the change protocol every edit follows, undo and redo,
// the current styles, and keyboard and message handling that hands the work to the document
// data. The clipboard is in RVEditClipboard.cpp.
#include "richtext/editor/RVEdit.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/CodePages.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Font.h"
#include "platform/gui/Application.h"
#include "platform/gui/InputMethod.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/editor/RVItemResizer.h"

namespace {

/// Viewer-state bits the editor changes at construction.
constexpr uint16_t kJumpModeBit = 0x0001;
constexpr uint16_t kViewerBit3 = 0x0008;
constexpr uint16_t kEditorBit = 0x0080;

/// The in-place editor open in Editor (a table cell being edited), null when none.
TCustomRVEdit* InplaceEditorOf(TCustomRVEdit& Editor) {
  return dynamic_cast<TCustomRVEdit*>(Editor.GetInplaceEditor());
}

bool IsMovementKey(uint16_t Key) {
  return Key >= VK_PRIOR && Key <= VK_DOWN;
}

/// Keys that neither delete a selection nor type: they go straight to the second pass.
bool IsNonTypingKey(uint16_t Key) {
  switch (Key) {
    case VK_SHIFT:
    case VK_MENU:
    case VK_PAUSE:
    case VK_CAPITAL:
    case VK_ESCAPE:
    case VK_SNAPSHOT:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return (Key >= VK_LWIN && Key <= VK_APPS) || (Key >= VK_F1 && Key <= VK_F1 + 23);
  }
}

/// Characters in the byte form of a text style: UTF-16 bytes for a Unicode style, else
/// the style's code page.
std::string CharsForStyle(const TRVEditRVData& Data, int32_t StyleNo, std::u16string_view Chars) {
  if (Data.IsUnicodeStyle(StyleNo)) return RVWideStringToBytes(Chars);
  return WideToMultiByte(Data.GetStyleCodePage(StyleNo), 0, std::u16string(Chars));
}

}  // namespace

// ---- construction -----------------------------------------------------------------------------

TCustomRVEdit::TCustomRVEdit(TComponent* AOwner)
    : TCustomRVEdit(AOwner, [](TCustomRVViewer* Viewer) -> std::unique_ptr<TRVViewerRVData> {
        return std::make_unique<TRVEditRVData>(Viewer);
      }) {}

TCustomRVEdit::TCustomRVEdit(TComponent* AOwner, const TRVDataFactory& MakeData)
    : TCustomRVViewer(AOwner, MakeData) {
  InitEditor();
}

TCustomRVEdit::~TCustomRVEdit() {
  SetComponentState(csDestroying);
  // The items go while the editor is whole: their leaving reaches handlers that may still
  // ask the editor about itself.
  RVData().Clear();
}

void TCustomRVEdit::InitEditor() {
  SetCursor(crIBeam);
  EditorOptions = rvDefaultEditorOptions;
  // Hyperlinks are dead while editing; the caret keys belong to the caret, not to scrolling.
  SetViewerFlags(static_cast<uint16_t>((ViewerFlags() | kEditorBit) & ~(kJumpModeBit | kViewerBit3)));
  KeyboardScroll = false;
  DisableNoScroll = true;
  RVData().TabNavigation = rvtnNone;
}

TRVEditRVData& TCustomRVEdit::EditRVData() {
  return static_cast<TRVEditRVData&>(RVData());
}

const TRVEditRVData& TCustomRVEdit::EditRVData() const {
  return static_cast<const TRVEditRVData&>(RVData());
}

// ---- read-only and the change protocol ------------------------------------------------------------

void TCustomRVEdit::SetReadOnly(bool Value) {
  ReadOnly_ = Value;
  EditRVData().SetReadOnlyMode(Value);
  TRVEditRVData& inner = GetInnermostEditor()->EditRVData();
  if (inner.CaretDrawItemNo >= 0) inner.ChangeCaret(false, false, true, false);
  Invalidate();
}

bool TCustomRVEdit::GetReadOnly() const {
  return ReadOnly_;
}

bool TCustomRVEdit::CanChange(bool Flag) {
  TRVEditRVData& data = EditRVData();
  bool allowed = false;
  if (!GetReadOnly() && Style() != nullptr && (Flag || !data.HasPendingNestedEdit())) allowed = DoChanging();
  if (!allowed) {
    data.Beep();
    return false;
  }
  // A document emptied by Clear gets its empty line (and the caret) before it is edited.
  data.PrepareEmptyDocument();
  DiscardDataCache();
  return true;
}

bool TCustomRVEdit::DoChanging() {
  if (!OnChanging) return true;
  auto* root = dynamic_cast<TCustomRVEdit*>(RVData().GetOuterRootData()->GetParentControl());
  bool canEdit = true;
  OnChanging(root != nullptr ? root : this, canEdit);
  return canEdit;
}

namespace {

/// Leaves the hyperlink mode that Ctrl turned on; a read-only editor keeps its hyperlinks.
void LeaveJumpMode(TCustomRVEdit& Editor) {
  TRVEditRVData& data = Editor.EditRVData();
  if (!Editor.GetReadOnly() && data.GetReadOnlyMode()) data.SetReadOnlyMode(false);
}

}  // namespace

void TCustomRVEdit::Change(bool ClearRedo) {
  TRVEditRVData& data = EditRVData();
  data.UpdateResizer();
  Modified = true;
  DiscardDataCache();
  LeaveJumpMode(*this);
  if (ClearRedo) data.RedoList->ClearList();
  if (OnChange) OnChange(this);
}

void TCustomRVEdit::DoCurParaStyleChanged() {
  if (Style() != nullptr && !Destroying() && OnCurParaStyleChanged) OnCurParaStyleChanged(this);
}

void TCustomRVEdit::DoCurTextStyleChanged() {
  if (Style() != nullptr && !Destroying() && OnCurTextStyleChanged) OnCurTextStyleChanged(this);
}

void TCustomRVEdit::DoCaretMove() {
  if (!Destroying() && OnCaretMove) OnCaretMove(this);
}

TCustomRVEdit* TCustomRVEdit::GetInnermostEditor() {
  TCustomRVEdit* editor = this;
  while (TCustomRVEdit* inner = InplaceEditorOf(*editor)) editor = inner;
  return editor;
}

// ---- current styles ---------------------------------------------------------------------------------

int32_t TCustomRVEdit::GetCurTextStyleNo() {
  return GetInnermostEditor()->EditRVData().CurTextStyleNo;
}

void TCustomRVEdit::SetCurTextStyleNo(int32_t Value) {
  TCustomRVEdit* editor = GetInnermostEditor();
  TRVEditRVData& data = editor->EditRVData();
  data.StateFlags &= ~rvstStyleChangePending;
  // After Clear the styles taken from the caret are announced even when they are the same.
  if (data.CurTextStyleNo == Value && (data.StateFlags & rvstStylesFromCaret) == 0) return;
  data.CurTextStyleNo = Value;
  editor->DoCurTextStyleChanged();
}

int32_t TCustomRVEdit::GetCurParaStyleNo() {
  return GetInnermostEditor()->EditRVData().CurParaStyleNo;
}

void TCustomRVEdit::SetCurParaStyleNo(int32_t Value) {
  TCustomRVEdit* editor = GetInnermostEditor();
  TRVEditRVData& data = editor->EditRVData();
  if (data.CurParaStyleNo == Value && (data.StateFlags & rvstStylesFromCaret) == 0) return;
  data.CurParaStyleNo = Value;
  editor->DoCurParaStyleChanged();
}

void TCustomRVEdit::ApplyParaStyle(int32_t ParaNo) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    inner->ApplyParaStyle(ParaNo);
    return;
  }
  if (!CanChange(false)) return;
  TRVEditRVData& data = EditRVData();
  data.BeginUndoSequence(rvutPara, true);
  data.ApplyParaStyle(ParaNo, false);
  Change(true);
}

void TCustomRVEdit::ApplyStyleConversion(int UserData) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    inner->ApplyStyleConversion(UserData);
    return;
  }
  if (!OnStyleConversion || !CanChange(false)) return;
  CurrentConversion = OnStyleConversion;
  EditRVData().ApplyStyleConversion(UserData);
}

void TCustomRVEdit::ApplyParaStyleConversion(int UserData) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    inner->ApplyParaStyleConversion(UserData);
    return;
  }
  if (!OnParaStyleConversion || !CanChange(false)) return;
  TRVEditRVData& data = EditRVData();
  data.BeginUndoSequence(rvutPara, true);
  CurrentConversion = OnParaStyleConversion;
  data.ApplyParaStyle(UserData, true);
  Change(true);
}

void TCustomRVEdit::SelectUnicodeStyleIfNeeded() {
  const TRVStyle* style = Style();
  if (style == nullptr) return;
  TRVEditRVData& data = GetInnermostEditor()->EditRVData();
  const int32_t unicodeStyle = style->DefUnicodeStyle;
  if (data.IsUnicodeStyle(data.CurTextStyleNo)) return;
  if (unicodeStyle < 0 || unicodeStyle >= style->TextStyles().Count()) return;
  SetCurTextStyleNo(unicodeStyle);
}

void TCustomRVEdit::SetTabNavigation(TRVTabNavigationType Value) {
  if (Value != rvtnNone) throw ERVError("Not supported in editor");
  TCustomRVViewer::SetTabNavigation(Value);
}

void TCustomRVEdit::AssignEvents(const TCustomRVViewer& Source) {
  TCustomRVViewer::AssignEvents(Source);
  const auto* editor = dynamic_cast<const TCustomRVEdit*>(&Source);
  if (editor == nullptr) return;
  OnStyleConversion = editor->OnStyleConversion;
  OnParaStyleConversion = editor->OnParaStyleConversion;
  OnPaste = editor->OnPaste;
  OnCurParaStyleChanged = editor->OnCurParaStyleChanged;
  OnCurTextStyleChanged = editor->OnCurTextStyleChanged;
  OnCaretMove = editor->OnCaretMove;
}

// ---- undo and redo ----------------------------------------------------------------------------------

TRVUndoType TCustomRVEdit::UndoAction() {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    const TRVUndoType type = inner->UndoAction();
    if (type != rvutNone) return type;
  }
  return EditRVData().UndoList->CurrentUndoType();
}

TRVUndoType TCustomRVEdit::RedoAction() {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    const TRVUndoType type = inner->RedoAction();
    if (type != rvutNone) return type;
  }
  return EditRVData().RedoList->CurrentUndoType();
}

namespace {

/// Undo (Redo) of an editor: an open cell editor undoes its own changes; when it has none,
/// the message closes it and this editor undoes (posted: closing it here would free the
/// editor whose key handler may be running).
void PerformUndoOrRedo(TCustomRVEdit& Editor, bool Redo) {
  if (Editor.GetReadOnly()) {
    MessageBeep();
    return;
  }
  TRVEditRVData& data = Editor.EditRVData();
  TRVUndoList& list = Redo ? *data.RedoList : *data.UndoList;
  if (TCustomRVEdit* inner = InplaceEditorOf(Editor)) {
    const TRVUndoType innerType = Redo ? inner->RedoAction() : inner->UndoAction();
    if (innerType != rvutNone) {
      if (Redo)
        inner->Redo();
      else
        inner->Undo();
    } else if (list.CurrentUndoType() != rvutNone) {
      PostMessage(&Editor, Redo ? WM_RVREDOFROMINPLACE : WM_RVUNDOFROMINPLACE);
    }
  } else if (list.CurrentUndoType() != rvutNone) {
    if (Redo)
      list.Redo(&data);
    else
      list.Undo(&data);
    Editor.Change(false);
  } else {
    data.Beep();
  }
  if (Editor.Visible() && Editor.CanFocus()) Editor.SetFocus();
}

}  // namespace

void TCustomRVEdit::Undo() {
  PerformUndoOrRedo(*this, false);
}

void TCustomRVEdit::Redo() {
  PerformUndoOrRedo(*this, true);
}

void TCustomRVEdit::ClearUndo() {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) inner->ClearUndo();
  EditRVData().UndoList->ClearList();
  EditRVData().RedoList->ClearList();
}

void TCustomRVEdit::SetUndoGroupMode(bool On) {
  EditRVData().SetUndoGroupMode(On);
}

int TCustomRVEdit::GetUndoLimit() const {
  return EditRVData().UndoList->Limit;
}

void TCustomRVEdit::SetUndoLimit(int Value) {
  TRVEditRVData& data = EditRVData();
  data.UndoList->SetLimit(Value);
  // Without undo there is nothing to redo either.
  if (Value == 0) data.RedoList->ClearList();
}

bool TCustomRVEdit::IsUndoShortcut(TShiftState Shift, uint16_t Key) {
  if ((Shift & ssShift) != 0) return false;
  return ((Shift & ssCtrl) != 0 && (Shift & ssAlt) == 0 && Key == 'Z') ||
         ((Shift & ssAlt) != 0 && Key == VK_BACK);
}

bool TCustomRVEdit::IsRedoShortcut(TShiftState Shift, uint16_t Key) {
  if ((Shift & ssShift) == 0) return false;
  return ((Shift & ssCtrl) != 0 && (Shift & ssAlt) == 0 && Key == 'Z') ||
         ((Shift & ssAlt) != 0 && Key == VK_BACK);
}

// ---- editing operations -------------------------------------------------------------------------

void TCustomRVEdit::DeleteSelection() {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    inner->DeleteSelection();
    return;
  }
  TRVEditRVData& data = EditRVData();
  if (!data.SelectionExists(false, true)) return;
  if (!CanChange(false)) return;
  data.DeleteSelection();
  Invalidate();
}

int TCustomRVEdit::GetCaretItemNo() {
  return EditRVData().GetCaretItemNo();
}

int TCustomRVEdit::GetCaretOffset() {
  return EditRVData().GetCaretOffset();
}

TCustomRVItemInfo* TCustomRVEdit::GetCurrentItem() {
  TCustomRVEdit* editor = GetInnermostEditor();
  const int itemNo = editor->GetCaretItemNo();
  return itemNo >= 0 && itemNo < editor->GetItemCount() ? editor->GetItem(itemNo) : nullptr;
}

void TCustomRVEdit::BeginItemModify(int ItemNo, int32_t& State) {
  EditRVData().BeginItemModify(ItemNo, State);
}

void TCustomRVEdit::EndItemModify(int ItemNo, int32_t State) {
  EditRVData().EndItemModify(ItemNo, State);
}

void TCustomRVEdit::SetItemExtraIntProperty(int ItemNo, int Prop, bool AutoReformat, int32_t Value) {
  TRVEditRVData& data = EditRVData();
  if (ItemNo < 0 || ItemNo >= data.GetItemCount()) throw ERVError("Item index is out of bounds");
  int32_t current = 0;
  if (!data.GetItemIntProperty(ItemNo, Prop, current)) return;
  if (current == Value || !CanChange(false)) return;
  data.BeginUndoSequence(rvutModifyItem, true);
  int32_t state = 0;
  if (AutoReformat) data.BeginItemModify(ItemNo, state);
  data.Do_ExtraIntProperty(ItemNo, Prop, Value);
  if (AutoReformat) data.EndItemModify(ItemNo, state);
  Change(true);
}

void TCustomRVEdit::DoBackspace(bool Ctrl) {
  if (!CanChange(false)) return;
  EditRVData().OnBackSpacePress(Ctrl, false, false);
  Change(true);
}

void TCustomRVEdit::DoDelete(bool Ctrl) {
  if (!CanChange(false)) return;
  EditRVData().OnDeletePress(Ctrl, false);
  Change(true);
}

void TCustomRVEdit::DoEnter(bool Soft) {
  if (!CanChange(false)) return;
  EditRVData().OnEnterPress(Soft);
  Change(true);
}

// ---- insertion ------------------------------------------------------------------------------------

bool TCustomRVEdit::BeginInsert() {
  TRVEditRVData& data = EditRVData();
  // An emptied document gets its line and caret first, so that it can take the insertion.
  data.PrepareEmptyDocument();
  if (data.HasPendingNestedEdit() || !data.CanInsertHere()) {
    data.Beep();
    return false;
  }
  if (!CanChange(false)) return false;
  data.BeginUndoSequence(rvutInsert, true);
  data.SetUndoGroupMode(true);
  // Deleting the selection takes the style of what it leaves at the caret; the insertion
  // keeps the style the user chose.
  const int32_t textStyle = data.CurTextStyleNo;
  try {
    data.DeleteSelection();
    data.Deselect(nullptr, false);
  } catch (...) {
    data.SetUndoGroupMode(false);
    throw;
  }
  SetCurTextStyleNo(textStyle);
  return true;
}

void TCustomRVEdit::EndInsert() {
  EditRVData().SetUndoGroupMode(false);
  Invalidate();
  Change(true);
}

namespace {

/// Runs an insertion between BeginInsert and EndInsert; group mode ends also when it raises.
template <typename F>
bool InsertInGroup(TCustomRVEdit& Editor, F&& Insert) {
  if (!Editor.BeginInsert()) return false;
  bool inserted = true;
  try {
    if constexpr (std::is_same_v<decltype(Insert(Editor.EditRVData())), bool>)
      inserted = Insert(Editor.EditRVData());
    else
      Insert(Editor.EditRVData());
  } catch (...) {
    Editor.EditRVData().SetUndoGroupMode(false);
    throw;
  }
  Editor.EndInsert();
  return inserted;
}

}  // namespace

void TCustomRVEdit::InsertText(const std::string& Text, bool CaretBefore) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    inner->InsertText(Text, CaretBefore);
    return;
  }
  InsertInGroup(*this, [&](TRVEditRVData& data) { data.InsertTextA(Text, CaretBefore); });
}

void TCustomRVEdit::InsertTextW(const std::string& Text) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) {
    inner->InsertTextW(Text);
    return;
  }
  InsertInGroup(*this, [&](TRVEditRVData& data) {
    SelectUnicodeStyleIfNeeded();
    data.InsertTextW(Text, false);
  });
}

bool TCustomRVEdit::InsertPicture(const std::string& Name, std::unique_ptr<TGraphic> Graphic,
                                  uint8_t VAlign) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this))
    return inner->InsertPicture(Name, std::move(Graphic), VAlign);
  return InsertInGroup(*this, [&](TRVEditRVData& data) {
    std::unique_ptr<TRVGraphicItemInfo> item =
        TRVGraphicItemInfo::CreateWithPicture(&data, std::move(Graphic), VAlign);
    return data.InsertItemAtCaretAndFormat(std::move(item), Name);
  });
}

namespace {

/// Stream content at the caret (RVF or RTF): one undo group with the deletion of the
/// selection. True when refused before anything was read.
template <typename F>
bool InsertStreamAtCaret(TCustomRVEdit& Editor, F&& Read) {
  if (!Editor.CanChange(false)) return true;
  TRVEditRVData& data = Editor.EditRVData();
  if (data.HasPendingNestedEdit() || !data.CanInsertHere()) {
    data.Beep();
    return true;
  }
  data.BeginUndoSequence(rvutInsert, true);
  data.SetUndoGroupMode(true);
  bool result = false;
  try {
    data.DeleteSelection();
    const int caretOffs = data.GetCaretOffset();
    const int split = data.SplitTextAtCaret();
    const int count = data.GetItemCount();
    data.StateFlags |= rvstInsertingAtCaret;
    result = Read(data);
    // Nothing came in: the text cut for it is whole again.
    int caretItem = split, offs = caretOffs, otherItem = split, otherOffs = caretOffs;
    if (split >= 0 && data.GetItemCount() == count &&
        data.MergeKeepingPositions(split, caretItem, offs, otherItem, otherOffs)) {
      data.FormatAfterChange(false, split);
      data.PlaceCaretAtItem(caretItem, offs, true);
    }
  } catch (...) {
    data.StateFlags &= ~rvstInsertingAtCaret;
    data.SetUndoGroupMode(false);
    throw;
  }
  data.StateFlags &= ~rvstInsertingAtCaret;
  data.SetUndoGroupMode(false);
  Editor.Change(true);
  return result;
}

}  // namespace

bool TCustomRVEdit::InsertRVFFromStream(TStream& Stream) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) return inner->InsertRVFFromStream(Stream);
  return InsertStreamAtCaret(*this, [&](TRVEditRVData& data) { return data.InsertRVFAtCaret(Stream); });
}

bool TCustomRVEdit::InsertRTFFromStream(TStream& Stream) {
  if (TCustomRVEdit* inner = InplaceEditorOf(*this)) return inner->InsertRTFFromStream(Stream);
  GetRTFReadProperties();
  return InsertStreamAtCaret(*this, [&](TRVEditRVData& data) { return data.InsertRTFAtCaret(Stream); });
}

// ---- keyboard --------------------------------------------------------------------------------------

void TCustomRVEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TRVEditRVData& data = EditRVData();
  data.PrepareEmptyDocument();
  if (Key == VK_RETURN && (EditorOptions & rvoDoNotWantReturns) != 0) Key = 0;
  if (IsUndoShortcut(Shift, Key)) {
    Undo();
    Key = 0;
  } else if (IsRedoShortcut(Shift, Key)) {
    Redo();
    Key = 0;
  }
  if (Key == 0) return;
  TCustomRVViewer::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (Key == VK_ESCAPE && data.CancelResize()) {
    Key = 0;
    return;
  }

  const bool shift = (Shift & ssShift) != 0;
  const bool ctrl = (Shift & ssCtrl) != 0;
  bool selectionChanged = false;
  // First pass: what the key does to the selection.
  if (IsMovementKey(Key)) {
    if (shift) {
      data.StartSelectingAtCaret();
      selectionChanged = true;
    } else if (data.SelectionExists()) {
      data.Deselect(nullptr, true);
      selectionChanged = true;
    }
  } else if (Key == VK_CONTROL) {
    if ((EditorOptions & rvoCtrlJumps) != 0 && !data.GetReadOnlyMode()) {
      data.SetReadOnlyMode(true);
      SimulateMouseMove();
    }
  } else if (Key == VK_BACK || Key == VK_DELETE) {
    if (!CanChange(false)) return;
    if (data.SelectionExists(false, true)) {
      if (IsCutShortcut(Shift, Key)) {
        PostMessage(this, WM_CUT);
        return;
      }
      data.DeleteSelection();
      Key = 0;
      Invalidate();
      return;
    }
  } else if (!IsNonTypingKey(Key)) {
    if (IsCopyShortcut(Shift, Key)) {
      Key = 0;
      return;
    }
    if (IsCutShortcut(Shift, Key)) {
      PostMessage(this, WM_CUT);
      return;
    }
    if (IsPasteShortcut(Shift, Key)) {
      PostMessage(this, WM_PASTE);
      return;
    }
    if ((Shift & (ssAlt | ssCtrl)) == 0 && Key != VK_INSERT && data.SelectionExists(false, true)) {
      // The character typed next replaces the selection.
      if (!CanChange(false)) return;
      data.DeleteSelection();
    }
  }

  // Second pass: the key's own action.
  switch (Key) {
    case VK_BACK:
      DoBackspace(ctrl);
      Key = 0;
      return;
    case VK_DELETE:
      DoDelete(ctrl);
      Key = 0;
      return;
    case VK_TAB:
      // Ctrl+Tab types a tab (as spaces); a plain Tab moves the focus.
      if (ctrl) PostMessage(this, WM_CHAR, 9);
      return;
    case VK_RETURN:
      if (shift && (EditorOptions & rvoDoNotWantShiftReturns) != 0) return;
      DoEnter(shift);
      if (data.CaretDrawItemNo >= 0) data.ChangeCaret(false, true, false, false);
      Key = 0;
      return;
    case VK_PRIOR:
      data.OnPgUpPress();
      break;
    case VK_NEXT:
      data.OnPgDownPress();
      break;
    case VK_HOME:
      data.OnHomePress(ctrl);
      break;
    case VK_END:
      data.OnEndPress(ctrl);
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      // In a right-to-left document the arrows follow the direction of the text.
      const bool left = (Key == VK_LEFT) != (BiDiMode() == rvbdRightToLeft);
      if (left)
        data.OnLeftPress(shift, ctrl);
      else
        data.OnRightPress(shift, ctrl);
      break;
    }
    case VK_UP:
      data.OnUpPress(shift, ctrl);
      break;
    case VK_DOWN:
      data.OnDownPress(shift, ctrl);
      break;
    default:
      if (selectionChanged) Invalidate();
      return;
  }
  if (shift) data.SelectToCaret();
  if (selectionChanged) {
    // Handles follow a picture selected alone from the keyboard, and go with the selection.
    data.UpdateResizer();
    data.InvalidateControl();
    Invalidate();
  }
}

void TCustomRVEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_CONTROL) {
    LeaveJumpMode(*this);
    SimulateMouseMove();
  }
  TCustomRVViewer::KeyUp(Key, Shift);
}

namespace {

/// A selection that typing could not delete (it holds protected text) is dropped: the typing
/// goes in at the caret, as an insertion does, and a selection left behind would name
/// positions that the typing has moved.
void DropUndeletableSelection(TCustomRVEdit& Editor) {
  TRVEditRVData& data = Editor.EditRVData();
  if (data.SelectionExists()) data.Deselect(nullptr, true);
}

}  // namespace

void TCustomRVEdit::KeyPress(char16_t& Key) {
  TRVEditRVData& data = EditRVData();
  if ((data.StateFlags & rvstKeyConsumed) != 0) return;
  if (Key == 13 && (EditorOptions & rvoDoNotWantReturns) != 0) {
    Key = 0;
    data.Beep();
    return;
  }
  if ((Key < 32 && Key != 9) || Key == 127) return;
  if (!CanChange(false)) return;
  TCustomRVViewer::KeyPress(Key);
  if (Key == 0) return;
  DeleteSelection();
  DropUndeletableSelection(*GetInnermostEditor());
  if (Key == 9) {
    const TRVStyle* style = Style();
    InsertText(
        std::string(static_cast<size_t>(style != nullptr ? std::max<int>(style->SpacesInTab, 0) : 0), ' '),
        false);
    return;
  }
  TCustomRVEdit* editor = GetInnermostEditor();
  TRVEditRVData& target = editor->EditRVData();
  target.TypeText(CharsForStyle(target, target.CurTextStyleNo, std::u16string(1, Key)));
  editor->Change(true);
}

// ---- scrolling -----------------------------------------------------------------------------------------

namespace {

/// After scrolling: the caret follows the text and the cursor the pointer.
void AfterScroll(TCustomRVEdit& Editor) {
  TRVEditRVData& data = Editor.EditRVData();
  if (data.CaretDrawItemNo >= 0) data.ChangeCaret(false, false, true, false);
  Editor.SimulateMouseMove();
  Editor.UpdateView(false);
}

}  // namespace

void TCustomRVEdit::VScrolled() {
  TRVScroller::VScrolled();
  AfterScroll(*this);
}

void TCustomRVEdit::HScrolled() {
  TRVScroller::HScrolled();
  AfterScroll(*this);
}

// ---- messages ---------------------------------------------------------------------------------------------

void TCustomRVEdit::WMSetFocus(TMessage& Message) {
  TCustomRVViewer::WndProc(Message);
  TRVEditRVData& data = EditRVData();
  data.PrepareEmptyDocument();
  if (Style() == nullptr || data.DrawItems().Count() == 0) return;
  data.ChangeCaret(true, false, true, false);
  Invalidate();
}

void TCustomRVEdit::WMKillFocus(TMessage& Message) {
  TCustomRVViewer::WndProc(Message);
  if (Destroying()) return;
  TRVEditRVData& data = EditRVData();
  LeaveJumpMode(*this);
  // A cell editor losing the focus drops the hyperlink mode of the document around it.
  if (!GetReadOnly())
    if (auto* outer = dynamic_cast<TRVEditRVData*>(data.GetOuterParentData())) {
      if (outer->GetReadOnlyMode()) {
        if (TCustomRVEdit* outerEditor = outer->Editor())
          LeaveJumpMode(*outerEditor);
        else
          outer->SetReadOnlyMode(false);
      }
    }
  SimulateMouseMove();
  if (Style() != nullptr && data.DrawItems().Count() > 0) {
    if (data.CaretHeight != 0) {
      HideCaret();
      DestroyCaret();
    }
    data.CaretHeight = 0;
    Invalidate();
  }
}

void TCustomRVEdit::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if ((EditorOptions & rvoDoNotWantReturns) == 0) Message.Result |= DLGC_WANTALLKEYS;
  if ((EditorOptions & rvoWantTabs) != 0) Message.Result |= DLGC_WANTTAB;
}

void TCustomRVEdit::WMKeyDown(TMessage& Message) {
  // Our keyboard input arrives as UTF-16 characters (WM_CHAR), so no key needs translating
  // here: the key goes on to the ordinary handling. A language that no ANSI code page writes
  // types into the Unicode style.
  EditRVData().StateFlags &= ~rvstKeyConsumed;
  if (RVGetKeyboardCodePage() == 0) SelectUnicodeStyleIfNeeded();
  TCustomRVViewer::WndProc(Message);
}

void TCustomRVEdit::WMChar(TMessage& Message) {
  TRVEditRVData& data = EditRVData();
  if ((data.StateFlags & rvstKeyConsumed) != 0) return;
  const auto ch = static_cast<char16_t>(Message.WParam);
  // A character beyond the basic plane comes as two halves; the document only ever takes
  // both at once, so that no undo step and no code-page conversion splits the pair.
  const char16_t high = std::exchange(PendingHighSurrogate_, 0);
  if (ch >= 0xD800 && ch <= 0xDBFF) {
    PendingHighSurrogate_ = ch;
    Message.Result = 0;
    return;
  }
  std::u16string chars(1, ch);
  if (ch >= 0xDC00 && ch <= 0xDFFF) {
    Message.Result = 0;
    if (high == 0) return;  // half a character is no character
    chars.insert(chars.begin(), high);
  }
  if (ch < 256) {
    TCustomRVViewer::WndProc(Message);
    return;
  }
  // A character beyond Latin-1 (another script, or composed by an input method).
  if (!CanChange(false)) return;
  SelectUnicodeStyleIfNeeded();
  TCustomRVEdit* editor = GetInnermostEditor();
  TRVEditRVData& target = editor->EditRVData();
  const std::string bytes = RVWideStringToBytes(chars);
  if (chars.size() == 1 && target.IsUnicodeStyle(target.CurTextStyleNo)) {
    editor->DeleteSelection();
    DropUndeletableSelection(*editor);
    target.TypeText(bytes);
    editor->Change(true);
  } else {
    InsertTextW(bytes);
  }
  Message.Result = 0;
}

void TCustomRVEdit::WMSysChar(TMessage& Message) {
  // Alt+Backspace is undo: the menu must not see it.
  if (Message.WParam == VK_BACK && GetUndoLimit() != 0) {
    Message.Result = 0;
    return;
  }
  TCustomRVViewer::WndProc(Message);
}

void TCustomRVEdit::WMInputLangChange(TMessage& Message) {
  TRVStyle* style = Style();
  if ((EditorOptions & rvoAutoSwitchLang) == 0 || style == nullptr || GetItemCount() == 0) {
    TCustomRVViewer::WndProc(Message);
    return;
  }
  const auto charset = static_cast<uint8_t>(Message.WParam);
  const int32_t current = GetCurTextStyleNo();
  if (!EditRVData().IsUnicodeStyle(current)) {
    int found = style->TextStyles().FindStyleWithCharset(current, charset);
    if (found < 0) {
      TFontInfo* copy = style->TextStyles().AddStyle();
      copy->Assign(style->TextStyles().Items(current));
      copy->Charset = charset;
      copy->Standard = false;
      found = style->TextStyles().Count() - 1;
    }
    SetCurTextStyleNo(found);
  }
  Message.Result = 1;
}

void TCustomRVEdit::WMImeStartComposition(TMessage& Message) {
  TCustomRVViewer::WndProc(Message);
  TRVStyle* style = Style();
  if (style == nullptr) return;
  Message.Result = 1;
  SelectUnicodeStyleIfNeeded();
  // The composition is shown in the current text style, within the current paragraph's
  // text area, starting at the caret.
  TRVEditRVData& data = EditRVData();
  TFont font;
  const int32_t textStyle = data.CurTextStyleNo;
  if (textStyle >= 0 && textStyle < style->TextStyles().Count())
    font.Assign(style->TextStyles().Items(textStyle));
  SetCompositionFont(*this, font);
  TRect area = ClientRect();
  area.Left += data.GetLeftMargin();
  area.Right -= data.GetRightMargin();
  const int32_t paraStyle = data.CurParaStyleNo;
  if (paraStyle >= 0 && paraStyle < style->ParaStyles().Count()) {
    area.Left += style->ParaStyles().Items(paraStyle)->LeftIndent;
    area.Right -= style->ParaStyles().Items(paraStyle)->RightIndent;
  }
  TPoint caret = data.GetCaretPoint();
  // A Korean input method shows each syllable in place: its area starts at the caret, a
  // pixel lower.
  if (PrimaryLangId(GetKeyboardLanguage()) == LANG_KOREAN) {
    area.Left = caret.X;
    area.Top = caret.Y + 1;
    ++area.Bottom;
    ++caret.Y;
  }
  const int32_t height = std::max<int32_t>(data.CaretHeight, 1);
  SetCompositionForm(*this, area, TRect{caret.X, caret.Y, caret.X + 1, caret.Y + height});
}

void TCustomRVEdit::WMImeComposition(TMessage& Message) {
  if ((Message.LParam & GCS_RESULTSTR) == 0 || !CanChange(false)) {
    TCustomRVViewer::WndProc(Message);
    return;
  }
  // The committed text goes in as one insertion (one undo step), cut at a null character.
  std::u16string text = TakeCompositionResult();
  text.resize(std::min(text.size(), text.find(u'\0')));
  if (!text.empty()) InsertTextW(RVWideStringToBytes(text));
  Message.Result = 0;
  // A Korean input method goes on composing the next syllable at the new caret.
  if (PrimaryLangId(GetKeyboardLanguage()) == LANG_KOREAN) PostMessage(this, WM_IME_STARTCOMPOSITION);
}

void TCustomRVEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      WMSetFocus(Message);
      return;
    case WM_KILLFOCUS:
      WMKillFocus(Message);
      return;
    case WM_GETDLGCODE:
      WMGetDlgCode(Message);
      return;
    case WM_KEYDOWN:
      WMKeyDown(Message);
      return;
    case WM_CHAR:
      WMChar(Message);
      return;
    case WM_SYSCHAR:
      WMSysChar(Message);
      return;
    case WM_INPUTLANGCHANGE:
      // The style to switch is the one typing goes into: a cell editor's when one is open.
      if (GetInplaceEditor() != nullptr &&
          EditRVData().PassToInplaceEditor(Message.Msg, Message.WParam, Message.LParam))
        return;
      WMInputLangChange(Message);
      return;
    case WM_IME_STARTCOMPOSITION:
      WMImeStartComposition(Message);
      return;
    case WM_IME_COMPOSITION:
      WMImeComposition(Message);
      return;
    case WM_CUT:
      CutSelection();
      return;
    case WM_PASTE:
      Paste();
      return;
    case WM_CLEAR:
      DeleteSelection();
      return;
    case WM_UNDO:
    case EM_UNDO:
      Message.Result = UndoAction() != rvutNone ? 1 : 0;
      Undo();
      return;
    case EM_REDO:
      Message.Result = RedoAction() != rvutNone ? 1 : 0;
      Redo();
      return;
    case EM_CANUNDO:
      Message.Result = UndoAction() != rvutNone ? 1 : 0;
      return;
    case EM_CANREDO:
      Message.Result = RedoAction() != rvutNone ? 1 : 0;
      return;
    case EM_CANPASTE:
      EMCanPaste(Message);
      return;
    case WM_RVUNDOFROMINPLACE:
    case WM_RVREDOFROMINPLACE:
      DestroyInplaceEditor();
      if (Message.Msg == WM_RVUNDOFROMINPLACE)
        Undo();
      else
        Redo();
      return;
    default:
      TCustomRVViewer::WndProc(Message);
  }
}

// ---- published form ---------------------------------------------------------------------------------

const TPropertyList& TRVEdit::ClassProperties() {
  using T = TRVEdit;
  // The viewer's properties, but TabNavigation goes through the editor's setter, which
  // allows no navigation by Tab.
  std::vector<TPropInfo> viewer;
  for (const TPropInfo& p : TRVViewer::ClassProperties())
    if (p.Name != "TabNavigation") viewer.push_back(p);
  static const TPropertyList list =
      TPropertyBuilder<T>(TPropertyList(std::move(viewer)))
          .Set("EditorOptions", &T::EditorOptions, &T::EditorOptions,
               {"rvoClearTagOnStyleApp", "rvoCtrlJumps", "rvoDoNotWantReturns", "rvoDoNotWantShiftReturns",
                "rvoWantTabs", "rvoAutoSwitchLang", "rvoHideReadOnlyCaret", "rvoNoImageResize"})
          .Default(rvDefaultEditorOptions)
          .Boolean(
              "ReadOnly", [](T& e) { return e.GetReadOnly(); }, [](T& e, bool b) { e.SetReadOnly(b); })
          .Enum(
              "TabNavigation", [](T& e) { return e.TabNavigation(); },
              [](T& e, TRVTabNavigationType t) { e.SetTabNavigation(t); },
              {"rvtnNone", "rvtnTab", "rvtnCtrlTab"})
          .Default(rvtnNone)
          .Integer(
              "UndoLimit", [](T& e) { return e.GetUndoLimit(); }, [](T& e, int32_t n) { e.SetUndoLimit(n); })
          .Default(-1)
          .Build();
  return list;
}

void RVRegisterEditorClasses() {
  RegisterClass<TRVEdit>("TRVEdit");
}
