// Deferred work at scale on the test kit's engine: N siblings disposed in
// one go (as one handler does) and the frames that free them, and N
// siblings freed with their parent. Sizes ten times apart: the larger must
// cost about ten times the smaller.
#include <benchmark/benchmark.h>

#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

BaseObject* Family(test::TTestWorld& world, int children) {
  BaseObject* root = world.Load("object root: BaseObject\nend\n");
  for (int i = 0; i < children; ++i) Create<BaseObject>(TCreateContext(root));
  return root;
}

void DisposeSiblings(benchmark::State& state) {
  test::TTestWorld world;
  Event& event = *world.applet->GetEvent();
  world.engine->SetDeltaTime(0.1f);
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    BaseObject* root = Family(world, n);
    state.ResumeTiming();
    for (BaseObject* child : std::vector<BaseObject*>(root->ChildList())) child->dispose();
    // 0.1, 0.2 (not past the delay), then every one is freed.
    for (int frame = 0; frame < 3; ++frame) event.ProcessEvents();
    state.PauseTiming();
    const bool freed = root->count() == 0 && event.QueueCount() == 0;
    root->Free();
    state.ResumeTiming();
    if (!freed) {
      state.SkipWithError("not every sibling was freed");
      break;
    }
  }
}

void FreeWithParent(benchmark::State& state) {
  test::TTestWorld world;
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    BaseObject* root = Family(world, n);
    state.ResumeTiming();
    root->Free();
  }
}

BENCHMARK(DisposeSiblings)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(FreeWithParent)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
