// TPersistentObjectList: a growable array of object references with room
// for nil slots, stack operations, packing and bulk freeing. The particle
// system's particle list is built on it.
//
// The list does not own its items: only DeleteAndFree, DeleteAndFreeItems,
// RemoveAndFree, Clean and CleanFree free them, and destroying the list
// frees none. An index outside the list is reported ("List index error")
// and the call does nothing (or gives nullptr).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/reflection/persistent.h"

namespace corvane {

// Negative when item1 goes first, 0 for equals, positive when it goes
// after.
using TObjectListSortCompare = std::function<int(TObject* item1, TObject* item2)>;

class TPersistentObjectList : public TSomePersistent {
  CORVANE_CLASS(TPersistentObjectList, TSomePersistent)
  // The most items a list holds; a count or capacity beyond it is refused.
  static constexpr int kMaxCount = 0x7FFFFFF;

  TPersistentObjectList() : TSomePersistent(TCreateContext{}) {}
  explicit TPersistentObjectList(const TCreateContext& context) : TSomePersistent(context) {}

  // Reports "List index error" through the engine log.
  virtual void Error() const;
  // Called for each object a reader creates into the list; a hook for
  // descendants, empty here.
  virtual void AfterObjectCreatedByReader(TObject* object);
  // Count and capacity 0; the items are not freed.
  virtual void Clear();
  // Frees every item, the last first, then Clear. Each item leaves the
  // list before it is freed, so a destructor that removes its own entry
  // (or frees others that do) finds the list consistent.
  virtual void Clean();

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(items_.size()); }
  int GrowthDelta() const { return growthDelta_; }
  // What Add, Insert and Expand grow by (at least 1 is used).
  void SetGrowthDelta(int delta) { growthDelta_ = delta; }

  // Appends, growing by the delta when full; the new item's index.
  int Add(TObject* object);
  int Push(TObject* object) { return Add(object); }
  // Appends n nils, growing to exactly what is needed.
  void AddNils(int n);
  // Appends the other list's items; the old count (0 for nullptr).
  int AddObjects(const TPersistentObjectList* other);
  // Remove of each of the other list's items, first to last.
  void RemoveObjects(const TPersistentObjectList* other);
  // 0 .. Count (Count appends).
  void Insert(int index, TObject* object);
  void InsertNils(int index, int n);
  void Delete(int index);
  // Deletes n items from index, n clamped to what the list holds there.
  void DeleteItems(int index, int n);
  void Exchange(int index1, int index2);
  // Takes the item out and puts it in at newIndex; the items between shift
  // by one towards curIndex.
  void Move(int curIndex, int newIndex);
  TObject* Get(int index) const;
  void Put(int index, TObject* object);
  TObject* GetFirst() const { return Get(0); }
  void SetFirst(TObject* object) { Put(0, object); }
  TObject* GetLast() const { return Get(count_ - 1); }
  void SetLast(TObject* object) { Put(count_ - 1, object); }
  // The first index holding the object, -1 when none.
  int IndexOf(const TObject* object) const;
  // Deletes the first occurrence; its former index, -1 when absent.
  int Remove(const TObject* object);
  // The last item, taken off the list; nullptr when empty.
  TObject* Pop();
  // Grows by the delta when full.
  TPersistentObjectList* Expand();
  // A smaller capacity cuts the count.
  void SetCapacity(int capacity);
  // Raises the capacity to n when it is smaller.
  void RequiredCapacity(int n);
  // New slots are nil; a smaller count drops the items behind it.
  void SetCount(int n);
  // Removes every nil item, keeping the order of the others.
  void Pack();
  void DeleteAndFree(int index);
  // Takes the items index .. index + n - 1 (n clamped) out, then frees them
  // in order.
  void DeleteAndFreeItems(int index, int n);
  // Deletes and frees the first occurrence; its former index, -1 when
  // absent.
  int RemoveAndFree(TObject* object);
  // Clean, then frees the list itself.
  void CleanFree();
  // Quicksort by compare (with more than one item).
  void Sort(const TObjectListSortCompare& compare);

 private:
  bool Valid(int index) const { return index >= 0 && index < count_; }
  // Reports and refuses a count or capacity outside 0 .. kMaxCount.
  bool CheckSize(std::int64_t size) const;
  void GrowByDelta();

  // Capacity() slots; those from count_ on are nil.
  std::vector<TObject*> items_;
  int count_ = 0;
  int growthDelta_ = 16;
};

}  // namespace corvane
