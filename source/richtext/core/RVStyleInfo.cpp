#include "richtext/core/RVStyleInfo.h"

#include "platform/core/Strings.h"
#include "platform/core/TypInfo.h"

TCustomRVInfo::TCustomRVInfo() = default;

const TPropertyList& TCustomRVInfo::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TCustomRVInfo>(TCollectionItem::ClassProperties())
          .Integer("BaseStyleNo", &TCustomRVInfo::BaseStyleNo, &TCustomRVInfo::BaseStyleNo)
          .Default(-1)
          .String("StyleName", &TCustomRVInfo::StyleName, &TCustomRVInfo::StyleName)
          .Boolean("Standard", &TCustomRVInfo::Standard, &TCustomRVInfo::Standard)
          .Default(true)
          .Build();
  return list;
}

void TCustomRVInfo::Assign(const TPersistent* source) {
  if (const auto* info = dynamic_cast<const TCustomRVInfo*>(source)) {
    StyleName = info->StyleName;
    BaseStyleNo = info->BaseStyleNo;
    Standard = info->Standard;
    return;
  }
  TCollectionItem::Assign(source);
}

namespace {

// A reference into the read collection, moved to where that style now is. A reference that
// points outside the read collection cannot be followed and becomes "none".
int32_t MapReference(int32_t reference, const TRVIntegerList& mapping) {
  if (reference < 0) return reference;
  if (reference >= mapping.Count()) return -1;
  return mapping[reference];
}

}  // namespace

void TCustomRVInfo::RemapReferences(const TRVIntegerList& mapping) {
  BaseStyleNo = MapReference(BaseStyleNo, mapping);
}

// ---------------------------------------------------------------------------------------

TCustomRVInfos::TCustomRVInfos(TCollectionItemClass itemClass, TComponent* owner)
    : TOwnedCollection(owner, std::move(itemClass)), owner_(owner) {}

TCustomRVInfo* TCustomRVInfos::Info(int index) const {
  return static_cast<TCustomRVInfo*>(TCollection::Items(index));
}

void TCustomRVInfos::AssignToStrings(TStrings& dest) const {
  dest.Clear();
  for (int i = 0; i < Count(); ++i) dest.Add(Info(i)->StyleName);
}

int TCustomRVInfos::FindMostSimilar(const TCustomRVInfo& style) const {
  return FindMostSimilarAmong(style, [](const TCustomRVInfo&) { return true; });
}

void TCustomRVInfos::MergeWith(const TCustomRVInfos& styles, TRVMergeMode mode, TRVIntegerList& mapping) {
  mapping.Clear();
  mapping.SetCapacity(styles.Count());
  const int oldCount = Count();

  auto append = [this](const TCustomRVInfo& style) {
    const int index = Count();
    Add()->Assign(&style);
    return index;
  };

  switch (mode) {
    case rvmmAppend:
      for (int i = 0; i < styles.Count(); ++i) mapping.AddValue(append(*styles.Info(i)));
      break;
    case rvmmMap:
      for (int i = 0; i < styles.Count(); ++i)
        mapping.AddValue(Count() == 0 ? MapIndexWhenEmpty() : FindMostSimilar(*styles.Info(i)));
      break;
    case rvmmMerge: {
      // Read list styles with numbering each keep a sheet list of their own, so that two
      // separately numbered lists never share counters.
      TRVIntegerList used;
      auto free = [&used](int index) { return used.IndexOf(index) < 0; };
      for (int i = 0; i < styles.Count(); ++i) {
        const TCustomRVInfo& style = *styles.Info(i);
        int candidate = -1;
        if (i < Count() && free(i) && style.SameAsWithMap(*Info(i), mapping)) candidate = i;
        for (int j = 0; candidate < 0 && j < Count(); ++j)
          if (free(j) && style.SameAsWithMap(*Info(j), mapping)) candidate = j;
        if (candidate < 0) candidate = append(style);
        mapping.AddValue(candidate);
        if (style.HasNumberedLevel()) used.AddValue(candidate);
      }
      break;
    }
  }

  for (int i = oldCount; i < Count(); ++i) {
    TCustomRVInfo* added = Info(i);
    added->Standard = false;
    added->RemapReferences(mapping);
  }
}
