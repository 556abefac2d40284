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

/// A list that owns its items: Delete and Clear free them, Extract hands one back.
template <typename T>
class TObjectList {
 public:
  TObjectList() = default;
  TObjectList(TObjectList&&) = default;
  TObjectList& operator=(TObjectList&&) = default;

  int Count() const { return static_cast<int>(items_.size()); }
  T* operator[](int index) const { return Get(index); }
  T* Get(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return items_[static_cast<size_t>(index)].get();
  }
  int Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  void Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    items_.insert(items_.begin() + index, std::move(item));
  }
  /// Removes and frees the item at `index`.
  void Delete(int index) {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    std::unique_ptr<T> doomed = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
  }
  /// Removes the item at `index` without freeing it.
  std::unique_ptr<T> Extract(int index) {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    std::unique_ptr<T> item = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    return item;
  }
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }
  /// Moves the item at `from` to `to`; both are checked before anything moves, so a bad
  /// index never frees the item.
  void Move(int from, int to) {
    if (to < 0 || to >= Count()) RaiseListIndexError(to);
    std::unique_ptr<T> item = Extract(from);
    Insert(to, std::move(item));
  }
  void Clear() {
    // Free from the last down, so that destructors see a consistent list.
    while (!items_.empty()) {
      std::unique_ptr<T> doomed = std::move(items_.back());
      items_.pop_back();
    }
  }
  ~TObjectList() { Clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};
