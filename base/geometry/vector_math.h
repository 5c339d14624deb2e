// Operations on texture, plane and space vectors. They run every frame for
// every object, so they are inline, straight-line code over plain floats.
//
// Each routine states the w ("w" is the fourth component of a space vector,
// the third of a plane vector) of its result; the look-at builders depend on
// these rules. Where no value for w is computed the result's w is 0.
// Normalising a zero vector gives the zero vector (with the routine's w),
// never NaN. Sums are formed in double precision and stored as single.
#pragma once

#include <cmath>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"

namespace corvane {

namespace detail {
// 1 / sqrt(norm), or 0 for a zero (or NaN) norm, so that a zero vector
// normalises to zero.
inline double InverseLength(double norm) { return norm > 0 ? 1.0 / std::sqrt(norm) : 0.0; }
inline double Dot3(const TSpaceVector& a, const TSpaceVector& b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}
inline float F(double v) { return static_cast<float>(v); }
}  // namespace detail

// Conversions. w as noted.
inline TSpaceVector SpaceVectorFromPlane(const TPlaneVector& p, float w) { return {p.x, p.y, 0, w}; }  // w: w
inline TSpaceVector SpaceVectorFromAffine(const TAffineSpaceVector& a) { return {a.x, a.y, a.z, 1}; }   // w: 1
inline TAffineSpaceVector AffineSpaceVectorFromVector(const TSpaceVector& v) { return {v.x, v.y, v.z}; }
inline TSpaceVector VertexToSpaceVector(const TVertex& v) { return {v.x, v.y, v.z, 1}; }  // w: 1
inline TVertex SpaceVectorToVertex(const TSpaceVector& v) { return {v.x, v.y, v.z}; }

// Squared length over x, y (and z) and the length.
inline float PlaneVectorNorm(const TPlaneVector& v) {
  return detail::F(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y);
}
inline float SpaceVectorNorm(const TSpaceVector& v) { return detail::F(detail::Dot3(v, v)); }
inline float PlaneVectorLength(const TPlaneVector& v) {
  return detail::F(std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y));
}
inline float SpaceVectorLength(const TSpaceVector& v) { return detail::F(std::sqrt(detail::Dot3(v, v))); }

// In place, w := 1.
inline void NormalizePlaneVector(TPlaneVector& v) {
  const double s = detail::InverseLength(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y);
  v = {detail::F(v.x * s), detail::F(v.y * s), 1};
}
inline void NormalizeSpaceVector(TSpaceVector& v) {
  const double s = detail::InverseLength(detail::Dot3(v, v));
  v = {detail::F(v.x * s), detail::F(v.y * s), detail::F(v.z * s), 1};
}
// Normalised copies: the plane one with w 1, the space one with w 0.
inline TPlaneVector VectorPlaneNormalize(const TPlaneVector& v) {
  TPlaneVector r = v;
  NormalizePlaneVector(r);
  return r;
}
inline TSpaceVector VectorSpaceNormalize(const TSpaceVector& v) {
  const double s = detail::InverseLength(detail::Dot3(v, v));
  return {detail::F(v.x * s), detail::F(v.y * s), detail::F(v.z * s), 0};
}

// Sums. The plane sum has w 0; the space sum adds all four.
inline TPlaneVector PlaneVectorAdd(const TPlaneVector& a, const TPlaneVector& b) { return {a.x + b.x, a.y + b.y, 0}; }
inline TSpaceVector SpaceVectorAdd(const TSpaceVector& a, const TSpaceVector& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline void AddPlaneVector(TPlaneVector& a, const TPlaneVector& b) { a = PlaneVectorAdd(a, b); }
inline void AddSpaceVector(TSpaceVector& a, const TSpaceVector& b) { a = SpaceVectorAdd(a, b); }
// Differences over x, y (and z); w 0.
inline TPlaneVector PlaneVectorSubtract(const TPlaneVector& a, const TPlaneVector& b) {
  return {a.x - b.x, a.y - b.y, 0};
}
inline TSpaceVector SpaceVectorSubtract(const TSpaceVector& a, const TSpaceVector& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, 0};
}
// s added to x, y (and z); w 1.
inline TPlaneVector PlaneVectorAddScale(const TPlaneVector& v, float s) { return {v.x + s, v.y + s, 1}; }
inline TSpaceVector SpaceVectorAddScale(const TSpaceVector& v, float s) { return {v.x + s, v.y + s, v.z + s, 1}; }
// a := a + b f over x, y (and z); w 1.
inline void CombinePlaneVector(TPlaneVector& a, const TPlaneVector& b, float f) {
  a = {detail::F(a.x + static_cast<double>(b.x) * f), detail::F(a.y + static_cast<double>(b.y) * f), 1};
}
inline void CombineSpaceVector(TSpaceVector& a, const TSpaceVector& b, float f) {
  a = {detail::F(a.x + static_cast<double>(b.x) * f), detail::F(a.y + static_cast<double>(b.y) * f),
       detail::F(a.z + static_cast<double>(b.z) * f), 1};
}
// f1 a + f2 b over all four components.
inline TSpaceVector VectorCombine(const TSpaceVector& a, const TSpaceVector& b, float f1, float f2) {
  const double g1 = f1, g2 = f2;
  return {detail::F(g1 * a.x + g2 * b.x), detail::F(g1 * a.y + g2 * b.y), detail::F(g1 * a.z + g2 * b.z),
          detail::F(g1 * a.w + g2 * b.w)};
}
// The plane product has w 0; the space one w 1.
inline TPlaneVector PlaneVectorScale(const TPlaneVector& v, float f) { return {v.x * f, v.y * f, 0}; }
inline TSpaceVector SpaceVectorScale(const TSpaceVector& v, float f) { return {v.x * f, v.y * f, v.z * f, 1}; }

// (a.y b.w - a.w b.y, a.w b.x - a.x b.w), w 1.
inline TPlaneVector PlaneVectorCrossProduct(const TPlaneVector& a, const TPlaneVector& b) {
  return {detail::F(static_cast<double>(a.y) * b.w - static_cast<double>(a.w) * b.y),
          detail::F(static_cast<double>(a.w) * b.x - static_cast<double>(a.x) * b.w), 1};
}
// Over x, y, z; w 0.
inline TSpaceVector SpaceVectorCrossProduct(const TSpaceVector& a, const TSpaceVector& b) {
  return {detail::F(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y),
          detail::F(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z),
          detail::F(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x), 0};
}
// Over x, y, z.
inline float SpaceVectorDotProduct(const TSpaceVector& a, const TSpaceVector& b) { return detail::F(detail::Dot3(a, b)); }
// The cosine of the angle between a and b; 0 when either has no length.
inline float SpaceVectorAngleCosine(const TSpaceVector& a, const TSpaceVector& b) {
  const double lengths = std::sqrt(detail::Dot3(a, a)) * std::sqrt(detail::Dot3(b, b));
  return lengths > 0 ? detail::F(detail::Dot3(a, b) / lengths) : 0.0f;
}
// v - 2 (v . n) n over x, y, z, n of unit length; w 0.
inline TSpaceVector SpaceVectorReflect(const TSpaceVector& v, const TSpaceVector& n) {
  const double k = 2 * detail::Dot3(v, n);
  return {detail::F(v.x - k * n.x), detail::F(v.y - k * n.y), detail::F(v.z - k * n.z), 0};
}
// (p - origin) . direction over x, y, z.
inline float PointProject(const TSpaceVector& p, const TSpaceVector& origin, const TSpaceVector& direction) {
  return detail::F((static_cast<double>(p.x) - origin.x) * direction.x +
                   (static_cast<double>(p.y) - origin.y) * direction.y +
                   (static_cast<double>(p.z) - origin.z) * direction.z);
}
// The squared distance over x, y, z.
inline float VectorDistance2(const TSpaceVector& a, const TSpaceVector& b) {
  const double dx = static_cast<double>(a.x) - b.x, dy = static_cast<double>(a.y) - b.y,
               dz = static_cast<double>(a.z) - b.z;
  return detail::F(dx * dx + dy * dy + dz * dz);
}

// (x, y, w) x M over x and y; w 1.
inline TPlaneVector PlaneVectorTransform(const TPlaneVector& v, const TPlaneMatrix& m) {
  const double x = v.x, y = v.y, w = v.w;
  return {detail::F(x * m[0].x + y * m[1].x + w * m[2].x), detail::F(x * m[0].y + y * m[1].y + w * m[2].y), 1};
}
// The row vector times the matrix over all four components.
inline TSpaceVector SpaceVectorTransform(const TSpaceVector& v, const TSpaceMatrix& m) {
  const double x = v.x, y = v.y, z = v.z, w = v.w;
  return {detail::F(x * m[0].x + y * m[1].x + z * m[2].x + w * m[3].x),
          detail::F(x * m[0].y + y * m[1].y + z * m[2].y + w * m[3].y),
          detail::F(x * m[0].z + y * m[1].z + z * m[2].z + w * m[3].z),
          detail::F(x * m[0].w + y * m[1].w + z * m[2].w + w * m[3].w)};
}

}  // namespace corvane
