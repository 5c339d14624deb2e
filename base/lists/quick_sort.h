// The lists' quicksort: the middle item of each range as the pivot, i moving
// up past items below it and j down past items above it, swapping while
// i <= j. The order it leaves equal items in is part of what the lists
// promise (a score table with equal scores), so every list sorts with it.
//
// The smaller part is sorted by recursion and the larger by the loop, so
// the depth stays logarithmic; the scans also stop at the range's ends, so
// an inconsistent comparison cannot reach outside it.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace corvane {

// Sorts items[low .. high]; compare(a, b) is negative when a goes first.
template <class T, class Compare>
void QuickSortRange(std::vector<T>& items, int low, int high, const Compare& compare) {
  auto at = [&items](int index) -> T& { return items[static_cast<std::size_t>(index)]; };
  while (low < high) {
    int i = low;
    int j = high;
    const T pivot = at(low + (high - low) / 2);
    do {
      while (i < high && compare(at(i), pivot) < 0) ++i;
      while (j > low && compare(at(j), pivot) > 0) --j;
      if (i <= j) {
        std::swap(at(i), at(j));
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - low < high - i) {
      if (low < j) QuickSortRange(items, low, j, compare);
      low = i;
    } else {
      if (i < high) QuickSortRange(items, i, high, compare);
      high = j;
    }
  }
}

}  // namespace corvane
