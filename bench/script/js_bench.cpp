// The JavaScript engine's per-frame costs: the full collection with many
// live script objects, and a one-line handler (compiled on every call).
#include <benchmark/benchmark.h>

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

}  // namespace
}  // namespace corvane
