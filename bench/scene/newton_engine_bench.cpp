// 1,000 boxes falling onto a static plane for 600 frames of 1/60 s through
// the engine: Box objects spawned in an applet whose engine is
// TNewtonEngine on libnewton.so, ticked frame by frame by the applet (which
// copies every dynamic body into its object and steps the worlds); and in
// the same run the same bodies, forces, thresholds and steps built directly
// on Bullet. The ratio of the two is the engine's overhead.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "bench/libs/newton/falling_boxes.h"
#include "engine/shell/applet.h"
#include "scene/box.h"
#include "scene/newton/newton_engine.h"
#include "scene/register.h"
#include "tests/support/kit/newton_physics.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using namespace bench;

Box* MakeBox(BaseObject* parent, float x, float y, float z, bool dynamic) {
  auto* box = Create<Box>(TCreateContext(parent));
  box->SetKind(okSpace);
  box->Position()->SetValues(x, y, z);
  if (dynamic) box->SetDynamic(true);
  else box->SetCollisable(true);
  return box;
}

void ThroughTheEngine(benchmark::State& state) {
  test::TUseNewtonPhysics physics;
  const std::vector<TBoxPlace> places = Boxes();
  int awake = 0;
  for (auto _ : state) {
    // A fresh applet each time: its clock is a float, and after some
    // minutes the frame times it gives are no longer exact enough for one
    // substep per frame.
    test::TTestWorld world;
    RegisterSceneClasses();
    // Timed from the first body to the engine's end: the objects themselves
    // are the scene's cost, not the physics' (every new child of the
    // applet recomputes its siblings).
    std::vector<Box*> boxes;
    Box* plane = MakeBox(world.applet, 0, 0, -0.5f, false);
    plane->SetWidth(200);
    plane->SetHeight(200);
    boxes.push_back(plane);
    for (const TBoxPlace& p : places) boxes.push_back(MakeBox(world.applet, p.x, p.y, p.z, true));
    const auto start = std::chrono::steady_clock::now();
    for (Box* box : boxes) box->spawn();
    auto* engine = dynamic_cast<TNewtonEngine*>(world.applet->DynamicEngine());
    if (!engine || !TNewtonEngine::LibraryLoaded()) {
      state.SkipWithError("libnewton.so not loaded");
      return;
    }
    world.Steps(kFrames, kFrame);
    awake = engine->ActiveBodies();
    world.applet->SetDynamicEngine(nullptr);  // the worlds go with the engine
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["awake at end"] = awake;
}
BENCHMARK(ThroughTheEngine)->Unit(benchmark::kMillisecond)->MinTime(3)->UseManualTime();
// The same scene on Bullet itself, in the same run.
BENCHMARK(DirectlyOnBullet)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
}  // namespace corvane
