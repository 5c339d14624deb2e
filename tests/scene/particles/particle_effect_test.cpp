// The emitter: its cadence, the life of its particles, their motion, the
// key frames of their look, and what a bad effect or a hostile call gets.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "base/geometry/coord.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_info.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "scene/particles/particle_keys.h"
#include "tests/scene/particles/particle_test_kit.h"

namespace corvane {

// Hears of every new particle; may end them all from inside the handler.
class TParticleListener : public BaseObject {
  CORVANE_CLASS(TParticleListener, BaseObject)
  static void Describe(TClassBuilder<TParticleListener>& c) { c.Method("made", &TParticleListener::made); }
  using BaseObject::BaseObject;
  void made(BaseObject* sender, TParticle* particle) {
    ++heard;
    last = particle;
    if (killAll)
      if (auto* effect = dynamic_cast<ParticleEffect*>(sender)) effect->KillAll();
  }
  int heard = 0;
  TParticle* last = nullptr;
  bool killAll = false;
};
CORVANE_IMPLEMENT_CLASS(TParticleListener)

namespace {

using test::kFrame;
using test::TEmitter;

// Cadence.
TEST(ParticleEffect, ReleasesOneParticleEveryTenthOfASecondOnTheSeventhFrames) {
  TEmitter e;
  std::vector<int> releases;
  for (int frame = 1; frame <= 60; ++frame) {
    const int before = e.effect->ParticleCount();
    e.Frame();
    if (e.effect->ParticleCount() > before) releases.push_back(frame);
  }
  // The frame that fires resets the timer to 0: its own time is lost.
  EXPECT_EQ(releases, (std::vector<int>{7, 14, 21, 28, 35, 42, 49, 56}));
  EXPECT_EQ(e.effect->ParticleCount(), 8);
  // A timer left at a quarter second releases two at once.
  TEmitter late;
  late.Frame(0.25f);
  EXPECT_EQ(late.effect->ParticleCount(), 0);
  late.Frame();
  EXPECT_EQ(late.effect->ParticleCount(), 2);
}

TEST(ParticleEffect, NoIntervalNoEmissionAndATinyOneStaysWithinTheLimit) {
  TEmitter e;
  e.effect->SetParticleInterval(-1);
  EXPECT_EQ(e.effect->ParticleInterval(), 0);
  e.Frames(30);
  EXPECT_EQ(e.effect->ParticleCount(), 0);
  e.effect->SetParticleInterval(std::numeric_limits<float>::quiet_NaN());
  e.Frames(30);
  EXPECT_EQ(e.effect->ParticleCount(), 0);
  e.effect->SetParticleInterval(1e-30f);
  e.Frames(3);
  EXPECT_LE(e.effect->ParticleCount(), ParticleEffect::kMaxParticles);
}

// Life.
TEST(ParticleEffect, KeysAtFramesZeroAndThirtyGiveALifeOfOneSecond) {
  TEmitter e;
  BaseObject* loaded = e.world.Load(
      "object fx: ParticleEffect\n"
      "  keys = <\n    item\n      key = 0\n    end\n    item\n      key = 30\n    end>\n"
      "end\n",
      e.parent);
  auto* effect = dynamic_cast<ParticleEffect*>(loaded);
  ASSERT_NE(effect, nullptr) << e.world.log.Text();
  EXPECT_FLOAT_EQ(effect->LifeTime(), 1.0f);

  // One particle, aged frame by frame: it goes in the frame where its age
  // plus the frame reaches one second.
  effect->SetParticleInterval(0);
  effect->Burst(0, 1);
  int gone = 0;
  float time = 0;
  for (int frame = 1; frame <= 70 && gone == 0; ++frame) {
    const float age = effect->Particles()->Items(0)->age;
    time += kFrame;
    effect->ProcessTick(kFrame, time);
    if (effect->ParticleCount() == 0) {
      gone = frame;
      EXPECT_GE(age + kFrame, 1.0f - 1e-5f);
    } else {
      EXPECT_LT(age + kFrame, 1.0f + 1e-5f);
    }
  }
  EXPECT_EQ(gone, 60);
}

TEST(ParticleEffect, SetLifeTimeWithTwoKeysKeepsAWholeNumberOfFrames) {
  TEmitter e;
  e.effect->SetLifeTime(1.01f);
  EXPECT_EQ(e.effect->Keys()->Key(1)->Key(), 30u);
  EXPECT_FLOAT_EQ(e.effect->LifeTime(), 1.0f);
  // Nothing before the first frame, whatever a script hands in.
  e.effect->SetLifeTime(-5);
  EXPECT_EQ(e.effect->Keys()->Key(1)->Key(), 0u);
  EXPECT_EQ(e.effect->LifeTime(), 0);
  e.effect->SetLifeTime(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(e.effect->LifeTime(), 0);
  // With three keys the life is taken as given.
  e.effect->Keys()->AddKey();
  e.effect->SetLifeTime(2.5f);
  EXPECT_EQ(e.effect->LifeTime(), 2.5f);
}

TEST(ParticleEffect, AStoppedEffectLetsItsParticlesDieThenIsNoLongerProcessed) {
  TEmitter e;
  e.effect->SetLifeTime(0.5f);
  e.Frames(20);
  ASSERT_GT(e.effect->ParticleCount(), 0);
  EXPECT_TRUE(e.effect->KeepProcessing());
  e.effect->SetRunning(false);
  const int left = e.effect->ParticleCount();
  e.Frame();
  EXPECT_EQ(e.effect->ParticleCount(), left);  // no new ones, the old live on
  e.Frames(40);
  EXPECT_EQ(e.effect->ParticleCount(), 0);
  EXPECT_FALSE(e.effect->KeepProcessing());
}

// Motion.
// One particle released along +x at the speed, the parent at rest.
TParticle* Launch(TEmitter& e, float speed) {
  e.Quiet();
  e.effect->SetVelocityMin(speed);
  e.effect->SetVelocityMax(speed);
  e.effect->Burst(0, 1);
  return e.Particle(0);
}

TEST(ParticleEffect, FrictionIsAFactorPerSecond) {
  for (float friction : {0.5f, 1.0f}) {
    TEmitter e;
    e.effect->SetParticleFriction(friction);
    TParticle* p = Launch(e, 100);
    e.Frames(60);
    EXPECT_NEAR(SpaceVectorLength(p->velocity) / 100, friction, 0.01f) << friction;
  }
}

TEST(ParticleEffect, GravityFromRestAddsUpFrameByFrame) {
  TEmitter e;
  e.effect->Gravity()->SetValues(0, 200, 0);
  TParticle* p = Launch(e, 0);
  const int m = 30;
  e.Frames(m);
  EXPECT_NEAR(p->position.y, 200 * kFrame * kFrame * m * (m + 1) / 2, 0.05f);
  EXPECT_NEAR(p->position.x, 0, 0.05f);
}

TEST(ParticleEffect, TheDirectionTurnsCounterClockwiseFromXAndARelativeOneWithTheParent) {
  TEmitter e;
  e.effect->SetDirectionAngle(90);
  e.effect->SetSpreadAngle(0);
  TParticle* p = Launch(e, 100);
  EXPECT_NEAR(p->velocity.x, 0, 1e-3f);
  EXPECT_NEAR(p->velocity.y, 100, 1e-3f);

  TEmitter absolute, relative;
  for (TEmitter* e : {&absolute, &relative}) e->parent->SetZAngle(90);
  relative.effect->SetVelocityMode(svmRelative);
  TParticle* a = Launch(absolute, 100);
  TParticle* r = Launch(relative, 100);
  EXPECT_NEAR(a->velocity.x, 100, 1e-3f);
  EXPECT_NEAR(std::fabs(r->velocity.x), 0, 1e-3f);
  EXPECT_NEAR(std::fabs(r->velocity.y), 100, 1e-3f);
  EXPECT_EQ(r->velocity.w, 1);
}

TEST(ParticleEffect, ReleasesAroundTheParentWithinTheDispersion) {
  TEmitter e;
  e.parent->Position()->SetValues(50, 60, 0);
  e.effect->InitialPosition()->SetValues(10, 0, 0);
  e.effect->PositionDispersionRange()->SetValues(4, 0, 0);
  e.Quiet();
  e.effect->Burst(0, 50);
  float low = 1e9f, high = -1e9f;
  for (int i = 0; i < 50; ++i) {
    const TParticle* p = e.Particle(i);
    EXPECT_EQ(p->position, p->origin);
    EXPECT_EQ(p->position.y, 60);
    low = std::min(low, p->position.x);
    high = std::max(high, p->position.x);
  }
  // 60 +- dispersion (1) x range (4).
  EXPECT_GE(low, 56);
  EXPECT_LE(high, 64);
  EXPECT_LT(low, 58);
  EXPECT_GT(high, 62);
}

TEST(ParticleEffect, RadialAndTangentialSpeedsActOnceAParticleHasLeftItsOrigin) {
  TEmitter e;
  e.effect->SetRadialVelMin(50);
  e.effect->SetRadialVelMax(50);
  TParticle* p = Launch(e, 10);
  e.Frames(30);
  // Pushed further along +x than the start speed alone would carry it.
  EXPECT_GT(p->velocity.x, 30);

  TEmitter t;
  t.effect->SetTangentVelMin(100);
  t.effect->SetTangentVelMax(100);
  TParticle* q = Launch(t, 10);
  t.Frames(30);
  // Turned off the x axis, about +z for a screen parent.
  EXPECT_GT(std::fabs(q->velocity.y), 1);
  EXPECT_GT(SpaceVectorLength(q->velocity), 10);
  EXPECT_NEAR(q->velocity.z, 0, 0.05f);
}

TEST(ParticleEffect, FollowingParticlesMoveWithTheParentButNotByWhereItWasBefore) {
  TEmitter e;
  e.effect->SetFollowToOwner(true);
  // Moved before the effect ever ran: no jump once it does.
  e.parent->Position()->SetValues(100, 0, 0);
  TParticle* p = Launch(e, 0);
  e.Frame();
  EXPECT_NEAR(p->position.x, 100, 0.01f);
  e.parent->Position()->SetValues(110, 0, 0);
  e.Frame();
  EXPECT_NEAR(p->position.x, 110, 0.01f);
  // Stopped and emptied, moved, started again: taken afresh.
  e.effect->KillAll();
  e.effect->SetRunning(false);
  e.Frame();
  e.parent->Position()->SetValues(500, 0, 0);
  e.effect->SetRunning(true);
  e.effect->Burst(0, 1);
  e.Frame();
  EXPECT_NEAR(e.Particle(0)->position.x, 500, 0.01f);
}

TEST(ParticleEffect, AParentWithoutAPositionEmitsFromTheOrigin) {
  test::TTestWorld world;
  auto* holder = Create<BaseObject>(TCreateContext(world.applet));
  auto* effect = Create<ParticleEffect>(TCreateContext(holder));
  effect->SetVelocityMin(10);
  effect->SetVelocityMax(10);
  effect->Burst(0, 1);
  EXPECT_EQ(effect->Particles()->Items(0)->position, (TSpaceVector{0, 0, 0, 1}));
  for (int i = 0; i < 10; ++i) effect->ProcessTick(kFrame, kFrame * static_cast<float>(i));
  EXPECT_GT(effect->Particles()->Items(0)->position.x, 1);
}

// Look.
TEST(ParticleEffect, InterpolatesSizeSpinAndColourBetweenTheKeys) {
  TEmitter e;
  e.effect->SetLifeTime(1.0f);  // key 1 at frame 30
  e.effect->SetScaleMin(10);
  e.effect->SetScaleMax(20);
  e.effect->SetSpinMin(0);
  e.effect->SetSpinMax(90);
  e.effect->SetColorMin(u"#FF000000");
  e.effect->SetColorMax(u"#00FF8040");
  float scale = 0, spin = 0;
  EXPECT_TRUE(e.effect->ComputeSizeScale(0.5f, scale));
  EXPECT_FLOAT_EQ(scale, 15);
  EXPECT_TRUE(e.effect->ComputeSpinAngle(0.5f, spin));
  EXPECT_FLOAT_EQ(spin, 45);
  EXPECT_EQ(e.effect->ComputeCurColor(0.5f), 0x7F7F4020u);
  EXPECT_EQ(e.effect->ColorMax(), u"#00FF8040");
  // At the ends, the keys' own values, neutral ones reported as such.
  e.effect->SetScaleMin(1);
  EXPECT_FALSE(e.effect->ComputeSizeScale(0, scale));
  EXPECT_FALSE(e.effect->ComputeSpinAngle(0, spin));
}

TEST(ParticleEffect, AnAgeBeyondTheLastKeyUsesTheLastTwoAndLogsOnceUntilTheKeysChange) {
  TEmitter e;
  e.effect->SetLifeTime(1.0f);
  e.effect->SetScaleMax(3);
  float scale = 0;
  for (int i = 0; i < 5; ++i) e.effect->ComputeSizeScale(1.5f, scale);
  EXPECT_EQ(e.LogLines(Utf16ToUtf8(u"Error key " + FloatToStr(1.5f) + u" " + FloatToStr(1.0f))), 1) << e.world.log.Text();
  EXPECT_FLOAT_EQ(scale, 4);  // the last pair, carried on
  e.effect->Keys()->Key(1)->SetScale(2);
  e.effect->ComputeSizeScale(1.5f, scale);
  EXPECT_EQ(e.LogLines("Error key"), 2);
  e.effect->SetLifeTime(0.5f);
  e.effect->ComputeSizeScale(1.5f, scale);
  EXPECT_EQ(e.LogLines("Error key"), 3);
}

TEST(ParticleEffect, AnEffectMadeWithoutAStreamGivesFiniteLooksAndOneLine) {
  // Both keys at frame 0, a life of 3 s: every age is beyond the keys.
  TEmitter e;
  EXPECT_EQ(e.effect->LifeTime(), 3.0f);
  e.Frames(120);
  ASSERT_GT(e.effect->ParticleCount(), 10);
  for (int i = 0; i < e.effect->ParticleCount(); ++i) {
    const float age = e.Particle(i)->age;
    float scale = -1, spin = -1;
    e.effect->ComputeSizeScale(age, scale);
    e.effect->ComputeSpinAngle(age, spin);
    EXPECT_EQ(scale, 1.0f);
    EXPECT_TRUE(std::isfinite(spin));
    EXPECT_EQ(e.effect->ComputeCurColor(age), 0xFFFFFFFFu);
  }
  EXPECT_EQ(e.LogLines("Error key"), 1) << e.world.log.Text();
}

TEST(ParticleEffect, AnEmptyKeyListLoadsAndNoKeysKeepTheLife) {
  TEmitter e;
  // An empty list in a stream leaves the keys as they were.
  auto* effect = dynamic_cast<ParticleEffect*>(e.world.Load("object fx: ParticleEffect\n  keys = <>\nend\n", e.parent));
  ASSERT_NE(effect, nullptr) << e.world.log.Text();
  EXPECT_EQ(effect->Keys()->Count(), 2);
  // Without any key, Loaded has no last key to take the life from.
  effect->Keys()->Clear();
  effect->SetLifeTime(2.0f);
  effect->Loaded();
  EXPECT_EQ(effect->LifeTime(), 2.0f);
  float scale = -1;
  effect->ComputeSizeScale(0.5f, scale);
  EXPECT_EQ(scale, 0);
  EXPECT_EQ(effect->ComputeCurColor(0.5f), 0u);
  EXPECT_EQ(effect->ColorMin(), u"");
  effect->SetScaleMin(5);  // no key 0: nothing to set
  EXPECT_EQ(effect->ScaleMin(), 0);
  for (int i = 0; i < 30; ++i) effect->ProcessTick(kFrame, kFrame * static_cast<float>(i));
  EXPECT_GT(effect->ParticleCount(), 0);
  EXPECT_EQ(e.LogLines("key"), 0) << e.world.log.Text();
}

TEST(ParticleEffect, EveryBoundStoresAndStreams) {
  TEmitter e;
  auto* effect = dynamic_cast<ParticleEffect*>(e.world.Load(
      "object fx: ParticleEffect\n  tangentVelMin = 1\n  tangentVelMax = 2\n  radialVelMax = 3\n"
      "  velocityMax = 4\n  blendingMode = bmBlend\n  velocityMode = svmRelative\n  friction = 0.25\n"
      "  gravity.y = 9\n  rect.right = 0.5\nend\n",
      e.parent));
  ASSERT_NE(effect, nullptr) << e.world.log.Text();
  EXPECT_EQ(effect->TangentVelMin(), 1);
  EXPECT_EQ(effect->TangentVelMax(), 2);
  EXPECT_EQ(effect->RadialVelMax(), 3);
  EXPECT_EQ(effect->VelocityMax(), 4);
  EXPECT_EQ(effect->BlendingMode(), bmBlend);
  EXPECT_EQ(effect->VelocityMode(), svmRelative);
  EXPECT_EQ(effect->ParticleFriction(), 0.25f);
  EXPECT_EQ(effect->Friction(), 1.0f);  // the effect's own speed is untouched
  EXPECT_EQ(effect->Gravity()->Coordinates().y, 9);
  EXPECT_EQ(effect->Rect()->Right(), 0.5f);
}

TEST(ParticleEffect, OnCreateParticleHearsOfEveryNewParticle) {
  TEmitter e;
  auto* listener = Create<TParticleListener>(TCreateContext(e.world.applet));
  e.effect->SetOnCreateParticle({listener, TParticleListener::StaticClass()->FindMethod("made")});
  e.Quiet();
  e.effect->Burst(0, 3);
  EXPECT_EQ(listener->heard, 3);
  EXPECT_EQ(listener->last, e.Particle(2));
  // A handler that ends the particles ends the burst's use of them.
  listener->killAll = true;
  e.effect->Burst(0, 3);
  EXPECT_EQ(e.effect->ParticleCount(), 0);
  e.Frames(2);
}

TEST(ParticleEffect, AFullEmitterLosesItsOlderHalfAndKeepsTheRestInOrder) {
  // Two bursts a frame apart fill the emitter; the frame the first one's
  // particles die frees them all and leaves the second's as they were
  // released, the order in which they move and draw.
  TEmitter e;
  e.Quiet();
  e.effect->SetLifeTime(0.05f);
  constexpr int kHalf = ParticleEffect::kMaxParticles / 2;
  e.effect->Burst(e.time, kHalf);
  e.Frame();
  e.effect->Burst(e.time, kHalf);
  ASSERT_EQ(e.effect->ParticleCount(), 2 * kHalf);
  std::vector<const TParticle*> younger;
  for (int i = kHalf; i < 2 * kHalf; ++i) younger.push_back(e.Particle(i));
  for (int f = 0; f < 60 && e.effect->ParticleCount() == 2 * kHalf; ++f) e.Frame();
  ASSERT_EQ(e.effect->ParticleCount(), kHalf);
  int moved = 0;
  for (int i = 0; i < kHalf; ++i) moved += e.Particle(i) != younger[static_cast<std::size_t>(i)];
  EXPECT_EQ(moved, 0);
  e.Frames(60);
  EXPECT_EQ(e.effect->ParticleCount(), 0);
}

// Bad input.
TEST(ParticleEffect, AHostileBurstStopsAtTheLimitWithOneError) {
  TEmitter e;
  e.Quiet();
  e.effect->Burst(0, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(e.effect->ParticleCount(), ParticleEffect::kMaxParticles);
  e.effect->Burst(0, 10);
  EXPECT_EQ(e.effect->ParticleCount(), ParticleEffect::kMaxParticles);
  int errors = 0;
  for (const std::string& line : e.world.log.Lines()) errors += line.find("(e) ParticleEffect") != std::string::npos;
  EXPECT_EQ(errors, 1) << e.world.log.Text();
  e.effect->KillAll();
  EXPECT_EQ(e.effect->ParticleCount(), 0);
}

}  // namespace
}  // namespace corvane
