// The one process-wide uniform generator that particles and effects draw
// from. Single-threaded like the rest of the engine; tests seed it to make
// a run repeatable.
#pragma once

#include <cstdint>

namespace corvane {

// A value in [0, 1), never 1 itself.
float Random();
// Restarts the sequence: the same seed gives the same values.
void RandSeed(std::uint32_t seed);

}  // namespace corvane
