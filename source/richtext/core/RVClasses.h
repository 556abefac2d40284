// The rich-text engine's small list classes: TRVList owns the objects it holds (the
// platform's TObjectList),
// TRVIntegerList holds 32-bit integers and TRVColorList colours without the no-colour value.
// Documents, undo groups, table rows, RTF tables and list markers are built on them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Lists.h"
#include "platform/core/Object.h"

/// The engine's owning list: the project's one owning list template.
template <typename T = TObject>
using TRVList = TObjectList<T>;

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
