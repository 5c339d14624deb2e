#include "libs/bass/frame_mix.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The loops below are most of the library's own time. On processors with
// AVX2 they run in clones twice as wide; without FMA, so every value is the
// same to the bit on any processor.
#if defined(__x86_64__) && defined(__GNUC__)
#define LIBBASS_WIDE_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define LIBBASS_WIDE_LOOPS
#endif
// What the clones call is inlined into each, so that it is built as wide.
#define LIBBASS_IN_CLONES [[gnu::always_inline]] inline

namespace libbass {

namespace {

// Branch-free, so that the loops over it vectorise: NaN and the infinities
// fail the magnitude test.
LIBBASS_IN_CLONES float Clean(float value) {
  const float held = std::min(std::max(value, -1.0f), 1.0f);
  return std::fabs(value) <= std::numeric_limits<float>::max() ? held : 0.0f;
}

// A kept value as the mix adds it: 16-bit frames are what libsndfile's
// float reading of them gives (value / 32768, exact), so a sample kept in
// 16 bits mixes to the same values as one kept in floats.
LIBBASS_IN_CLONES float Value(float value) { return value; }
LIBBASS_IN_CLONES float Value(std::int16_t value) { return static_cast<float>(value) * (1.0f / 32768.0f); }

// Adds the frame t of the way from a to the next one, times gain, into
// one frame of the bus. KeepFrames holds every value in [-1, 1], so the
// difference of two is safe.
template <int Channels, class T>
LIBBASS_IN_CLONES void MixFrame(const T* a, float t, float gain, float* out) {
  for (int c = 0; c < Channels; ++c) {
    const float from = Value(a[c]);
    out[c] += (from + (Value(a[Channels + c]) - from) * t) * gain;
  }
}

template <int Channels, class T>
LIBBASS_IN_CLONES std::size_t MixAt(const T* frames, std::size_t limit, FramePos& pos, FramePos step, float gain,
                  float* bus, std::size_t room) {
  const FramePos end = FramePos{limit} << 32;
  if (pos >= end) return 0;
  FramePos p = pos;
  if (step == kOneFrame && (p & (kOneFrame - 1)) == 0) {
    // The source runs at the output's rate: every frame as it is.
    const std::size_t first = static_cast<std::size_t>(p >> 32);
    const std::size_t n = std::min(room, limit - first);
    const T* from = frames + first * Channels;
    for (std::size_t i = 0; i < n * Channels; ++i) bus[i] += Value(from[i]) * gain;
    pos = p + (FramePos{n} << 32);
    return n;
  }
  // The output frames before the position reaches the limit, counted up
  // front so that the loop itself tests nothing.
  const std::size_t n = static_cast<std::size_t>(std::min<FramePos>(room, (end - p + step - 1) / step));
  constexpr float kFraction = 1.0f / 4294967296.0f;
  for (std::size_t i = 0; i < n; ++i, p += step) {
    const T* a = frames + static_cast<std::size_t>(p >> 32) * Channels;
    const float t = static_cast<float>(static_cast<std::uint32_t>(p)) * kFraction;
    MixFrame<Channels>(a, t, gain, bus + Channels * i);
  }
  pos = p;
  return n;
}

// A source at a half or a quarter of the output's rate (22.05 or 11.025 kHz
// into 44.1 kHz): whole source frames at a time, each giving Ratio output
// frames at fixed fractions, which the compiler can vectorise. The same
// arithmetic as MixAt, so the two give the same values.
template <int Channels, int Ratio, class T>
LIBBASS_IN_CLONES std::size_t MixUpsampled(const T* frames, std::size_t limit, FramePos& pos, float gain,
                         float* bus, std::size_t room) {
  constexpr FramePos step = kOneFrame / Ratio;
  // Up to the next source frame, and then the frames after the whole ones.
  const auto lead = static_cast<std::size_t>(((kOneFrame - (pos & (kOneFrame - 1))) & (kOneFrame - 1)) / step);
  std::size_t written = MixAt<Channels>(frames, limit, pos, step, gain, bus, std::min(room, lead));
  const auto first = static_cast<std::size_t>(pos >> 32);
  if (written < room && first < limit) {
    const std::size_t whole = std::min((room - written) / Ratio, limit - first);
    float* out = bus + Channels * written;
    for (std::size_t i = 0; i < whole; ++i) {
      const T* a = frames + (first + i) * Channels;
      for (int j = 0; j < Ratio; ++j)
        MixFrame<Channels>(a, static_cast<float>(j) / Ratio, gain, out + Channels * (i * Ratio + static_cast<std::size_t>(j)));
    }
    written += whole * Ratio;
    pos += FramePos{whole} << 32;
  }
  return written + MixAt<Channels>(frames, limit, pos, step, gain, bus + Channels * written, room - written);
}

// Asks for the source frames a mix will read as data read once: they come
// in ahead of the loop without pushing the decoders' tables out of the
// caches (a second of 32 samples is megabytes).
template <int Channels, class T>
LIBBASS_IN_CLONES void FetchOnce(const T* frames, std::size_t limit, FramePos pos, FramePos step, std::size_t room) {
  const auto first = static_cast<std::size_t>(pos >> 32);
  if (first >= limit) return;
  const std::size_t last = std::min<std::size_t>(limit, static_cast<std::size_t>((pos + step * room) >> 32) + 1);
  const auto* from = reinterpret_cast<const char*>(frames + first * Channels);
  const auto* to = reinterpret_cast<const char*>(frames + (last + 1) * Channels);
  for (; from < to; from += 64) __builtin_prefetch(from, 0, 0);
}

template <int Channels, class T>
LIBBASS_IN_CLONES std::size_t MixChannels(const T* frames, std::size_t limit, FramePos& pos, FramePos step,
                        float gain, float* bus, std::size_t room) {
  FetchOnce<Channels>(frames, limit, pos, step, room);
  if ((pos & (step - 1)) == 0) {
    if (step == kOneFrame / 2) return MixUpsampled<Channels, 2>(frames, limit, pos, gain, bus, room);
    if (step == kOneFrame / 4) return MixUpsampled<Channels, 4>(frames, limit, pos, gain, bus, room);
  }
  return MixAt<Channels>(frames, limit, pos, step, gain, bus, room);
}

}  // namespace

LIBBASS_WIDE_LOOPS void KeepFrames(const float* source, int sourceChannels, float* kept, std::size_t frames) {
  if (sourceChannels == 1) {
    for (std::size_t i = 0; i < frames; ++i) kept[i] = Clean(source[i]);
    return;
  }
  if (sourceChannels == 2) {
    for (std::size_t i = 0; i < 2 * frames; ++i) kept[i] = Clean(source[i]);
    return;
  }
  const auto stride = static_cast<std::size_t>(sourceChannels);
  for (std::size_t i = 0; i < frames; ++i) {
    kept[2 * i] = Clean(source[i * stride]);
    kept[2 * i + 1] = Clean(source[i * stride + 1]);
  }
}

LIBBASS_WIDE_LOOPS std::size_t MixResampled(const float* frames, int channels, std::size_t limit, FramePos& pos,
                                             FramePos step, float gain, float* bus, std::size_t room) {
  return channels == 1 ? MixChannels<1>(frames, limit, pos, step, gain, bus, room)
                       : MixChannels<2>(frames, limit, pos, step, gain, bus, room);
}

LIBBASS_WIDE_LOOPS std::size_t MixResampled(const std::int16_t* frames, int channels, std::size_t limit,
                                             FramePos& pos, FramePos step, float gain, float* bus,
                                             std::size_t room) {
  return channels == 1 ? MixChannels<1>(frames, limit, pos, step, gain, bus, room)
                       : MixChannels<2>(frames, limit, pos, step, gain, bus, room);
}

LIBBASS_WIDE_LOOPS void MixStereo(const float* stereo, float gain, float* bus, std::size_t count) {
  for (std::size_t i = 0; i < 2 * count; ++i) bus[i] += Clean(stereo[i]) * gain;
}

LIBBASS_WIDE_LOOPS void JoinBuses(const MixBuses& buses, std::size_t frames) {
  for (std::size_t i = 0; i < frames; ++i) {
    const float mono = buses.mono[i];
    buses.stereo[2 * i] = std::clamp(buses.stereo[2 * i] + mono, -1.0f, 1.0f);
    buses.stereo[2 * i + 1] = std::clamp(buses.stereo[2 * i + 1] + mono, -1.0f, 1.0f);
  }
}

}  // namespace libbass
