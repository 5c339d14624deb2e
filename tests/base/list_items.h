// Reading a list's items into a vector and filling a list from one, for the
// tests of every list with Count, Get, Clear and Add (8-bit and wide string
// lists, object lists).
#pragma once

#include <type_traits>
#include <utility>
#include <vector>

namespace corvane::test {

template <class List>
using ItemOf = std::remove_cvref_t<decltype(std::declval<const List&>().Get(0))>;

template <class List>
std::vector<ItemOf<List>> ItemsOf(const List& list) {
  std::vector<ItemOf<List>> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

// Clears the list, then adds the items in order.
template <class List>
void Fill(List& list, const std::vector<ItemOf<List>>& items) {
  list.Clear();
  for (const auto& item : items) list.Add(item);
}

}  // namespace corvane::test
