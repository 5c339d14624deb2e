#include "libs/bass/frame_mix.h"

#include <algorithm>
#include <cmath>

namespace libbass {

namespace {

float Clean(float value) { return std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f; }

float Lerp(float a, float b, float t) {
  // Weighted, not a + (b - a) t: the difference of two large values could
  // overflow where the weighted sum cannot.
  return a * (1.0f - t) + b * t;
}

template <int Channels>
std::size_t MixAt(const float* frames, std::size_t limit, FramePos& pos, FramePos step, float gain,
                  float* mix, std::size_t room) {
  std::size_t written = 0;
  if (step == kOneFrame && (pos & (kOneFrame - 1)) == 0) {
    // The source runs at the output's rate: every frame as it is.
    const std::size_t first = static_cast<std::size_t>(pos >> 32);
    if (first >= limit) return 0;
    written = std::min(room, limit - first);
    const float* from = frames + first * Channels;
    for (std::size_t i = 0; i < written; ++i) {
      const float left = from[i * Channels];
      const float right = from[i * Channels + Channels - 1];
      mix[2 * i] += left * gain;
      mix[2 * i + 1] += right * gain;
    }
    pos += FramePos{written} << 32;
    return written;
  }
  while (written < room) {
    const std::size_t index = static_cast<std::size_t>(pos >> 32);
    if (index >= limit) break;
    const float t = static_cast<float>(pos & (kOneFrame - 1)) * (1.0f / 4294967296.0f);
    const float* a = frames + index * Channels;
    const float* b = a + Channels;
    mix[2 * written] += Lerp(a[0], b[0], t) * gain;
    mix[2 * written + 1] += Lerp(a[Channels - 1], b[Channels - 1], t) * gain;
    ++written;
    pos += step;
  }
  return written;
}

}  // namespace

void KeepFrames(const float* source, int sourceChannels, float* kept, std::size_t frames) {
  if (sourceChannels == 1) {
    for (std::size_t i = 0; i < frames; ++i) kept[i] = Clean(source[i]);
    return;
  }
  for (std::size_t i = 0; i < frames; ++i) {
    kept[2 * i] = Clean(source[i * sourceChannels]);
    kept[2 * i + 1] = Clean(source[i * sourceChannels + 1]);
  }
}

std::size_t MixResampled(const float* frames, int channels, std::size_t limit, FramePos& pos,
                         FramePos step, float gain, float* mix, std::size_t room) {
  return channels == 1 ? MixAt<1>(frames, limit, pos, step, gain, mix, room)
                       : MixAt<2>(frames, limit, pos, step, gain, mix, room);
}

void MixStereo(const float* stereo, float gain, float* mix, std::size_t count) {
  for (std::size_t i = 0; i < 2 * count; ++i) mix[i] += Clean(stereo[i]) * gain;
}

}  // namespace libbass
