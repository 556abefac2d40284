// The undo list, its groups and the undo of every record. A record is undone through the
// primitive that reverses it; that primitive writes its own inverse into the other list,
// which the group performing the undo has opened beforehand.
#include "richtext/editor/RVUndo.h"

#include <algorithm>
#include <climits>

#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"

namespace {

/// The document's minimal width as the primitives compare with it.
int32_t DocWidth(TRVEditRVData* RVData) {
  return RVData->DocMinWidth;
}

bool ValidItem(TRVEditRVData* RVData, int ItemNo) {
  return ItemNo >= 0 && ItemNo < RVData->GetItemCount();
}

/// The minimal width of the item's paragraph, 0 for an item that is not there.
int32_t ItemWidth(TRVEditRVData* RVData, int ItemNo) {
  return ValidItem(RVData, ItemNo) ? RVData->CalculateMinItemWidth(ItemNo) : 0;
}

/// Replaces the text of a text item without recording: typing keeps its own records.
void SetTextUnrecorded(TRVEditRVData* RVData, int ItemNo, const std::string& Text) {
  if (!ValidItem(RVData, ItemNo) || !RVData->GetItem(ItemNo)->IsTextItem()) throw Exception("Undo error");
  std::string changed = Text;
  RVData->ItemAction(rviaTextModifying, RVData->GetItem(ItemNo), changed, RVData);
  RVData->GetItems().Put(ItemNo, std::move(changed));
}

}  // namespace

bool WidthChangeMatters(int ItemNo, int32_t OldWidth, TRVEditRVData* RVData) {
  // An item that is gone cannot be measured: formatting everything is always right.
  if (!ValidItem(RVData, ItemNo)) return true;
  const int32_t width = RVData->CalculateMinItemWidth(ItemNo);
  if (width == OldWidth) return false;
  if (OldWidth >= DocWidth(RVData)) return true;
  return width > DocWidth(RVData);
}

void FreeUndoItem(std::unique_ptr<TCustomRVItemInfo> Item, TCustomRVData* RVData) {
  if (!Item) return;
  if (RVData != nullptr) {
    std::string none;
    RVData->ItemAction(rviaDestroying, Item.get(), none, RVData);
    RVData->NotifyControlAction(rvcaDestroyInUndoList, -1, Item.get());
  }
  Item->Tag = TRVTag();
  Item->Checkpoint.reset();
  Item.reset();
}

// ---------------------------------------------------------------------------------------
// Records

bool TRVUndoInfo::NeedsFullReformatBefore(TRVEditRVData* /*RVData*/) {
  return false;
}

bool TRVUndoInfo::NeedsFullReformatAfter(TRVEditRVData* /*RVData*/) {
  return false;
}

void TRVUndoInfo::Undo(TRVEditRVData* /*RVData*/) {}

void TRVUndoInfo::GetAffectedRange(int& /*First*/, int& /*Last*/, TRVEditRVData* /*RVData*/) {}

TCustomRVData* TRVUndoInfo::GetRVData() const {
  return List != nullptr ? List->RVData : nullptr;
}

void TRVUndoItemNoInfo::GetAffectedRange(int& First, int& Last, TRVEditRVData* /*RVData*/) {
  if (ItemNo < 0) return;
  First = ItemNo;
  Last = LastAffectedItemNo >= 0 ? LastAffectedItemNo : ItemNo;
}

void TRVUndoReformateRange::Undo(TRVEditRVData* RVData) {
  RVData->Do_ReformateRange(ItemNo, LastAffectedItemNo, FullRootReformat);
}

void TRVUndoResizeInfo::Undo(TRVEditRVData* RVData) {
  OldWidth = ItemWidth(RVData, ItemNo);
  RVData->Do_Resize(ItemNo, Width, Height, true);
}

bool TRVUndoResizeInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

void TRVUndoChangeTextInfo::Undo(TRVEditRVData* RVData) {
  OldWidth = ItemWidth(RVData, ItemNo);
  RVData->Do_ChangeText(ItemNo, S);
}

bool TRVUndoChangeTextInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

void TRVUndoDeleteSubstringInfo::Undo(TRVEditRVData* RVData) {
  OldWidth = ItemWidth(RVData, ItemNo);
  RVData->Do_InsertSubstring(ItemNo, Index, S);
}

bool TRVUndoDeleteSubstringInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

int TRVRedoTypingInfo::CharCount() const {
  return static_cast<int>(S.size()) / (Unicode ? 2 : 1);
}

void TRVRedoTypingInfo::Undo(TRVEditRVData* RVData) {
  if (S.empty()) return;
  OldWidth = ItemWidth(RVData, ItemNo);
  const size_t size = Unicode ? 2 : 1;
  if (S.size() < size) {
    S.clear();
    return;
  }
  // S holds the characters in the order they were taken back: the last one was typed first.
  const int position = Index - CharCount();
  if (!ValidItem(RVData, ItemNo)) throw Exception("Undo error");
  std::string text = RVData->GetItemText(ItemNo);
  const size_t at = static_cast<size_t>(position - 1) * size;
  if (position < 1 || at > text.size()) throw Exception("Undo error");
  text.insert(at, S, S.size() - size, size);
  S.erase(S.size() - size);
  SetTextUnrecorded(RVData, ItemNo, text);
  RVData->UndoList->AddTyping(ItemNo, position, Unicode);
}

bool TRVRedoTypingInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

TRVUndoItemInfo::~TRVUndoItemInfo() {
  FreeUndoItem(std::move(Item), GetRVData());
}

void TRVUndoDeleteItemInfo::Undo(TRVEditRVData* RVData) {
  if (!Item) return;
  bool fullReformat = false;
  std::string text = S;
  RVData->Do_InsertItem(ItemNo, text, std::move(Item), true, fullReformat);
}

bool TRVUndoDeleteItemInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return FullReformat || ItemWidth(RVData, ItemNo) > DocWidth(RVData);
}

TRVUndoStringItemListInfo::~TRVUndoStringItemListInfo() {
  TCustomRVData* data = GetRVData();
  for (int i = 0; i < ItemList.Count(); ++i) FreeUndoItem(ItemList.ExtractObject(i), data);
  ItemList.Clear();
}

void TRVUndoItemRangeInfo::GetAffectedRange(int& First, int& Last, TRVEditRVData* /*RVData*/) {
  First = StartItemNo;
  Last = LastAffectedItemNo >= 0 ? LastAffectedItemNo : StartItemNo + ItemList.Count();
}

void TRVUndoDeleteItemsInfo::Undo(TRVEditRVData* RVData) {
  AddedCount_ = ItemList.Count();
  if (AddedCount_ == 0) return;
  bool fullReformat = false;
  RVData->Do_ReinsertItems(StartItemNo, ItemList, fullReformat, true);
  EndItemNo = StartItemNo + AddedCount_ - 1;
}

int TRVUndoDeleteItemsInfo::ItemsAdded() const {
  // Asked before the undo (the items still held) and after it (the number given back).
  return std::max(ItemList.Count(), AddedCount_);
}

bool TRVUndoDeleteItemsInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  if (FullReformat) return true;
  if (!ValidItem(RVData, StartItemNo) || !ValidItem(RVData, EndItemNo)) return true;
  return RVData->CalculateMinRangeWidth(StartItemNo, EndItemNo) > DocWidth(RVData);
}

void TRVUndoParaListInfo::Undo(TRVEditRVData* RVData) {
  bool fullReformat = false;
  RVData->Do_ParaNos(StartItemNo, IntList, fullReformat);
}

void TRVUndoParaListInfo::GetAffectedRange(int& First, int& Last, TRVEditRVData* /*RVData*/) {
  First = StartItemNo;
  Last = StartItemNo + IntList.Count();
}

void TRVUndoParaInfo::Undo(TRVEditRVData* RVData) {
  bool fullReformat = false;
  RVData->Do_ParaList(ItemNo, ItemNo + Count - 1, fullReformat, ParaNo);
}

void TRVUndoParaInfo::GetAffectedRange(int& First, int& Last, TRVEditRVData* /*RVData*/) {
  First = ItemNo;
  Last = ItemNo + Count;
}

void TRVUndoStyleNoInfo::Undo(TRVEditRVData* RVData) {
  OldWidth = ItemWidth(RVData, ItemNo);
  RVData->Do_StyleNo(ItemNo, StyleNo);
}

bool TRVUndoStyleNoInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

void TRVUndoNewLineInfo::Undo(TRVEditRVData* RVData) {
  bool fullReformat = false;
  RVData->Do_NewLine(ItemNo, SameAsPrev, ParaNo, fullReformat);
}

void TRVUndoBRInfo::Undo(TRVEditRVData* RVData) {
  bool fullReformat = false;
  RVData->Do_BR(ItemNo, BR, fullReformat);
}

void TRVUndoPageBreakInfo::Undo(TRVEditRVData* RVData) {
  RVData->Do_PageBreak(ItemNo, PageBreakBefore);
}

void TRVUndoExtraIntProperty::Undo(TRVEditRVData* RVData) {
  OldWidth = ItemWidth(RVData, ItemNo);
  RVData->Do_ExtraIntProperty(ItemNo, Prop, Value);
}

bool TRVUndoExtraIntProperty::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

void TRVUndoInsertSubstringInfo::Undo(TRVEditRVData* RVData) {
  OldWidth = ItemWidth(RVData, ItemNo);
  RVData->Do_DeleteSubstring(ItemNo, Index, Length);
}

bool TRVUndoInsertSubstringInfo::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  return WidthChangeMatters(ItemNo, OldWidth, RVData);
}

void TRVUndoTypingInfo::Undo(TRVEditRVData* RVData) {
  if (Length <= 0) return;
  if (!ValidItem(RVData, ItemNo) || Index < 1) throw Exception("Undo error");
  OldWidth = RVData->CalculateMinItemWidth(ItemNo);
  const size_t size = Unicode ? 2 : 1;
  const std::string& text = RVData->GetItemText(ItemNo);
  // One character per undo step: the one typed last.
  const size_t from = static_cast<size_t>(Index + Length - 2) * size;
  if (from + size > text.size()) throw Exception("Undo error");
  const std::string removed = text.substr(from, size);
  std::string changed = text;
  changed.erase(from, size);
  SetTextUnrecorded(RVData, ItemNo, changed);
  --Length;
  RVData->RedoList->AddUntyping(removed, ItemNo, Index + Length + 1);
}

void TRVUndoInsertItemsInfo::Undo(TRVEditRVData* RVData) {
  bool fullReformat = false;
  RVData->Do_DeleteItems(ItemNo, ItemNo + Count - 1, fullReformat);
}

bool TRVUndoInsertItemsInfo::NeedsFullReformatBefore(TRVEditRVData* RVData) {
  if (!ValidItem(RVData, ItemNo) || !ValidItem(RVData, ItemNo + Count - 1)) return true;
  return RVData->CalculateMinRangeWidth(ItemNo, ItemNo + Count - 1) >= DocWidth(RVData);
}

void TRVUndoInsertItemInfo::Undo(TRVEditRVData* RVData) {
  bool fullReformat = false;
  RVData->Do_DeleteItem(ItemNo, fullReformat);
}

bool TRVUndoInsertItemInfo::NeedsFullReformatBefore(TRVEditRVData* RVData) {
  return !ValidItem(RVData, ItemNo) || RVData->CalculateMinItemWidth(ItemNo) >= DocWidth(RVData);
}

void TRVUndoTagInfo::Undo(TRVEditRVData* RVData) {
  RVData->Do_Tag(ItemNo, Tag, false);
}

void TRVUndoAddCPInfo::Undo(TRVEditRVData* RVData) {
  RVData->Do_DeleteCP(ItemNo);
}

void TRVUndoDeleteCPInfo::Undo(TRVEditRVData* RVData) {
  if (Checkpoint) RVData->Do_AddCP(ItemNo, std::move(Checkpoint));
}

bool TRVUndoModifyItemProps::NeedsFullReformatBefore(TRVEditRVData* RVData) {
  if (!AffectWidth || !AffectSize) return false;
  OldWidth = ItemWidth(RVData, ItemNo);
  return DocWidth(RVData) <= OldWidth;
}

bool TRVUndoModifyItemProps::NeedsFullReformatAfter(TRVEditRVData* RVData) {
  if (!AffectWidth || !AffectSize) return false;
  const int32_t width = ItemWidth(RVData, ItemNo);
  return width != OldWidth && width > DocWidth(RVData);
}

void TRVUndoModifyItemTerminator::Undo(TRVEditRVData* RVData) {
  RVData->AddModifyItemTerminator(ItemNo, !Opening);
}

TPersistent* TRVUndoModifyItemIntProperty::GetSubObject(TRVEditRVData* /*RVData*/) {
  return SubObject;
}

void TRVUndoModifyItemIntProperty::Undo(TRVEditRVData* RVData) {
  TRVUndoModifyItemProps* redo = RVData->DoModifyItemIntProperty(
      ItemNo, GetSubObject(RVData), GetRedoClass(), AffectWidth, AffectSize, Value, PropertyName);
  AssignToRedo(redo);
}

TPersistent* TRVUndoModifyItemIntProperties::GetSubObject(TRVEditRVData* /*RVData*/) {
  return SubObject;
}

void TRVUndoModifyItemIntProperties::Undo(TRVEditRVData* RVData) {
  TRVUndoModifyItemProps* redo = RVData->DoModifyItemIntProperties(
      ItemNo, GetSubObject(RVData), GetRedoClass(), AffectWidth, AffectSize, PropList);
  AssignToRedo(redo);
}

TRVCompositeUndo::TRVCompositeUndo() = default;

TRVCompositeUndo::~TRVCompositeUndo() = default;

void TRVCompositeUndo::Undo(TRVEditRVData* RVData) {
  if (UndoList && UndoList->Count() > 0) UndoList->Undo(RVData);
}

void TRVCompositeUndo::GetAffectedRange(int& First, int& Last, TRVEditRVData* /*RVData*/) {
  First = ItemNo;
  Last = ItemNo;
}

// ---------------------------------------------------------------------------------------
// Groups

void TRVUndoInfos::SetList(TRVUndoList* AList) {
  for (const auto& info : *this)
    if (info) info->List = AList;
}

bool TRVUndoInfos::IsSpent() const {
  if (Count() == 0) return true;
  const TRVUndoInfo* first = First();
  if (const auto* typing = dynamic_cast<const TRVUndoTypingInfo*>(first)) return typing->Length <= 0;
  if (const auto* untyping = dynamic_cast<const TRVRedoTypingInfo*>(first)) return untyping->S.empty();
  if (const auto* composite = dynamic_cast<const TRVCompositeUndo*>(first))
    return !composite->UndoList || composite->UndoList->Count() == 0;
  // Every other group is performed whole: once undone it must not be undone again.
  return true;
}

void TRVUndoInfos::PerformUndo(TRVEditRVData* RVData, bool Reformat) {
  RVData->BeginRedoSequence(UndoType, Caption);
  Perform(RVData, Reformat);
}

void TRVUndoInfos::PerformRedo(TRVEditRVData* RVData, bool Reformat) {
  RVData->BeginNamedUndoSequence(UndoType, Caption, false);
  Perform(RVData, Reformat);
}

void TRVUndoInfos::Perform(TRVEditRVData* RVData, bool Reformat) {
  if (Count() == 0) return;
  RVData->Deselect(nullptr, true);

  // The items the records touch, and how the item count changes.
  bool needFormat = false;
  bool rootReformat = false;
  const int itemCount = RVData->GetItemCount();
  int first = itemCount - 1;
  int last = 0;
  int delta = 0;
  for (int i = Count() - 1; i >= 0; --i) {
    TRVUndoInfo* info = Get(i);
    needFormat = needFormat || info->RequiresFormat();
    rootReformat = rootReformat || info->NeedsRootReformat();
    int a = INT_MAX;
    int b = -1;
    info->GetAffectedRange(a, b, RVData);
    const int added = info->ItemsAdded();
    if (b >= 0) {
      if (delta > 0) b += delta;
      if (added > 0) b += added;
    }
    delta += added;
    first = std::min(first, a);
    last = std::max(last, b);
  }
  if (last < first) std::swap(first, last);
  first = std::max(first, 0);
  last = std::max(last, first);
  if (last + delta < first) last = first - delta;
  last = std::min(last, itemCount - 1);

  const bool formatted = RVData->DrawItems().Count() > 0;
  int firstDrawItem = -1;
  int lastDrawItem = -1;
  if (formatted && itemCount > 0) {
    int offs = 0;
    RVData->ItemToDrawItem(first, 1, firstDrawItem, offs);
    RVData->ItemToDrawItem(std::max(last, 0), 1, lastDrawItem, offs);
    if (firstDrawItem < 0) firstDrawItem = 0;
    if (lastDrawItem < 0) lastDrawItem = RVData->DrawItems().Count() - 1;
    RVData->ExpandToParaDrawItems(firstDrawItem, lastDrawItem, firstDrawItem, lastDrawItem);
  }

  // The records from the last to the first. A run of property records between two
  // terminators is measured once, at its ends.
  bool fullReformat = false;
  int nesting = 0;
  int32_t savedWidth = 0;
  for (int i = Count() - 1; i >= 0; --i) {
    TRVUndoInfo* info = Get(i);
    if (nesting == 0) fullReformat = needFormat && (fullReformat || info->NeedsFullReformatBefore(RVData));
    if (auto* terminator = dynamic_cast<TRVUndoModifyItemTerminator*>(info)) {
      if (!terminator->Opening) {
        if (nesting == 0) savedWidth = terminator->OldWidth;
        ++nesting;
      } else if (nesting > 0) {
        --nesting;
        if (nesting == 0) terminator->OldWidth = savedWidth;
      }
    }
    info->Undo(RVData);
    if (nesting == 0) fullReformat = needFormat && (fullReformat || info->NeedsFullReformatAfter(RVData));
  }

  if (Reformat && needFormat && formatted) {
    if (fullReformat &&
        RVData->CalculateMinItemsWidth(0, RVData->GetItemCount() - 1) != RVData->DocMinWidth) {
      RVData->Format(false);
    } else if (RVData->DrawItems().Count() > 0) {
      RVData->FormatParas(firstDrawItem, std::min(lastDrawItem, RVData->DrawItems().Count() - 1), delta);
    }
  }
  if (RVData->GetInplaceEditor() == nullptr && RVData->DrawItems().Count() > 0 &&
      ValidItem(RVData, CaretItemNo)) {
    const int offs =
        std::clamp(CaretOffs, RVData->GetItemStartOffset(CaretItemNo), RVData->GetItemEndOffset(CaretItemNo));
    RVData->SetSelectionBounds(CaretItemNo, offs, CaretItemNo, offs);
  }
  RVData->InvalidateControl();
  if (rootReformat) {
    if (auto* root = dynamic_cast<TCustomRVFormattedData*>(RVData->GetOuterRootData())) {
      root->Format(false);
      root->InvalidateControl();
    }
  }
}

// ---------------------------------------------------------------------------------------
// Lists

bool TRVUndoList::BeginUndoGroup(TRVUndoType UndoType, const std::string& Caption, int CaretOffs,
                                 int CaretItemNo) {
  if (Limit == 0) return false;
  if (GroupModeCount >= 1 && Count() > 0) {
    const TRVUndoInfos* lastGroup = Last();
    const bool loneTyping = lastGroup->Count() == 1 && lastGroup->First()->Action == rvuaTyping;
    if (!loneTyping) return true;
  }
  auto group = std::make_unique<TRVUndoInfos>();
  group->UndoType = UndoType;
  group->Caption = Caption;
  group->CaretItemNo = CaretItemNo;
  group->CaretOffs = CaretOffs;
  // The full list makes room first, counting an empty last group as one of its groups.
  while (Limit > 0 && Count() >= Limit) Delete(0);
  // An empty group left by an operation that changed nothing hands its caret and caption on.
  if (Count() > 0 && Last()->Count() == 0) {
    group->CaretItemNo = Last()->CaretItemNo;
    group->CaretOffs = Last()->CaretOffs;
    group->Caption = Last()->Caption;
    Delete(Count() - 1);
  }
  Add(std::move(group));
  return true;
}

TRVUndoInfo* TRVUndoList::AddInfo(std::unique_ptr<TRVUndoInfo> Info) {
  if (Count() == 0) throw ERVError("Can't modify empty undo list");
  TRVUndoInfos* group = Last();
  if (group->Count() == 1 && group->First()->Action == rvuaTyping)
    throw ERVError("Incorrect adding into undo list");
  Info->List = this;
  TRVUndoInfo* added = Info.get();
  group->Add(std::move(Info));
  return added;
}

void TRVUndoList::AddInfos(std::unique_ptr<TRVUndoInfos> Group) {
  Group->SetList(this);
  Add(std::move(Group));
  while (Limit > 0 && Count() > Limit) Delete(0);
}

void TRVUndoList::DeleteEmptyLastGroup() {
  if (Count() > 0 && Last()->Count() == 0 && GroupModeCount < 1) Delete(Count() - 1);
}

TRVUndoType TRVUndoList::CurrentUndoType() const {
  return Count() == 0 ? rvutNone : Last()->UndoType;
}

void TRVUndoList::AddTyping(int ItemNo, int Offset, bool Unicode) {
  if (Limit == 0) return;
  if (Count() > 0 && Last()->Count() == 0) Delete(Count() - 1);
  if (Count() > 0) {
    TRVUndoInfos* group = Last();
    auto* typing = dynamic_cast<TRVUndoTypingInfo*>(group->Count() > 0 ? group->First() : nullptr);
    if (typing != nullptr && typing->ItemNo == ItemNo && typing->Index + typing->Length == Offset) {
      ++typing->Length;
      ++group->CaretOffs;
      return;
    }
  }
  if (!BeginUndoGroup(rvutTyping, std::string(), Offset, ItemNo)) return;
  auto record = std::make_unique<TRVUndoTypingInfo>();
  record->Action = rvuaTyping;
  record->ItemNo = ItemNo;
  record->Index = Offset;
  record->Length = 1;
  record->Unicode = Unicode;
  AddInfo(std::move(record));
}

void TRVUndoList::AddUntyping(const std::string& Chars, int ItemNo, int Offset) {
  if (Limit == 0) return;
  if (Count() > 0 && Last()->Count() == 0) Delete(Count() - 1);
  if (Count() > 0) {
    TRVUndoInfos* group = Last();
    auto* untyping = dynamic_cast<TRVRedoTypingInfo*>(group->Count() > 0 ? group->First() : nullptr);
    if (untyping != nullptr && untyping->ItemNo == ItemNo &&
        untyping->Index - untyping->CharCount() == Offset) {
      untyping->S += Chars;
      --group->CaretOffs;
      return;
    }
  }
  if (!BeginUndoGroup(rvutTyping, std::string(), Offset, ItemNo)) return;
  auto record = std::make_unique<TRVRedoTypingInfo>();
  record->Action = rvuaTyping;
  record->ItemNo = ItemNo;
  record->Index = Offset;
  record->S = Chars;
  record->Unicode = Chars.size() > 1;
  AddInfo(std::move(record));
}

void TRVUndoList::Undo(TRVEditRVData* RVData) {
  Perform(RVData, false);
}

void TRVUndoList::Redo(TRVEditRVData* RVData) {
  Perform(RVData, true);
}

void TRVUndoList::Perform(TRVEditRVData* RVData, bool AsRedo) {
  if (Count() == 0) throw ERVError("Undo buffer is empty");
  TRVUndoInfos* group = Last();
  try {
    if (AsRedo)
      group->PerformRedo(RVData, true);
    else
      group->PerformUndo(RVData, true);
  } catch (...) {
    // A group that failed half-way no longer matches the document: performing it again
    // would change what its first records already put back.
    if (Count() > 0 && Last() == group) Delete(Count() - 1);
    throw;
  }
  AfterUndoStep();
}

void TRVUndoList::AfterUndoStep() {
  if (Count() == 0) return;
  TRVUndoInfos* group = Last();
  if (group->IsSpent()) {
    Delete(Count() - 1);
    return;
  }
  if (dynamic_cast<const TRVUndoTypingInfo*>(group->First()) != nullptr)
    --group->CaretOffs;
  else
    ++group->CaretOffs;
}

void TRVUndoList::SetLimit(int Value) {
  Limit = Value;
  if (Limit == 0)
    Clear();
  else
    while (Limit > 0 && Count() > Limit) Delete(0);
}
