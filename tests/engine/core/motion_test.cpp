// Motion of positioned objects: forward's contact sub-steps against the fake
// physics engine, gravity and friction, back, bodies kept in step, spawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/geometry/vector_math.h"
#include "base/reflection/class_registry.h"
#include "engine/core/event.h"
#include "engine/core/position_object.h"
#include "engine/core/trigger.h"
#include "engine/shell/applet.h"
#include "scene/box.h"
#include "tests/support/kit/fake_physics.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TFakeDynamicEngine;
using test::TTestWorld;
using test::TUseFakePhysics;

struct MotionWorld {
  TUseFakePhysics physics;
  TTestWorld world;
  MotionWorld() { RegisterClass(Box::StaticClass()); }
  TFakeDynamicEngine* Engine() const { return dynamic_cast<TFakeDynamicEngine*>(world.applet->DynamicEngine()); }
  // A tracked, collisable box of the given size, spawned.
  Box* Mover(float size, const char* extra = "") {
    const std::string text = std::string("object mover: Box\n  width = ") + std::to_string(size) +
                             "\n  height = " + std::to_string(size) + "\n  depth = " + std::to_string(size) +
                             "\n  collisable = True\n  colliseTrack = True\n" + extra + "end\n";
    auto* box = dynamic_cast<Box*>(world.Load(text));
    if (box) box->spawn();
    return box;
  }
};

std::vector<float> QueriedY(const TFakeDynamicEngine* engine) {
  std::vector<float> ys;
  for (const auto& q : engine->Queries) ys.push_back(q.Position.y);
  return ys;
}

TEST(Motion, ForwardStepsNoLongerThanTheRadiusWithAContactCheckAfterEach) {
  struct Case {
    const char* name;
    float size;  // the box's sizes; its radius is half
    float speed, dt;
    std::vector<float> wantY;
  };
  const Case cases[] = {
      {"radius 1, distance 2.5", 2, 5, 0.5f, {1, 2, 2.5f}},
      {"radius 1, distance 2", 2, 4, 0.5f, {1, 2}},
      {"distance below the radius", 8, 5, 0.5f, {2.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MotionWorld m;
    Box* mover = m.Mover(c.size);
    ASSERT_NE(mover, nullptr) << m.world.log.Text();
    ASSERT_NE(m.Engine(), nullptr);
    mover->Velocity()->SetValues(0, c.speed, 0);
    mover->forward(c.dt);
    const std::vector<float> ys = QueriedY(m.Engine());
    ASSERT_EQ(ys.size(), c.wantY.size());
    for (std::size_t i = 0; i < ys.size(); ++i) EXPECT_NEAR(ys[i], c.wantY[i], 1e-5f) << "step " << i;
    EXPECT_NEAR(mover->Y(), c.wantY.back(), 1e-5f);
  }
}

TEST(Motion, GravityAndFrictionChangeTheVelocityBeforeTheMove) {
  MotionWorld m;
  Box* mover = m.Mover(6);
  mover->Velocity()->SetValues(0, 10, 0);
  mover->Gravity()->SetDirectVector({0, -10, 0, 0});
  mover->forward(0.5f);
  EXPECT_NEAR(mover->Velocity()->Coordinates().y, 5, 1e-6f);
  EXPECT_NEAR(mover->Y(), 2.5f, 1e-6f);
  EXPECT_EQ(m.Engine()->Queries.size(), 1u);
  // back undoes the step while the velocity is unchanged; only once.
  mover->back();
  EXPECT_NEAR(mover->Y(), 0, 1e-6f);
  mover->back();
  EXPECT_NEAR(mover->Y(), 0, 1e-6f);
  // Friction 0.5 for 0.1 s takes 5 % of the velocity.
  mover->Gravity()->setToZero();
  mover->SetFriction(0.5f);
  mover->forward(0.1f);
  EXPECT_NEAR(mover->Velocity()->Coordinates().y, 4.75f, 1e-5f);
}

TEST(Motion, MovesThatCouldNeverEndAreBounded) {
  MotionWorld m;
  // No radius (the plain positioned object): the whole way in one step and
  // one contact check.
  auto* plain = dynamic_cast<PositionObject*>(m.world.Load("object plain: PositionObject\n  colliseTrack = True\nend\n"));
  plain->CreateDynamics();
  plain->Velocity()->SetValues(0, 100, 0);
  plain->forward(1);
  EXPECT_NEAR(plain->Y(), 100, 1e-4f);
  EXPECT_EQ(m.Engine()->Queries.size(), 1u);

  // A huge distance for a small radius: at most 1000 steps, then the rest.
  m.Engine()->Queries.clear();
  Box* mover = m.Mover(1);
  mover->Velocity()->SetValues(0, 1e6f, 0);
  mover->forward(1);
  EXPECT_EQ(m.Engine()->Queries.size(), 1001u);
  EXPECT_NEAR(mover->Y(), 1e6f, 1);

  // A velocity that is not a number moves nothing, said once.
  m.world.log.Clear();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  mover->Velocity()->SetValues(nan, 0, 0);
  const float y = mover->Y();
  mover->forward(1);
  mover->forward(1);
  mover->Velocity()->SetValues(std::numeric_limits<float>::infinity(), 0, 0);
  mover->forward(1);
  EXPECT_EQ(mover->Y(), y);
  EXPECT_EQ(m.world.log.CountError("Not a finite velocity: mover not moved"), 1);
}

TEST(Motion, TicksMoveMovingObjectsAndCheckStandingOnesWhenAsked) {
  MotionWorld m;
  Box* mover = m.Mover(2, "  colliseOnStay = True\n");
  m.world.Steps(1, 0.1f);
  EXPECT_EQ(m.Engine()->Queries.size(), 1u) << "standing still with colliseOnStay";
  mover->Velocity()->SetValues(1, 0, 0);
  EXPECT_TRUE(mover->Moving());
  m.world.Steps(3, 0.1f);
  EXPECT_GT(mover->X(), 0.1f);
  // The applet steps every world that exists once per tick.
  EXPECT_EQ(m.Engine()->Steps.size(), 4u);
}

TEST(Motion, BodiesFollowTheirObjects) {
  MotionWorld m;
  Box* mover = m.Mover(2);
  TFakeDynamicEngine* engine = m.Engine();
  ASSERT_NE(mover->Body(), 0);
  EXPECT_EQ(engine->ObjectByBody(mover->Body()), mover);
  // A collisable object moves its body; a dynamic one is moved by it.
  mover->Position()->SetValues(3, 4, 5);
  EXPECT_EQ(engine->GetBodyMatrix(mover->Body())[3], (TSpaceVector{3, 4, 5, 1}));
  mover->SetDynamic(true);
  TSpaceMatrix placed = IdentitySpaceMatrix;
  placed[3] = {7, 8, 9, 1};
  engine->SetBodyMatrix(mover->Body(), placed);
  m.world.Steps(1);
  EXPECT_NEAR(mover->X(), 7, 1e-5f);
  EXPECT_NEAR(mover->Z(), 9, 1e-5f);
  // Disposing removes the body at once; unspawn and recreate work through
  // the handlers.
  mover->SetDynamic(false);
  mover->recreateDynamic();
  EXPECT_EQ(engine->LiveBodies(), 1);
  mover->unspawn();
  EXPECT_EQ(mover->Body(), 0);
  mover->spawn();
  EXPECT_NE(mover->Body(), 0);
  mover->dispose();
  EXPECT_EQ(engine->LiveBodies(), 0);
}

TEST(Motion, ContactsRunOnColliseOnlyBetweenRegisteredObjects) {
  MotionWorld m;
  Box* mover = m.Mover(2, "  onCollise = 'log touched'\n");
  Box* wall = m.Mover(2);
  wall->SetName(u"wall");
  wall->SetColliseTrack(false);
  mover->SetScriptObject(mover);  // registered with the script engine
  mover->Velocity()->SetValues(0, 0.5f, 0);
  mover->forward(1);
  EXPECT_EQ(m.world.log.CountInfo("touched"), 0) << "the wall is not registered";
  wall->SetScriptObject(wall);
  mover->forward(1);
  EXPECT_EQ(m.world.log.CountInfo("touched"), 1);
  EXPECT_GT(SpaceVectorLength(mover->LastContactNormal()), 0.5f);
  EXPECT_EQ(mover->complexCollise(false), 1);
  // A prepared object takes part in nothing.
  mover->PrepareForDispose();
  mover->forward(1);
  EXPECT_EQ(m.world.log.CountInfo("touched"), 1);
  EXPECT_EQ(mover->complexCollise(false), 0);
}

}  // namespace
}  // namespace corvane
