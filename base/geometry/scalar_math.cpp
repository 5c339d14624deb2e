#include "base/geometry/scalar_math.h"

#include <limits>

namespace corvane {

std::string_view SIMDModeName() {
  switch (vSIMD) {
    case 0: return "FPU";
    case 1: return "3DNow!";
    case 2: return "SSE";
    default: return "*ERR*";
  }
}

std::int32_t SaturatingTrunc(double x) {
  if (std::isnan(x)) return 0;
  if (x <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (x >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(x);
}

std::int32_t RoundHalfEven(double x) {
  // std::round goes away from zero at halves; pull exact halves back to even.
  double r = std::round(x);
  if (std::fabs(x - std::trunc(x)) == 0.5 && std::fmod(r, 2.0) != 0.0) r -= std::copysign(1.0, x);
  return SaturatingTrunc(r);
}

void SinCos(float angle, float& s, float& c) {
  const double a = angle;
  s = static_cast<float>(std::sin(a));
  c = static_cast<float>(std::cos(a));
}

float ArcCos(float x) {
  double v = x;
  if (v > 1.0) v = 1.0;
  else if (v < -1.0) v = -1.0;
  return static_cast<float>(std::acos(v));
}

float NormalizeDegAngle(float angle) {
  const double a = angle;
  const double r = a - std::trunc(a * cInv360) * 360.0;
  if (r > 180.0) return static_cast<float>(r - 360.0);
  if (r < -180.0) return static_cast<float>(r + 360.0);
  return static_cast<float>(r);
}

std::int32_t ISqrt(std::int32_t n) {
  if (n <= 0) return 0;
  return SaturatingTrunc(std::sqrt(static_cast<double>(n)) + 0.5);
}

std::int32_t RoundInt(float x) { return SaturatingTrunc(static_cast<double>(x) + 0.5); }

float Power(float base, float exponent) {
  if (exponent == 0.0f) return 1.0f;
  if (base == 0.0f && exponent > 0.0f) return 0.0f;
  // Any integral exponent in range takes the exact route, negative ones too
  // (a negative base has no logarithm).
  const double e = exponent;
  if (std::trunc(e) == e && std::fabs(e) <= 2147483647.0) return Power(base, static_cast<std::int32_t>(e));
  return static_cast<float>(std::exp(e * std::log(static_cast<double>(base))));
}

float Power(float base, std::int32_t n) {
  std::int64_t k = n;
  const bool negative = k < 0;
  if (negative) k = -k;
  double result = 1.0;
  double b = base;
  while (k > 0) {
    if (k & 1) result *= b;
    b *= b;
    k >>= 1;
  }
  return static_cast<float>(negative ? 1.0 / result : result);
}

std::int32_t RoundUpToPowerOf2(std::int32_t n) {
  std::int32_t result = 1;
  while (result < n && result < (1 << 30)) result <<= 1;
  return result;
}

std::int32_t RoundDownToPowerOf2(std::int32_t n) {
  if (n < 1) return 1;
  std::int32_t result = 1 << 30;
  while (result > n) result >>= 1;
  return result;
}

bool IsPowerOf2(std::int32_t n) { return RoundUpToPowerOf2(n) == n; }

}  // namespace corvane
