// Deleting the selection, joining two neighbouring text items, making text items, Enter, and
// putting a prepared item at the caret. Each operation changes the document only through the
// undo-recording primitives (RVERVDataPrimitives.cpp), then lays out again only the touched
// paragraphs (the whole document when the minimal width may have changed) and puts the caret
// back. Every refusal beeps and leaves the document as it was.
#include <algorithm>

#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/table/RVTable.h"

namespace {

bool IsListMarker(const TCustomRVData& Data, int ItemNo) {
  return ItemNo >= 0 && ItemNo < Data.GetItemCount() && Data.GetItemStyleNo(ItemNo) == rvsListMarker;
}

/// The item opens its paragraph, or stands right after the list marker that opens it.
bool OpensParagraph(const TCustomRVData& Data, int ItemNo) {
  return Data.StartsParagraph(ItemNo) ||
         (Data.GetItem(ItemNo)->GetSameAsPrev() && IsListMarker(Data, ItemNo - 1));
}

bool IsValidParaNo(const TCustomRVData& Data, int32_t ParaNo) {
  const TRVStyle* style = Data.GetRVStyle();
  return style != nullptr && ParaNo >= 0 && ParaNo < style->ParaStyles().Count();
}

bool IsLastInParagraph(const TCustomRVData& Data, int ItemNo) {
  return ItemNo + 1 >= Data.GetItemCount() || Data.StartsParagraph(ItemNo + 1);
}

/// A refusal after the undo group was opened: the empty group goes, and a beep.
void Refuse(TRVEditRVData& Data) {
  Data.UndoList->DeleteEmptyLastGroup();
  Data.Beep();
}

bool TagsAreTexts(const TCustomRVData& Data) {
  return (Data.GetOptions() & rvoTagsArePChars) != 0;
}

/// The table whose selected cells are the data's partial selection, null when none.
TRVTableItemInfo* SelectedCellsTable(const TCustomRVFormattedData& Data) {
  return dynamic_cast<TRVTableItemInfo*>(Data.PartiallySelectedItem);
}

/// Copies the line marks that decide where an item stands (continues the line, line break,
/// page break) from one item to another.
void CopyLineMarks(const TCustomRVItemInfo& From, TCustomRVItemInfo& To) {
  constexpr TRVItemOptions marks = rvioJoinsPrevious | rvioLineBreak | rvioPageBreak;
  To.ItemOptions = static_cast<TRVItemOptions>((To.ItemOptions & ~marks) | (From.ItemOptions & marks));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Caret helpers shared by the editing operations

void TRVEditRVData::GetCaretItemPos(int& ItemNo, int& Offs) const {
  ItemNo = -1;
  Offs = -1;
  if (CaretDrawItemNo < 0 || CaretOffs < 0 || CaretOffs >= CharPositions->Count()) return;
  const TRVCharPos* pos = CharPositions->Items(CaretOffs);
  DrawItemToItem(pos->DrawItemNo, pos->Offset, ItemNo, Offs);
}

void TRVEditRVData::PlaceCaretAtItem(int ItemNo, int Offs, bool DontChangeStyles) {
  int dItemNo = -1, dOffs = 0;
  ItemToDrawItem(ItemNo, Offs, dItemNo, dOffs);
  if (dItemNo < 0) return;
  CaretDrawItemNo = dItemNo;
  OnChangeCaretLine(dOffs - 2);
  ChangeCaret(false, true, DontChangeStyles, false);
}

void TRVEditRVData::GetCaretParaDrawRange(int& FirstDrawItemNo, int& LastDrawItemNo) const {
  const int caretDItem = std::max(CaretDrawItemNo, 0);
  ExpandToParaDrawItems(caretDItem, caretDItem, FirstDrawItemNo, LastDrawItemNo);
}

void TRVEditRVData::ClearLineMarks(TCustomRVItemInfo& Item) {
  Item.ItemOptions &= static_cast<TRVItemOptions>(~(rvioJoinsPrevious | rvioLineBreak | rvioPageBreak));
}

void TRVEditRVData::SplitTextItem(int ItemNo, int Offs, bool& FullReformat) {
  if (Offs >= GetItemEndOffset(ItemNo)) return;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  std::string tail =
      RVCopyChars(GetItemText(ItemNo), Offs, GetItemTextLength(ItemNo) - Offs + 1, item->ItemOptions);
  Do_DeleteSubstring(ItemNo, Offs, -1);
  std::unique_ptr<TCustomRVItemInfo> copy = RV_CreateTextCopy(*item, this);
  ClearLineMarks(*copy);
  copy->SetSameAsPrev(true);
  bool full = false;
  Do_InsertItem(ItemNo + 1, tail, std::move(copy), false, full);
  FullReformat |= full;
}

void TRVEditRVData::FormatAfterEdit(bool FullReformat, int FirstDrawItemNo, int LastDrawItemNo,
                                    int ItemsAdded) {
  // A full layout is only worth it when the document's narrowest width really moved.
  bool full = DrawItems().Count() == 0;
  if (FullReformat && !full)
    full = (GetItemCount() > 0 ? CalculateMinItemsWidth(0, GetItemCount() - 1) : 0) != DocMinWidth;
  if (!full) {
    FormatParas(FirstDrawItemNo, LastDrawItemNo, ItemsAdded);
    return;
  }
  {
    // The caret line describes the old layout; the caller places the caret afterwards.
    TRVStateScope noCaret(*this, rvstNoCaretChange);
    FormatLines(true, true, false, 0, nullptr, false, false);
  }
  InvalidateControl();
}

// ---------------------------------------------------------------------------------------
// Text items

std::unique_ptr<TCustomRVItemInfo> TRVEditRVData::CreateTextItem(const TRVTag& Tag, int32_t ParaNo, bool BR,
                                                                 bool SameAsPrev, int32_t StyleNo) {
  std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(std::max(StyleNo, 0), this);
  item->ParaNo = ParaNo;
  item->Tag = RVCopyTag(Tag, TagsAreTexts(*this));
  if (IsUnicodeStyle(item->StyleNo)) item->ItemOptions |= rvioTwoByteText;
  item->SetSameAsPrev(SameAsPrev);
  if (BR) item->SetBR(true);
  return item;
}

void TRVEditRVData::InsertTextItem(int ItemNo, std::string S, const TRVTag& Tag, int32_t ParaNo, bool BR,
                                   bool SameAsPrev, int32_t StyleNo, bool& FullReformat) {
  Do_InsertItem(ItemNo, S, CreateTextItem(Tag, ParaNo, BR, SameAsPrev, StyleNo), false, FullReformat);
}

void TRVEditRVData::InsertEmptyTextItem(int ItemNo, const TRVTag& Tag, int32_t ParaNo, bool BR,
                                        bool SameAsPrev, int32_t StyleNo, bool& FullReformat) {
  InsertTextItem(ItemNo, std::string(), Tag, ParaNo, BR, SameAsPrev, StyleNo, FullReformat);
}

// ---------------------------------------------------------------------------------------
// Deletion

namespace {

/// Whether the part From..To (item offsets) of an item may be removed.
bool CoveredPartAllowed(const TRVEditRVData& Data, int ItemNo, int From, int To) {
  if (From >= To) return true;
  if (!Data.GetItem(ItemNo)->IsTextItem()) return !Data.IsItemProtected(ItemNo, rvprDeleteProtect);
  const bool whole = From <= Data.GetItemStartOffset(ItemNo) && To >= Data.GetItemEndOffset(ItemNo);
  return !Data.IsItemProtected(ItemNo, whole ? rvprDeleteProtect : rvprModifyProtect);
}

}  // namespace

bool TRVEditRVData::CanDelete() {
  if (!SelectionExists()) {
    if (PartiallySelectedItem == nullptr) return true;
    TRVTableItemInfo* table = SelectedCellsTable(*this);
    return table != nullptr && TRVTableCommands::CanDeleteSelectedCellsContent(*table);
  }
  int startNo, startOffs, endNo, endOffs;
  GetItemSelectionBounds(startNo, startOffs, endNo, endOffs, true);
  if (startNo < 0 || endNo < 0) return true;
  for (int i = startNo + 1; i < endNo; ++i)
    if (IsItemProtected(i, rvprDeleteProtect)) return false;
  const int startTo = startNo == endNo ? endOffs : GetItemEndOffset(startNo);
  if (!CoveredPartAllowed(*this, startNo, startOffs, startTo)) return false;
  if (startNo != endNo && !CoveredPartAllowed(*this, endNo, GetItemStartOffset(endNo), endOffs)) return false;
  // A read-only paragraph goes only as a whole.
  if (IsParaProtected(GetItemParaNo(startNo), rvpaoReadOnly)) {
    const bool fromParaStart = StartsParagraph(startNo) && startOffs <= GetItemStartOffset(startNo);
    if (!fromParaStart || (startNo == endNo && startOffs == endOffs)) return false;
  }
  if (IsParaProtected(GetItemParaNo(endNo), rvpaoReadOnly)) {
    if (endOffs < GetItemEndOffset(endNo) || !IsLastInParagraph(*this, endNo)) return false;
  }
  return !IsParaProtected(CurParaStyleNo, rvpaoReadOnly);
}

namespace {

/// The running state of one deletion.
struct TDeletion {
  int ItemsRemoved = 0;   // net: items removed minus items put in their place
  int32_t Width = 0;      // the largest minimal width of what is removed
  bool Full = false;      // a primitive asked for a full layout
  bool JoinNext = false;  // the item after the start item joins the start item's line
  bool MarkersRemoved = false;
  int CaretItemNo = 0;
  int CaretOffs = 0;
};

/// Deletes From..To of the start item of a deletion (see DeleteSelection).
void DeleteStartPart(TRVEditRVData& Data, int ItemNo, int From, int To, TDeletion& Del) {
  bool full = false;
  Del.Width = std::max(Del.Width, Data.CalculateMinItemWidth(ItemNo));
  TCustomRVItemInfo* item = Data.GetItem(ItemNo);
  const bool whole = From <= Data.GetItemStartOffset(ItemNo) && To >= Data.GetItemEndOffset(ItemNo);
  if (!whole) {
    Data.Do_DeleteSubstring(ItemNo, From, To - From);
    Del.CaretItemNo = ItemNo;
    Del.CaretOffs = From;
    if (Del.JoinNext && ItemNo + 1 < Data.GetItemCount()) Data.Do_NewLine(ItemNo + 1, true, -1, full);
    Del.Full |= full;
    return;
  }
  const bool keepEmpty = ItemNo == 0 || OpensParagraph(Data, ItemNo);
  const bool startedPara = item->IsParaStart();
  const bool hadBR = item->GetBR();
  const int32_t paraNo = item->ParaNo;
  const TRVItemOptions marks = item->ItemOptions;
  Data.Do_DeleteItem(ItemNo, full);
  Del.Full |= full;
  ++Del.ItemsRemoved;
  if (keepEmpty) {
    // The paragraph survives as an empty line in the current text style.
    std::unique_ptr<TCustomRVItemInfo> empty =
        Data.CreateTextItem(TRVTag(), paraNo, false, false, Data.CurTextStyleNo);
    empty->ItemOptions =
        static_cast<TRVItemOptions>((empty->ItemOptions & rvioTwoByteText) |
                                    (marks & (rvioJoinsPrevious | rvioLineBreak | rvioPageBreak)));
    std::string text;
    Data.Do_InsertItem(ItemNo, text, std::move(empty), false, full);
    Del.Full |= full;
    --Del.ItemsRemoved;
    Del.CaretItemNo = ItemNo;
    Del.CaretOffs = 1;
    if (Del.JoinNext && ItemNo + 1 < Data.GetItemCount()) Data.Do_NewLine(ItemNo + 1, true, -1, full);
  } else if (startedPara && ItemNo < Data.GetItemCount()) {
    if (!Data.IsItemProtected(ItemNo, rvprParaStartProtect)) {
      Data.Do_NewLine(ItemNo, false, -1, full);
      if (hadBR) Data.Do_BR(ItemNo, true, full);
    }
    Del.CaretItemNo = ItemNo;
    Del.CaretOffs = Data.GetItemStartOffset(ItemNo);
  } else {
    Del.CaretItemNo = ItemNo - 1;
    Del.CaretOffs = Data.GetItemEndOffset(ItemNo - 1);
    if (Del.JoinNext && ItemNo < Data.GetItemCount()) Data.Do_NewLine(ItemNo, true, -1, full);
  }
  Del.Full |= full;
}

/// Deletes the end item of a deletion up to EndOffs; answers whether the item stays.
bool DeleteEndPart(TRVEditRVData& Data, int ItemNo, int EndOffs, TDeletion& Del) {
  if (EndOffs < Data.GetItemEndOffset(ItemNo)) {
    if (Data.GetItem(ItemNo)->IsTextItem() && EndOffs > 1) Data.Do_DeleteSubstring(ItemNo, 1, EndOffs - 1);
    return true;
  }
  bool full = false;
  Del.Width = std::max(Del.Width, Data.CalculateMinItemWidth(ItemNo));
  Data.Do_DeleteItem(ItemNo, full);
  Del.Full |= full;
  ++Del.ItemsRemoved;
  return false;
}

}  // namespace

bool TRVEditRVData::DeleteSelection() {
  if (!SelectionExists()) {
    if (PartiallySelectedItem == nullptr) return true;
    TRVTableItemInfo* table = SelectedCellsTable(*this);
    if (table == nullptr || !TRVTableCommands::CanDeleteSelectedCellsContent(*table)) {
      Beep();
      return false;
    }
    TRVTableCommands::DeleteSelectedCellsContent(*table);
    return true;
  }
  if (!CanDelete() || GetFocusedSubData() != nullptr) {
    Beep();
    return false;
  }
  BeginUndoSequence(rvutDelete, true);
  const int32_t docMinWidth = DocMinWidth;
  int startDNo, startDOffs, endDNo, endDOffs;
  GetSelBoundsInDrawItems(startDNo, startDOffs, endDNo, endDOffs, true);
  int firstDItem, lastDItem;
  ExpandToParaDrawItems(startDNo, endDNo, firstDItem, lastDItem);
  int startNo, startOffs, endNo, endOffs;
  GetItemSelectionBounds(startNo, startOffs, endNo, endOffs, true);
  Deselect(nullptr, false);

  // A selection that begins at the start of an item continuing its line begins, in effect,
  // at the end of the item before it.
  if (startNo > 0 && GetItem(startNo)->GetSameAsPrev() && startOffs <= GetItemStartOffset(startNo) &&
      !IsListMarker(*this, startNo - 1)) {
    --startNo;
    startOffs = GetItemEndOffset(startNo);
  }
  AdjustPosPastMarker(startNo, startOffs, false);
  AdjustPosPastMarker(endNo, endOffs, true);
  if (endNo < startNo || (endNo == startNo && endOffs < startOffs)) {
    endNo = startNo;
    endOffs = startOffs;
  }
  TDeletion del;
  for (int i = startNo; i <= endNo; ++i)
    if (IsListMarker(*this, i)) del.MarkersRemoved = true;
  const int paraStart = GetParaStartItemNo(startNo);

  if (startNo == endNo) {
    DeleteStartPart(*this, startNo, startOffs, endOffs, del);
  } else {
    // The rest of an end item that stays joins the start item's line: the selection took
    // the paragraph breaks between them.
    del.JoinNext = DeleteEndPart(*this, endNo, endOffs, del);
    if (endNo - startNo > 1) {
      bool full = false;
      del.Width = std::max(del.Width, CalculateMinItemsWidth(startNo + 1, endNo - 1));
      Do_DeleteItems(startNo + 1, endNo - 1, full);
      del.Full |= full;
      del.ItemsRemoved += endNo - startNo - 1;
    }
    DeleteStartPart(*this, startNo, startOffs, GetItemEndOffset(startNo), del);
  }
  const int caretNo = del.CaretItemNo;
  if (caretNo >= 0 && caretNo + 1 < GetItemCount() &&
      CanMergeItems(caretNo, GetItem(caretNo), false, GetItem(caretNo + 1))) {
    MergeItems(caretNo);
    ++del.ItemsRemoved;
  }
  FormatAfterEdit(del.Full || del.Width >= docMinWidth, firstDItem, lastDItem, -del.ItemsRemoved);
  del.CaretItemNo = std::clamp(del.CaretItemNo, 0, GetItemCount() - 1);
  PlaceCaretAtItem(del.CaretItemNo, std::min(del.CaretOffs, GetItemEndOffset(del.CaretItemNo)), true);
  ApplyParaStyle(GetItemParaNo(del.CaretItemNo), false);
  if (del.MarkersRemoved)
    UpdateMarkersAfterChange(std::min(paraStart, GetItemCount() - 1), GetItemCount() - 1);
  Change(true);
  return true;
}

// ---------------------------------------------------------------------------------------
// Merging

void TRVEditRVData::MergeItems(int ItemNo) {
  bool full = false;
  TCustomRVItemInfo* first = GetItem(ItemNo);
  TCustomRVItemInfo* second = GetItem(ItemNo + 1);
  const bool tagsAreTexts = TagsAreTexts(*this);
  if (first->IsTwoByteText() != second->IsTwoByteText() && !GetItemText(ItemNo + 1).empty()) {
    // Texts of different kinds are never joined: the (empty) first item gives way.
    if (first->IsParaStart()) Do_NewLine(ItemNo + 1, false, first->ParaNo, full);
    if (first->GetBR()) Do_BR(ItemNo + 1, true, full);
    if (first->GetPageBreakBefore()) Do_PageBreak(ItemNo + 1, true);
    if (first->Checkpoint && !second->Checkpoint)
      Do_AddCP(ItemNo + 1, TRVCPInfo::Duplicate(*first->Checkpoint, tagsAreTexts));
    Do_DeleteItem(ItemNo, full);
    return;
  }
  const bool firstEmpty = GetItemText(ItemNo).empty();
  const int32_t secondStyle = second->StyleNo;
  if (firstEmpty) Do_Tag(ItemNo, second->Tag, false);
  Do_InsertSubstring(ItemNo, GetItemTextLength(ItemNo) + 1, GetItemText(ItemNo + 1));
  if (second->Checkpoint && !first->Checkpoint)
    Do_AddCP(ItemNo, TRVCPInfo::Duplicate(*second->Checkpoint, tagsAreTexts));
  Do_DeleteItem(ItemNo + 1, full);
  if (firstEmpty) Do_StyleNo(ItemNo, secondStyle);
}

namespace {

/// Keeps a position on the same character while item ItemNo + 1 (after ItemNo, which held
/// Length characters) is joined into ItemNo.
void FollowMerge(int& PosItemNo, int& PosOffs, int ItemNo, int Length) {
  if (PosItemNo == ItemNo + 1) {
    PosItemNo = ItemNo;
    PosOffs += Length;
  } else if (PosItemNo > ItemNo + 1) {
    --PosItemNo;
  }
}

}  // namespace

bool TRVEditRVData::MergeKeepingPositions(int ItemNo, int& ItemNo1, int& Offs1, int& ItemNo2, int& Offs2) {
  if (ItemNo < 0 || ItemNo + 1 >= GetItemCount() ||
      !CanMergeItems(ItemNo, GetItem(ItemNo), false, GetItem(ItemNo + 1)))
    return false;
  const int length = GetItemTextLength(ItemNo);
  MergeItems(ItemNo);
  FollowMerge(ItemNo1, Offs1, ItemNo, length);
  FollowMerge(ItemNo2, Offs2, ItemNo, length);
  return true;
}

// ---------------------------------------------------------------------------------------
// Enter

namespace {

/// Where Enter stands: the caret's item and offset and what the caret line says of them.
struct TEnterPlace {
  int DItemNo = -1;
  int FirstDItem = 0;  // the draw items laid out again afterwards
  int LastDItem = 0;
  int ItemNo = -1;
  int Offs = 0;
  bool AtParaStart = false;
  bool AtParaEnd = false;
};

/// A new empty paragraph before or after the caret's item (Enter at a paragraph's edge).
void InsertEmptyParagraph(TRVEditRVData& Data, const TEnterPlace& At, bool Soft) {
  const int itemNo = At.ItemNo;
  TCustomRVItemInfo* item = Data.GetItem(itemNo);
  if (Data.IsItemProtected(itemNo, rvprParaStartProtect)) {
    Refuse(Data);
    return;
  }
  TRVStyle* style = Data.GetRVStyle();
  const bool atEnd = At.AtParaEnd;
  if (atEnd && item->IsTextItem() && item->StyleNo == Data.CurTextStyleNo) {
    const int32_t next = style->TextStyles().Items(item->StyleNo)->NextStyleNo;
    if (next >= 0 && next < style->TextStyles().Count()) Data.SetCurTextStyleNo(next);
  }
  const bool nextIsBreak = itemNo + 1 < Data.GetItemCount() && Data.GetItemStyleNo(itemNo + 1) == rvsBreak;
  if (!Soft && !nextIsBreak) {
    const int32_t nextPara =
        IsValidParaNo(Data, item->ParaNo) ? style->ParaStyles().Items(item->ParaNo)->NextParaNo : -1;
    if (Data.IsParaProtected(item->ParaNo, rvpaoReadOnly) || (atEnd && nextPara >= 0))
      Data.SetCurParaStyleNo(IsValidParaNo(Data, nextPara) ? nextPara : 0);
  }
  int32_t textStyle = Data.CurTextStyleNo;
  if (textStyle < 0 || textStyle >= style->TextStyles().Count() ||
      (style->TextStyles().Items(textStyle)->Protection & rvprModifyProtect) != 0)
    textStyle = 0;
  std::unique_ptr<TCustomRVItemInfo> fresh =
      Data.CreateTextItem(TRVTag(), Soft ? item->ParaNo : Data.CurParaStyleNo, Soft, false, textStyle);
  if (item->IsTextItem() && item->StyleNo == textStyle) fresh->Tag = RVCopyTag(item->Tag, TagsAreTexts(Data));

  bool full = false;
  int itemsAdded = 1;
  int insertAt;
  int caretItem;
  if (atEnd) {
    insertAt = itemNo + 1;
    if (!Soft && Data.InsertMarkerCopy(itemNo, insertAt)) {
      ++insertAt;
      ++itemsAdded;
      fresh->SetSameAsPrev(true);
    }
    caretItem = insertAt;
  } else {
    insertAt = itemNo;
    if (Soft) {
      // The old line start moves to the new item; the caret's item becomes a line break
      // (also when it is alone on its line: an empty item before a break).
      fresh->SetBR(item->GetBR());
    }
    if (IsListMarker(Data, itemNo - 1)) fresh->SetSameAsPrev(true);
    caretItem = itemNo + 1;
  }
  std::string text;
  Data.Do_InsertItem(insertAt, text, std::move(fresh), false, full);
  if (!atEnd) {
    bool f = false;
    if (IsListMarker(Data, itemNo - 1)) Data.Do_NewLine(caretItem, false, -1, f);
    if (Soft) Data.Do_BR(caretItem, true, f);
    full |= f;
  }
  Data.FormatAfterEdit(full, At.FirstDItem, At.LastDItem, itemsAdded);
  Data.PlaceCaretAtItem(caretItem, Data.GetItemStartOffset(caretItem), true);
  if (itemsAdded > 1) Data.UpdateMarkersAfterChange(itemNo, caretItem);
}

}  // namespace

void TRVEditRVData::OnEnterPress(bool Soft) {
  TEnterPlace at;
  GetCaretItemPos(at.ItemNo, at.Offs);
  if (at.ItemNo < 0 || GetRVStyle() == nullptr) return;
  at.DItemNo = CharPositions->Items(CaretOffs)->DrawItemNo;
  const int itemNo = at.ItemNo;
  TCustomRVItemInfo* item = GetItem(itemNo);
  if (IsParaProtected(item->ParaNo, rvpaoDoNotWantReturns)) {
    Beep();
    return;
  }
  BeginUndoSequence(rvutMiscTyping, true);
  const bool firstPos = CaretOffs == 0;
  const bool lastPos = CaretOffs == CharPositions->Count() - 1;
  at.AtParaStart = firstPos && at.Offs <= GetItemStartOffset(itemNo) &&
                   (!item->GetSameAsPrev() || IsListMarker(*this, itemNo - 1));
  at.AtParaEnd = lastPos && at.Offs >= GetItemEndOffset(itemNo) && IsLastInParagraph(*this, itemNo);
  ExpandToParaDrawItems(at.DItemNo, at.DItemNo, at.FirstDItem, at.LastDItem);
  if (at.AtParaStart || at.AtParaEnd) {
    InsertEmptyParagraph(*this, at, Soft);
    return;
  }
  if (IsParaProtected(item->ParaNo, rvpaoReadOnly)) {
    Refuse(*this);
    return;
  }
  const bool split =
      item->IsTextItem() && at.Offs > GetItemStartOffset(itemNo) && at.Offs < GetItemEndOffset(itemNo);
  // Before the item, the item itself begins the new line; after it, the next item does; a
  // split text's tail (of the item's own style) does.
  const int lineItem = split || at.Offs < GetItemEndOffset(itemNo) ? itemNo : itemNo + 1;
  if (lineItem >= GetItemCount() || (split && IsItemProtected(itemNo, rvprModifyProtect)) ||
      IsItemProtected(lineItem, rvprParaStartProtect)) {
    Refuse(*this);
    return;
  }
  const int32_t docMinWidth = DocMinWidth;
  const bool noWrapWide =
      IsParaProtected(item->ParaNo, rvpaoNoWrap) && CalculateMinItemWidth(itemNo) >= docMinWidth;
  bool full = false;
  int itemsAdded = 0;
  int target = at.Offs < GetItemEndOffset(itemNo) ? itemNo : itemNo + 1;
  if (split) {
    // The tail becomes an item of its own, which then begins the new line.
    SplitTextItem(itemNo, at.Offs, full);
    ++itemsAdded;
    target = itemNo + 1;
  }
  int newLineItem = target;
  if (Soft) {
    bool f = false;
    Do_NewLine(target, false, -1, f);
    Do_BR(target, true, f);
    full |= f;
  } else if (InsertMarkerCopy(itemNo, target)) {
    ++itemsAdded;
    newLineItem = target + 1;
    bool f = false;
    Do_NewLine(newLineItem, true, -1, f);
    full |= f;
  } else {
    Do_NewLine(target, false, -1, full);
  }
  FormatAfterEdit(full || noWrapWide, at.FirstDItem, at.LastDItem, itemsAdded);
  PlaceCaretAtItem(newLineItem, GetItemStartOffset(newLineItem), false);
  UpdateMarkersAfterChange(itemNo, std::min(newLineItem, GetItemCount() - 1));
}

// ---------------------------------------------------------------------------------------
// A prepared item at the caret

bool TRVEditRVData::InsertItemAtCaret(std::unique_ptr<TCustomRVItemInfo>& Item, std::string& S,
                                      int& InsertItemNo, int& ItemsAdded, bool& FullReformat) {
  InsertItemNo = -1;
  ItemsAdded = 0;
  FullReformat = false;
  int itemNo, offs;
  GetCaretItemPos(itemNo, offs);
  if (itemNo < 0 || !Item) {
    Item.reset();
    return false;
  }
  const int countBefore = GetItemCount();
  const int32_t ownParaNo = IsValidParaNo(*this, Item->ParaNo) ? Item->ParaNo : -1;
  const bool fullLine = Item->QueryFeature(rvfqOwnLine);
  const bool isMarker = Item->StyleNo == rvsListMarker;
  TCustomRVItemInfo* caretItem = GetItem(itemNo);
  if (DrawItems().Count() > 0 && !fullLine && !isMarker) {
    Item->SetSameAsPrev(true);
    Item->ParaNo = caretItem->ParaNo;
  } else {
    ClearLineMarks(*Item);
    Item->ParaNo = CurParaStyleNo;
  }
  if (IsParaProtected(Item->ParaNo, rvpaoReadOnly)) {
    Item.reset();
    return false;
  }
  bool full = false;
  int insertAt = itemNo;
  int joinAfter = -1;  // an item that continues the new item's line after the insertion
  if (!caretItem->IsTextItem()) {
    if (isMarker) {
      Item.reset();
      return false;
    }
    if (offs >= 1) {
      insertAt = itemNo + 1;
      // Nothing continues the line of an item that takes a whole line (a table): what
      // comes after it begins a paragraph.
      if (caretItem->QueryFeature(rvfqOwnLine)) {
        ClearLineMarks(*Item);
        Item->ParaNo = CurParaStyleNo;
      }
    } else if (fullLine && IsListMarker(*this, itemNo - 1)) {
      // The marker keeps a text item on its line.
      InsertEmptyTextItem(itemNo, TRVTag(), caretItem->ParaNo, false, true, CurTextStyleNo, full);
      insertAt = itemNo + 1;
    } else if (!caretItem->GetSameAsPrev() && !fullLine) {
      CopyLineMarks(*caretItem, *Item);
      joinAfter = itemNo + 1;
    }
  } else if (GetItemText(itemNo).empty()) {
    if (IsItemProtected(itemNo, rvprSticking)) {
      Item.reset();
      return false;
    }
    if (fullLine && IsListMarker(*this, itemNo - 1)) {
      insertAt = itemNo + 1;
    } else {
      if (!fullLine) CopyLineMarks(*caretItem, *Item);
      Do_DeleteItem(itemNo, full);
      Item->ParaNo = CurParaStyleNo;
    }
  } else {
    if (isMarker) {
      Item.reset();
      return false;
    }
    if (offs <= GetItemStartOffset(itemNo)) {
      if (IsSticking(itemNo, true)) {
        Item.reset();
        return false;
      }
      if (!caretItem->GetSameAsPrev() && !fullLine) {
        CopyLineMarks(*caretItem, *Item);
        joinAfter = itemNo + 1;
      }
    } else if (offs >= GetItemEndOffset(itemNo)) {
      insertAt = itemNo + 1;
    } else {
      SplitTextItem(itemNo, offs, full);
      insertAt = itemNo + 1;
    }
    if (Item->IsTextItem() && Item->StyleNo == caretItem->StyleNo)
      Item->Tag = RVCopyTag(caretItem->Tag, TagsAreTexts(*this));
  }
  if (Item->StyleNo == rvsBreak) Item->ParaNo = 0;
  const bool isBreak = Item->StyleNo == rvsBreak;
  bool f = false;
  if (fullLine && insertAt < GetItemCount()) {
    // The item that will follow starts its paragraph before the full-line item arrives, so
    // that it keeps its own paragraph style rather than taking the new item's.
    Do_NewLine(insertAt, false, -1, f);
    full |= f;
    Do_BR(insertAt, false, f);
    full |= f;
  }
  Do_InsertItem(insertAt, S, std::move(Item), true, f);
  full |= f;
  if (joinAfter >= 0) {
    Do_NewLine(joinAfter, true, -1, f);
    full |= f;
  }
  if (ownParaNo >= 0 && ownParaNo != GetItemParaNo(insertAt) && !isBreak) {
    Do_ParaList(GetParaStartItemNo(insertAt), GetParaEndItemNo(insertAt), f, ownParaNo);
    full |= f;
  }
  InsertItemNo = insertAt;
  ItemsAdded = GetItemCount() - countBefore;
  FullReformat = full;
  return true;
}

bool TRVEditRVData::InsertItemAtCaretAndFormat(std::unique_ptr<TCustomRVItemInfo> Item, std::string S) {
  if (CaretDrawItemNo < 0) {
    Beep();
    return false;
  }
  int firstDItem, lastDItem;
  GetCaretParaDrawRange(firstDItem, lastDItem);
  const int32_t docMinWidth = DocMinWidth;
  int itemNo, itemsAdded;
  bool full;
  if (!InsertItemAtCaret(Item, S, itemNo, itemsAdded, full)) {
    Beep();
    return false;
  }
  FormatAfterEdit(full || CalculateMinItemWidth(itemNo) > docMinWidth, firstDItem, lastDItem, itemsAdded);
  PlaceCaretAtItem(itemNo, GetItemEndOffset(itemNo), false);
  return true;
}
