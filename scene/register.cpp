#include "scene/register.h"

#include "base/reflection/class_registry.h"
#include "scene/box.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/materials.h"
#include "scene/skin.h"

namespace corvane {

void RegisterSceneClasses() {
  RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass(), Material::StaticClass(), Materials::StaticClass(),
                   Camera::StaticClass(), Light::StaticClass(), Box::StaticClass()});
}

}  // namespace corvane
