// The box: bounds, point and ray hit tests and its fill (its body:
// primitives_test.cpp).
#include <gtest/gtest.h>

#include "engine/shell/applet.h"
#include "scene/box.h"
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
  // Mended: the drawn rectangle, centred on the origin, strictly inside:
  // each quadrant hits, beside each edge misses.
  for (const TPoint p : {TPoint{9, 9.5f}, TPoint{11, 9.5f}, TPoint{9, 10.5f}, TPoint{11, 10.5f}})
    EXPECT_TRUE(box->PointInObject(p.x, p.y)) << p.x << "," << p.y;
  for (const TPoint p : {TPoint{7.5f, 10}, TPoint{12.5f, 10}, TPoint{10, 8.5f}, TPoint{10, 11.5f}, TPoint{8, 10}})
    EXPECT_FALSE(box->PointInObject(p.x, p.y)) << p.x << "," << p.y;
  box->hide();
  EXPECT_FALSE(box->PointInObject(9, 9.5f));
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
