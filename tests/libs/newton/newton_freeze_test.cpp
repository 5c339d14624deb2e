// Freezing and waking: Bullet's sleeping with the thresholds the caller
// sets and a freeze time of 5 steps, reported through the auto-active
// callback.
#include "tests/libs/newton/newton_fixture.h"

namespace corvane {
namespace {

// Steps until the body's last report is "frozen"; the frames taken, or -1
// after the bound.
int FramesUntilFrozen(const TNewtonLibrary& nt, NtWorld world, const TTestBody& data, int bound) {
  for (int frame = 1; frame <= bound; ++frame) {
    nt.NewtonUpdate(world, 1.0f / 60);
    if (!data.states.empty() && data.states.back() == 0) return frame;
  }
  return -1;
}

class NewtonFreezeTest : public NewtonTest {
 protected:
  NtWorld world_ = 0;
  NtBody floor_ = 0;
  void SetUp() override {
    NewtonTest::SetUp();
    world_ = World();
    floor_ = Box(world_, {10, 10, 1}, {0, 0, 0});  // top face at z = 0.5
  }
};

// A box set down on a static box settles and freezes within a second;
// Bullet's default freeze time (2 s) would take 120 frames. Frozen, it gets
// no force callbacks and stays put; a velocity change wakes it.
TEST_F(NewtonFreezeTest, RestingBoxFreezesAndAVelocityChangeWakesIt) {
  const NtBody box = Box(world_, {1, 1, 1}, {0, 0, 1.0f}, 1);
  const TTestBody& data = Data(box);
  const int frames = FramesUntilFrozen(nt, world_, data, 60);
  ASSERT_GT(frames, 0) << "not frozen within a second";
  EXPECT_LE(frames, 12);  // settling, then 5 steps below the thresholds
  EXPECT_EQ(data.states, (std::vector<int>{1, 0}));
  EXPECT_NEAR(Position(box)[2], 1.0f, 0.01f);

  const int calls = data.forceCalls;
  const TMatrix frozen = Matrix(box);
  Step(world_, 30);
  EXPECT_EQ(data.forceCalls, calls);
  EXPECT_EQ(Matrix(box), frozen);

  const float up[3] = {0, 0, 3};
  nt.NewtonAddBodyImpulse(box, up, &frozen[12]);
  Step(world_, 1);
  EXPECT_EQ(data.states, (std::vector<int>{1, 0, 1}));
  EXPECT_NEAR(Position(box)[2] - frozen[14], (3 - 8.9f / 60) / 60, 1e-4f);
}

// Writing the body's own placement back (as a caller copying it through
// its own vectors does) leaves it frozen; a real move wakes it.
TEST_F(NewtonFreezeTest, OnlyARealMoveWakesAFrozenBody) {
  const NtBody box = Box(world_, {1, 1, 1}, {0, 0, 1.0f}, 1);
  const TTestBody& data = Data(box);
  ASSERT_GT(FramesUntilFrozen(nt, world_, data, 60), 0);
  TMatrix m = Matrix(box);
  m[12] += 1e-7f;
  m[0] *= 1.000001f;
  nt.NewtonBodySetMatrix(box, m.data());
  Step(world_, 5);
  EXPECT_EQ(data.states, (std::vector<int>{1, 0}));
  m[14] += 2;
  nt.NewtonBodySetMatrix(box, m.data());
  Step(world_, 5);
  EXPECT_EQ(data.states, (std::vector<int>{1, 0, 1}));
  EXPECT_LT(Position(box)[2], m[14]);
}

// The thresholds decide: the same resting box freezes under the space
// world's 0.05 and the screen world's 1.0, not with auto-freeze off, and a
// body falling faster than its threshold never does.
TEST_F(NewtonFreezeTest, FreezingFollowsTheThresholdsAndTheSwitch) {
  struct TCase {
    const char* name;
    float start;  // height of the box's centre
    float threshold;
    int autoFreeze;
    bool freezes;
  };
  const TCase cases[] = {
      {"resting, space thresholds", 1.0f, 0.05f, 1, true},
      {"resting, screen thresholds", 1.0f, 1.0f, 1, true},
      {"resting, auto-freeze off", 1.0f, 0.05f, 0, false},
      {"falling under a low threshold", 500, 0.05f, 1, false},
  };
  float x = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    x += 2;
    const NtBody box = Box(world_, {1, 1, 1}, {x - 5, 0, c.start}, 1);
    nt.NewtonBodySetFreezeTreshold(box, c.threshold, c.threshold, 5);
    nt.NewtonBodySetAutoFreeze(box, c.autoFreeze);
    const TTestBody& data = Data(box);
    const int frames = FramesUntilFrozen(nt, world_, data, 120);
    EXPECT_EQ(frames > 0, c.freezes) << frames;
    if (!c.freezes) {
      EXPECT_EQ(data.states, std::vector<int>{1});
    }
  }
}

// A frozen box resting on the floor still touches it: one contact, its
// normal from the floor up to the box.
TEST_F(NewtonFreezeTest, FrozenBoxTouchesWhatItRestsOn) {
  const NtBody box = Box(world_, {1, 1, 1}, {0, 0, 1.0f}, 1);
  ASSERT_GT(FramesUntilFrozen(nt, world_, Data(box), 60), 0);
  const TMatrix a = Matrix(box), b = Matrix(floor_);
  float point[4], normal[4], depth = -1;
  ASSERT_EQ(nt.NewtonCollisionCollide(world_, 1, nt.NewtonBodyGetCollision(box), a.data(),
                                      nt.NewtonBodyGetCollision(floor_), b.data(), point, normal, &depth),
            1);
  EXPECT_NEAR(normal[2], 1, 1e-3f);
  EXPECT_NEAR(point[2], 0.5f, 0.01f);
  EXPECT_GE(depth, 0);
  EXPECT_LT(depth, 0.01f);
}

}  // namespace
}  // namespace corvane
