// Two ways of doing the same work timed against each other: rounds of
// both, in alternating order so that neither always runs on a warm cache,
// and the median of the rounds' ratios of wall time.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/support/bench_ready.h"

namespace corvane::bench {

template <class Engine, class Plain>
double MedianRatio(int rounds, Engine engine, Plain plain) {
  auto seconds = [](auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  std::vector<double> ratios;
  for (int round = 0; round < rounds; ++round) {
    double e = 0, p = 0;
    if (round % 2 == 0) {
      e = seconds(engine);
      p = seconds(plain);
    } else {
      p = seconds(plain);
      e = seconds(engine);
    }
    ratios.push_back(p > 0 ? e / p : 0);
  }
  std::sort(ratios.begin(), ratios.end());
  return ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

// Rounds of frames calls of frame, after two that warm it up and a call of
// warmed (which resets what the bench counts); the counters "frames" and
// "us/widget" (the wall time of a frame shared out among items).
template <class Frame, class Warmed>
void TimeFrames(benchmark::State& state, int frames, int items, Frame frame, Warmed warmed) {
  frame();
  frame();
  warmed();
  double seconds = 0;
  std::int64_t rounds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) frame();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++rounds;
  }
  state.counters["frames"] = frames;
  state.counters["us/widget"] =
      rounds ? seconds / static_cast<double>(rounds * frames * static_cast<std::int64_t>(items)) * 1e6 : 0;
}

// The median ratio of ten rounds of 30 engine frames against 30 plain
// ones, as the counter "ratio".
template <class Engine, class Plain>
double FrameRatio(benchmark::State& state, Engine engine, Plain plain) {
  double ratio = 0;
  for (auto _ : state)
    ratio = MedianRatio(
        10, [&engine] { for (int i = 0; i < 30; ++i) engine(); }, [&plain] { for (int i = 0; i < 30; ++i) plain(); });
  state.counters["ratio"] = ratio;
  return ratio;
}

// TimeFrames of one kind of frame on a shared bench, skipped with why when
// the bench is not ready (false then); the warm-up ends with the bench's
// ResetCounts.
template <class Bench>
bool BenchTimeFrames(benchmark::State& state, Bench& bench, const char* why, int frames, int items,
                     void (*frame)(Bench&)) {
  if (!BenchReady(state, bench, why)) return false;
  TimeFrames(state, frames, items, [&] { frame(bench); }, [&] { bench.ResetCounts(); });
  return true;
}

// FrameRatio of engine against plain on a shared bench, skipped with why
// when the bench is not ready (ratio is left as it was then).
template <class Bench>
void BenchFrameRatio(benchmark::State& state, Bench& bench, const char* why, void (*engine)(Bench&),
                     void (*plain)(Bench&), double& ratio) {
  if (!BenchReady(state, bench, why)) return;
  ratio = FrameRatio(state, [&] { engine(bench); }, [&] { plain(bench); });
}

// The program's body: runs the benchmarks, then prints the ratio after its
// label when one was measured.
inline int RunWithRatio(int argc, char** argv, const char* label, const double& ratio) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (ratio > 0) std::printf("%s, median of the rounds: %.2f\n", label, ratio);
  return 0;
}

}  // namespace corvane::bench
