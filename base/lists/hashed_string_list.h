// THashedStringList: a TWideStringList whose IndexOf and IndexOfName look
// items up through hash tables (texts and names folded to upper case the
// engine's way), rebuilt lazily on the first lookup after a change.
// TStringHash is the small chained hash table behind it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/lists/wide_string_list.h"

namespace corvane {

struct THashItem {
  std::unique_ptr<THashItem> Next;
  std::u16string Key;
  std::int32_t Value = 0;
};

class TStringHash : public TObject {
  CORVANE_CLASS(TStringHash, TObject)
  // size buckets (at least one), fixed for the table's life.
  explicit TStringHash(int size = 256);
  ~TStringHash() override;
  TStringHash(const TStringHash&) = delete;
  TStringHash& operator=(const TStringHash&) = delete;

  // At the head of the key's chain, even when the key is already present.
  void Add(std::u16string_view key, std::int32_t value);
  // The link that points at the first item whose key equals key exactly
  // (case counts), or at the end of the key's chain.
  std::unique_ptr<THashItem>* Find(std::u16string_view key);
  // Sets the first match's value; whether there was one.
  bool Modify(std::u16string_view key, std::int32_t value);
  // Unlinks and frees the first match.
  void Remove(std::u16string_view key);
  // The first match's value, -1 when none.
  std::int32_t ValueOf(std::u16string_view key);
  void Clear();
  // Rotate left by 2 and combine with each unit by exclusive-or, from 0.
  virtual std::uint32_t HashOf(std::u16string_view key) const;

 private:
  std::vector<std::unique_ptr<THashItem>> buckets_;
};

class THashedStringList : public TWideStringList {
  CORVANE_CLASS(THashedStringList, TWideStringList)
  THashedStringList() = default;
  explicit THashedStringList(const TCreateContext& context) : TWideStringList(context) {}

  // Through the value hash: the item whose text, folded by GOODUpperCase,
  // equals the folded text; of several, the highest index. -1 when none.
  int IndexOf(std::u16string_view text) const override;
  // Through the name hash, the same way, over the items holding "=".
  int IndexOfName(std::u16string_view name) const override;

 protected:
  // Also marks both hashes out of date.
  void Changed() override;

 private:
  void UpdateValueHash() const;
  void UpdateNameHash() const;

  mutable std::unique_ptr<TStringHash> valueHash_;
  mutable std::unique_ptr<TStringHash> nameHash_;
  mutable bool valueHashValid_ = false;
  mutable bool nameHashValid_ = false;
};

}  // namespace corvane
