// The sample arithmetic every voice shares: decoded frames cleaned and
// reduced to mono or stereo, and frames at a source's own rate added into
// the stereo mix at the output's rate, by linear interpolation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace libbass {

// Channels a decoded source keeps: mono stays mono, anything wider keeps
// its first two channels.
inline int KeptChannels(int sourceChannels) { return sourceChannels == 1 ? 1 : 2; }

// Copies frames of sourceChannels interleaved values into frames of
// KeptChannels(sourceChannels) values, each made finite and held in
// [-1, 1] so that no sum of voices can overflow into NaN.
void KeepFrames(const float* source, int sourceChannels, float* kept, std::size_t frames);

// A 32.32 fixed-point frame position; its step per output frame.
using FramePos = std::uint64_t;
constexpr FramePos kOneFrame = FramePos{1} << 32;
inline FramePos StepFor(std::uint32_t sourceRate, std::uint32_t outputRate) {
  return (FramePos{sourceRate} << 32) / outputRate;
}

// Adds gain × the frames of `frames` (1 or 2 channels) into `mix` (stereo),
// one output frame per step, while the position stays below `limit` and
// the mix has room. `frames` holds limit + 1 frames: the one after the last
// is only read for interpolating towards it. Returns the output frames
// written and moves `pos` on.
std::size_t MixResampled(const float* frames, int channels, std::size_t limit, FramePos& pos,
                         FramePos step, float gain, float* mix, std::size_t room);

// Adds gain × count stereo frames into the mix.
void MixStereo(const float* stereo, float gain, float* mix, std::size_t count);

}  // namespace libbass
