#include "scene/materials.h"

#include "base/geometry/color.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Material)
CORVANE_IMPLEMENT_CLASS(Materials)

namespace {

constexpr std::uint32_t kDefaultColor = 0xFF969696;
constexpr std::uint32_t kDefaultSpecular = 0xFFFFFFFF;

std::uint32_t ScaleAlpha(std::uint32_t color, float alpha) {
  const auto a = static_cast<std::uint32_t>(static_cast<float>(color >> 24) * alpha) & 0xFF;
  return (a << 24) | (color & 0x00FFFFFF);
}

}  // namespace

void Material::Describe(TClassBuilder<Material>& c) {
  c.Property("diffuse", &Material::GetDiffuse, &Material::SetDiffuse).Stored([](const Material& m) {
    return m.record_.Diffuse != kDefaultColor;
  });
  c.Property("ambient", &Material::GetAmbient, &Material::SetAmbient).Stored([](const Material& m) {
    return m.record_.Ambient != kDefaultColor;
  });
  c.Property("specular", &Material::GetSpecular, &Material::SetSpecular).Stored([](const Material& m) {
    return m.record_.Specular != kDefaultSpecular;
  });
  // Written always, off as well as on.
  c.Property("lighting", &Material::Lighting, &Material::SetLighting).NoDefault();
}

Material::Material(const TCreateContext& context) : BaseObject(context) {
  record_.Lighting = false;
  record_.Diffuse = kDefaultColor;
  record_.Ambient = kDefaultColor;
  record_.Specular = kDefaultSpecular;
}

std::u16string Material::GetDiffuse() const { return ColorToStr(record_.Diffuse); }
std::u16string Material::GetAmbient() const { return ColorToStr(record_.Ambient); }
std::u16string Material::GetSpecular() const { return ColorToStr(record_.Specular); }
void Material::SetDiffuse(const std::u16string& text) { record_.Diffuse = StrToColor(text); }
void Material::SetAmbient(const std::u16string& text) { record_.Ambient = StrToColor(text); }
void Material::SetSpecular(const std::u16string& text) { record_.Specular = StrToColor(text); }

TMaterial Material::WithAlpha(float alpha) const {
  TMaterial copy = record_;
  if (alpha >= 0 && alpha < 1) {
    copy.Diffuse = ScaleAlpha(copy.Diffuse, alpha);
    copy.Ambient = ScaleAlpha(copy.Ambient, alpha);
    copy.Specular = ScaleAlpha(copy.Specular, alpha);
  }
  return copy;
}

void Material::Apply(float alpha) {
  if (TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr) device->SetMaterial(WithAlpha(alpha));
}

void Materials::Describe(TClassBuilder<Materials>& c) {
  c.Method("getMaterial", &Materials::getMaterial);
  c.Method("applyMaterial", &Materials::applyMaterial);
}

Material* Materials::getMaterial(const std::u16string& name) const { return dynamic_cast<Material*>(findByName(name)); }

void Materials::applyMaterial(const std::u16string& tag) {
  if (auto* material = dynamic_cast<Material*>(findByTagString(tag))) material->Apply(1.0f);
}

}  // namespace corvane
