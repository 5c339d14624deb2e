#include "libs/newton/placement.h"

#include <cmath>

namespace newton {

namespace {

// Rows shorter than this, or rows this close to dependent (relative to
// their lengths), make no rigid placement.
constexpr btScalar kMinRowLength = btScalar(1e-10);
constexpr btScalar kMinIndependence = btScalar(1e-6);

// Tolerances under which two placements count as the same one: a matrix
// read, carried through the caller's vectors and written back lands here.
constexpr btScalar kSameRotation = btScalar(1e-5);
constexpr btScalar kSameTranslation = btScalar(1e-5);

btVector3 Row(const float m[16], int row) { return {m[4 * row], m[4 * row + 1], m[4 * row + 2]}; }

bool Finite(const btVector3& v) { return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z()); }

}  // namespace

bool TransformFromMatrix(const float matrix[16], btTransform& out) {
  if (!matrix) return false;
  const btVector3 r0 = Row(matrix, 0), r1 = Row(matrix, 1), r2 = Row(matrix, 2), t = Row(matrix, 3);
  if (!Finite(r0) || !Finite(r1) || !Finite(r2) || !Finite(t)) return false;
  if (std::fabs(t.x()) > kMaxCoordinate || std::fabs(t.y()) > kMaxCoordinate || std::fabs(t.z()) > kMaxCoordinate)
    return false;
  const btScalar l0 = r0.length(), l1 = r1.length(), l2 = r2.length();
  if (!(l0 > kMinRowLength && l1 > kMinRowLength && l2 > kMinRowLength)) return false;
  // Three independent rows: their volume is not vanishingly small against
  // the box their lengths span (this also rules out two parallel rows).
  if (!(std::fabs(r0.dot(r1.cross(r2))) > kMinIndependence * l0 * l1 * l2)) return false;
  const btVector3 x = r0 / l0;
  btVector3 y = r1 - x * x.dot(r1);
  y /= y.length();
  const btVector3 z = x.cross(y);
  out.setBasis(btMatrix3x3(x.x(), y.x(), z.x(), x.y(), y.y(), z.y(), x.z(), y.z(), z.z()));
  out.setOrigin(t);
  return true;
}

void MatrixFromTransform(const btTransform& transform, float matrix[16]) {
  const btMatrix3x3& basis = transform.getBasis();
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) matrix[4 * row + column] = basis[column][row];
    matrix[4 * row + 3] = 0;
  }
  const btVector3& origin = transform.getOrigin();
  matrix[12] = origin.x();
  matrix[13] = origin.y();
  matrix[14] = origin.z();
  matrix[15] = 1;
}

void IdentityMatrix(float matrix[16]) {
  for (int i = 0; i < 16; ++i) matrix[i] = i % 5 == 0 ? 1.0f : 0.0f;
}

bool SamePlacement(const btTransform& a, const btTransform& b) {
  for (int row = 0; row < 3; ++row) {
    if ((a.getBasis()[row] - b.getBasis()[row]).length2() > kSameRotation * kSameRotation) return false;
  }
  const btScalar scale = btScalar(1) + a.getOrigin().length();
  return (a.getOrigin() - b.getOrigin()).length() <= kSameTranslation * scale;
}

bool VectorFrom(const float v[3], btVector3& out) {
  if (!v) return false;
  const btVector3 value(v[0], v[1], v[2]);
  if (!Finite(value)) return false;
  out = value;
  return true;
}

}  // namespace newton
