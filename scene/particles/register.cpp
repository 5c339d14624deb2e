#include "scene/particles/register.h"

#include "base/reflection/class_registry.h"
#include "scene/particles/particle_effect.h"
#include "scene/particles/particle_keys.h"
#include "scene/particles/particle_renderer.h"

namespace corvane {

void RegisterParticleClasses() {
  RegisterClasses({ParticleRenderer::StaticClass(), ParticleEffect::StaticClass(), TParticleKey::StaticClass(),
                   TParticleKeys::StaticClass()});
}

}  // namespace corvane
