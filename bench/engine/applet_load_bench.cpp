// Launching an applet whose main.object holds many objects, as the program
// does it (RunApplet on the test kit's null platform and recording device):
// N boxes directly under the applet, the same N in groups of 100, and N GUI
// widgets under the applet. The first launch compiles main.bin; the timed
// launches read it. Loading must grow with the number of objects, not with
// its square.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text/text_convert.h"
#include "engine/shell/applet.h"
#include "scene/register.h"
#include "tests/support/kit/applet_world.h"

namespace corvane {
namespace {

std::string BoxRecord(int i, const std::string& indent) {
  const std::string n = std::to_string(i);
  return indent + "object B" + n + ": Box\n" + indent + "  position.x = " + std::to_string(i % 97) + "\n" + indent +
         "  position.y = " + std::to_string(i % 89) + "\n" + indent + "end\n";
}

std::string Siblings(int count) {
  std::string t = "object Main: Applet\n";
  for (int i = 0; i < count; ++i) t += BoxRecord(i, "  ");
  return t + "end\n";
}

std::string Grouped(int count) {
  std::string t = "object Main: Applet\n";
  for (int g = 0; g * 100 < count; ++g) {
    t += "  object G" + std::to_string(g) + ": Dummy\n";
    for (int i = g * 100; i < count && i < g * 100 + 100; ++i) t += BoxRecord(i, "    ");
    t += "  end\n";
  }
  return t + "end\n";
}

std::string Widgets(int count) {
  static const char* const kAligns[] = {"gaTopLeft", "gaTopRight", "gaBottomLeft", "gaLeft", "gaTop"};
  std::string t = "object Main: Applet\n";
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    t += "  object W" + n + ": GuiObject\n    align = " + kAligns[i % 5] + "\n    width = 2\n    height = 2\n  end\n";
  }
  return t + "end\n";
}

// prefix: the name of the last object in the file, without its number.
void Launches(benchmark::State& state, std::string (*make)(int), const char* prefix) {
  const int count = static_cast<int>(state.range(0));
  test::TAppletWorld world;
  RegisterSceneClasses();
  const std::string text = make(count);
  const std::u16string last = Utf8ToUtf16(prefix + std::to_string(count - 1));
  world.Launch(text);  // compiles main.bin
  world.FreeApplet();
  for (auto _ : state) {
    Applet* applet = world.Launch(text);
    state.PauseTiming();
    const bool loaded = applet && applet->findByName(last);
    world.FreeApplet();
    state.ResumeTiming();
    if (!loaded) {
      state.SkipWithError("the applet did not load");
      break;
    }
  }
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(count) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BoxSiblings(benchmark::State& state) { Launches(state, Siblings, "B"); }
void BoxGroups(benchmark::State& state) { Launches(state, Grouped, "B"); }
void WidgetSiblings(benchmark::State& state) { Launches(state, Widgets, "W"); }

BENCHMARK(BoxSiblings)->Arg(2500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BoxGroups)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(WidgetSiblings)->Arg(2500)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
