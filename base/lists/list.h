// TList<T>: the runtime's plain list of pointers. Indexes run 0 .. Count-1;
// an index outside the list is reported through the engine log and the call
// does nothing (or gives nullptr / -1): callers carry on, the list stays as
// it was.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/system/log_target.h"
#include "base/text/number_text.h"

namespace corvane {

// "List index out of bounds (<index>)" as an error line.
inline void ListIndexError(std::int64_t index) {
  EngineError(u"List index out of bounds (" + IntToStr(index) + u")");
}

template <class T>
class TList {
 public:
  using iterator = typename std::vector<T*>::iterator;
  using const_iterator = typename std::vector<T*>::const_iterator;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  // Appends; the new item's index.
  int Add(T* item) {
    items_.push_back(item);
    return Count() - 1;
  }
  // 0 .. Count (Count appends).
  void Insert(int index, T* item) {
    if (index < 0 || index > Count()) return ListIndexError(index);
    items_.insert(items_.begin() + index, item);
  }
  void Delete(int index) {
    if (!Valid(index)) return ListIndexError(index);
    items_.erase(items_.begin() + index);
  }
  // Removes the first occurrence; its former index, -1 when absent.
  int Remove(const T* item) {
    const int index = IndexOf(item);
    if (index >= 0) items_.erase(items_.begin() + index);
    return index;
  }
  // Removes the first occurrence and gives it back; nullptr when absent.
  T* Extract(const T* item) {
    const int index = IndexOf(item);
    if (index < 0) return nullptr;
    T* found = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    return found;
  }
  int IndexOf(const T* item) const {
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }

  T* Get(int index) const {
    if (!Valid(index)) {
      ListIndexError(index);
      return nullptr;
    }
    return items_[static_cast<std::size_t>(index)];
  }
  void Put(int index, T* item) {
    if (!Valid(index)) return ListIndexError(index);
    items_[static_cast<std::size_t>(index)] = item;
  }
  T* operator[](int index) const { return Get(index); }
  // Get(0) / Get(Count-1): an empty list reports the index like Get.
  T* First() const { return Get(0); }
  T* Last() const { return Get(Count() - 1); }

  void Exchange(int index1, int index2) {
    if (!Valid(index1)) return ListIndexError(index1);
    if (!Valid(index2)) return ListIndexError(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  }
  // Takes the item at curIndex out and puts it back at newIndex.
  void Move(int curIndex, int newIndex) {
    if (!Valid(curIndex)) return ListIndexError(curIndex);
    if (!Valid(newIndex)) return ListIndexError(newIndex);
    if (curIndex == newIndex) return;
    const auto first = items_.begin();
    if (curIndex < newIndex) std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
  }
  // Drops every nullptr entry, keeping the order of the others.
  void Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }
  void Clear() {
    items_.clear();
    items_.shrink_to_fit();
  }
  // compare(a, b) < 0 puts a before b; items that compare equal keep their
  // order.
  template <class Compare>
  void Sort(Compare compare) {
    std::stable_sort(items_.begin(), items_.end(), [&](T* a, T* b) { return compare(a, b) < 0; });
  }

  int Capacity() const { return static_cast<int>(items_.capacity()); }
  // A capacity below Count is reported ("List capacity out of bounds (n)")
  // and ignored.
  void SetCapacity(int capacity) {
    if (capacity < Count()) {
      EngineError(u"List capacity out of bounds (" + IntToStr(capacity) + u")");
      return;
    }
    const auto wanted = static_cast<std::size_t>(capacity);
    if (wanted > items_.capacity()) {
      items_.reserve(wanted);
    } else if (wanted < items_.capacity()) {
      std::vector<T*> resized;
      resized.reserve(wanted);
      resized.assign(items_.begin(), items_.end());
      items_.swap(resized);
    }
  }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  bool Valid(int index) const { return index >= 0 && index < Count(); }

  std::vector<T*> items_;
};

}  // namespace corvane
