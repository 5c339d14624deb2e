#include "scene/physics/dynamic_engine.h"

#include <map>

#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TDynamicEngine)

TClass DynamicEngineClass = nullptr;

namespace {

std::map<std::string, TClass>& Registry() {
  static std::map<std::string, TClass> registry;
  return registry;
}

}  // namespace

void TDynamicEngine::UpdateWorlds(float dt) {
  if (ScreenWorld != 0) UpdateWorld(ScreenWorld, dt);
  if (SpaceWorld != 0) UpdateWorld(SpaceWorld, dt);
}

void RegisterDynamic(TClass cls) {
  if (cls) Registry()[AsciiUpperCase(cls->Name())] = cls;
}

}  // namespace corvane
