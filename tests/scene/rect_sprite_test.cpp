// Flat objects: the rectangle's fill and the sprite's picture.
#include <gtest/gtest.h>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "scene/rect.h"
#include "scene/register.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

TEST(Rect, ANewRectFillsTenByTenUnderGui) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  auto* rect = Create<class Rect>(TCreateContext(world.applet));
  EXPECT_EQ(rect->MaterialName(), u"gui");
  EXPECT_EQ(rect->GetBoundsRadius(), 5);
  device->SetColor(0xFFFF0000);
  device->ClearRecords();
  rect->Paint();
  ASSERT_EQ(device->Draws.size(), 1u);
  const auto quads = test::QuadsOf(device->Draws[0]);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].Rect, (TRect{-5, -5, 5, 5}));
  EXPECT_EQ(quads[0].Z, 0);
  rect->SetWidth(30);
  EXPECT_EQ(rect->GetBoundsRadius(), 15);
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

TEST(Sprite, WithoutANameOrFileDrawsTheDefaultPicture) {
  TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  TPixmap* fallback = world.applet->UseDefaultPixmap(8, 8);
  ASSERT_NE(fallback, nullptr);
  auto* sprite = Create<Sprite>(TCreateContext(world.applet));
  sprite->SetSpriteSize(20, 30);
  EXPECT_EQ(sprite->GetBoundsRadius(), 15);
  device->ClearRecords();
  sprite->Paint();
  ASSERT_EQ(device->Draws.size(), 1u);
  EXPECT_EQ(device->Draws[0].Stage0, fallback);
  const auto quads = test::QuadsOf(device->Draws[0]);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].Rect, (TRect{-10, -15, 10, 15}));
}

}  // namespace
}  // namespace corvane
