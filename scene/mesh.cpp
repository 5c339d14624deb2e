#include "scene/mesh.h"

#include <algorithm>
#include <cmath>

#include "base/reflection/class_builder.h"
#include "engine/core/container.h"
#include "engine/core/applet_services.h"
#include "platform/device.h"
#include "scene/mesh_animation_effect.h"
#include "scene/mesh_persistent.h"
#include "scene/physics/dynamic_engine.h"
#include "scene/pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Mesh)

void Mesh::Describe(TClassBuilder<Mesh>& c) {
  // Both are filled in place: assigning another reference changes nothing.
  c.Property("pixmap", &Mesh::Pixmap, [](Mesh&, TPixmapPersistent*) {});
  c.Property("mesh", &Mesh::Model, [](Mesh&, TMeshPersistent*) {});
  c.Property("showBounds", &Mesh::ShowBounds, &Mesh::SetShowBounds).Default(false);
}

Mesh::Mesh(const TCreateContext& context)
    : PositionObject(context),
      pixmap_(Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this)))),
      mesh_(Create<TMeshPersistent>(TCreateContext(AppletObjectOf(this)))) {
  SetZTest(true);
}

Mesh::~Mesh() {
  FreeAndNil(pixmap_);
  FreeAndNil(mesh_);
}

MeshAnimationEffect* Mesh::Driver() const { return dynamic_cast<MeshAnimationEffect*>(mesh_->DrivingEffect()); }

void Mesh::Paint() {
  TMesh* model = mesh_->Mesh();
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (!model || !device) return;
  if (pixmap_->Apply()) {
    device->SetRenderState(rsTexLinear);
    device->SetRenderState(rsTexModulate);
  } else {
    // No picture: drawn in its colour, not in the last object's picture.
    device->SetPixmap(0, nullptr);
    device->SetRenderState(rsTexDisable);
  }
  MeshAnimationEffect* effect = Driver();
  if (mesh_->Animated() && effect && effect->Running()) {
    device->DrawAnimatedMesh(model, effect->Elapsed(), effect->KeyTime(), effect->Key1(), effect->Key2(),
                             effect->Loop());
  } else if (mesh_->Animated() && mesh_->Key() != 0) {
    device->DrawAnimatedMesh(model, static_cast<float>(mesh_->Key()), 1.0f, 0, mesh_->KeyCount(), false);
  } else if (mesh_->Animated() && effect) {
    // A finished one-shot play keeps its last pose.
    const float time = effect->RunningTime() > 0 && !effect->Loop() ? effect->RunningTime() : effect->Elapsed();
    device->DrawAnimatedMesh(model, time, effect->KeyTime(), effect->Key1(), effect->Key2(), effect->Loop());
  } else {
    device->DrawMesh(model);
  }
  pixmap_->Unapply();
  if (showBounds_) device->FillBox(model->Bounds.min, model->Bounds.max);
}

void Mesh::CreateDynamics() {
  // The positioned object's part first: it makes the applet's engine, which
  // the first mesh to spawn would otherwise ask for before it exists.
  PositionObject::CreateDynamics();
  TMesh* model = mesh_->Mesh();
  TDynamicEngine* engine = PhysicsEngine();
  if (!model || !engine) return;
  const TAABB& b = model->Bounds;
  const TSpaceVector size{2 * std::max(std::fabs(b.min.x), std::fabs(b.max.x)),
                          2 * std::max(std::fabs(b.min.y), std::fabs(b.max.y)),
                          2 * std::max(std::fabs(b.min.z), std::fabs(b.max.z)), 1};
  SetBody(engine->CreateBox(this, size));
}

void Mesh::DestroyDynamics() { RemoveBody(); }

TAABB Mesh::GetBoundsBox() {
  if (TMesh* model = mesh_->Mesh()) return model->Bounds;
  return {{0, 0, 0, 1}, {0, 0, 0, 1}};
}

float Mesh::GetBoundsRadius() {
  const TAABB box = GetBoundsBox();
  return std::max({std::fabs(box.min.x), std::fabs(box.min.y), std::fabs(box.min.z), std::fabs(box.max.x),
                   std::fabs(box.max.y), std::fabs(box.max.z)});
}

}  // namespace corvane
