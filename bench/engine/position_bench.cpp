// Positioned objects moving every tick: 10,000 objects nested as a ten-way
// tree (each object's parent is object (i - 1) / 10, five levels deep).
// Each tick moves every object and then reads every absolute matrix, as the
// paint walk does; a second benchmark times RecalcAbsolute alone. Cached
// absolute matrices are recomputed only where something above changed.
#include <benchmark/benchmark.h>

#include <vector>

#include "base/system/log_target.h"
#include "engine/core/position_object.h"

namespace corvane {
namespace {

std::vector<PositionObject*> BuildTree(int count) {
  std::vector<PositionObject*> objects;
  objects.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    PositionObject* parent = i == 0 ? nullptr : objects[static_cast<std::size_t>((i - 1) / 10)];
    auto* o = Create<PositionObject>(TCreateContext(parent));
    o->Position()->SetValues(static_cast<float>(i % 7), static_cast<float>(i % 5), 0);
    if (i % 3 == 0) o->SetZAngle(static_cast<float>(i % 90));
    objects.push_back(o);
  }
  return objects;
}

void MoveAlongX(PositionObject& o, float step) {
  const TSpaceVector& p = o.Position()->Coordinates();
  o.Position()->SetValues(p.x + step, p.y, p.z);
}

void ReadAll(const std::vector<PositionObject*>& objects) {
  for (PositionObject* o : objects) benchmark::DoNotOptimize(o->GetAbsoluteMatrix()[3].x);
}

void PerObject(benchmark::State& state, std::size_t count) {
  state.counters["ns/object"] = benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(count),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Whether every absolute matrix is read once before the timing starts, so
// that the first tick finds the caches clean.
enum class TWarmUp { kReadAll, kNone };

// One benchmark on a fresh tree of state.range(0) objects with the log
// silenced: tick is the work timed each iteration.
template <typename Tick>
void RunOnTree(benchmark::State& state, TWarmUp warmUp, Tick tick) {
  static TSilentLog quiet;
  SetLogTarget(&quiet);
  const std::vector<PositionObject*> objects = BuildTree(static_cast<int>(state.range(0)));
  if (warmUp == TWarmUp::kReadAll) ReadAll(objects);
  for (auto _ : state) tick(objects);
  PerObject(state, objects.size());
  objects.front()->Free();
  SetLogTarget(nullptr);
}

// Every object moves, then every absolute matrix is read.
void MoveNestedTree(benchmark::State& state) {
  float step = 0;
  RunOnTree(state, TWarmUp::kReadAll, [&step](const std::vector<PositionObject*>& objects) {
    step += 0.01f;
    for (PositionObject* o : objects) MoveAlongX(*o, step);
    ReadAll(objects);
  });
}
BENCHMARK(MoveNestedTree)->Arg(10000)->Unit(benchmark::kMicrosecond);

// RecalcAbsolute on every object, top down, then every matrix read: the
// marking and the recomputation without the rest of a move.
void RecalcAbsoluteNestedTree(benchmark::State& state) {
  RunOnTree(state, TWarmUp::kReadAll, [](const std::vector<PositionObject*>& objects) {
    for (PositionObject* o : objects) o->RecalcAbsolute();
    ReadAll(objects);
  });
}
BENCHMARK(RecalcAbsoluteNestedTree)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The worst order for the cache: each object's matrix is read right after
// it moves, so every move marks a clean subtree.
void MoveAndReadEach(benchmark::State& state) {
  float step = 0;
  RunOnTree(state, TWarmUp::kNone, [&step](const std::vector<PositionObject*>& objects) {
    step += 0.01f;
    for (PositionObject* o : objects) {
      MoveAlongX(*o, step);
      benchmark::DoNotOptimize(o->GetAbsoluteMatrix()[3].x);
    }
  });
}
BENCHMARK(MoveAndReadEach)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane
