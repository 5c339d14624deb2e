// Worlds: loading by name, stepping and substeps, static bodies, the world
// box, destruction, and callbacks that change the world under the update.
#include <cmath>
#include <limits>

#include "tests/libs/newton/newton_fixture.h"

namespace corvane {
namespace {

TEST(NewtonLibraryTest, LoadsByNameWithEveryEntryPoint) {
  const TNewtonLibrary& nt = NewtonLibrary();
  ASSERT_NE(nt.handle, nullptr) << dlerror();
  EXPECT_TRUE(nt.missing.empty()) << nt.missing.size() << " missing, first " << nt.missing.front();
}

// A 1-unit box under the space world's force for 60 steps of 1/60 s:
// Bullet's semi-implicit Euler falls 8.9 * (1 + ... + 60) / 3600 = 4.524
// (4.45 analytic) and ends at 8.9 units/s, neither moving sideways nor
// turning.
TEST_F(NewtonTest, DynamicBoxFallsUnderItsForce) {
  const NtWorld world = World();
  const NtBody box = Box(world, {1, 1, 1}, {3, 4, 10}, 1);
  Step(world, 59);
  const float z59 = Position(box)[2];
  Step(world, 1);
  const TVector at = Position(box);
  EXPECT_NEAR(10 - at[2], 4.524f, 0.01f);
  EXPECT_GE(10 - at[2], 4.40f);
  EXPECT_LE(10 - at[2], 4.60f);
  EXPECT_NEAR((z59 - at[2]) * 60, 8.9f, 0.01f);
  EXPECT_FLOAT_EQ(at[0], 3);
  EXPECT_FLOAT_EQ(at[1], 4);
  const TMatrix m = Matrix(box);
  for (int i : {0, 5, 10}) EXPECT_FLOAT_EQ(m[static_cast<std::size_t>(i)], 1);
  EXPECT_EQ(Data(box).forceCalls, 60);
}

// One update of dt: how many force callbacks (substeps) run and how far
// the box falls, from rest.
TEST_F(NewtonTest, UpdatesSplitIntoSubstepsOfAtMostOneSixtieth) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct TCase {
    float dt;
    int substeps;
    float fall;
  };
  const TCase cases[] = {
      {1.0f / 60, 1, 8.9f / 3600},          // one step: v = g h, z -= v h
      {0.0166667f, 1, 8.9f / 3600},         // a measured frame a hair over 1/60
      {1.0f / 30, 2, 3 * 8.9f / 3600},      // two steps of 1/60
      {0.02f, 2, 3 * 8.9f * 0.0001f},       // two steps of 0.01
      {1.0f, 10, 55 * 8.9f / 3600},         // capped: ten steps of 1/60, the rest dropped
      {0, 0, 0},     {-1.0f / 60, 0, 0},    {nan, 0, 0}, {inf, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.dt);
    const NtWorld world = World();
    const NtBody box = Box(world, {1, 1, 1}, {0, 0, 10}, 1);
    nt.NewtonUpdate(world, c.dt);
    EXPECT_EQ(Data(box).forceCalls, c.substeps);
    EXPECT_NEAR(10 - Position(box)[2], c.fall, 1e-5f);
    EXPECT_EQ(Data(box).states.size(), c.substeps ? 1u : 0u);
  }
}

// A static body with a force callback installed gets no callback and never
// moves, also when a dynamic box lands on it.
TEST_F(NewtonTest, StaticBodyNeverMoves) {
  const NtWorld world = World();
  const NtBody floor = Box(world, {10, 10, 1}, {1, 2, 0});
  nt.NewtonBodySetForceAndTorqueCallback(floor, ApplyForce);
  Data(floor).force = {5, 5, 5};
  const TMatrix before = Matrix(floor);
  const NtBody box = Box(world, {1, 1, 1}, {1, 2, 3}, 1);
  Step(world, 120);
  EXPECT_EQ(Matrix(floor), before);
  EXPECT_EQ(Data(floor).forceCalls, 0);
  EXPECT_NEAR(Position(box)[2], 1.0f, 0.02f);  // resting on the floor's top at 0.5
}

// The world box of the screen world (z within ±10): a body wholly outside
// is neither stepped nor found; one reaching in, however deep, counts.
TEST_F(NewtonTest, BodiesWhollyOutsideTheWorldBoxDropOut) {
  const NtWorld world = World({-1000, -1000, -10}, {2000, 2000, 10});
  const NtBody deep = Box(world, {1, 1, 50}, {0, 0, 0}, 1);      // z from -25 to 25
  const NtBody outside = Box(world, {1, 1, 10}, {5, 0, 30}, 1);  // z from 25 to 35
  const NtBody parked = Box(world, {1, 1, 1}, {16777215, 16777215, 16777215}, 1);
  EXPECT_EQ(Query(world, {-1e8f, -1e8f, -1e8f}, {1e8f, 1e8f, 1e8f}), std::vector<NtBody>{deep});
  Step(world, 10);
  EXPECT_EQ(Data(deep).forceCalls, 10);
  EXPECT_EQ(Data(outside).forceCalls, 0);
  EXPECT_EQ(Data(parked).forceCalls, 0);
  EXPECT_EQ(Position(outside)[2], 30);
  EXPECT_TRUE(Data(outside).states.empty());  // never awake, never reported

  // Placed inside, it is found at once and simulated from the next step.
  const TMatrix inside = Placement(5, 0, 0);
  nt.NewtonBodySetMatrix(outside, inside.data());
  EXPECT_EQ(Query(world, {4, -1, -1}, {6, 1, 1}), std::vector<NtBody>{outside});
  Step(world, 1);
  EXPECT_EQ(Data(outside).forceCalls, 1);
  EXPECT_LT(Position(outside)[2], 0);
}

// A body falling out of the world box stops there, is reported frozen and
// is no longer found.
TEST_F(NewtonTest, BodyLeavingTheWorldBoxStops) {
  const NtWorld world = World({-10, -10, -10}, {10, 10, 10});
  const NtBody box = Box(world, {1, 1, 1}, {0, 0, -9}, 1);
  Step(world, 60);  // 4.5 units down: wholly below -10 after some 30 steps
  EXPECT_EQ(Data(box).states, (std::vector<int>{1, 0}));
  const float z = Position(box)[2];
  EXPECT_LT(z, -10.5f);
  EXPECT_GT(z, -11.0f);
  EXPECT_LT(Data(box).forceCalls, 60);
  EXPECT_TRUE(Query(world, {-100, -100, -100}, {100, 100, 100}).empty());
  // Bringing the box back by a new world box lets it fall again.
  const TVector wider{-100, -100, -100}, widerMax{100, 100, 100};
  nt.NewtonSetWorldSize(world, wider.data(), widerMax.data());
  Step(world, 1);
  EXPECT_LT(Position(box)[2], z);
  EXPECT_EQ(Data(box).states, (std::vector<int>{1, 0, 1}));
}

// Destroying a world with bodies, joints and unreleased shapes in it frees
// them all (the leak checker sees the rest) and makes their handles stale.
TEST_F(NewtonTest, DestroyingAWorldDestroysWhatItHolds) {
  const NtWorld world = nt.NewtonCreate();
  const NtCollision kept = nt.NewtonCreateSphere(world, 1, 2, 3, nullptr);
  const NtBody body = nt.NewtonCreateBody(world, kept);
  const float pin[3] = {0, 0, 1};
  const NtJoint joint = nt.NewtonConstraintCreateUpVector(world, pin, body);
  ASSERT_NE(joint, 0u);
  std::vector<NtBody> bodies{body};
  for (int i = 0; i < 20; ++i) {
    const NtCollision shape = nt.NewtonCreateCylinder(world, 1, 2, nullptr);
    bodies.push_back(nt.NewtonCreateBody(world, shape));
    nt.NewtonBodySetMassMatrix(bodies.back(), 1, 1, 1, 1);
  }
  nt.NewtonUpdate(world, 1.0f / 60);
  nt.NewtonDestroy(world);
  for (NtBody b : bodies) EXPECT_EQ(nt.NewtonBodyGetWorld(b), 0u);
  EXPECT_EQ(nt.NewtonBodyGetCollision(body), 0u);
  const NtWorld next = nt.NewtonCreate();
  EXPECT_NE(next, world);  // the slot again, a new generation
  EXPECT_EQ(nt.NewtonCreateBody(world, kept), 0u);
  nt.NewtonDestroyJoint(world, joint);  // stale: nothing
  nt.NewtonDestroy(next);
}

// What the callbacks below do to the world under the update.
struct THostileCallbacks {
  static inline NtWorld world = 0;
  static inline NtBody pair[2] = {0, 0};
  static inline int calls = 0;

  static NtBody Other(NtBody body) { return pair[0] == body ? pair[1] : pair[0]; }

  static void DestroyWorld(NtBody) {
    ++calls;
    NewtonLibrary().NewtonDestroy(world);
  }
  static void DestroyOther(NtBody body) {
    ++calls;
    NewtonLibrary().NewtonDestroyBody(world, Other(body));
    NewtonTest::ApplyForce(body);
  }
  static void UpdateAgain(NtBody body) {
    ++calls;
    NewtonLibrary().NewtonUpdate(world, 1.0f / 60);
    NewtonTest::ApplyForce(body);
  }
  static void DestroyWorldOnReport(NtBody, int) {
    ++calls;
    NewtonLibrary().NewtonDestroy(world);
  }
  static void DestroyOtherWhileIterating(NtBody body, void* found) {
    NewtonTest::Collect(body, found);
    NewtonLibrary().NewtonDestroyBody(world, Other(body));
  }
};

// Callbacks may destroy the world, destroy bodies the update is about to
// visit, or ask for a nested update; the update copes with each.
TEST_F(NewtonTest, CallbacksMayChangeTheWorldUnderTheUpdate) {
  using H = THostileCallbacks;
  {  // the world destroyed by the first of five force callbacks
    H::world = World();
    H::calls = 0;
    for (int i = 0; i < 5; ++i) {
      const NtBody b = Box(H::world, {1, 1, 1}, {static_cast<float>(2 * i), 0, 0}, 1);
      nt.NewtonBodySetForceAndTorqueCallback(b, H::DestroyWorld);
    }
    nt.NewtonUpdate(H::world, 1.0f / 15);
    EXPECT_EQ(H::calls, 1);
    EXPECT_EQ(nt.NewtonCreateBox(H::world, 1, 1, 1, nullptr), 0u);
  }
  {  // each force callback destroys the other body: whichever runs first
    H::world = World();
    H::pair[0] = Box(H::world, {1, 1, 1}, {0, 0, 0}, 1);
    H::pair[1] = Box(H::world, {1, 1, 1}, {5, 0, 0}, 1);
    for (NtBody b : H::pair) nt.NewtonBodySetForceAndTorqueCallback(b, H::DestroyOther);
    H::calls = 0;
    nt.NewtonUpdate(H::world, 1.0f / 60);
    EXPECT_EQ(H::calls, 1);
    EXPECT_EQ((nt.NewtonBodyGetWorld(H::pair[0]) != 0) + (nt.NewtonBodyGetWorld(H::pair[1]) != 0), 1);
  }
  {  // a nested update of the same world does nothing
    H::world = World();
    const NtBody a = Box(H::world, {1, 1, 1}, {0, 0, 10}, 1);
    nt.NewtonBodySetForceAndTorqueCallback(a, H::UpdateAgain);
    H::calls = 0;
    nt.NewtonUpdate(H::world, 1.0f / 60);
    EXPECT_EQ(H::calls, 1);
    EXPECT_NEAR(10 - Position(a)[2], 8.9f / 3600, 1e-5f);
  }
  {  // the world destroyed by the first auto-active report
    H::world = World();
    for (int i = 0; i < 3; ++i) {
      const NtBody b = Box(H::world, {1, 1, 1}, {static_cast<float>(2 * i), 0, 0}, 1);
      nt.NewtonBodySetAutoactiveCallback(b, H::DestroyWorldOnReport);
    }
    H::calls = 0;
    nt.NewtonUpdate(H::world, 1.0f / 60);
    EXPECT_EQ(H::calls, 1);
  }
  {  // a query's iterator destroying the other body the query found
    H::world = World();
    H::pair[0] = Box(H::world, {1, 1, 1}, {0, 0, 0});
    H::pair[1] = Box(H::world, {1, 1, 1}, {0, 0, 0.5f});
    std::vector<NtBody> found;
    const TVector low{-1, -1, -1}, high{1, 1, 1};
    nt.NewtonWorldForEachBodyInAABBDo(H::world, low.data(), high.data(), H::DestroyOtherWhileIterating, &found);
    EXPECT_EQ(found.size(), 1u);
  }
}

}  // namespace
}  // namespace corvane
