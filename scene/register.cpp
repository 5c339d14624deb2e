#include "scene/register.h"

#include "base/reflection/class_registry.h"
#include "scene/animation_effect.h"
#include "scene/animation_keys.h"
#include "scene/box.h"
#include "scene/camera.h"
#include "scene/cone.h"
#include "scene/cylinder.h"
#include "scene/grid.h"
#include "scene/light.h"
#include "scene/materials.h"
#include "scene/media_effects.h"
#include "scene/media_players.h"
#include "scene/mesh.h"
#include "scene/mesh_animation_effect.h"
#include "scene/mirror.h"
#include "scene/pixmap_animation_effect.h"
#include "scene/pixmap_offset_animation_effect.h"
#include "scene/plane.h"
#include "scene/rect.h"
#include "scene/skin.h"
#include "scene/sphere.h"
#include "scene/sprite.h"
#include "scene/timer.h"

namespace corvane {

void RegisterSceneClasses() {
  RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass(), Material::StaticClass(), Materials::StaticClass(),
                   Camera::StaticClass(), Light::StaticClass(), Plane::StaticClass(), Box::StaticClass(),
                   Sphere::StaticClass(), Cylinder::StaticClass(), Cone::StaticClass(), Mesh::StaticClass(),
                   Mirror::StaticClass(), Grid::StaticClass(), Rect::StaticClass(), Sprite::StaticClass()});
  RegisterClasses({Timer::StaticClass(), MusicPlayer::StaticClass(), SoundPlayer::StaticClass()});
  RegisterClasses({AnimationEffect::StaticClass(), TwoPassEffect::StaticClass(), SoundEffect::StaticClass(),
                   MusicEffect::StaticClass(), TimerEffect::StaticClass(), TAnimationKey::StaticClass(),
                   TAnimationKeys::StaticClass()});
  RegisterClasses({PixmapAnimationEffect::StaticClass(), MeshAnimationEffect::StaticClass(),
                   PixmapOffsetAnimationEffect::StaticClass()});
}

}  // namespace corvane
