// Key-frame animation and timers. 10,000 AnimationEffects each move and fade
// their own parent along three looping keys; BM_PlainAnimation makes the
// same interpolations and setter calls on the same objects by hand, so the
// difference is the effect's key look-up and channel dispatch. BM_Timers
// ticks 10,000 enabled timers without handlers. Each iteration is one tick
// of every object; the counters give the cost per object per tick and the
// allocations of the tick.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "base/geometry/scalar_math.h"
#include "bench/support/heap_count.h"
#include "engine/core/position_object.h"
#include "scene/animation_effect.h"
#include "scene/register.h"
#include "scene/timer.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

constexpr int kObjects = 10000;
constexpr float kTick = 1.0f / 60.0f;
// Frames and values of the three keys: x 0 -> 100 -> 0, alpha 1 -> 0 -> 1.
constexpr float kFrames[] = {0, 30, 60};
constexpr float kX[] = {0, 100, 0};
constexpr float kAlpha[] = {1, 0, 1};

struct TScene {
  TScene() {
    RegisterSceneClasses();
    for (int i = 0; i < kObjects; ++i) {
      auto* parent = Create<PositionObject>(TCreateContext(world.applet));
      auto* effect = Create<AnimationEffect>(TCreateContext(parent));
      for (int k = 0; k < 3; ++k) {
        effect->AddKey(kFrames[k], 0, u"", u"");
        effect->Keys()->Key(k)->SetX(kX[k]);
        effect->Keys()->Key(k)->SetAlpha(kAlpha[k]);
      }
      effect->SetLoop(true);
      effect->SetRunning(true);
      parents.push_back(parent);
      effects.push_back(effect);
      auto* timer = Create<Timer>(TCreateContext(world.applet));
      timer->SetInterval(0.5f);
      timer->SetEnabled(true);
      timers.push_back(timer);
    }
  }
  test::TTestWorld world;
  std::vector<PositionObject*> parents;
  std::vector<AnimationEffect*> effects;
  std::vector<Timer*> timers;
  std::vector<float> plainElapsed = std::vector<float>(kObjects, 0.0f);
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void Report(benchmark::State& state, std::size_t allocations) {
  state.counters["ns_per_object"] =
      benchmark::Counter(static_cast<double>(kObjects), benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
  state.counters["allocations_per_tick"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_AnimationEffects(benchmark::State& state) {
  TScene& scene = Scene();
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (AnimationEffect* effect : scene.effects) effect->ProcessTick(kTick, 0);
  Report(state, bench::HeapAllocations() - before);
}
BENCHMARK(BM_AnimationEffects)->Unit(benchmark::kMillisecond);

void BM_PlainAnimation(benchmark::State& state) {
  TScene& scene = Scene();
  const float total = kFrames[2] / 30.0f;
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state) {
    for (int i = 0; i < kObjects; ++i) {
      float& t = scene.plainElapsed[static_cast<std::size_t>(i)];
      t += kTick;
      if (t >= total) t = 0;
      const int k = t <= kFrames[1] / 30.0f ? 0 : 1;
      const float t1 = kFrames[k] / 30.0f;
      const float f = (t - t1) / (kFrames[k + 1] / 30.0f - t1);
      PositionObject* parent = scene.parents[static_cast<std::size_t>(i)];
      parent->SetAlpha(Lerp(kAlpha[k], kAlpha[k + 1], f));
      parent->SetX(Lerp(kX[k], kX[k + 1], f));
    }
    benchmark::ClobberMemory();
  }
  Report(state, bench::HeapAllocations() - before);
}
BENCHMARK(BM_PlainAnimation)->Unit(benchmark::kMillisecond);

void BM_Timers(benchmark::State& state) {
  TScene& scene = Scene();
  const std::size_t before = bench::HeapAllocations();
  for (auto _ : state)
    for (Timer* timer : scene.timers) timer->ProcessTick(kTick, 0);
  Report(state, bench::HeapAllocations() - before);
}
BENCHMARK(BM_Timers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
