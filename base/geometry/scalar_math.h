// Scalar helpers of the geometry library: the numeric constants, the one
// float -> integer conversion every routine shares, rounding, angles, powers
// and powers of two. Everything is single precision at the interface;
// intermediate values are formed in double precision and stored as single.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

namespace corvane {

// A denormal single (bit pattern 0x000116C2): below it a determinant counts
// as zero.
inline constexpr float EPSILON = 1e-40f;
// Below it a ray counts as parallel to a plane.
inline constexpr float EPSILON2 = 1e-30f;

inline constexpr float cPI = 3.14159265358979323846f;
inline constexpr float CPI = cPI;  // the spelling the media and scene code use
inline constexpr float cPIdiv180 = static_cast<float>(3.14159265358979323846 / 180.0);
inline constexpr float c180divPI = static_cast<float>(180.0 / 3.14159265358979323846);
inline constexpr float c2PI = static_cast<float>(2.0 * 3.14159265358979323846);
inline constexpr float cPIdiv2 = static_cast<float>(3.14159265358979323846 / 2.0);
inline constexpr float cPIdiv4 = static_cast<float>(3.14159265358979323846 / 4.0);
inline constexpr float c3PIdiv4 = static_cast<float>(3.0 * 3.14159265358979323846 / 4.0);
inline constexpr float cInv2PI = static_cast<float>(1.0 / (2.0 * 3.14159265358979323846));
inline constexpr float cInv360 = static_cast<float>(1.0 / 360.0);
inline constexpr float c180 = 180.0f;
inline constexpr float c360 = 360.0f;
inline constexpr float cOneHalf = 0.5f;

// Which vector unit the routines use: always the plain FPU code here.
inline constexpr int vSIMD = 0;
// "FPU", "3DNow!" or "SSE" for vSIMD 0, 1, 2; "*ERR*" otherwise.
std::string_view SIMDModeName();

// The float -> integer step of every conversion in the library: truncates
// toward zero; NaN gives 0 and values beyond the 32-bit range give its
// nearest end (a plain cast would be undefined there).
std::int32_t SaturatingTrunc(double x);
// To the nearest integer, halves to the even neighbour, then saturated.
std::int32_t RoundHalfEven(double x);

inline std::int32_t MinInt(std::int32_t a, std::int32_t b) { return a < b ? a : b; }
inline std::int32_t MaxInt(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
inline float MinFloat(float a, float b) { return a < b ? a : b; }
inline float MaxFloat(float a, float b) { return a > b ? a : b; }

inline float Lerp(float a, float b, float t) {
  return static_cast<float>(a + (static_cast<double>(b) - a) * t);
}
inline void Inc(float& f, float d) { f += d; }
inline void Dec(float& f, float d) { f -= d; }

inline float DegToRad(float degrees) { return static_cast<float>(static_cast<double>(degrees) * cPIdiv180); }
inline float RadToDeg(float radians) { return static_cast<float>(static_cast<double>(radians) * c180divPI); }
void SinCos(float angle, float& s, float& c);
// The argument is clamped to [-1, 1] first, so rounding just past 1 gives
// 0 rather than NaN.
float ArcCos(float x);
// Into (-180, 180]: 540 -> 180, -190 -> 170, 190 -> -170.
float NormalizeDegAngle(float angle);
// Kept for callers of the angle helpers; it does not interpolate: a.
inline float AngleLerp(float a, float /*b*/, float /*t*/) { return a; }

inline float RSqrt(float x) { return static_cast<float>(1.0 / std::sqrt(static_cast<double>(x))); }
// The square root rounded to the nearest integer; 0 for negative n.
std::int32_t ISqrt(std::int32_t n);
// The integer part of x + 0.5 (truncated toward zero: 2.5 -> 3, -1.7 -> -1,
// -2.5 -> -2).
std::int32_t RoundInt(float x);

// 1 for exponent 0; 0 for base 0 and a positive exponent; the integer power
// for an integral exponent; else exp(exponent * ln(base)).
float Power(float base, float exponent);
float Power(float base, std::int32_t n);

// The smallest power of two >= n (1 for n <= 1). The largest 32-bit power of
// two, 2^30, is the answer for anything above it.
std::int32_t RoundUpToPowerOf2(std::int32_t n);
// The largest power of two <= n, at most 2^30; 1 for n < 1.
std::int32_t RoundDownToPowerOf2(std::int32_t n);
// False for 0 and negatives, true for 1.
bool IsPowerOf2(std::int32_t n);

}  // namespace corvane
