// The work a benchmark times, marked for callgrind as well: run under
// `valgrind --tool=callgrind --instr-atstart=no` (bench/instructions_bench.py)
// a benchmark counts the instructions of that work alone, a figure that the
// machine's load cannot change. Outside valgrind the marks do nothing.
//
//   for (auto _ : state) {
//     bench::TCounted counted(state);
//     ... measured ...
//     counted.Pause();
//     ... untimed ...
//     counted.Resume();
//   }
#pragma once

#include <benchmark/benchmark.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

namespace corvane::bench {

class TCounted {
 public:
  explicit TCounted(benchmark::State& state) : state_(state) { CALLGRIND_START_INSTRUMENTATION; }
  ~TCounted() { CALLGRIND_STOP_INSTRUMENTATION; }
  TCounted(const TCounted&) = delete;
  TCounted& operator=(const TCounted&) = delete;

  void Pause() {
    CALLGRIND_STOP_INSTRUMENTATION;
    state_.PauseTiming();
  }
  void Resume() {
    state_.ResumeTiming();
    CALLGRIND_START_INSTRUMENTATION;
  }

 private:
  benchmark::State& state_;
};

}  // namespace corvane::bench
