#include "scene/particles/particle.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TParticle)

}  // namespace corvane
