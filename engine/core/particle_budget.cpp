#include "engine/core/particle_budget.h"

namespace corvane {

std::int32_t ParticleBudget = kDefaultParticleBudget;

TParticleTally& ParticleTally() {
  static TParticleTally tally;
  return tally;
}

}  // namespace corvane
