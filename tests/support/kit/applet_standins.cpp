#include "tests/support/kit/applet_standins.h"

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/shell/applet.h"
#include "scene/animation_effect.h"
#include "scene/materials.h"
#include "scene/pixmap_persistent.h"
#include "scene/skin.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/particles/register.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(Sprite)

void RegisterAppletStandIns(bool withSkin) {
  if (withSkin) RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass()});
  RegisterClasses({Materials::StaticClass(), Material::StaticClass(),
                   Sprite::StaticClass(), AnimationEffect::StaticClass(),
                   TAnimationKey::StaticClass(), TAnimationKeys::StaticClass()});
  RegisterParticleClasses();
}

void Sprite::Describe(TClassBuilder<Sprite>& c) {
  c.Property("pixmap", &Sprite::Pixmap, &Sprite::SetPixmap);
  c.Property("width", &Sprite::width);
  c.Property("height", &Sprite::height);
}

Sprite::Sprite(const TCreateContext& context)
    : PositionObject(context), pixmap_(Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this)))) {}

Sprite::~Sprite() { FreeAndNil(pixmap_); }

void Sprite::SetPixmap(TPixmapPersistent* value) {
  if (value) pixmap_->Assign(value);
}

}  // namespace corvane::test
