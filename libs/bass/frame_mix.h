// The sample arithmetic every voice shares: decoded frames cleaned and
// reduced to mono or stereo, and frames at a source's own rate added into
// the mix at the output's rate, by linear interpolation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace libbass {

// Channels a decoded source keeps: mono stays mono, anything wider keeps
// its first two channels.
inline int KeptChannels(int sourceChannels) { return sourceChannels == 1 ? 1 : 2; }

// Copies frames of sourceChannels interleaved values into frames of
// KeptChannels(sourceChannels) values, each made finite (NaN and the
// infinities become 0) and held in [-1, 1], so that no difference or sum
// of them can overflow. Mono and stereo frames may be kept in place
// (kept == source).
void KeepFrames(const float* source, int sourceChannels, float* kept, std::size_t frames);

// The mix being made, as two buses: mono sources add into the mono one and
// stereo sources into the stereo one (two values a frame). Nothing is
// panned, so the mono bus joins both sides when the two are summed.
struct MixBuses {
  float* mono;
  float* stereo;
  float* For(int channels) const { return channels == 1 ? mono : stereo; }
  MixBuses After(std::size_t frames) const { return {mono + frames, stereo + 2 * frames}; }
};

// A 32.32 fixed-point frame position; its step per output frame.
using FramePos = std::uint64_t;
constexpr FramePos kOneFrame = FramePos{1} << 32;
inline FramePos StepFor(std::uint32_t sourceRate, std::uint32_t outputRate) {
  return (FramePos{sourceRate} << 32) / outputRate;
}

// Adds gain × the frames of `frames` (1 or 2 channels) into `bus`, the
// bus of the same channel count, one output frame per step, while the
// position stays below `limit` and the bus has room. `frames` holds
// limit + 1 frames: the one after the last is only read for interpolating
// towards it. Returns the output frames written and moves `pos` on.
std::size_t MixResampled(const float* frames, int channels, std::size_t limit, FramePos& pos,
                         FramePos step, float gain, float* bus, std::size_t room);
// The same for frames kept in 16 bits (value / 32768).
std::size_t MixResampled(const std::int16_t* frames, int channels, std::size_t limit, FramePos& pos,
                         FramePos step, float gain, float* bus, std::size_t room);

// Adds gain × count stereo frames, cleaned as KeepFrames does, into a
// stereo bus.
void MixStereo(const float* stereo, float gain, float* bus, std::size_t count);

// The sum of the two buses, clamped to [-1, 1], into the stereo one.
void JoinBuses(const MixBuses& buses, std::size_t frames);

}  // namespace libbass
