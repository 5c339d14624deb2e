// The primitives: bounds and hit tests of every shape, the grid's lines,
// and the bodies each shape asks the physics engine for.
#include <gtest/gtest.h>

#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "scene/box.h"
#include "scene/cone.h"
#include "scene/cylinder.h"
#include "scene/grid.h"
#include "scene/plane.h"
#include "scene/rect.h"
#include "scene/sphere.h"
#include "scene/sprite.h"
#include "tests/support/kit/fake_physics.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TFakeDynamicEngine;
using test::TTestWorld;

TEST(Primitives, BoundsAndHitsOfEachShape) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();

  auto* cylinder = Create<Cylinder>(TCreateContext(world.applet));
  cylinder->SetRadius(0.5f);
  cylinder->SetHeight(3);
  EXPECT_EQ(cylinder->GetBoundsBox().min, (TSpaceVector{-1.5f, -0.5f, -0.5f, 1}));
  EXPECT_EQ(cylinder->GetBoundsBox().max, (TSpaceVector{1.5f, 0.5f, 0.5f, 1}));
  EXPECT_EQ(cylinder->GetBoundsRadius(), 1.5f);
  EXPECT_TRUE(cylinder->RayCastIntersect({-5, 0, 0, 1}, {1, 0, 0, 0})) << "along its axis";
  EXPECT_TRUE(cylinder->RayCastIntersect({0, 0, -5, 1}, {0, 0, 1, 0})) << "across it";
  EXPECT_FALSE(cylinder->RayCastIntersect({-5, 0.6f, 0, 1}, {1, 0, 0, 0})) << "beside it";
  EXPECT_FALSE(cylinder->PointInObject(0, 0));

  // Mended: a cone is bounded by the box it is drawn as, long along x.
  auto* cone = Create<Cone>(TCreateContext(world.applet));
  cone->SetRadius(0.5f);
  cone->SetHeight(3);
  EXPECT_EQ(cone->GetBoundsBox().max, (TSpaceVector{1.5f, 0.5f, 0.5f, 1}));
  EXPECT_EQ(cone->GetBoundsRadius(), 1.5f);
  device->SetColor(0xFFFFFFFF);
  device->ClearRecords();
  cone->Paint();
  ASSERT_EQ(device->Draws.size(), 1u);
  float maxX = 0;
  for (const TPixmapVertexNormal& v : device->Draws[0].As<TPixmapVertexNormal>()) maxX = std::max(maxX, v.position.x);
  EXPECT_EQ(maxX, 1.5f);
  EXPECT_FALSE(cone->RayCastIntersect({-5, 0, 0, 1}, {1, 0, 0, 0})) << "no ray test of its own";

  auto* sphere = Create<Sphere>(TCreateContext(world.applet));
  sphere->SetRadius(2);
  sphere->Position()->SetValues(10, 0, 0);
  EXPECT_EQ(sphere->GetBoundsBox().min, (TSpaceVector{-2, -2, -2, 1}));
  EXPECT_EQ(sphere->GetBoundsRadius(), 2);
  EXPECT_TRUE(sphere->RayCastIntersect({0, 0, 0, 1}, {1, 0, 0, 0}));
  EXPECT_FALSE(sphere->RayCastIntersect({0, 0, 0, 1}, {-1, 0, 0, 0}));
  EXPECT_FALSE(sphere->RayCastIntersect({0, 3, 0, 1}, {1, 0, 0, 0}));
  EXPECT_FALSE(sphere->PointInObject(10, 0));
  device->ClearRecords();
  sphere->Paint();
  EXPECT_TRUE(device->Calls.empty() && device->Draws.empty());

  for (PositionObject* o : {static_cast<PositionObject*>(cylinder), static_cast<PositionObject*>(cone),
                            static_cast<PositionObject*>(sphere), static_cast<PositionObject*>(Create<Plane>(TCreateContext(world.applet)))})
    EXPECT_TRUE(o->ZTest()) << o->ClassName();
}

TEST(Primitives, PlaneDrawsItsPictureAndIsNeverMirrored) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  world.applet->UseDefaultPixmap(4, 4);
  auto* plane = Create<Plane>(TCreateContext(world.applet));
  plane->SetWidth(4);
  plane->SetHeight(2);
  EXPECT_FALSE(plane->Mirrored());
  device->ClearRecords();
  plane->Paint();
  ASSERT_EQ(device->Draws.size(), 1u);
  const auto quads = test::QuadsOf(device->Draws[0]);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].Rect, (TRect{-2, -1, 2, 1}));
}

std::vector<TSpaceVector> GridPoints(TTestWorld& world, Grid* grid) {
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  device->ClearRecords();
  grid->Paint();
  if (device->Lines.empty()) return {};
  EXPECT_EQ(device->Lines.size(), 1u);
  EXPECT_EQ(device->Lines[0].Width, 0.2f);
  return device->Lines[0].Points;
}

TEST(Primitives, GridLines) {
  TTestWorld world;
  auto* grid = Create<Grid>(TCreateContext(world.applet));
  // The defaults: 21 verticals, then 21 horizontals.
  std::vector<TSpaceVector> points = GridPoints(world, grid);
  ASSERT_EQ(points.size(), 84u);
  EXPECT_EQ(points[0], (TSpaceVector{-10, -10, 0, 1}));
  EXPECT_EQ(points[1], (TSpaceVector{-10, 10, 0, 1}));
  EXPECT_EQ(points[41], (TSpaceVector{10, 10, 0, 1}));
  EXPECT_EQ(points[42], (TSpaceVector{-10, -10, 0, 1}));
  EXPECT_EQ(points[43], (TSpaceVector{10, -10, 0, 1}));
  // Shifted by the origin.
  grid->Origin()->SetPoint({1, 2});
  EXPECT_EQ(GridPoints(world, grid)[0], (TSpaceVector{-11, -12, 0, 1}));
  grid->Origin()->SetPoint({0, 0});

  // min.x above max.x: only the horizontals, each from min.x to max.x.
  grid->Min()->SetPoint({5, -10});
  grid->Max()->SetPoint({-5, 10});
  points = GridPoints(world, grid);
  ASSERT_EQ(points.size(), 42u);
  EXPECT_EQ(points[0], (TSpaceVector{5, -10, 0, 1}));
  EXPECT_EQ(points[1], (TSpaceVector{-5, -10, 0, 1}));
  grid->Min()->SetPoint({5, 11});
  EXPECT_TRUE(GridPoints(world, grid).empty()) << "both axes empty";

  // A step of 0 (or below) leaves its axis empty.
  grid->Min()->SetPoint({-10, -10});
  grid->Max()->SetPoint({10, 10});
  grid->Step()->SetPoint({0, 1});
  EXPECT_EQ(GridPoints(world, grid).size(), 42u);
  grid->Step()->SetPoint({-1, 0});
  EXPECT_TRUE(GridPoints(world, grid).empty());
  // A step so fine no draw could hold it draws nothing on that axis.
  grid->Step()->SetPoint({1e-6f, 1});
  EXPECT_EQ(GridPoints(world, grid).size(), 42u);

  // A step of 0.1 keeps its last line.
  grid->Min()->SetPoint({-1, -1});
  grid->Max()->SetPoint({1, 1});
  grid->Step()->SetPoint({0.1f, 0.1f});
  points = GridPoints(world, grid);
  ASSERT_EQ(points.size(), 84u);
  EXPECT_NEAR(points[40].x, 1, 1e-5);

  // Mended: assigning a point copies it; the grid keeps its own.
  TOwned<TPointPersistent> foreign(Create<TPointPersistent>());
  foreign->SetPoint({-3, -4});
  SetObjectProp(*grid, PropByName(*grid, "min"), foreign.get());
  EXPECT_NE(grid->Min(), foreign.get());
  EXPECT_EQ(grid->Min()->GetPoint(), (TPoint{-3, -4}));
  foreign.reset();
  EXPECT_EQ(grid->Min()->x, -3);
}

TEST(Primitives, BodiesTakeTheShapeAndSizeOfTheirObject) {
  test::TUseFakePhysics physics;
  TTestWorld world;
  auto make = [&](PositionObject* o) {
    o->SetDynamic(true);
    return o;
  };
  auto* box = static_cast<Box*>(make(Create<Box>(TCreateContext(world.applet))));
  box->SetWidth(1);
  box->SetHeight(2);
  box->SetDepth(3);
  auto* sphere = static_cast<Sphere*>(make(Create<Sphere>(TCreateContext(world.applet))));
  sphere->SetRadius(4);
  auto* cylinder = static_cast<Cylinder*>(make(Create<Cylinder>(TCreateContext(world.applet))));
  cylinder->SetRadius(5);
  cylinder->SetHeight(6);
  auto* cone = static_cast<Cone*>(make(Create<Cone>(TCreateContext(world.applet))));
  cone->SetRadius(7);
  cone->SetHeight(8);
  auto* rect = static_cast<class Rect*>(make(Create<class Rect>(TCreateContext(world.applet))));
  rect->SetWidth(20);
  rect->SetHeight(30);
  auto* sprite = static_cast<Sprite*>(make(Create<Sprite>(TCreateContext(world.applet))));
  sprite->SetSpriteSize(40, 50);

  using Shape = TFakeDynamicEngine::TShape;
  struct Case {
    PositionObject* object;
    Shape shape;
    TSpaceVector size;
  };
  const Case cases[] = {
      {box, Shape::Box, {1, 2, 3, 1}},           {sphere, Shape::Sphere, {4, 4, 4, 1}},
      {cylinder, Shape::Cylinder, {5, 5, 6, 1}}, {cone, Shape::Cone, {7, 7, 8, 1}},
      {rect, Shape::Box, {20, 30, 10, 1}},       {sprite, Shape::Box, {40, 50, 50, 1}},
  };
  for (const Case& c : cases) c.object->spawn();
  auto* engine = dynamic_cast<TFakeDynamicEngine*>(world.applet->DynamicEngine());
  ASSERT_NE(engine, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object->ClassName());
    const TFakeDynamicEngine::TBodyShape* shape = engine->ShapeOf(c.object->Body());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Shape, c.shape);
    EXPECT_EQ(shape->Size.x, c.size.x);
    EXPECT_EQ(shape->Size.y, c.size.y);
    EXPECT_EQ(shape->Size.z, c.size.z);
    EXPECT_NE(c.object->World(), 0);
  }
  EXPECT_EQ(engine->LiveBodies(), 6);
  box->explode(1, 2);
  EXPECT_EQ(engine->Explosions, 1);
  // Unspawned or freed, the body goes.
  box->Free();
  EXPECT_EQ(engine->LiveBodies(), 5);
  for (const Case& c : cases) {
    if (c.object == box) continue;
    c.object->unspawn();
    EXPECT_EQ(c.object->Body(), 0) << c.object->ClassName();
  }
  EXPECT_EQ(engine->LiveBodies(), 0);
}

}  // namespace
}  // namespace corvane
