#include "engine/core/engine_services.h"

namespace corvane {

namespace {

TEngineServices* gRunningEngine = nullptr;

}  // namespace

TEngineServices* RunningEngine() { return gRunningEngine; }

void SetRunningEngine(TEngineServices* engine) { gRunningEngine = engine; }

bool IsEngineObject(const BaseObject* object) {
  return object && gRunningEngine && object == gRunningEngine->EngineObject();
}

}  // namespace corvane
