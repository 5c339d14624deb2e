// The applet's event queue: order, deferred actions, stacks and parameters.
#include <gtest/gtest.h>

#include "base/geometry/coord.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/prop_access.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

class EventTest : public ::testing::Test {
 protected:
  EventTest() : event(*world.applet->GetEvent()) { root = world.Load("object root: BaseObject\nend\n"); }
  BaseObject* Child(const char16_t* name) {
    BaseObject* c = Create<BaseObject>(TCreateContext(root));
    c->SetName(name);
    return c;
  }
  TTestWorld world;
  Event& event;
  BaseObject* root = nullptr;
};

TEST_F(EventTest, ScheduledActionsWaitUntilTheirDelayHasPassed) {
  BaseObject* a = Child(u"a");
  TWeak<BaseObject> alive(a);
  event.ScheduleAction(a, seaDispose, 0.2);
  event.ScheduleAction(a, seaDispose, 5.0);  // same object and action: nothing added
  event.ScheduleAction(a, seaHide, 0.0);     // another action: added
  EXPECT_EQ(event.QueueCount(), 2);
  world.engine->SetDeltaTime(0.1f);
  event.ProcessEvents();
  EXPECT_EQ(event.QueueCount(), 1);  // the hide ran (0.1 > 0)
  event.ProcessEvents();
  EXPECT_TRUE(alive.Get());  // 0.2 is not more than 0.2
  event.ProcessEvents();
  EXPECT_FALSE(alive.Get());
  EXPECT_EQ(event.QueueCount(), 0);
}

TEST_F(EventTest, FreeingAnObjectDropsItsPendingActions) {
  BaseObject* a = Child(u"a");
  event.ScheduleAction(a, seaHide, 10);
  event.ScheduleAction(a, seaShow, 10);
  a->Free();
  EXPECT_EQ(event.QueueCount(), 0);
}

TEST_F(EventTest, ThousandsOfActionsQueuedInOneGoRunTogetherInOrder) {
  // One handler disposing a whole field of objects: each request is queued
  // once, a key pressed meanwhile still comes in its place, and the frame
  // that reaches their delay frees them all; freeing half of them first
  // takes their requests out.
  constexpr int kCount = 20000;
  std::vector<TWeak<BaseObject>> field;
  for (int i = 0; i < kCount; ++i) field.emplace_back(Child(u""));
  for (int i = 0; i < kCount; ++i) {
    field[static_cast<std::size_t>(i)]->dispose();
    if (i == kCount / 2) event.AddEvent(std::make_unique<TKeyEvent>(evKeyUp, nullptr, 65, u'\0', TShiftState{}));
  }
  for (const TWeak<BaseObject>& object : field) object->dispose();  // again: nothing added
  EXPECT_EQ(event.QueueCount(), kCount + 1);
  // Found by tag, as a script finds them: the freed ones leave the list.
  for (const TWeak<BaseObject>& object : field) object->SetTagString(u"foe");
  root->findAllByTagString(u"foe");
  for (int i = 0; i < kCount; i += 2) field[static_cast<std::size_t>(i)]->Free();
  EXPECT_EQ(event.QueueCount(), kCount / 2 + 1);
  ASSERT_EQ(event.paramListCount(), kCount / 2);
  int misplaced = 0;
  for (int i = 0; i < kCount / 2; ++i) misplaced += event.paramList(i) != field[static_cast<std::size_t>(2 * i + 1)].Get();
  EXPECT_EQ(misplaced, 0);
  world.engine->SetDeltaTime(0.1f);
  event.ProcessEvents();
  EXPECT_EQ(event.QueueCount(), kCount / 2);  // the key went
  EXPECT_EQ(event.paramKey, 65u);
  event.ProcessEvents();
  EXPECT_EQ(root->count(), kCount / 2);
  event.ProcessEvents();
  EXPECT_EQ(root->count(), 0);
  EXPECT_EQ(event.QueueCount(), 0);
  EXPECT_EQ(event.paramListCount(), 0);
}

TEST_F(EventTest, InputIsDroppedWhilePausedButWindowActionsRun) {
  world.applet->SetPause(true);
  event.AddEvent(std::make_unique<TKeyEvent>(evKeyDown, nullptr, 65, u'\0', TShiftState{}));
  event.AddEvent(std::make_unique<TMouseEvent>(evMouseMove, nullptr, mbNone, TShiftState{}, 1, 2, 0, 0));
  EXPECT_EQ(event.QueueCount(), 0);
  event.AddEvent(std::make_unique<TActionEvent>(evActionEvent, nullptr, aeCloseWindow));
  EXPECT_EQ(event.QueueCount(), 1);
  event.ProcessEvents();
  EXPECT_TRUE(world.applet->Terminated());
}

TEST_F(EventTest, StacksKeepTheirDepthWhenAnObjectDies) {
  BaseObject* a = Child(u"a");
  BaseObject* b = Child(u"b");
  event.PushThis(a);
  event.PushThis(b);
  event.PushParamObject(b);
  b->Free();
  EXPECT_EQ(event.ParamThis(), nullptr);  // its entry became none
  EXPECT_EQ(event.ParamObject(), nullptr);
  event.PopThis();
  EXPECT_EQ(event.ParamThis(), a);
  event.PopThis();
  event.PopParamObject();
  world.log.Clear();
  event.PopThis();
  event.PopParamObject();
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(e) Broken PopXXX call for This",
                                                         "(e) Broken PopXXX call for ParamObject"}));
}

TEST_F(EventTest, ParameterPropertiesRefuseOrCopyAssignments) {
  world.log.Clear();
  SetPropValue(event, "paramObject", Variant(static_cast<TObject*>(root)));
  SetPropValue(event, "paramThis", Variant(static_cast<TObject*>(root)));
  SetPropValue(event, "paramPoint", Variant(static_cast<TObject*>(event.ParamPoint())));
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(e) Incorrect setting ParamObject",
                                                         "(e) Incorrect setting This",
                                                         "(e) Incorrect setting ParamPoint"}));
  // An assigned coordinate is copied: the event keeps its own object.
  TOwned<TSpaceCoord> mine(TSpaceCoord::CreateInitialized(nullptr, TSpaceVector{1, 2, 3, 1}));
  TSpaceCoord* own = event.ParamNormal();
  SetPropValue(event, "paramNormal", Variant(static_cast<TObject*>(mine.get())));
  EXPECT_EQ(event.ParamNormal(), own);
  EXPECT_EQ(own->Coordinates().y, 2.0f);
  SetPropValue(event, "paramInt", Variant(7));
  EXPECT_EQ(event.paramInt, 7u);
}

TEST_F(EventTest, AnActionThatFreesItsObjectFreesItsOwnEvent) {
  // A dispose whose object, while being freed, schedules more work on a
  // sibling: the queue walk goes on by identity and frees each event once.
  BaseObject* a = Child(u"a");
  BaseObject* b = Child(u"b");
  a->SetOnDestroy(u"at b dispose");
  event.ScheduleAction(a, seaDispose, 0);
  world.engine->SetDeltaTime(0.1f);
  event.ProcessEvents();  // a's dispose runs its onDestroy, which schedules b
  TWeak<BaseObject> bAlive(b);
  EXPECT_TRUE(bAlive.Get());
  for (int i = 0; i < 3; ++i) event.ProcessEvents();
  EXPECT_FALSE(bAlive.Get());
  EXPECT_EQ(event.QueueCount(), 0);
}

}  // namespace
}  // namespace corvane
