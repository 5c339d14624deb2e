// The collision-shape entry points. Sizes come in full (Bullet's boxes and
// cylinders take half extents); every shape gets a margin small enough for
// a world measured in pixels, kept inside the requested surface.
#include <algorithm>
#include <cmath>
#include <memory>

#include "libs/newton/ellipsoid_shape.h"
#include "libs/newton/library_state.h"
#include "libs/newton/placement.h"

using namespace newton;

namespace {

constexpr float kMinSize = 0.001f;
constexpr float kMaxSize = 1e7f;
constexpr btScalar kMargin = btScalar(0.01);

bool SizeFrom(float value, btScalar& out) {
  if (!std::isfinite(value)) return false;
  out = std::clamp(std::fabs(value), kMinSize, kMaxSize);
  return true;
}

// Bullet's cone takes its box from support points that already carry the
// margin and then adds the margin again; this one's box is the shape's.
ATTRIBUTE_ALIGNED16(class) TConeShapeX : public btConeShapeX {
 public:
  BT_DECLARE_ALIGNED_ALLOCATOR();
  using btConeShapeX::btConeShapeX;
  void getAabb(const btTransform& transform, btVector3& minPoint, btVector3& maxPoint) const override {
    getAabbSlow(transform, minPoint, maxPoint);
    const btVector3 margin(getMargin(), getMargin(), getMargin());
    minPoint += margin;
    maxPoint -= margin;
  }
};

// At most a tenth of the smallest half size, as Bullet's own safe margin.
btScalar MarginFor(btScalar smallestHalfSize) { return std::min(kMargin, btScalar(0.1) * smallestHalfSize); }

// Registers a shape, wrapped in a compound when an offset places it off
// the body's origin; 0 for an unusable offset or a full table.
// inner is the radius of the largest ball about the shape's own origin
// inside it; an offset moves that ball off the body's origin.
NtCollision Register(TWorld& world, std::unique_ptr<btCollisionShape> shape, btScalar inner,
                     const float offsetMatrix[16]) {
  if (!offsetMatrix) {
    TShape* entry = AddShape(world, std::move(shape), nullptr, inner);
    return entry ? entry->handle : 0;
  }
  btTransform offset;
  if (!TransformFromMatrix(offsetMatrix, offset)) return 0;
  auto compound = std::make_unique<btCompoundShape>(false, 1);
  compound->addChildShape(offset, shape.get());
  inner = std::max(btScalar(0), inner - offset.getOrigin().length());
  TShape* entry = AddShape(world, std::move(compound), std::move(shape), inner);
  return entry ? entry->handle : 0;
}

}  // namespace

extern "C" {

NtCollision NewtonCreateBox(NtWorld worldHandle, float dx, float dy, float dz, const float offsetMatrix[16]) {
  TWorld* world = FindWorld(worldHandle);
  btScalar x, y, z;
  if (!world || !SizeFrom(dx, x) || !SizeFrom(dy, y) || !SizeFrom(dz, z)) return 0;
  const btVector3 half(x / 2, y / 2, z / 2);
  auto box = std::make_unique<btBoxShape>(half);
  box->setMargin(MarginFor(half[half.minAxis()]));
  return Register(*world, std::move(box), half[half.minAxis()], offsetMatrix);
}

NtCollision NewtonCreateSphere(NtWorld worldHandle, float rx, float ry, float rz, const float offsetMatrix[16]) {
  TWorld* world = FindWorld(worldHandle);
  btScalar x, y, z;
  if (!world || !SizeFrom(rx, x) || !SizeFrom(ry, y) || !SizeFrom(rz, z)) return 0;
  // A sphere is all margin in Bullet; an ellipsoid keeps a small one inside.
  if (x == y && y == z) return Register(*world, std::make_unique<btSphereShape>(x), x, offsetMatrix);
  const btVector3 radii(x, y, z);
  const btScalar smallest = radii[radii.minAxis()];
  return Register(*world, std::make_unique<TEllipsoidShape>(radii, MarginFor(smallest)), smallest, offsetMatrix);
}

NtCollision NewtonCreateCone(NtWorld worldHandle, float radius, float height, const float offsetMatrix[16]) {
  TWorld* world = FindWorld(worldHandle);
  btScalar r, h;
  if (!world || !SizeFrom(radius, r) || !SizeFrom(height, h)) return 0;
  // Bullet's cone carries its margin outside: shrink it by the margin so
  // the outer surface has the requested size.
  const btScalar margin = MarginFor(std::min(r, h / 2));
  auto cone = std::make_unique<TConeShapeX>(r - margin, h - 2 * margin);
  cone->setMargin(margin);
  // From the middle of the axis the slant is nearer than the base.
  const btScalar inner = r * h / (2 * std::sqrt(r * r + h * h));
  return Register(*world, std::move(cone), inner, offsetMatrix);
}

NtCollision NewtonCreateCylinder(NtWorld worldHandle, float radius, float height, const float offsetMatrix[16]) {
  TWorld* world = FindWorld(worldHandle);
  btScalar r, h;
  if (!world || !SizeFrom(radius, r) || !SizeFrom(height, h)) return 0;
  auto cylinder = std::make_unique<btCylinderShapeX>(btVector3(h / 2, r, r));
  cylinder->setMargin(MarginFor(std::min(r, h / 2)));
  return Register(*world, std::move(cylinder), std::min(r, h / 2), offsetMatrix);
}

void NewtonReleaseCollision(NtWorld worldHandle, NtCollision collision) {
  TShape* shape = FindShape(collision);
  if (!shape || shape->world != FindWorld(worldHandle) || shape->creatorReleased) return;
  shape->creatorReleased = true;
  UnreferenceShape(*shape);
}

}  // extern "C"
