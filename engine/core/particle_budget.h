// The particles of all the program's effects share one budget: an effect
// only releases what still fits, so neither a tree of many emitters, each
// within its own cap, nor applets nested in one another can take the
// machine's memory between them. The budget is the engine's
// ("-maxparticles=N").
#pragma once

#include <cstdint>

namespace corvane {

inline constexpr std::int32_t kDefaultParticleBudget = 100000;
// The most particles alive at once across the program's effects.
extern std::int32_t ParticleBudget;

// What the effects have out, and whether reaching the budget was reported:
// once, not once a frame.
struct TParticleTally {
  std::int32_t Live = 0;
  bool Reported = false;
};

// The program's one tally (the main thread alone runs effects).
TParticleTally& ParticleTally();

}  // namespace corvane
