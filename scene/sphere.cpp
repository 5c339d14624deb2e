#include "scene/sphere.h"

#include "base/geometry/ray_cast.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Sphere)

void Sphere::Describe(TClassBuilder<Sphere>& c) { c.Property("radius", &Sphere::Radius, &Sphere::SetRadius); }

Sphere::Sphere(const TCreateContext& context) : PositionObject(context) { SetZTest(true); }

bool Sphere::RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) {
  const TSpaceVector o = VectorAbsoluteToLocal({origin.x, origin.y, origin.z, 1});
  const TSpaceVector d = VectorSpaceNormalize(VectorAbsoluteToLocal({direction.x, direction.y, direction.z, 0}));
  if (SpaceVectorNorm(d) == 0) return false;
  return RayCastIntersectsSphere(o, d, {0, 0, 0, 1}, GetBoundsRadius());
}

void Sphere::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateSphere(this, {radius_, radius_, radius_, 1}));
}

void Sphere::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

TAABB Sphere::GetBoundsBox() { return {{-radius_, -radius_, -radius_, 1}, {radius_, radius_, radius_, 1}}; }

}  // namespace corvane
