// The particles of all an applet's effects share one budget: an effect
// only releases what still fits, so a tree of many emitters, each within
// its own cap, cannot take the machine's memory between them. The applet
// keeps the tally; the budget is the engine's ("-maxparticles=N").
#pragma once

#include <cstdint>

namespace corvane {

inline constexpr std::int32_t kDefaultParticleBudget = 100000;
// The most particles alive at once across one applet's effects.
extern std::int32_t ParticleBudget;

// What one applet's effects have out, and whether reaching the budget was
// reported: once for the applet, not once a frame.
struct TParticleTally {
  std::int32_t Live = 0;
  bool Reported = false;
};

}  // namespace corvane
