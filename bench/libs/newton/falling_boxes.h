// The scene both physics benchmarks step: 1,000 unit boxes in stacks of
// two falling onto a static 200 x 200 plate for 600 frames of 1/60 s, under
// the space world's force and freeze thresholds; and the same scene built
// directly on Bullet, the yardstick for both.
#pragma once

#include <benchmark/benchmark.h>
#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

namespace corvane::bench {

constexpr int kColumns = 25, kRows = 20, kLayers = 2;  // 1,000 boxes in stacks of two
constexpr int kFrames = 600;
constexpr float kFrame = 1.0f / 60;
constexpr float kSpacing = 1.5f;
constexpr float kForce[3] = {0, 0, -8.9f};
constexpr float kFreezeSpeed = 0.05f;
constexpr float kMargin = 0.01f;

struct TBoxPlace {
  float x, y, z;
};

inline std::vector<TBoxPlace> Boxes() {
  std::vector<TBoxPlace> boxes;
  for (int layer = 0; layer < kLayers; ++layer)
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column)
        boxes.push_back({(column - kColumns / 2) * kSpacing, (row - kRows / 2) * kSpacing, 2.0f + 2.0f * layer});
  return boxes;
}

// The scene on Bullet itself: the boxes still awake at the end.
inline int FallDirectlyOnBullet(const std::vector<TBoxPlace>& boxes) {
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
  for (const TBoxPlace& b : boxes) add(btVector3(0.5f, 0.5f, 0.5f), btVector3(b.x, b.y, b.z), 1, btVector3(1, 1, 10));
  const btVector3 force(kForce[0], kForce[1], kForce[2]);
  for (int frame = 0; frame < kFrames; ++frame) {
    for (std::size_t i = 1; i < bodies.size(); ++i) {
      if (bodies[i]->isActive()) bodies[i]->applyCentralForce(force);
    }
    world.stepSimulation(kFrame, 0);
  }
  int awake = 0;
  for (std::size_t i = 1; i < bodies.size(); ++i) awake += bodies[i]->isActive();
  for (auto& body : bodies) world.removeRigidBody(body.get());
  return awake;
}

// The benchmark of the scene on Bullet, registered by each program that
// compares against it.
inline void DirectlyOnBullet(benchmark::State& state) {
  const std::vector<TBoxPlace> boxes = Boxes();
  int awake = 0;
  for (auto _ : state) awake = FallDirectlyOnBullet(boxes);
  state.counters["awake at end"] = awake;
}

}  // namespace corvane::bench
