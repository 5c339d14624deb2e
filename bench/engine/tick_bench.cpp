// The tree's tick: 100,000 objects, a fifth of them running effects, ticked
// as the main loop does every frame; and the cost of freeing objects while
// many live (free notices go only to the classes that ask for them).
#include <benchmark/benchmark.h>

#include <vector>

#include "base/system/log_target.h"
#include "engine/core/base_object.h"
#include "engine/core/effect.h"

namespace corvane {
namespace {

// A tree of groups of 100 objects; every fifth object carries a looping
// effect.
BaseObject* BuildTree(int objects) {
  BaseObject* root = Create<BaseObject>();
  BaseObject* group = nullptr;
  for (int i = 0; i < objects; ++i) {
    if (i % 100 == 0) group = Create<BaseObject>(TCreateContext(root));
    BaseObject* object = Create<BaseObject>(TCreateContext(group));
    if (i % 5 == 0) {
      Effect* effect = Create<Effect>(TCreateContext(object));
      effect->SetRunningTime(1.0f);
      effect->SetLoop(true);
      effect->SetRunning(true);
    }
  }
  return root;
}

void TickTree(benchmark::State& state) {
  static TSilentLog quiet;
  SetLogTarget(&quiet);
  BaseObject* root = BuildTree(static_cast<int>(state.range(0)));
  float time = 0;
  for (auto _ : state) {
    root->ProcessTick(0.016f, time);
    time += 0.016f;
  }
  state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)),
                                                   benchmark::Counter::kIsRate);
  root->Free();
  SetLogTarget(nullptr);
}
BENCHMARK(TickTree)->Arg(100000)->Unit(benchmark::kMillisecond);

// Freeing 1,000 objects out of 100,000 live ones.
void FreeAmongMany(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    BaseObject* root = BuildTree(100000);
    std::vector<BaseObject*> victims;
    for (int i = 0; i < 1000; ++i) victims.push_back(root->children(0)->children(i % 100));
    state.ResumeTiming();
    for (int i = 0; i < 100; ++i) victims[static_cast<std::size_t>(i)]->Free();
    state.PauseTiming();
    root->Free();
    state.ResumeTiming();
  }
}
BENCHMARK(FreeAmongMany)->Unit(benchmark::kMicrosecond)->Iterations(5);

}  // namespace
}  // namespace corvane
