// The applet's cache holding thousands of distinct names, as an applet of
// many models, pictures or object files does: N models asked for by name
// (each a remembered miss here, as a missing file is) and then every
// object-file stream of N added, served and released. Sizes ten times
// apart: the larger must cost about ten times the smaller.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "base/text/number_text.h"
#include "bench/support/counted.h"
#include "resources/cache/cache.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

void DistinctNames(benchmark::State& state) {
  test::TTestWorld world;
  const auto n = static_cast<std::int32_t>(state.range(0));
  std::vector<std::u16string> names;
  for (std::int32_t i = 0; i < n; ++i) names.push_back(u"part" + IntToStr(i) + u".object");
  TMemoryStream source(std::span<const char>("abc", 3));
  for (auto _ : state) {
    bench::TCounted counted(state);
    counted.Pause();
    auto* cache = Create<TCache>(TCreateContext(world.applet));
    counted.Resume();
    for (const std::u16string& name : names) cache->LoadMesh(nullptr, name);
    for (const std::u16string& name : names) cache->AddStream(nullptr, name, source);
    for (const std::u16string& name : names) cache->LoadStream(nullptr, name);
    for (const std::u16string& name : names) cache->FreeStream(name);
    counted.Pause();
    const bool kept = cache->MeshCount() == n && cache->StreamCount() == 0;
    cache->Free();
    counted.Resume();
    if (!kept) {
      state.SkipWithError("the cache lost an entry");
      break;
    }
  }
}

BENCHMARK(DistinctNames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
