#include "base/geometry/bounds.h"

#include <cmath>

#include "base/geometry/vector_math.h"

namespace corvane {

void AABBInclude(TAABB& box, const TSpaceVector& p) {
  for (int i = 0; i < 3; ++i) {
    if (p[i] < box.min[i]) box.min[i] = p[i];
    if (p[i] > box.max[i]) box.max[i] = p[i];
  }
}

void AABBTransform(TAABB& box, const TSpaceMatrix& m) {
  const TSpaceVector lo = box.min, hi = box.max;
  box.min = box.max = SpaceVectorTransform(lo, m);
  const TSpaceVector corners[] = {
      {lo.x, lo.y, hi.z, 1}, {lo.x, hi.y, lo.z, 1}, {lo.x, hi.y, hi.z, 1},
      {hi.x, lo.y, lo.z, 1}, {hi.x, lo.y, hi.z, 1}, {hi.x, hi.y, lo.z, 1},
  };
  for (const TSpaceVector& c : corners) AABBInclude(box, SpaceVectorTransform(c, m));
  AABBInclude(box, SpaceVectorTransform(hi, m));
}

bool IntersectAABBsAbsolute(const TAABB& a, const TAABB& b) {
  for (int i = 0; i < 3; ++i)
    if (a.min[i] > b.max[i] || b.min[i] > a.max[i]) return false;
  return true;
}

TFrustum ExtractFrustumFromModelViewProjection(const TSpaceMatrix& m) {
  auto column = [&m](int i) { return TSpaceVector{m[0][i], m[1][i], m[2][i], m[3][i]}; };
  const TSpaceVector c0 = column(0), c1 = column(1), c2 = column(2), c3 = column(3);
  auto plus = [](const TSpaceVector& a, const TSpaceVector& b) { return SpaceVectorAdd(a, b); };
  auto minus = [](const TSpaceVector& a, const TSpaceVector& b) {
    return TSpaceVector{a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
  };
  TFrustum f;
  f.planes[fpLeft] = plus(c3, c0);
  f.planes[fpTop] = minus(c3, c1);
  f.planes[fpRight] = minus(c3, c0);
  f.planes[fpBottom] = plus(c3, c1);
  f.planes[fpNear] = plus(c3, c2);
  f.planes[fpFar] = minus(c3, c2);
  for (TSpaceVector& p : f.planes) {
    const double norm = static_cast<double>(p.x) * p.x + static_cast<double>(p.y) * p.y + static_cast<double>(p.z) * p.z;
    if (norm <= 0) continue;
    const double s = 1 / std::sqrt(norm);
    p = {static_cast<float>(p.x * s), static_cast<float>(p.y * s), static_cast<float>(p.z * s),
         static_cast<float>(p.w * s)};
  }
  return f;
}

TSpaceContains FrustumContainsBSphere(const TFrustum& f, const TBSphere& s) {
  int inside = 0;
  for (const TSpaceVector& plane : f.planes) {
    const float d = PlaneEvaluatePoint(plane, s.center);
    if (d < -s.radius) return scNoOverlap;
    if (d >= s.radius) ++inside;
  }
  return inside == 6 ? scContainsFully : scContainsPartially;
}

TSpaceContains FrustumContainsAABB(const TFrustum& f, const TAABB& box) {
  const TSpaceVector& lo = box.min;
  const TSpaceVector& hi = box.max;
  const TSpaceVector corners[8] = {
      {lo.x, lo.y, lo.z, 1}, {lo.x, lo.y, hi.z, 1}, {lo.x, hi.y, lo.z, 1}, {lo.x, hi.y, hi.z, 1},
      {hi.x, lo.y, lo.z, 1}, {hi.x, lo.y, hi.z, 1}, {hi.x, hi.y, lo.z, 1}, {hi.x, hi.y, hi.z, 1},
  };
  int inside = 0;
  for (const TSpaceVector& plane : f.planes) {
    int outside = 0;
    for (const TSpaceVector& c : corners)
      if (PlaneEvaluatePoint(plane, c) < 0) ++outside;
    if (outside == 8) return scNoOverlap;
    if (outside == 0) ++inside;
  }
  return inside == 6 ? scContainsFully : scContainsPartially;
}

}  // namespace corvane
