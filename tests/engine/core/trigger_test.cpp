// Triggers: the mover's onTrigger runs for every trigger it touches, with
// the trigger as event.paramObject, on every check while they overlap.
#include <gtest/gtest.h>

#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/core/event.h"
#include "engine/core/trigger.h"
#include "engine/shell/applet.h"
#include "scene/box.h"
#include "tests/support/kit/fake_physics.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;
using test::TUseFakePhysics;

// A box whose handlers can say what event.paramObject is ("call probe").
class TProbe : public Box {
  CORVANE_CLASS(TProbe, Box)
  static void Describe(TClassBuilder<TProbe>& c) { c.Method("probe", &TProbe::probe); }
  using Box::Box;
  void probe() {
    BaseObject* param = GetApplet()->GetEvent()->ParamObject();
    Seen.push_back(param ? param->Name() : u"none");
  }
  std::vector<std::u16string> Seen;
};
CORVANE_IMPLEMENT_CLASS(TProbe)

struct TriggerWorld {
  TUseFakePhysics physics;
  TTestWorld world;
  TProbe* mover = nullptr;
  TriggerWorld(const char* moverExtra = "  colliseTrack = True\n  onTrigger = 'call probe'\n") {
    RegisterClasses({TProbe::StaticClass()});
    mover = dynamic_cast<TProbe*>(world.Load(std::string("object mover: TProbe\n  collisable = True\n") + moverExtra +
                                             "end\n"));
    Spawned(mover);
  }
  Trigger* AddTrigger(const char* name, float x, float width = 4) {
    auto* trigger = dynamic_cast<Trigger*>(world.Load(std::string("object ") + name + ": Trigger\n  width = " +
                                                      std::to_string(width) + "\n  height = 4\n  depth = 4\n  x = " +
                                                      std::to_string(x) + "\nend\n"));
    Spawned(trigger);
    return trigger;
  }
  static void Spawned(PositionObject* o) {
    ASSERT_NE(o, nullptr);
    o->SetScriptObject(o);  // registered with the script engine
    o->spawn();
  }
};

TEST(Trigger, ABoxVolumeThatIsCollisable) {
  TTestWorld world;
  auto* trigger = Create<Trigger>(TCreateContext(world.applet));
  EXPECT_TRUE(trigger->Collisable());
  trigger->SetWidth(2);
  trigger->SetHeight(6);
  trigger->SetDepth(4);
  EXPECT_EQ(trigger->GetBoundsRadius(), 6);  // the largest extent, not halved
  EXPECT_EQ(trigger->GetBoundsBox().min, (TSpaceVector{-1, -3, -2, 1}));
  EXPECT_EQ(trigger->GetBoundsBox().max, (TSpaceVector{1, 3, 2, 1}));
  EXPECT_EQ(trigger->Bounds()->Coordinates().y, 6);
}

TEST(Trigger, EveryOverlappingTriggerRunsTheMoversHandlerWithItselfAsParamObject) {
  TriggerWorld t;
  t.AddTrigger("near", 1);
  t.AddTrigger("far", 2);
  t.AddTrigger("away", 50);
  t.mover->forward(0.1f);  // standing: one contact check
  ASSERT_EQ(t.mover->Seen.size(), 2u);
  EXPECT_EQ(t.mover->Seen[0], u"near");
  EXPECT_EQ(t.mover->Seen[1], u"far");
  // No memory of contacts: the next check fires again.
  t.mover->forward(0.1f);
  EXPECT_EQ(t.mover->Seen.size(), 4u);
  // The parameter object is popped after each handler.
  EXPECT_EQ(t.world.applet->GetEvent()->ParamObject(), nullptr);
}

TEST(Trigger, FiresOnlyForTrackedMoversWithAHandlerAndWhileNotDisposed) {
  {
    TriggerWorld t("  onTrigger = 'call probe'\n");  // no colliseTrack
    t.AddTrigger("near", 0);
    t.mover->Velocity()->SetValues(0.1f, 0, 0);
    t.world.Steps(3);
    EXPECT_TRUE(t.mover->Seen.empty());
  }
  {
    TriggerWorld t("  colliseTrack = True\n");  // no onTrigger
    t.AddTrigger("near", 0);
    t.mover->forward(0.1f);
    EXPECT_TRUE(t.mover->Seen.empty());
    EXPECT_TRUE(t.world.Scripts().calls.empty());
  }
  {
    TriggerWorld t;
    Trigger* trigger = t.AddTrigger("near", 0);
    trigger->Trigger::Collise(t.mover, {0, 0, 0, 1}, {0, 0, 1, 0});
    EXPECT_EQ(t.mover->Seen.size(), 1u);
    trigger->PrepareForDispose();
    trigger->Trigger::Collise(t.mover, {0, 0, 0, 1}, {0, 0, 1, 0});
    EXPECT_EQ(t.mover->Seen.size(), 1u);
  }
}

TEST(Trigger, AMoverPassesThroughATriggerInSubSteps) {
  TriggerWorld t;
  t.AddTrigger("gate", 10, 4.5f);  // from x 7.75 to 12.25
  t.mover->SetWidth(2);
  t.mover->SetHeight(2);
  t.mover->SetDepth(2);
  t.mover->recreateDynamic();
  t.mover->Velocity()->SetValues(20, 0, 0);
  t.mover->forward(1);  // 20 units in steps of 1: x = 1, 2, ... 20
  // The mover's box [x-1, x+1] meets the gate for x = 7 .. 13; the last
  // contact point is the middle of [12, 12.25].
  EXPECT_EQ(t.mover->Seen.size(), 7u);
  EXPECT_NEAR(t.world.applet->GetEvent()->ParamPosition()->Coordinates().x, 12.125f, 1e-4f);
}

}  // namespace
}  // namespace corvane
