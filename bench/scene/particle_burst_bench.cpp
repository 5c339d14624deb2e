// One emitter releasing N particles in one frame and the frames in which
// they all die (up to the emitter's limit), and N emitters drawing through
// one renderer freed with their parent: the particle list grows and each
// dying particle leaves it in constant time, and each freed emitter leaves
// the renderer's list in a step. Sizes ten times apart: the larger must
// cost about ten times the smaller.
#include <benchmark/benchmark.h>

#include "bench/support/counted.h"
#include "scene/particles/particle_renderer.h"
#include "tests/scene/particles/particle_test_kit.h"

namespace corvane {
namespace {

// A burst of n and the frames until every particle has died; whether all
// were released and freed.
bool BurstRound(test::TEmitter& e, int n) {
  e.effect->Burst(e.time, n);
  const bool released = e.effect->ParticleCount() == n;
  for (int frame = 0; frame < 10 && e.effect->ParticleCount() > 0; ++frame) e.Frame();
  return released && e.effect->ParticleCount() == 0;
}

// n emitters made under one parent (untimed) and freed with it; whether
// the renderer let go of every one.
bool FreeRound(test::TEmitter& e, ParticleRenderer* renderer, int n, bench::TCounted* timed) {
  if (timed) timed->Pause();
  auto* field = Create<PositionObject>(TCreateContext(e.world.applet));
  for (int i = 0; i < n; ++i) Create<ParticleEffect>(TCreateContext(field))->SetRenderer(renderer);
  if (timed) timed->Resume();
  field->Free();
  return renderer->Effects().size() == 0;
}

// Each first runs a round untimed: the heap has grown to the size's peak,
// so every timed round measures the path, not the first touch of fresh
// pages.
void BurstAndDie(benchmark::State& state) {
  test::TEmitter e;
  e.Quiet();
  e.effect->SetLifeTime(0.05f);  // three frames
  const int n = static_cast<int>(state.range(0));
  BurstRound(e, n);
  for (auto _ : state) {
    bench::TCounted counted(state);
    if (!BurstRound(e, n)) {
      state.SkipWithError("the particles were not released and freed");
      break;
    }
  }
}

void FreeEmitterSiblings(benchmark::State& state) {
  test::TEmitter e;
  auto* renderer = Create<ParticleRenderer>(TCreateContext(e.world.applet));
  const int n = static_cast<int>(state.range(0));
  FreeRound(e, renderer, n, nullptr);
  for (auto _ : state) {
    bench::TCounted counted(state);
    if (!FreeRound(e, renderer, n, &counted)) {
      state.SkipWithError("freed emitters left in the renderer");
      break;
    }
  }
}

BENCHMARK(FreeEmitterSiblings)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BurstAndDie)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
