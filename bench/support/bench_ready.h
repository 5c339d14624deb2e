// A benchmark on a shared bench (an OpenGL world built once per program)
// runs only when the bench came up; otherwise it is skipped with the reason.
#pragma once

#include <benchmark/benchmark.h>

namespace corvane::bench {

template <class Bench>
bool BenchReady(benchmark::State& state, const Bench& bench, const char* why) {
  if (bench.Ready()) return true;
  state.SkipWithError(why);
  return false;
}

}  // namespace corvane::bench
