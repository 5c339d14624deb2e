// Visual objects: visibility, alpha, hit tests, the stock effects, scheduled
// show and hide, and painting through the recording device.
#include <gtest/gtest.h>

#include "base/reflection/class_registry.h"
#include "engine/core/effect.h"
#include "engine/core/event.h"
#include "engine/core/mission.h"
#include "engine/core/visual_object.h"
#include "engine/shell/engine.h"
#include "gui/gui_object.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

const char* kTree = R"(object top: VisualObject
  alpha = 0.5
  object middle: VisualObject
    object leaf: VisualObject
      object glow: Effect
        runningTime = 10
      end
    end
  end
end
)";

template <class T = VisualObject>
T* Named(const TTestWorld& world, const char16_t* name) {
  return dynamic_cast<T*>(world.applet->findByName(name));
}

TEST(VisualObject, AlphaReadBeforeTheChildrenReachesTheWholeSubtree) {
  TTestWorld world;
  ASSERT_NE(world.Load(kTree), nullptr) << world.log.Text();
  EXPECT_EQ(Named(world, u"top")->Alpha(), 0.5f);
  EXPECT_EQ(Named(world, u"middle")->Alpha(), 0.5f);
  EXPECT_EQ(Named(world, u"leaf")->Alpha(), 0.5f);
  Named(world, u"middle")->SetAlpha(0.25f);
  EXPECT_EQ(Named(world, u"leaf")->Alpha(), 0.25f);
  EXPECT_EQ(Named(world, u"top")->Alpha(), 0.5f);
  // A child made in code under a translucent parent takes its alpha.
  auto* fresh = Create<VisualObject>(TCreateContext(Named(world, u"top")));
  EXPECT_EQ(fresh->Alpha(), 0.5f);
}

TEST(VisualObject, AHiddenAncestorHidesAndStandsEffectsStill) {
  TTestWorld world;
  world.Load(kTree);
  auto* glow = dynamic_cast<Effect*>(world.applet->findByName(u"glow"));
  glow->SetRunning(true);
  world.Steps(2);
  const float elapsed = glow->Elapsed();
  EXPECT_GT(elapsed, 0);
  Named(world, u"middle")->hide();
  EXPECT_TRUE(Named(world, u"leaf")->Visible());
  EXPECT_FALSE(Named(world, u"leaf")->isVisible());
  world.Steps(2);
  EXPECT_EQ(glow->Elapsed(), elapsed);
  Named(world, u"middle")->show();
  world.Steps(1);
  EXPECT_GT(glow->Elapsed(), elapsed);
}

TEST(VisualObject, ScheduledShowAndHideRunFromTheQueue) {
  TTestWorld world;
  world.Load(kTree);
  VisualObject* leaf = Named(world, u"leaf");
  leaf->scheduleHide(0.2f);
  leaf->scheduleHide(0.2f);
  EXPECT_EQ(world.applet->GetEvent()->QueueCount(), 1);
  EXPECT_TRUE(leaf->Visible());
  world.Steps(6);
  EXPECT_FALSE(leaf->Visible());
  leaf->scheduleShow(0);
  world.Steps(2);
  EXPECT_TRUE(leaf->Visible());
}

TEST(VisualObject, FadeHideWaitSurvivesTheObjectBeingFreedDuringTheWait) {
  TTestWorld world;
  world.Load(R"(object fader: VisualObject
  object hide: Effect
    runningTime = 1
  end
end
)");
  TWeak<VisualObject> fader(Named(world, u"fader"));
  world.Platform().SetStep(0.05f);
  world.Platform().Inject([&] { fader->Free(); });
  fader->fadeHideWait();
  EXPECT_FALSE(fader.Get());
}

TEST(VisualObject, EnterAndLeaveRunTheirEffectsAroundTheHandlers) {
  TTestWorld world;
  world.Load(R"(object knob: VisualObject
  hotTrack = True
  onMouseEnter = 'log entered'
  onMouseLeave = 'log left'
  object enter: Effect
  end
  object enter_snd: Effect
  end
  object leave: Effect
  end
end
)");
  VisualObject* knob = Named(world, u"knob");
  auto effect = [&](const char16_t* name) { return knob->FindEffect(name)->Running(); };
  knob->MouseEnter();
  EXPECT_TRUE(effect(u"enter"));
  EXPECT_TRUE(effect(u"enter_snd"));
  EXPECT_EQ(world.log.CountInfo("entered"), 1);
  knob->MouseLeave();
  EXPECT_TRUE(effect(u"leave"));
  EXPECT_EQ(world.log.CountInfo("left"), 1);
  // Without hotTrack only the handlers run.
  knob->FindEffect(u"enter")->SetRunning(false);
  knob->SetHotTrack(false);
  knob->MouseEnter();
  EXPECT_FALSE(effect(u"enter"));
  EXPECT_EQ(world.log.CountInfo("entered"), 2);
}

TEST(VisualObject, TransparentObjectsPassThePointOnAndHitTestsFollowTheMouseMode) {
  TTestWorld world;
  RegisterClasses({GuiObject::StaticClass()});
  world.Load(R"(object panel: GuiObject
  width = 100
  height = 100
  hitTest = htMove
  object glass: GuiObject
    transparent = True
    width = 100
    height = 100
    hitTest = htSizeLeft
  end
end
)");
  auto* panel = Named<GuiObject>(world, u"panel");
  // The transparent child has nothing below it inside the panel: no object,
  // although the panel itself would be hit.
  EXPECT_EQ(panel->ObjectByPoint(50, 50), nullptr);
  EXPECT_EQ(panel->GetHitTest(50, 50), htMove);
  Named<GuiObject>(world, u"glass")->SetTransparent(false);
  EXPECT_EQ(panel->GetHitTest(50, 50), htSizeLeft);
  world.applet->GetEvent()->acquireMouse();
  EXPECT_EQ(panel->GetHitTest(50, 50), htNone);
}

}  // namespace
}  // namespace corvane
