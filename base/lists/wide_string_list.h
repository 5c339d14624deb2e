// TWideStringList: the array implementation of TWideStrings, with optional
// sorting (by text, or by the items' objects) and change events.
//
// The list never owns the objects attached to its items.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/lists/string_list.h"  // TDuplicates
#include "base/lists/wide_strings.h"

namespace corvane {

struct TWideStringItem {
  std::u16string String;
  TObject* Object = nullptr;
};

// The order of sorting by object: the low 32 bits of each object slot as a
// signed integer, greatest first (-1 when a goes before b, 1 after, 0
// equal). The score table keeps each score as an item's object and relies
// on this order.
int CompareWideListObjects(const TObject* a, const TObject* b);

class TWideStringList : public TWideStrings {
  CORVANE_CLASS(TWideStringList, TWideStrings)
  static void Describe(TClassBuilder<TWideStringList>& c);
  using TNotifyEvent = std::function<void(TObject* sender)>;

  TWideStringList() = default;
  explicit TWideStringList(const TCreateContext& context) : TWideStrings(context) {}
  // Unassigns both events, then releases the items.
  ~TWideStringList() override;

  std::u16string Get(int index) const override;
  // The same text without a copy, for callers that read it every frame; an
  // index out of range is reported as Get reports it, with an empty text.
  const std::u16string& GetRef(int index) const;
  TObject* GetObject(int index) const override;
  // Replaces the text only; the object stays. A sorted list reports
  // "sorted list error" and replaces all the same.
  void Put(int index, const std::u16string& text) override;
  void PutObject(int index, TObject* object) override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  int GetCapacity() const override { return capacity_; }
  // A capacity below the count is taken as the count.
  void SetCapacity(int capacity) override;
  // A sorted list reports "sorted list error" and inserts all the same.
  void Insert(int index, const std::u16string& text) override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  // Only when there are items: Changing, empty, capacity 0, Changed.
  void Clear() override;
  // A list sorted by text puts the text in its place, duplicates by the
  // policy (dupError reports "Doublicate string" and adds all the same);
  // otherwise appends.
  int Add(const std::u16string& text) override;
  // Binary search on a list sorted by text; otherwise linear.
  int IndexOf(std::u16string_view text) const override;
  // Only an unsorted list of two or more items: by object when
  // SortByObject, else by text (GOODCompareText).
  void Sort() override;
  // With CaseSensitive the exact comparison, else GOODCompareText.
  int CompareStrings(std::u16string_view a, std::u16string_view b) const override;

  // Binary search by text (never considering case): true with an equal
  // item's index (the first equal one under dupAccept), else false with
  // the index where the text would go.
  virtual bool Find(std::u16string_view text, int& index) const;
  // The same over the objects, in the order of CompareWideListObjects.
  virtual bool FindByObject(const TObject* object, int& index) const;

  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  bool SortByObject() const { return sortByObject_; }
  void SetSortByObject(bool value) { sortByObject_ = value; }

  // Called around every change while no update is in progress, and once at
  // the start and the end of the outermost update.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();

 private:
  bool Valid(int index) const { return index >= 0 && index < GetCount(); }
  void Grow();
  // Inserts without the sorted-list check; the index is clamped into the
  // list, since a change handler may have changed it meanwhile. The index
  // the text went to.
  int InsertItem(int index, const std::u16string& text);
  // compare(item) gives the item's order against the target.
  template <class Compare>
  bool Search(Compare compare, int& index) const;

  std::vector<TWideStringItem> items_;
  int capacity_ = 0;
  TDuplicates duplicates_ = dupIgnore;
  bool sortByObject_ = false;
};

}  // namespace corvane
