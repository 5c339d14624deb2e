// The process-wide generator: its range and its seed.
#include <gtest/gtest.h>

#include <vector>

#include "base/system/random.h"

namespace corvane {
namespace {

TEST(Random, StaysInTheHalfOpenUnitRangeAndSpreadsOverIt) {
  RandSeed(1);
  int low = 0, high = 0;
  for (int i = 0; i < 100000; ++i) {
    const float r = Random();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    low += r < 0.1f ? 1 : 0;
    high += r >= 0.9f ? 1 : 0;
  }
  // A tenth of the draws in each end decile, give or take.
  EXPECT_NEAR(low, 10000, 600);
  EXPECT_NEAR(high, 10000, 600);
}

TEST(Random, TheSameSeedRepeatsTheSequence) {
  RandSeed(42);
  std::vector<float> first;
  for (int i = 0; i < 8; ++i) first.push_back(Random());
  RandSeed(42);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Random(), first[static_cast<std::size_t>(i)]);
  RandSeed(43);
  EXPECT_NE(Random(), first[0]);
}

}  // namespace
}  // namespace corvane
