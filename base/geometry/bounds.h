// Bounding boxes, planes and view frusta: growing and transforming boxes,
// box overlap, and whether a frustum holds a sphere or a box. Touching
// counts as inside everywhere.
#pragma once

#include "base/geometry/geometry.h"

namespace corvane {

// Per axis: lowers the minimum when p is below it, raises the maximum when p
// is above it. w is untouched.
void AABBInclude(TAABB& box, const TSpaceVector& p);
// The box bounding the eight corners of box transformed by m.
void AABBTransform(TAABB& box, const TSpaceMatrix& m);
// False when the boxes are apart on some axis; touching boxes intersect.
bool IntersectAABBsAbsolute(const TAABB& a, const TAABB& b);

// a x + b y + c z + d.
inline float PlaneEvaluatePoint(const TSpaceVector& plane, const TSpaceVector& p) {
  return static_cast<float>(static_cast<double>(plane.x) * p.x + static_cast<double>(plane.y) * p.y +
                            static_cast<double>(plane.z) * p.z + plane.w);
}

// The six planes of the view volume of a model-view-projection matrix, each
// scaled so that (a, b, c) has unit length (a plane with no normal is left
// as it is).
TFrustum ExtractFrustumFromModelViewProjection(const TSpaceMatrix& m);
TSpaceContains FrustumContainsBSphere(const TFrustum& f, const TBSphere& s);
TSpaceContains FrustumContainsAABB(const TFrustum& f, const TAABB& box);

}  // namespace corvane
