// The rich-text engine's small list classes: TRVList owns the objects it holds,
// TRVIntegerList holds 32-bit integers and TRVColorList colours without the no-colour value.
// Documents, undo groups, table rows, RTF tables and list markers are built on them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"

/// Raises EListError "List capacity out of bounds (n)".
[[noreturn]] void RaiseListCapacityError(long long capacity);

/// A list that owns its objects. Slots may hold null; freeing null does nothing.
template <typename T = TObject>
class TRVList {
 public:
  TRVList() = default;
  TRVList(const TRVList&) = delete;
  TRVList& operator=(const TRVList&) = delete;
  TRVList(TRVList&&) noexcept = default;
  TRVList& operator=(TRVList&&) noexcept = default;
  virtual ~TRVList() { Clear(); }

  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity) {
    if (capacity < Count()) RaiseListCapacityError(capacity);
    items_.reserve(static_cast<size_t>(capacity));
  }

  T* Get(int index) const { return items_[CheckIndex(index)].get(); }
  T* operator[](int index) const { return Get(index); }
  T* First() const { return Get(0); }
  T* Last() const { return Get(Count() - 1); }
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }

  int Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  /// Inserts before position `index` (0 .. Count).
  void Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    items_.insert(items_.begin() + index, std::move(item));
  }
  void Exchange(int a, int b) { std::swap(items_[CheckIndex(a)], items_[CheckIndex(b)]); }
  void Move(int from, int to) {
    std::unique_ptr<T> item = DeleteWithoutFree(from);
    Insert(to, std::move(item));
  }

  /// Frees every item, from index 0 upwards, then empties the list.
  void Clear() {
    for (auto& item : items_) item.reset();
    items_.clear();
  }
  /// Frees the item at `index`, then removes its slot.
  void FreeAndDelete(int index) {
    items_[CheckIndex(index)].reset();
    items_.erase(items_.begin() + index);
  }
  /// Removes the slot at `index` without freeing its item: the caller takes it over.
  [[nodiscard]] std::unique_ptr<T> DeleteWithoutFree(int index) {
    std::unique_ptr<T> item = std::move(items_[CheckIndex(index)]);
    items_.erase(items_.begin() + index);
    return item;
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  size_t CheckIndex(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return static_cast<size_t>(index);
  }

  std::vector<std::unique_ptr<T>> items_;
};

/// A list of signed 32-bit integers.
class TRVIntegerList {
 public:
  TRVIntegerList() = default;
  TRVIntegerList(const TRVIntegerList&) = default;
  TRVIntegerList& operator=(const TRVIntegerList&) = default;
  TRVIntegerList(TRVIntegerList&&) noexcept = default;
  TRVIntegerList& operator=(TRVIntegerList&&) noexcept = default;
  virtual ~TRVIntegerList() = default;

  /// A list of `count` copies of `value`.
  static TRVIntegerList CreateFilled(int count, int32_t value);
  /// A copy of `source`.
  static TRVIntegerList CreateFrom(const TRVIntegerList& source);

  int Count() const { return static_cast<int>(values_.size()); }
  int Capacity() const { return static_cast<int>(values_.capacity()); }
  /// Raises EListError for a capacity below 0 or below Count.
  void SetCapacity(int capacity);

  int32_t GetValue(int index) const { return values_[CheckIndex(index)]; }
  void SetValue(int index, int32_t value) { values_[CheckIndex(index)] = value; }
  int32_t operator[](int index) const { return GetValue(index); }

  /// Clears the list, then appends each value of `source` in order.
  void CopyFrom(const TRVIntegerList& source);
  /// Clears the list, then appends `value` `count` times.
  void FillWith(int32_t value, int count);
  int AddValue(int32_t value);
  /// Inserts before position `index` (0 .. Count); later values move up by one.
  void InsertValue(int index, int32_t value);
  void Delete(int index);
  void Clear() { values_.clear(); }
  /// Index of the first value equal to `value`, -1 when there is none.
  int IndexOf(int32_t value) const;
  /// The index of the first equal value; when there is none, the value is appended and its
  /// new index returned.
  int AddIfAbsent(int32_t value);
  void SortAscending();

  auto begin() const { return values_.begin(); }
  auto end() const { return values_.end(); }

 private:
  size_t CheckIndex(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return static_cast<size_t>(index);
  }

  std::vector<int32_t> values_;
};

/// A list of colours that never holds clNone, each colour at most once when added through
/// AddColorIfAbsent.
class TRVColorList : public TRVIntegerList {
 public:
  /// Adds the colour unless it is clNone or already present.
  void AddColorIfAbsent(TColor color);
};
