#include "scene/newton/register.h"

#include "base/reflection/class_registry.h"
#include "scene/newton/newton_engine.h"

namespace corvane {

void RegisterNewtonEngine() {
  DynamicEngineClass = TNewtonEngine::StaticClass();
  RegisterDynamic(DynamicEngineClass);
  if (GetClass(DynamicEngineClass->Name()) != DynamicEngineClass) RegisterClass(DynamicEngineClass);
}

}  // namespace corvane
