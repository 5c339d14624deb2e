// The physics engine on libnewton.so: registered by name and made the
// physics-engine class.
#pragma once

namespace corvane {

void RegisterNewtonEngine();

}  // namespace corvane
