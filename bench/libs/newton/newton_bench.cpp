// 1,000 boxes falling onto a static plane for 600 frames of 1/60 s, once
// through libnewton.so's C API (loaded by name, set up as the engine sets
// up its space bodies) and once built directly on Bullet with the same
// shapes, masses, forces, thresholds and steps. The ratio of the two is
// the library's overhead.
#include <benchmark/benchmark.h>
#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

#include "tests/libs/newton/newton_loader.h"

namespace corvane {
namespace {

constexpr int kColumns = 25, kRows = 20, kLayers = 2;  // 1,000 boxes in stacks of two
constexpr int kFrames = 600;
constexpr float kFrame = 1.0f / 60;
constexpr float kSpacing = 1.5f;
constexpr float kForce[3] = {0, 0, -8.9f};
constexpr float kFreezeSpeed = 0.05f;
constexpr float kMargin = 0.01f;

struct TBox {
  float x, y, z;
};

std::vector<TBox> Boxes() {
  std::vector<TBox> boxes;
  for (int layer = 0; layer < kLayers; ++layer)
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column)
        boxes.push_back({(column - kColumns / 2) * kSpacing, (row - kRows / 2) * kSpacing, 2.0f + 2.0f * layer});
  return boxes;
}

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
  const std::vector<TBox> boxes = Boxes();
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
void DirectlyOnBullet(benchmark::State& state) {
  const std::vector<TBox> boxes = Boxes();
  int awake = 0;
  for (auto _ : state) {
    gDeactivationTime = btScalar(5.0 / 60.0);
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    world.setGravity(btVector3(0, 0, 0));
    world.setForceUpdateAllAabbs(false);
    std::vector<std::unique_ptr<btBoxShape>> shapes;
    std::vector<std::unique_ptr<btRigidBody>> bodies;
    auto add = [&](const btVector3& half, const btVector3& at, btScalar mass, const btVector3& inertia) {
      auto& shape = shapes.emplace_back(std::make_unique<btBoxShape>(half));
      shape->setMargin(kMargin);
      btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, shape.get(), inertia);
      info.m_startWorldTransform.setOrigin(at);
      auto& body = bodies.emplace_back(std::make_unique<btRigidBody>(info));
      if (mass > 0) body->setSleepingThresholds(kFreezeSpeed, kFreezeSpeed);
      world.addRigidBody(body.get());
    };
    add(btVector3(100, 100, 0.5f), btVector3(0, 0, -0.5f), 0, btVector3(0, 0, 0));
    for (const TBox& b : boxes) add(btVector3(0.5f, 0.5f, 0.5f), btVector3(b.x, b.y, b.z), 1, btVector3(1, 1, 10));
    const btVector3 force(kForce[0], kForce[1], kForce[2]);
    for (int frame = 0; frame < kFrames; ++frame) {
      for (std::size_t i = 1; i < bodies.size(); ++i) {
        if (bodies[i]->isActive()) bodies[i]->applyCentralForce(force);
      }
      world.stepSimulation(kFrame, 0);
    }
    awake = 0;
    for (std::size_t i = 1; i < bodies.size(); ++i) awake += bodies[i]->isActive();
    for (auto& body : bodies) world.removeRigidBody(body.get());
  }
  state.counters["awake at end"] = awake;
}
BENCHMARK(DirectlyOnBullet)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
}  // namespace corvane
