// Registers the particle classes that applets name: the effect and the
// renderer (with the key and particle classes they stream).
#pragma once

namespace corvane {

void RegisterParticleClasses();

}  // namespace corvane
