// Shapes, box queries and contacts: sizes as given (full box sizes,
// radii, cones and cylinders along x), the bodies a box finds, and the
// pair test's point, normal and depth.
#include <cmath>
#include <functional>
#include <limits>

#include "tests/libs/newton/newton_fixture.h"

namespace corvane {
namespace {

using TShapeMaker = std::function<NtCollision(const TNewtonLibrary&, NtWorld)>;

TShapeMaker BoxShape(float dx, float dy, float dz, const float* offset = nullptr) {
  return [=](const TNewtonLibrary& nt, NtWorld w) { return nt.NewtonCreateBox(w, dx, dy, dz, offset); };
}
TShapeMaker SphereShape(float rx, float ry, float rz) {
  return [=](const TNewtonLibrary& nt, NtWorld w) { return nt.NewtonCreateSphere(w, rx, ry, rz, nullptr); };
}
TShapeMaker ConeShape(float radius, float height) {
  return [=](const TNewtonLibrary& nt, NtWorld w) { return nt.NewtonCreateCone(w, radius, height, nullptr); };
}
TShapeMaker CylinderShape(float radius, float height) {
  return [=](const TNewtonLibrary& nt, NtWorld w) { return nt.NewtonCreateCylinder(w, radius, height, nullptr); };
}

// The box of a body of each shape, at the identity unless placed.
TEST_F(NewtonTest, ShapesTakeTheirSizesAsGiven) {
  const float shifted[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1};
  const TMatrix quarterTurnZ = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  struct TCase {
    const char* name;
    TShapeMaker make;
    TMatrix placement;
    TVector low, high;
  };
  const TCase cases[] = {
      {"box of full sizes", BoxShape(2, 4, 6), Identity(), {-1, -2, -3}, {1, 2, 3}},
      {"box, absolute sizes and a floor", BoxShape(-2, 0, 6), Identity(), {-1, -0.0005f, -3}, {1, 0.0005f, 3}},
      {"box placed by an offset", BoxShape(2, 2, 2, shifted), Identity(), {0, -1, -1}, {2, 1, 1}},
      {"sphere", SphereShape(0.5f, 0.5f, 0.5f), Identity(), {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}},
      {"ellipsoid", SphereShape(1, 2, 3), Identity(), {-1, -2, -3}, {1, 2, 3}},
      {"ellipsoid turned about z", SphereShape(1, 2, 3), quarterTurnZ, {-2, -1, -3}, {2, 1, 3}},
      {"cone along x", ConeShape(0.5f, 2), Identity(), {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
      {"cylinder along x", CylinderShape(0.5f, 2), Identity(), {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
      {"cylinder turned about z", CylinderShape(0.5f, 2), quarterTurnZ, {-0.5f, -1, -0.5f}, {0.5f, 1, 0.5f}},
  };
  const NtWorld world = World();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const NtCollision shape = c.make(nt, world);
    ASSERT_NE(shape, 0u);
    const NtBody body = nt.NewtonCreateBody(world, shape);
    nt.NewtonReleaseCollision(world, shape);
    nt.NewtonBodySetMatrix(body, c.placement.data());
    float low[3], high[3];
    nt.NewtonBodyGetAABB(body, low, high);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(low[axis], c.low[static_cast<std::size_t>(axis)], 1e-4f) << axis;
      EXPECT_NEAR(high[axis], c.high[static_cast<std::size_t>(axis)], 1e-4f) << axis;
    }
    EXPECT_EQ(nt.NewtonBodyGetCollision(body), shape);  // the body keeps the released shape
  }
}

TEST_F(NewtonTest, UnusableSizesMakeNoShape) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float flat[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const NtWorld world = World();
  EXPECT_EQ(nt.NewtonCreateBox(world, nan, 1, 1, nullptr), 0u);
  EXPECT_EQ(nt.NewtonCreateSphere(world, 1, inf, 1, nullptr), 0u);
  EXPECT_EQ(nt.NewtonCreateCone(world, 1, -inf, nullptr), 0u);
  EXPECT_EQ(nt.NewtonCreateCylinder(world, nan, 1, nullptr), 0u);
  EXPECT_EQ(nt.NewtonCreateBox(world, 1, 1, 1, flat), 0u);
}

// The pair test of shape A, placed at `at`, against shape B at the origin:
// the normal points from B to A, the point lies halfway between the
// surfaces (anywhere on a flat patch: only its height along the normal is
// checked), and both carry w = 1.
TEST_F(NewtonTest, ContactsNormalFromTheOtherShapeToTheFirst) {
  const float h = std::sqrt(0.5f);
  struct TCase {
    const char* name;
    TShapeMaker a, b;
    TVector at, normal;
    float depth;
    TVector point;
  };
  static const float shifted[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1};
  const TCase cases[] = {
      {"box above box", BoxShape(1, 1, 1), BoxShape(1, 1, 1), {0, 0, 0.9f}, {0, 0, 1}, 0.1f, {0, 0, 0.45f}},
      {"offset box above box", BoxShape(1, 1, 1, shifted), BoxShape(1, 1, 1), {-1, 0, 0.9f}, {0, 0, 1}, 0.1f,
       {0, 0, 0.45f}},
      {"box beside box", BoxShape(1, 1, 1), BoxShape(1, 1, 1), {-0.95f, 0, 0}, {-1, 0, 0}, 0.05f, {-0.475f, 0, 0}},
      {"sphere on box", SphereShape(0.5f, 0.5f, 0.5f), BoxShape(1, 1, 1), {0, 0, 0.9f}, {0, 0, 1}, 0.1f, {0, 0, 0.45f}},
      {"sphere on sphere", SphereShape(0.5f, 0.5f, 0.5f), SphereShape(0.5f, 0.5f, 0.5f), {0.6f, 0.6f, 0},
       {h, h, 0}, 1 - 0.6f * 2 * h, {0.3f, 0.3f, 0}},
      {"ellipsoid on box, long radius", SphereShape(1, 0.25f, 0.25f), BoxShape(1, 1, 1), {1.4f, 0, 0}, {1, 0, 0},
       0.1f, {0.45f, 0, 0}},
      {"ellipsoid on box, short radius", SphereShape(1, 0.25f, 0.25f), BoxShape(1, 1, 1), {0, 0.7f, 0}, {0, 1, 0},
       0.05f, {0, 0.475f, 0}},
      {"cylinder end on box", CylinderShape(0.25f, 2), BoxShape(1, 1, 1), {1.4f, 0, 0}, {1, 0, 0}, 0.1f,
       {0.45f, 0, 0}},
      {"cylinder side on box", CylinderShape(0.25f, 2), BoxShape(1, 1, 1), {0, 0, 0.7f}, {0, 0, 1}, 0.05f,
       {0, 0, 0.475f}},
      {"cone base on box", ConeShape(0.25f, 2), BoxShape(1, 1, 1), {1.4f, 0, 0}, {1, 0, 0}, 0.1f, {0.45f, 0, 0}},
      {"cone apex on box", ConeShape(0.25f, 2), BoxShape(1, 1, 1), {-1.4f, 0, 0}, {-1, 0, 0}, 0.1f,
       {-0.45f, 0, 0}},
  };
  const NtWorld world = World();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const NtCollision a = c.a(nt, world), b = c.b(nt, world);
    const TMatrix atA = Placement(c.at[0], c.at[1], c.at[2]), atB = Identity();
    for (bool swapped : {false, true}) {
      SCOPED_TRACE(swapped ? "swapped" : "as given");
      float point[4] = {}, normal[4] = {}, depth = -1;
      const int count = swapped ? nt.NewtonCollisionCollide(world, 1, b, atB.data(), a, atA.data(), point, normal, &depth)
                                : nt.NewtonCollisionCollide(world, 1, a, atA.data(), b, atB.data(), point, normal, &depth);
      ASSERT_EQ(count, 1);
      const float sign = swapped ? -1.0f : 1.0f;
      float height = 0, expectedHeight = 0;
      for (int axis = 0; axis < 3; ++axis) {
        const auto i = static_cast<std::size_t>(axis);
        EXPECT_NEAR(normal[axis], sign * c.normal[i], 0.01f) << axis;  // within a degree
        height += point[axis] * c.normal[i];
        expectedHeight += c.point[i] * c.normal[i];
      }
      EXPECT_NEAR(height, expectedHeight, 2e-3f);
      EXPECT_NEAR(depth, c.depth, 2e-3f);
      EXPECT_EQ(point[3], 1);
      EXPECT_EQ(normal[3], 1);
    }
    // Apart by a little: no contact.
    const TMatrix apart = Placement(c.at[0] * 1.5f, c.at[1] * 1.5f, c.at[2] * 1.5f);
    EXPECT_EQ(nt.NewtonCollisionCollide(world, 1, a, apart.data(), b, atB.data(), nullptr, nullptr, nullptr), 0);
    nt.NewtonReleaseCollision(world, a);
    nt.NewtonReleaseCollision(world, b);
  }
}

TEST_F(NewtonTest, ContactCountsStayWithinTheCallersArrays) {
  const NtWorld world = World();
  const NtCollision box = nt.NewtonCreateBox(world, 1, 1, 1, nullptr);
  const TMatrix above = Placement(0, 0, 0.9f), origin = Identity();
  float points[4 * 8], normals[4 * 8], depths[8];
  EXPECT_EQ(nt.NewtonCollisionCollide(world, 0, box, above.data(), box, origin.data(), points, normals, depths), 0);
  EXPECT_EQ(nt.NewtonCollisionCollide(world, -5, box, above.data(), box, origin.data(), points, normals, depths), 0);
  const int many = nt.NewtonCollisionCollide(world, 8, box, above.data(), box, origin.data(), points, normals, depths);
  ASSERT_GE(many, 1);
  ASSERT_LE(many, 8);
  for (int i = 1; i < many; ++i) EXPECT_LE(depths[i], depths[i - 1]);  // deepest first
  EXPECT_EQ(nt.NewtonCollisionCollide(world, 1, box, above.data(), box, origin.data(), nullptr, nullptr, nullptr), 1);
}

// Box queries: bodies whose own box overlaps (touching counts), found at
// once after a new placement and after the steps that moved them.
TEST_F(NewtonTest, BoxQueriesFindOverlappingBodies) {
  const NtWorld world = World();
  const NtBody left = Box(world, {1, 1, 1}, {0, 0, 0});
  const NtBody middle = Box(world, {1, 1, 1}, {5, 0, 0});
  const NtBody right = Box(world, {1, 1, 1}, {10, 0, 0});
  EXPECT_EQ(Query(world, {4, -1, -1}, {6, 1, 1}), std::vector<NtBody>{middle});
  EXPECT_EQ(Query(world, {5.4999f, -1, -1}, {7, 1, 1}), std::vector<NtBody>{middle});
  EXPECT_TRUE(Query(world, {5.5001f, -1, -1}, {7, 1, 1}).empty());  // the broadphase's own box is larger
  EXPECT_EQ(Query(world, {6, 1, 1}, {4, -1, -1}), std::vector<NtBody>{middle});  // corners in any order
  EXPECT_EQ(Query(world, {-1, -1, -1}, {11, 1, 1}).size(), 3u);

  const TMatrix away = Placement(20, 0, 0);
  nt.NewtonBodySetMatrix(middle, away.data());
  EXPECT_TRUE(Query(world, {4, -1, -1}, {6, 1, 1}).empty());
  EXPECT_EQ(Query(world, {19, -1, -1}, {21, 1, 1}), std::vector<NtBody>{middle});
  (void)left;
  (void)right;
}

// A box set deep into the floor is pushed out upwards by the solver, the
// opposite way to the motion Bullet predicts from its force: the box the
// queries see follows it.
TEST_F(NewtonTest, BoxQueriesSeeWhereTheStepsMovedABody) {
  const NtWorld world = World();
  Box(world, {10, 10, 1}, {0, 0, 0});  // top at 0.5
  const NtBody box = Box(world, {1, 1, 1}, {0, 0, 0.7f}, 1);
  Step(world, 3);
  float low[3], high[3];
  nt.NewtonBodyGetAABB(box, low, high);
  ASSERT_GT(high[2], 1.25f) << "not pushed out";
  const std::vector<NtBody> found = Query(world, {-0.1f, -0.1f, high[2] - 0.01f}, {0.1f, 0.1f, high[2] - 0.005f});
  EXPECT_EQ(found, std::vector<NtBody>{box});
  EXPECT_TRUE(Query(world, {-0.1f, -0.1f, high[2] + 0.001f}, {0.1f, 0.1f, high[2] + 0.1f}).empty());
}

}  // namespace
}  // namespace corvane
