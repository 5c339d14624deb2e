// Deferred work at scale on the test kit's engine: N siblings disposed in
// one go (as one handler does) and the frames that free them, plainly and
// as a script finds them first (findAllByTagString, whose result list
// each freed object leaves). Sizes ten times apart: the larger must cost
// about ten times the smaller.
#include <benchmark/benchmark.h>

#include "engine/core/event.h"
#include "bench/support/counted.h"
#include "engine/shell/engine.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

BaseObject* Family(test::TTestWorld& world, int children) {
  BaseObject* root = world.Load("object root: BaseObject\nend\n");
  for (int i = 0; i < children; ++i) Create<BaseObject>(TCreateContext(root))->SetTagString(u"enemy");
  return root;
}

// One round: n siblings made (untimed), disposed, and freed over three
// frames; whether every one went.
bool Round(test::TTestWorld& world, int n, bool found, bench::TCounted* timed) {
  Event& event = *world.applet->GetEvent();
  if (timed) timed->Pause();
  BaseObject* root = Family(world, n);
  if (timed) timed->Resume();
  std::vector<BaseObject*> targets;
  if (found) {
    event.ClearResults();
    root->findAllByTagString(u"enemy");
    for (std::int32_t i = 0; i < event.paramListCount(); ++i) targets.push_back(event.paramList(i));
  } else {
    targets = root->ChildList();
  }
  for (BaseObject* target : targets) target->dispose();
  // 0.1, 0.2 (not past the delay), then every one is freed.
  for (int frame = 0; frame < 3; ++frame) event.ProcessEvents();
  const bool freed = root->count() == 0 && event.QueueCount() == 0 && event.paramListCount() == 0;
  if (timed) timed->Pause();
  root->Free();
  if (timed) timed->Resume();
  return freed;
}

void Disposals(benchmark::State& state, bool found) {
  test::TTestWorld world;
  world.engine->SetDeltaTime(0.1f);
  const int n = static_cast<int>(state.range(0));
  // A first round untimed: the heap has grown to the size's peak, so every
  // timed round measures the path, not the first touch of fresh pages.
  Round(world, n, found, nullptr);
  for (auto _ : state) {
    bench::TCounted counted(state);
    if (!Round(world, n, found, &counted)) {
      state.SkipWithError("not every sibling was freed");
      break;
    }
  }
}

void DisposeSiblings(benchmark::State& state) { Disposals(state, false); }
void DisposeFoundSiblings(benchmark::State& state) { Disposals(state, true); }

BENCHMARK(DisposeSiblings)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(DisposeFoundSiblings)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
