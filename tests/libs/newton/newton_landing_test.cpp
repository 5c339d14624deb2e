// Landings: a body dropped onto a static floor comes to rest on its top
// face, from any height, however thin the floor; frames of 1/60 s as the
// engine steps them under -fixedstep.
#include "tests/libs/newton/newton_fixture.h"

namespace corvane {
namespace {

enum class TShapeKind { kBox, kSphere, kCylinder };

class NewtonLandingTest : public NewtonTest {
 protected:
  // A floor of this thickness whose top face is at z = 0, and a dynamic
  // 1-unit body of the kind whose middle starts at the height.
  // Steps until the body freezes (or a bound well past the fall), and
  // answers the height of its lowest point then.
  float Drop(float height, float floorThickness, TShapeKind kind = TShapeKind::kBox) {
    const NtWorld world = World();
    Box(world, {10, 10, floorThickness}, {0, 0, -floorThickness / 2});
    // Cylinders stand along x in this library: lying down, radius 0.5.
    const NtCollision shape = kind == TShapeKind::kBox      ? nt.NewtonCreateBox(world, 1, 1, 1, nullptr)
                              : kind == TShapeKind::kSphere ? nt.NewtonCreateSphere(world, 0.5f, 0.5f, 0.5f, nullptr)
                                                            : nt.NewtonCreateCylinder(world, 0.5f, 1, nullptr);
    const NtBody body = nt.NewtonCreateBody(world, shape);
    nt.NewtonReleaseCollision(world, shape);
    TTestBody& data = data_.emplace_back();
    data.force = kGravity;
    nt.NewtonBodySetUserData(body, &data);
    const TMatrix at = Placement(0, 0, height);
    nt.NewtonBodySetMatrix(body, at.data());
    nt.NewtonBodySetMassMatrix(body, 1, 1, 1, 10);
    nt.NewtonBodySetForceAndTorqueCallback(body, ApplyForce);
    nt.NewtonBodySetAutoFreeze(body, 1);
    nt.NewtonBodySetAutoactiveCallback(body, RecordState);
    nt.NewtonBodySetFreezeTreshold(body, kFreezeSpeed, kFreezeSpeed, 5);
    // The fall takes sqrt(2 h / 8.9) s: 853 frames from 900.
    for (int frame = 0; frame < 1500; ++frame) {
      nt.NewtonUpdate(world, 1.0f / 60);
      if (!data.states.empty() && data.states.back() == 0) break;
    }
    EXPECT_EQ(data.states.empty() ? -1 : data.states.back(), 0) << "still moving after the drop from " << height;
    return Position(body)[2] - 0.5f;
  }
};

// Bullet pushes a sunk body out without giving it speed, so it would
// freeze sunk (0.05 deep from 10, 0.07 from 20, 0.25 from 900); it
// freezes only once out.
TEST_F(NewtonLandingTest, DroppedBoxRestsOnTheFloorFromAnyHeight) {
  for (float height : {1.0f, 10.0f, 20.0f, 100.0f, 900.0f}) {
    EXPECT_NEAR(Drop(height, 1), 0, 0.01f) << "dropped from " << height;
  }
}

// A body crossing more than a floor's thickness in a frame is swept
// through its path: from 500 it would pass a 1-unit floor, from 100 a
// 0.1-unit one.
TEST_F(NewtonLandingTest, FastBodiesStopOnFloorsATenthOfTheirSize) {
  EXPECT_NEAR(Drop(500, 1), 0, 0.01f);
  EXPECT_NEAR(Drop(100, 0.1f), 0, 0.01f);
  EXPECT_NEAR(Drop(900, 0.1f), 0, 0.01f);
  EXPECT_NEAR(Drop(900, 0.1f, TShapeKind::kSphere), 0, 0.01f);
  EXPECT_NEAR(Drop(900, 0.1f, TShapeKind::kCylinder), 0, 0.01f);
}

}  // namespace
}  // namespace corvane
