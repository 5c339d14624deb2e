// Handles: 0, forged, of another kind, of another world or stale are
// refused by every entry point, and a slot used again never answers to an
// old handle, nor do two live ones share a slot.
#include <set>

#include "tests/libs/newton/newton_fixture.h"

namespace corvane {
namespace {

class NewtonHandleTest : public NewtonTest {
 protected:
  NtWorld world_ = 0, other_ = 0;
  NtBody live_ = 0, stale_ = 0;
  NtCollision shape_ = 0;

  void SetUp() override {
    NewtonTest::SetUp();
    world_ = World();
    other_ = World();
    live_ = Box(world_, {1, 1, 1}, {1, 2, 3}, 1);
    stale_ = Box(world_, {1, 1, 1}, {5, 5, 5}, 1);
    nt.NewtonDestroyBody(world_, stale_);
    shape_ = nt.NewtonCreateBox(world_, 1, 1, 1, nullptr);
  }

  // Values that are no body: each must leave the live body alone.
  std::vector<std::pair<const char*, NtBody>> BadBodies() const {
    return {{"zero", 0},
            {"all bits", 0xFFFFFFFFu},
            {"largest positive", 0x7FFFFFFFu},
            {"slot without generation", 1},
            {"stale", stale_},
            {"the live body's slot, next generation", live_ + (1u << 20)},
            {"a world", world_},
            {"a shape", shape_}};
  }
};

TEST_F(NewtonHandleTest, BodyEntryPointsRefuseBadHandles) {
  const TMatrix before = Matrix(live_);
  for (const auto& [name, bad] : BadBodies()) {
    SCOPED_TRACE(name);
    EXPECT_EQ(nt.NewtonBodyGetWorld(bad), 0u);
    EXPECT_EQ(nt.NewtonBodyGetUserData(bad), nullptr);
    EXPECT_EQ(nt.NewtonBodyGetCollision(bad), 0u);
    EXPECT_EQ(Matrix(bad), Identity());
    float low[3] = {9, 9, 9}, high[3] = {9, 9, 9};
    nt.NewtonBodyGetAABB(bad, low, high);
    EXPECT_EQ(TVector({low[0], low[1], high[2]}), TVector({0, 0, 0}));
    const TMatrix far = Placement(100, 100, 100);
    const float v[3] = {1, 1, 1};
    nt.NewtonBodySetMatrix(bad, far.data());
    nt.NewtonBodySetUserData(bad, nullptr);
    nt.NewtonBodySetMassMatrix(bad, 0, 0, 0, 0);
    nt.NewtonBodySetForce(bad, v);
    nt.NewtonAddBodyImpulse(bad, v, v);
    nt.NewtonBodySetForceAndTorqueCallback(bad, nullptr);
    nt.NewtonBodySetAutoactiveCallback(bad, nullptr);
    nt.NewtonBodySetAutoFreeze(bad, 0);
    nt.NewtonBodySetFreezeTreshold(bad, 1, 1, 5);
    EXPECT_EQ(nt.NewtonConstraintCreateUpVector(world_, v, bad), 0u);
    nt.NewtonDestroyBody(world_, bad);
  }
  // The live body is as it was: placed, dynamic, with its data and callbacks.
  EXPECT_EQ(Matrix(live_), before);
  EXPECT_EQ(nt.NewtonBodyGetWorld(live_), world_);
  Step(world_, 1);
  EXPECT_EQ(Data(live_).forceCalls, 1);
  EXPECT_LT(Position(live_)[2], 3);
}

TEST_F(NewtonHandleTest, WorldEntryPointsRefuseBadHandles) {
  const float low[3] = {-1, -1, -1}, high[3] = {1, 1, 1};
  const TMatrix m = Identity();
  const NtWorld gone = nt.NewtonCreate();
  nt.NewtonDestroy(gone);
  for (NtWorld bad : {0u, 0xFFFFFFFFu, gone, live_, shape_, world_ + (1u << 20)}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(nt.NewtonCreateBox(bad, 1, 1, 1, nullptr), 0u);
    EXPECT_EQ(nt.NewtonCreateSphere(bad, 1, 1, 1, nullptr), 0u);
    EXPECT_EQ(nt.NewtonCreateCone(bad, 1, 1, nullptr), 0u);
    EXPECT_EQ(nt.NewtonCreateCylinder(bad, 1, 1, nullptr), 0u);
    EXPECT_EQ(nt.NewtonCreateBody(bad, shape_), 0u);
    EXPECT_EQ(nt.NewtonCollisionCollide(bad, 1, shape_, m.data(), shape_, m.data(), nullptr, nullptr, nullptr), 0);
    nt.NewtonWorldForEachBodyInAABBDo(bad, low, high, Collect, nullptr);  // would crash on the null list
    nt.NewtonSetWorldSize(bad, low, high);
    nt.NewtonSetSolverModel(bad, 8);
    nt.NewtonSetPlatformArchitecture(bad, 2);
    nt.NewtonSetFrictionModel(bad, 1);
    nt.NewtonUpdate(bad, 1.0f / 60);
    nt.NewtonReleaseCollision(bad, shape_);
    nt.NewtonDestroyJoint(bad, 0);
    nt.NewtonDestroy(bad);
  }
  EXPECT_EQ(Data(live_).forceCalls, 0);
  EXPECT_NE(nt.NewtonCreateBody(world_, shape_), 0u);  // not released by a bad world
}

// Handles of one world do nothing in another.
TEST_F(NewtonHandleTest, HandlesOfAnotherWorldAreRefused) {
  EXPECT_EQ(nt.NewtonCreateBody(other_, shape_), 0u);
  const float pin[3] = {0, 0, 1};
  EXPECT_EQ(nt.NewtonConstraintCreateUpVector(other_, pin, live_), 0u);
  nt.NewtonDestroyBody(other_, live_);
  EXPECT_EQ(nt.NewtonBodyGetWorld(live_), world_);
  const NtJoint joint = nt.NewtonConstraintCreateUpVector(world_, pin, live_);
  ASSERT_NE(joint, 0u);
  nt.NewtonDestroyJoint(other_, joint);
  EXPECT_EQ(nt.NewtonConstraintCreateUpVector(world_, pin, live_), 0u);  // still has its joint
  const TMatrix m = Identity();
  const NtCollision foreign = nt.NewtonCreateBox(other_, 1, 1, 1, nullptr);
  EXPECT_EQ(nt.NewtonCollisionCollide(world_, 1, shape_, m.data(), foreign, m.data(), nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(nt.NewtonCollisionCollide(other_, 1, foreign, m.data(), foreign, m.data(), nullptr, nullptr, nullptr), 1);
}

// One slot used over and over, past the 511 generations a slot has: every
// handle is new, and every earlier one is refused.
TEST_F(NewtonHandleTest, SlotsUsedAgainNeverAnswerToOldHandles) {
  std::set<NtBody> seen{live_, stale_};
  for (int i = 0; i < 1200; ++i) {
    const NtBody body = nt.NewtonCreateBody(world_, shape_);
    ASSERT_NE(body, 0u);
    ASSERT_TRUE(seen.insert(body).second) << "handle given twice: " << body;
    ASSERT_LT(body, 0x80000000u);  // survives a signed 32-bit property
    nt.NewtonDestroyBody(world_, body);
  }
  int answering = 0;
  for (NtBody old : seen) answering += nt.NewtonBodyGetWorld(old) != 0;
  EXPECT_EQ(answering, 1);  // the live body alone
  // Live bodies have slots of their own, which callers index tables by.
  std::set<std::uint32_t> slots{NEWTON_HANDLE_SLOT(live_)};
  for (int i = 0; i < 100; ++i) {
    const NtBody body = nt.NewtonCreateBody(world_, shape_);
    EXPECT_NE(NEWTON_HANDLE_SLOT(body), 0u);
    EXPECT_TRUE(slots.insert(NEWTON_HANDLE_SLOT(body)).second) << "slot shared: " << body;
  }
}

// The creator's reference goes once: releasing twice keeps a shape that a
// body still uses, and the shape goes with its last body.
TEST_F(NewtonHandleTest, ShapesLiveWhileABodyUsesThem) {
  const NtBody body = nt.NewtonCreateBody(world_, shape_);
  nt.NewtonReleaseCollision(world_, shape_);
  nt.NewtonReleaseCollision(world_, shape_);
  EXPECT_EQ(nt.NewtonBodyGetCollision(body), shape_);
  const TMatrix m = Identity();
  EXPECT_EQ(nt.NewtonCollisionCollide(world_, 1, shape_, m.data(), shape_, m.data(), nullptr, nullptr, nullptr), 1);
  nt.NewtonDestroyBody(world_, body);
  EXPECT_EQ(nt.NewtonCollisionCollide(world_, 1, shape_, m.data(), shape_, m.data(), nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(nt.NewtonCreateBody(world_, shape_), 0u);
}

}  // namespace
}  // namespace corvane
