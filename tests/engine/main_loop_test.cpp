// The main loop: frame timing, the frame-rate cap, pause, and the end of the
// loop when no applet is left.
#include <gtest/gtest.h>

#include <numeric>

#include "engine/engine.h"
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

TEST(MainLoop, FrameRateThirtyForThirtyTicks) {
  TTestWorld world;
  auto* timed = Create<TTimedObject>(TCreateContext(world.applet));
  world.applet->SetFrameRate(30);
  world.Platform().SetStep(0.001f);
  for (int i = 0; i < 60 && timed->ticks.size() < 30; ++i) world.engine->RunStep();
  ASSERT_EQ(timed->ticks.size(), 30u);
  for (float dt : timed->ticks) EXPECT_EQ(dt, static_cast<float>(1.0 / 30));
  const auto& sleeps = world.Platform().Sleeps();
  const int total = std::accumulate(sleeps.begin(), sleeps.end(), 0);
  EXPECT_NEAR(total, 1000, 100);
}

TEST(MainLoop, WithoutAFrameRateNothingSleeps) {
  TTestWorld world;
  Create<TTimedObject>(TCreateContext(world.applet));
  world.Platform().SetStep(0.01f);
  for (int i = 0; i < 10; ++i) world.engine->RunStep();
  EXPECT_TRUE(world.Platform().Sleeps().empty());
}

TEST(MainLoop, PauseStopsTheClockAndResumeForgetsThePausedTime) {
  TTestWorld world;
  world.Platform().SetStep(0);
  world.Platform().SetTime(1);
  world.engine->RunStep();
  world.engine->SetPause(true);
  const int peeks = world.Platform().PeekCount();
  world.Platform().SetTime(100);
  world.engine->RunStep();
  EXPECT_EQ(world.Platform().PeekCount(), peeks);
  world.engine->SetPause(false);
  world.Platform().SetTime(100.5f);
  world.engine->RunStep();
  EXPECT_FLOAT_EQ(world.engine->DeltaTime(), 0.25f);  // (0 + 0.5) / 2
}

TEST(MainLoop, RunEndsOneStepAfterTheLastAppletTerminates) {
  TTestWorld world;
  TWeak<Applet> applet(world.applet);
  world.Platform().SetStep(0.01f);
  world.Platform().Inject([&] { world.applet->terminate(); });
  world.engine->Run();
  EXPECT_FALSE(applet.Get());
  EXPECT_EQ(world.engine->count(), 0);
}

TEST(MainLoop, TheFirstFrameDoesNotSeeTheWholeClock) {
  TTestWorld world;
  world.Platform().SetTime(5000);
  world.Platform().SetStep(0.02f);
  world.Platform().Inject([&] { world.applet->terminate(); });
  world.engine->Run();
  EXPECT_LT(world.engine->DeltaTime(), 1.0f);
}

}  // namespace
}  // namespace corvane
