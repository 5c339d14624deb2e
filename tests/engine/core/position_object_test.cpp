// Positioned objects: orthonormal axes, angles, absolute and local
// conversions, zero vectors, streaming of the placement.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "base/geometry/vector_math.h"
#include "engine/core/position_object.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

void ExpectNear(const TSpaceVector& actual, const TSpaceVector& expected, float tolerance = 1e-6f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
  EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
  EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

PositionObject* NewObject(BaseObject* parent) { return Create<PositionObject>(TCreateContext(parent)); }

TEST(PositionObject, DirectionWinsAndUpIsMadePerpendicular) {
  struct Case {
    const char* name;
    TSpaceVector up, direction;                 // up first, then the new direction
    TSpaceVector wantDirection, wantUp, wantRight;
  };
  const Case cases[] = {
      {"along x", {0, 0, 1, 1}, {1, 0, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
      {"tilted is normalised", {0, 0, 1, 1}, {0, 3, 4, 1}, {0, 0.6f, 0.8f}, {0, -0.8f, 0.6f}, {1, 0, 0}},
      // Parallel to up: up is rebuilt from the z axis ...
      {"parallel to y up", {0, 1, 0, 1}, {0, 2, 0, 1}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
      // ... or from the x axis when the direction is along z.
      {"along z", {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
      // A zero direction is the default axis, never a normalised zero.
      {"zero", {0, 0, 1, 1}, {0, 0, 0, 1}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
  };
  TTestWorld world;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PositionObject* o = NewObject(world.applet);
    o->Up()->SetDirectVectorNoChange(c.up);
    o->Direction()->SetSpaceVector(c.direction);
    ExpectNear(o->Direction()->Coordinates(), c.wantDirection);
    ExpectNear(o->Up()->Coordinates(), c.wantUp);
    ExpectNear(o->RightVector(), c.wantRight);
    // The local matrix holds right, direction, up and the position.
    ExpectNear(o->LocalMatrix()[0], c.wantRight);
    ExpectNear(o->LocalMatrix()[1], c.wantDirection);
    ExpectNear(o->LocalMatrix()[2], c.wantUp);
  }
}

TEST(PositionObject, UpWinsInItsOwnCallback) {
  TTestWorld world;
  PositionObject* o = NewObject(world.applet);
  o->Up()->SetSpaceVector({0, 1, 1, 1});
  const float h = std::sqrt(0.5f);
  ExpectNear(o->Up()->Coordinates(), {0, h, h});
  ExpectNear(o->Direction()->Coordinates(), {0, h, -h});
  o->Up()->SetSpaceVector({0, 0, 0, 1});
  ExpectNear(o->Up()->Coordinates(), {0, 0, 1});
  EXPECT_NEAR(SpaceVectorDotProduct(o->Up()->Coordinates(), o->Direction()->Coordinates()), 0, 1e-6f);
}

TEST(PositionObject, ZeroVectorsTakeTheDefaultAxes) {
  TTestWorld world;
  PositionObject* parent = NewObject(world.applet);
  parent->SetZAngle(90);
  PositionObject* o = NewObject(parent);

  TSpaceMatrix m = IdentitySpaceMatrix;
  m[1] = {0, 0, 0, 0};
  m[2] = {0, 0, 0, 0};
  m[3] = {1, 2, 3, 1};
  o->SetLocalMatrix(m);
  ExpectNear(o->Direction()->Coordinates(), {0, 1, 0});
  ExpectNear(o->Up()->Coordinates(), {0, 0, 1});
  ExpectNear(o->Position()->Coordinates(), {1, 2, 3});
  // A zero direction row with a usable up: up is kept perpendicular.
  m[1] = {0, 0, 0, 0};
  m[2] = {0, 1, 0, 0};
  o->SetLocalMatrix(m);
  ExpectNear(o->Direction()->Coordinates(), {0, 1, 0});
  ExpectNear(o->Up()->Coordinates(), {0, 0, 1});

  o->SetAbsoluteDirection({0, 0, 0, 0});
  ExpectNear(o->Direction()->Coordinates(), {0, 1, 0});
  o->SetAbsoluteUp({0, 0, 0, 0});
  ExpectNear(o->Up()->Coordinates(), {0, 0, 1});
  for (const TSpaceVector& row : o->GetAbsoluteMatrix()) {
    EXPECT_TRUE(std::isfinite(row.x) && std::isfinite(row.y) && std::isfinite(row.z));
  }
}

TEST(PositionObject, AnglesAreBookkeepingOfTurns) {
  TTestWorld world;
  PositionObject* o = NewObject(world.applet);
  o->SetZAngle(90);
  // Turning about up by 90 degrees: the direction goes from +y to -x.
  ExpectNear(o->Direction()->Coordinates(), {-1, 0, 0});
  ExpectNear(o->Up()->Coordinates(), {0, 0, 1});
  o->SetZAngle(0);
  ExpectNear(o->Direction()->Coordinates(), {0, 1, 0});
  o->SetXAngle(33);
  o->SetYAngle(-71);
  o->SetYAngle(0);
  o->SetXAngle(0);
  ExpectNear(o->Direction()->Coordinates(), {0, 1, 0});
  ExpectNear(o->Up()->Coordinates(), {0, 0, 1});
  o->SetZAngle(370);
  EXPECT_FLOAT_EQ(o->ZAngle(), 10);
}

TEST(PositionObject, AChildMovesWithItsParent) {
  TTestWorld world;
  PositionObject* parent = NewObject(world.applet);
  PositionObject* child = NewObject(parent);
  child->Position()->SetValues(1, 0, 0);
  parent->Position()->SetValues(10, 20, 30);
  ExpectNear(child->GetAbsolutePosition(), {11, 20, 30});
  parent->SetZAngle(90);
  ExpectNear(child->GetAbsolutePosition(), {10, 21, 30}, 1e-5f);
  parent->Scale()->SetValues(2, 2, 2);
  ExpectNear(child->GetAbsolutePosition(), {10, 22, 30}, 1e-5f);
  // Moved to another parent, the child's cached matrix follows at once.
  PositionObject* other = NewObject(world.applet);
  other->Position()->SetValues(-5, 0, 0);
  other->GetAbsoluteMatrix();
  other->AddChild(child);
  ExpectNear(child->GetAbsolutePosition(), {-4, 0, 0}, 1e-5f);
  world.applet->AddChild(child);
  ExpectNear(child->GetAbsolutePosition(), {1, 0, 0}, 1e-5f);
  // Absolute setters work through the parent's frame.
  parent->AddChild(child);
  child->SetAbsolutePosition({10, 30, 30, 1});
  ExpectNear(child->Position()->Coordinates(), {5, 0, 0}, 1e-5f);
  child->SetAbsoluteDirection({1, 0, 0, 0});
  ExpectNear(child->GetAbsoluteDirection(), {1, 0, 0}, 1e-5f);
}

TEST(PositionObject, LocalToAbsoluteToLocalIsTheIdentityThreeLevelsDeep) {
  TTestWorld world;
  std::mt19937 random(20261208);
  std::uniform_real_distribution<float> position(-100, 100), scale(0.1f, 10), angle(-180, 180);
  for (int trial = 0; trial < 200; ++trial) {
    PositionObject* a = NewObject(world.applet);
    PositionObject* b = NewObject(a);
    PositionObject* c = NewObject(b);
    for (PositionObject* o : {a, b, c}) {
      o->Position()->SetValues(position(random), position(random), position(random));
      o->Scale()->SetValues(scale(random), scale(random), scale(random));
      o->SetZAngle(angle(random));
      o->SetXAngle(angle(random));
      o->SetYAngle(angle(random));
    }
    const TSpaceVector p{position(random), position(random), position(random), 1};
    const TSpaceVector back = c->VectorAbsoluteToLocal(c->VectorLocalToAbsolute(p));
    const float tolerance = 1e-5f * std::max(1.0f, SpaceVectorLength(p));
    ExpectNear(back, p, tolerance);
    a->Free();
  }
}

TEST(PositionObject, PlacementStreamsFromObjectText) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object mover: PositionObject
  kind = okSpace
  position.x = 1.5
  position.y = -2
  direction.x = 1
  direction.y = 0
  zAngle = 370
  friction = 0.5
  velocity.x = 2
  gravity.z = -9.5
  object inner: PositionObject
    x = 3
  end
end
)");
  ASSERT_NE(root, nullptr) << world.log.Text();
  auto* mover = root->AsPositionObject();
  auto* inner = root->findByName(u"inner")->AsPositionObject();
  EXPECT_EQ(mover->Kind(), okSpace);
  ExpectNear(mover->Position()->Coordinates(), {1.5f, -2, 0});
  // Loading restores the stored vectors and angle without turning again.
  ExpectNear(mover->Direction()->Coordinates(), {1, 0, 0});
  EXPECT_EQ(mover->ZAngle(), 10);
  EXPECT_EQ(mover->Friction(), 0.5f);
  EXPECT_TRUE(mover->Moving());
  EXPECT_EQ(mover->Gravity()->Coordinates().z, -9.5f);
  // Facing +x, the right axis is -y: x = 3 lies 3 units down y.
  ExpectNear(inner->GetAbsolutePosition(), {1.5f, -5, 0});
  // The kind set later reaches every positioned object below.
  mover->SetKind(okScreen);
  EXPECT_EQ(inner->Kind(), okScreen);
}

}  // namespace
}  // namespace corvane
