// The modes particle effects and renderers are set to by name in streams
// and scripts.
#pragma once

#include "base/reflection/type_info.h"

namespace corvane {

// How a renderer blends its particles into the frame: adding their light,
// or over what lies behind by their alpha.
CORVANE_ENUM(TBlendingMode, bmAdditive, bmBlend);
// Relative: the start velocity turns with the emitter's parent.
CORVANE_ENUM(TParticleVelocityMode, svmAbsolute, svmRelative);
// Stored with an effect; emission does not read it.
CORVANE_ENUM(TParticleDispersionMode, sdmFast, sdmIsotropic);

}  // namespace corvane
