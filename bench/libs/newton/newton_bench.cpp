// 1,000 boxes falling onto a static plane for 600 frames of 1/60 s, once
// through libnewton.so's C API (loaded by name, set up as the engine sets
// up its space bodies) and once built directly on Bullet with the same
// shapes, masses, forces, thresholds and steps. The ratio of the two is
// the library's overhead.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/libs/newton/falling_boxes.h"
#include "tests/libs/newton/newton_loader.h"

namespace corvane {
namespace {

using namespace bench;

// What the engine's force callback does: the body's object from its user
// data, then the force of its world.
struct TObject {
  const float* force;
};
int gActive = 0;

void ApplyForce(NtBody body) {
  const TNewtonLibrary& nt = NewtonLibrary();
  const auto* object = static_cast<const TObject*>(nt.NewtonBodyGetUserData(body));
  nt.NewtonBodySetForce(body, object->force);
}
void CountActive(NtBody, int state) { gActive += state == 1 ? 1 : -1; }

void ThroughTheLibrary(benchmark::State& state) {
  const TNewtonLibrary& nt = NewtonLibrary();
  if (!nt.Loaded()) {
    state.SkipWithError("libnewton.so not loaded");
    return;
  }
  const std::vector<TBoxPlace> boxes = Boxes();
  std::vector<TObject> objects(boxes.size(), TObject{kForce});
  for (auto _ : state) {
    const NtWorld world = nt.NewtonCreate();
    nt.NewtonSetSolverModel(world, 8);
    nt.NewtonSetPlatformArchitecture(world, 2);
    nt.NewtonSetFrictionModel(world, 1);
    const float low[3] = {-1000, -1000, -1000}, high[3] = {1000, 1000, 1000};
    nt.NewtonSetWorldSize(world, low, high);
    const NtCollision planeShape = nt.NewtonCreateBox(world, 200, 200, 1, nullptr);
    const NtBody plane = nt.NewtonCreateBody(world, planeShape);
    nt.NewtonReleaseCollision(world, planeShape);
    const float planeAt[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -0.5f, 1};
    nt.NewtonBodySetMatrix(plane, planeAt);
    gActive = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const NtCollision shape = nt.NewtonCreateBox(world, 1, 1, 1, nullptr);
      const NtBody body = nt.NewtonCreateBody(world, shape);
      nt.NewtonReleaseCollision(world, shape);
      nt.NewtonBodySetUserData(body, &objects[i]);
      const float at[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, boxes[i].x, boxes[i].y, boxes[i].z, 1};
      nt.NewtonBodySetMatrix(body, at);
      nt.NewtonBodySetMassMatrix(body, 1, 1, 1, 10);
      nt.NewtonBodySetForceAndTorqueCallback(body, ApplyForce);
      nt.NewtonBodySetAutoFreeze(body, 1);
      nt.NewtonBodySetAutoactiveCallback(body, CountActive);
      nt.NewtonBodySetFreezeTreshold(body, kFreezeSpeed, kFreezeSpeed, 5);
    }
    for (int frame = 0; frame < kFrames; ++frame) nt.NewtonUpdate(world, kFrame);
    nt.NewtonDestroy(world);
  }
  state.counters["awake at end"] = gActive;
}
BENCHMARK(ThroughTheLibrary)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same scene on Bullet itself.
BENCHMARK(DirectlyOnBullet)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
}  // namespace corvane
