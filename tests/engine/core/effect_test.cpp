// Effects: timing, looping, friction, start delays, the keep-processing
// flag and waiting on an effect.
#include <gtest/gtest.h>

#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/core/effect.h"
#include "engine/shell/engine.h"
#include "tests/support/kit/test_world.h"

namespace corvane {

// Records every ProcessEffect step.
class TRecordingEffect : public Effect {
  CORVANE_CLASS(TRecordingEffect, Effect)
  using Effect::Effect;
  std::vector<float> steps;
  int loops = 0;
  int lingerFrames = 0;  // frames of keep-processing after a stop
  void Linger(int frames) {
    lingerFrames = frames;
    SetKeepProcessing(frames > 0);
  }

 protected:
  void ProcessEffect(float dt, float) override {
    steps.push_back(dt);
    if (!Running() && lingerFrames > 0 && --lingerFrames == 0) SetKeepProcessing(false);
  }
  void NewLoop() override { ++loops; }
};
CORVANE_IMPLEMENT_CLASS(TRecordingEffect)

namespace {

class EffectTest : public ::testing::Test {
 protected:
  EffectTest() {
    RegisterClass(TRecordingEffect::StaticClass());
    effect = static_cast<TRecordingEffect*>(world.Load("object fx: TRecordingEffect\nend\n"));
  }
  void Frames(int n, float dt) {
    for (int i = 0; i < n; ++i) effect->ProcessTick(dt, 0);
  }
  test::TTestWorld world;
  TRecordingEffect* effect = nullptr;
};

TEST_F(EffectTest, ARunEndsWithOneLastStepOfTheRemainingTime) {
  ASSERT_NE(effect, nullptr);
  effect->SetRunningTime(1.0f);
  effect->SetRunning(true);
  Frames(3, 0.4f);  // 0.4, 0.8, 1.2: the end is reached at the third frame
  EXPECT_TRUE(effect->Running());
  Frames(1, 0.4f);  // the finishing step: 1.0 - 0.8
  EXPECT_FALSE(effect->Running());
  ASSERT_EQ(effect->steps.size(), 4u);
  EXPECT_NEAR(effect->steps[3], 0.2f, 1e-6);
  Frames(2, 0.4f);
  EXPECT_EQ(effect->steps.size(), 4u);
}

TEST_F(EffectTest, LoopingRestartsAtZeroAndCallsNewLoop) {
  effect->SetRunningTime(0.5f);
  effect->SetLoop(true);
  effect->SetRunning(true);
  Frames(6, 0.25f);
  EXPECT_EQ(effect->loops, 3);
  EXPECT_TRUE(effect->Running());
}

TEST_F(EffectTest, EndlessRunProgressAndFriction) {
  EXPECT_EQ(effect->progress(), 0.0f);  // running time 0: no division
  effect->SetRunning(true);
  effect->SetFriction(0.5f);
  Frames(1, 0.02f);
  EXPECT_FLOAT_EQ(effect->SpeedFactor(), 0.99f);
  EXPECT_FLOAT_EQ(effect->steps[0], 0.02f * 0.99f);
  Frames(100, 0.02f);
  EXPECT_TRUE(effect->Running());
  effect->SetRunning(false);
  EXPECT_FLOAT_EQ(effect->SpeedFactor(), 1.0f);  // a start or stop resets the speed
}

TEST_F(EffectTest, ShiftTimeDelaysTheStart) {
  effect->SetShiftTime(0.3f);
  effect->SetRunning(true);
  Frames(2, 0.1f);
  EXPECT_TRUE(effect->steps.empty());
  Frames(2, 0.1f);
  EXPECT_EQ(effect->steps.size(), 2u);
}

TEST_F(EffectTest, KeepProcessingOutlivesTheStop) {
  effect->SetRunning(true);
  Frames(1, 0.1f);
  effect->SetRunning(false);
  effect->Linger(2);
  Frames(5, 0.1f);
  EXPECT_EQ(effect->steps.size(), 3u);  // one running, two lingering
  EXPECT_FALSE(effect->KeepProcessing());
}

TEST_F(EffectTest, RunAndStopByNameFromTheParent) {
  BaseObject* parent = effect->Parent();
  parent->RunEffect(u"FX");  // effect names match without case
  EXPECT_TRUE(effect->Running());
  EXPECT_TRUE(parent->HaveEffect(u"fx"));
  parent->StopEffect(u"fx");
  EXPECT_FALSE(effect->Running());
  parent->SetSkipOwnEffects(true);
  EXPECT_EQ(parent->FindEffect(u"fx"), nullptr);
}

TEST_F(EffectTest, WaitForReturnsWhenTheEffectIsFreedDuringTheWait) {
  effect->SetRunning(true);
  TWeak<Effect> alive(effect);
  // Two frames later a host event frees the effect.
  world.Platform().Inject([] {});
  world.Platform().Inject([&] { effect->Free(); });
  effect->WaitFor();
  EXPECT_FALSE(alive.Get());
}

TEST_F(EffectTest, WaitForReturnsWhenTheAppletTerminates) {
  effect->SetRunning(true);
  TWeak<Applet> applet(world.applet);
  world.Platform().Inject([&] { world.applet->terminate(); });
  // Called from outside any frame: the step that sees the applet end also
  // frees it, and the wait returns without touching it.
  effect->WaitFor();
  EXPECT_FALSE(applet.Get());
}

}  // namespace
}  // namespace corvane
