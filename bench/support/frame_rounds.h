// Frames of two kinds (the engine's, plain OpenGL's) timed against each
// other: wall and main-thread CPU seconds of a run of frames, and rounds of
// both kinds in alternating order, so that neither always runs first,
// reduced to the medians of the rounds' ratios. Other work on the machine
// moves the wall time a lot; the medians are the figures to read.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "bench/support/bench_ready.h"
#include "bench/support/heap_count.h"

namespace corvane::bench {

inline double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct TFrameTimes {
  double Wall = 0;
  double Cpu = 0;
};

template <class Frame>
TFrameTimes TimeFrames(Frame frame, int frames) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = ThreadSeconds();
  for (int i = 0; i < frames; ++i) frame();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  return {wall.count(), ThreadSeconds() - cpuStart};
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One benchmark iteration is one frame, after a first frame that warms the
// renderer (it compiles its code); the heap allocations per frame go into
// the counter "allocs/frame".
template <class Frame>
void CountedFrames(benchmark::State& state, Frame frame) {
  frame();
  const std::size_t before = HeapAllocations();
  std::int64_t frames = 0;
  for (auto _ : state) {
    frame();
    ++frames;
  }
  state.counters["allocs/frame"] = static_cast<double>(HeapAllocations() - before) / static_cast<double>(frames);
}

// One benchmark iteration is a round of `frames` frames of each kind; the
// medians of engine / plain go into the state's counters "wall_ratio" and
// "cpu_ratio" and into ratios.
template <class Engine, class Plain>
void FrameRounds(benchmark::State& state, int frames, Engine engine, Plain plain, TFrameTimes& ratios) {
  std::vector<double> wall, cpu;
  bool engineFirst = true;
  for (auto _ : state) {
    TFrameTimes e, p;
    if (engineFirst) {
      e = TimeFrames(engine, frames);
      p = TimeFrames(plain, frames);
    } else {
      p = TimeFrames(plain, frames);
      e = TimeFrames(engine, frames);
    }
    engineFirst = !engineFirst;
    wall.push_back(e.Wall / p.Wall);
    cpu.push_back(e.Cpu / p.Cpu);
  }
  ratios = {Median(wall), Median(cpu)};
  state.counters["wall_ratio"] = ratios.Wall;
  state.counters["cpu_ratio"] = ratios.Cpu;
}

// CountedFrames of one kind of frame on a shared bench, skipped with why
// when the bench is not ready; false then.
template <class Bench>
bool BenchCountedFrames(benchmark::State& state, Bench& bench, void (*frame)(Bench&), const char* why) {
  if (!BenchReady(state, bench, why)) return false;
  // The CPU column is the main thread's time.
  CountedFrames(state, [&] { frame(bench); });
  return true;
}

// Whether engine and plain get a frame each before the rounds (to compile
// the renderer's code and fill caches outside the timing).
enum class ERoundWarmUp { Warm, Cold };

// FrameRounds of engine against plain on a shared bench, skipped with why
// when the bench is not ready.
template <class Bench>
void BenchFrameRounds(benchmark::State& state, Bench& bench, const char* why, int frames, void (*engine)(Bench&),
                      void (*plain)(Bench&), TFrameTimes& ratios, ERoundWarmUp warmUp = ERoundWarmUp::Warm) {
  if (!BenchReady(state, bench, why)) return;
  if (warmUp == ERoundWarmUp::Warm) {
    engine(bench);
    plain(bench);
  }
  FrameRounds(
      state, frames, [&] { engine(bench); }, [&] { plain(bench); }, ratios);
}

// The program's body: runs the benchmarks, then prints the ratios after
// their label when they were measured.
inline int RunWithFrameRatios(int argc, char** argv, const char* label, const TFrameTimes& ratios) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (ratios.Wall > 0)
    std::printf("engine / plain OpenGL %s, medians of the rounds: wall %.2f, main-thread CPU %.2f\n", label,
                ratios.Wall, ratios.Cpu);
  return 0;
}

}  // namespace corvane::bench
