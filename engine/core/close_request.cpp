#include "engine/core/close_request.h"

#include "engine/core/engine_services.h"
#include "platform/platform.h"

namespace corvane {

bool CloseRequestHeard() {
  TEngineServices* engine = RunningEngine();
  TPlatform* platform = engine ? engine->Platform() : nullptr;
  return platform && platform->PollCloseRequest();
}

}  // namespace corvane
