#include "base/system/steady_clock.h"

#include <chrono>

namespace corvane {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace corvane
