// Objects made one at a time under one parent, as a script making a swarm
// does: under a group (a Dummy) and under the applet itself. Sizes ten
// times apart: the larger must cost about ten times the smaller.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/support/counted.h"
#include "engine/core/dummy.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

void Adds(benchmark::State& state, bool underApplet) {
  test::TTestWorld world;
  const int n = static_cast<int>(state.range(0));
  std::vector<Dummy*> made(static_cast<std::size_t>(n));
  for (auto _ : state) {
    bench::TCounted counted(state);
    BaseObject* parent = underApplet ? static_cast<BaseObject*>(world.applet) : world.Load("object group: Dummy\nend\n");
    for (Dummy*& object : made) object = Create<Dummy>(TCreateContext(parent));
    counted.Pause();
    if (underApplet) {
      for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->Free();
    } else {
      parent->Free();
    }
    counted.Resume();
  }
}

void ChildAddsToAGroup(benchmark::State& state) { Adds(state, false); }
void ChildAddsToTheApplet(benchmark::State& state) { Adds(state, true); }

BENCHMARK(ChildAddsToAGroup)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(ChildAddsToTheApplet)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
