#include "base/engine_log.h"

int main() {
  corvane::EngineLog(u"=== Corvane engine 2.0 started ===");
  return 0;
}
