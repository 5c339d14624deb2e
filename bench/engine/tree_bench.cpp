// The object tree at scale, grown as scripts and files grow it, on a whole
// applet of the test kit: the end of an applet of N objects, N siblings read
// from an object text, a chain made one level below the last (refused past
// the last level a tree holds), N objects moved to another group one at a
// time, N objects that listen (missions, key listeners of the event queue)
// or hold others (event objects, told of every free) freed together, and
// the walks of every frame (paint and tick), of a recalculation, a search
// by name, a store and a free, over N siblings and down a chain of N
// levels. Sizes ten times apart: the larger must cost about ten times the
// smaller (bench/instructions_bench.py counts each under callgrind).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "base/text/text_convert.h"
#include "bench/support/counted.h"
#include "engine/core/dummy.h"
#include "engine/core/object_factory.h"
#include "engine/core/object_loader.h"
#include "engine/core/position_object.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "resources/cache/object_storage.h"
#include "tests/support/kit/applet_world.h"

namespace corvane {
namespace {

constexpr char kApplet[] = "object game: Applet\n  width = 320\n  height = 240\nend\n";

// A group under the applet with n children side by side, or (deep) a
// chain of n levels below it; the objects in the order made.
std::vector<BaseObject*> Grow(Applet& applet, int n, bool deep) {
  std::vector<BaseObject*> made;
  BaseObject* group = CreateObject("Dummy", &applet);
  BaseObject* parent = group;
  made.push_back(group);
  for (int i = 1; i < n; ++i) {
    BaseObject* object = CreateObject("Dummy", parent);
    object->SetName(u"d" + Utf8ToUtf16(std::to_string(i)));
    made.push_back(object);
    if (deep) parent = object;
  }
  return made;
}

void AppletTeardown(benchmark::State& state) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    bench::TCounted counted(state);
    counted.Pause();
    Applet* applet = world.Launch(kApplet);
    for (int i = 0; i < n; ++i) CreateObject("Dummy", applet);
    counted.Resume();
    world.FreeApplet();
  }
}

void SiblingLoad(benchmark::State& state) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  std::string text = "object group: Dummy\n";
  for (int i = 0; i < n; ++i) text += "  object d" + std::to_string(i) + ": Dummy\n    tagInt = 1\n  end\n";
  text += "end\n";
  world.Put("group.object", text);
  Applet* applet = world.Launch(kApplet);
  for (auto _ : state) {
    bench::TCounted counted(state);
    world.Put("group.object", text);  // compiled again each time
    BaseObject* group = LoadObject(applet->ResMan(), u"group.object", applet);
    counted.Pause();
    if (!group || group->count() != n) {
      state.SkipWithError("the siblings did not load");
      break;
    }
    group->Free();
    counted.Resume();
  }
}

void ChainBuild(benchmark::State& state) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  Applet* applet = world.Launch(kApplet);
  for (auto _ : state) {
    bench::TCounted counted(state);
    BaseObject* top = CreateObject("Dummy", applet);
    BaseObject* parent = top;
    for (int i = 1; i < n; ++i)
      if (BaseObject* object = CreateObject("Dummy", parent)) parent = object;
    counted.Pause();
    top->Free();
    counted.Resume();
  }
}

void MovesBetweenGroups(benchmark::State& state) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  Applet* applet = world.Launch(kApplet);
  std::vector<BaseObject*> made = Grow(*applet, n, false);
  BaseObject* from = made.front();
  BaseObject* to = CreateObject("Dummy", applet);
  for (auto _ : state) {
    bench::TCounted counted(state);
    // Oldest first there, newest first back: both ends of each list.
    for (std::size_t i = 1; i < made.size(); ++i) made[i]->moveTo(to);
    for (std::size_t i = made.size(); i-- > 1;) made[i]->moveTo(from);
  }
}

// n objects side by side, each then moved below the one before it: a chain
// grown by moves (refused past the last level a tree holds).
void ChainByMoves(benchmark::State& state) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  Applet* applet = world.Launch(kApplet);
  for (auto _ : state) {
    bench::TCounted counted(state);
    counted.Pause();
    std::vector<BaseObject*> made = Grow(*applet, n, false);
    counted.Resume();
    for (std::size_t i = 2; i < made.size(); ++i) made[i]->moveTo(made[i - 1]);
    counted.Pause();
    made.front()->Free();
    counted.Resume();
  }
}

// Widgets made one at a time in a group at run time, each laid out with
// its siblings.
void WidgetAddsToAGroup(benchmark::State& state) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  Applet* applet = world.Launch(kApplet);
  for (auto _ : state) {
    bench::TCounted counted(state);
    BaseObject* group = CreateObject("Dummy", applet);
    for (int i = 0; i < n; ++i) CreateObject("GuiObject", group);
    counted.Pause();
    group->Free();
    counted.Resume();
  }
}

// n objects of a class made under a group, and the group freed. A first
// round untimed: the heap has grown to the size's peak, so that the timed
// round measures the path, not the allocator meeting fresh pages.
void FreeOfMany(benchmark::State& state, const char* className) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  Applet* applet = world.Launch(kApplet);
  const auto round = [&](bench::TCounted* timed) {
    if (timed) timed->Pause();
    BaseObject* group = CreateObject("Dummy", applet);
    for (int i = 0; i < n; ++i) CreateObject(className, group);
    if (timed) timed->Resume();
    group->Free();
  };
  round(nullptr);
  for (auto _ : state) {
    bench::TCounted counted(state);
    round(&counted);
  }
}

void MissionsFree(benchmark::State& state) { FreeOfMany(state, "Mission"); }
void EventObjectsFree(benchmark::State& state) { FreeOfMany(state, "Event"); }

// The walks over a tree of n objects, each its own benchmark.
enum class TWalk { Frame, Recalc, FindByName, Store, Free };

void Walks(benchmark::State& state, bool deep, TWalk walk) {
  test::TAppletWorld world;
  const int n = static_cast<int>(state.range(0));
  Applet* applet = world.Launch(kApplet);
  world.Steps(1);
  const std::u16string last = u"d" + Utf8ToUtf16(std::to_string(n - 1));
  std::vector<BaseObject*> made = Grow(*applet, n, deep);
  for (auto _ : state) {
    bench::TCounted counted(state);
    switch (walk) {
      case TWalk::Frame:
        world.Steps(1);
        break;
      case TWalk::Recalc:
        // From matrices read since the last one, as a moved parent finds
        // them.
        counted.Pause();
        for (BaseObject* object : made) object->AsPositionObject()->GetAbsoluteMatrix();
        counted.Resume();
        applet->RecalcAbsolute();
        break;
      case TWalk::FindByName:
        benchmark::DoNotOptimize(applet->findByName(last));
        break;
      case TWalk::Store: {
        TMemoryStream text;
        benchmark::DoNotOptimize(SaveObjectAsText(text, made.front()));
        break;
      }
      case TWalk::Free:
        made.front()->Free();
        counted.Pause();
        made = Grow(*applet, n, deep);
        counted.Resume();
        break;
    }
  }
}

void WideFrame(benchmark::State& state) { Walks(state, false, TWalk::Frame); }
void WideRecalc(benchmark::State& state) { Walks(state, false, TWalk::Recalc); }
void WideFindByName(benchmark::State& state) { Walks(state, false, TWalk::FindByName); }
void WideStore(benchmark::State& state) { Walks(state, false, TWalk::Store); }
void WideFree(benchmark::State& state) { Walks(state, false, TWalk::Free); }
void DeepFrame(benchmark::State& state) { Walks(state, true, TWalk::Frame); }
void DeepRecalc(benchmark::State& state) { Walks(state, true, TWalk::Recalc); }
void DeepFindByName(benchmark::State& state) { Walks(state, true, TWalk::FindByName); }
void DeepStore(benchmark::State& state) { Walks(state, true, TWalk::Store); }
void DeepFree(benchmark::State& state) { Walks(state, true, TWalk::Free); }

BENCHMARK(AppletTeardown)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(SiblingLoad)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
// Past the last level a tree holds (256) at both sizes.
BENCHMARK(ChainBuild)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(MovesBetweenGroups)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(ChainByMoves)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(WidgetAddsToAGroup)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(MissionsFree)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(EventObjectsFree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(WideFrame)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(WideRecalc)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(WideFindByName)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(WideStore)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(WideFree)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
// Within the levels a tree holds at both sizes.
BENCHMARK(DeepFrame)->Arg(25)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(DeepRecalc)->Arg(25)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(DeepFindByName)->Arg(25)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(DeepStore)->Arg(25)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(DeepFree)->Arg(25)->Arg(250)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
