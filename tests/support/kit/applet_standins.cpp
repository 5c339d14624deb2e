#include "tests/support/kit/applet_standins.h"

#include "base/reflection/class_registry.h"
#include "scene/animation_effect.h"
#include "scene/materials.h"
#include "scene/skin.h"
#include "scene/sprite.h"
#include "scene/particles/register.h"

namespace corvane::test {

void RegisterAppletStandIns(bool withSkin) {
  if (withSkin) RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass()});
  RegisterClasses({Materials::StaticClass(), Material::StaticClass(), Sprite::StaticClass(),
                   AnimationEffect::StaticClass(), TAnimationKey::StaticClass(), TAnimationKeys::StaticClass()});
  RegisterParticleClasses();
}

}  // namespace corvane::test
