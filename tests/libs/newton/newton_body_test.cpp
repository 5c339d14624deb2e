// Bodies: placements as rigid matrices, hostile matrices refused, mass
// switching between static and dynamic, velocity changes, and the
// up-vector joint.
#include <cmath>
#include <limits>

#include "tests/libs/newton/newton_fixture.h"

namespace corvane {
namespace {

float Dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Matrices that make no rigid placement: the body keeps the one it had.
TEST_F(NewtonTest, HostileMatricesKeepThePlacement) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct TCase {
    const char* name;
    TMatrix m;
  };
  const TCase cases[] = {
      {"not a number in a row", {1, nan, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
      {"infinite translation", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, inf, 0, 0, 1}},
      {"translation past 1e9", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2e9f, 1}},
      {"first row zero", {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 7, 7, 7, 1}},
      {"third row zero", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 7, 7, 7, 1}},
      {"all zero", {}},
      {"two rows parallel", {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 0, 7, 7, 7, 1}},
      {"rows in one plane", {1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 7, 7, 7, 1}},
      {"rows of 1e-20", {1e-20f, 0, 0, 0, 0, 1e-20f, 0, 0, 0, 0, 1e-20f, 0, 7, 7, 7, 1}},
  };
  const NtWorld world = World();
  const NtBody body = Box(world, {1, 1, 1}, {1, 2, 3}, 1);
  const NtCollision shape = nt.NewtonBodyGetCollision(body);
  const TMatrix before = Matrix(body);
  const TMatrix good = Identity();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    nt.NewtonBodySetMatrix(body, c.m.data());
    EXPECT_EQ(Matrix(body), before);
    EXPECT_EQ(nt.NewtonCollisionCollide(world, 1, shape, c.m.data(), shape, good.data(), nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(nt.NewtonCreateBox(world, 1, 1, 1, c.m.data()), 0u);
  }
  nt.NewtonBodySetMatrix(body, nullptr);
  EXPECT_EQ(Matrix(body), before);
}

// A matrix carrying scale, shear or a mirror becomes the rigid placement
// closest to it: rows of length 1, at right angles, x kept, z = x cross y.
TEST_F(NewtonTest, PlacementsAreOrthonormalised) {
  const float s = std::sqrt(0.5f);
  struct TCase {
    const char* name;
    TMatrix given, expected;
  };
  const TCase cases[] = {
      {"scaled by 2, 3 and 4", {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1}, Placement(1, 2, 3)},
      {"y sheared towards x", {1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, Identity()},
      {"mirrored z", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, Identity()},
      {"turned 45 degrees about z, scaled",
       {2 * s, 2 * s, 0, 0, -2 * s, 2 * s, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1},
       {s, s, 0, 0, -s, s, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
  };
  const NtWorld world = World();
  const NtBody body = Box(world, {1, 1, 1}, {0, 0, 0});
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    nt.NewtonBodySetMatrix(body, c.given.data());
    const TMatrix m = Matrix(body);
    for (std::size_t i = 0; i < 16; ++i) EXPECT_NEAR(m[i], c.expected[i], 1e-6f) << i;
    EXPECT_NEAR(Dot3(&m[0], &m[4]), 0, 1e-6f);
  }
}

// Mass above 0 makes a body fall, mass 0 stops it where it is, and a bad
// mass is no mass.
TEST_F(NewtonTest, MassSwitchesBetweenStaticAndDynamic) {
  const NtWorld world = World();
  const NtBody body = Box(world, {1, 1, 1}, {0, 0, 10});
  nt.NewtonBodySetForceAndTorqueCallback(body, ApplyForce);
  Data(body).force = kGravity;
  Step(world, 10);
  EXPECT_EQ(Position(body)[2], 10);
  nt.NewtonBodySetMassMatrix(body, 1, 0, -1, std::numeric_limits<float>::quiet_NaN());  // inertia from the shape
  Step(world, 10);
  const float fallen = Position(body)[2];
  EXPECT_NEAR(10 - fallen, 55 * 8.9f / 3600, 1e-4f);
  nt.NewtonBodySetMassMatrix(body, 0, 1, 1, 1);
  Step(world, 10);
  EXPECT_EQ(Position(body)[2], fallen);
  nt.NewtonBodySetMassMatrix(body, std::numeric_limits<float>::infinity(), 1, 1, 1);
  Step(world, 10);
  EXPECT_EQ(Position(body)[2], fallen);
}

// A velocity change at the centre moves the body by exactly that velocity;
// off the centre it turns it too; a static body takes none.
TEST_F(NewtonTest, VelocityChangesAtAPoint) {
  const NtWorld world = World();
  const NtBody moving = Box(world, {1, 1, 1}, {0, 0, 0}, 1);
  const NtBody turning = Box(world, {1, 1, 1}, {10, 0, 0}, 1);
  const NtBody fixed = Box(world, {1, 1, 1}, {20, 0, 0});
  for (NtBody b : {moving, turning}) Data(b).force = {0, 0, 0};
  const float dv[3] = {3, 0, 0};
  const float centre[3] = {0, 0, 0}, top[3] = {10, 0, 0.5f}, fixedAt[3] = {20, 0, 0};
  nt.NewtonAddBodyImpulse(moving, dv, centre);
  nt.NewtonAddBodyImpulse(turning, dv, top);
  nt.NewtonAddBodyImpulse(fixed, dv, fixedAt);
  Step(world, 60);
  EXPECT_NEAR(Position(moving)[0], 3, 1e-4f);
  EXPECT_EQ(Matrix(moving)[0], 1);
  EXPECT_NEAR(Position(turning)[0], 13, 1e-4f);  // the same linear change
  EXPECT_LT(Matrix(turning)[10], 0.99f);         // and a turn about y
  EXPECT_EQ(Position(fixed)[0], 20);
}

// The up-vector joint with pin z: pushed off its centre, the body turns
// about z alone; without the joint the same push tips it over.
TEST_F(NewtonTest, UpVectorJointTurnsOnlyAboutItsPin) {
  const NtWorld world = World();
  const float pin[3] = {0, 0, 1};
  const float dv[3] = {0, 2, 0};
  struct TCase {
    bool joint, destroyed;
    bool tips;
  };
  float x = 0;
  for (const TCase& c : {TCase{true, false, false}, TCase{false, false, true}, TCase{true, true, true}}) {
    SCOPED_TRACE(c.joint ? (c.destroyed ? "joint destroyed" : "joint") : "no joint");
    x += 10;
    const NtBody body = Box(world, {1, 1, 1}, {x, 0, 0}, 1);
    Data(body).force = {0, 0, 0};
    if (c.joint) {
      const NtJoint joint = nt.NewtonConstraintCreateUpVector(world, pin, body);
      ASSERT_NE(joint, 0u);
      EXPECT_EQ(nt.NewtonConstraintCreateUpVector(world, pin, body), 0u);  // one per body
      if (c.destroyed) nt.NewtonDestroyJoint(world, joint);
    }
    const float corner[3] = {x + 0.5f, 0, 0.5f};  // turns it about z and about x
    nt.NewtonAddBodyImpulse(body, dv, corner);
    Step(world, 60);  // 0.1 rad about z (inertia 10), 1 rad about x without the joint
    const TMatrix m = Matrix(body);
    EXPECT_LT(m[0], 0.999f);  // turned about z in every case
    if (c.tips) {
      EXPECT_LT(m[10], 0.999f);
    } else {
      EXPECT_FLOAT_EQ(m[10], 1);
      EXPECT_NEAR(m[14], 0, 1e-6f);
    }
  }
  const float none[3] = {0, 0, 0};
  const NtBody other = Box(world, {1, 1, 1}, {50, 0, 0}, 1);
  EXPECT_EQ(nt.NewtonConstraintCreateUpVector(world, none, other), 0u);
}

}  // namespace
}  // namespace corvane
