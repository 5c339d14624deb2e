// Which key frames of an animated mesh show at a time, and how far the
// first has blended towards the second.
#pragma once

#include <cstdint>

namespace corvane {

struct TAnimationFrame {
  std::int32_t Frame = 0;
  std::int32_t Next = 0;   // the frame blended towards (when Blend)
  float Weight = 0;        // 0 (Frame) .. 1 (Next)
  bool Blend = false;      // false: Frame alone
};

// The frames of a range First .. Last of frameCount frames at time seconds,
// frameTime seconds a frame. Time 0 shows frame First. Without loop the
// frames run on from First and frame Last shows once the next frame would
// reach it; with loop they run First .. Last-1 and wrap. A loop without
// room (Last <= First) or a frameTime not above 0 shows frame First. First,
// Last and both frames stay within 0 .. frameCount-1; the weight is the
// part of the current frame's time gone by.
TAnimationFrame AnimationFrame(float time, float frameTime, std::int32_t first, std::int32_t last, bool loop,
                               std::int32_t frameCount);

}  // namespace corvane
