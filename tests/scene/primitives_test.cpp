// The primitives: bounds, hit tests and fills of every shape, the grid's
// lines, the sprite's picture, and the bodies each shape asks the physics
// engine for.
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
#include "scene/register.h"
#include "scene/skin_pixmap_persistent.h"
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

  // A box fills its bounds box: six faces of four corners.
  auto* box = Create<Box>(TCreateContext(world.applet));
  box->SetWidth(2);
  device->ClearRecords();
  box->Paint();
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(device->Draws[0].VertexCount(), 24);

  auto* plane = Create<Plane>(TCreateContext(world.applet));
  for (PositionObject* o : std::initializer_list<PositionObject*>{box, cylinder, cone, sphere, plane})
    EXPECT_TRUE(o->ZTest()) << o->ClassName();
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


TEST(Box, BoundsAndPointHitTest) {
  TTestWorld world;
  auto* box = Create<Box>(TCreateContext(world.applet));
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

// The writer copies (Assign's values: property_objects_test.cpp and
// skin_test.cpp), so the sprite keeps its own after the source goes.
TEST(Sprite, AssigningAPictureCopiesIt) {
  TTestWorld world;
  RegisterSceneClasses();
  auto* sprite = Create<Sprite>(TCreateContext(world.applet));
  EXPECT_EQ(sprite->MaterialName(), u"gui");
  TOwned<TSkinPixmapPersistent> source(Create<TSkinPixmapPersistent>(TCreateContext(world.applet)));
  source->SetFileName("cursor.pixmap");
  source->Rect()->SetRect({1, 2, 3, 4});
  source->SetObjectName("button");
  SetObjectProp(*sprite, PropByName(*sprite, "pixmap"), source.get());
  TSkinPixmapPersistent* own = sprite->Pixmap();
  ASSERT_NE(own, source.get());
  EXPECT_EQ(own->Rect()->GetRect(), (TRect{1, 2, 3, 4}));
  EXPECT_EQ(own->ObjectName(), "button");
  source.reset();
  EXPECT_EQ(sprite->Pixmap()->FileName(), "cursor.pixmap");
}

// The flat shapes draw one quad of their size about their centre; a sprite
// without a name or file draws the default picture.
TEST(Primitives, FlatShapesDrawOneQuadOfTheirSize) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  TPixmap* fallback = world.applet->UseDefaultPixmap(8, 8);
  ASSERT_NE(fallback, nullptr);
  auto* plane = Create<Plane>(TCreateContext(world.applet));
  plane->SetWidth(4);
  plane->SetHeight(2);
  EXPECT_FALSE(plane->Mirrored());
  auto* rect = Create<class Rect>(TCreateContext(world.applet));  // 10 x 10 when new
  auto* sprite = Create<Sprite>(TCreateContext(world.applet));
  sprite->SetSpriteSize(20, 30);
  for (PositionObject* gui : {static_cast<PositionObject*>(rect), static_cast<PositionObject*>(sprite)})
    EXPECT_EQ(gui->MaterialName(), u"gui") << gui->ClassName();
  struct Case {
    PositionObject* object;
    TRect quad;
  };
  for (const Case c : {Case{plane, {-2, -1, 2, 1}}, Case{rect, {-5, -5, 5, 5}}, Case{sprite, {-10, -15, 10, 15}}}) {
    SCOPED_TRACE(c.object->ClassName());
    if (c.object != plane) {  // a plane has no bounds of its own
      EXPECT_EQ(c.object->GetBoundsRadius(), std::max(c.quad.right, c.quad.bottom)) << "half the larger side";
    }
    device->SetColor(0xFFFF0000);
    device->ClearRecords();
    c.object->Paint();
    ASSERT_EQ(device->Draws.size(), 1u);
    const auto quads = test::QuadsOf(device->Draws[0]);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].Rect, c.quad);
    EXPECT_EQ(quads[0].Z, 0);
  }
  EXPECT_EQ(device->Draws[0].Stage0, fallback) << "the sprite's";
  rect->SetWidth(30);
  EXPECT_EQ(rect->GetBoundsRadius(), 15);
}

}  // namespace
}  // namespace corvane
