// The undo-recording primitives. Each one compares with the current value and does nothing
// when it is unchanged; when the data records, it appends the record that reverses it
// before changing anything, so that a refused record leaves the document as it was; then it
// makes the change and tells the document (item notices, hooks, marker list, checkpoint
// chain). None of them re-formats or moves the caret.
#include <algorithm>

#include "platform/core/TypInfo.h"
#include "platform/graphics/Controls.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/table/RVTable.h"

template <typename R>
R* TRVEditRVData::Record(int ItemNo, TRVUndoAction Action) {
  TRVUndoList* list = GetUndoList();
  if (list == nullptr) return nullptr;
  auto record = std::make_unique<R>();
  record->Action = Action;
  record->ItemNo = ItemNo;
  return static_cast<R*>(list->AddInfo(std::move(record)));
}

int TRVEditRVData::CharSize(int ItemNo) const {
  return GetItem(ItemNo)->IsTwoByteText() ? 2 : 1;
}

bool TRVEditRVData::WidthChangeAffectsDoc(int32_t Before, int32_t After) const {
  return Before != After && (After > DocMinWidth || Before >= DocMinWidth);
}

int TRVEditRVData::GetParaEndItemNo(int ItemNo) const {
  int i = ItemNo + 1;
  while (i < GetItemCount() && !StartsParagraph(i)) ++i;
  return i - 1;
}

void TRVEditRVData::SetParaNoRange(int First, int Last, bool& FullReformat, int32_t ParaNo) {
  const TRVStyle* style = GetRVStyle();
  const int32_t before = CalculateMinItemsWidth(First, Last);
  for (int i = First; i <= Last; ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    const bool isProtected = style != nullptr && item->ParaNo >= 0 &&
                             item->ParaNo < style->ParaStyles().Count() &&
                             (style->ParaStyles()[item->ParaNo].Options & rvpaoStyleProtect) != 0;
    // A protected paragraph changes only where it continues one that already has the style.
    if (!isProtected || (i > 0 && !item->IsParaStart() && GetItem(i - 1)->ParaNo == ParaNo))
      item->ParaNo = ParaNo;
  }
  const int32_t after = CalculateMinItemsWidth(First, Last);
  FullReformat = after > DocMinWidth || before >= DocMinWidth;
}

std::unique_ptr<TCustomRVItemInfo> TRVEditRVData::TakeItemOut(int ItemNo, bool Recording) {
  if (!Recording) {
    FreeItemAt(ItemNo, false);
    Items->Delete(ItemNo);
    return nullptr;
  }
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->StyleNo == rvsListMarker) RemoveMarkerFromList(item, false);
  item->DetachFromData(this, ItemNo);
  std::unique_ptr<TCustomRVItemInfo> taken = Items->ExtractObject(ItemNo);
  Items->Delete(ItemNo);
  return taken;
}

void TRVEditRVData::Do_DeleteItem(int ItemNo, bool& FullReformat) {
  FullReformat = CalculateMinItemWidth(ItemNo) == DocMinWidth;
  if (GetItemCheckpoint(ItemNo) != nullptr) Do_DeleteCP(ItemNo);
  auto* record = Record<TRVUndoDeleteItemInfo>(ItemNo, rvuaDeleteItem);
  if (record != nullptr) {
    record->S = GetItemText(ItemNo);
    record->FullReformat = FullReformat;
  }
  std::unique_ptr<TCustomRVItemInfo> item = TakeItemOut(ItemNo, record != nullptr);
  if (record != nullptr) record->Item = std::move(item);
}

void TRVEditRVData::Do_DeleteItems(int First, int Last, bool& FullReformat) {
  FullReformat = false;
  if (First > Last) return;
  FullReformat = CalculateMinRangeWidth(First, Last) == DocMinWidth;
  for (int i = Last; i >= First; --i)
    if (GetItemCheckpoint(i) != nullptr) Do_DeleteCP(i);
  TRVUndoDeleteItemsInfo* record = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto info = std::make_unique<TRVUndoDeleteItemsInfo>();
    info->Action = rvuaDeleteItems;
    info->StartItemNo = First;
    info->EndItemNo = Last;
    info->FullReformat = FullReformat;
    record = static_cast<TRVUndoDeleteItemsInfo*>(list->AddInfo(std::move(info)));
  }
  // From the last item back, so the record keeps them in reverse order.
  for (int i = Last; i >= First; --i) {
    std::string text = GetItemText(i);
    std::unique_ptr<TCustomRVItemInfo> item = TakeItemOut(i, record != nullptr);
    if (record != nullptr) record->ItemList.Add(std::move(text), std::move(item));
  }
}

void TRVEditRVData::Do_DeleteSubstring(int ItemNo, int Index, int Count) {
  const int size = CharSize(ItemNo);
  const std::string& text = GetItemText(ItemNo);
  const int chars = static_cast<int>(text.size()) / size;
  if (Count == -1) Count = chars - Index + 1;
  if (Count <= 0 || Index < 1 || Index > chars) return;
  Count = std::min(Count, chars - Index + 1);
  const size_t from = static_cast<size_t>(Index - 1) * size;
  const size_t length = static_cast<size_t>(Count) * size;
  if (auto* record = Record<TRVUndoDeleteSubstringInfo>(ItemNo, rvuaDeleteSubstring)) {
    record->Index = Index;
    record->S = text.substr(from, length);
  }
  std::string changed = text;
  changed.erase(from, length);
  ItemAction(rviaTextModifying, GetItem(ItemNo), changed, this);
  Items->Put(ItemNo, std::move(changed));
}

void TRVEditRVData::InsertItemWithHooks(int ItemNo, std::string& S, std::unique_ptr<TCustomRVItemInfo> Item,
                                        bool AttachToData) {
  TCustomRVItemInfo* item = Item.get();
  item->Inserting(this, false);
  ItemAction(rviaInserting, item, S, this);
  Items->Insert(ItemNo, S, std::move(Item));
  item->Inserted(this, ItemNo);
  std::string none;
  ItemAction(rviaInserted, item, none, this);
  if (item->StyleNo == rvsListMarker) AddMarkerToList(ItemNo);
  if (AttachToData) item->AttachToData(this, ItemNo);
  item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette());
}

void TRVEditRVData::Do_InsertItem(int ItemNo, std::string& S, std::unique_ptr<TCustomRVItemInfo> Item,
                                  bool AttachToData, bool& FullReformat) {
  FullReformat = false;
  if (!Item) return;
  if (ItemNo < 0 || ItemNo > GetItemCount()) throw ERVError("Undo error");
  const int last = Item->IsParaStart() && ItemNo < GetItemCount() && !StartsParagraph(ItemNo)
                       ? GetParaEndItemNo(ItemNo)
                       : -1;
  std::unique_ptr<TRVCPInfo> checkpoint = std::move(Item->Checkpoint);
  auto* record = Record<TRVUndoInsertItemInfo>(ItemNo, rvuaInsertItem);
  if (record != nullptr) record->LastAffectedItemNo = last;
  const int32_t paraNo = Item->ParaNo;
  InsertItemWithHooks(ItemNo, S, std::move(Item), AttachToData);
  // The rest of the paragraph the item now starts takes its paragraph style.
  if (last != -1) Do_ParaList(ItemNo + 1, last + 1, FullReformat, paraNo);
  if (checkpoint) Do_AddCP(ItemNo, std::move(checkpoint));
  if (record != nullptr) record->FullReformat = FullReformat;
}

TRVUndoInsertItemsInfo* TRVEditRVData::Do_BeginInsertItems(int ItemNo, int Count) {
  if (Count == 0) return nullptr;
  auto* record = Record<TRVUndoInsertItemsInfo>(ItemNo, rvuaInsertItems);
  if (record != nullptr) record->Count = Count;
  return record;
}

void TRVEditRVData::Do_EndInsertItems(int ItemNo, int Count, bool& FullReformat,
                                      TRVUndoInsertItemsInfo* Record) {
  FullReformat = false;
  if (Count == 0) return;
  const int after = ItemNo + Count;
  const int last = after < GetItemCount() && !StartsParagraph(after) ? GetParaEndItemNo(after - 1) : -1;
  if (Record != nullptr) Record->LastAffectedItemNo = last;
  if (last != -1) Do_ParaList(after - 1, last, FullReformat, GetItemParaNo(after - 1));
  // Checkpoints brought in with the items are put back through Do_AddCP, so they are recorded.
  for (int i = ItemNo; i < after && i < GetItemCount(); ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    if (!item->Checkpoint) continue;
    const bool linked = item->Checkpoint.get() == FirstCheckpoint || item->Checkpoint->Prev != nullptr;
    if (linked) UnlinkCheckpoint(item->Checkpoint.get(), true);
    std::unique_ptr<TRVCPInfo> checkpoint = std::move(item->Checkpoint);
    Do_AddCP(i, std::move(checkpoint));
  }
  if (Record != nullptr) Record->FullReformat = FullReformat;
}

void TRVEditRVData::Do_ReinsertItems(int ItemNo, TRVItemList& List, bool& FullReformat, bool AttachToData) {
  FullReformat = false;
  const int count = List.Count();
  if (count == 0) return;
  if (ItemNo < 0 || ItemNo > GetItemCount()) throw ERVError("Undo error");
  TRVUndoInsertItemsInfo* record = Do_BeginInsertItems(ItemNo, count);
  for (int i = 0; i < count; ++i) {
    std::string text = List.ExtractText(i);
    InsertItemWithHooks(ItemNo, text, List.ExtractObject(i), AttachToData);
  }
  List.Clear();
  Do_EndInsertItems(ItemNo, count, FullReformat, record);
}

void TRVEditRVData::Do_InsertSubstring(int ItemNo, int Index, const std::string& S) {
  if (S.empty()) return;
  if (ItemNo < 0 || ItemNo >= GetItemCount() || !GetItem(ItemNo)->IsTextItem()) throw Exception("Undo error");
  const int size = CharSize(ItemNo);
  const std::string& text = GetItemText(ItemNo);
  const int chars = static_cast<int>(text.size()) / size;
  if (Index < 1 || Index > chars + 1) throw Exception("Undo error");
  if (auto* record = Record<TRVUndoInsertSubstringInfo>(ItemNo, rvuaInsertSubstring)) {
    record->Index = Index;
    record->Length = static_cast<int>(S.size()) / size;
  }
  std::string changed = text;
  changed.insert(static_cast<size_t>(Index - 1) * size, S);
  ItemAction(rviaTextModifying, GetItem(ItemNo), changed, this);
  Items->Put(ItemNo, std::move(changed));
}

void TRVEditRVData::Do_ChangeText(int ItemNo, const std::string& S) {
  if (GetItemText(ItemNo) == S) return;
  if (auto* record = Record<TRVUndoChangeTextInfo>(ItemNo, rvuaChangeText)) record->S = GetItemText(ItemNo);
  std::string changed = S;
  ItemAction(rviaTextModifying, GetItem(ItemNo), changed, this);
  Items->Put(ItemNo, std::move(changed));
}

void TRVEditRVData::Do_NewLine(int ItemNo, bool SameAsPrev, int32_t ParaNo, bool& FullReformat) {
  FullReformat = false;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item->QueryFeature(rvfqOwnLine)) return;
  if (!SameAsPrev && !item->GetSameAsPrev()) return;
  bool brReformat = false;
  if (SameAsPrev) {
    Do_BR(ItemNo, false, brReformat);
    Do_PageBreak(ItemNo, false);
  }
  int last = ItemNo + 1 < GetItemCount() && !StartsParagraph(ItemNo + 1) ? GetParaEndItemNo(ItemNo) : -1;
  auto* record = Record<TRVUndoNewLineInfo>(ItemNo, rvuaNewLine);
  if (record != nullptr) {
    record->SameAsPrev = item->GetSameAsPrev();
    record->ParaNo = item->ParaNo;
    record->LastAffectedItemNo = last;
  }
  if (last == -1) last = ItemNo;
  bool paraReformat = false;
  if (SameAsPrev && ItemNo > 0)
    Do_ParaList(ItemNo, last, paraReformat, GetItemParaNo(ItemNo - 1));
  else if (!SameAsPrev && ParaNo != -1)
    Do_ParaList(ItemNo, last, paraReformat, ParaNo);
  item->SetSameAsPrev(SameAsPrev);
  FullReformat = brReformat || paraReformat;
  if (record != nullptr) record->FullReformat = FullReformat;
}

void TRVEditRVData::Do_BR(int ItemNo, bool BR, bool& FullReformat) {
  FullReformat = false;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (!item->IsParaStart() == BR) return;
  // The line break replaces a page break: that goes first, in a record of its own, so that
  // undo gives it back.
  if (BR && item->GetPageBreakBefore()) Do_PageBreak(ItemNo, false);
  const int32_t before = CalculateMinItemWidth(ItemNo);
  if (auto* record = Record<TRVUndoBRInfo>(ItemNo, rvuaBR)) record->BR = item->GetBR();
  item->SetBR(BR);
  FullReformat = WidthChangeAffectsDoc(before, CalculateMinItemWidth(ItemNo));
}

void TRVEditRVData::Do_PageBreak(int ItemNo, bool PageBreak) {
  // A list marker before the item carries the paragraph's marks.
  if (ItemNo > 0 && GetItemStyleNo(ItemNo - 1) == rvsListMarker) --ItemNo;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if ((item->GetSameAsPrev() || item->GetPageBreakBefore()) == PageBreak) return;
  // The same for a line break that a page break replaces.
  if (PageBreak && item->GetBR()) {
    bool fullReformat = false;
    Do_BR(ItemNo, false, fullReformat);
  }
  if (auto* record = Record<TRVUndoPageBreakInfo>(ItemNo, rvuaPageBreak))
    record->PageBreakBefore = item->GetPageBreakBefore();
  item->SetPageBreakBefore(PageBreak);
}

void TRVEditRVData::Do_ParaList(int First, int Last, bool& FullReformat, int32_t ParaNo) {
  FullReformat = false;
  if (Last < First) return;
  TRVUndoParaListInfo* record = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto info = std::make_unique<TRVUndoParaListInfo>();
    info->Action = rvuaPara;
    info->StartItemNo = First;
    for (int i = First; i <= Last; ++i) info->IntList.AddValue(GetItemParaNo(i));
    record = static_cast<TRVUndoParaListInfo*>(list->AddInfo(std::move(info)));
  }
  SetParaNoRange(First, Last, FullReformat, ParaNo);
  if (record != nullptr) record->FullReformat = FullReformat;
}

void TRVEditRVData::Do_ParaNos(int ItemNo, const TRVIntegerList& List, bool& FullReformat) {
  FullReformat = false;
  if (List.Count() == 0) return;
  const int last = ItemNo + List.Count() - 1;
  if (ItemNo < 0 || last >= GetItemCount()) throw ERVError("Undo error");
  bool oneStyle = true;
  for (int i = ItemNo + 1; i <= last; ++i) oneStyle = oneStyle && GetItemParaNo(i) == GetItemParaNo(ItemNo);
  if (TRVUndoList* list = GetUndoList()) {
    // Items of one paragraph style come back through that style; items of several (a
    // conversion over several paragraphs) keep each its own, or undo would merge them.
    if (oneStyle) {
      auto info = std::make_unique<TRVUndoParaInfo>();
      info->Action = rvuaPara;
      info->ItemNo = ItemNo;
      info->Count = List.Count();
      info->ParaNo = GetItemParaNo(ItemNo);
      for (int i = ItemNo; i <= last; ++i)
        if (!GetItem(i)->QueryFeature(rvfqOwnLine)) {
          info->ParaNo = GetItemParaNo(i);
          break;
        }
      list->AddInfo(std::move(info));
    } else {
      auto info = std::make_unique<TRVUndoParaListInfo>();
      info->Action = rvuaPara;
      info->StartItemNo = ItemNo;
      for (int i = ItemNo; i <= last; ++i) info->IntList.AddValue(GetItemParaNo(i));
      list->AddInfo(std::move(info));
    }
  }
  const int32_t before = CalculateMinRangeWidth(ItemNo, last);
  for (int i = 0; i < List.Count(); ++i) GetItem(ItemNo + i)->ParaNo = List[i];
  FullReformat = WidthChangeAffectsDoc(before, CalculateMinRangeWidth(ItemNo, last));
}

void TRVEditRVData::Do_StyleNo(int ItemNo, int32_t StyleNo) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (!item->IsTextItem() || item->StyleNo == StyleNo) return;
  if (auto* record = Record<TRVUndoStyleNoInfo>(ItemNo, rvuaStyleNo)) record->StyleNo = item->StyleNo;
  const bool wasUnicode = IsUnicodeStyle(item->StyleNo);
  const bool isUnicode = IsUnicodeStyle(StyleNo);
  // Only the mark changes: the caller converts the text when it has to.
  if (wasUnicode && !isUnicode) item->ItemOptions &= ~rvioTwoByteText;
  if (!wasUnicode && isUnicode) item->ItemOptions |= rvioTwoByteText;
  item->StyleNo = StyleNo;
}

void TRVEditRVData::Do_Tag(int ItemNo, const TRVTag& Tag, bool AssignAsIs) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const bool tagsArePChars = (GetOptions() & rvoTagsArePChars) != 0;
  if (RVAreTagsEqual(item->Tag, Tag, tagsArePChars)) return;
  if (auto* record = Record<TRVUndoTagInfo>(ItemNo, rvuaTag)) {
    record->Tag = RVCopyTag(item->Tag, tagsArePChars);
    record->TagsArePChars = tagsArePChars;
  }
  item->Tag = AssignAsIs ? Tag : RVCopyTag(Tag, tagsArePChars);
}

void TRVEditRVData::Do_AddCP(int ItemNo, std::unique_ptr<TRVCPInfo> Checkpoint) {
  if (ItemNo == -1 ? PendingCheckpoint != nullptr : GetItemCheckpoint(ItemNo) != nullptr)
    throw ERVError("Checkpoint error");
  if (!Checkpoint) return;
  Record<TRVUndoAddCPInfo>(ItemNo, rvuaCheckpoint);
  if (ItemNo == -1) {
    Checkpoint->ItemInfo = nullptr;
    Checkpoint->Next = Checkpoint->Prev = nullptr;
    PendingCheckpoint = std::move(Checkpoint);
  } else {
    Checkpoint->ItemNo = ItemNo;
    LinkCheckpointAfter(GetItem(ItemNo), FindCheckpointBefore(ItemNo), Checkpoint);
  }
  ++CheckpointCount;
}

void TRVEditRVData::Do_DeleteCP(int ItemNo) {
  std::unique_ptr<TRVCPInfo>& slot = ItemNo == -1 ? PendingCheckpoint : GetItem(ItemNo)->Checkpoint;
  if (!slot) throw ERVError("Checkpoint error");
  if (auto* record = Record<TRVUndoDeleteCPInfo>(ItemNo, rvuaCheckpoint)) {
    if (ItemNo != -1) UnlinkCheckpoint(slot.get(), false);
    --CheckpointCount;
    record->TagsArePChars = (GetOptions() & rvoTagsArePChars) != 0;
    record->Checkpoint = std::move(slot);
    return;
  }
  FreeCheckpoint(slot, ItemNo != -1, true);
}

void TRVEditRVData::Do_Resize(int ItemNo, int32_t Width, int32_t Height, bool Notify) {
  auto* item = dynamic_cast<TRVControlItemInfo*>(GetItem(ItemNo));
  if (item == nullptr || !item->Control) return;
  if (item->Control->Width() == Width && item->Control->Height() == Height) return;
  if (auto* record = Record<TRVUndoResizeInfo>(ItemNo, rvuaModifyItem)) {
    record->Width = item->Control->Width();
    record->Height = item->Control->Height();
  }
  ResizeControl(ItemNo, Width, Height, Notify);
}

void TRVEditRVData::ChangeItemProperties(TCustomRVItemInfo* Item, const std::function<void()>& Change) {
  auto* table = dynamic_cast<TRVTableItemInfo*>(Item);
  if (table != nullptr) table->State &= ~rvtsInserted;
  try {
    Change();
  } catch (...) {
    if (table != nullptr) table->State |= rvtsInserted;
    throw;
  }
  if (table != nullptr) {
    table->State |= rvtsInserted;
    table->Changed();
  }
}

namespace {

/// The ordinal published property Name of Object; ERVError when it has none.
const TPropInfo& IntProperty(TPersistent& Object, const std::string& Name) {
  const TPropInfo* prop = Object.PublishedProperties().Find(Name);
  if (prop == nullptr || !prop->GetOrd || !prop->SetOrd)
    throw ERVError("Can't get or set this kind of information for this item");
  return *prop;
}

/// Makes a record of RecordClass and checks that it is of class R.
template <typename R>
std::unique_ptr<R> MakePropsRecord(TRVUndoModifyItemPropsClass RecordClass) {
  std::unique_ptr<TRVUndoModifyItemProps> made = RecordClass();
  if (dynamic_cast<R*>(made.get()) == nullptr) throw ERVError("Undo error");
  return std::unique_ptr<R>(static_cast<R*>(made.release()));
}

}  // namespace

TRVUndoModifyItemProps* TRVEditRVData::DoModifyItemIntProperty(int ItemNo, TPersistent* SubObject,
                                                               TRVUndoModifyItemPropsClass RecordClass,
                                                               bool AffectWidth, bool AffectSize,
                                                               int32_t Value, const std::string& PropName) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TPersistent& object = SubObject != nullptr ? *SubObject : *item;
  const TPropInfo& prop = IntProperty(object, PropName);
  const int64_t old = prop.GetOrd(object);
  if (old == Value) return nullptr;
  TRVUndoModifyItemProps* result = nullptr;
  if (TRVUndoList* list = GetUndoList()) {
    auto record = MakePropsRecord<TRVUndoModifyItemIntProperty>(RecordClass);
    record->Action = rvuaModifyItem;
    record->ItemNo = ItemNo;
    record->AffectWidth = AffectWidth;
    record->AffectSize = AffectSize;
    record->SubObject = SubObject;
    record->PropertyName = PropName;
    record->Value = static_cast<int32_t>(old);
    result = static_cast<TRVUndoModifyItemProps*>(list->AddInfo(std::move(record)));
  }
  ChangeItemProperties(item, [&] { prop.SetOrd(object, Value); });
  return result;
}

TRVUndoModifyItemProps* TRVEditRVData::DoModifyItemIntProperties(int ItemNo, TPersistent* SubObject,
                                                                 TRVUndoModifyItemPropsClass RecordClass,
                                                                 bool AffectWidth, bool AffectSize,
                                                                 const TRVIntPropertyList& PropList) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  TPersistent& object = SubObject != nullptr ? *SubObject : *item;
  auto record = MakePropsRecord<TRVUndoModifyItemIntProperties>(RecordClass);
  record->Action = rvuaModifyItem;
  record->ItemNo = ItemNo;
  record->AffectWidth = AffectWidth;
  record->AffectSize = AffectSize;
  record->SubObject = SubObject;
  // Every name is checked before anything is written.
  for (const TRVIntProperty& entry : PropList) IntProperty(object, entry.Name);
  ChangeItemProperties(item, [&] {
    for (auto entry = PropList.rbegin(); entry != PropList.rend(); ++entry) {
      const TPropInfo& prop = IntProperty(object, entry->Name);
      const int64_t old = prop.GetOrd(object);
      if (old == entry->Value) continue;
      prop.SetOrd(object, entry->Value);
      record->PropList.push_back({entry->Name, static_cast<int32_t>(old)});
    }
  });
  TRVUndoList* list = GetUndoList();
  if (record->PropList.empty() || list == nullptr) return nullptr;
  return static_cast<TRVUndoModifyItemProps*>(list->AddInfo(std::move(record)));
}

bool TRVEditRVData::Do_ExtraIntProperty(int ItemNo, int Prop, int32_t Value) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  int32_t old = 0;
  if (!item->GetIntPropertyByCode(Prop, old)) return false;
  if (old == Value) return true;
  if (auto* record = Record<TRVUndoExtraIntProperty>(ItemNo, rvuaModifyItem)) {
    record->Value = old;
    record->Prop = static_cast<uint8_t>(Prop);
  }
  item->SetIntPropertyByCode(Prop, Value);
  return true;
}

void TRVEditRVData::AddModifyItemTerminator(int ItemNo, bool Opening) {
  if (auto* record = Record<TRVUndoModifyItemTerminator>(ItemNo, rvuaModifyItem)) record->Opening = Opening;
}

void TRVEditRVData::Do_ReformateRange(int First, int Last, bool FullRootReformat) {
  if (auto* record = Record<TRVUndoReformateRange>(First, rvuaReformat)) {
    record->LastAffectedItemNo = Last;
    record->FullRootReformat = FullRootReformat;
  }
}
