#include "scene/mesh_animation_effect.h"

#include "base/reflection/class_builder.h"
#include "base/reflection/prop_access.h"
#include "engine/core/visual_object.h"
#include "scene/mesh_persistent.h"
#include "scene/pixmap_animation_effect.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(MeshAnimationEffect)

void MeshAnimationEffect::Describe(TClassBuilder<MeshAnimationEffect>& c) {
  c.Property("key1", &MeshAnimationEffect::Key1, &MeshAnimationEffect::SetKey1).Default(0);
  c.Property("key2", &MeshAnimationEffect::Key2, &MeshAnimationEffect::SetKey2).Default(0);
  c.Property("keyTime", &MeshAnimationEffect::KeyTime, &MeshAnimationEffect::SetKeyTime)
      .Stored([](const MeshAnimationEffect& e) { return e.keyTime_ != 0.1f; });
  c.Property("keyPerSecond", &MeshAnimationEffect::KeyPerSecond, &MeshAnimationEffect::SetKeyPerSecond)
      .Stored([](const MeshAnimationEffect& e) { return e.keyTime_ != 0.1f; });
}

MeshAnimationEffect::MeshAnimationEffect(const TCreateContext& context) : Effect(context) {}

MeshAnimationEffect::~MeshAnimationEffect() {
  if (TMeshPersistent* target = target_.Get(); target && target->DrivingEffect() == this)
    target->SetDrivingEffect(nullptr);
}

float MeshAnimationEffect::KeyPerSecond() const { return KeysPerSecond(keyTime_); }

void MeshAnimationEffect::SetKeyPerSecond(float value) { keyTime_ = KeyTimeOf(value); }

void MeshAnimationEffect::Attach() {
  TMeshPersistent* target = target_.Get();
  if (!target) return;
  if (Running()) target->SetDrivingEffect(this);
  // Keys come from files and scripts: their difference is taken wide, as
  // two extreme keys overflow 32 bits.
  SetRunningTime(static_cast<float>(std::int64_t{key2_} - key1_) * keyTime_);
}

void MeshAnimationEffect::FindTarget() {
  if (target_.Get()) return;
  BaseObject* parent = Parent();
  target_ = parent ? dynamic_cast<TMeshPersistent*>(GetObjectProp(*parent, "Mesh")) : nullptr;
  Attach();
}

void MeshAnimationEffect::Loaded() {
  Effect::Loaded();
  target_ = nullptr;
  FindTarget();
}

void MeshAnimationEffect::SetRunning(bool value) {
  FindTarget();
  if (TMeshPersistent* target = target_.Get(); target && value) target->SetDrivingEffect(this);
  Effect::SetRunning(value);
}

void MeshAnimationEffect::ProcessEffect(float, float) {
  FindTarget();
  if (!target_.Get()) return;
  if (VisualObject* visual = Parent() ? Parent()->AsVisualObject() : nullptr) visual->repaint();
}

}  // namespace corvane
