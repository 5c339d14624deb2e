#include "scene/register.h"

#include "base/reflection/class_registry.h"
#include "scene/animation_effect.h"
#include "scene/animation_keys.h"
#include "scene/box.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/materials.h"
#include "scene/media_effects.h"
#include "scene/media_players.h"
#include "scene/skin.h"
#include "scene/timer.h"

namespace corvane {

void RegisterSceneClasses() {
  RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass(), Material::StaticClass(), Materials::StaticClass(),
                   Camera::StaticClass(), Light::StaticClass(), Box::StaticClass()});
  RegisterClasses({Timer::StaticClass(), MusicPlayer::StaticClass(), SoundPlayer::StaticClass()});
  RegisterClasses({AnimationEffect::StaticClass(), TwoPassEffect::StaticClass(), SoundEffect::StaticClass(),
                   MusicEffect::StaticClass(), TimerEffect::StaticClass(), TAnimationKey::StaticClass(),
                   TAnimationKeys::StaticClass()});
}

}  // namespace corvane
