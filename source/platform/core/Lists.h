// Pointer lists: TList holds plain pointers it never frees, TObjectList<T> owns its items.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Exceptions.h"

/// A list of non-owning pointers with checked index access.
template <typename T>
class TList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  T* operator[](int index) const { return Get(index); }
  T* Get(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return items_[static_cast<size_t>(index)];
  }
  void Put(int index, T* item) {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    items_[static_cast<size_t>(index)] = item;
  }
  int Add(T* item) {
    items_.push_back(item);
    return Count() - 1;
  }
  void Insert(int index, T* item) {
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    items_.insert(items_.begin() + index, item);
  }
  void Delete(int index) {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    items_.erase(items_.begin() + index);
  }
  int IndexOf(const T* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }
  int Remove(const T* item) {
    const int i = IndexOf(item);
    if (i >= 0) Delete(i);
    return i;
  }
  /// Moves the item at `from` to `to`; both are checked before anything moves.
  void Move(int from, int to) {
    if (to < 0 || to >= Count()) RaiseListIndexError(to);
    T* item = Get(from);
    Delete(from);
    Insert(to, item);
  }
  void Exchange(int a, int b) {
    T* t = Get(a);
    Put(a, Get(b));
    Put(b, t);
  }
  void Clear() { items_.clear(); }
  T* First() const { return Get(0); }
  T* Last() const { return Get(Count() - 1); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T*> items_;
};

/// A list that owns its items: the project's one owning list. Slots may hold null (freeing
/// null does nothing); Delete and Clear free items, Extract hands one back.
template <typename T>
class TObjectList {
 public:
  TObjectList() = default;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  TObjectList(TObjectList&&) noexcept = default;
  TObjectList& operator=(TObjectList&&) noexcept = default;
  ~TObjectList() { Clear(); }

  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  /// Raises EListError for a capacity below Count.
  void SetCapacity(int capacity) {
    if (capacity < Count()) RaiseListCapacityError(capacity);
    items_.reserve(static_cast<size_t>(capacity));
  }

  T* operator[](int index) const { return Get(index); }
  T* Get(int index) const { return items_[CheckIndex(index)].get(); }
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
  /// Removes and frees the item at `index`; the slot is gone before the item's destructor runs.
  void Delete(int index) { std::unique_ptr<T> doomed = Extract(index); }
  void FreeAndDelete(int index) { Delete(index); }
  /// Removes the slot at `index` without freeing its item: the caller takes it over.
  [[nodiscard]] std::unique_ptr<T> Extract(int index) {
    std::unique_ptr<T> item = std::move(items_[CheckIndex(index)]);
    items_.erase(items_.begin() + index);
    return item;
  }
  [[nodiscard]] std::unique_ptr<T> DeleteWithoutFree(int index) { return Extract(index); }
  void Exchange(int a, int b) { std::swap(items_[CheckIndex(a)], items_[CheckIndex(b)]); }
  /// Moves the item at `from` to `to`; both are checked before anything moves, so a bad
  /// index never frees the item.
  void Move(int from, int to) {
    if (to < 0 || to >= Count()) RaiseListIndexError(to);
    std::unique_ptr<T> item = Extract(from);
    Insert(to, std::move(item));
  }
  /// Empties the list, then frees the items from index 0 upwards, so that their destructors
  /// never see a slot of a freed item.
  void Clear() {
    std::vector<std::unique_ptr<T>> doomed = std::move(items_);
    items_.clear();
    for (auto& item : doomed) item.reset();
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
