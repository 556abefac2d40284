// New content at the caret: 8-bit and UTF-16 text (broken into paragraphs at line ends),
// typed characters, and RVF and RTF streams. The editor control frames each insertion with
// its undo group; the work here records through the primitives, lays out again only what it
// must, and leaves the caret after the new content.
#include <algorithm>
#include <vector>

#include "richtext/core/RVRTFImport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/viewer/RVViewer.h"

namespace {

/// A position in the item list.
struct TItemPos {
  int ItemNo = -1;
  int Offs = 0;
};

/// Splits 8-bit text at line ends: CR LF, a lone CR and a lone LF each end one line.
std::vector<std::string> SplitLinesA(const std::string& Text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

/// Splits UTF-16 text at line ends: CR, LF, and a CR LF or LF CR pair each end one line.
std::vector<std::u16string> SplitLinesW(const std::u16string& Text) {
  std::vector<std::u16string> lines(1);
  for (size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    if (c == u'\r' || c == u'\n') {
      const char16_t pair = c == u'\r' ? u'\n' : u'\r';
      if (i + 1 < Text.size() && Text[i + 1] == pair) ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

/// Joins item ItemNo + 1 into ItemNo when they may be joined, keeping both positions on
/// their characters.
bool MergeWithNext(TRVEditRVData& Data, int ItemNo, TItemPos& Pos1, TItemPos& Pos2) {
  return Data.MergeKeepingPositions(ItemNo, Pos1.ItemNo, Pos1.Offs, Pos2.ItemNo, Pos2.Offs);
}

/// Whether the caret's item takes typed text directly: a text item of the current text
/// style whose protection allows it. Protection that forbids changes strictly inside the
/// text refuses outright (Refused).
bool TakesTextDirectly(const TRVEditRVData& Data, int ItemNo, int Offs, bool& Refused) {
  Refused = false;
  const TCustomRVItemInfo* item = Data.GetItem(ItemNo);
  if (!item->IsTextItem() || item->StyleNo != Data.CurTextStyleNo) return false;
  if (Data.IsItemProtected(ItemNo, rvprConcateProtect)) return false;
  if (!Data.IsItemProtected(ItemNo, rvprModifyProtect)) return true;
  Refused = Offs > Data.GetItemStartOffset(ItemNo) && Offs < Data.GetItemEndOffset(ItemNo);
  return false;
}

/// Inserts lines of text (each already in the current text style's form) at the caret:
/// the first joins the caret's position, each further one opens a new paragraph.
bool InsertLines(TRVEditRVData& Data, const std::vector<std::string>& Lines, bool CaretBefore) {
  int itemNo, offs;
  Data.GetCaretItemPos(itemNo, offs);
  if (itemNo < 0) {
    Data.Beep();
    return false;
  }
  int firstDItem, lastDItem;
  Data.GetCaretParaDrawRange(firstDItem, lastDItem);
  const int32_t docMinWidth = Data.DocMinWidth;
  const int countBefore = Data.GetItemCount();
  bool full = false;
  TItemPos start, end;
  bool refused = false;
  if (TakesTextDirectly(Data, itemNo, offs, refused)) {
    Data.Do_InsertSubstring(itemNo, offs, Lines.front());
    start = {itemNo, offs};
    end = {itemNo, offs + RVCharCount(Lines.front(), Data.GetItem(itemNo)->ItemOptions)};
  } else {
    std::unique_ptr<TCustomRVItemInfo> item =
        Data.CreateTextItem(TRVTag(), Data.CurParaStyleNo, false, false, Data.CurTextStyleNo);
    std::string text = Lines.front();
    int newItemNo = -1, added = 0;
    bool f = false;
    if (refused || !Data.InsertItemAtCaret(item, text, newItemNo, added, f)) {
      Data.Beep();
      return false;
    }
    full |= f;
    start = {newItemNo, Data.GetItemStartOffset(newItemNo)};
    end = {newItemNo, Data.GetItemEndOffset(newItemNo)};
  }
  bool markers = false;
  if (Lines.size() > 1) Data.SplitTextItem(end.ItemNo, end.Offs, full);
  for (size_t i = 1; i < Lines.size(); ++i) {
    std::unique_ptr<TCustomRVItemInfo> item =
        Data.CreateTextItem(TRVTag(), Data.CurParaStyleNo, false, false, Data.CurTextStyleNo);
    int at = end.ItemNo + 1;
    if (Data.InsertMarkerCopy(end.ItemNo, at)) {
      ++at;
      item->SetSameAsPrev(true);
      markers = true;
    }
    std::string text = Lines[i];
    bool f = false;
    Data.Do_InsertItem(at, text, std::move(item), false, f);
    full |= f;
    end = {at, Data.GetItemEndOffset(at)};
  }
  MergeWithNext(Data, end.ItemNo, start, end);
  MergeWithNext(Data, start.ItemNo - 1, start, end);
  full |= Data.CalculateMinRangeWidth(start.ItemNo, end.ItemNo) > docMinWidth;
  Data.FormatAfterEdit(full, firstDItem, lastDItem, Data.GetItemCount() - countBefore);
  const TItemPos caret = CaretBefore ? start : end;
  Data.PlaceCaretAtItem(caret.ItemNo, caret.Offs, true);
  if (markers) Data.UpdateMarkersAfterChange(start.ItemNo, end.ItemNo);
  return true;
}

/// The current text style's form of a line given as UTF-16: UTF-16 bytes, or 8-bit text of
/// the style's code page; tabs expanded.
std::string LineForCurrentStyle(const TRVEditRVData& Data, std::string Utf16OrAnsi, bool IsUtf16) {
  const bool unicodeStyle = Data.IsUnicodeStyle(Data.CurTextStyleNo);
  const TRVCodePage codePage = Data.GetStyleCodePage(Data.CurTextStyleNo);
  if (IsUtf16 && !unicodeStyle) Utf16OrAnsi = RVUnicodeToAnsi(codePage, Utf16OrAnsi);
  if (!IsUtf16 && unicodeStyle) Utf16OrAnsi = RVAnsiToUnicode(codePage, Utf16OrAnsi);
  return Data.ExpandTabs(Utf16OrAnsi, Data.CurTextStyleNo, unicodeStyle);
}

}  // namespace

bool TRVEditRVData::InsertTextA(const std::string& Text, bool CaretBefore) {
  if (Text.empty()) {
    InvalidateControl();
    return true;
  }
  std::vector<std::string> lines = SplitLinesA(Text);
  for (std::string& line : lines) line = LineForCurrentStyle(*this, std::move(line), false);
  return InsertLines(*this, lines, CaretBefore);
}

bool TRVEditRVData::InsertTextW(const std::string& Text, bool CaretBefore) {
  const std::u16string wide = RVBytesToWideString(Text);
  if (wide.empty()) {
    InvalidateControl();
    return true;
  }
  std::vector<std::string> lines;
  for (const std::u16string& line : SplitLinesW(wide))
    lines.push_back(LineForCurrentStyle(*this, RVWideStringToBytes(line), true));
  return InsertLines(*this, lines, CaretBefore);
}

// ---------------------------------------------------------------------------------------
// Typing

void TRVEditRVData::TypeText(const std::string& Chars) {
  if (GetRVStyle() == nullptr || HasPendingNestedEdit() || !CanInsertHere()) {
    Beep();
    return;
  }
  const bool unicode = IsUnicodeStyle(CurTextStyleNo);
  const int charCount = static_cast<int>(unicode ? Chars.size() / 2 : Chars.size());
  if (charCount == 0) return;
  const std::string chars = Chars.substr(0, unicode ? static_cast<size_t>(charCount) * 2 : Chars.size());
  int itemNo, offs;
  GetCaretItemPos(itemNo, offs);
  if (itemNo < 0) {
    Beep();
    return;
  }
  // At the end of an item of another style, typing continues the next item when that one
  // is text of the current style on the same line.
  const TCustomRVItemInfo* caretItem = GetItem(itemNo);
  if ((!caretItem->IsTextItem() || caretItem->StyleNo != CurTextStyleNo) &&
      offs >= GetItemEndOffset(itemNo) && itemNo + 1 < GetItemCount() &&
      GetItemStyleNo(itemNo + 1) == CurTextStyleNo && !StartsParagraph(itemNo + 1)) {
    ++itemNo;
    offs = GetItemStartOffset(itemNo);
  }
  bool refused = false;
  if (!TakesTextDirectly(*this, itemNo, offs, refused)) {
    if (refused) {
      Beep();
      return;
    }
    BeginUndoSequence(rvutInsert, true);
    if (!InsertItemAtCaretAndFormat(CreateTextItem(TRVTag(), CurParaStyleNo, false, false, CurTextStyleNo),
                                    chars))
      UndoList->DeleteEmptyLastGroup();
    return;
  }
  int firstDItem, lastDItem;
  GetCaretParaDrawRange(firstDItem, lastDItem);
  const int32_t docMinWidth = DocMinWidth;
  TCustomRVItemInfo* item = GetItem(itemNo);
  const bool takesParaStyle = GetItemText(itemNo).empty() && item->ParaNo != CurParaStyleNo;
  bool full = false;
  if (charCount == 1 && !takesParaStyle) {
    // One character joins the running typing record; the text changes in place.
    if (UndoList->Limit != 0) UndoList->AddTyping(itemNo, offs, unicode);
    std::string text = GetItemText(itemNo);
    RVInsertChars(chars, text, offs, item->ItemOptions);
    SetItemText(itemNo, text);
  } else {
    BeginUndoSequence(rvutMiscTyping, true);
    if (takesParaStyle)
      Do_ParaList(GetParaStartItemNo(itemNo), GetParaEndItemNo(itemNo), full, CurParaStyleNo);
    Do_InsertSubstring(itemNo, offs, chars);
  }
  FormatAfterEdit(full || CalculateMinItemWidth(itemNo) > docMinWidth, firstDItem, lastDItem, 0);
  PlaceCaretAtItem(itemNo, offs + charCount, true);
}

// ---------------------------------------------------------------------------------------
// Streams

void TRVEditRVData::GetInsertionIndex(int& Index, bool& AfterItem) {
  int offs;
  GetCaretItemPos(Index, offs);
  AfterItem = Index >= 0 && offs >= GetItemEndOffset(Index);
}

namespace {

/// After a stream put Count new items in front of item End: records them as one inserted
/// range, joins them to their neighbours, lays out and puts the caret after them. The layout
/// shows LaidOutCount items.
void FinishStreamInsertion(TRVEditRVData& Data, int End, int Count, int LaidOutCount, bool Full,
                           int FirstDItem, int LastDItem, int32_t MinWidth) {
  const int first = End - Count;
  bool full = Full;
  bool f = false;
  TRVUndoInsertItemsInfo* record = Data.Do_BeginInsertItems(first, Count);
  Data.Do_EndInsertItems(first, Count, f, record);
  full |= f;
  TItemPos firstPos{first, 0};
  TItemPos last{End - 1, Data.GetItemEndOffset(End - 1)};
  MergeWithNext(Data, last.ItemNo, firstPos, last);
  if (first > 0 && Data.GetItem(first)->GetSameAsPrev() &&
      Data.GetItemParaNo(first) != Data.GetItemParaNo(first - 1)) {
    Data.Do_ParaList(first, Data.GetParaEndItemNo(first), f, Data.GetItemParaNo(first - 1));
    full |= f;
  }
  MergeWithNext(Data, first - 1, firstPos, last);
  full |= Data.CalculateMinRangeWidth(firstPos.ItemNo, last.ItemNo) > MinWidth;
  // The joins above removed items again: the layout needs the net number added.
  Data.FormatAfterEdit(full, FirstDItem, LastDItem, Data.GetItemCount() - LaidOutCount);
  Data.PlaceCaretAtItem(last.ItemNo, Data.GetItemEndOffset(last.ItemNo), false);
}

/// What an insertion of a stream needs before it reads.
struct TStreamInsertion {
  int Index = -1;  // the insertion index
  int CountBefore = 0;
  int LaidOutCount = 0;  // the number of items the current layout shows
  int FirstDItem = 0;
  int LastDItem = 0;
  int32_t MinWidth = 0;
};

bool PrepareStreamInsertion(TRVEditRVData& Data, TStreamInsertion& Ins) {
  bool after = false;
  Data.GetInsertionIndex(Ins.Index, after);
  if (Ins.Index < 0) return false;
  if (after) ++Ins.Index;
  Data.BeginUndoSequence(rvutInsert, true);
  Data.GetCaretParaDrawRange(Ins.FirstDItem, Ins.LastDItem);
  Ins.MinWidth = Data.DocMinWidth;
  Ins.CountBefore = Data.GetItemCount();
  // The caller may have cut the caret's text in two since the last layout; the layout
  // needs the change against the items it was made of.
  const TRVDrawLines& pieces = Data.DrawItems();
  Ins.LaidOutCount = pieces.Count() > 0 ? pieces[pieces.Count() - 1]->ItemNo + 1 : Ins.CountBefore;
  return true;
}

/// A stream that could not be read: what it inserted stays, recorded, and joins its
/// neighbours where it may; the document is laid out again in full.
void FailStreamInsertion(TRVEditRVData& Data, int End, int Count) {
  if (Count > 0) {
    bool f = false;
    TRVUndoInsertItemsInfo* record = Data.Do_BeginInsertItems(End - Count, Count);
    Data.Do_EndInsertItems(End - Count, Count, f, record);
  }
  // A text cut at the caret for the insertion is joined again where nothing came between.
  TItemPos first{End - std::max(Count, 0), 0}, last{End - 1, 0};
  MergeWithNext(Data, last.ItemNo, first, last);
  MergeWithNext(Data, first.ItemNo - 1, first, last);
  Data.FormatLines(true, true, false, 0, nullptr, false, false);
  Data.InvalidateControl();
  Data.Beep();
}

}  // namespace

bool TRVEditRVData::InsertRVFAtCaret(TStream& Stream) {
  TStreamInsertion ins;
  if (!PrepareStreamInsertion(*this, ins)) {
    Beep();
    return false;
  }
  int index = ins.Index;
  TColor color = clNone;
  int inserted = 0;
  bool reading = false, fullFromReader = false;
  const bool ok = InsertRVFFromStreamFull(Stream, index, -1, false, true, true, color, GetBackground(),
                                          nullptr, inserted, reading, fullFromReader);
  const int count = GetItemCount() - ins.CountBefore;
  if (!ok) {
    FailStreamInsertion(*this, index, count);
    return false;
  }
  if (count <= 0) return ok;
  if (color != clNone && Viewer() != nullptr) Viewer()->SetColor(color);
  FinishStreamInsertion(*this, index, count, ins.LaidOutCount, fullFromReader, ins.FirstDItem, ins.LastDItem,
                        ins.MinWidth);
  return true;
}

bool TRVEditRVData::InsertRTFAtCaret(TStream& Stream) {
  if (Viewer() == nullptr || !Viewer()->HasRTFReadProperties()) return false;
  TStreamInsertion ins;
  if (!PrepareStreamInsertion(*this, ins)) {
    Beep();
    return false;
  }
  int lastMade = ins.Index;
  const uint8_t result = Viewer()->GetRTFReadProperties()->ReadRTF(Stream, this, lastMade);
  const int count = GetItemCount() - ins.CountBefore;
  int end = lastMade >= 0 ? lastMade + 1 : ins.Index + count;
  if (end - std::max(count, 0) < 0 || end > GetItemCount()) end = ins.Index + count;
  if (result != 0) {
    FailStreamInsertion(*this, end, count);
    return false;
  }
  if (count <= 0) return true;
  FinishStreamInsertion(*this, end, count, ins.LaidOutCount, false, ins.FirstDItem, ins.LastDItem,
                        ins.MinWidth);
  return true;
}
