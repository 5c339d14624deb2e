#include "libs/newton/ellipsoid_shape.h"

namespace newton {

TEllipsoidShape::TEllipsoidShape(const btVector3& radii, btScalar margin) : radii_(radii) {
  m_shapeType = CUSTOM_CONVEX_SHAPE_TYPE;
  btConvexInternalShape::setMargin(margin);
  m_implicitShapeDimensions = radii - btVector3(margin, margin, margin);
}

// The point of the inner ellipsoid farthest along a direction d: with the
// radii as the diagonal A, it is A²d / |Ad|.
btVector3 TEllipsoidShape::localGetSupportingVertexWithoutMargin(const btVector3& direction) const {
  const btVector3& a = m_implicitShapeDimensions;
  const btVector3 scaled = a * direction;
  const btScalar length = scaled.length();
  if (length < SIMD_EPSILON) return btVector3(a.x(), 0, 0);
  return a * scaled / length;
}

void TEllipsoidShape::batchedUnitVectorGetSupportingVertexWithoutMargin(const btVector3* directions,
                                                                        btVector3* supports, int count) const {
  for (int i = 0; i < count; ++i) supports[i] = localGetSupportingVertexWithoutMargin(directions[i]);
}

// Along world axis i the rotated ellipsoid reaches sqrt(sum_j (B_ij r_j)²).
void TEllipsoidShape::getAabb(const btTransform& transform, btVector3& minPoint, btVector3& maxPoint) const {
  const btMatrix3x3& basis = transform.getBasis();
  btVector3 extent;
  for (int axis = 0; axis < 3; ++axis) extent[axis] = (basis[axis] * radii_).length();
  minPoint = transform.getOrigin() - extent;
  maxPoint = transform.getOrigin() + extent;
}

void TEllipsoidShape::calculateLocalInertia(btScalar mass, btVector3& inertia) const {
  const btVector3 r2 = radii_ * radii_;
  inertia = btVector3(r2.y() + r2.z(), r2.x() + r2.z(), r2.x() + r2.y()) * (mass / btScalar(5));
}

}  // namespace newton
