// The main loop: pause, the first frame's time, the fixed step, and the end
// of the loop when no applet is left (the frame-rate cap is checked on a
// whole applet).
#include <gtest/gtest.h>

#include "base/reflection/prop_access.h"
#include "base/system/random.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "platform/low_event.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

// Records the frame times its applet is ticked with.
class TTimedObject : public BaseObject {
 public:
  using BaseObject::BaseObject;
  std::vector<float> ticks;
  void ProcessTick(float dt, float time) override {
    ticks.push_back(dt);
    BaseObject::ProcessTick(dt, time);
  }
};

TEST(MainLoop, APausedFrameOnlyHearsTheHostAndResumeForgetsThePausedTime) {
  TTestWorld world;
  auto* timed = Create<TTimedObject>(TCreateContext(world.applet));
  world.Platform().SetStep(0);
  world.Platform().SetTime(1);
  world.engine->RunStep();
  const std::size_t ticks = timed->ticks.size();
  const float time = world.engine->Time();
  world.engine->SetPause(true);
  const int peeks = world.Platform().PeekCount();
  world.Platform().SetTime(100);
  world.engine->RunStep();
  // One host event and a short sleep; no clock, no tick.
  EXPECT_EQ(world.Platform().PeekCount(), peeks + 1);
  EXPECT_EQ(world.Platform().Sleeps(), std::vector<std::int32_t>{kPausedFrameSleep});
  EXPECT_EQ(timed->ticks.size(), ticks);
  EXPECT_EQ(world.engine->Time(), time);
  world.engine->SetPause(false);
  world.Platform().SetTime(world.Platform().GetCurrentTime() + 0.5f);
  world.engine->RunStep();
  EXPECT_FLOAT_EQ(world.engine->DeltaTime(), 0.25f);  // (0 + 0.5) / 2
}

TEST(MainLoop, APausedProgramDispatchesOnlyWindowActions) {
  TTestWorld world;
  Event* event = world.applet->GetEvent();
  world.engine->SetPause(true);
  event->AddEvent(std::make_unique<TKeyEvent>(evKeyDown, nullptr, 13, u'\0', TShiftState{}));
  event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, nullptr, aeActivate));
  world.engine->RunStep();
  ASSERT_EQ(event->QueueCount(), 1);
  EXPECT_EQ(event->QueuedEvent(0)->EventType, evKeyDown);
}

// Run starts from the clock as it is (not from 0) and ends one step after
// the last applet went.
TEST(MainLoop, RunStartsFromTheClockAndEndsWithTheLastApplet) {
  TTestWorld world;
  TWeak<Applet> applet(world.applet);
  world.Platform().SetTime(5000);
  world.Platform().SetStep(0.02f);
  world.Platform().Inject([&] { world.applet->terminate(); });
  world.engine->Run();
  EXPECT_LT(world.engine->DeltaTime(), 1.0f);
  EXPECT_FALSE(applet.Get());
  EXPECT_EQ(world.engine->count(), 0);
}

// A fixed step ignores how long frames took: each one is a period of the
// applet's frame rate, and each waits for the real clock only when ahead
// of it. The random sequence starts over.
TEST(MainLoop, AFixedStepTicksWholePeriodsAndRepeatsRandomNumbers) {
  TTestWorld world;
  auto* timed = Create<TTimedObject>(TCreateContext(world.applet));
  SetPropValue(*world.applet, "frameRate", Variant(std::int32_t{50}));
  world.Platform().SetStep(0);
  world.Platform().SetTime(10);
  world.engine->SetFixedStep(true);
  const float first = Random();
  const float time = world.engine->Time();
  world.engine->RunStep();  // on time: waits its 20 ms
  world.Platform().SetTime(10.5f);
  world.engine->RunStep();  // late: no wait
  world.engine->RunStep();
  ASSERT_EQ(timed->ticks.size(), 3u);
  for (float dt : timed->ticks) EXPECT_FLOAT_EQ(dt, 0.02f);
  EXPECT_FLOAT_EQ(world.engine->Time(), time + 0.06f);
  EXPECT_EQ(world.Platform().Sleeps(), std::vector<std::int32_t>{20});
  world.engine->SetFixedStep(true);
  EXPECT_EQ(Random(), first);
}

// Hours into play the clock still tells frames a sixtieth of a second apart
// (single precision there steps by 4 ms).
TEST(MainLoop, FrameTimesStayExactAfterHoursOfPlay) {
  TTestWorld world;
  auto* timed = Create<TTimedObject>(TCreateContext(world.applet));
  const double start = 10 * 3600.0;
  world.Platform().SetStep(0);
  world.Platform().SetTime(start);
  // Resuming starts the frame clock from now.
  world.engine->SetPause(true);
  world.engine->SetPause(false);
  for (int frame = 1; frame <= 30; ++frame) {
    world.Platform().SetTime(start + frame / 60.0);
    world.engine->RunStep();
  }
  // Every frame once the smoothing has settled: a single-precision clock
  // strays by up to 2e-3 and comes back to 1/60 only every fifteenth frame.
  ASSERT_EQ(timed->ticks.size(), 30u);
  for (std::size_t frame = 20; frame < timed->ticks.size(); ++frame)
    EXPECT_NEAR(timed->ticks[frame], 1 / 60.0, 1e-6) << "frame " << frame + 1;
  EXPECT_NEAR(world.engine->DeltaTime(), 1 / 60.0, 1e-6);
}

}  // namespace
}  // namespace corvane
