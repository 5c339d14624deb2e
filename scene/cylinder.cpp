#include "scene/cylinder.h"

#include "base/reflection/class_builder.h"
#include "scene/box.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Cylinder)

void Cylinder::Describe(TClassBuilder<Cylinder>& c) {
  c.Property("radius", &Cylinder::Radius, &Cylinder::SetRadius);
  c.Property("height", &Cylinder::Height, &Cylinder::SetHeight);
}

Cylinder::Cylinder(const TCreateContext& context) : PositionObject(context) { SetZTest(true); }

bool Cylinder::RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) {
  return RayMeetsLocalBox(*this, origin, direction, {height_, 2 * radius_, 2 * radius_, 0});
}

void Cylinder::Paint() { FillLocalBox(*this, GetBoundsBox()); }

void Cylinder::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateCylinder(this, {radius_, radius_, height_, 1}));
}

void Cylinder::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

}  // namespace corvane
