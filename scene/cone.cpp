#include "scene/cone.h"

#include "base/reflection/class_builder.h"
#include "scene/box.h"
#include "scene/cylinder.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Cone)

void Cone::Describe(TClassBuilder<Cone>& c) {
  c.Property("radius", &Cone::Radius, &Cone::SetRadius);
  c.Property("height", &Cone::Height, &Cone::SetHeight);
}

Cone::Cone(const TCreateContext& context) : PositionObject(context) { SetZTest(true); }

void Cone::Paint() { FillLocalBox(*this, GetBoundsBox()); }

void Cone::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateCone(this, {radius_, radius_, height_, 1}));
}

void Cone::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

float Cone::GetBoundsRadius() { return AxialBoundsRadius(radius_, height_); }

TAABB Cone::GetBoundsBox() { return AxialBox(radius_, height_); }

}  // namespace corvane
