// The picture effects: sprite-sheet cells over time, scrolling; finding
// their picture when loaded and when made at run time.
#include <gtest/gtest.h>

#include "base/geometry/point_rect_persistent.h"
#include "engine/shell/applet.h"
#include "resources/empty_res_man.h"
#include "scene/pixmap_animation_effect.h"
#include "scene/pixmap_offset_animation_effect.h"
#include "scene/register.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

struct PictureWorld {
  PictureWorld() {
    RegisterSceneClasses();
    world.applet->UseRecordingDevice();
    FinishConstruction(files.get(), TCreateContext());
    world.applet->SetResMan(files.get());
    world.applet->Filters()->pixmapFiles[u"sheet.pixmap"] = {256, 128};
    world.applet->Filters()->pixmapFiles[u"strip.pixmap"] = {128, 64};
  }
  Sprite* NewSprite(const std::string& file) {
    auto* sprite = Create<Sprite>(TCreateContext(world.applet));
    sprite->Pixmap()->SetFileName(file);
    return sprite;
  }
  test::TTestWorld world;
  TOwned<TEmptyResourceMan> files{new TEmptyResourceMan(TCreateContext(), "applet")};
};

TEST(PixmapAnimationEffect, StepsThroughTheSheet) {
  PictureWorld w;
  Sprite* sprite = w.NewSprite("sheet.pixmap");
  ASSERT_EQ(sprite->Pixmap()->width(), 256);
  // Made at run time: no Loaded, the picture is found on the first frame.
  auto* effect = Create<PixmapAnimationEffect>(TCreateContext(sprite));
  effect->SetWidth(64);
  effect->SetHeight(64);
  effect->SetKeyPerSecond(10);
  EXPECT_FLOAT_EQ(effect->KeyTime(), 0.1f);
  effect->SetRunning(true);
  effect->ProcessTick(0.45f, 0);
  EXPECT_EQ(effect->Target(), sprite->Pixmap());
  EXPECT_FLOAT_EQ(effect->RunningTime(), 0.8f);
  effect->ProcessTick(0.01f, 0);
  EXPECT_EQ(sprite->Pixmap()->Rect()->GetRect(), (TRect{0, 64, 64, 128}));
  // Mended: a one-shot pass ends on its last cell, not beyond the sheet.
  for (int i = 0; i < 10 && effect->Running(); ++i) effect->ProcessTick(0.1f, 0);
  EXPECT_FALSE(effect->Running());
  EXPECT_EQ(sprite->Pixmap()->Rect()->GetRect(), (TRect{192, 64, 256, 128}));

  // The first cell: stopped, without a keyTime, and (mended) for cells of
  // 0 or larger than the picture.
  EXPECT_EQ(effect->CurRect(256, 128), (TRect{0, 0, 64, 64}));
  effect->SetRunning(true);
  effect->ProcessTick(0.35f, 0);
  EXPECT_EQ(effect->CurRect(256, 128), (TRect{192, 0, 256, 64}));
  effect->SetKeyTime(0);
  EXPECT_EQ(effect->KeyPerSecond(), 0) << "mended: never an infinity";
  EXPECT_EQ(effect->CurRect(256, 128), (TRect{0, 0, 64, 64}));
  effect->SetKeyPerSecond(0);
  EXPECT_EQ(effect->KeyTime(), 0);
  effect->SetKeyTime(0.1f);
  effect->SetWidth(0);
  EXPECT_EQ(effect->CurRect(256, 128), (TRect{0, 0, 0, 64}));
  effect->SetWidth(64);
  effect->SetHeight(0);
  EXPECT_EQ(effect->CurRect(256, 128), (TRect{0, 0, 64, 0}));
  effect->SetHeight(200);
  EXPECT_EQ(effect->CurRect(256, 128), (TRect{0, 0, 64, 200}));
  EXPECT_EQ(effect->CurRect(0, 0), (TRect{0, 0, 64, 200}));
}

TEST(PixmapAnimationEffect, FindsItsPictureWhenLoaded) {
  PictureWorld w;
  BaseObject* loaded = w.world.Load(
      "object s: Sprite\n"
      "  pixmap.fileName = 'sheet.pixmap'\n"
      "  object e: PixmapAnimationEffect\n"
      "    width = 64\n"
      "    height = 64\n"
      "    keyPerSecond = 10\n"
      "    running = True\n"
      "  end\n"
      "end\n");
  auto* sprite = dynamic_cast<Sprite*>(loaded);
  ASSERT_NE(sprite, nullptr);
  auto* effect = dynamic_cast<PixmapAnimationEffect*>(sprite->children(0));
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->Target(), sprite->Pixmap()) << "a skinned picture counts";
  EXPECT_FLOAT_EQ(effect->KeyTime(), 0.1f);
  // A parent without a picture leaves the effect idle.
  auto* lone = Create<PixmapAnimationEffect>(TCreateContext(w.world.applet));
  lone->SetRunning(true);
  lone->ProcessTick(0.1f, 0);
  EXPECT_EQ(lone->Target(), nullptr);
}

TEST(PixmapOffsetAnimationEffect, ScrollsAndWraps) {
  PictureWorld w;
  Sprite* sprite = w.NewSprite("strip.pixmap");
  auto* effect = Create<PixmapOffsetAnimationEffect>(TCreateContext(sprite));
  effect->SetOffsetX(32);
  effect->SetRunning(true);
  effect->ProcessTick(0.1f, 3);
  EXPECT_FLOAT_EQ(sprite->Pixmap()->Offset()->x, 96);
  effect->ProcessTick(0.1f, 4);
  EXPECT_FLOAT_EQ(sprite->Pixmap()->Offset()->x, 0);
  effect->SetOffsetY(16);
  effect->ProcessTick(0.1f, 5);
  EXPECT_FLOAT_EQ(sprite->Pixmap()->Offset()->x, 32);
  EXPECT_FLOAT_EQ(sprite->Pixmap()->Offset()->y, 16);
  // Mended: an axis whose picture side is 0 is left alone.
  Sprite* blank = w.NewSprite("");
  blank->Pixmap()->SetUseDefault(false);
  blank->Pixmap()->Offset()->SetPoint({7, 8});
  auto* idle = Create<PixmapOffsetAnimationEffect>(TCreateContext(blank));
  idle->SetOffsetX(32);
  idle->SetOffsetY(32);
  idle->SetRunning(true);
  idle->ProcessTick(0.1f, 3);
  EXPECT_EQ(blank->Pixmap()->Offset()->GetPoint(), (TPoint{7, 8}));
}

}  // namespace
}  // namespace corvane
