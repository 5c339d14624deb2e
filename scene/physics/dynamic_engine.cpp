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

std::uint64_t TDynamicEngine::BodyMatrixStamp(std::int32_t) { return NewMatrixStamp(); }

std::uint64_t TDynamicEngine::NewMatrixStamp() {
  // One counter for every engine: an object that keeps a number of one
  // engine's body never meets it again on another (64 bits do not wrap).
  static std::uint64_t last = 0;
  return ++last;
}

void RegisterDynamic(TClass cls) {
  if (cls) Registry()[AsciiUpperCase(cls->Name())] = cls;
}

}  // namespace corvane
