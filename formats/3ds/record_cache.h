// The lazy list behind every cache of a TFile3DS: sized to its count on the
// first query while empty, each entry extracted on its first request and
// kept until Clear. An extraction that throws leaves its entry empty, so a
// later request tries again; running out of memory is error3ds_no_mem.
#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include "base/text/number_text.h"
#include "formats/3ds/errors.h"

namespace corvane {

template <class T>
class TRecordCache3DS {
 public:
  template <class CountFn>
  int Count(CountFn count) {
    if (items_.empty()) {
      const int n = count();
      if (n > 0) items_.resize(static_cast<std::size_t>(n));
    }
    return static_cast<int>(items_.size());
  }

  // Null when the list is empty; std::out_of_range outside it.
  template <class CountFn, class ExtractFn>
  T* Get(int index, CountFn count, ExtractFn extract) {
    if (Count(count) == 0) return nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size())
      throw std::out_of_range("List index out of bounds (" + IntToStr8(index) + ")");
    std::unique_ptr<T>& entry = items_[static_cast<std::size_t>(index)];
    if (!entry) entry = WithNoMemError3DS([&] { return std::make_unique<T>(extract()); });
    return entry.get();
  }

  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace corvane
