// The JavaScript engine's per-frame costs: the full collection with many
// live script objects, a one-line handler (compiled on every call), and a
// million property reads and writes and method calls on an engine object's
// wrapper against the same on a plain script object.
#include <benchmark/benchmark.h>

#include "base/geometry/coord.h"
#include "base/system/log_target.h"
#include "script/js/js_engine.h"

namespace corvane {
namespace {

void BM_FullCollection(benchmark::State& state) {
  TSilentLog silent;
  TLogTarget* previous = SetLogTarget(&silent);
  auto* js = Create<TJavaScriptEngine>(TCreateContext());
  const std::u16string make = u"keep = []; for (var i = 0; i < count; ++i) keep.push({i: i, s: 'x' + i});";
  js->RegisterConst(u"count", static_cast<std::uint32_t>(state.range(0)));
  js->CallScript(make);
  for (auto _ : state) js->ProcessGarbageColection();
  state.counters["objects"] = static_cast<double>(state.range(0));
  js->Free();
  SetLogTarget(previous);
}
BENCHMARK(BM_FullCollection)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The same heap collected in slices of about 2 ms, one per frame.
void BM_IncrementalSlice(benchmark::State& state) {
  TSilentLog silent;
  TLogTarget* previous = SetLogTarget(&silent);
  TJavaScriptEngine::SetCollectionSlice(2);
  auto* js = Create<TJavaScriptEngine>(TCreateContext());
  js->RegisterConst(u"count", static_cast<std::uint32_t>(state.range(0)));
  js->CallScript(u"keep = []; for (var i = 0; i < count; ++i) keep.push({i: i, s: 'x' + i});");
  for (auto _ : state) js->ProcessGarbageColection();
  js->Free();
  TJavaScriptEngine::SetCollectionSlice(0);
  SetLogTarget(previous);
}
BENCHMARK(BM_IncrementalSlice)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_OneLineHandler(benchmark::State& state) {
  TSilentLog silent;
  TLogTarget* previous = SetLogTarget(&silent);
  auto* js = Create<TJavaScriptEngine>(TCreateContext());
  js->CallScript(u"var ticks = 0; function onTick() { ++ticks; }");
  for (auto _ : state) benchmark::DoNotOptimize(js->CallScript(u"onTick()"));
  js->Free();
  SetLogTarget(previous);
}
BENCHMARK(BM_OneLineHandler)->Unit(benchmark::kMicrosecond);

// "c" is a coordinate's wrapper, "p" a plain object with the same members.
void Accesses(benchmark::State& state, const char16_t* loop) {
  TSilentLog silent;
  TLogTarget* previous = SetLogTarget(&silent);
  auto* js = Create<TJavaScriptEngine>(TCreateContext());
  TOwned<TSpaceCoord> coord(Create<TSpaceCoord>(TCreateContext()));
  js->RegisterVariable(u"c", u"TSpaceCoord", coord.get());
  js->CallScript(u"p = {x: 0, y: 0, z: 0, w: 1, setToZero: function () { this.x = this.y = this.z = this.w = 0; }}");
  for (auto _ : state) benchmark::DoNotOptimize(js->CallScript(loop));
  js->ObjectDestroing(coord.get());
  js->Free();
  SetLogTarget(previous);
}

void BM_WrapperProperties(benchmark::State& state) {
  Accesses(state, u"for (var i = 0, s = 0; i < 1000000; ++i) { c.x = i; s += c.x; }");
}
void BM_PlainProperties(benchmark::State& state) {
  Accesses(state, u"for (var i = 0, s = 0; i < 1000000; ++i) { p.x = i; s += p.x; }");
}
void BM_WrapperMethods(benchmark::State& state) {
  Accesses(state, u"for (var i = 0; i < 1000000; ++i) c.setToZero();");
}
void BM_PlainMethods(benchmark::State& state) {
  Accesses(state, u"for (var i = 0; i < 1000000; ++i) p.setToZero();");
}
BENCHMARK(BM_WrapperProperties)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainProperties)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapperMethods)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainMethods)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
