#include "scene/camera.h"

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Camera)

void Camera::Describe(TClassBuilder<Camera>& c) {
  c.Property("enabled", &Camera::Enabled, &Camera::SetEnabled).Default(true);
}

void Camera::SetEnabled(bool value) {
  enabled_ = value;
  if (value) RecalcAbsolute();
}

void Camera::RecalcAbsolute() {
  PositionObject::RecalcAbsolute();
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (!device || !enabled_) return;
  device->SetCameraPos(GetAbsolutePosition(), GetAbsoluteDirection(), GetAbsoluteUp());
}

}  // namespace corvane
