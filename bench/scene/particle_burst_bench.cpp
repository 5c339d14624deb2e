// One emitter releasing N particles in one frame and the frames in which
// they all die, at two sizes ten times apart (up to the emitter's limit):
// the list grows and each dying particle leaves it in constant time, so the
// larger costs about ten times the smaller.
#include <benchmark/benchmark.h>

#include "tests/scene/particles/particle_test_kit.h"

namespace corvane {
namespace {

void BurstAndDie(benchmark::State& state) {
  test::TEmitter e;
  e.Quiet();
  e.effect->SetLifeTime(0.05f);  // three frames
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    e.effect->Burst(e.time, n);
    const bool released = e.effect->ParticleCount() == n;
    for (int frame = 0; frame < 10 && e.effect->ParticleCount() > 0; ++frame) e.Frame();
    if (!released || e.effect->ParticleCount() != 0) {
      state.SkipWithError("the particles were not released and freed");
      break;
    }
  }
}

BENCHMARK(BurstAndDie)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
