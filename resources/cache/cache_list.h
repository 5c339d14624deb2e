// One kind of shared object in the applet's cache: names (matched without
// regard to case) to objects, null for a remembered miss, in the order they
// came, each entry with a count of its own (the streams' count). A look-up
// by name or by object and a removal each cost a step however many entries
// there are: an applet of thousands of pictures, models or streams loads
// and ends in time that grows with them, not with their square.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

class TObject;

class TCacheList {
 public:
  std::int32_t Count() const { return static_cast<std::int32_t>(byName_.size()); }
  // Whether the name is listed, and its object (null for a miss).
  bool Find(std::u16string_view name, TObject*& object) const;
  // Lists the object (null: a miss) under a name not listed yet.
  void Add(std::u16string_view name, TObject* object);
  bool Holds(const TObject* object) const { return object && byObject_.count(object) > 0; }
  // The entry's own count; nullptr when the name is not listed.
  std::int32_t* CountOf(std::u16string_view name);
  std::int32_t CountOr(std::u16string_view name, std::int32_t absent) const;
  // Forget the entry; false when there is none.
  bool Remove(std::u16string_view name);
  bool RemoveObject(const TObject* object);

  // Walks the entries there are when it begins, newest first: `step` gets
  // each one still listed when its turn comes (and may remove any).
  template <class Step>
  void NewestFirst(Step step) {
    ++walks_;
    for (std::size_t slot = entries_.size(); slot-- > 0;)
      if (entries_[slot].listed) step(entries_[slot].name, entries_[slot].object);
    --walks_;
    Compact();
  }

 private:
  struct TEntry {
    std::u16string name;
    std::string key;  // the name as names compare (GOODTextKey)
    TObject* object = nullptr;
    std::int32_t count = 0;
    bool listed = true;
  };
  static std::string Key(std::u16string_view name);
  void Drop(std::size_t slot);
  // Closes the holes once they are half the entries and no walk is on.
  void Compact();

  std::vector<TEntry> entries_;
  std::unordered_map<std::string, std::size_t> byName_;
  std::unordered_map<const TObject*, std::size_t> byObject_;
  std::size_t holes_ = 0;
  int walks_ = 0;
};

}  // namespace corvane
