// The selection of a formatted document: its bounds in drawn-piece and item coordinates,
// setting it from item positions, and the questions readers ask about it.
#include <algorithm>
#include <utility>

#include "richtext/core/RVItem.h"
#include "richtext/viewer/CRVFData.h"

namespace {

/// True when (aNo, aOffs) lies after (bNo, bOffs): by drawn piece, then by offset.
bool After(int aNo, int aOffs, int bNo, int bOffs) {
  return aNo > bNo || (aNo == bNo && aOffs > bOffs);
}

}  // namespace

TCustomRVFormattedData* TCustomRVFormattedData::FocusedFormattedSub() {
  auto* sub = dynamic_cast<TCustomRVFormattedData*>(GetFocusedSubData());
  return sub != this ? sub : nullptr;
}

bool TCustomRVFormattedData::SelectionExists(bool AllowReset, bool UsePartialSelected) {
  if (TCustomRVFormattedData* sub = FocusedFormattedSub())
    return sub->SelectionExists(AllowReset, UsePartialSelected);
  if ((StateFlags & rvstMakingSelection) != 0) AllowReset = false;
  if (UsePartialSelected && PartiallySelectedItem != nullptr && PartiallySelectedItem->HasInnerSelection())
    return true;
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  GetSelBoundsInDrawItems(startNo, startOffs, endNo, endOffs, true);
  if (startNo == endNo && startOffs == endOffs) {
    // Only a real (empty) selection is dropped: dropping none would report a change.
    if (AllowReset && startNo != -1) Deselect(PartiallySelectedItem, true);
    return false;
  }
  return startNo != -1 && endNo != -1;
}

void TCustomRVFormattedData::GetSelStartDrawItem(int& DItemNo, int& DOffs) {
  SelectionExists(true, false);
  DItemNo = SelStartNo;
  DOffs = SelStartOffs;
}

void TCustomRVFormattedData::GetSelBoundsInDrawItems(int& StartDNo, int& StartDOffs, int& EndDNo,
                                                     int& EndDOffs, bool Normalize) const {
  StartDNo = SelStartNo;
  StartDOffs = SelStartOffs;
  EndDNo = SelEndNo;
  EndDOffs = SelEndOffs;
  if (Normalize && After(StartDNo, StartDOffs, EndDNo, EndDOffs)) {
    std::swap(StartDNo, EndDNo);
    std::swap(StartDOffs, EndDOffs);
  }
}

void TCustomRVFormattedData::GetItemSelectionBounds(int& StartItemNo, int& StartOffs, int& EndItemNo,
                                                    int& EndOffs, bool Normalize) {
  GetSelectionRange(StartItemNo, StartOffs, EndItemNo, EndOffs, Normalize);
}

void TCustomRVFormattedData::GetSelectionRange(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                                               bool Normalize) {
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  GetSelBoundsInDrawItems(startNo, startOffs, endNo, endOffs, Normalize);
  DrawItemToItem(startNo, startOffs, StartItemNo, StartOffs);
  DrawItemToItem(endNo, endOffs, EndItemNo, EndOffs);
}

void TCustomRVFormattedData::GetSelectionBounds(bool SelectionOnly, int& StartItemNo, int& EndItemNo,
                                                int& StartOffs, int& EndOffs,
                                                TCustomRVItemInfo*& StartPartial,
                                                TCustomRVItemInfo*& EndPartial) {
  if (!SelectionOnly) {
    TCustomRVData::GetSelectionBounds(SelectionOnly, StartItemNo, EndItemNo, StartOffs, EndOffs, StartPartial,
                                      EndPartial);
    return;
  }
  GetItemSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs, true);
  StartPartial = nullptr;
  EndPartial = nullptr;
}

void TCustomRVFormattedData::StoreSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo,
                                                  int EndOffs) {
  ItemToDrawItem(StartItemNo, StartOffs, SelStartNo, SelStartOffs);
  ItemToDrawItem(EndItemNo, EndOffs, SelEndNo, SelEndOffs);
}

void TCustomRVFormattedData::SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs) {
  // The cell editor first: deselecting its table forgets the focused cell, and with it the
  // only way to the editor, which would stay open holding the cell's items.
  DestroyInplaceEditor();
  DeselectPartiallySelectedItem(nullptr);
  if (StartItemNo >= 0 && EndItemNo >= 0) {
    // A list marker is not a place to select from or to: the text after it is.
    const int count = GetItemCount();
    auto skipMarker = [&](int& itemNo, int& offs) {
      if (itemNo < count - 1 && GetItem(itemNo)->StyleNo == rvsListMarker) {
        ++itemNo;
        offs = GetItemStartOffset(itemNo);
      }
    };
    skipMarker(StartItemNo, StartOffs);
    skipMarker(EndItemNo, EndOffs);
  }
  StoreSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
  SelectionChanged();
  DoSelect();
}

void TCustomRVFormattedData::SelectRangeAndShow(int ItemNo, int Offs, int Len, bool Reverse) {
  DeselectPartiallySelectedItem(nullptr);
  const int from = Reverse ? Offs + Len : Offs;
  const int to = Reverse ? Offs : Offs + Len;
  StoreSelectionBounds(ItemNo, from, ItemNo, to);
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  GetSelBoundsInDrawItems(startNo, startOffs, endNo, endOffs, true);
  if (startNo >= 0 && startNo < DrawItems().Count()) {
    const TRVDrawLineInfo* piece = DrawItems()[startNo];
    ScrollToShowRect(piece->Left, piece->Top, piece->Width, piece->Height);
  }
  InvalidateControl();
  SelectionChanged();
  DoSelect();
}

void TCustomRVFormattedData::GetStartPosition(bool Down, int& ItemNo, int& Offs) {
  ItemNo = -1;
  Offs = 0;
  if (SelectionExists()) {
    DrawItemToItem(SelEndNo, SelEndOffs, ItemNo, Offs);
  } else if (Down) {
    ItemNo = GetFirstVisibleItem();
    if (ItemNo >= 0) Offs = GetItemStartOffset(ItemNo);
  } else {
    ItemNo = GetLastVisibleItem();
    if (ItemNo >= 0) Offs = GetItemEndOffset(ItemNo) + 1;
  }
  ItemNo = std::max(ItemNo, 0);
}
