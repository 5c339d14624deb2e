#include "scene/sprite.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "scene/physics/dynamic_engine.h"
#include "scene/skin_pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Sprite)

void Sprite::Describe(TClassBuilder<Sprite>& c) {
  c.Property("pixmap", &Sprite::Pixmap, &Sprite::SetPixmap);
  c.Property("width", &Sprite::Width, &Sprite::SetWidth);
  c.Property("height", &Sprite::Height, &Sprite::SetHeight);
}

Sprite::Sprite(const TCreateContext& context)
    : PositionObject(context), pixmap_(Create<TSkinPixmapPersistent>(TCreateContext(AppletObjectOf(this)))) {
  SetMaterialName(u"gui");
}

Sprite::~Sprite() { FreeAndNil(pixmap_); }

void Sprite::SetPixmap(TSkinPixmapPersistent* value) {
  if (value) pixmap_->Assign(value);
}

void Sprite::SetSpriteSize(float width, float height) {
  width_ = width;
  height_ = height;
}

void Sprite::SetPicture(const std::string& name) { pixmap_->SetFileName(name); }

void Sprite::Paint() { pixmap_->Draw({-width_ / 2, -height_ / 2, width_ / 2, height_ / 2}, 0); }

void Sprite::CreateDynamics() {
  PositionObject::CreateDynamics();
  if (TDynamicEngine* engine = PhysicsEngine()) SetBody(engine->CreateBox(this, {width_, height_, 50, 1}));
}

void Sprite::DestroyDynamics() {
  RemoveBody();
  PositionObject::DestroyDynamics();
}

float Sprite::GetBoundsRadius() { return std::max(width_, height_) / 2; }

}  // namespace corvane
