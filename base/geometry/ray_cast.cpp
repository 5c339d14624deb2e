#include "base/geometry/ray_cast.h"

#include <cmath>

#include "base/geometry/vector_math.h"

namespace corvane {

bool RayCastIntersectsSphere(const TSpaceVector& start, const TSpaceVector& vector, const TSpaceVector& center,
                             float radius) {
  float proj = PointProject(center, start, vector);
  if (!(proj > 0)) proj = 0;
  const TSpaceVector nearest = VectorCombine(start, vector, 1, proj);
  return VectorDistance2(center, nearest) <= radius * radius;
}

std::int32_t RayCastSphereIntersect(const TSpaceVector& start, const TSpaceVector& vector, const TSpaceVector& center,
                                    float radius, TSpaceVector& i1, TSpaceVector& i2) {
  const float proj = PointProject(center, start, vector);
  const float d2 = radius * radius - VectorDistance2(center, VectorCombine(start, vector, 1, proj));
  if (d2 < 0) return 0;
  if (d2 == 0) {
    if (proj > 0) {
      i1 = VectorCombine(start, vector, 1, proj);
      return 1;
    }
    return 0;
  }
  const float d = std::sqrt(d2);
  if (d <= proj) {
    i1 = VectorCombine(start, vector, 1, proj - d);
    i2 = VectorCombine(start, vector, 1, proj + d);
    return 2;
  }
  if (proj + d >= 0) {
    i1 = VectorCombine(start, vector, 1, proj + d);
    return 1;
  }
  return 0;
}

bool RayCastPlaneIntersect(const TSpaceVector& start, const TSpaceVector& vector, const TSpaceVector& planePoint,
                           const TSpaceVector& planeNormal, TSpaceVector& intersect) {
  const double d = SpaceVectorDotProduct(vector, planeNormal);
  if (d >= -EPSILON2 && d <= EPSILON2) return false;
  const double t = SpaceVectorDotProduct(SpaceVectorSubtract(planePoint, start), planeNormal) / d;
  if (t <= 0) return false;
  intersect = VectorCombine(start, vector, 1, static_cast<float>(t));
  return true;
}

}  // namespace corvane
