#include "richtext/core/RVClasses.h"

#include <algorithm>
#include <string>

TRVIntegerList TRVIntegerList::CreateFilled(int count, int32_t value) {
  TRVIntegerList list;
  list.FillWith(value, count);
  return list;
}

TRVIntegerList TRVIntegerList::CreateFrom(const TRVIntegerList& source) {
  TRVIntegerList list;
  list.CopyFrom(source);
  return list;
}

void TRVIntegerList::SetCapacity(int capacity) {
  if (capacity < Count()) RaiseListCapacityError(capacity);
  values_.reserve(static_cast<size_t>(capacity));
}

void TRVIntegerList::CopyFrom(const TRVIntegerList& source) {
  if (&source == this) return;
  Clear();
  SetCapacity(source.Count());
  values_.insert(values_.end(), source.values_.begin(), source.values_.end());
}

void TRVIntegerList::FillWith(int32_t value, int count) {
  Clear();
  SetCapacity(count);
  values_.assign(static_cast<size_t>(count), value);
}

int TRVIntegerList::AddValue(int32_t value) {
  values_.push_back(value);
  return Count() - 1;
}

void TRVIntegerList::InsertValue(int index, int32_t value) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  values_.insert(values_.begin() + index, value);
}

void TRVIntegerList::Delete(int index) {
  values_.erase(values_.begin() + static_cast<ptrdiff_t>(CheckIndex(index)));
}

int TRVIntegerList::IndexOf(int32_t value) const {
  const auto it = std::find(values_.begin(), values_.end(), value);
  return it == values_.end() ? -1 : static_cast<int>(it - values_.begin());
}

int TRVIntegerList::AddIfAbsent(int32_t value) {
  const int index = IndexOf(value);
  return index >= 0 ? index : AddValue(value);
}

void TRVIntegerList::SortAscending() {
  // A plain comparison: the difference of two values may not fit in 32 bits.
  std::sort(values_.begin(), values_.end());
}

void TRVColorList::AddColorIfAbsent(TColor color) {
  if (color != clNone) AddIfAbsent(color);
}
