#include "base/lists/hashed_string_list.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "base/text/good_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStringHash)
CORVANE_IMPLEMENT_CLASS(THashedStringList)

namespace {

constexpr int kHashBuckets = 256;

// Equal for exactly the texts GOODCompareText finds equal, so that a name in
// another script is not taken for another one of the same length.
std::u16string HashKey(std::u16string_view text) { return WidenLatin1(GOODTextKey(text)); }

}  // namespace

// ---- TStringHash -----------------------------------------------------------

TStringHash::TStringHash(int size) : buckets_(static_cast<std::size_t>(std::max(size, 1))) {}

TStringHash::~TStringHash() { Clear(); }

std::uint32_t TStringHash::HashOf(std::u16string_view key) const {
  std::uint32_t hash = 0;
  for (const char16_t unit : key) hash = ((hash << 2) | (hash >> 30)) ^ unit;
  return hash;
}

void TStringHash::Add(std::u16string_view key, std::int32_t value) {
  std::unique_ptr<THashItem>& head = buckets_[HashOf(key) % buckets_.size()];
  auto item = std::make_unique<THashItem>();
  item->Key.assign(key);
  item->Value = value;
  item->Next = std::move(head);
  head = std::move(item);
}

std::unique_ptr<THashItem>* TStringHash::Find(std::u16string_view key) {
  std::unique_ptr<THashItem>* link = &buckets_[HashOf(key) % buckets_.size()];
  while (*link && (*link)->Key != key) link = &(*link)->Next;
  return link;
}

bool TStringHash::Modify(std::u16string_view key, std::int32_t value) {
  std::unique_ptr<THashItem>* link = Find(key);
  if (!*link) return false;
  (*link)->Value = value;
  return true;
}

void TStringHash::Remove(std::u16string_view key) {
  std::unique_ptr<THashItem>* link = Find(key);
  if (*link) *link = std::move((*link)->Next);
}

std::int32_t TStringHash::ValueOf(std::u16string_view key) {
  std::unique_ptr<THashItem>* link = Find(key);
  return *link ? (*link)->Value : -1;
}

void TStringHash::Clear() {
  // Item by item: a long chain released recursively could run out of stack.
  for (std::unique_ptr<THashItem>& bucket : buckets_) {
    std::unique_ptr<THashItem> item = std::move(bucket);
    while (item) item = std::move(item->Next);
  }
}

// ---- THashedStringList -----------------------------------------------------

void THashedStringList::Changed() {
  TWideStringList::Changed();
  valueHashValid_ = false;
  nameHashValid_ = false;
}

void THashedStringList::UpdateValueHash() const {
  if (valueHashValid_) return;
  if (valueHash_) valueHash_->Clear();
  else valueHash_ = std::make_unique<TStringHash>(kHashBuckets);
  for (int i = 0, n = GetCount(); i < n; ++i) valueHash_->Add(HashKey(Get(i)), i);
  valueHashValid_ = true;
}

void THashedStringList::UpdateNameHash() const {
  if (nameHashValid_) return;
  if (nameHash_) nameHash_->Clear();
  else nameHash_ = std::make_unique<TStringHash>(kHashBuckets);
  for (int i = 0, n = GetCount(); i < n; ++i) {
    const std::u16string item = Get(i);
    const std::size_t at = item.find(u'=');
    if (at != std::u16string::npos) nameHash_->Add(HashKey(std::u16string_view(item).substr(0, at)), i);
  }
  nameHashValid_ = true;
}

int THashedStringList::IndexOf(std::u16string_view text) const {
  UpdateValueHash();
  return valueHash_->ValueOf(HashKey(text));
}

int THashedStringList::IndexOfName(std::u16string_view name) const {
  UpdateNameHash();
  return nameHash_->ValueOf(HashKey(name));
}

}  // namespace corvane
