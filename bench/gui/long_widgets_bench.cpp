// Widgets built from long inputs on the test kit (fixed-pitch font): an
// effect text of N characters (up to its budget) with one template effect, and an image list
// filled one item at a time while it holds pictures. Sizes ten times apart:
// the larger must cost about ten times the smaller.
#include <benchmark/benchmark.h>

#include <string>

#include "base/lists/wide_string_list.h"
#include "bench/support/counted.h"
#include "gui/effect_text.h"
#include "gui/image_list.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

void EffectTextBuild(benchmark::State& state) {
  test::TWidgetWorld w;
  if (!w.Launch("  object fx: EffectText\n    object wave: AnimationEffect\n      runningTime = 1\n    end\n  end\n")) {
    state.SkipWithError("no applet");
    return;
  }
  auto* fx = w.Find<EffectText>(u"fx");
  std::u16string text;
  for (int i = 0; i < state.range(0); ++i) text += static_cast<char16_t>(u'a' + i % 26);
  for (auto _ : state) {
    bench::TCounted counted(state);
    fx->SetText(text);
    counted.Pause();
    const bool built = fx->count() == static_cast<std::int32_t>(text.size()) + 1;
    fx->SetText(u"");
    counted.Resume();
    if (!built) {
      state.SkipWithError("characters missing");
      break;
    }
  }
}

void ImageListAdds(benchmark::State& state) {
  test::TWidgetWorld w;
  if (!w.Launch("  object shelf: ImageList\n    width = 100\n    height = 200\n    itemHeight = 40\n"
                "    items.strings = ( 'a.png' 'b.png' )\n  end\n")) {
    state.SkipWithError("no applet");
    return;
  }
  auto* list = w.Find<ImageList>(u"shelf");
  w.Paint();  // the list now holds pictures
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    bench::TCounted counted(state);
    for (int i = 0; i < n; ++i) list->Items()->Add(u"item" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
    w.Paint();
    counted.Pause();
    const bool added = list->Items()->GetCount() == n + 2;
    list->Items()->Clear();
    list->Items()->Add(u"a.png");
    list->Items()->Add(u"b.png");
    w.Paint();
    counted.Resume();
    if (!added) {
      state.SkipWithError("items missing");
      break;
    }
  }
}

BENCHMARK(EffectTextBuild)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(ImageListAdds)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
