// Object lists, image lists and the preview on the recording device: the
// objects they load, scale, turn and draw at their cells' centres, the
// pictures they make once and give back, and objects disposed under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_registry.h"
#include "engine/core/position_object.h"
#include "gui/image_list.h"
#include "gui/object_list.h"
#include "gui/preview.h"
#include "scene/box.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TWidgetWorld;

// A world with three object files: a box of bounds radius 2, an empty
// Dummy (radius 0) and an object that is not positioned.
struct ObjectWorld {
  // With skin, the item and selection pictures draw; without, the test
  // filter loads the pictures.
  explicit ObjectWorld(const std::string& objects, bool skin = true) : w(skin) {
    RegisterClasses({Box::StaticClass()});
    w.world.Put("box.object", "object cube: Box\n  width = 4\n  height = 4\n  depth = 4\nend\n");
    w.world.Put("empty.object", "object nothing: Dummy\n  scale.x = 3\n  scale.y = 3\n  scale.z = 3\nend\n");
    w.world.Put("plain.object", "object plain: BaseObject\nend\n");
    launched = w.Launch(objects);
  }
  TWidgetWorld w;
  bool launched = false;
};

PositionObject* Tagged(BaseObject* parent, const char16_t* tag) {
  BaseObject* found = parent->findByTagString(tag);
  return found ? found->AsPositionObject() : nullptr;
}

TEST(ObjectList, LoadsEachItemScaledToItsRowHiddenAndDrawsItSpinningAtItsCell) {
  ObjectWorld e("  object shelf: ObjectList\n    width = 100\n    height = 200\n    itemHeight = 50\n"
                "    items.strings = ( 'box.object' 'empty.object' 'missing.object' 'plain.object' )\n"
                "    itemIndex = 2\n  end\n");
  ASSERT_TRUE(e.launched) << e.w.world.Text();
  auto* list = e.w.Find<ObjectList>(u"shelf");
  PositionObject* box = Tagged(list, u"box.object");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->getParent(), list);
  EXPECT_EQ(box->Scale()->Coordinates().x, 8) << "(50 - 10) / (2 * 2.5)";
  EXPECT_EQ(box->Scale()->Coordinates().z, 8);
  EXPECT_EQ(box->XAngle(), 135);
  EXPECT_EQ(box->Kind(), okScreen);
  EXPECT_FALSE(box->Visible());
  PositionObject* empty = Tagged(list, u"empty.object");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Scale()->Coordinates().x, 3) << "radius 0 keeps the scale it was loaded with";
  EXPECT_EQ(Tagged(list, u"plain.object"), nullptr);

  auto* device = e.w.world.Device();
  device->ClearRecords();
  e.w.Paint();
  const TRect cell = list->GetItemRect(0);
  EXPECT_FLOAT_EQ(box->X(), (cell.left + cell.right) / 2);
  EXPECT_FLOAT_EQ(box->Y(), (cell.top + cell.bottom) / 2);
  EXPECT_FLOAT_EQ(box->ZAngle(), 0.1f);
  const int meshes = device->CountCalls("DrawMesh");
  EXPECT_GT(meshes, 0);
  e.w.Paint();
  EXPECT_FLOAT_EQ(box->ZAngle(), 0.2f) << "each paint turns it by 0.1";
  EXPECT_EQ(device->CountCalls("DrawMesh"), 2 * meshes) << "the same draws again";

  // Items that load no positioned object: the selection picture only.
  device->ClearRecords();
  list->PaintItem(2, list->GetItemRect(2));
  EXPECT_EQ(device->CountCalls("DrawMesh"), 1) << "the current item";
  device->ClearRecords();
  list->PaintItem(3, list->GetItemRect(3));
  EXPECT_EQ(device->CountCalls("DrawMesh"), 0);
}

TEST(ImageList, MakesEachPictureOnItsFirstPaintAndGivesBackThoseNoItemNames) {
  ObjectWorld e("  object shelf: ImageList\n    width = 100\n    height = 200\n    itemHeight = 40\n"
                "    items.strings = ( 'a.png' 'b.png' 'c.png' )\n  end\n",
                false);
  ASSERT_TRUE(e.launched) << e.w.world.Text();
  auto* filter = dynamic_cast<test::TTestFilter*>(e.w.applet->Filter());
  ASSERT_NE(filter, nullptr);
  for (const char16_t* name : {u"a.png", u"b.png", u"c.png", u"d.png"}) filter->pixmapFiles[name] = {8, 8};
  auto* list = e.w.Find<ImageList>(u"shelf");
  auto* device = e.w.world.Device();
  const std::size_t before = device->LivePixmapStores();
  const int loads = filter->pixmapLoads;
  e.w.Paint();
  EXPECT_EQ(filter->pixmapLoads - loads, 3);
  EXPECT_EQ(list->PictureCount(), 3u);
  EXPECT_EQ(device->LivePixmapStores(), before + 3);
  e.w.Paint();
  EXPECT_EQ(filter->pixmapLoads - loads, 3) << "the second paint reuses them";

  // New items: the pictures of names gone are given back.
  auto items = TOwned<TWideStringList>(Create<TWideStringList>());
  items->Add(u"c.png");
  items->Add(u"d.png");
  list->SetItems(items.get());
  EXPECT_EQ(list->PictureCount(), 1u);
  EXPECT_EQ(device->LivePixmapStores(), before + 1);
  e.w.Paint();
  EXPECT_EQ(filter->pixmapLoads - loads, 4);
  list->Free();
  EXPECT_EQ(device->LivePixmapStores(), before);
}

TEST(ImageList, ThousandsOfItemsAddedOneAtATimeKeepItsPictures) {
  // Items added one by one (as a script fills the list) name every file
  // they named before: the pictures stay. A change that grows the list
  // while dropping names gives their pictures back by the next paint.
  ObjectWorld e("  object shelf: ImageList\n    width = 100\n    height = 200\n    itemHeight = 40\n"
                "    items.strings = ( 'a.png' 'b.png' )\n  end\n",
                false);
  ASSERT_TRUE(e.launched) << e.w.world.Text();
  auto* filter = dynamic_cast<test::TTestFilter*>(e.w.applet->Filter());
  ASSERT_NE(filter, nullptr);
  for (const char16_t* name : {u"a.png", u"b.png"}) filter->pixmapFiles[name] = {8, 8};
  auto* list = e.w.Find<ImageList>(u"shelf");
  auto* device = e.w.world.Device();
  const std::size_t before = device->LivePixmapStores();
  e.w.Paint();
  ASSERT_EQ(device->LivePixmapStores(), before + 2);
  constexpr int kAdded = 20000;
  for (int i = 0; i < kAdded; ++i) list->Items()->Add(u"more" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
  EXPECT_EQ(device->LivePixmapStores(), before + 2);
  EXPECT_EQ(list->PictureCount(), 2u);

  auto items = TOwned<TWideStringList>(Create<TWideStringList>());
  for (int i = 0; i < kAdded + 3; ++i) items->Add(u"b.png");
  list->SetItems(items.get());
  e.w.Paint();
  EXPECT_EQ(device->LivePixmapStores(), before + 1);
  EXPECT_EQ(list->PictureCount(), 1u);
}

TEST(Preview, LoadsItsObjectHiddenAndDrawsItAtTheCentreUntilAScriptDisposesIt) {
  ObjectWorld e("  object preview: Preview\n    x = 10\n    y = 20\n    width = 100\n    height = 60\n"
                "    objectScale = 5\n    objectFile = 'box.object'\n  end\n"
                "  object bare: Preview\n  end\n");
  ASSERT_TRUE(e.launched) << e.w.world.Text();
  auto* preview = e.w.Find<Preview>(u"preview");
  ASSERT_NE(preview->LoadedObject(), nullptr);
  PositionObject* box = preview->LoadedObject()->AsPositionObject();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->getParent(), preview);
  EXPECT_FALSE(box->Visible());
  EXPECT_EQ(box->XAngle(), 135);
  EXPECT_EQ(box->Kind(), okScreen);
  EXPECT_EQ(box->Velocity()->Coordinates().x, 0);

  auto* device = e.w.world.Device();
  device->ClearRecords();
  e.w.Paint();
  EXPECT_EQ(box->X(), 50);
  EXPECT_EQ(box->Y(), 30);
  EXPECT_EQ(box->Scale()->Coordinates().x, 5);
  EXPECT_FLOAT_EQ(box->ZAngle(), 0.1f);
  EXPECT_GT(device->CountCalls("DrawMesh"), 0);
  EXPECT_EQ(e.w.Find<Preview>(u"bare")->LoadedObject(), nullptr);

  // Disposed from a script, then painted: nothing drawn.
  box->Dispose();
  e.w.Frames(5);  // disposal waits 0.2 s
  EXPECT_EQ(preview->LoadedObject(), nullptr);
  device->ClearRecords();
  preview->Paint();
  EXPECT_EQ(device->CountCalls("DrawMesh"), 0);
}

}  // namespace
}  // namespace corvane
