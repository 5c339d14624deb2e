#include "base/lists/wide_string_list.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/lists/quick_sort.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/good_text.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TWideStringList)

namespace {

void SortedListError() { EngineError(u"sorted list error"); }

std::int32_t Low32(const TObject* object) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object)));
}

}  // namespace

int CompareWideListObjects(const TObject* a, const TObject* b) {
  const std::int32_t va = Low32(a);
  const std::int32_t vb = Low32(b);
  if (va == vb) return 0;
  return va < vb ? 1 : -1;
}

void TWideStringList::Describe(TClassBuilder<TWideStringList>& c) {
  c.Property("sortByObject", &TWideStringList::SortByObject, &TWideStringList::SetSortByObject);
  c.Method("add", &TWideStringList::Add);
  c.Method("clear", &TWideStringList::Clear);
}

TWideStringList::~TWideStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

// ---- items -----------------------------------------------------------------

std::u16string TWideStringList::Get(int index) const { return GetRef(index); }

const std::u16string& TWideStringList::GetRef(int index) const {
  static const std::u16string kNone;
  if (!Valid(index)) {
    WideListIndexError();
    return kNone;
  }
  return items_[static_cast<std::size_t>(index)].String;
}

TObject* TWideStringList::GetObject(int index) const {
  if (!Valid(index)) {
    WideListIndexError();
    return nullptr;
  }
  return items_[static_cast<std::size_t>(index)].Object;
}

void TWideStringList::Put(int index, const std::u16string& text) {
  if (Sorted()) SortedListError();
  if (!Valid(index)) return WideListIndexError();
  Changing();
  if (Valid(index)) items_[static_cast<std::size_t>(index)].String = text;
  Changed();
}

void TWideStringList::PutObject(int index, TObject* object) {
  if (!Valid(index)) return WideListIndexError();
  Changing();
  if (Valid(index)) items_[static_cast<std::size_t>(index)].Object = object;
  Changed();
}

void TWideStringList::Insert(int index, const std::u16string& text) {
  if (Sorted()) SortedListError();
  if (index < 0 || index > GetCount()) return WideListIndexError();
  InsertItem(index, text);
}

int TWideStringList::InsertItem(int index, const std::u16string& text) {
  Changing();
  index = std::clamp(index, 0, GetCount());
  if (GetCount() >= capacity_) Grow();
  items_.insert(items_.begin() + index, TWideStringItem{text, nullptr});
  Changed();
  return index;
}

void TWideStringList::Grow() {
  int delta = 4;
  if (capacity_ > 64) delta = capacity_ / 4;
  else if (capacity_ > 8) delta = 16;
  capacity_ += delta;
  items_.reserve(static_cast<std::size_t>(capacity_));
}

void TWideStringList::SetCapacity(int capacity) {
  // The vector allocates as items come; the capacity is the list's own
  // growth bookkeeping and never drops below the count.
  capacity_ = std::max(capacity, GetCount());
}

void TWideStringList::Delete(int index) {
  if (!Valid(index)) return WideListIndexError();
  Changing();
  if (Valid(index)) items_.erase(items_.begin() + index);
  Changed();
}

void TWideStringList::Exchange(int index1, int index2) {
  bool valid = true;
  for (const int index : {index1, index2}) {
    if (!Valid(index)) {
      WideListIndexError();
      valid = false;
    }
  }
  if (!valid) return;
  Changing();
  if (Valid(index1) && Valid(index2))
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  Changed();
}

void TWideStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  items_.shrink_to_fit();
  capacity_ = 0;
  Changed();
}

int TWideStringList::Add(const std::u16string& text) {
  int index = GetCount();
  if (Sorted() && !sortByObject_ && Find(text, index)) {
    switch (duplicates_) {
      case dupIgnore: return index;
      case dupError: EngineError(u"Doublicate string"); break;
      case dupAccept: break;
    }
  }
  return InsertItem(index, text);
}

// ---- search and order ------------------------------------------------------

template <class Compare>
bool TWideStringList::Search(Compare compare, int& index) const {
  bool found = false;
  int low = 0;
  int high = GetCount() - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int result = compare(items_[static_cast<std::size_t>(middle)]);
    if (result < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (result == 0) {
        found = true;
        if (duplicates_ != dupAccept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

bool TWideStringList::Find(std::u16string_view text, int& index) const {
  return Search([text](const TWideStringItem& item) { return GOODCompareText(item.String, text); }, index);
}

bool TWideStringList::FindByObject(const TObject* object, int& index) const {
  return Search([object](const TWideStringItem& item) { return CompareWideListObjects(item.Object, object); },
                index);
}

int TWideStringList::IndexOf(std::u16string_view text) const {
  // A list sorted by object is in no text order: it is searched like an
  // unsorted one.
  if (!Sorted() || sortByObject_) return TWideStrings::IndexOf(text);
  int index = -1;
  return Find(text, index) ? index : -1;
}

int TWideStringList::CompareStrings(std::u16string_view a, std::u16string_view b) const {
  if (!CaseSensitive()) return GOODCompareText(a, b);
  const int result = a.compare(b);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

void TWideStringList::Sort() {
  if (Sorted() || GetCount() <= 1) return;
  Changing();
  if (sortByObject_) {
    QuickSortRange(items_, 0, GetCount() - 1, [](const TWideStringItem& a, const TWideStringItem& b) {
      return CompareWideListObjects(a.Object, b.Object);
    });
  } else {
    QuickSortRange(items_, 0, GetCount() - 1,
                   [](const TWideStringItem& a, const TWideStringItem& b) { return GOODCompareText(a.String, b.String); });
  }
  Changed();
}

// ---- events ----------------------------------------------------------------

void TWideStringList::SetUpdateState(bool updating) {
  if (updating) Changing();
  else Changed();
}

void TWideStringList::Changing() {
  if (OnChanging && UpdateCount() == 0) {
    const TNotifyEvent handler = OnChanging;  // the handler may reassign the event
    handler(this);
  }
}

void TWideStringList::Changed() {
  if (OnChange && UpdateCount() == 0) {
    const TNotifyEvent handler = OnChange;
    handler(this);
  }
}

}  // namespace corvane
