// N scores added to the applet's score table in scattered order, as a game
// adding one per round does: within the default limit of lines, and with the
// limit set to hold exactly them ("-maxscores=N"). The lines added are placed
// together, sorted and merged, so each add costs a share of one merge rather
// than moving the lines below it. Sizes ten times apart: the larger must cost
// about ten times the smaller (a little more with every line kept: the
// sorts grow as n log n).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/counted.h"
#include "engine/shell/score_table.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

void Adds(benchmark::State& state, bool everyLine) {
  test::TTestWorld world;
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  const std::int32_t saved = MaxScores;
  if (everyLine) MaxScores = n;
  for (auto _ : state) {
    bench::TCounted counted(state);
    counted.Pause();
    auto* table = Create<ScoreTable>(TCreateContext(world.applet));
    counted.Resume();
    // A stride prime to n visits every score once, high and low mixed.
    for (std::int32_t i = 0; i < n; ++i)
      table->AddScore(u"player", static_cast<std::int32_t>((static_cast<std::int64_t>(i) * 7919) % n));
    counted.Pause();
    const bool kept = table->ScoreCount() == n && table->Scores(0) == n - 1 && table->Scores(n - 1) == 0;
    table->Free();
    counted.Resume();
    if (!kept) {
      state.SkipWithError("the table lost scores");
      break;
    }
  }
  MaxScores = saved;
}

void ScoreAdds(benchmark::State& state) { Adds(state, false); }
void ScoreAddsEveryLineKept(benchmark::State& state) { Adds(state, true); }

BENCHMARK(ScoreAdds)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ScoreAddsEveryLineKept)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
