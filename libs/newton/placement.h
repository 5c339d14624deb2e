// The one crossing between the caller's matrices (16 floats, row vectors,
// translation in the fourth row) and Bullet's rigid transforms.
#pragma once

#include <LinearMath/btTransform.h>

namespace newton {

// Translations beyond this are refused: far past any world box, and short
// of the sizes at which Bullet's broadphase gives up on a body.
inline constexpr float kMaxCoordinate = 1e9f;

// Reads a placement, rows 0-2 orthonormalised (x kept, y made perpendicular
// to it, z = x cross y). False, and out untouched, for a non-finite element,
// a zero-length or dependent row, or a translation beyond kMaxCoordinate.
bool TransformFromMatrix(const float matrix[16], btTransform& out);
void MatrixFromTransform(const btTransform& transform, float matrix[16]);
void IdentityMatrix(float matrix[16]);

// Whether two placements differ by more than float round trips do.
bool SamePlacement(const btTransform& a, const btTransform& b);

// Three finite floats; false (and out untouched) otherwise.
bool VectorFrom(const float v[3], btVector3& out);

}  // namespace newton
