// The keys of the editor's document data: caret movement over the caret line's positions
// (RVERVDataCaret.cpp), Delete and Backspace through the undo-recording primitives inside
// one deletion group, and applying a paragraph style to the selected paragraphs. Selecting
// with Shift is the control's business: it extends the selection around these calls.
#include <algorithm>
#include <string>

#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/table/RVTable.h"

namespace {

/// How a table takes the caret from outside (TRVTableItemInfo::EnterFrom).
constexpr int kEnterFromBefore = 0;
constexpr int kEnterFromAfter = 1;
constexpr int kEnterFromAbove = 2;
constexpr int kEnterFromBelow = 3;

/// Offers the caret to the item of a draw item; true when the item took it (a table puts
/// it into a cell).
bool OfferCaretToItem(TRVEditRVData& data, int dItemNo, int from, int32_t x) {
  auto* table = dynamic_cast<TRVTableItemInfo*>(data.GetItem(data.DrawItems()[dItemNo]->ItemNo));
  return table != nullptr && table->EnterFrom(from, x);
}

/// The character offset where a word move from Offs stops going left: past the character
/// left of the caret, back over what is not a space followed by a non-space.
int WordStartLeftOf(std::string_view text, TRVItemOptions options, int offs) {
  int k = offs - 2;  // the character after the one just left of the caret
  while (k >= 1 && !(RVIsSpaceAt(text, k, options) && !RVIsSpaceAt(text, k + 1, options))) --k;
  return k + 1;
}

/// The same going right from the character just left of Offs: the start of the next word,
/// or the end of the text.
int WordStartRightOf(std::string_view text, TRVItemOptions options, int offs) {
  const int length = RVCharCount(text, options);
  for (int k = std::max(offs - 1, 1); k <= length; ++k)
    if (RVIsSpaceAt(text, k, options) && (k == length || !RVIsSpaceAt(text, k + 1, options))) return k + 1;
  return length + 1;
}

}  // namespace

// ---- positions ----------------------------------------------------------------------------------

void TRVEditRVData::SetCaretToItemPosition(int ItemNo, int Offs, bool PreferNextLine) {
  int dItemNo = -1, dOffs = 0;
  ItemToDrawItem(ItemNo, Offs, dItemNo, dOffs);
  if (dItemNo < 0) return;
  // The end of a wrapped line and the start of the next one are the same item position.
  const TRVDrawLines& pieces = DrawItems();
  if (PreferNextLine && dOffs >= GetDrawItemEndOffset(dItemNo) && dItemNo + 1 < pieces.Count() &&
      pieces[dItemNo + 1]->ItemNo == ItemNo && pieces[dItemNo + 1]->FromNewLine) {
    ++dItemNo;
    dOffs = GetDrawItemStartOffset(dItemNo);
  }
  CaretDrawItemNo = dItemNo;
  OnChangeCaretLine(dOffs - 2);
}

bool TRVEditRVData::HasCaretLine() const {
  return CaretDrawItemNo >= 0 && CaretOffs >= 0 && CaretOffs < CharPositions->Count();
}

// ---- Home and End -----------------------------------------------------------------------------

bool TRVEditRVData::OnHomePress(bool ToDocStart) {
  if (DrawItems().Count() == 0) return true;
  if (ToDocStart) {
    CaretDrawItemNo = 0;
    OnChangeCaretLine(GetDrawItemStartOffset(0) - 2);
  } else if (!HasCaretLine()) {
    return true;
  }
  CaretOffs = 0;
  CaretDrawItemNo = CharPositions->Items(0)->DrawItemNo;
  ChangeCaret(false, true, false, false);
  return false;
}

bool TRVEditRVData::OnEndPress(bool ToDocEnd) {
  const int count = DrawItems().Count();
  if (count == 0) return true;
  if (ToDocEnd) {
    CaretDrawItemNo = count - 1;
    OnChangeCaretLine(GetDrawItemEndOffset(count - 1) - 2);
  } else if (!HasCaretLine()) {
    return true;
  }
  CaretOffs = CharPositions->Count() - 1;
  CaretDrawItemNo = CharPositions->Items(CaretOffs)->DrawItemNo;
  ChangeCaret(false, true, false, false);
  return false;
}

// ---- Left and Right ---------------------------------------------------------------------------

bool TRVEditRVData::OnLeftPress(bool Shift, bool Ctrl) {
  if (!HasCaretLine()) return true;
  int itemNo = 0, offs = 0;
  GetCaretItemPos(itemNo, offs);
  const TCustomRVItemInfo* item = GetItem(itemNo);
  if (Ctrl && item->IsTextItem() && offs > GetItemStartOffset(itemNo)) {
    const int target = WordStartLeftOf(GetItemText(itemNo), item->ItemOptions, offs);
    const int count = offs - target;
    // UTF-16 lines skip the inside of surrogate pairs, so their entries do not count
    // characters: go through the item position.
    if (CaretOffs - count < 0 || item->IsTwoByteText())
      SetCaretToItemPosition(itemNo, target, false);
    else
      CaretOffs -= count;
  } else if (CaretOffs == 0) {
    int first = 0, last = 0;
    GetLineDrawItemRange(CharPositions->Items(0)->DrawItemNo, first, last);
    if (first == 0) return true;
    CaretDrawItemNo = first - 1;
    OnChangeCaretLine(GetDrawItemEndOffset(CaretDrawItemNo) - 2);
  } else if (!Shift && !Ctrl &&
             OfferCaretToItem(*this, CharPositions->Items(CaretOffs)->DrawItemNo, kEnterFromAfter, 0)) {
    return false;
  } else {
    --CaretOffs;
  }
  ChangeCaret(false, true, false, false);
  return false;
}

bool TRVEditRVData::OnRightPress(bool Shift, bool Ctrl) {
  if (!HasCaretLine()) return true;
  const bool atLineEnd = CaretOffs + 1 >= CharPositions->Count();
  if (atLineEnd) {
    int first = 0, last = 0;
    GetLineDrawItemRange(CharPositions->Items(CaretOffs)->DrawItemNo, first, last);
    if (last + 1 >= DrawItems().Count()) return true;
    CaretDrawItemNo = last + 1;
    OnChangeCaretLine(GetDrawItemStartOffset(CaretDrawItemNo) - 2);
  } else if (!Shift && !Ctrl &&
             OfferCaretToItem(*this, CharPositions->Items(CaretOffs + 1)->DrawItemNo, kEnterFromBefore, 0)) {
    return false;
  } else {
    ++CaretOffs;
  }
  if (Ctrl && !atLineEnd) {
    // The step crossed one character; go on over the rest of the word and the spaces after it.
    int itemNo = 0, offs = 0;
    GetCaretItemPos(itemNo, offs);
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->IsTextItem() && offs > GetItemStartOffset(itemNo)) {
      const int target = WordStartRightOf(GetItemText(itemNo), item->ItemOptions, offs);
      const int count = target - offs;
      if (CaretOffs + count >= CharPositions->Count() || item->IsTwoByteText())
        SetCaretToItemPosition(itemNo, target, true);
      else
        CaretOffs += count;
    }
  }
  ChangeCaret(false, true, false, false);
  return false;
}

// ---- Up and Down ----------------------------------------------------------------------------------

void TRVEditRVData::MoveCaretToLineAt(int32_t X, int32_t Y, bool Shift, bool Ctrl, int From) {
  int found = -1, dOffs = 0;
  FindDrawItemAtPos(X, Y, false, found, dOffs);
  if (found < 0) return;
  CaretDrawItemNo = found;
  const TRVDrawLineInfo& piece = *DrawItems()[found];
  if (X >= piece.Left && X < piece.Left + piece.Width && !Shift && !Ctrl &&
      OfferCaretToItem(*this, found, From, X - piece.Left))
    return;
  OnChangeCaretLine(dOffs - 2);
  ChangeCaret(false, true, false, false);
}

bool TRVEditRVData::OnUpPress(bool Shift, bool Ctrl) {
  if (!HasCaretLine()) return true;
  int first = 0, last = 0;
  GetLineDrawItemRange(CaretDrawItemNo, first, last);
  int target = first - 1;
  while (target >= 0 && GetItem(DrawItems()[target]->ItemNo)->StyleNo == rvsListMarker) --target;
  if (target < 0) {
    if (Shift && CaretOffs != 0) {
      CaretOffs = 0;
      ChangeCaret(false, true, false, false);
    } else {
      VScrollTo(0, true);
      ChangeCaret(false, false, false, false);
    }
    return true;
  }
  const int32_t x = CharPositions->Items(CaretOffs)->X;
  MoveCaretToLineAt(x, DrawItems()[target]->Top, Shift, Ctrl, kEnterFromBelow);
  return false;
}

bool TRVEditRVData::OnDownPress(bool Shift, bool Ctrl) {
  if (!HasCaretLine()) return true;
  int first = 0, last = 0;
  GetLineDrawItemRange(CaretDrawItemNo, first, last);
  const int lastEntry = CharPositions->Count() - 1;
  if (last + 1 >= DrawItems().Count()) {
    if (Shift && CaretOffs != lastEntry) {
      CaretOffs = lastEntry;
      ChangeCaret(false, true, false, false);
    } else {
      VScrollTo(DocumentHeight, true);
      ChangeCaret(false, false, false, false);
    }
    return true;
  }
  const int32_t x = CharPositions->Items(CaretOffs)->X;
  MoveCaretToLineAt(x, DrawItems()[last + 1]->Top + 1, Shift, Ctrl, kEnterFromAbove);
  return false;
}

// ---- Page Up and Page Down ----------------------------------------------------------------------

bool TRVEditRVData::OnPgUpPress() {
  if (!HasCaretLine()) return true;
  const int32_t x = CharPositions->Items(CaretOffs)->X;
  // However small the view, every round moves up by at least a pixel.
  const int32_t step = std::max(GetHeight() / 2, 1);
  for (int32_t y = GetVOffs() - GetHeight() * 2 / 3; y > 0; y -= step) {
    int found = -1, dOffs = 0;
    FindDrawItemAtPos(x, y, false, found, dOffs);
    if (found >= 0 && found < CaretDrawItemNo) {
      CaretDrawItemNo = found;
      OnChangeCaretLine(dOffs - 2);
      ChangeCaret(false, true, false, false);
      return false;
    }
  }
  return OnHomePress(true);
}

bool TRVEditRVData::OnPgDownPress() {
  if (!HasCaretLine()) return true;
  const int32_t x = CharPositions->Items(CaretOffs)->X;
  const int32_t step = std::max(GetHeight() / 2, 1);
  int found = -1, dOffs = 0;
  for (int32_t y = GetVOffs() + GetHeight() * 2 / 3;; y += step) {
    if (y >= DocumentHeight) return OnEndPress(true);
    FindDrawItemAtPos(x, y, false, found, dOffs);
    if (found > CaretDrawItemNo) break;
  }
  CaretDrawItemNo = found;
  OnChangeCaretLine(dOffs - 2);
  // The found line goes to the top of the view; the caret follows the scrolling.
  VScrollTo(DrawItems()[found]->Top, true);
  ChangeCaret(false, false, false, false);
  return false;
}

// ---- Delete and Backspace -------------------------------------------------------------------------

namespace {

bool IsFullLineItem(const TCustomRVData& data, int itemNo) {
  return data.GetItem(itemNo)->QueryFeature(rvfqOwnLine);
}

bool IsEmptyTextItem(const TCustomRVData& data, int itemNo) {
  return data.GetItem(itemNo)->IsTextItem() && data.GetItemText(itemNo).empty();
}

bool IsMarkerItem(const TCustomRVData& data, int itemNo) {
  return itemNo >= 0 && itemNo < data.GetItemCount() && data.GetItem(itemNo)->StyleNo == rvsListMarker;
}

/// The item begins a line: a paragraph or a line break starts with it.
bool StartsLine(const TCustomRVItemInfo& item) {
  return !item.GetSameAsPrev();
}

/// The line marks an item carries, to hand them to the item that takes its place.
struct LineMarks {
  bool ParaStart;
  bool BR;
  bool PageBreak;
};

LineMarks MarksOf(const TCustomRVItemInfo& item) {
  return {item.IsParaStart(), item.GetBR(), item.GetPageBreakBefore()};
}

}  // namespace

/// What a deletion at the caret did, for re-formatting and placing the caret afterwards.
struct TRVEditRVData::TKeyDeletion {
  int FirstDItem = 0;  // the draw items laid out again
  int LastDItem = 0;
  int ItemCountBefore = 0;
  bool FullReformat = false;
  bool JoinedParagraphs = false;
  bool MarkersChanged = false;
  int CaretItemNo = -1;  // where the caret goes
  int CaretOffs = 0;
};

void TRVEditRVData::BeginKeyDeletion(TKeyDeletion& Del) {
  GetCaretParaDrawRange(Del.FirstDItem, Del.LastDItem);
  Del.ItemCountBefore = GetItemCount();
  BeginUndoSequence(rvutDelete, true);
}

void TRVEditRVData::EndKeyDeletion(const TKeyDeletion& Del) {
  // The caret line describes items that may be gone: formatting must not carry it over.
  CharPositions->Clear();
  CaretDrawItemNo = -1;
  CaretOffs = -1;
  FormatAfterEdit(Del.FullReformat, Del.FirstDItem, Del.LastDItem, GetItemCount() - Del.ItemCountBefore);
  const int itemNo = std::clamp(Del.CaretItemNo, 0, GetItemCount() - 1);
  PlaceCaretAtItem(itemNo, std::clamp(Del.CaretOffs, GetItemStartOffset(itemNo), GetItemEndOffset(itemNo)),
                   true);
  if (Del.MarkersChanged) UpdateMarkersAfterChange(0, GetItemCount() - 1);
  if (Del.JoinedParagraphs) ApplyParaStyle(CurParaStyleNo, false);
}

void TRVEditRVData::RefuseKeyDeletion() {
  // The group opened for the refused work holds nothing; undo must not offer it.
  UndoList->DeleteEmptyLastGroup();
  Beep();
}

void TRVEditRVData::OnBackSpacePress(bool Ctrl, bool Flag, bool FromDelete) {
  (void)Flag;
  if (!HasCaretLine()) return;
  int itemNo = 0, offs = 0;
  GetCaretItemPos(itemNo, offs);
  const int dItemNo = CharPositions->Items(CaretOffs)->DrawItemNo;
  const TRVDrawLines& pieces = DrawItems();
  if (FromDelete && (dItemNo + 1 >= pieces.Count() || pieces[dItemNo + 1]->ItemNo != itemNo))
    offs = std::max(offs, GetItemEndOffset(itemNo));
  if (IsParaProtected(GetItemParaNo(itemNo), rvpaoReadOnly)) {
    Beep();
    return;
  }
  const bool atLineStart = CaretOffs == 0 && offs <= GetItemStartOffset(itemNo);
  if (atLineStart) {
    if (itemNo == 0) return;
    // Tables and breaks are not deleted from the line after them: the caret goes onto them.
    if ((IsFullLineItem(*this, itemNo - 1) && !IsEmptyTextItem(*this, itemNo)) ||
        IsFullLineItem(*this, itemNo)) {
      OnLeftPress(false, false);
      return;
    }
    // A line that only wraps its paragraph on: Backspace works at the end of the line above.
    if (GetItem(itemNo)->GetSameAsPrev() && !IsMarkerItem(*this, itemNo - 1)) {
      --itemNo;
      offs = GetItemEndOffset(itemNo);
    }
  }
  BackspaceAt(itemNo, offs, Ctrl);
}

void TRVEditRVData::BackspaceAt(int ItemNo, int Offs, bool Ctrl) {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  const bool paraStart =
      Offs <= GetItemStartOffset(ItemNo) && (StartsLine(*item) || IsMarkerItem(*this, ItemNo - 1));
  TKeyDeletion del;
  BeginKeyDeletion(del);
  del.CaretItemNo = ItemNo;
  del.CaretOffs = Offs;
  const bool done =
      paraStart ? JoinWithPreviousParagraph(ItemNo, del) : DeleteBefore(ItemNo, Offs, Ctrl, del);
  if (!done) {
    RefuseKeyDeletion();
    return;
  }
  EndKeyDeletion(del);
}

bool TRVEditRVData::JoinWithPreviousParagraph(int ItemNo, TKeyDeletion& Del) {
  if (ItemNo == 0) return true;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const int prevNo = ItemNo - 1;
  const TCustomRVItemInfo* prev = GetItem(prevNo);
  const bool readOnly =
      IsParaProtected(item->ParaNo, rvpaoReadOnly) || IsParaProtected(prev->ParaNo, rvpaoReadOnly);
  // A page break before the paragraph is what goes first (it may sit on the list marker).
  const int breakHolder = IsMarkerItem(*this, prevNo) ? prevNo : ItemNo;
  if (GetItem(breakHolder)->GetPageBreakBefore()) {
    Do_PageBreak(ItemNo, false);
    InvalidateControl();
    return true;
  }
  if (IsMarkerItem(*this, prevNo)) {
    if (IsItemProtected(prevNo, rvprDeleteProtect) || IsParaProtected(prev->ParaNo, rvpaoReadOnly))
      return false;
    const LineMarks marks = MarksOf(*prev);
    const bool markerStartedPara = marks.ParaStart || prevNo == 0;
    Do_DeleteItem(prevNo, Del.FullReformat);
    Del.MarkersChanged = true;
    Del.CaretItemNo = prevNo;
    Del.CaretOffs = GetItemStartOffset(prevNo);
    if (GetItem(prevNo)->GetSameAsPrev() && markerStartedPara) {
      Do_NewLine(prevNo, false, -1, Del.FullReformat);
      Do_BR(prevNo, marks.BR, Del.FullReformat);
      Do_PageBreak(prevNo, marks.PageBreak);
    } else if (!markerStartedPara && prevNo > 0 &&
               CanMergeItems(prevNo - 1, GetItem(prevNo - 1), false, GetItem(prevNo))) {
      Del.CaretItemNo = prevNo - 1;
      Del.CaretOffs = GetItemEndOffset(prevNo - 1);
      MergeItems(prevNo - 1);
    }
    return true;
  }
  if (IsEmptyTextItem(*this, ItemNo)) {
    // Removing an empty paragraph joins nothing: the paragraph above keeps its style.
    if (IsItemProtected(ItemNo, rvprDeleteProtect) || readOnly) return false;
    Do_DeleteItem(ItemNo, Del.FullReformat);
    Del.CaretItemNo = prevNo;
    Del.CaretOffs = GetItemEndOffset(prevNo);
    return true;
  }
  if (IsEmptyTextItem(*this, prevNo)) {
    if (IsItemProtected(prevNo, rvprDeleteProtect) || readOnly) return false;
    if (!prev->GetBR()) Do_BR(ItemNo, false, Del.FullReformat);
    if (IsMarkerItem(*this, prevNo - 1)) Do_NewLine(ItemNo, true, -1, Del.FullReformat);
    Do_DeleteItem(prevNo, Del.FullReformat);
    Del.CaretItemNo = prevNo;
    Del.CaretOffs = GetItemStartOffset(prevNo);
    return true;
  }
  if (readOnly || IsItemProtected(ItemNo, rvprParaStartProtect)) return false;
  Del.JoinedParagraphs = true;
  if (CanMergeItems(prevNo, prev, true, item)) {
    Del.CaretItemNo = prevNo;
    Del.CaretOffs = GetItemEndOffset(prevNo);
    MergeItems(prevNo);
    return true;
  }
  Do_NewLine(ItemNo, true, -1, Del.FullReformat);
  Del.CaretOffs = GetItemStartOffset(ItemNo);
  return true;
}

bool TRVEditRVData::DeleteBefore(int ItemNo, int Offs, bool Ctrl, TKeyDeletion& Del) {
  // At the start of an item that continues a line, what goes is the end of the item before.
  while (Offs <= GetItemStartOffset(ItemNo) && ItemNo > 0 && GetItem(ItemNo)->GetSameAsPrev() &&
         !IsMarkerItem(*this, ItemNo - 1)) {
    --ItemNo;
    Offs = GetItemEndOffset(ItemNo);
  }
  if (Offs <= GetItemStartOffset(ItemNo)) return true;
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->IsTextItem()) {
    const std::string& text = GetItemText(ItemNo);
    int from = GetPrevCharOffset(ItemNo, Offs);
    if (Ctrl) {
      // The spaces just before the caret, then the word before them.
      int k = Offs - 1;
      while (k >= 1 && RVIsSpaceAt(text, k, item->ItemOptions)) --k;
      while (k >= 1 && !RVIsSpaceAt(text, k, item->ItemOptions)) --k;
      from = k + 1;
    }
    from = std::max(from, 1);
    if (from > 1 || Offs <= GetItemTextLength(ItemNo)) {
      if (IsItemProtected(ItemNo, rvprModifyProtect)) return false;
      Do_DeleteSubstring(ItemNo, from, Offs - from);
      Del.CaretItemNo = ItemNo;
      Del.CaretOffs = from;
      return true;
    }
  }
  return DeleteWholeItem(ItemNo, Del);
}

bool TRVEditRVData::DeleteWholeItem(int ItemNo, TKeyDeletion& Del) {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  if (IsItemProtected(ItemNo, rvprDeleteProtect) || IsParaProtected(item->ParaNo, rvpaoReadOnly))
    return false;
  const bool afterMarker = IsMarkerItem(*this, ItemNo - 1);
  const bool lineStart = StartsLine(*item) || afterMarker;
  const bool aloneOnLine = lineStart && (ItemNo + 1 >= GetItemCount() || StartsLine(*GetItem(ItemNo + 1)));
  const LineMarks marks = MarksOf(*item);
  if (aloneOnLine) {
    // The line survives as an empty text in the current styles, with the item's marks,
    // checkpoint and (for text) tag.
    const bool tagsAreTexts = (GetOptions() & rvoTagsArePChars) != 0;
    std::unique_ptr<TRVCPInfo> checkpoint;
    if (item->Checkpoint) {
      checkpoint = TRVCPInfo::Duplicate(*item->Checkpoint, tagsAreTexts);
      Do_DeleteCP(ItemNo);
    }
    const TRVTag tag = item->IsTextItem() ? item->Tag : TRVTag();
    const int32_t paraNo = afterMarker ? item->ParaNo : CurParaStyleNo;
    std::unique_ptr<TCustomRVItemInfo> empty =
        CreateTextItem(tag, paraNo, marks.BR, !lineStart || afterMarker, CurTextStyleNo);
    if (marks.PageBreak) empty->SetPageBreakBefore(true);
    empty->Checkpoint = std::move(checkpoint);
    Do_DeleteItem(ItemNo, Del.FullReformat);
    std::string text;
    Do_InsertItem(ItemNo, text, std::move(empty), false, Del.FullReformat);
    Del.CaretItemNo = ItemNo;
    Del.CaretOffs = 1;
    return true;
  }
  Do_DeleteItem(ItemNo, Del.FullReformat);
  Del.MarkersChanged = true;
  if (ItemNo < GetItemCount() && GetItem(ItemNo)->GetSameAsPrev() && lineStart && !afterMarker) {
    // The item after it starts the line now, with the deleted item's marks.
    Do_NewLine(ItemNo, false, -1, Del.FullReformat);
    Do_BR(ItemNo, marks.BR, Del.FullReformat);
    Do_PageBreak(ItemNo, marks.PageBreak);
    Del.CaretItemNo = ItemNo;
    Del.CaretOffs = GetItemStartOffset(ItemNo);
    return true;
  }
  Del.CaretItemNo = ItemNo - 1;
  Del.CaretOffs = GetItemEndOffset(ItemNo - 1);
  if (ItemNo < GetItemCount() && CanMergeItems(ItemNo - 1, GetItem(ItemNo - 1), false, GetItem(ItemNo)))
    MergeItems(ItemNo - 1);
  return true;
}

void TRVEditRVData::OnDeletePress(bool Ctrl, bool FromRecursion) {
  (void)Ctrl, (void)FromRecursion;
  if (!HasCaretLine()) return;
  int itemNo = 0, offs = 0;
  GetCaretItemPos(itemNo, offs);
  if (IsParaProtected(GetItemParaNo(itemNo), rvpaoReadOnly)) {
    Beep();
    return;
  }
  const bool atItemEnd = offs >= GetItemEndOffset(itemNo);
  const bool last = itemNo + 1 >= GetItemCount();
  if (atItemEnd && CaretOffs + 1 >= CharPositions->Count()) {
    if (IsFullLineItem(*this, itemNo) ||
        (!last && IsFullLineItem(*this, itemNo + 1) && !IsEmptyTextItem(*this, itemNo))) {
      OnRightPress(false, false);
      return;
    }
    if (last) {
      if (IsEmptyTextItem(*this, itemNo)) OnBackSpacePress(false, false, true);
      return;
    }
  }
  if (atItemEnd && !last && GetItem(itemNo + 1)->GetSameAsPrev()) {
    // What follows on the line (or on the line it wraps to) is the next item's start.
    ++itemNo;
    offs = GetItemStartOffset(itemNo);
  } else if (atItemEnd) {
    if (last) return;
    TKeyDeletion del;
    BeginKeyDeletion(del);
    del.CaretItemNo = itemNo;
    del.CaretOffs = offs;
    if (!JoinNextParagraph(itemNo, del)) {
      RefuseKeyDeletion();
      return;
    }
    EndKeyDeletion(del);
    return;
  }
  // Delete is one step right, then Backspace.
  const int next = GetItem(itemNo)->IsTextItem() ? GetNextCharOffset(itemNo, offs) : GetItemEndOffset(itemNo);
  BackspaceAt(itemNo, next, false);
}

bool TRVEditRVData::JoinNextParagraph(int ItemNo, TKeyDeletion& Del) {
  const int nextNo = ItemNo + 1;
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  const bool readOnly =
      IsParaProtected(item->ParaNo, rvpaoReadOnly) || IsParaProtected(GetItemParaNo(nextNo), rvpaoReadOnly);
  if (IsEmptyTextItem(*this, ItemNo)) {
    if (IsItemProtected(ItemNo, rvprDeleteProtect) || readOnly) return false;
    const bool hadBR = item->GetBR();
    int itemNo = ItemNo;
    if (IsMarkerItem(*this, itemNo - 1)) {
      Do_DeleteItem(--itemNo, Del.FullReformat);
      Del.MarkersChanged = true;
    }
    Do_DeleteItem(itemNo, Del.FullReformat);
    if (!hadBR && itemNo < GetItemCount()) Do_BR(itemNo, false, Del.FullReformat);
    Del.CaretItemNo = itemNo;
    if (IsMarkerItem(*this, itemNo)) ++Del.CaretItemNo;
    Del.CaretOffs = GetItemStartOffset(std::min(Del.CaretItemNo, GetItemCount() - 1));
    return true;
  }
  if (IsEmptyTextItem(*this, nextNo)) {
    if (IsItemProtected(nextNo, rvprDeleteProtect) || readOnly) return false;
    Do_DeleteItem(nextNo, Del.FullReformat);
    return true;
  }
  if (readOnly || IsItemProtected(nextNo, rvprParaStartProtect)) return false;
  Del.JoinedParagraphs = true;
  if (CanMergeItems(ItemNo, item, true, GetItem(nextNo))) {
    MergeItems(ItemNo);
    return true;
  }
  const int joined = nextNo;
  if (IsMarkerItem(*this, nextNo)) {
    if (IsItemProtected(nextNo, rvprDeleteProtect)) return false;
    Do_DeleteItem(nextNo, Del.FullReformat);
    Del.MarkersChanged = true;
    if (nextNo >= GetItemCount()) return true;
  }
  Do_NewLine(joined, true, -1, Del.FullReformat);
  if (CanMergeItems(ItemNo, GetItem(ItemNo), false, GetItem(joined))) MergeItems(ItemNo);
  return true;
}

// ---- paragraph styles -------------------------------------------------------------------------------

void TRVEditRVData::ApplyParaStyle(int32_t ParaNo, bool Convert) {
  if (PartiallySelectedItem != nullptr) {
    // Selected cells take the style (or the conversion, ParaNo being its user data) as a whole.
    if (auto* table = dynamic_cast<TRVTableItemInfo*>(PartiallySelectedItem)) {
      if (Convert)
        TRVTableCommands::ApplyParaStyleConversionToCells(*table, ParaNo);
      else
        TRVTableCommands::ApplyParaStyleToCells(*table, ParaNo);
    }
    return;
  }
  if (!HasCaretLine()) return;
  int selStartNo = -1, selStartOffs = 0, selEndNo = -1, selEndOffs = 0;
  const bool selected = SelectionExists();
  if (selected) GetItemSelectionBounds(selStartNo, selStartOffs, selEndNo, selEndOffs, false);
  int caretItemNo = 0, caretOffs = 0;
  GetCaretItemPos(caretItemNo, caretOffs);
  const int first = GetParaStartItemNo(selected ? std::min(selStartNo, selEndNo) : caretItemNo);
  const int last = GetParaEndItemNo(selected ? std::max(selStartNo, selEndNo) : caretItemNo);
  const int firstDItem = GetFirstDrawItemOfItem(first);
  int lastDItem = GetFirstDrawItemOfItem(last);
  while (lastDItem + 1 < DrawItems().Count() && DrawItems()[lastDItem + 1]->ItemNo == last) ++lastDItem;

  bool fullReformat = false;
  if (Convert) {
    TCustomRVEdit* editor = Editor();
    TRVIntegerList styles;
    for (int i = first; i <= last; ++i) {
      int newStyle = GetItemParaNo(i);
      if (editor != nullptr && editor->CurrentConversion)
        editor->CurrentConversion(editor, newStyle, ParaNo, true, newStyle);
      styles.AddValue(newStyle);
    }
    Do_ParaNos(first, styles, fullReformat);
  } else {
    Do_ParaList(first, last, fullReformat, ParaNo);
  }
  FormatAfterEdit(fullReformat, firstDItem, lastDItem, 0);
  if (selected) StoreSelectionBounds(selStartNo, selStartOffs, selEndNo, selEndOffs);
  PlaceCaretAtItem(caretItemNo, caretOffs, false);
}
