// The box: bounds, point and ray hit tests, its body and its fill.
#include <gtest/gtest.h>

#include "engine/shell/applet.h"
#include "scene/box.h"
#include "tests/support/kit/fake_physics.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

TEST(Box, BoundsAndPointHitTest) {
  TTestWorld world;
  auto* box = Create<Box>(TCreateContext(world.applet));
  EXPECT_TRUE(box->ZTest());
  EXPECT_EQ(box->GetBoundsRadius(), 0.5f);
  box->SetWidth(4);
  box->SetHeight(2);
  box->SetDepth(6);
  EXPECT_EQ(box->GetBoundsRadius(), 3);
  EXPECT_EQ(box->GetBoundsBox().min, (TSpaceVector{-2, -1, -3, 1}));
  EXPECT_EQ(box->Bounds()->Coordinates().z, 6);
  box->Position()->SetValues(10, 10, 0);
  // The screen rectangle starts at the origin, strictly inside.
  EXPECT_TRUE(box->PointInObject(12, 11));
  EXPECT_FALSE(box->PointInObject(10, 11));
  EXPECT_FALSE(box->PointInObject(14, 11));
  box->hide();
  EXPECT_FALSE(box->PointInObject(12, 11));
}

TEST(Box, RaysMeetTheFacesAhead) {
  TTestWorld world;
  auto* box = Create<Box>(TCreateContext(world.applet));
  box->SetWidth(2);
  box->SetHeight(2);
  box->SetDepth(2);
  box->Position()->SetValues(5, 0, 0);
  struct Case {
    const char* name;
    TSpaceVector origin, direction;
    bool hit;
  };
  const Case cases[] = {
      {"towards", {0, 0, 0, 1}, {1, 0, 0, 1}, true},
      {"away", {0, 0, 0, 1}, {-1, 0, 0, 0}, false},
      {"beside", {0, 3, 0, 1}, {1, 0, 0, 0}, false},
      {"from above", {5, 0.5f, 10, 1}, {0, 0, -3, 0}, true},
      {"from inside", {5, 0, 0, 1}, {0, 1, 0, 0}, true},
      {"behind, looking away", {8, 0, 0, 1}, {1, 0, 0, 0}, false},
      {"no direction", {0, 0, 0, 1}, {0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(box->RayCastIntersect(c.origin, c.direction), c.hit) << c.name;
  // Turned and scaled with its parent: the test runs in the box's frame.
  box->SetZAngle(90);
  box->Scale()->SetValues(1, 3, 1);
  EXPECT_TRUE(box->RayCastIntersect({2.5f, 0, 0, 1}, {1, 0, 0, 0}));
  EXPECT_FALSE(box->RayCastIntersect({5, 2.5f, 0, 1}, {0, 1, 0, 0}));
}

TEST(Box, SpawnedBoxesGetABoxBodyOfTheirSize) {
  test::TUseFakePhysics physics;
  TTestWorld world;
  auto* box = Create<Box>(TCreateContext(world.applet));
  box->SetDynamic(true);
  box->spawn();
  auto* engine = dynamic_cast<test::TFakeDynamicEngine*>(world.applet->DynamicEngine());
  ASSERT_NE(engine, nullptr);
  EXPECT_NE(box->Body(), 0);
  EXPECT_EQ(engine->LiveBodies(), 1);
  EXPECT_NE(box->World(), 0);
  box->explode(1, 2);
  EXPECT_EQ(engine->Explosions, 1);
  box->Free();
  EXPECT_EQ(engine->LiveBodies(), 0);
}

TEST(Box, PaintFillsTheBoundsBox) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  auto* box = Create<Box>(TCreateContext(world.applet));
  box->SetWidth(2);
  device->SetColor(0xFFFFFFFF);
  device->ClearRecords();
  box->Paint();
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(device->Draws[0].VertexCount(), 24);
}

}  // namespace
}  // namespace corvane
