#include "tests/support/kit/newton_physics.h"

#include "scene/newton/newton_engine.h"
#include "scene/newton/register.h"

namespace corvane::test {

TUseNewtonPhysics::TUseNewtonPhysics(const std::string& library)
    : previous_(DynamicEngineClass), previousLibrary_(TNewtonEngine::LibraryName) {
  RegisterNewtonEngine();
  TNewtonEngine::LibraryName = library;
}

TUseNewtonPhysics::~TUseNewtonPhysics() {
  DynamicEngineClass = previous_;
  TNewtonEngine::LibraryName = previousLibrary_;
}

}  // namespace corvane::test
