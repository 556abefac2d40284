// The marker list and the searches through nested documents (members of TCustomRVData),
// and the removal of unused styles.
#include "richtext/core/RVNestedData.h"

#include <algorithm>

#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

void TCustomRVData::TRVMarkerListDeleter::operator()(TRVMarkerList* List) const {
  delete List;
}

// ---------------------------------------------------------------------------------------
// The marker list

TRVMarkerList* TCustomRVData::GetMarkers(bool AllowCreate) {
  TCustomRVData* root = GetOuterRootData();
  if (root != nullptr && root != this) return root->GetMarkers(AllowCreate);
  if (!markers_ && AllowCreate) markers_.reset(new TRVMarkerList);
  return markers_.get();
}

void TCustomRVData::FreeMarkers() {
  TCustomRVData* root = GetOuterRootData();
  if (root != nullptr && root != this)
    root->FreeMarkers();
  else
    markers_.reset();
}

void TCustomRVData::AddMarkerToList(int ItemNo) {
  if (ItemNo < 0 || ItemNo >= GetItemCount() || GetItemStyleNo(ItemNo) != rvsListMarker) return;
  auto* marker = static_cast<TRVMarkerItemInfo*>(GetItem(ItemNo));
  // A marker that was never listed (or was removed) has no index: no search of the list,
  // which would make reading a long list quadratic.
  if (marker->IndexInList >= 0 && marker->GetIndexInList(GetMarkers(false)) >= 0) return;
  // A document that keeps no list (a cell of a table outside any document) lists nothing:
  // its markers are listed when their table is inserted.
  TRVMarkerList* list = GetMarkers(true);
  if (list == nullptr) return;
  TRVMarkerItemInfo* previous = FindPreviousMarker(ItemNo - 1);
  const int index = list->InsertAfter(marker, previous);
  marker->OwnerData = this;
  list->RecalcCounters(index, GetRVStyle());
}

void TCustomRVData::RemoveMarkerFromList(TCustomRVItemInfo* Item, bool Clearing) {
  if (Item == nullptr || Item->StyleNo != rvsListMarker) return;
  auto* marker = static_cast<TRVMarkerItemInfo*>(Item);
  marker->OwnerData = nullptr;
  TRVMarkerList* list = GetMarkers(false);
  const int index = marker->GetIndexInList(list);
  if (index < 0) return;
  list->Delete(index);
  marker->IndexInList = -1;
  if (list->Count() == 0) {
    FreeMarkers();
    return;
  }
  // Numbering is skipped only while the whole marker list's document is being cleared: a
  // nested document cleared on its own (a cell, a deleted table) changes the numbering of
  // the markers that follow it.
  TCustomRVData* owner = GetOuterRootData();
  if (Clearing && owner != nullptr && (owner->StateFlags & rvstClearing) != 0) return;
  // Renumber the rest of the removed marker's own list (the marker now at its index may
  // belong to another list).
  for (int i = index; i < list->Count(); ++i) {
    if (list->Items(i)->ListNo == marker->ListNo) {
      list->RecalcCounters(i, GetRVStyle());
      break;
    }
  }
}

void TCustomRVData::RenumberMarker(int ItemNo, bool AllowCreate) {
  if (ItemNo < 0 || ItemNo >= GetItemCount() || GetItemStyleNo(ItemNo) != rvsListMarker) return;
  TRVMarkerList* list = GetMarkers(AllowCreate);
  const int index = static_cast<TRVMarkerItemInfo*>(GetItem(ItemNo))->GetIndexInList(list);
  if (index >= 0) list->RecalcCounters(index, GetRVStyle());
}

int TCustomRVData::FindLastMarkerOfLists(int AfterIndex, const TRVIntegerList& ListNos) {
  const TRVMarkerList* list = GetMarkers(false);
  if (list == nullptr) return -1;
  for (int i = list->Count() - 1; i > AfterIndex && i >= 0; --i)
    if (ListNos.IndexOf(list->Items(i)->ListNo) >= 0) return i;
  return -1;
}

// ---------------------------------------------------------------------------------------
// Searches through nested documents

TRVMarkerItemInfo* TCustomRVData::FindLastMarkerInside(int FromItemNo) {
  for (int i = std::min(FromItemNo, GetItemCount() - 1); i >= 0; --i) {
    TCustomRVItemInfo* item = GetItem(i);
    if (item->StyleNo == rvsListMarker) return static_cast<TRVMarkerItemInfo*>(item);
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* sub = item->GetSubDocument(state, 1); sub != nullptr;
         sub = item->GetSubDocument(state, 5))
      if (TRVMarkerItemInfo* marker = sub->FindLastMarkerInside(sub->GetItemCount() - 1)) return marker;
  }
  return nullptr;
}

TRVMarkerItemInfo* TCustomRVData::FindPreviousMarker(int ItemNo) {
  if (TRVMarkerItemInfo* marker = FindLastMarkerInside(ItemNo)) return marker;
  int parentItemNo = -1;
  std::unique_ptr<TRVStoreSubRVData> location;
  GetParentItemInfo(parentItemNo, location);
  TCustomRVData* parent = GetOuterParentData();
  if (parentItemNo < 0 || parent == nullptr || parentItemNo >= parent->GetItemCount()) return nullptr;
  // The sub-documents of the holding item that come before this one, then the parent's
  // items before the holding item (and so on outwards).
  TCustomRVItemInfo* holder = parent->GetItem(parentItemNo);
  if (location) {
    for (TCustomRVData* sub = holder->GetSubDocument(location, 5); sub != nullptr;
         sub = holder->GetSubDocument(location, 5))
      if (TRVMarkerItemInfo* marker = sub->FindLastMarkerInside(sub->GetItemCount() - 1)) return marker;
  }
  return parent->FindPreviousMarker(parentItemNo - 1);
}

namespace {

bool HoldsItem(TCustomRVItemInfo* container, const TCustomRVItemInfo* item) {
  std::unique_ptr<TRVStoreSubRVData> state;
  for (TCustomRVData* sub = container->GetSubDocument(state, 0); sub != nullptr;
       sub = container->GetSubDocument(state, 4))
    for (int i = 0; i < sub->GetItemCount(); ++i)
      if (sub->GetItem(i) == item || HoldsItem(sub->GetItem(i), item)) return true;
  return false;
}

}  // namespace

int TCustomRVData::FindItemOrContainer(int StartItemNo, const TCustomRVItemInfo* Item) {
  for (int i = std::max(StartItemNo, 0); i < GetItemCount(); ++i)
    if (GetItem(i) == Item || HoldsItem(GetItem(i), Item)) return i;
  return -1;
}

// ---------------------------------------------------------------------------------------
// Unused styles

namespace {

/// Removes the unused styles of one collection (keeping `keep` first ones) and returns the
/// renumbering map; references between the remaining styles are re-pointed.
TRVIntegerList RemoveUnused(TCustomRVInfos& styles, const TRVIntegerList& used, int keep) {
  const int count = styles.Count();
  TRVIntegerList map = TRVIntegerList::CreateFilled(count, 0);
  TRVIntegerList newIndex = TRVIntegerList::CreateFilled(count, -1);
  int removed = 0;
  for (int i = 0; i < count; ++i) {
    if (i < keep || used.GetValue(i) != 0) {
      map.SetValue(i, removed + 1);
      newIndex.SetValue(i, i - removed);
    } else {
      ++removed;
    }
  }
  if (removed == 0) return map;
  for (int i = count - 1; i >= 0; --i)
    if (newIndex.GetValue(i) < 0) styles.Delete(i);
  for (int i = 0; i < styles.Count(); ++i) styles.Info(i)->RemapReferences(newIndex);
  return map;
}

}  // namespace

TRVStyleRenumbering RVDeleteUnusedStyles(TCustomRVData& RVData, bool TextStyles, bool ParaStyles,
                                         bool ListStyles) {
  TRVStyleRenumbering result;
  TRVStyle* style = RVData.GetRVStyle();
  if (style == nullptr) return result;
  TRVIntegerList usedText = TRVIntegerList::CreateFilled(style->TextStyles().Count(), TextStyles ? 0 : 1);
  TRVIntegerList usedPara = TRVIntegerList::CreateFilled(style->ParaStyles().Count(), ParaStyles ? 0 : 1);
  TRVIntegerList usedList = TRVIntegerList::CreateFilled(style->ListStyles().Count(), ListStyles ? 0 : 1);
  RVData.MarkStylesInUse(usedText, usedPara, usedList);
  result.TextStylesMap = RemoveUnused(style->TextStyles(), usedText, 1);
  result.ParaStylesMap = RemoveUnused(style->ParaStyles(), usedPara, 1);
  result.ListStylesMap = RemoveUnused(style->ListStyles(), usedList, 0);
  // The sheet's default Unicode style is a text style number as well.
  if (style->DefUnicodeStyle >= 0 && style->DefUnicodeStyle < result.TextStylesMap.Count()) {
    const int32_t entry = result.TextStylesMap.GetValue(style->DefUnicodeStyle);
    style->DefUnicodeStyle = entry == 0 ? -1 : style->DefUnicodeStyle - (entry - 1);
  }
  RVData.RenumberStyles(result.TextStylesMap, result.ParaStylesMap, result.ListStylesMap);
  RVData.AfterDeleteStyles(result.TextStylesMap, result.ParaStylesMap);
  return result;
}
