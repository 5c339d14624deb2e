#include "resources/cache/cache_list.h"

#include "base/text/good_text.h"

namespace corvane {

// Names equal as the engine compares them (GOODCompareText) share a key;
// no other two do.
std::string TCacheList::Key(std::u16string_view name) { return GOODTextKey(name); }

bool TCacheList::Find(std::u16string_view name, TObject*& object) const {
  const auto found = byName_.find(Key(name));
  if (found == byName_.end()) return false;
  object = entries_[found->second].object;
  return true;
}

void TCacheList::Add(std::u16string_view name, TObject* object) {
  const std::size_t slot = entries_.size();
  std::string key = Key(name);
  if (!byName_.emplace(key, slot).second) return;
  entries_.push_back({std::u16string(name), std::move(key), object});
  if (object) byObject_.emplace(object, slot);
}

std::int32_t* TCacheList::CountOf(std::u16string_view name) {
  const auto found = byName_.find(Key(name));
  return found == byName_.end() ? nullptr : &entries_[found->second].count;
}

std::int32_t TCacheList::CountOr(std::u16string_view name, std::int32_t absent) const {
  const auto found = byName_.find(Key(name));
  return found == byName_.end() ? absent : entries_[found->second].count;
}

bool TCacheList::Remove(std::u16string_view name) {
  const auto found = byName_.find(Key(name));
  if (found == byName_.end()) return false;
  Drop(found->second);
  return true;
}

bool TCacheList::RemoveObject(const TObject* object) {
  const auto found = object ? byObject_.find(object) : byObject_.end();
  if (found == byObject_.end()) return false;
  Drop(found->second);
  return true;
}

void TCacheList::Drop(std::size_t slot) {
  TEntry& entry = entries_[slot];
  byName_.erase(entry.key);
  if (entry.object) byObject_.erase(entry.object);
  entry.listed = false;
  entry.object = nullptr;
  ++holes_;
  Compact();
}

void TCacheList::Compact() {
  if (walks_ > 0 || holes_ * 2 <= entries_.size()) return;
  std::size_t kept = 0;
  for (std::size_t slot = 0; slot < entries_.size(); ++slot) {
    if (!entries_[slot].listed) continue;
    if (kept != slot) entries_[kept] = std::move(entries_[slot]);
    byName_[entries_[kept].key] = kept;
    if (entries_[kept].object) byObject_[entries_[kept].object] = kept;
    ++kept;
  }
  entries_.resize(kept);
  holes_ = 0;
}

}  // namespace corvane
