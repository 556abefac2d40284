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

void TRVEditRVData::CaretItemPosition(int& ItemNo, int& Offs) const {
  const TRVCharPos& pos = *CharPositions->Items(CaretOffs);
  DrawItemToItem(pos.DrawItemNo, pos.Offset, ItemNo, Offs);
}

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
  CaretItemPosition(itemNo, offs);
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
    CaretItemPosition(itemNo, offs);
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
