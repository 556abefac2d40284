// Restyling the selected text through the application's conversion rule: the editor asks
// its conversion handler which text style each run of the selection gets, cuts items at the
// selection's edges so that only the selected characters change, applies the answers with
// undo and joins neighbours that end up alike.
#include <algorithm>

#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/table/RVTable.h"

namespace {

/// One conversion run: the handler and what it is asked with.
struct TStyleConversion {
  TRVEditRVData& Data;
  TCustomRVEdit* Editor;
  int UserData;

  /// The handler's answer for a run of StyleNo.
  int32_t NewStyleFor(int32_t StyleNo, bool AppliedToText) const {
    int newStyleNo = StyleNo;
    Editor->CurrentConversion(Editor, StyleNo, UserData, AppliedToText, newStyleNo);
    const TRVStyle* style = Data.GetRVStyle();
    if (style == nullptr || newStyleNo < 0 || newStyleNo >= style->TextStyles().Count()) return StyleNo;
    return newStyleNo;
  }

  /// Gives text item ItemNo the style NewStyleNo: its tag cleared when the editor asks for
  /// it, its text converted when exactly one of the two styles is Unicode.
  void SetItemStyle(int ItemNo, int32_t NewStyleNo) const {
    const int32_t oldStyleNo = Data.GetItemStyleNo(ItemNo);
    if (NewStyleNo == oldStyleNo) return;
    if ((Editor->EditorOptions & rvoClearTagOnStyleApp) != 0) Data.Do_Tag(ItemNo, TRVTag(), true);
    const bool oldUnicode = Data.IsUnicodeStyle(oldStyleNo);
    const bool newUnicode = Data.IsUnicodeStyle(NewStyleNo);
    if (oldUnicode && !newUnicode)
      Data.Do_ChangeText(ItemNo,
                         RVUnicodeToAnsi(Data.GetStyleCodePage(NewStyleNo), Data.GetItemText(ItemNo)));
    else if (!oldUnicode && newUnicode)
      Data.Do_ChangeText(ItemNo,
                         RVAnsiToUnicode(Data.GetStyleCodePage(oldStyleNo), Data.GetItemText(ItemNo)));
    Data.Do_StyleNo(ItemNo, NewStyleNo);
  }

  /// Converts item ItemNo whole; a table converts the text of all its cells.
  void ConvertWhole(int ItemNo) const {
    TCustomRVItemInfo* item = Data.GetItem(ItemNo);
    if (item->IsTextItem())
      SetItemStyle(ItemNo, NewStyleFor(Data.GetItemStyleNo(ItemNo), true));
    else if (auto* table = dynamic_cast<TRVTableItemInfo*>(item))
      ConvertTable(*table);
  }

  /// A table inside the selection is selected whole: every cell's text is converted. The
  /// table works on its selected cells, so all of them are selected for the while; group
  /// mode keeps its records in the conversion's undo group.
  void ConvertTable(TRVTableItemInfo& Table) const {
    const int rows = Table.Rows().Count();
    const int cols = Table.Rows().GetColCount();
    if (rows == 0 || cols == 0) return;
    // Undone also when the conversion fails: no cell stays selected, group mode ends.
    struct TCleanup {
      TRVEditRVData& Data;
      TRVTableItemInfo& Table;
      ~TCleanup() {
        Data.SetUndoGroupMode(false);
        Table.Deselect();
        Data.SetPartiallySelectedItem(nullptr);
      }
    };
    Data.SetUndoGroupMode(true);
    const TCleanup cleanup{Data, Table};
    Table.Select(0, 0, cols - 1, rows - 1);
    TRVTableCommands::ApplyStyleConversionToCells(Table, UserData);
  }

  /// Converts From..To (item offsets, From < To) of text item ItemNo, which does not cover
  /// the whole item. The selected characters end up in an item of their own, which is
  /// answered with its offsets.
  void ConvertPart(int ItemNo, int From, int To, int& PartItemNo, int& PartFrom, int& PartTo,
                   bool& FullReformat) const {
    PartItemNo = ItemNo;
    PartFrom = From;
    PartTo = To;
    const int32_t newStyleNo = NewStyleFor(Data.GetItemStyleNo(ItemNo), true);
    if (newStyleNo == Data.GetItemStyleNo(ItemNo)) return;
    // The unselected tail is cut off first, so that the head keeps its place.
    Data.SplitTextItem(ItemNo, To, FullReformat);
    if (From > Data.GetItemStartOffset(ItemNo)) {
      Data.SplitTextItem(ItemNo, From, FullReformat);
      PartItemNo = ItemNo + 1;
    }
    PartFrom = Data.GetItemStartOffset(PartItemNo);
    PartTo = Data.GetItemEndOffset(PartItemNo);
    SetItemStyle(PartItemNo, newStyleNo);
  }
};

}  // namespace

void TRVEditRVData::ApplyStyleConversion(int UserData) {
  if (auto* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->EditRVData().ApplyStyleConversion(UserData);
    return;
  }
  TCustomRVEdit* editor = Editor();
  TRVStyle* style = GetRVStyle();
  if (editor == nullptr || !editor->CurrentConversion || style == nullptr) return;
  const TStyleConversion conversion{*this, editor, UserData};

  const bool currentValid = CurTextStyleNo >= 0 && CurTextStyleNo < style->TextStyles().Count();
  if (currentValid && (style->TextStyles().Items(CurTextStyleNo)->Protection & rvprDoNotAutoSwitch) == 0)
    LastTextStyleNo = CurTextStyleNo;
  const int32_t newCurrent = conversion.NewStyleFor(CurTextStyleNo, false);

  if (!SelectionExists()) {
    if (TRVTableItemInfo* table = dynamic_cast<TRVTableItemInfo*>(PartiallySelectedItem)) {
      TRVTableCommands::ApplyStyleConversionToCells(*table, UserData);
    } else {
      int itemNo, offs;
      GetCaretItemPos(itemNo, offs);
      if (itemNo >= 0 && GetItem(itemNo)->IsTextItem() && GetItemText(itemNo).empty()) {
        BeginUndoSequence(rvutStyleNo, true);
        int firstDItem, lastDItem;
        GetCaretParaDrawRange(firstDItem, lastDItem);
        conversion.ConvertWhole(itemNo);
        FormatAfterEdit(false, firstDItem, lastDItem, 0);
        PlaceCaretAtItem(itemNo, offs, true);
        Change(true);
      }
    }
    SetCurTextStyleNo(newCurrent);
    return;
  }

  BeginUndoSequence(rvutStyleNo, true);
  int anchorNo, anchorOffs, movingNo, movingOffs;
  GetItemSelectionBounds(anchorNo, anchorOffs, movingNo, movingOffs, false);
  const bool forward = anchorNo < movingNo || (anchorNo == movingNo && anchorOffs <= movingOffs);
  int startNo = forward ? anchorNo : movingNo, startOffs = forward ? anchorOffs : movingOffs;
  int endNo = forward ? movingNo : anchorNo, endOffs = forward ? movingOffs : anchorOffs;
  int startDNo, startDOffs, endDNo, endDOffs;
  GetSelBoundsInDrawItems(startDNo, startDOffs, endDNo, endDOffs, true);
  int firstDItem, lastDItem;
  ExpandToParaDrawItems(startDNo, endDNo, firstDItem, lastDItem);
  const int32_t docMinWidth = DocMinWidth;
  const int32_t widthBefore = CalculateMinItemsWidth(startNo, endNo);
  const int countBefore = GetItemCount();
  bool full = false;

  const auto coversWhole = [this](int ItemNo, int From, int To) {
    return From <= GetItemStartOffset(ItemNo) && To >= GetItemEndOffset(ItemNo);
  };
  const auto convertRange = [&](int ItemNo, int From, int To, int& NewItemNo, int& NewFrom, int& NewTo) {
    NewItemNo = ItemNo;
    NewFrom = From;
    NewTo = To;
    // A selection that only touches an item from outside (it ends before the item or
    // begins after it) leaves the item alone.
    if (!GetItem(ItemNo)->IsTextItem()) {
      if (From < To) conversion.ConvertWhole(ItemNo);
    } else if (coversWhole(ItemNo, From, To))
      conversion.ConvertWhole(ItemNo);
    else if (From < To)
      conversion.ConvertPart(ItemNo, From, To, NewItemNo, NewFrom, NewTo, full);
  };

  if (startNo == endNo) {
    convertRange(startNo, startOffs, endOffs, startNo, startOffs, endOffs);
    endNo = startNo;
  } else {
    // From the last item back to the first, so that cutting an item moves none still to come.
    int lastNo, lastFrom, lastTo;
    convertRange(endNo, GetItemStartOffset(endNo), endOffs, lastNo, lastFrom, lastTo);
    endOffs = lastTo;
    for (int i = endNo - 1; i > startNo; --i) conversion.ConvertWhole(i);
    const int before = GetItemCount();
    int firstNo, firstFrom, firstTo;
    convertRange(startNo, startOffs, GetItemEndOffset(startNo), firstNo, firstFrom, firstTo);
    endNo += GetItemCount() - before;
    startNo = firstNo;
    startOffs = firstFrom;
  }

  // Neighbours that ended up alike are joined, last first.
  const int lastAffected = std::min(endNo + 1, GetItemCount() - 1);
  const int firstAffected = std::max(startNo, 1);
  for (int i = lastAffected; i >= firstAffected; --i)
    MergeKeepingPositions(i - 1, startNo, startOffs, endNo, endOffs);

  full = full || widthBefore >= docMinWidth || CalculateMinItemsWidth(startNo, endNo) > docMinWidth;
  FormatAfterEdit(full, firstDItem, lastDItem, GetItemCount() - countBefore);
  if (forward)
    SetSelectionBounds(startNo, startOffs, endNo, endOffs);
  else
    SetSelectionBounds(endNo, endOffs, startNo, startOffs);
  SetCurTextStyleNo(newCurrent);
  if (forward)
    PlaceCaretAtItem(endNo, endOffs, true);
  else
    PlaceCaretAtItem(startNo, startOffs, true);
  Change(true);
}
