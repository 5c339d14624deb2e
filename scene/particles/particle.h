// TParticle: one particle of an emitter, plain state that the effect moves
// and ages each frame and the renderer turns into a quad.
#pragma once

#include "base/geometry/geometry.h"
#include "base/reflection/persistent.h"

namespace corvane {

class ParticleEffect;
class TParticleList;

class TParticle : public TSomePersistent {
  CORVANE_CLASS(TParticle, TSomePersistent)
  // The owner is the applet.
  using TSomePersistent::TSomePersistent;

  // Absolute: in screen units for a screen emitter, in space otherwise.
  TSpaceVector position{0, 0, 0, 1};
  TSpaceVector velocity{0, 0, 0, 0};  // units a second
  float tangentVel = 0;               // around the emission point
  float radialVel = 0;                // away from the emission point
  float birthTime = 0;                // the effect's elapsed time at emission
  float age = 0;                      // seconds since emission
  TSpaceVector origin{0, 0, 0, 1};    // the emission point
  TParticleList* list = nullptr;
  ParticleEffect* effect = nullptr;
};

}  // namespace corvane
