// An ellipsoid for Bullet, which has none: a sphere scaled per axis
// (btMultiSphereShape's local scaling) answers support queries only
// approximately, so the collision tests would see a different shape.
#pragma once

#include <BulletCollision/CollisionShapes/btConvexInternalShape.h>

namespace newton {

ATTRIBUTE_ALIGNED16(class) TEllipsoidShape : public btConvexInternalShape {
 public:
  BT_DECLARE_ALIGNED_ALLOCATOR();

  // Radii of the outer surface; the margin lies inside them.
  TEllipsoidShape(const btVector3& radii, btScalar margin);

  btVector3 localGetSupportingVertexWithoutMargin(const btVector3& direction) const override;
  void batchedUnitVectorGetSupportingVertexWithoutMargin(const btVector3* directions, btVector3* supports,
                                                         int count) const override;
  void getAabb(const btTransform& transform, btVector3& minPoint, btVector3& maxPoint) const override;
  void calculateLocalInertia(btScalar mass, btVector3& inertia) const override;
  const char* getName() const override { return "Ellipsoid"; }

 private:
  btVector3 radii_;  // outer radii; m_implicitShapeDimensions holds the inner ones
};

}  // namespace newton
