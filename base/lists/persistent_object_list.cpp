#include "base/lists/persistent_object_list.h"

#include <algorithm>
#include <utility>

#include "base/lists/quick_sort.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPersistentObjectList)

void TPersistentObjectList::Error() const { EngineError(u"List index error"); }

void TPersistentObjectList::AfterObjectCreatedByReader(TObject*) {}

bool TPersistentObjectList::CheckSize(std::int64_t size) const {
  if (size >= 0 && size <= kMaxCount) return true;
  EngineError(u"List capacity out of bounds (" + IntToStr(size) + u")");
  return false;
}

// ---- growth ----------------------------------------------------------------

void TPersistentObjectList::GrowByDelta() {
  // A delta below 1 would leave a full list full.
  SetCapacity(static_cast<int>(std::min<std::int64_t>(
      kMaxCount + std::int64_t{1}, std::int64_t{Capacity()} + std::max(growthDelta_, 1))));
}

TPersistentObjectList* TPersistentObjectList::Expand() {
  if (count_ == Capacity()) GrowByDelta();
  return this;
}

void TPersistentObjectList::SetCapacity(int capacity) {
  if (capacity == Capacity() || !CheckSize(capacity)) return;
  if (count_ > capacity) count_ = capacity;
  items_.resize(static_cast<std::size_t>(capacity), nullptr);
  items_.shrink_to_fit();
}

void TPersistentObjectList::RequiredCapacity(int n) {
  if (Capacity() < n) SetCapacity(n);
}

void TPersistentObjectList::SetCount(int n) {
  if (!CheckSize(n)) return;
  if (n > Capacity()) SetCapacity(n);
  // Slots behind the count are always nil: dropped items are cleared.
  if (n < count_) std::fill(items_.begin() + n, items_.begin() + count_, nullptr);
  count_ = n;
}

void TPersistentObjectList::Clear() {
  count_ = 0;
  items_.clear();
  items_.shrink_to_fit();
}

// ---- adding ----------------------------------------------------------------

int TPersistentObjectList::Add(TObject* object) {
  if (count_ == Capacity()) GrowByDelta();
  if (count_ == Capacity()) return -1;  // refused, reported
  items_[static_cast<std::size_t>(count_)] = object;
  return count_++;
}

void TPersistentObjectList::AddNils(int n) {
  if (n <= 0) return;
  SetCount(static_cast<int>(std::min<std::int64_t>(std::int64_t{count_} + n, kMaxCount + std::int64_t{1})));
}

int TPersistentObjectList::AddObjects(const TPersistentObjectList* other) {
  if (!other) return 0;
  const int old = count_;
  // A copy first: the other list may be this one.
  const std::vector<TObject*> added(other->items_.begin(), other->items_.begin() + other->count_);
  if (!CheckSize(std::int64_t{old} + static_cast<std::int64_t>(added.size()))) return old;
  SetCount(old + static_cast<int>(added.size()));
  std::copy(added.begin(), added.end(), items_.begin() + old);
  return old;
}

void TPersistentObjectList::RemoveObjects(const TPersistentObjectList* other) {
  if (!other) return;
  const std::vector<TObject*> removed(other->items_.begin(), other->items_.begin() + other->count_);
  for (TObject* object : removed) Remove(object);
}

void TPersistentObjectList::Insert(int index, TObject* object) {
  if (index < 0 || index > count_) return Error();
  if (count_ == Capacity()) GrowByDelta();
  if (count_ == Capacity()) return;
  const auto first = items_.begin();
  std::move_backward(first + index, first + count_, first + count_ + 1);
  items_[static_cast<std::size_t>(index)] = object;
  ++count_;
}

void TPersistentObjectList::InsertNils(int index, int n) {
  if (n <= 0) return;
  if (index < 0 || index > count_) return Error();
  if (!CheckSize(std::int64_t{count_} + n)) return;
  const int old = count_;
  if (Capacity() < old + n) SetCapacity(old + n);
  const auto first = items_.begin();
  std::move_backward(first + index, first + old, first + old + n);
  std::fill(first + index, first + index + n, nullptr);
  count_ = old + n;
}

// ---- removing --------------------------------------------------------------

void TPersistentObjectList::Delete(int index) {
  DeleteItems(index, 1);
}

void TPersistentObjectList::DeleteItems(int index, int n) {
  if (n <= 0) return;
  if (!Valid(index)) return Error();
  n = std::min(n, count_ - index);
  const auto first = items_.begin();
  std::move(first + index + n, first + count_, first + index);
  std::fill(first + count_ - n, first + count_, nullptr);
  count_ -= n;
}

int TPersistentObjectList::Remove(const TObject* object) {
  const int index = IndexOf(object);
  if (index >= 0) Delete(index);
  return index;
}

TObject* TPersistentObjectList::Pop() {
  if (count_ == 0) return nullptr;
  TObject* last = items_[static_cast<std::size_t>(--count_)];
  items_[static_cast<std::size_t>(count_)] = nullptr;
  return last;
}

void TPersistentObjectList::Pack() {
  const auto first = items_.begin();
  const auto kept = std::remove(first, first + count_, nullptr);
  count_ = static_cast<int>(kept - first);
}

// ---- access ----------------------------------------------------------------

TObject* TPersistentObjectList::Get(int index) const {
  if (!Valid(index)) {
    Error();
    return nullptr;
  }
  return items_[static_cast<std::size_t>(index)];
}

void TPersistentObjectList::Put(int index, TObject* object) {
  if (!Valid(index)) return Error();
  items_[static_cast<std::size_t>(index)] = object;
}

int TPersistentObjectList::IndexOf(const TObject* object) const {
  const auto first = items_.begin();
  const auto it = std::find(first, first + count_, object);
  return it == first + count_ ? -1 : static_cast<int>(it - first);
}

void TPersistentObjectList::Exchange(int index1, int index2) {
  if (!Valid(index1) || !Valid(index2)) return Error();
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TPersistentObjectList::Move(int curIndex, int newIndex) {
  if (!Valid(curIndex) || !Valid(newIndex)) return Error();
  const auto first = items_.begin();
  if (curIndex < newIndex) std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
  else if (curIndex > newIndex) std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
}

// ---- freeing ---------------------------------------------------------------

void TPersistentObjectList::DeleteAndFree(int index) {
  if (!Valid(index)) return Error();
  TObject* object = items_[static_cast<std::size_t>(index)];
  Delete(index);
  if (object) object->Free();
}

void TPersistentObjectList::DeleteAndFreeItems(int index, int n) {
  if (n <= 0) return;
  if (!Valid(index)) return Error();
  n = std::min(n, count_ - index);
  // Out of the list first: a destructor that removes its own entry must not
  // shift the range still to be freed.
  const auto first = items_.begin() + index;
  const std::vector<TObject*> taken(first, first + n);
  DeleteItems(index, n);
  for (TObject* object : taken)
    if (object) object->Free();
}

int TPersistentObjectList::RemoveAndFree(TObject* object) {
  const int index = IndexOf(object);
  if (index < 0) return -1;
  Delete(index);
  if (object) object->Free();
  return index;
}

void TPersistentObjectList::Clean() {
  // Last to first; an index no longer below the count (a destructor
  // removed entries) is skipped.
  for (int i = count_ - 1; i >= 0; --i) {
    if (i >= count_) continue;
    TObject* object = items_[static_cast<std::size_t>(i)];
    Delete(i);
    if (object) object->Free();
  }
  Clear();
}

void TPersistentObjectList::CleanFree() {
  Clean();
  Free();
}

// ---- sorting ---------------------------------------------------------------

void TPersistentObjectList::Sort(const TObjectListSortCompare& compare) {
  if (count_ <= 1 || !compare) return;
  // Sorted as a copy: a comparison that changes the list cannot make the
  // sort reach outside it. Such a change wins; the sorted copy is dropped.
  std::vector<TObject*> sorted(items_.begin(), items_.begin() + count_);
  QuickSortRange(sorted, 0, count_ - 1, compare);
  if (static_cast<int>(sorted.size()) == count_) std::copy(sorted.begin(), sorted.end(), items_.begin());
}

}  // namespace corvane
