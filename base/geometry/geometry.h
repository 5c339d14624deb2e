// The records of the engine's mathematics, all single precision: 2D points
// and rectangles, texture, plane (2D homogeneous) and space (3D homogeneous)
// vectors, 3x3 and 4x4 matrices, bounding boxes and spheres, view frusta,
// with their constructors and constant values.
//
// Conventions every user relies on: points are row vectors transformed as
// p x M; a space matrix is four rows, element [row][column], with the
// translation in the fourth row. "w" is the fourth component of a space
// vector and the third of a plane vector; each vector routine states what it
// leaves there (base/geometry/vector_math.h).
//
// The records are plain structs of floats with no padding, so that arrays
// of them can go straight to the device and into files.
#pragma once

#include <array>
#include <cstdint>

#include "base/geometry/scalar_math.h"

namespace corvane {

struct TPoint {
  float x = 0, y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  float left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const TRect&) const = default;
};

struct TTexVector {
  float u = 0, v = 0;
  bool operator==(const TTexVector&) const = default;
};

struct TPlaneVector {
  float x = 0, y = 0, w = 0;
  // 0 -> x, 1 -> y, 2 -> w.
  float& operator[](int i) { return this->*kComponents[i]; }
  float operator[](int i) const { return this->*kComponents[i]; }
  bool operator==(const TPlaneVector&) const = default;

 private:
  static constexpr float TPlaneVector::*kComponents[3] = {&TPlaneVector::x, &TPlaneVector::y, &TPlaneVector::w};
};

struct TSpaceVector {
  float x = 0, y = 0, z = 0, w = 0;
  // 0 -> x, 1 -> y, 2 -> z, 3 -> w.
  float& operator[](int i) { return this->*kComponents[i]; }
  float operator[](int i) const { return this->*kComponents[i]; }
  bool operator==(const TSpaceVector&) const = default;

 private:
  static constexpr float TSpaceVector::*kComponents[4] = {&TSpaceVector::x, &TSpaceVector::y, &TSpaceVector::z,
                                                          &TSpaceVector::w};
};

struct TAffineSpaceVector {
  float x = 0, y = 0, z = 0;
  bool operator==(const TAffineSpaceVector&) const = default;
};

// Three rows; a translation stands in the third.
using TPlaneMatrix = std::array<TPlaneVector, 3>;
// Four rows, element [row][column]; a translation stands in the fourth.
using TSpaceMatrix = std::array<TSpaceVector, 4>;

struct TAABB {
  TSpaceVector min, max;
  bool operator==(const TAABB&) const = default;
};

struct TBSphere {
  TSpaceVector center;
  float radius = 0;
  bool operator==(const TBSphere&) const = default;
};

// The planes of a frustum in their stored order.
enum TFrustumPlane : std::uint8_t { fpLeft, fpTop, fpRight, fpBottom, fpNear, fpFar };

// Six planes (a, b, c, d) with a x + b y + c z + d = 0, the inside positive,
// indexed by TFrustumPlane.
struct TFrustum {
  std::array<TSpaceVector, 6> planes;
};

enum TSpaceContains : std::uint8_t { scNoOverlap, scContainsFully, scContainsPartially };

static_assert(sizeof(TPoint) == 8 && sizeof(TRect) == 16 && sizeof(TTexVector) == 8);
static_assert(sizeof(TPlaneVector) == 12 && sizeof(TSpaceVector) == 16 && sizeof(TAffineSpaceVector) == 12);
static_assert(sizeof(TPlaneMatrix) == 36 && sizeof(TSpaceMatrix) == 64);

// Constructors.
inline TPoint Point(float x, float y) { return {x, y}; }
inline TRect Rect(float left, float top, float right, float bottom) { return {left, top, right, bottom}; }
inline TTexVector TexVector(float u, float v) { return {u, v}; }
inline TPlaneVector PlaneVector(float x, float y, float w) { return {x, y, w}; }
inline TSpaceVector SpaceVector(float x, float y, float z, float w) { return {x, y, z, w}; }
inline TAffineSpaceVector AffineSpaceVector(float x, float y, float z) { return {x, y, z}; }
inline TAABB AABB(const TSpaceVector& min, const TSpaceVector& max) { return {min, max}; }
inline TBSphere BSphere(const TSpaceVector& center, float radius) { return {center, radius}; }

inline void SetPlaneVector(TPlaneVector& v, float x, float y, float w) { v = {x, y, w}; }
inline void SetSpaceVector(TSpaceVector& v, float x, float y, float z, float w) { v = {x, y, z, w}; }

// Constant values.
inline constexpr TPoint NullPoint{0, 0};
inline constexpr TTexVector XTexPoint{1, 0};
inline constexpr TTexVector YTexPoint{0, 1};
inline constexpr TTexVector XYTexPoint{1, 1};
inline constexpr TTexVector NullTexPoint{0, 0};
inline constexpr TTexVector MidTexPoint{0.5f, 0.5f};
inline constexpr TTexVector NullTextVector{0, 0};
inline constexpr TPlaneVector NullPlaneVector{0, 0, 0};
inline constexpr TSpaceVector NullSpaceVector{0, 0, 0, 0};
inline constexpr TPlaneMatrix IdentityPlaneMatrix{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
inline constexpr TSpaceMatrix IdentitySpaceMatrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
inline constexpr TSpaceVector XHmgVector{1, 0, 0, 0};
inline constexpr TSpaceVector YHmgVector{0, 1, 0, 0};
inline constexpr TSpaceVector ZHmgVector{0, 0, 1, 0};
inline constexpr TSpaceVector WHmgVector{0, 0, 0, 1};
inline constexpr TSpaceVector XYHmgVector{1, 1, 0, 0};
inline constexpr TSpaceVector XYZHmgVector{1, 1, 1, 0};
inline constexpr TSpaceVector XYZWHmgVector{1, 1, 1, 1};
inline constexpr TSpaceVector NullHmgVector{0, 0, 0, 0};

}  // namespace corvane
