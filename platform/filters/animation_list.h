// The ".aaf" list of an animated model's named frame ranges: a text of
// lines, "AAF" (exactly, upper case), the number N of ranges, then N lines
// of name "," first frame "," last frame. Anything else on the first line
// makes it no list at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/media.h"

namespace corvane {

class TStrings;

// A real list names a few dozen ranges in a few hundred bytes. A larger
// file is not read at all, and ranges past the count here are dropped.
inline constexpr std::int64_t kMaxAnimationListBytes = std::int64_t{1} << 20;
inline constexpr std::size_t kMaxAnimationRanges = 4096;

struct TAnimationList {
  // The ranges read, in file order; speed 0.
  std::vector<TMeshAni> Animations;
  // 0 when the list read whole (or was no list); otherwise the number
  // (from 1) of the first line that is missing or does not read, where
  // reading stopped, keeping the ranges before it.
  std::int32_t BadLine = 0;
  // The list promised more than kMaxAnimationRanges good ranges; the
  // first ones were kept.
  bool Cut = false;
};

TAnimationList ReadAnimationList(const TStrings& lines);

}  // namespace corvane
