#include "engine/core/trigger.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/event.h"
#include "platform/device.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Trigger)

void Trigger::Describe(TClassBuilder<Trigger>& c) {
  c.Property("width", &Trigger::Width, &Trigger::SetWidth);
  c.Property("height", &Trigger::Height, &Trigger::SetHeight);
  c.Property("depth", &Trigger::Depth, &Trigger::SetDepth);
}

Trigger::Trigger(const TCreateContext& context) : PositionObject(context) { SetCollisable(true); }

TAABB Trigger::GetBoundsBox() {
  return {{-width_ / 2, -height_ / 2, -depth_ / 2, 1}, {width_ / 2, height_ / 2, depth_ / 2, 1}};
}

float Trigger::GetBoundsRadius() { return std::max({width_, height_, depth_}); }

void Trigger::Paint() {
  if (TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr) {
    const TAABB box = GetBoundsBox();
    device->FillBox(box.min, box.max);
  }
}

void Trigger::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateBox(this, {width_, height_, depth_, 1}));
}

void Trigger::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

void Trigger::Collise(PositionObject* mover, const TSpaceVector& position, const TSpaceVector& normal) {
  if (!mover || Prepared() || mover->OnTrigger().empty()) return;
  Event* event = GetApplet() ? GetApplet()->GetEvent() : nullptr;
  if (!event) return;
  TWeak<Event> alive(event);
  event->PushParamObject(this);
  event->ParamNormal()->SetDirectVector(normal);
  event->ParamPosition()->SetDirectVector(position);
  mover->CallScript(mover->OnTrigger());
  if (alive.Get()) event->PopParamObject();
}

}  // namespace corvane
