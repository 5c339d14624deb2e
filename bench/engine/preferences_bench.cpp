// N settings of the current user in the applet's preferences, as a game
// keeping one per level or item does: each set anew, read back, changed and
// then removed, one call at a time. Each call finds its line through the
// index beside the lines, so sizes ten times apart cost about ten times.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text/number_text.h"
#include "bench/support/counted.h"
#include "engine/shell/preferences.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

void PreferenceSets(benchmark::State& state) {
  test::TTestWorld world;
  const auto n = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    bench::TCounted counted(state);
    counted.Pause();
    auto* prefs = Create<Preferences>(TCreateContext(world.applet));
    prefs->AddUser(u"Ann");
    counted.Resume();
    for (std::int32_t i = 0; i < n; ++i) prefs->SetValue(u"level" + IntToStr(i), IntToStr(i));
    bool found = true;
    for (std::int32_t i = 0; i < n; ++i) {
      const std::u16string key = u"LEVEL" + IntToStr(i);
      found = found && prefs->GetValue(key) == IntToStr(i);
      prefs->SetValue(key, IntToStr(i + 1));
    }
    for (std::int32_t i = 0; i < n; i += 2) prefs->SetValue(u"level" + IntToStr(i), u"");
    counted.Pause();
    // The count, the user and her current-user line, and the odd settings.
    found = found && prefs->Entries().Count() == 3 + n / 2 && prefs->GetValue(u"level1") == u"2";
    prefs->Free();
    counted.Resume();
    if (!found) {
      state.SkipWithError("a setting was lost");
      break;
    }
  }
}

BENCHMARK(PreferenceSets)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
