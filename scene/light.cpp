#include "scene/light.h"

#include "base/geometry/color.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "platform/window.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Light)

namespace {

constexpr std::int32_t kLightSlots = kWindowLightCount - 1;

TDevice* DeviceOf(const BaseObject& object) { return object.GetApplet() ? object.GetApplet()->Device() : nullptr; }

}  // namespace

void Light::Describe(TClassBuilder<Light>& c) {
  c.Property("diffuse", &Light::GetDiffuse, &Light::SetDiffuse).Stored(true);
  c.Property("ambient", &Light::GetAmbient, &Light::SetAmbient).Stored(true);
  c.Property("specular", &Light::GetSpecular, &Light::SetSpecular).Stored(true);
  c.Property("enabled", &Light::Enabled, &Light::SetEnabled).NoDefault();
}

Light::Light(const TCreateContext& context) : PositionObject(context) {
  TDevice* device = DeviceOf(*this);
  if (!device) {
    // Nothing to shine through: no slot, and nothing to report.
    enabled_ = true;
    return;
  }
  index_ = device->AddLight();
  enabled_ = index_ >= 0;
  if (!enabled_)
    EngineLog(u"Light disabled. Only " + IntToStr(kLightSlots) + u" light source supported");
}

void Light::BeforeDestruction() {
  if (TDevice* device = DeviceOf(*this); device && index_ >= 0) device->FreeLight(index_);
  index_ = -1;
  PositionObject::BeforeDestruction();
}

void Light::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateRecord();
}

std::u16string Light::GetDiffuse() const { return ColorToStr(diffuse_); }
std::u16string Light::GetAmbient() const { return ColorToStr(ambient_); }
std::u16string Light::GetSpecular() const { return ColorToStr(specular_); }
void Light::SetDiffuse(const std::u16string& text) { diffuse_ = StrToColor(text); }
void Light::SetAmbient(const std::u16string& text) { ambient_ = StrToColor(text); }
void Light::SetSpecular(const std::u16string& text) { specular_ = StrToColor(text); }

void Light::RecalcAbsolute() {
  PositionObject::RecalcAbsolute();
  UpdateRecord();
}

void Light::UpdateRecord() {
  TDevice* device = DeviceOf(*this);
  if (!device || index_ < 0) {
    // A light without a slot cannot shine, whatever was asked.
    if (device) enabled_ = false;
    return;
  }
  const TSpaceVector position = GetAbsolutePosition();
  if (!enabled_) {
    device->SetLight(index_, position, position, ambient_, diffuse_, specular_, Kind() == okScreen, false);
    return;
  }
  TSpaceVector target{0, 0, 0, 1};
  const bool screen = Kind() == okScreen;
  if (screen) {
    const TWindow* window = GetApplet()->Window();
    const float w = window ? static_cast<float>(window->Width) : 0, h = window ? static_cast<float>(window->Height) : 0;
    target = {w / 2, h / 2, 0, 1};
  }
  device->SetLight(index_, position, target, ambient_, diffuse_, specular_, screen, true);
}

}  // namespace corvane
