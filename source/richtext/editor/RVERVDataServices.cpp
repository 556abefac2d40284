// Services of the editor's document data that the control, the insertion code and the
// resizer call: where the caret is, what protection forbids, reporting and re-formatting
// after a change, list-marker upkeep, the read-only (hyperlink) mode and the formatted
// data's notices that keep the editor informed.
#include <algorithm>

#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVItemResizer.h"

namespace {

bool IsMarker(const TCustomRVData& Data, int ItemNo) {
  return ItemNo >= 0 && ItemNo < Data.GetItemCount() && Data.GetItemStyleNo(ItemNo) == rvsListMarker;
}

}  // namespace

// ---- caret and selection ------------------------------------------------------------------

int TRVEditRVData::GetCaretItemNo() {
  // While a cell editor holds the caret, the caret is in the item that holds the cell.
  if (GetInplaceEditor() != nullptr)
    if (TCustomRVItemInfo* holder = GetFocusedSubItem()) return FindItemIndex(holder);
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems().Count()) return -1;
  return DrawItems()[CaretDrawItemNo]->ItemNo;
}

int TRVEditRVData::GetCaretOffset() {
  if (GetInplaceEditor() != nullptr && GetFocusedSubItem() != nullptr) return 1;
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems().Count() || CaretOffs < 0 ||
      CaretOffs >= CharPositions->Count())
    return -1;
  const TRVDrawLineInfo& piece = *DrawItems()[CaretDrawItemNo];
  const int offset = CharPositions->Items(CaretOffs)->Offset;
  if (GetItem(piece.ItemNo)->IsTextItem()) return offset + piece.Offs - 1;
  return offset;
}

void TRVEditRVData::AdjustPosPastMarker(int& ItemNo, int& Offs, bool Backward) const {
  if (!IsMarker(*this, ItemNo)) return;
  if (Backward && ItemNo > 0) {
    --ItemNo;
    Offs = GetItemEndOffset(ItemNo);
  } else if (ItemNo + 1 < GetItemCount()) {
    ++ItemNo;
    Offs = GetItemStartOffset(ItemNo);
  }
}

void TRVEditRVData::AdjustDrawPosPastMarker(int& DItemNo, int& DOffs, bool Backward) const {
  if (DItemNo < 0 || DItemNo >= DrawItems().Count() || !IsMarker(*this, DrawItems()[DItemNo]->ItemNo)) return;
  if (Backward && DItemNo > 0) {
    --DItemNo;
    DOffs = GetDrawItemEndOffset(DItemNo);
  } else if (DItemNo + 1 < DrawItems().Count()) {
    ++DItemNo;
    DOffs = GetDrawItemStartOffset(DItemNo);
  }
}

namespace {

/// The caret as an item position of this document (an open cell editor not considered);
/// false without a caret.
bool CaretItemPosition(const TRVEditRVData& Data, int& ItemNo, int& Offs) {
  if (Data.CaretDrawItemNo < 0 || Data.CaretDrawItemNo >= Data.DrawItems().Count() || Data.CaretOffs < 0 ||
      Data.CaretOffs >= Data.CharPositions->Count())
    return false;
  Data.DrawItemToItem(Data.CaretDrawItemNo, Data.CharPositions->Items(Data.CaretOffs)->Offset, ItemNo, Offs);
  return ItemNo >= 0;
}

/// The draw items of the caret's screen line; false without a caret.
bool CaretLine(const TRVEditRVData& Data, int& First, int& Last) {
  if (Data.CaretDrawItemNo < 0 || Data.CaretDrawItemNo >= Data.DrawItems().Count()) return false;
  Data.GetLineDrawItemRange(Data.CaretDrawItemNo, First, Last);
  return true;
}

}  // namespace

bool TRVEditRVData::CaretAtParaStart() const {
  int itemNo = -1, offs = 0;
  if (!CaretItemPosition(*this, itemNo, offs) || offs > GetItemStartOffset(itemNo)) return false;
  if (StartsParagraph(itemNo)) return true;
  // Right after the list marker that starts the paragraph.
  return IsMarker(*this, itemNo - 1) && StartsParagraph(itemNo - 1);
}

bool TRVEditRVData::CaretAtParaEnd() const {
  int itemNo = -1, offs = 0;
  if (!CaretItemPosition(*this, itemNo, offs) || offs < GetItemEndOffset(itemNo)) return false;
  return itemNo + 1 >= GetItemCount() || StartsParagraph(itemNo + 1);
}

bool TRVEditRVData::CaretOnLastLine() const {
  int first = 0, last = 0;
  return CaretLine(*this, first, last) && last == DrawItems().Count() - 1;
}

bool TRVEditRVData::CaretOnFirstLine() const {
  int first = 0, last = 0;
  return CaretLine(*this, first, last) && first == 0;
}

bool TRVEditRVData::LastItemOnCaretLine() const {
  int first = 0, last = 0;
  return CaretLine(*this, first, last) && DrawItems()[last]->ItemNo == GetItemCount() - 1;
}

TPoint TRVEditRVData::GetCaretPoint() const {
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems().Count() || CaretOffs < 0 ||
      CaretOffs >= CharPositions->Count())
    return TPoint{0, 0};
  return TPoint{CharPositions->Items(CaretOffs)->X - GetHOffs(),
                DrawItems()[CaretDrawItemNo]->Top - 1 - GetVOffs()};
}

void TRVEditRVData::GetSelBounds(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                                 bool Normalize) {
  if (SelectionExists()) {
    GetItemSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs, Normalize);
    return;
  }
  StartItemNo = EndItemNo = GetCaretItemNo();
  StartOffs = EndOffs = GetCaretOffset();
}

namespace {

/// The caret's draw-item offset, -1 without a caret.
int CaretDrawOffset(const TRVEditRVData& Data) {
  if (Data.CaretOffs < 0 || Data.CaretOffs >= Data.CharPositions->Count()) return -1;
  return Data.CharPositions->Items(Data.CaretOffs)->Offset;
}

}  // namespace

void TRVEditRVData::SelectToCaret() {
  if (CaretDrawItemNo < 0) return;
  SelEndNo = CaretDrawItemNo;
  SelEndOffs = CaretDrawOffset(*this);
  DoSelect();
  if (TCustomRVEdit* editor = Editor()) editor->DoCaretMove();
}

void TRVEditRVData::StartSelectingAtCaret() {
  if (SelectionExists() || CaretDrawItemNo < 0) return;
  SelStartNo = SelEndNo = CaretDrawItemNo;
  SelStartOffs = SelEndOffs = CaretDrawOffset(*this);
}

void TRVEditRVData::ExtendSelectionBy(int Count, bool Forward) {
  if (SelEndNo < 0 || SelEndNo >= DrawItems().Count()) return;
  const int offs = SelEndOffs + (Forward ? Count : -Count);
  SelEndOffs = std::clamp(offs, GetDrawItemStartOffset(SelEndNo), GetDrawItemEndOffset(SelEndNo));
  InvalidateControl();
  DoSelect();
  if (TCustomRVEdit* editor = Editor()) editor->DoCaretMove();
}

// ---- protection ------------------------------------------------------------------------------

bool TRVEditRVData::IsItemProtected(int ItemNo, TRVProtectOptions Option) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->IsTextItem()) {
    const TRVStyle* style = GetRVStyle();
    return style != nullptr && (style->TextStyles().Items(item->StyleNo)->Protection & Option) != 0;
  }
  // A non-text item knows only whether it may be deleted.
  if (Option != rvprDeleteProtect) return false;
  const auto* nonText = dynamic_cast<const TRVNonTextItemInfo*>(item);
  return nonText != nullptr && nonText->DeleteProtect;
}

bool TRVEditRVData::IsParaProtected(int32_t ParaNo, TRVParaOptions Option) const {
  const TRVStyle* style = GetRVStyle();
  if (style == nullptr || ParaNo < 0 || ParaNo >= style->ParaStyles().Count()) return false;
  return (style->ParaStyles().Items(ParaNo)->Options & Option) != 0;
}

bool TRVEditRVData::IsSticking(int FirstItemNo, bool NoSound) const {
  const int count = GetItemCount();
  if (count == 0) return false;
  bool sticking = false;
  if (FirstItemNo <= 0)
    sticking = IsItemProtected(0, rvprSticking);
  else if (FirstItemNo >= count)
    sticking = IsItemProtected(count - 1, rvprSticking);
  else
    sticking = IsItemProtected(FirstItemNo - 1, rvprSticking) && IsItemProtected(FirstItemNo, rvprSticking);
  if (sticking && !NoSound) Beep();
  return sticking;
}

bool TRVEditRVData::HasPendingNestedEdit() {
  // An item whose inner selection has begun but holds nothing yet (cells still being
  // chosen) has no target for a change. Once cells are selected, changes go to them.
  return PartiallySelectedItem != nullptr && !PartiallySelectedItem->HasInnerSelection();
}

bool TRVEditRVData::CanInsertHere() {
  // While cells of a table are the selection, the document's caret is not where the user
  // works: new content would land away from the selection.
  if (PartiallySelectedItem != nullptr) return false;
  int itemNo = -1, offs = 0;
  if (!CaretItemPosition(*this, itemNo, offs)) return false;
  if (IsParaProtected(GetItemParaNo(itemNo), rvpaoReadOnly)) return false;
  const int start = GetItemStartOffset(itemNo);
  const int end = GetItemEndOffset(itemNo);
  if (offs > start && offs < end) return !IsItemProtected(itemNo, rvprModifyProtect);
  return !IsSticking(offs <= start ? itemNo : itemNo + 1, true);
}

// ---- change reporting and re-formatting ------------------------------------------------------

void TRVEditRVData::Change(bool ClearRedo) {
  TCustomRVEdit* editor = Editor();
  if (editor == nullptr) return;
  editor->Modified = true;
  editor->Change(ClearRedo);
}

namespace {

/// The last draw item of the item whose first draw item is First.
int LastDrawItemOfItem(const TCustomRVFormattedData& Data, int First) {
  const TRVDrawLines& pieces = Data.DrawItems();
  int last = First;
  while (last + 1 < pieces.Count() && pieces[last + 1]->ItemNo == pieces[First]->ItemNo) ++last;
  return last;
}

}  // namespace

void TRVEditRVData::FormatAfterChange(bool Full, int ItemNo) {
  int caretItemNo = -1, caretOffs = 0;
  const bool hadCaret = CaretItemPosition(*this, caretItemNo, caretOffs);
  const int first = ItemNo >= 0 && ItemNo < GetItemCount() ? GetFirstDrawItemOfItem(ItemNo) : -1;
  if (Full || first < 0) {
    FormatLines(true, true, false, 0, GetCanvas(), false, false);
    InvalidateControl();
  } else {
    int from = first, to = first;
    ExpandToParaDrawItems(first, LastDrawItemOfItem(*this, first), from, to);
    FormatParas(from, to, 0);
    InvalidateControl();
  }
  if (hadCaret && caretItemNo < GetItemCount()) {
    int dOffs = 0;
    ItemToDrawItem(caretItemNo, caretOffs, CaretDrawItemNo, dOffs);
    if (CaretDrawItemNo >= 0) OnChangeCaretLine(dOffs - 2);
  }
  ChangeCaret(false, true, true, false);
}

void TRVEditRVData::BeginItemModify(int ItemNo, int32_t& State) {
  State = CalculateMinItemWidthOnCanvas(ItemNo);
}

void TRVEditRVData::EndItemModify(int ItemNo, int32_t State) {
  const int32_t width = CalculateMinItemWidthOnCanvas(ItemNo);
  // The item sets (or set) the document's minimal width: the whole document may widen or
  // narrow, so everything is laid out again.
  const bool full = width != State && (State >= DocMinWidth || width >= DocMinWidth);
  FormatAfterChange(full, ItemNo);
}

void TRVEditRVData::ResizeControl(int ItemNo, int32_t NewWidth, int32_t NewHeight, bool Notify) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return;
  auto* item = dynamic_cast<TRVControlItemInfo*>(GetItem(ItemNo));
  if (item == nullptr || item->Control == nullptr) return;
  TControl& control = *item->Control;
  if (control.Width() == NewWidth && control.Height() == NewHeight) return;
  int32_t state = 0;
  if (Notify) BeginItemModify(ItemNo, state);
  // The control's own resize notice must not be taken for a user's change.
  ResizingControl = &control;
  try {
    control.SetBounds(control.Left(), control.Top(), NewWidth, NewHeight);
  } catch (...) {
    ResizingControl = nullptr;
    throw;
  }
  ResizingControl = nullptr;
  if (Notify) EndItemModify(ItemNo, state);
}

// ---- list markers --------------------------------------------------------------------------

bool TRVEditRVData::InsertMarkerCopy(int ItemNo, int InsertAt) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return false;
  const int paraStart = GetParaStartItemNo(ItemNo);
  if (!IsMarker(*this, paraStart)) return false;
  const auto& source = static_cast<const TRVMarkerItemInfo&>(*GetItem(paraStart));
  auto copy = std::make_unique<TRVMarkerItemInfo>(this);
  copy->CopyProperties(source);
  copy->ItemOptions = 0;  // a paragraph of its own, without line or page break
  copy->Reset = false;    // the new paragraph continues the numbering
  std::string text;
  bool full = false;
  if (GetUndoList() != nullptr) {
    Do_InsertItem(InsertAt, text, std::move(copy), true, full);
  } else {
    int at = InsertAt;
    int newListNo = -1;
    TRVViewerRVData::InsertItemObject(at, text, std::move(copy), full, newListNo);
  }
  return true;
}

void TRVEditRVData::UpdateMarkersAfterChange(int First, int Last) {
  TRVStyle* style = GetRVStyle();
  if (style == nullptr || GetItemCount() == 0) return;
  First = std::max(First, 0);
  Last = std::min(Last, GetItemCount() - 1);
  int firstMarker = -1;
  TRVIntegerList lists;
  for (int i = First; i <= Last; ++i) {
    if (!IsMarker(*this, i)) continue;
    const auto* marker = static_cast<const TRVMarkerItemInfo*>(GetItem(i));
    const TRVListLevel* level = marker->GetLevelInfo(style);
    if (level == nullptr || !level->HasNumbering()) continue;
    if (firstMarker < 0) firstMarker = i;
    // Each list is renumbered once, from its first marker in the range on.
    if (lists.IndexOf(marker->ListNo) < 0) {
      lists.AddValue(marker->ListNo);
      RenumberMarker(i, false);
    }
  }
  if (firstMarker < 0) return;
  const int firstPiece = GetFirstDrawItemOfItem(firstMarker);
  if (firstPiece < 0) {
    // The changed markers are not laid out yet: only a full layout places their numbers.
    if (auto* root = dynamic_cast<TRVEditRVData*>(GetOuterRootData()))
      root->Reformat(true);
    else
      Reformat(true);
    Do_ReformateRange(First, Last, true);
    return;
  }
  int from = firstPiece, to = firstPiece;
  ExpandToParaDrawItems(firstPiece, DrawItems().Count() - 1, from, to);
  FormatParas(from, to, 0);
  InvalidateControl();
  Do_ReformateRange(firstMarker, GetItemCount() - 1, false);
}

// ---- modes and current styles ------------------------------------------------------------------

void TRVEditRVData::SetReadOnlyMode(bool ReadOnly) {
  const uint16_t state = GetViewerState();
  if (ReadOnly == ((state & rvvsTrackJumps) != 0)) return;
  if (ReadOnly) {
    SetViewerState(state | rvvsTrackJumps);
    // Hyperlinks come alive: their areas are built from the current layout.
    ClearJumps();
    int firstJump = FirstJumpNo;
    BuildJumpList(firstJump, nullptr);
  } else {
    SetViewerState(state & ~rvvsTrackJumps);
    ClearJumps();
    StateFlags &= ~rvstJumpHighlighted;
  }
  InvalidateControl();
}

bool TRVEditRVData::GetReadOnlyMode() const {
  return (GetViewerState() & rvvsTrackJumps) != 0;
}

void TRVEditRVData::SetCurTextStyleNo(int32_t Value) {
  if (TCustomRVEdit* editor = Editor())
    editor->SetCurTextStyleNo(Value);
  else
    CurTextStyleNo = Value;
}

void TRVEditRVData::SetCurParaStyleNo(int32_t Value) {
  if (TCustomRVEdit* editor = Editor())
    editor->SetCurParaStyleNo(Value);
  else
    CurParaStyleNo = Value;
}

// ---- notices of the formatted data --------------------------------------------------------------

void TRVEditRVData::SelectionChanged() {
  TCustomRVEdit* editor = Editor();
  if (editor != nullptr) editor->SelectionEndChanged();
  if (SelEndNo < 0 || SelEndNo >= DrawItems().Count()) return;
  AdjustDrawPosPastMarker(SelEndNo, SelEndOffs, false);
  CaretDrawItemNo = SelEndNo;
  OnChangeCaretLine(SelEndOffs - 2);
  UpdateResizer();
  ChangeCaret(false, true, false, false);
}

void TRVEditRVData::MouseSelectionDone() {
  // A click on a picture (the press and the release on it, nothing dragged) selects it
  // whole, so that its resize handles appear.
  if (ClickedDrawItem < 0 || ClickedDrawItem >= DrawItems().Count() || ClickedDrawItem != LastDItemMovedAbove)
    return;
  if (SelectionExists()) return;
  const TRVDrawLineInfo& piece = *DrawItems()[ClickedDrawItem];
  if (!GetItem(piece.ItemNo)->QueryFeature(rvfqMouseResizable)) return;
  SelStartNo = SelEndNo = ClickedDrawItem;
  SelStartOffs = 0;
  SelEndOffs = 1;
}

void TRVEditRVData::SetPartiallySelectedItem(TCustomRVItemInfo* Item) {
  const bool changed = Item != PartiallySelectedItem;
  TRVViewerRVData::SetPartiallySelectedItem(Item);
  if (!changed) return;
  if (TCustomRVEdit* editor = Editor()) editor->DoCaretMove();
}

void TRVEditRVData::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                    TRVIntegerList& UsedListStyles) {
  TRVViewerRVData::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
  // The styles the next typed text and the next paragraph take are in use too.
  if (CurTextStyleNo >= 0 && CurTextStyleNo < UsedTextStyles.Count())
    UsedTextStyles.SetValue(CurTextStyleNo, 1);
  if (CurParaStyleNo >= 0 && CurParaStyleNo < UsedParaStyles.Count())
    UsedParaStyles.SetValue(CurParaStyleNo, 1);
}

namespace {

/// A style number after deletion with Map (an entry is one more than the styles removed
/// before it, 0 for a removed style, which falls back on style 0).
int32_t Renumbered(const TRVIntegerList& Map, int32_t StyleNo) {
  if (StyleNo < 0 || StyleNo >= Map.Count()) return StyleNo;
  const int32_t entry = Map.GetValue(StyleNo);
  return entry == 0 ? 0 : StyleNo - (entry - 1);
}

}  // namespace

void TRVEditRVData::AfterDeleteStyles(const TRVIntegerList& TextStylesMap,
                                      const TRVIntegerList& ParaStylesMap) {
  // The records refer to the old numbers.
  UndoList->ClearList();
  RedoList->ClearList();
  CurTextStyleNo = Renumbered(TextStylesMap, CurTextStyleNo);
  LastTextStyleNo = Renumbered(TextStylesMap, LastTextStyleNo);
  CurParaStyleNo = Renumbered(ParaStylesMap, CurParaStyleNo);
  TCustomRVEdit* editor = Editor();
  if (editor != nullptr && GetInplaceEditor() == nullptr) {
    editor->DoCurTextStyleChanged();
    editor->DoCurParaStyleChanged();
  }
  TRVViewerRVData::AfterDeleteStyles(TextStylesMap, ParaStylesMap);
}

bool TRVEditRVData::InsertItemObject(int& ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item,
                                     bool& FullReformat, int& NewListNo) {
  if ((StateFlags & rvstInsertingAtCaret) != 0 && Item != nullptr) {
    // The first text of content inserted at the caret goes into the caret's line: a word
    // copied from one paragraph and pasted into another joins it, whatever paragraph mark
    // it was written with.
    StateFlags &= ~rvstInsertingAtCaret;
    const bool joins =
        Item->IsTextItem() && ItemNo > 0 && ItemNo <= GetItemCount() &&
        !GetItem(ItemNo - 1)->QueryFeature(rvfqOwnLine) &&
        (GetCaretItemNo() == ItemNo - 1 || (ItemNo < GetItemCount() && !StartsParagraph(ItemNo)));
    if (joins) {
      Item->ItemOptions &= ~(rvioLineBreak | rvioPageBreak);
      Item->SetSameAsPrev(true);
      Item->ParaNo = GetItemParaNo(ItemNo - 1);
    }
  }
  return TRVViewerRVData::InsertItemObject(ItemNo, std::move(Text), std::move(Item), FullReformat, NewListNo);
}

int TRVEditRVData::SplitTextAtCaret() {
  const int itemNo = GetCaretItemNo();
  const int offs = GetCaretOffset();
  if (itemNo < 0 || itemNo >= GetItemCount() || GetInplaceEditor() != nullptr) return -1;
  if (!GetItem(itemNo)->IsTextItem() || offs <= GetItemStartOffset(itemNo) ||
      offs >= GetItemEndOffset(itemNo))
    return -1;
  bool full = false;
  SplitTextItem(itemNo, offs, full);
  FormatAfterChange(full, itemNo);
  return itemNo;
}

// ---- writers ----------------------------------------------------------------------------------

namespace {

/// Switches an editor's document into hyperlink mode for the scope of a writer.
class TLiveHyperlinks {
 public:
  explicit TLiveHyperlinks(TRVEditRVData& Data)
      : data_(Data), switched_((Data.GetViewerState() & kEditorViewerBit) != 0 && !Data.GetReadOnlyMode()) {
    if (switched_) data_.SetReadOnlyMode(true);
  }
  ~TLiveHyperlinks() {
    if (switched_) data_.SetReadOnlyMode(false);
  }
  TLiveHyperlinks(const TLiveHyperlinks&) = delete;
  TLiveHyperlinks& operator=(const TLiveHyperlinks&) = delete;

 private:
  static constexpr uint16_t kEditorViewerBit = 0x0080;
  TRVEditRVData& data_;
  bool switched_;
};

}  // namespace

bool TRVEditRVData::SaveHTMLToStream(TStream& Stream, const std::string& Path, const std::string& Title,
                                     const std::string& ImagesPrefix, TRVHTMLSaveOptions Options,
                                     TColor Color, int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin,
                                     int32_t RightMargin, int32_t BottomMargin,
                                     const TRVBackground* Background, TRVHTMLBulletList* Bullets) {
  const TLiveHyperlinks live(*this);
  return TRVViewerRVData::SaveHTMLToStream(Stream, Path, Title, ImagesPrefix, Options, Color, imgSaveNo,
                                           LeftMargin, TopMargin, RightMargin, BottomMargin, Background,
                                           Bullets);
}

bool TRVEditRVData::SaveHTMLToStreamCSS(TStream& Stream, const std::string& Path, const std::string& Title,
                                        const std::string& ImagesPrefix, const std::string& ExtraStyles,
                                        const std::string& ExternalCSS, const std::string& CPPrefix,
                                        TRVHTMLSaveOptions Options, TColor Color, TColor& CurrentFileColor,
                                        int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin,
                                        int32_t RightMargin, int32_t BottomMargin,
                                        const TRVBackground* Background, TRVHTMLBulletList* Bullets) {
  const TLiveHyperlinks live(*this);
  return TRVViewerRVData::SaveHTMLToStreamCSS(
      Stream, Path, Title, ImagesPrefix, ExtraStyles, ExternalCSS, CPPrefix, Options, Color, CurrentFileColor,
      imgSaveNo, LeftMargin, TopMargin, RightMargin, BottomMargin, Background, Bullets);
}

bool TRVEditRVData::SaveRTFToStream(TStream& Stream, bool SelectionOnly, int Level, TColor Color,
                                    TRVColorList* ColorList, TRVIntegerList* StyleToFont,
                                    TRVIntegerList* ListOverrideCounts, TRVIntegerList* ListOverrideOffsets,
                                    TRVRTFFontTable* FontTable, double tpp) {
  const TLiveHyperlinks live(*this);
  return TRVViewerRVData::SaveRTFToStream(Stream, SelectionOnly, Level, Color, ColorList, StyleToFont,
                                          ListOverrideCounts, ListOverrideOffsets, FontTable, tpp);
}
