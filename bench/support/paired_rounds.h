// Two ways of doing the same work timed against each other: rounds of
// both, in alternating order so that neither always runs on a warm cache,
// and the median of the rounds' ratios of wall time.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

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
