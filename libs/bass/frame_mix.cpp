#include "libs/bass/frame_mix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

// The loops below are most of the library's own time. They are written on
// vectors of floats, so that they stay vector code whatever the
// optimisation level or the compiler's cost model: on processors with AVX2
// eight values at a time (in versions built for it, chosen at run time),
// elsewhere four (SSE2, which every x86-64 has; wider vectors there would
// be moved between halves through memory). No FMA is used (AVX2 alone does
// not bring it), and every value is computed in the same order as one at a
// time, so the mix is the same to the bit on any processor and in the
// loops' scalar ends.
#if defined(__x86_64__) && defined(__GNUC__)
#define LIBBASS_AVX2 __attribute__((target("avx2")))
#define LIBBASS_X86 1
#else
#define LIBBASS_AVX2
#endif
// What the entry points call is inlined into each version, so that it is
// built for its processor. Vectors are passed by reference: a 32-byte
// vector passed by value outside AVX code has no agreed way of being
// passed.
#define LIBBASS_INLINE [[gnu::always_inline]] inline

namespace libbass {

namespace {

template <int N>
struct Lanes;
template <>
struct Lanes<4> {
  using Floats = float __attribute__((vector_size(16)));
  using Ints = std::int32_t __attribute__((vector_size(16)));
};
template <>
struct Lanes<8> {
  using Floats = float __attribute__((vector_size(32)));
  using Ints = std::int32_t __attribute__((vector_size(32)));
};
using Quad = Lanes<4>::Floats;
using EightShorts = std::int16_t __attribute__((vector_size(16)));
using TwoWords = std::uint64_t __attribute__((vector_size(16)));

// Branch-free, so that the loops over it vectorise: NaN and the infinities
// fail the magnitude test.
LIBBASS_INLINE float Clean(float value) {
  const float held = std::min(std::max(value, -1.0f), 1.0f);
  return std::fabs(value) <= std::numeric_limits<float>::max() ? held : 0.0f;
}

// A kept value as the mix adds it: 16-bit frames are what libsndfile's
// float reading of them gives (value / 32768, exact), so a sample kept in
// 16 bits mixes to the same values as one kept in floats.
LIBBASS_INLINE float Value(float value) { return value; }
LIBBASS_INLINE float Value(std::int16_t value) { return static_cast<float>(value) * (1.0f / 32768.0f); }

// Kept values from p, as Value gives them: N into v, or eight into two
// fours.
template <class V>
LIBBASS_INLINE void Load(V& v, const float* p) {
  std::memcpy(&v, p, sizeof v);
}
// 16-bit values are widened to 32 bits by hand: each put into both halves
// of its lane and shifted down with its sign (SSE2 has no sign extension,
// and the compilers would convert values one at a time).
LIBBASS_INLINE void ToFloats(const EightShorts& s, Quad& low, Quad& high) {
  using Ints = Lanes<4>::Ints;
  low = __builtin_convertvector(__builtin_bit_cast(Ints, __builtin_shufflevector(s, s, 0, 0, 1, 1, 2, 2, 3, 3)) >> 16,
                                Quad) *
        (1.0f / 32768.0f);
  high = __builtin_convertvector(__builtin_bit_cast(Ints, __builtin_shufflevector(s, s, 4, 4, 5, 5, 6, 6, 7, 7)) >> 16,
                                 Quad) *
         (1.0f / 32768.0f);
}
LIBBASS_INLINE void Load(Quad& v, const std::int16_t* p) {
  std::uint64_t four;
  std::memcpy(&four, p, sizeof four);
  Quad unused;
  ToFloats(__builtin_bit_cast(EightShorts, TwoWords{four, 0}), v, unused);
}
LIBBASS_INLINE void Load(Lanes<8>::Floats& v, const std::int16_t* p) {
  // Where there are eight lanes, AVX2 widens them in one step.
  std::int16_t __attribute__((vector_size(16))) s;
  std::memcpy(&s, p, sizeof s);
  v = __builtin_convertvector(__builtin_convertvector(s, Lanes<8>::Ints), Lanes<8>::Floats) * (1.0f / 32768.0f);
}
LIBBASS_INLINE void LoadPair(Quad& low, Quad& high, const float* p) {
  Load(low, p);
  Load(high, p + 4);
}
LIBBASS_INLINE void LoadPair(Quad& low, Quad& high, const std::int16_t* p) {
  EightShorts s;
  std::memcpy(&s, p, sizeof s);
  ToFloats(s, low, high);
}
template <class V>
LIBBASS_INLINE void Store(float* p, const V& v) {
  std::memcpy(p, &v, sizeof v);
}

// std::max (v, low) and std::min (v, high) on each value: the first
// operand when the comparison fails, so a NaN stays. AVX2 selects by the
// comparison in one step.
template <class V>
LIBBASS_INLINE void AtLeast(V& v, const V& low) {
  v = v < low ? low : v;
}
template <class V>
LIBBASS_INLINE void AtMost(V& v, const V& high) {
  v = high < v ? high : v;
}
#ifdef LIBBASS_X86
// Fours: the processor's own, which takes its operands in that order
// (SSE2 would select by masks in four steps).
LIBBASS_INLINE void AtLeast(Quad& v, const Quad& low) { v = __builtin_ia32_maxps(low, v); }
LIBBASS_INLINE void AtMost(Quad& v, const Quad& high) { v = __builtin_ia32_minps(high, v); }
#endif

// Clamps v to [-1, 1] as std::clamp does.
template <class V>
LIBBASS_INLINE void Clamp(V& v) {
  AtLeast(v, V{} - 1.0f);
  AtMost(v, V{} + 1.0f);
}

// Clean on N values, with the same comparisons.
template <int N>
LIBBASS_INLINE void Clean(typename Lanes<N>::Floats& v) {
  using V = typename Lanes<N>::Floats;
  using I = typename Lanes<N>::Ints;
  const I finite = __builtin_bit_cast(V, __builtin_bit_cast(I, v) & 0x7fffffff) <= std::numeric_limits<float>::max();
  Clamp(v);
  v = __builtin_bit_cast(V, __builtin_bit_cast(I, v) & finite);
}

// Adds gain × count values from `from` into `bus`.
template <int N, class T>
LIBBASS_INLINE void AddScaled(const T* from, float gain, float* bus, std::size_t count) {
  using V = typename Lanes<N>::Floats;
  std::size_t i = 0;
  for (; i + N <= count; i += N) {
    V v, sum;
    Load(v, from + i);
    Load(sum, bus + i);
    sum += v * gain;
    Store(bus + i, sum);
  }
  for (; i < count; ++i) bus[i] += Value(from[i]) * gain;
}

// Adds the frame t of the way from a to the next one, times gain, into
// one frame of the bus. KeepFrames holds every value in [-1, 1], so the
// difference of two is safe.
template <int Channels, class T>
LIBBASS_INLINE void MixFrame(const T* a, float t, float gain, float* out) {
  for (int c = 0; c < Channels; ++c) {
    const float from = Value(a[c]);
    out[c] += (from + (Value(a[Channels + c]) - from) * t) * gain;
  }
}

// How far a position is from its frame to the next.
LIBBASS_INLINE float FractionAt(FramePos p) {
  return static_cast<float>(static_cast<std::uint32_t>(p)) * (1.0f / 4294967296.0f);
}

// Adds N output values, N / Channels frames from position p on, into out:
// lane L is channel L % Channels of frame L / Channels. The source values
// are fetched one at a time (their frames are not evenly spaced), the
// arithmetic is done on vectors, as MixFrame does it.
template <int N, int Channels, class T, std::size_t... L>
LIBBASS_INLINE void MixGathered(const T* frames, FramePos p, FramePos step, float gain, float* out,
                                std::index_sequence<L...>) {
  using V = typename Lanes<N>::Floats;
  const auto at = [&](std::size_t lane, std::size_t next) {
    return frames[static_cast<std::size_t>((p + step * (lane / Channels)) >> 32) * Channels + next * Channels +
                  lane % Channels];
  };
  V a, b;
  if constexpr (std::is_same_v<T, std::int16_t>) {
    using I = typename Lanes<N>::Ints;
    // Widened in vectors, as Value widens one.
    a = __builtin_convertvector((I{at(L, 0)...}), V) * (1.0f / 32768.0f);
    b = __builtin_convertvector((I{at(L, 1)...}), V) * (1.0f / 32768.0f);
  } else {
    a = V{at(L, 0)...};
    b = V{at(L, 1)...};
  }
  const V t = {FractionAt(p + step * (L / Channels))...};
  V sum;
  Load(sum, out);
  sum += (a + (b - a) * t) * gain;
  Store(out, sum);
}

template <int N, int Channels, class T>
LIBBASS_INLINE std::size_t MixAt(const T* frames, std::size_t limit, FramePos& pos, FramePos step, float gain,
                                 float* bus, std::size_t room) {
  const FramePos end = FramePos{limit} << 32;
  if (pos >= end) return 0;
  FramePos p = pos;
  if (step == kOneFrame && (p & (kOneFrame - 1)) == 0) {
    // The source runs at the output's rate: every frame as it is.
    const std::size_t first = static_cast<std::size_t>(p >> 32);
    const std::size_t n = std::min(room, limit - first);
    AddScaled<N>(frames + first * Channels, gain, bus, n * Channels);
    pos = p + (FramePos{n} << 32);
    return n;
  }
  // The output frames before the position reaches the limit, counted up
  // front so that the loops themselves test nothing.
  const std::size_t n = static_cast<std::size_t>(std::min<FramePos>(room, (end - p + step - 1) / step));
  constexpr std::size_t perVector = N / Channels;
  std::size_t i = 0;
  for (; i + perVector <= n; i += perVector, p += step * perVector)
    MixGathered<N, Channels>(frames, p, step, gain, bus + Channels * i, std::make_index_sequence<N>());
  for (; i < n; ++i, p += step) {
    const T* a = frames + static_cast<std::size_t>(p >> 32) * Channels;
    MixFrame<Channels>(a, FractionAt(p), gain, bus + Channels * i);
  }
  pos = p;
  return n;
}

// In the output values of a run of source frames, Ratio output frames to
// a source frame: the value of the run that output value v comes from (one
// of its four), and its fraction of the way to the next frame.
template <int Channels, int Ratio>
constexpr int SourceValue(int v) {
  return v / Channels / Ratio * Channels + v % Channels;
}
template <int Channels, int Ratio>
constexpr float Fraction(int v) {
  return static_cast<float>(v / Channels % Ratio) / Ratio;
}

// Adds N output values, from Offset on, of a run of whole source frames,
// times gain into out, and the next N up to the run's end: the four source
// values from the run's first frame on (from) and from the frame after on
// (to) are spread over them. Values move only within fours, which SSE2
// does in registers too.
template <int N, int Channels, int Ratio, int Offset>
LIBBASS_INLINE void MixSpread(const Quad& from, const Quad& to, float gain, float* out) {
  using V = typename Lanes<N>::Floats;
  constexpr auto at = [](int v) { return SourceValue<Channels, Ratio>(Offset + v); };
  V a, b, t, sum;
  if constexpr (N == 4) {
    a = __builtin_shufflevector(from, from, at(0), at(1), at(2), at(3));
    b = __builtin_shufflevector(to, to, at(0), at(1), at(2), at(3));
  } else {
    const Quad a0 = __builtin_shufflevector(from, from, at(0), at(1), at(2), at(3));
    const Quad a1 = __builtin_shufflevector(from, from, at(4), at(5), at(6), at(7));
    const Quad b0 = __builtin_shufflevector(to, to, at(0), at(1), at(2), at(3));
    const Quad b1 = __builtin_shufflevector(to, to, at(4), at(5), at(6), at(7));
    a = __builtin_shufflevector(a0, a1, 0, 1, 2, 3, 4, 5, 6, 7);
    b = __builtin_shufflevector(b0, b1, 0, 1, 2, 3, 4, 5, 6, 7);
  }
  for (int v = 0; v < N; ++v) t[v] = Fraction<Channels, Ratio>(Offset + v);
  Load(sum, out + Offset);
  sum += (a + (b - a) * t) * gain;
  Store(out + Offset, sum);
  if constexpr (Offset + N < 4 * Ratio) MixSpread<N, Channels, Ratio, Offset + N>(from, to, gain, out);
}

// A source at a half or a quarter of the output's rate (22.05 or 11.025 kHz
// into 44.1 kHz): whole source frames at a time, each giving Ratio output
// frames at fixed fractions. The same arithmetic as MixAt, so the two give
// the same values.
template <int N, int Channels, int Ratio, class T>
LIBBASS_INLINE std::size_t MixUpsampled(const T* frames, std::size_t limit, FramePos& pos, float gain, float* bus,
                                        std::size_t room) {
  constexpr FramePos step = kOneFrame / Ratio;
  // Up to the next source frame, and then the frames after the whole ones.
  const auto lead = static_cast<std::size_t>(((kOneFrame - (pos & (kOneFrame - 1))) & (kOneFrame - 1)) / step);
  std::size_t written = MixAt<N, Channels>(frames, limit, pos, step, gain, bus, std::min(room, lead));
  const auto first = static_cast<std::size_t>(pos >> 32);
  if (written < room && first < limit) {
    const std::size_t whole = std::min((room - written) / Ratio, limit - first);
    float* out = bus + Channels * written;
    // Runs of the source frames of four values, each giving 4 Ratio output
    // values. A run reads eight values from its first frame on, which must
    // lie within the limit + 1 frames there are.
    constexpr std::size_t run = 4 / Channels;
    const std::size_t readable = limit + 1 - first;
    const std::size_t runs = readable >= 2 * run ? std::min(whole / run, (readable - 2 * run) / run + 1) : 0;
    for (std::size_t k = 0; k < runs; ++k) {
      Quad from, after;
      LoadPair(from, after, frames + (first + k * run) * Channels);
      const Quad to = __builtin_shufflevector(from, after, Channels, Channels + 1, Channels + 2, Channels + 3);
      MixSpread<N, Channels, Ratio, 0>(from, to, gain, out + 4 * Ratio * k);
    }
    for (std::size_t i = runs * run; i < whole; ++i) {
      const T* a = frames + (first + i) * Channels;
      for (int j = 0; j < Ratio; ++j)
        MixFrame<Channels>(a, static_cast<float>(j) / Ratio, gain,
                           out + Channels * (i * Ratio + static_cast<std::size_t>(j)));
    }
    written += whole * Ratio;
    pos += FramePos{whole} << 32;
  }
  return written + MixAt<N, Channels>(frames, limit, pos, step, gain, bus + Channels * written, room - written);
}

// Asks for the source frames a mix will read as data read once: they come
// in ahead of the loop without pushing the decoders' tables out of the
// caches (a second of 32 samples is megabytes).
template <int Channels, class T>
LIBBASS_INLINE void FetchOnce(const T* frames, std::size_t limit, FramePos pos, FramePos step, std::size_t room) {
  const auto first = static_cast<std::size_t>(pos >> 32);
  if (first >= limit) return;
  const std::size_t last = std::min<std::size_t>(limit, static_cast<std::size_t>((pos + step * room) >> 32) + 1);
  const auto* from = reinterpret_cast<const char*>(frames + first * Channels);
  const auto* to = reinterpret_cast<const char*>(frames + (last + 1) * Channels);
  for (; from < to; from += 64) __builtin_prefetch(from, 0, 0);
}

template <int N, int Channels, class T>
LIBBASS_INLINE std::size_t MixChannels(const T* frames, std::size_t limit, FramePos& pos, FramePos step, float gain,
                                       float* bus, std::size_t room) {
  FetchOnce<Channels>(frames, limit, pos, step, room);
  if ((pos & (step - 1)) == 0) {
    if (step == kOneFrame / 2) return MixUpsampled<N, Channels, 2>(frames, limit, pos, gain, bus, room);
    if (step == kOneFrame / 4) return MixUpsampled<N, Channels, 4>(frames, limit, pos, gain, bus, room);
  }
  return MixAt<N, Channels>(frames, limit, pos, step, gain, bus, room);
}

template <int N, class T>
LIBBASS_INLINE std::size_t MixResampledOn(const T* frames, int channels, std::size_t limit, FramePos& pos,
                                          FramePos step, float gain, float* bus, std::size_t room) {
  return channels == 1 ? MixChannels<N, 1>(frames, limit, pos, step, gain, bus, room)
                       : MixChannels<N, 2>(frames, limit, pos, step, gain, bus, room);
}

template <int N>
LIBBASS_INLINE void KeepFramesOn(const float* source, int sourceChannels, float* kept, std::size_t frames) {
  using V = typename Lanes<N>::Floats;
  if (sourceChannels <= 2) {
    // Kept as they are, possibly in place.
    const std::size_t count = frames * static_cast<std::size_t>(sourceChannels);
    std::size_t i = 0;
    for (; i + N <= count; i += N) {
      V v;
      Load(v, source + i);
      Clean<N>(v);
      Store(kept + i, v);
    }
    for (; i < count; ++i) kept[i] = Clean(source[i]);
    return;
  }
  const auto stride = static_cast<std::size_t>(sourceChannels);
  for (std::size_t i = 0; i < frames; ++i) {
    kept[2 * i] = Clean(source[i * stride]);
    kept[2 * i + 1] = Clean(source[i * stride + 1]);
  }
}

template <int N>
LIBBASS_INLINE void MixStereoOn(const float* stereo, float gain, float* bus, std::size_t count) {
  using V = typename Lanes<N>::Floats;
  std::size_t i = 0;
  for (; i + N <= 2 * count; i += N) {
    V v, sum;
    Load(v, stereo + i);
    Clean<N>(v);
    Load(sum, bus + i);
    sum += v * gain;
    Store(bus + i, sum);
  }
  for (; i < 2 * count; ++i) bus[i] += Clean(stereo[i]) * gain;
}

// stereo := the N values there + add, clamped.
template <int N>
LIBBASS_INLINE void AddClamped(float* stereo, const typename Lanes<N>::Floats& add) {
  typename Lanes<N>::Floats sum;
  Load(sum, stereo);
  sum += add;
  Clamp(sum);
  Store(stereo, sum);
}

template <int N>
LIBBASS_INLINE void JoinBusesOn(const MixBuses& buses, std::size_t frames) {
  // Four mono values join four stereo frames: each is added to both sides.
  std::size_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    Quad mono;
    Load(mono, buses.mono + i);
    const Quad first = __builtin_shufflevector(mono, mono, 0, 0, 1, 1);
    const Quad second = __builtin_shufflevector(mono, mono, 2, 2, 3, 3);
    if constexpr (N == 4) {
      AddClamped<4>(buses.stereo + 2 * i, first);
      AddClamped<4>(buses.stereo + 2 * i + 4, second);
    } else {
      const Lanes<8>::Floats both = __builtin_shufflevector(first, second, 0, 1, 2, 3, 4, 5, 6, 7);
      AddClamped<8>(buses.stereo + 2 * i, both);
    }
  }
  for (; i < frames; ++i) {
    const float mono = buses.mono[i];
    buses.stereo[2 * i] = std::clamp(buses.stereo[2 * i] + mono, -1.0f, 1.0f);
    buses.stereo[2 * i + 1] = std::clamp(buses.stereo[2 * i + 1] + mono, -1.0f, 1.0f);
  }
}

// Asked once: the processor does not change. A build for the tests
// (LIBBASS_WITHOUT_AVX2) runs as on a processor without it.
bool HasAvx2() {
#if defined(LIBBASS_X86) && !defined(LIBBASS_WITHOUT_AVX2)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

LIBBASS_AVX2 void KeepFramesAvx2(const float* source, int sourceChannels, float* kept, std::size_t frames) {
  KeepFramesOn<8>(source, sourceChannels, kept, frames);
}
template <class T>
LIBBASS_AVX2 std::size_t MixResampledAvx2(const T* frames, int channels, std::size_t limit, FramePos& pos,
                                          FramePos step, float gain, float* bus, std::size_t room) {
  return MixResampledOn<8>(frames, channels, limit, pos, step, gain, bus, room);
}
LIBBASS_AVX2 void MixStereoAvx2(const float* stereo, float gain, float* bus, std::size_t count) {
  MixStereoOn<8>(stereo, gain, bus, count);
}
LIBBASS_AVX2 void JoinBusesAvx2(const MixBuses& buses, std::size_t frames) { JoinBusesOn<8>(buses, frames); }

}  // namespace

void KeepFrames(const float* source, int sourceChannels, float* kept, std::size_t frames) {
  if (HasAvx2()) return KeepFramesAvx2(source, sourceChannels, kept, frames);
  KeepFramesOn<4>(source, sourceChannels, kept, frames);
}

std::size_t MixResampled(const float* frames, int channels, std::size_t limit, FramePos& pos, FramePos step,
                         float gain, float* bus, std::size_t room) {
  if (HasAvx2()) return MixResampledAvx2(frames, channels, limit, pos, step, gain, bus, room);
  return MixResampledOn<4>(frames, channels, limit, pos, step, gain, bus, room);
}

std::size_t MixResampled(const std::int16_t* frames, int channels, std::size_t limit, FramePos& pos,
                         FramePos step, float gain, float* bus, std::size_t room) {
  if (HasAvx2()) return MixResampledAvx2(frames, channels, limit, pos, step, gain, bus, room);
  return MixResampledOn<4>(frames, channels, limit, pos, step, gain, bus, room);
}

void MixStereo(const float* stereo, float gain, float* bus, std::size_t count) {
  if (HasAvx2()) return MixStereoAvx2(stereo, gain, bus, count);
  MixStereoOn<4>(stereo, gain, bus, count);
}

void JoinBuses(const MixBuses& buses, std::size_t frames) {
  if (HasAvx2()) return JoinBusesAvx2(buses, frames);
  JoinBusesOn<4>(buses, frames);
}

}  // namespace libbass
