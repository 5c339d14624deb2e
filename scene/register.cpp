#include "scene/register.h"

#include "base/reflection/class_registry.h"
#include "scene/box.h"
#include "scene/materials.h"

namespace corvane {

void RegisterSceneClasses() {
  RegisterClasses({Material::StaticClass(), Materials::StaticClass(), Box::StaticClass()});
}

}  // namespace corvane
