#include "scene/rect.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "scene/physics/dynamic_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Rect)

void Rect::Describe(TClassBuilder<Rect>& c) {
  c.Property("width", &Rect::Width, &Rect::SetWidth);
  c.Property("height", &Rect::Height, &Rect::SetHeight);
}

Rect::Rect(const TCreateContext& context) : PositionObject(context) { SetMaterialName(u"gui"); }

void Rect::Paint() {
  if (TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr)
    device->FillRect(-width_ / 2, -height_ / 2, width_ / 2, height_ / 2, 0.0f);
}

void Rect::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateBox(this, {width_, height_, 10, 1}));
}

void Rect::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

float Rect::GetBoundsRadius() { return std::max(width_, height_) / 2; }

}  // namespace corvane
