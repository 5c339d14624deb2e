// Ray casts against spheres and planes. The ray is start + t x vector with
// t >= 0; vector is taken to be of unit length.
#pragma once

#include <cstdint>

#include "base/geometry/geometry.h"

namespace corvane {

// Whether the ray passes within radius of center (a ray starting beyond the
// sphere and pointing away is measured from its start).
bool RayCastIntersectsSphere(const TSpaceVector& start, const TSpaceVector& vector, const TSpaceVector& center,
                             float radius);
// The number of points (0, 1 or 2) where the ray meets the sphere, nearest
// first in i1, i2. A ray starting inside meets it once, where it leaves.
std::int32_t RayCastSphereIntersect(const TSpaceVector& start, const TSpaceVector& vector, const TSpaceVector& center,
                                    float radius, TSpaceVector& i1, TSpaceVector& i2);
// Where the ray meets the plane through planePoint with planeNormal: false
// when it runs parallel (within EPSILON2) or the plane lies behind it.
bool RayCastPlaneIntersect(const TSpaceVector& start, const TSpaceVector& vector, const TSpaceVector& planePoint,
                           const TSpaceVector& planeNormal, TSpaceVector& intersect);

}  // namespace corvane
