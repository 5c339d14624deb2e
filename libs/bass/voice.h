// What the mixer plays: a sample's channel, a stream or a module, each
// adding its frames into the stereo mix at the output's rate.
#pragma once

#include <cstddef>

#include "libs/bass/frame_mix.h"

namespace libbass {

class Voice {
 public:
  virtual ~Voice() = default;
  // Adds up to `frames` output frames × gain into the buses; fewer only
  // when the voice reaches its end (a looping voice has none).
  virtual std::size_t Mix(const MixBuses& buses, std::size_t frames, float gain) = 0;
  // Back to the first frame.
  virtual void Rewind() = 0;
};

}  // namespace libbass
