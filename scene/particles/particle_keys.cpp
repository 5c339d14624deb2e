#include "scene/particles/particle_keys.h"

#include "base/geometry/color.h"
#include "base/reflection/class_builder.h"
#include "scene/particles/particle_effect.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TParticleKey)
CORVANE_IMPLEMENT_CLASS(TParticleKeys)

void TParticleKey::Describe(TClassBuilder<TParticleKey>& c) {
  c.Property("key", &TParticleKey::Key, &TParticleKey::SetKey);
  c.Property("color", &TParticleKey::ColorText, &TParticleKey::SetColorText);
  c.Property("scale", &TParticleKey::Scale, &TParticleKey::SetScale);
  c.Property("spin", &TParticleKey::Spin, &TParticleKey::SetSpin);
}

void TParticleKey::SetSpin(float value) {
  spin_ = value;
  Changed(false);
}

void TParticleKey::SetScale(float value) {
  scale_ = value;
  Changed(false);
}

void TParticleKey::SetColor(std::uint32_t value) {
  color_ = value;
  Changed(false);
}

std::u16string TParticleKey::ColorText() const { return ColorToStr(color_); }

void TParticleKey::SetColorText(const std::u16string& text) { SetColor(StrToColor(text)); }

void TParticleKey::SetKey(std::uint32_t value) {
  key_ = value;
  Changed(false);
}

TParticleKeys::TParticleKeys(ParticleEffect* effect)
    : TCollection(TParticleKey::StaticClass(), effect), effect_(effect) {}

void TParticleKeys::Update(TCollectionItem*) {
  if (effect_) effect_->KeysChanged();
}

}  // namespace corvane
