#include "base/system/random.h"

#include <random>

namespace corvane {

namespace {

std::mt19937& Generator() {
  static std::mt19937 generator(std::random_device{}());
  return generator;
}

}  // namespace

float Random() {
  // 24 bits fill a float's mantissa exactly, so the largest value is
  // 1 - 2^-24 and rounding can never reach 1.
  return static_cast<float>(Generator()() >> 8) * (1.0f / 16777216.0f);
}

void RandSeed(std::uint32_t seed) { Generator().seed(seed); }

}  // namespace corvane
